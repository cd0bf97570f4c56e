#include "SampleWindows.h"
#include "SkinTestData.h"

#include <SkinCaptionButton.h>
#include <SkinFrame.h>
#include <SkinLayout.h>
#include <SkinPicture.h>
#include <SkinTheme.h>
#include <TavrelSkin.h>
#include <TestSupport.h>

#include <QApplication>
#include <QBackingStore>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QtMath>

#include <cmath>
#include <functional>

using namespace skintest;

// The skin as drawn: schemes look different, the frame's lines are whole
// device pixels and its pieces meet and tile without a seam at every scale,
// the caption buttons come out round, symmetric and centred, and the pieces
// are built once per process and scale. Run once per device pixel ratio
// (QT_SCALE_FACTOR), and rendered into images of the ratios from 1 to 3 in
// quarters. With TAVREL_RENDER_DIR set, the renders are saved there.
class TestSkinRender : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void schemeLooksDiffer();
    void activeAndInactiveDiffer();
    void frameIsCrispWithoutSeams_data();
    void frameIsCrispWithoutSeams();
    void captionButtonsAreRoundAndCentred_data();
    void captionButtonsAreRoundAndCentred();
    void piecesAreBuiltOncePerProcess();
    void otherPictureGivesOtherLook();
    void keptFrameFollowsChanges_data();
    void keptFrameFollowsChanges();
    void buttonStateReachesTheScreen();
    void captionTitleReads_data();
    void captionTitleReads();

private:
    // `imageRatio` > 0: rendered into an image of that device pixel ratio
    // instead of grabbed at the screen's. `buttons`: the caption buttons'
    // rectangles in the window (logical pixels).
    // `prepare` runs on the window before the skin goes on.
    QImage renderWindow(WindowKind kind, int scheme, bool active, const QByteArray &bitmap = {},
                        qreal imageRatio = 0, QList<QRect> *buttons = nullptr,
                        const std::function<void(QWidget *)> &prepare = {});
    void save(const QImage &image, const QString &name);
};

void TestSkinRender::initTestCase()
{
    testing::installStrictMessageHandler();
    testing::applyApplicationDefaults();
    QVERIFY(!realPictureFile().isEmpty());
}

QImage TestSkinRender::renderWindow(WindowKind kind, int scheme, bool active,
                                    const QByteArray &bitmap, qreal imageRatio,
                                    QList<QRect> *buttons,
                                    const std::function<void(QWidget *)> &prepare)
{
    std::unique_ptr<QWidget> window(createWindow(kind));
    if (prepare)
        prepare(window.get());
    std::unique_ptr<QWidget> other;
    auto skin = loadSkin(window.get(), nullptr,
                         bitmap.isEmpty() ? storedProperties() : storedProperties(bitmap));
    if (!skin)
        return QImage();
    putScheme(skin.get(), scheme);
    applySkin(skin.get());
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return QImage();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        return QImage();
    if (!active) {
        other.reset(new QWidget);
        other->setGeometry(0, 0, 20, 20);
        other->show();
        other->activateWindow();
        if (!QTest::qWaitForWindowActive(other.get()))
            return QImage();
    }
    QCoreApplication::processEvents();
    if (buttons) {
        for (const char *name :
             {"tavrelskin_minimize", "tavrelskin_maximize", "tavrelskin_close"}) {
            const auto *button = window->findChild<QWidget *>(QLatin1String(name));
            if (button && button->isVisible())
                buttons->append(QRect(button->mapTo(window.get(), QPoint()), button->size()));
        }
    }
    QImage image;
    if (imageRatio > 0) {
        image = QImage(window->size() * imageRatio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(imageRatio);
        image.fill(Qt::black);
        window->render(&image);
    } else {
        image = window->grab().toImage();
    }
    skin.reset();
    return image;
}

void TestSkinRender::save(const QImage &image, const QString &name)
{
    const QString dir = qEnvironmentVariable("TAVREL_RENDER_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    const QString scale =
        QString::number(qApp->devicePixelRatio()).replace(QLatin1Char('.'), QLatin1Char('_'));
    QVERIFY(image.save(QStringLiteral("%1/%2-x%3.png").arg(dir, name, scale)));
}

void TestSkinRender::schemeLooksDiffer()
{
    QList<QImage> images;
    const char *names[] = {"lightblue", "darkblue", "green"};
    for (int scheme = 1; scheme <= 3; ++scheme) {
        const QImage image = renderWindow(WindowKind::FixedDialog, scheme, true);
        QVERIFY(!image.isNull());
        save(image, QStringLiteral("engine-main-%1-active").arg(QLatin1String(names[scheme - 1])));
        save(renderWindow(WindowKind::FixedDialog, scheme, false),
             QStringLiteral("engine-main-%1-inactive").arg(QLatin1String(names[scheme - 1])));
        images.append(image);
    }
    save(renderWindow(WindowKind::MenuWindow, 1, true),
         QStringLiteral("engine-menu-lightblue-active"));
    save(renderWindow(WindowKind::TopAligned, 3, true),
         QStringLiteral("engine-aligned-green-active"));
    const qreal dpr = images[0].devicePixelRatio();
    // Middle of the caption tab, and the window face under the controls.
    const QPoint tab(int(images[0].width() / 2), int(8 * dpr));
    const QPoint face(int(200 * dpr), int(110 * dpr));
    for (int a = 0; a < 3; ++a) {
        for (int b = a + 1; b < 3; ++b) {
            QVERIFY2(images[a].pixel(tab) != images[b].pixel(tab),
                     qPrintable(QStringLiteral("schemes %1 and %2 share the caption colour")
                                    .arg(a + 1)
                                    .arg(b + 1)));
            QVERIFY2(images[a].pixel(face) != images[b].pixel(face),
                     qPrintable(QStringLiteral("schemes %1 and %2 share the face colour")
                                    .arg(a + 1)
                                    .arg(b + 1)));
        }
    }
    // Light Blue is the picture's own colour: the tab's row 8 of the band.
    const QImage picture = QImage::fromData(realPictureFile(), "BMP");
    QCOMPARE(QColor(images[0].pixel(tab)).blue() > QColor(images[0].pixel(tab)).red(), true);
    Q_UNUSED(picture);
}

void TestSkinRender::activeAndInactiveDiffer()
{
    const QImage active = renderWindow(WindowKind::FixedDialog, 1, true);
    const QImage inactive = renderWindow(WindowKind::FixedDialog, 1, false);
    QVERIFY(!active.isNull() && !inactive.isNull());
    const qreal dpr = active.devicePixelRatio();
    const QPoint tab(active.width() / 2, int(8 * dpr));
    const QColor a = active.pixel(tab), i = inactive.pixel(tab);
    // Active blue, inactive grey.
    QVERIFY2(a.blue() - a.red() > 30, qPrintable(a.name()));
    QVERIFY2(qAbs(i.blue() - i.red()) < 12, qPrintable(i.name()));
}

void TestSkinRender::frameIsCrispWithoutSeams_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<qreal>("imageRatio");
    QTest::newRow("fixed dialog, light blue") << int(WindowKind::FixedDialog) << 1 << 0.0;
    QTest::newRow("sizable, dark blue") << int(WindowKind::Sizable) << 2 << 0.0;
    QTest::newRow("menu window, green") << int(WindowKind::MenuWindow) << 3 << 0.0;
    // Rendering into an image of another ratio than the screen's: every
    // quarter from 1 to 3, and three a platform may report (1.04 is a
    // 100 dpi screen).
    for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.25, 2.5, 2.75, 3.0, 1.04, 1.1, 1.4}) {
        QTest::addRow("fixed dialog into an image at %g", ratio)
            << int(WindowKind::FixedDialog) << 1 << ratio;
        QTest::addRow("sizable into an image at %g", ratio)
            << int(WindowKind::Sizable) << 3 << ratio;
    }
}

