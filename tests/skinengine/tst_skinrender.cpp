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

using namespace skintest;

// The skin as drawn: schemes look different, the frame is built from whole
// device pixels of the picture's own colours at every scale, and the pieces
// are built once per process. Run once per device pixel ratio
// (QT_SCALE_FACTOR). With TAVREL_RENDER_DIR set, the renders are saved there.
class TestSkinRender : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void schemeLooksDiffer();
    void activeAndInactiveDiffer();
    void frameIsCrispWithoutSeams_data();
    void frameIsCrispWithoutSeams();
    void piecesAreBuiltOncePerProcess();
    void otherPictureGivesOtherLook();
    void keptFrameFollowsChanges_data();
    void keptFrameFollowsChanges();
    void buttonStateReachesTheScreen();

private:
    // `imageRatio` > 0: rendered into an image of that device pixel ratio
    // instead of grabbed at the screen's.
    QImage renderWindow(WindowKind kind, int scheme, bool active, const QByteArray &bitmap = {},
                        qreal imageRatio = 0);
    void save(const QImage &image, const QString &name);
};

void TestSkinRender::initTestCase()
{
    testing::installStrictMessageHandler();
    testing::applyApplicationDefaults();
    QVERIFY(!realPictureFile().isEmpty());
}

QImage TestSkinRender::renderWindow(WindowKind kind, int scheme, bool active,
                                    const QByteArray &bitmap, qreal imageRatio)
{
    std::unique_ptr<QWidget> window(createWindow(kind));
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
    // Rendering into an image of another ratio than the screen's.
    for (qreal ratio : {1.25, 1.5, 2.0, 3.0}) {
        QTest::addRow("fixed dialog into an image at %g", ratio)
            << int(WindowKind::FixedDialog) << 1 << ratio;
        QTest::addRow("sizable into an image at %g", ratio)
            << int(WindowKind::Sizable) << 3 << ratio;
    }
}

void TestSkinRender::frameIsCrispWithoutSeams()
{
    QFETCH(int, kind);
    QFETCH(int, scheme);
    QFETCH(qreal, imageRatio);
    const QImage image = renderWindow(WindowKind(kind), scheme, true, {}, imageRatio)
                             .convertToFormat(QImage::Format_RGB32);
    QVERIFY(!image.isNull());
    std::shared_ptr<const tavrelctl::SkinPicture> picture;
    QVERIFY(tavrelctl::SkinPicture::fromImage(
        QImage::fromData(realPictureFile(), "BMP").convertToFormat(QImage::Format_Indexed8),
        &picture));
    QSet<QRgb> own;
    // The colours of the frame's pieces (caption bands, tiles, glyphs); not
    // the swatches, whose black would hide an unpainted gap.
    const QImage pieces = picture->theme(scheme).image();
    const int piecesBottom = picture->layout().swatchCell(0).top() - 1;
    for (int y = 0; y < piecesBottom; ++y)
        for (int x = 0; x < pieces.width(); ++x)
            own.insert(pieces.pixel(x, y) | 0xff000000);

    const qreal dpr = image.devicePixelRatio();
    const int w = image.width(), h = image.height();
    const int border = int(6 * dpr); // whole device pixels fully inside a border
    const int caption = int(25 * dpr);
    auto check = [&](int x, int y, const char *where) {
        const QRgb c = image.pixel(x, y) | 0xff000000;
        if (own.contains(c))
            return true;
        QTest::qFail(qPrintable(QStringLiteral("%1 at device (%2, %3): %4 is no colour of the "
                                               "picture (blurred or a seam)")
                                    .arg(QLatin1String(where))
                                    .arg(x)
                                    .arg(y)
                                    .arg(QColor(c).name())),
                     __FILE__, __LINE__);
        return false;
    };
    for (int y = caption + 1; y < h; ++y) {
        for (int x = 0; x < border; ++x) {
            if (!check(x, y, "left border") || !check(w - 1 - x, y, "right border"))
                return;
        }
    }
    for (int y = h - border; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!check(x, y, "bottom border"))
                return;
    // The caption's top rows are above its text and buttons.
    for (int y = 0; y < int(3 * dpr); ++y)
        for (int x = 0; x < w; ++x)
            if (!check(x, y, "caption"))
                return;
    // The outermost device column is the frame line all along (dithered by
    // a few levels at most).
    const QColor line = QColor(image.pixel(0, h / 2));
    for (int y = caption; y < h; ++y) {
        QVERIFY2(qAbs(QColor(image.pixel(0, y)).lightness() - line.lightness()) <= 8,
                 qPrintable(QStringLiteral("row %1").arg(y)));
    }
}

void TestSkinRender::piecesAreBuiltOncePerProcess()
{
    renderWindow(WindowKind::FixedDialog, 2, true);
    const int built = tavrelctl::SkinTheme::buildCount();
    renderWindow(WindowKind::Sizable, 2, true);
    renderWindow(WindowKind::FixedDialog, 2, false);
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
            QFont font = window->font();
            font.setPointSizeF(font.pointSizeF() * 1.5);
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
        // Where the glyph is opaque the screen shows exactly its pressed row.
        const tavrelctl::SkinTheme &theme = skin->frame()->theme();
        const QImage glyph =
            theme
                .devicePiece(theme.layout().glyphCell(tavrelctl::SkinLayout::MinimizeGlyph,
                                                      tavrelctl::SkinLayout::Pressed),
                             device.size())
                .toImage()
                .convertToFormat(QImage::Format_ARGB32);
        const QImage shown = pressed.convertToFormat(QImage::Format_ARGB32);
        int opaque = 0;
        for (int y = 0; y < glyph.height(); ++y) {
            for (int x = 0; x < glyph.width(); ++x) {
                if (qAlpha(glyph.pixel(x, y)) != 255)
                    continue;
                ++opaque;
                QCOMPARE(QColor(shown.pixel(x, y)), QColor(glyph.pixel(x, y)));
            }
        }
        QVERIFY(opaque > device.width() * device.height() / 3);
    }
    minimize->setDown(false);
    QTRY_COMPARE(onScreen(), normal);
    skin.reset();
}

QTEST_MAIN(TestSkinRender)
#include "tst_skinrender.moc"