namespace {
int luma(QRgb c)
{
    return (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000;
}

// Device pixels from `from` in steps of `step` that keep within 10 levels of
// the first one's colour (a line, dithered by a few levels at most).
int lineWidthAt(const QImage &image, QPoint from, QPoint step)
{
    const QColor line = image.pixel(from);
    int width = 0;
    for (QPoint p = from; image.rect().contains(p); p += step, ++width) {
        const QColor c = image.pixel(p);
        if (qAbs(c.red() - line.red()) > 10 || qAbs(c.green() - line.green()) > 10 ||
            qAbs(c.blue() - line.blue()) > 10)
            break;
    }
    return width;
}
} // namespace

void TestSkinRender::frameIsCrispWithoutSeams()
{
    QFETCH(int, kind);
    QFETCH(int, scheme);
    QFETCH(qreal, imageRatio);
    const QImage image = renderWindow(WindowKind(kind), scheme, true, {}, imageRatio)
                             .convertToFormat(QImage::Format_RGB32);
    QVERIFY(!image.isNull());
    if (imageRatio > 0)
        save(image,
             QStringLiteral("engine-frame-%1-%2").arg(kindName(WindowKind(kind))).arg(imageRatio));
    const qreal dpr = image.devicePixelRatio();
    const int w = image.width(), h = image.height();
    auto device = [dpr](qreal logical) { return qRound(logical * dpr); };
    const int border = int(6 * dpr); // whole device pixels fully inside a border
    const int caption = qCeil(25 * dpr);
    auto describe = [](const char *what, int x, int y, QRgb c) {
        return qPrintable(QStringLiteral("%1 at device (%2, %3): %4")
                              .arg(QLatin1String(what))
                              .arg(x)
                              .arg(y)
                              .arg(QColor(c).name()));
    };

    // Nothing left unpainted (the image was black): the borders, and the
    // caption's rows above and below its text and buttons.
    QList<int> captionRows;
    for (int y = 0; y < int(3 * dpr); ++y)
        captionRows << y;
    for (int y = qCeil(21 * dpr); y < int(25 * dpr); ++y)
        captionRows << y;
    auto unpainted = [&](int x, int y) { return luma(image.pixel(x, y)) < 8; };
    for (int y = caption + 1; y < h; ++y) {
        for (int x = 0; x < border; ++x) {
            QVERIFY2(!unpainted(x, y), describe("gap in the left border", x, y, image.pixel(x, y)));
            QVERIFY2(!unpainted(w - 1 - x, y),
                     describe("gap in the right border", w - 1 - x, y, image.pixel(w - 1 - x, y)));
        }
    }
    for (int y = h - border; y < h; ++y)
        for (int x = 0; x < w; ++x)
            QVERIFY2(!unpainted(x, y),
                     describe("gap in the bottom border", x, y, image.pixel(x, y)));
    for (int y : captionRows)
        for (int x = 0; x < w; ++x)
            QVERIFY2(!unpainted(x, y), describe("gap in the caption", x, y, image.pixel(x, y)));

    // The outer frame line is one whole line of device pixels on every
    // side: as wide on the left, the right, the bottom and the caption's
    // top, a whole number of device pixels (half a pixel rounds down), and
    // the pixel inside it is clearly the lighter bevel, not a blur.
    const int expectedLine = qMax(1, qCeil(dpr - 0.5));
    const int midY = (caption + h) / 2, midX = w / 2;
    const struct
    {
        const char *side;
        QPoint from, step;
    } sides[] = {{"left", {0, midY}, {1, 0}},
                 {"right", {w - 1, midY}, {-1, 0}},
                 {"bottom", {midX, h - 1}, {0, -1}},
                 {"caption top", {device(4), 0}, {0, 1}}};
    QStringList widths;
    for (const auto &side : sides) {
        const int width = lineWidthAt(image, side.from, side.step);
        widths << QString::number(width);
        QVERIFY2(width == expectedLine, qPrintable(QStringLiteral("the %1 frame line is %2 device "
                                                                  "pixels wide, not %3")
                                                       .arg(QLatin1String(side.side))
                                                       .arg(width)
                                                       .arg(expectedLine)));
        const QPoint inside = side.from + side.step * width;
        QVERIFY2(luma(image.pixel(inside)) - luma(image.pixel(side.from)) >= 30,
                 describe("no clear edge inside the frame line", inside.x(), inside.y(),
                          image.pixel(inside)));
    }
    qInfo("| %.2f | %-12s | frame line left, right, bottom, caption top: %s device pixels |", dpr,
          qPrintable(kindName(WindowKind(kind))), qPrintable(widths.join(QLatin1String(", "))));
    // All along the left edge, the outermost device column is the frame line.
    const QColor line = QColor(image.pixel(0, midY));
    for (int y = caption; y < h; ++y) {
        QVERIFY2(qAbs(QColor(image.pixel(0, y)).lightness() - line.lightness()) <= 8,
                 qPrintable(QStringLiteral("row %1").arg(y)));
    }

    // Tiled edges repeat without a seam: the side tiles are the same in
    // every row and the bottom tile in every column, but for a few levels
    // of dither, so no device row differs from the next by more.
    constexpr int DitherLevels = 8;
    for (int x = 0; x < border; ++x) {
        for (int y = caption + 1; y < h - border; ++y) {
            for (int column : {x, w - 1 - x}) {
                QVERIFY2(qAbs(luma(image.pixel(column, y)) - luma(image.pixel(column, y - 1))) <=
                             DitherLevels,
                         describe("seam in a side border", column, y, image.pixel(column, y)));
            }
        }
    }
    for (int y = h - border; y < h; ++y) {
        for (int x = device(6) + 1; x < w - device(6); ++x) {
            QVERIFY2(qAbs(luma(image.pixel(x, y)) - luma(image.pixel(x - 1, y))) <= DitherLevels,
                     describe("seam in the bottom border", x, y, image.pixel(x, y)));
        }
    }

    // The caption's left end, tiled middle and right end meet without a
    // gap or a step: the tab is one colour along each row between its
    // rounded ends (rows with the tab's outline and shadow included).
    for (int y : captionRows) {
        for (int x = device(26) + 1; x < w - device(26); ++x) {
            QVERIFY2(qAbs(luma(image.pixel(x, y)) - luma(image.pixel(x - 1, y))) <= 12,
                     describe("step between caption pieces", x, y, image.pixel(x, y)));
        }
    }
}

namespace {
// A caption button as seen: its disc's outline (the darkest column in each
// outer third of the middle row, the darkest row in each outer third of the
// middle column), the disc's centre, and the centre of its glyph (the
// near-white pixels inside the disc), in pixels of `image` within `r`.
struct Disc
{
    int left = 0, right = 0, top = 0, bottom = 0;
    double cx = 0, cy = 0;
    double glyphX = -1, glyphY = -1;
};

Disc measureDisc(const QImage &image, const QRect &r)
{
    auto L = [&](int x, int y) {
        return luma(image.pixel(qBound(0, x, image.width() - 1), qBound(0, y, image.height() - 1)));
    };
    auto darkest = [](int from, int to, auto value) {
        int best = from;
        for (int i = from; i <= to; ++i)
            if (value(i) < value(best))
                best = i;
        return best;
    };
    Disc d;
    const int midRow = r.center().y(), midColumn = r.center().x();
    const int third = r.width() / 3;
    d.left = darkest(r.left(), r.left() + third, [&](int x) { return L(x, midRow); });
    d.right = darkest(r.right() - third, r.right(), [&](int x) { return L(x, midRow); });
    d.top = darkest(r.top(), r.top() + third, [&](int y) { return L(midColumn, y); });
    d.bottom = darkest(r.bottom() - third, r.bottom(), [&](int y) { return L(midColumn, y); });
    // Where between pixels the outline's darkest line lies (a parabola
    // through the darkest pixel and its two neighbours).
    auto refined = [](int at, auto value) {
        const double before = value(at - 1), here = value(at), after = value(at + 1);
        const double curve = before - 2 * here + after;
        return curve > 0 ? at + qBound(-0.5, (before - after) / (2 * curve), 0.5) : double(at);
    };
    auto row = [&](int x) { return L(x, midRow); };
    auto column = [&](int y) { return L(midColumn, y); };
    d.cx = (refined(d.left, row) + refined(d.right, row) + 1) / 2.0;
    d.cy = (refined(d.top, column) + refined(d.bottom, column) + 1) / 2.0;
    // Brightness above the disc's face, which averaging keeps where it is,
    // inside the disc's middle (clear of its rim and highlight).
    const double rx = (d.right - d.left + 1) / 2.0, ry = (d.bottom - d.top + 1) / 2.0;
    double sum = 0, sx = 0, sy = 0;
    for (int y = d.top; y <= d.bottom; ++y) {
        for (int x = d.left; x <= d.right; ++x) {
            const double u = (x + 0.5 - d.cx) / rx, v = (y + 0.5 - d.cy) / ry;
            if (u * u + v * v > 0.65 * 0.65)
                continue;
            const QRgb c = image.pixel(x, y);
            const double weight = qMax(0, qMin(qRed(c), qMin(qGreen(c), qBlue(c))) - 120);
            sum += weight;
            sx += weight * (x + 0.5);
            sy += weight * (y + 0.5);
        }
    }
    if (sum > 0) {
        d.glyphX = sx / sum;
        d.glyphY = sy / sum;
    }
    return d;
}
} // namespace

void TestSkinRender::captionButtonsAreRoundAndCentred_data()
{
    QTest::addColumn<qreal>("ratio");
    for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.25, 2.5, 2.75, 3.0, 1.04, 1.1, 1.4})
        QTest::addRow("%g", ratio) << ratio;
    // One line per button: | ratio | button | disc width | glyph x - disc
    // centre | glyph y - where the picture puts it | worst mirror difference
    // (levels, within a pixel's shift) | outline softer than the picture by |
}

// Each button of a sizable window (minimise, maximise, close): its disc's
// outline closes all round, disc and glyph are left-right symmetric within
// one device pixel, and the glyph's centre lies within half a device pixel
// of the disc's.
void TestSkinRender::captionButtonsAreRoundAndCentred()
{
    QFETCH(qreal, ratio);
    QList<QRect> buttons;
    const QImage image = renderWindow(WindowKind::Sizable, 1, true, {}, ratio, &buttons)
                             .convertToFormat(QImage::Format_RGB32);
    QVERIFY(!image.isNull());
    QCOMPARE(buttons.size(), 3);
    save(image, QStringLiteral("engine-buttons-%1").arg(ratio));
    std::shared_ptr<const tavrelctl::SkinPicture> picture;
    QVERIFY(tavrelctl::SkinPicture::fromImage(
        QImage::fromData(realPictureFile(), "BMP").convertToFormat(QImage::Format_Indexed8),
        &picture));
    const tavrelctl::SkinTheme &theme = picture->theme(1);
    const tavrelctl::SkinLayout &layout = picture->layout();
    using Layout = tavrelctl::SkinLayout;
    const Layout::Glyph glyphs[] = {Layout::MinimizeGlyph, Layout::MaximizeGlyph,
                                    Layout::CloseGlyph};
    constexpr Layout::GlyphState Normal = Layout::Normal;
    const char *names[] = {"minimise", "maximise", "close"};
    for (int b = 0; b < buttons.size(); ++b) {
        const QString name = QLatin1String(names[b]);
        // The button's device pixels, with a pixel to spare for rounding.
        const QRect r = QRect(
            QPoint(qFloor(buttons[b].left() * ratio) - 1, qFloor(buttons[b].top() * ratio) - 1),
            QPoint(qCeil((buttons[b].right() + 1) * ratio),
                   qCeil((buttons[b].bottom() + 1) * ratio)));
        const Disc disc = measureDisc(image, r);
        const int left = disc.left, right = disc.right, top = disc.top, bottom = disc.bottom;
        const double cx = disc.cx;
        auto L = [&](int x, int y) { return luma(image.pixel(x, y)); };

        // Closed ring: on every ray from the centre, the darkest pixel of
        // the disc's outer part is within 12 levels as dark as on the same
        // ray in the picture (where a scaled outline broke, or stepped so
        // that the ray slips between two of its pixels, the ray would meet
        // the face alone, 20 levels lighter).
        const Disc drawn = measureDisc(theme.image(), layout.glyphCell(glyphs[b], Normal));
        auto ringDarkness = [](const QImage &in, const Disc &d, double a) {
            const double rx = (d.right - d.left + 1) / 2.0, ry = (d.bottom - d.top + 1) / 2.0;
            int ring = 255;
            for (double t = 0.6; t < 1.0; t += 0.02)
                ring = qMin(ring, luma(in.pixel(qFloor(d.cx + t * rx * std::cos(a)),
                                                qFloor(d.cy + t * ry * std::sin(a)))));
            return ring;
        };
        int softest = -255, leastSymmetric = 0;
        for (int degrees = 0; degrees < 360; degrees += 5) {
            const double a = qDegreesToRadians(double(degrees));
            const int ring = ringDarkness(image, disc, a);
            const int expected = ringDarkness(theme.image(), drawn, a);
            softest = qMax(softest, ring - expected);
            QVERIFY2(ring <= expected + 12,
                     qPrintable(QStringLiteral("%1: the disc's outline is open at %2 degrees "
                                               "(darkest %3, %4 in the picture)")
                                    .arg(name)
                                    .arg(degrees)
                                    .arg(ring)
                                    .arg(expected)));
        }

        // Mirror symmetry about the disc's centre, within one device pixel.
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x < cx; ++x) {
                const int mirrored = left + right - x;
                int best = 255;
                for (int shift : {-1, 0, 1})
                    best = qMin(best, qAbs(L(x, y) - L(mirrored + shift, y)));
                leastSymmetric = qMax(leastSymmetric, best);
                QVERIFY2(best <= 24, qPrintable(QStringLiteral("%1: device (%2, %3) and its "
                                                               "mirror (%4, %3) differ by %5")
                                                    .arg(name)
                                                    .arg(x)
                                                    .arg(y)
                                                    .arg(mirrored)
                                                    .arg(best)));
            }
        }

        // The glyph, the near-white pixels inside the disc, centred in it
        // across within half a device pixel; down, where the picture puts it
        // in the button (the dash sits a little high there), within half a
        // device pixel.
        QVERIFY2(disc.glyphX > 0, qPrintable(name + QStringLiteral(": no glyph")));
        QVERIFY2(qAbs(disc.glyphX - cx) <= 0.5,
                 qPrintable(QStringLiteral("%1: glyph centre x %2, disc centre x %3")
                                .arg(name)
                                .arg(disc.glyphX)
                                .arg(cx)));
        const QRect cell = layout.glyphCell(glyphs[b], Normal);
        const int buttonTop = qRound(buttons[b].top() * ratio);
        const int buttonHeight = qRound((buttons[b].bottom() + 1) * ratio) - buttonTop;
        const double expectedY =
            buttonTop + (drawn.glyphY - cell.top()) * buttonHeight / cell.height();
        QVERIFY2(qAbs(disc.glyphY - expectedY) <= 0.5,
                 qPrintable(QStringLiteral("%1: glyph centre y %2, %3 in the picture scaled")
                                .arg(name)
                                .arg(disc.glyphY)
                                .arg(expectedY)));
        qInfo("| %.2f | %-8s | %2d | %+.2f | %+.2f | %3d | %+3d |", ratio, qPrintable(name),
              right - left + 1, disc.glyphX - cx, disc.glyphY - expectedY, leastSymmetric, softest);
    }
}

void TestSkinRender::piecesAreBuiltOncePerProcess()
{
    renderWindow(WindowKind::FixedDialog, 2, true);
    const int built = tavrelctl::SkinTheme::buildCount();
    renderWindow(WindowKind::Sizable, 2, true);
    renderWindow(WindowKind::FixedDialog, 2, false);
    QCOMPARE(tavrelctl::SkinTheme::buildCount(), built);

    // A window moved to a screen of another scale: its pieces are built for
    // that scale once, and the scale it left keeps its own.
    renderWindow(WindowKind::Sizable, 2, true, {}, 1.75);
    const int pieces = tavrelctl::SkinTheme::pieceBuildCount();
    renderWindow(WindowKind::Sizable, 2, true, {}, 1.75);
    QCOMPARE(tavrelctl::SkinTheme::pieceBuildCount(), pieces);
    renderWindow(WindowKind::Sizable, 2, true, {}, 2.25);
    const int rebuilt = tavrelctl::SkinTheme::pieceBuildCount() - pieces;
    QVERIFY2(rebuilt > 0, "no pieces built for the new scale");
    renderWindow(WindowKind::Sizable, 2, true, {}, 1.75);
    renderWindow(WindowKind::Sizable, 2, true, {}, 2.25);
    QCOMPARE(tavrelctl::SkinTheme::pieceBuildCount(), pieces + rebuilt);
    QCOMPARE(tavrelctl::SkinTheme::buildCount(), built);

    // Two windows with the same picture share one decoded picture.
    QWidget a, b;
    auto skinA = loadSkin(&a);
    auto skinB = loadSkin(&b);
    QVERIFY(skinA && skinB);
    QCOMPARE(&skinA->frame()->theme(), &skinB->frame()->theme());
}

void TestSkinRender::otherPictureGivesOtherLook()
{
    const QByteArray red = bitmapFile(syntheticPicture(qRgb(200, 30, 30), qRgb(230, 230, 200)));
    const QByteArray blue = bitmapFile(syntheticPicture(qRgb(30, 30, 200), qRgb(200, 230, 230)));
    const QImage a = renderWindow(WindowKind::FixedDialog, 1, true, red);
    const QImage b = renderWindow(WindowKind::FixedDialog, 1, true, blue);
    QVERIFY(!a.isNull() && !b.isNull());
    const qreal dpr = a.devicePixelRatio();
    const QPoint tab(a.width() / 2, int(8 * dpr));
    QCOMPARE(QColor(a.pixel(tab)), QColor(200, 30, 30));
    QCOMPARE(QColor(b.pixel(tab)), QColor(30, 30, 200));
    save(a, QStringLiteral("engine-synthetic-red"));
}

namespace {

QImage renderAt(QWidget *window, qreal ratio)
{
    QImage image(window->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    window->render(&image);
    return image;
}

// What a caption keeps between paints (its title strip, the elided title,
// the bold font) and the tiles every window shares must follow each
// change: after it, a window painted before looks exactly like a window
// painted for the first time in the changed state.
enum class Change {
    LongerTitle,
    TitleElided,
    TitleWholeAgain,
    Modified,
    Scheme,
    Font,
    Icon,
    Wider,
    RightToLeft,
    Inactive,
    Ratio2,
    Ratio150
};

QIcon redIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

} // namespace

void TestSkinRender::keptFrameFollowsChanges_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("longer title") << int(Change::LongerTitle);
    QTest::newRow("title elided") << int(Change::TitleElided);
    QTest::newRow("title whole again") << int(Change::TitleWholeAgain);
    QTest::newRow("window modified") << int(Change::Modified);
    QTest::newRow("scheme switch") << int(Change::Scheme);
    QTest::newRow("font") << int(Change::Font);
    QTest::newRow("icon") << int(Change::Icon);
    QTest::newRow("wider") << int(Change::Wider);
    QTest::newRow("right to left") << int(Change::RightToLeft);
    QTest::newRow("active to inactive") << int(Change::Inactive);
    QTest::newRow("ratio 1 to 2") << int(Change::Ratio2);
    QTest::newRow("ratio 1 to 1.5") << int(Change::Ratio150);
}

void TestSkinRender::keptFrameFollowsChanges()
{
    QFETCH(int, change);
    const auto kind = Change(change);
    const qreal ratio = kind == Change::Ratio2 ? 2.0 : kind == Change::Ratio150 ? 1.5 : 1.0;
    auto prepare = [kind](QWidget *window) {
        window->setWindowTitle(QStringLiteral("Sizable[*]"));
        window->resize(kind == Change::TitleWholeAgain ? QSize(150, 180) : QSize(300, 180));
    };
    std::unique_ptr<tavrelctl::TavrelSkin> skin;
    auto changeIt = [kind, &skin](QWidget *window) {
        switch (kind) {
        case Change::LongerTitle:
            window->setWindowTitle(QStringLiteral("A much longer title[*]"));
            break;
        case Change::TitleElided:
            window->setWindowTitle(
                QStringLiteral("A title far too long for the caption of so small a window[*]"));
            break;
        case Change::TitleWholeAgain:
        case Change::Wider:
            window->resize(420, 180);
            break;
        case Change::Modified:
            window->setWindowModified(true);
            break;
        case Change::Scheme:
            QVERIFY(putScheme(skin.get(), 3));
            break;
        case Change::Font: {
            // Smaller: a larger font may shrink back to the caption's size.
            QFont font = window->font();
            font.setPointSizeF(font.pointSizeF() * 0.75);
            window->setFont(font);
            break;
        }
        case Change::Icon:
            window->setWindowIcon(redIcon());
            break;
        case Change::RightToLeft:
            window->setLayoutDirection(Qt::RightToLeft);
            break;
        case Change::Inactive:
        case Change::Ratio2:
        case Change::Ratio150:
            break;
        }
        QCoreApplication::processEvents();
    };

    // Painted once, then changed and painted again. Only the activation
    // needs the window on the screen.
    std::unique_ptr<QWidget> window(createWindow(WindowKind::Sizable));
    prepare(window.get());
    skin = loadSkin(window.get());
    QVERIFY(skin && applySkin(skin.get()));
    QWidget other;
    if (kind == Change::Inactive) {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(skin->frame()->look(), tavrelctl::SkinLayout::Active);
    }
    const QImage before = renderAt(window.get(), 1.0);
    changeIt(window.get());
    if (QTest::currentTestFailed())
        return;
    if (kind == Change::Inactive) {
        other.setGeometry(0, 0, 20, 20);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }
    const QImage after = renderAt(window.get(), ratio);
    skin.reset();
    window.reset();

    // A window never painted before, changed the same way first.
    std::unique_ptr<QWidget> fresh(createWindow(WindowKind::Sizable));
    prepare(fresh.get());
    skin = loadSkin(fresh.get());
    QVERIFY(skin && applySkin(skin.get()));
    changeIt(fresh.get());
    if (QTest::currentTestFailed())
        return;
    const QImage expected = renderAt(fresh.get(), ratio);
    skin.reset();

    QVERIFY2(after.size() != before.size() || after != before, "the change shows nowhere");
    QCOMPARE(after.size(), expected.size());
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (after.pixel(x, y) != expected.pixel(x, y)) {
                save(after, QStringLiteral("kept-after"));
                save(expected, QStringLiteral("kept-expected"));
                QFAIL(qPrintable(QStringLiteral("device (%1, %2): %3 painted again, %4 painted "
                                                "fresh")
                                     .arg(x)
                                     .arg(y)
                                     .arg(QColor(after.pixel(x, y)).name(),
                                          QColor(expected.pixel(x, y)).name())));
            }
        }
    }
}

// A caption button that changes state is repainted on the screen, through
// the window's backing store, with the glyph of its new state.
void TestSkinRender::buttonStateReachesTheScreen()
{
    std::unique_ptr<QWidget> window(createWindow(WindowKind::Sizable));
    auto skin = loadSkin(window.get());
    QVERIFY(skin && applySkin(skin.get()));
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCoreApplication::processEvents();
    tavrelctl::SkinCaptionButton *minimize = skin->frame()->buttons().at(2);
    // What the window shows: its backing store, in device pixels.
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTRY_VERIFY(window->backingStore() && window->backingStore()->paintDevice());
    QVERIFY(window->backingStore()->paintDevice()->devType() == QInternal::Image);
    auto grab = [&] {
        QCoreApplication::processEvents();
        // Asked for each time: with a scale factor it is a view made anew
        // for each paint.
        return static_cast<const QImage *>(window->backingStore()->paintDevice())->copy();
    };
    const qreal ratio = window->windowHandle()->devicePixelRatio();
    const QRect logical(minimize->mapTo(window.get(), QPoint(0, 0)), minimize->size());
    const QRect device(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)),
                       QSize(qFloor(logical.width() * ratio), qFloor(logical.height() * ratio)));
    auto onScreen = [&] { return grab().copy(device); };
    const QImage normal = onScreen();
    QVERIFY(!normal.isNull());

    minimize->setDown(true);
    QCOMPARE(minimize->glyphState(), tavrelctl::SkinLayout::Pressed);
    QImage pressed;
    QTRY_VERIFY((pressed = onScreen()) != normal);
    if (ratio == qFloor(ratio)) {
        // Where the glyph is opaque the screen shows exactly its pressed row;
        // a picture whose pressed row repeats the normal one shows its hot
        // row shaded darker instead.
        const tavrelctl::SkinTheme &theme = skin->frame()->theme();
        const bool shaded = theme.layout().pressedIsShadedHot();
        const QImage glyph =
            theme
                .devicePiece(theme.layout().glyphCell(tavrelctl::SkinLayout::MinimizeGlyph,
                                                      shaded ? tavrelctl::SkinLayout::Hover
                                                             : tavrelctl::SkinLayout::Pressed),
                             device.size(), ratio)
                .toImage()
                .convertToFormat(QImage::Format_ARGB32);
        const QImage shown = pressed.convertToFormat(QImage::Format_ARGB32);
        int opaque = 0, darker = 0;
        for (int y = 0; y < glyph.height(); ++y) {
            for (int x = 0; x < glyph.width(); ++x) {
                if (qAlpha(glyph.pixel(x, y)) != 255)
                    continue;
                ++opaque;
                const QRgb s = shown.pixel(x, y), g = glyph.pixel(x, y);
                if (!shaded) {
                    QCOMPARE(QColor(s), QColor(g));
                    continue;
                }
                QVERIFY2(qRed(s) <= qRed(g) && qGreen(s) <= qGreen(g) && qBlue(s) <= qBlue(g),
                         qPrintable(
                             QStringLiteral("lighter than the hot glyph at %1,%2").arg(x).arg(y)));
                if (qGray(s) + 10 < qGray(g))
                    ++darker;
            }
        }
        if (shaded) // the disc's face, most of the glyph, is pushed in
            QVERIFY2(darker > opaque / 2,
                     qPrintable(QStringLiteral("%1 of %2 pixels darker").arg(darker).arg(opaque)));
        QVERIFY(opaque > device.width() * device.height() / 3);
    }
    minimize->setDown(false);
    QTRY_COMPARE(onScreen(), normal);
    skin.reset();
}


void TestSkinRender::captionTitleReads_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("rightToLeft");
    QTest::addColumn<int>("pointSize"); // of the window's font; 0: the standard one
    const char *schemes[] = {"light blue", "dark blue", "green"};
    for (int scheme = 1; scheme <= 3; ++scheme) {
        for (bool active : {true, false}) {
            for (bool rtl : {false, true})
                QTest::addRow("%s, %s%s", schemes[scheme - 1], active ? "active" : "inactive",
                              rtl ? ", right to left" : "")
                    << int(WindowKind::FixedDialog) << scheme << active << rtl << 0;
        }
    }
    QTest::newRow("sizable, right to left") << int(WindowKind::Sizable) << 1 << true << true << 0;
    // A large font shrinks to the caption instead of losing its descenders.
    QTest::newRow("16 pt") << int(WindowKind::FixedDialog) << 1 << true << false << 16;
    QTest::newRow("sizable, 16 pt, right to left, inactive")
        << int(WindowKind::Sizable) << 3 << false << true << 16;
}

// The title as a reader meets it, from the rendered caption: drawn in every
// scheme, look and direction, clear of the caption buttons, and every edge
// of its glyphs meeting, within two pixels, a colour that stands out 4.5:1
// from the ink (the caption itself, or a halo drawn with the text). The ink
// is the commonest colour deep inside the pixels the title changes.
// Inactive buttons' symbols stand out 3:1 from their discs.
void TestSkinRender::captionTitleReads()
{
    QFETCH(int, kind);
    QFETCH(int, scheme);
    QFETCH(bool, active);
    QFETCH(bool, rightToLeft);
    QFETCH(int, pointSize);
    auto prepare = [rightToLeft, pointSize](const QString &title) {
        return [rightToLeft, pointSize, title](QWidget *w) {
            w->setWindowTitle(title);
            if (rightToLeft)
                w->setLayoutDirection(Qt::RightToLeft);
            if (pointSize > 0) {
                QFont font = w->font();
                font.setPointSize(pointSize);
                w->setFont(font);
            }
        };
    };
    QList<QRect> buttons;
    const QImage titled = renderWindow(WindowKind(kind), scheme, active, {}, 1.0, &buttons,
                                       prepare(QStringLiteral("Tavrel Sample")))
                              .convertToFormat(QImage::Format_RGB32);
    const QImage bare =
        renderWindow(WindowKind(kind), scheme, active, {}, 1.0, nullptr, prepare(QString()))
            .convertToFormat(QImage::Format_RGB32);
    QVERIFY(!titled.isNull() && titled.size() == bare.size());
    QVERIFY(!buttons.isEmpty());

    const QRect all = titled.rect();
    auto changed = [&](QPoint p) { return all.contains(p) && titled.pixel(p) != bare.pixel(p); };
    QRect footprint;
    QHash<QRgb, int> deep;
    for (int y = 0; y < titled.height(); ++y) {
        for (int x = 0; x < titled.width(); ++x) {
            if (!changed({x, y}))
                continue;
            footprint |= QRect(x, y, 1, 1);
            bool inside = true;
            for (int dy = -1; dy <= 1 && inside; ++dy)
                for (int dx = -1; dx <= 1 && inside; ++dx)
                    inside = changed({x + dx, y + dy});
            if (inside)
                ++deep[titled.pixel(x, y)];
        }
    }
    QVERIFY2(footprint.width() > 40, "no title drawn");
    save(titled.copy(0, 0, titled.width(), 40),
         QStringLiteral("engine-title-%1").arg(QString::fromLatin1(QTest::currentDataTag())
                                                   .replace(QLatin1String(", "), QLatin1String("-"))
                                                   .replace(QLatin1Char(' '), QLatin1Char('-'))));
    for (const QRect &button : std::as_const(buttons))
        QVERIFY2(!footprint.intersects(button), "the title runs under a caption button");
    // Right to left, the title starts at the right.
    QCOMPARE(footprint.center().x() > titled.width() / 2, rightToLeft);
    // Whole: the ink is drawn clipped to its text box, its halo (or shadow)
    // a pixel beyond it; ink cut at an edge of the box shows as a halo
    // outside it.
    std::shared_ptr<const tavrelctl::SkinPicture> picture;
    QVERIFY(tavrelctl::SkinPicture::fromImage(
        QImage::fromData(realPictureFile(), "BMP").convertToFormat(QImage::Format_Indexed8),
        &picture));
    const tavrelctl::SkinLayout &layout = picture->layout();
    const int boxTop = layout.marker(tavrelctl::SkinLayout::TextTop);
    const int boxBottom = boxTop + layout.glyphSize().height() - 1;
    QVERIFY2(footprint.top() >= boxTop && footprint.bottom() <= boxBottom,
             qPrintable(QStringLiteral("title rows %1 to %2 in a text box of rows %3 to %4")
                            .arg(footprint.top())
                            .arg(footprint.bottom())
                            .arg(boxTop)
                            .arg(boxBottom)));
    QRgb ink = 0;
    for (auto it = deep.cbegin(); it != deep.cend(); ++it)
        if (it.value() > deep.value(ink))
            ink = it.key();
    // The glyphs' bodies: the ink and its shades within 1.5:1 of it. Each
    // body pixel must have, within two pixels, one that stands out from the
    // ink: the caption beyond the glyph's edge, or a halo drawn around it.
    auto contrast = [&](QPoint p) {
        return tavrelctl::SkinTheme::contrastRatio(QColor::fromRgb(ink), titled.pixelColor(p));
    };
    qreal least = 21;
    int edges = 0;
    for (int y = footprint.top(); y <= footprint.bottom(); ++y) {
        for (int x = footprint.left(); x <= footprint.right(); ++x) {
            if (contrast({x, y}) >= 1.5)
                continue;
            ++edges;
            qreal best = 1;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    if (all.contains(QPoint(x + dx, y + dy)))
                        best = qMax(best, contrast({x + dx, y + dy}));
            least = qMin(least, best);
        }
    }
    QVERIFY(edges > 50);
    qInfo("title edge contrast %.2f:1 (ink %s, %d glyph pixels)", least,
          qPrintable(QColor::fromRgb(ink).name()), edges);
    QVERIFY2(least >= tavrelctl::SkinTheme::MinimumTextContrast, qPrintable(QString::number(least)));

    // The buttons' symbols against their discs: the disc is the glyph's
    // commonest colour, the symbol the one that differs most from it.
    for (const QRect &button : std::as_const(buttons)) {
        QHash<QRgb, int> counts;
        const QRect glyph = button.intersected(all);
        for (int y = glyph.top(); y <= glyph.bottom(); ++y)
            for (int x = glyph.left(); x <= glyph.right(); ++x)
                ++counts[bare.pixel(x, y)];
        QRgb disc = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > counts.value(disc))
                disc = it.key();
        qreal symbol = 1;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            symbol = qMax(symbol,
                          tavrelctl::SkinTheme::contrastRatio(QColor(it.key()), QColor(disc)));
        qInfo("glyph contrast %.2f:1", symbol);
        QVERIFY2(symbol >= 3.0, qPrintable(QString::number(symbol)));
    }
}

QTEST_MAIN(TestSkinRender)
#include "tst_skinrender.moc"
