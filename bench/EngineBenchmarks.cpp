// The skin engine in-process: painting one frame of decorations against a
// style-sheet nine-slice of the same picture, colour scheme switches (a
// scheme's pieces built from nothing, and a switch between schemes already
// built), a move to a screen of another scale against a cold scheme switch
// there, decoding the stored picture, and one picture shared by the three
// windows of the application.
//
// CPU times are the whole process's: Qt scales large images on its thread
// pool, which the calling thread's CPU time would leave out.
//
// With TAVREL_BENCH_SAVE_DIR set, the first frame of each painting
// benchmark is saved there as PNG, to look at.
#include <ComponentHost.h>
#include <Form.h>
#include <PictureStream.h>
#include <SkinCaption.h>
#include <SkinCaptionButton.h>
#include <SkinContract.h>
#include <SkinFrame.h>
#include <SkinPicture.h>
#include <SkinProperties.h>
#include <SkinScheme.h>
#include <SkinTheme.h>
#include <TavrelSkin.h>
#include <TavrelSkinIds.h>
#include <WindowRegistry.h>

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using tavrelctl::SkinLayout;
using tavrelctl::SkinPicture;
using tavrelctl::SkinTheme;

const QSize kSizes[] = {QSize(371, 201), QSize(1920, 1080), QSize(3840, 2160)};

QSize sizeArg(const benchmark::State &state)
{
    return kSizes[state.range(0)];
}

void sizeArgs(benchmark::internal::Benchmark *b)
{
    b->ArgName("size");
    for (int i = 0; i < 3; ++i)
        b->Arg(i);
}

QString sizeLabel(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

void saveIfAsked(const QImage &image, const QString &name)
{
    const QString dir = qEnvironmentVariable("TAVREL_BENCH_SAVE_DIR");
    if (!dir.isEmpty())
        image.save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

tavrel::host::Status call(tavrel::host::Component *component, tavrel::host::DispId member,
                  QList<tavrel::host::Variant> args = {})
{
    const tavrel::host::InvokeKind kind =
        args.isEmpty() ? tavrel::host::InvokeKind::Method : tavrel::host::InvokeKind::PropertyPut;
    return component->invoke(member, kind, args);
}

// A plain sizable top-level window carrying the skin component, sized so
// that the whole window (caption and borders included) is `size`. Hidden:
// it is painted with QWidget::render only.
struct SkinnedWindow
{
    std::unique_ptr<QWidget> window;
    std::unique_ptr<tavrelctl::TavrelSkin> skin;
    QString error;

    explicit SkinnedWindow(const QSize &size)
        : window(std::make_unique<QWidget>()), skin(std::make_unique<tavrelctl::TavrelSkin>())
    {
        window->setWindowTitle(QStringLiteral("Tavrel Sample"));
        tavrel::host::Status status = skin->load(window.get(), skin::storedProperties(), nullptr);
        if (status)
            status = call(skin.get(), tavrelctl::MemberId::ApplySkin);
        window->resize(size);
        // A second ApplySkin puts the caption and borders in place for the
        // new size (a hidden window gets its resize event only when shown).
        if (status)
            status = call(skin.get(), tavrelctl::MemberId::ApplySkin);
        if (!status)
            error = status.toString();
    }
    ~SkinnedWindow()
    {
        skin.reset(); // the frame undoes its work on a living window
    }

    tavrelctl::SkinFrame *frame() const { return skin->frame(); }

    // Where the decorations are: the caption bar and the three borders.
    QRegion decorations() const
    {
        QRegion region;
        for (QObject *child : window->children()) {
            if (child->isWidgetType() && tavrelctl::SkinFrame::isSkinWidget(child))
                region += static_cast<QWidget *>(child)->geometry();
        }
        return region;
    }
};

// One frame of decorations, painted by the engine's own paint events from
// its cached pieces into an image of the window's size.
void BM_DecorationsPaint(benchmark::State &state)
{
    const QSize size = sizeArg(state);
    SkinnedWindow w(size);
    if (!w.error.isEmpty()) {
        state.SkipWithError(qPrintable(w.error));
        return;
    }
    const QRegion region = w.decorations();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w.window->render(&image, QPoint(), region, QWidget::DrawChildren);
    const QRect caption = w.frame()->caption()->geometry();
    if (qAlpha(image.pixel(caption.center())) == 0 || qAlpha(image.pixel(1, size.height() / 2)) == 0 ||
        qAlpha(image.pixel(size.width() / 2, size.height() - 1)) == 0) {
        state.SkipWithError("the decorations left part of the frame unpainted");
        return;
    }
    saveIfAsked(image, QStringLiteral("decorations-") + sizeLabel(size));
    for (auto _ : state) {
        w.window->render(&image, QPoint(), region, QWidget::DrawChildren);
        benchmark::ClobberMemory();
    }
    state.SetLabel(sizeLabel(size).toStdString());
}
BENCHMARK(BM_DecorationsPaint)->Apply(sizeArgs)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The floor for the same frame: one QPainter on an image of the window's
// size blitting the engine's own pieces, already cut and scaled, where the
// engine puts them: the caption's ends, the bottom corners and three buttons
// with drawPixmap, the caption's middle and the three edges with
// drawTiledPixmap. No title, no widgets, no clipping.
void BM_PlainBlit(benchmark::State &state)
{
    const QSize size = sizeArg(state);
    SkinnedWindow w(size); // the engine's own pieces and measures
    if (!w.error.isEmpty()) {
        state.SkipWithError(qPrintable(w.error));
        return;
    }
    const SkinTheme &theme = w.frame()->theme();
    const SkinLayout &layout = theme.layout();
    const SkinLayout::Look look = w.frame()->look();
    const int captionHeight = w.frame()->captionHeight();
    const QRect leftSource = theme.captionSource(look, SkinLayout::LeftEnd, captionHeight);
    const QPixmap left = theme.devicePiece(leftSource, leftSource.size());
    const QRect middleSource = theme.captionSource(look, SkinLayout::Middle, captionHeight);
    const QPixmap middle = theme.devicePiece(middleSource, middleSource.size());
    const QRect rightSource = theme.captionSource(look, SkinLayout::RightEnd, captionHeight);
    const QPixmap right = theme.devicePiece(rightSource, rightSource.size());
    auto tile = [&](SkinLayout::Tile t) {
        const QRect r = layout.frameTile(look, t);
        return theme.devicePiece(r, r.size());
    };
    const QPixmap leftEdge = tile(SkinLayout::LeftEdge);
    const QPixmap rightEdge = tile(SkinLayout::RightEdge);
    const QPixmap bottomLeft = tile(SkinLayout::BottomLeft);
    const QPixmap bottomEdge = tile(SkinLayout::BottomEdge);
    const QPixmap bottomRight = tile(SkinLayout::BottomRight);
    QList<std::pair<QPoint, QPixmap>> buttons;
    for (tavrelctl::SkinCaptionButton *button : w.frame()->buttons()) {
        if (button->isHidden())
            continue;
        const QRect cell = layout.glyphCell(button->glyph(), button->glyphState());
        buttons.append({button->geometry().topLeft(), theme.devicePiece(cell, cell.size())});
    }
    const int width = size.width(), height = size.height();
    const int bottomTop = height - bottomEdge.height();
    const QRect middleRect(left.width(), 0, width - left.width() - right.width(), captionHeight);
    const QRect leftRect(0, captionHeight, leftEdge.width(), bottomTop - captionHeight);
    const QRect rightRect(width - rightEdge.width(), captionHeight, rightEdge.width(),
                          bottomTop - captionHeight);
    const QRect bottomRect(bottomLeft.width(), bottomTop,
                           width - bottomLeft.width() - bottomRight.width(), bottomEdge.height());
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // Not inlined: profiles find the frame's cost under this one name.
    struct Blit
    {
        Q_NEVER_INLINE static void paint(QImage *image, const QPixmap &left, const QPixmap &middle,
                                         const QPixmap &right, const QRect &middleRect,
                                         const QList<std::pair<QPoint, QPixmap>> &buttons,
                                         const QPixmap &leftEdge, const QRect &leftRect,
                                         const QPixmap &rightEdge, const QRect &rightRect,
                                         const QPixmap &bottomLeft, const QPixmap &bottomEdge,
                                         const QRect &bottomRect, const QPixmap &bottomRight)
        {
            const int width = image->width(), bottomTop = bottomRect.top();
            QPainter p(image);
            p.drawPixmap(0, 0, left);
            p.drawTiledPixmap(middleRect, middle);
            p.drawPixmap(width - right.width(), 0, right);
            for (const auto &[pos, pixmap] : buttons)
                p.drawPixmap(pos, pixmap);
            p.drawTiledPixmap(leftRect, leftEdge);
            p.drawTiledPixmap(rightRect, rightEdge);
            p.drawPixmap(0, bottomTop, bottomLeft);
            p.drawTiledPixmap(bottomRect, bottomEdge);
            p.drawPixmap(width - bottomRight.width(), bottomTop, bottomRight);
        }
    };
    auto paint = [&] {
        Blit::paint(&image, left, middle, right, middleRect, buttons, leftEdge, leftRect, rightEdge,
                    rightRect, bottomLeft, bottomEdge, bottomRect, bottomRight);
    };
    paint();
    if (buttons.size() != 3 || qAlpha(image.pixel(width / 2, captionHeight / 2)) == 0 ||
        qAlpha(image.pixel(1, height / 2)) == 0 ||
        qAlpha(image.pixel(width / 2, height - 1)) == 0) {
        state.SkipWithError("the plain blit left part of the frame unpainted");
        return;
    }
    saveIfAsked(image, QStringLiteral("plainblit-") + sizeLabel(size));
    for (auto _ : state) {
        paint();
        benchmark::ClobberMemory();
    }
    state.SetLabel(sizeLabel(size).toStdString());
}
BENCHMARK(BM_PlainBlit)->Apply(sizeArgs)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The nine-slice picture a style sheet needs for the same frame: the
// caption's left end, middle and right end on top, the side tiles in the
// middle row (on the window's face colour), the bottom corners and edge
// below. All from the engine's own scheme-1 pieces, active look.
QImage nineSlicePicture(const SkinTheme &theme, int captionHeight, QMargins *slices)
{
    const SkinLayout &layout = theme.layout();
    const QRect left = theme.captionSource(SkinLayout::Active, SkinLayout::LeftEnd, captionHeight);
    const QRect middle = theme.captionSource(SkinLayout::Active, SkinLayout::Middle, captionHeight);
    const QRect right = theme.captionSource(SkinLayout::Active, SkinLayout::RightEnd, captionHeight);
    const QRect leftEdge = layout.frameTile(SkinLayout::Active, SkinLayout::LeftEdge);
    const QRect rightEdge = layout.frameTile(SkinLayout::Active, SkinLayout::RightEdge);
    const QRect bottomLeft = layout.frameTile(SkinLayout::Active, SkinLayout::BottomLeft);
    const QRect bottomEdge = layout.frameTile(SkinLayout::Active, SkinLayout::BottomEdge);
    const QRect bottomRight = layout.frameTile(SkinLayout::Active, SkinLayout::BottomRight);
    const int width = left.width() + middle.width() + right.width();
    const int top = left.height();
    const int rows = leftEdge.height();
    const int bottom = bottomEdge.height();
    QImage picture(width, top + rows + bottom, QImage::Format_ARGB32_Premultiplied);
    picture.fill(theme.swatch(SkinLayout::WindowSwatch));
    QPainter p(&picture);
    const QImage &source = theme.image();
    p.drawImage(QPoint(0, 0), source, left);
    p.drawImage(QPoint(left.width(), 0), source, middle);
    p.drawImage(QPoint(left.width() + middle.width(), 0), source, right);
    p.drawImage(QPoint(0, top), source, leftEdge);
    p.drawImage(QPoint(width - rightEdge.width(), top), source, rightEdge);
    for (int x = 0; x < width; x += bottomEdge.width())
        p.drawImage(QPoint(x, top + rows), source, bottomEdge);
    p.drawImage(QPoint(0, top + rows), source, bottomLeft);
    p.drawImage(QPoint(width - bottomRight.width(), top + rows), source, bottomRight);
    p.end();
    *slices = QMargins(left.width(), top, right.width(), bottom);
    return picture;
}

// The same window's frame drawn the way a style sheet would: a QFrame of
// the same size with a border-image nine-slice of the same pieces, rendered
// into an image of the same size. Rule 0 repeats the middle slices (as the
// engine tiles them), rule 1 stretches them (cheaper: one blit per slice).
void BM_StyleSheetNineSlice(benchmark::State &state)
{
    const QSize size = sizeArg(state);
    const bool stretch = state.range(1) != 0;
    SkinnedWindow w(size); // the engine's own measures for the slices
    if (!w.error.isEmpty()) {
        state.SkipWithError(qPrintable(w.error));
        return;
    }
    const SkinTheme &theme = w.frame()->theme();
    QMargins slices;
    const QImage picture = nineSlicePicture(theme, w.frame()->captionHeight(), &slices);
    const QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("nineslice.png"));
    if (!dir.isValid() || !picture.save(file)) {
        state.SkipWithError("cannot write the nine-slice picture");
        return;
    }
    const bool middleTiled = theme.layout().marker(SkinLayout::MiddleFill) == 0;
    const QString horizontal =
        stretch ? QStringLiteral("stretch") : QLatin1String(middleTiled ? "repeat" : "stretch");
    const QString vertical = stretch ? QStringLiteral("stretch") : QStringLiteral("repeat");
    const QString widths = QStringLiteral("%1 %2 %3 %4")
                               .arg(slices.top())
                               .arg(slices.right())
                               .arg(slices.bottom())
                               .arg(slices.left());
    QFrame frame;
    frame.resize(size);
    frame.setStyleSheet(QStringLiteral("QFrame { border-style: solid; border-width: %1; "
                                       "border-image: url(%2) %3 %4 %5; }")
                            .arg(QString(widths).replace(QLatin1Char(' '), QLatin1String("px ")) +
                                     QStringLiteral("px"),
                                 file, widths, horizontal, vertical));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    frame.render(&image);
    if (qAlpha(image.pixel(size.width() / 2, slices.top() / 2)) == 0 ||
        qAlpha(image.pixel(size.width() / 2, size.height() - 1)) == 0) {
        state.SkipWithError("the style sheet left part of the frame unpainted");
        return;
    }
    saveIfAsked(image, QStringLiteral("stylesheet-%1-%2")
                           .arg(sizeLabel(size), stretch ? QStringLiteral("stretch")
                                                         : QStringLiteral("repeat")));
    for (auto _ : state) {
        frame.render(&image);
        benchmark::ClobberMemory();
    }
    state.SetLabel((sizeLabel(size) + (stretch ? QStringLiteral(" stretch") : QStringLiteral(" repeat")))
                       .toStdString());
}
BENCHMARK(BM_StyleSheetNineSlice)
    ->ArgNames({"size", "stretch"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// Live resizing: CleanFrm, shown, stepped from 300 x 200 to 1920 x 1080 in
// 100 steps and back; one iteration is one step: the resize, the layout it
// causes (the events it posts delivered) and a full repaint of the window
// through its backing store. Skinned by the engine registered in-process,
// against the same window with the skin removed (RemoveSkin). The window's
// size is its widget size either way: with the skin on, that includes the
// drawn frame.
forms::Form *cleanForm(QString *error)
{
    static app::WindowRegistry *registry = nullptr;
    if (!registry) {
        tavrel::host::ComponentHost::instance().registerClass(
            skin::className(), [] { return std::make_unique<tavrelctl::TavrelSkin>(); });
        registry = new app::WindowRegistry;
        try {
            registry->form(forms::FormKind::Clean).show();
        } catch (const tavrel::host::Error &e) {
            *error = e.status().toString();
            return nullptr;
        }
        QCoreApplication::processEvents();
    }
    return &registry->form(forms::FormKind::Clean);
}

void BM_LiveResize(benchmark::State &state)
{
    const bool skinned = state.range(0) != 0;
    QString error;
    forms::Form *form = cleanForm(&error);
    if (!form) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    QWidget *window = form->window();
    try {
        if (skinned)
            form->skin().applySkin();
        else
            form->skin().removeSkin();
    } catch (const tavrel::host::Error &e) {
        state.SkipWithError(e.what());
        return;
    }
    QCoreApplication::processEvents();
    const bool hasCaption =
        window->findChild<QWidget *>(QStringLiteral("tavrelskin_caption")) != nullptr &&
        window->findChild<QWidget *>(QStringLiteral("tavrelskin_caption"))->isVisible();
    if (hasCaption != skinned) {
        state.SkipWithError(skinned ? "CleanFrm is not skinned" : "the skin did not come off");
        return;
    }
    constexpr int Steps = 100;
    const QSize from(300, 200), to(1920, 1080);
    auto sizeAt = [&](int i) {
        return QSize(from.width() + (to.width() - from.width()) * i / (Steps - 1),
                     from.height() + (to.height() - from.height()) * i / (Steps - 1));
    };
    auto step = [&](int i) {
        window->resize(sizeAt(i));
        QCoreApplication::sendPostedEvents();
        window->repaint();
    };
    // Every size once before timing, and a check that the window follows.
    for (int i = 0; i < Steps; ++i)
        step(i);
    if (window->size() != to) {
        state.SkipWithError("CleanFrm did not take the size asked for");
        return;
    }
    int i = Steps - 1, direction = -1;
    for (auto _ : state) {
        if (i + direction < 0 || i + direction >= Steps)
            direction = -direction;
        i += direction;
        step(i);
    }
    window->resize(from);
    QCoreApplication::processEvents();
    state.SetLabel(skinned ? "skinned" : "unskinned");
}
BENCHMARK(BM_LiveResize)->ArgName("skinned")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

QImage decodedPicture()
{
    QImage image;
    tavrel::host::PictureStream::decodeStoredBitmap(skin::storedSkinPicture(), &image);
    return image;
}

// What a scheme's first use costs: the palette pass and the conversion of
// the picture, then every piece one frame paints cut and cached.
void BM_SchemeBuildCold(benchmark::State &state)
{
    const int scheme = int(state.range(0));
    std::shared_ptr<const SkinPicture> picture;
    if (!SkinPicture::fromImage(decodedPicture(), &picture)) {
        state.SkipWithError("the skin picture does not decode");
        return;
    }
    const SkinLayout &layout = picture->layout();
    const int height = layout.captionHeight(layout.marker(SkinLayout::SizableCaption));
    for (auto _ : state) {
        SkinTheme theme(picture->image(), layout, scheme);
        QList<QRect> pieces;
        for (auto part : {SkinLayout::LeftEnd, SkinLayout::Middle, SkinLayout::RightEnd})
            pieces << theme.captionSource(SkinLayout::Active, part, height);
        for (auto tile : {SkinLayout::LeftEdge, SkinLayout::RightEdge, SkinLayout::BottomLeft,
                          SkinLayout::BottomEdge, SkinLayout::BottomRight})
            pieces << layout.frameTile(SkinLayout::Active, tile);
        for (auto glyph : {SkinLayout::CloseGlyph, SkinLayout::MaximizeGlyph, SkinLayout::MinimizeGlyph})
            pieces << layout.glyphCell(glyph, SkinLayout::Normal);
        for (const QRect &piece : std::as_const(pieces))
            benchmark::DoNotOptimize(theme.devicePiece(piece, piece.size()));
        benchmark::DoNotOptimize(theme.swatch(SkinLayout::WindowSwatch));
    }
    state.SetLabel(tavrelctl::SkinScheme::name(scheme).toStdString());
}
BENCHMARK(BM_SchemeBuildCold)->ArgName("scheme")->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// A switch to a scheme this process has not shown yet, on a skinned
// 371 x 201 window with a picture of its own: palette remap, theme and
// pieces built, the window recoloured; with repaint, the whole window
// rendered once more.
void BM_SchemeSwitchCold(benchmark::State &state)
{
    const bool repaint = state.range(0) != 0;
    const QImage decoded = decodedPicture();
    const QSize size = kSizes[0];
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        std::shared_ptr<const SkinPicture> picture;
        if (!SkinPicture::fromImage(decoded, &picture)) {
            state.SkipWithError("the skin picture does not decode");
            return;
        }
        auto window = std::make_unique<QWidget>();
        window->resize(size);
        auto frame = std::make_unique<tavrelctl::SkinFrame>(window.get(), picture);
        frame->apply();
        window->render(&image);
        state.ResumeTiming();

        frame->setScheme(tavrelctl::SkinScheme::DarkBlue);
        if (repaint)
            window->render(&image);

        state.PauseTiming();
        frame.reset();
        window.reset();
        state.ResumeTiming();
    }
    state.SetLabel(repaint ? "with repaint" : "without repaint");
}
BENCHMARK(BM_SchemeSwitchCold)->ArgName("repaint")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// A window moved to a screen of another scale, against a switch to a scheme
// this process has not shown yet, on that screen: a skinned 371 x 201 window
// with a picture of its own, first painted at scale 1 (move) or already at
// the new scale (scheme); timed, the pieces built for the new scale (and,
// for the scheme, the theme) and the whole window rendered at that scale.
// The move must cost no more than the switch.
void BM_ColdAtScale(benchmark::State &state)
{
    const bool schemeSwitch = state.range(0) != 0;
    const qreal ratio = state.range(1) / 100.0;
    const QImage decoded = decodedPicture();
    const QSize size = kSizes[0];
    QImage before(size * (schemeSwitch ? ratio : 1.0), QImage::Format_ARGB32_Premultiplied);
    before.setDevicePixelRatio(schemeSwitch ? ratio : 1.0);
    QImage after(size * ratio, QImage::Format_ARGB32_Premultiplied);
    after.setDevicePixelRatio(ratio);
    int builtPieces = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::shared_ptr<const SkinPicture> picture;
        if (!SkinPicture::fromImage(decoded, &picture)) {
            state.SkipWithError("the skin picture does not decode");
            return;
        }
        auto window = std::make_unique<QWidget>();
        window->resize(size);
        auto frame = std::make_unique<tavrelctl::SkinFrame>(window.get(), picture);
        frame->apply();
        window->render(&before);
        const int piecesBefore = SkinTheme::pieceBuildCount();
        state.ResumeTiming();

        if (schemeSwitch)
            frame->setScheme(tavrelctl::SkinScheme::DarkBlue);
        window->render(&after);

        state.PauseTiming();
        builtPieces = SkinTheme::pieceBuildCount() - piecesBefore;
        saveIfAsked(after,
                    QStringLiteral("cold-at-scale-%1-%2")
                        .arg(schemeSwitch ? QStringLiteral("scheme") : QStringLiteral("move"))
                        .arg(ratio));
        frame.reset();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["pieces"] = builtPieces;
    state.SetLabel(
        QStringLiteral("%1 at %2")
            .arg(schemeSwitch ? QStringLiteral("scheme switch") : QStringLiteral("scale change"))
            .arg(ratio)
            .toStdString());
}
BENCHMARK(BM_ColdAtScale)
    ->ArgNames({"scheme", "ratio"})
    ->ArgsProduct({{0, 1}, {125, 150, 175, 200, 250, 300}})
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime();

// A switch between schemes already built (the theme is a lookup, the
// window is recoloured and its decorations marked for update), through the
// component's ColorScheme property; with repaint, the whole window rendered.
void BM_SchemeSwitchWarm(benchmark::State &state)
{
    const bool repaint = state.range(0) != 0;
    const QSize size = kSizes[0];
    SkinnedWindow w(size);
    if (!w.error.isEmpty()) {
        state.SkipWithError(qPrintable(w.error));
        return;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int scheme : {2, 3, 1}) {
        call(w.skin.get(), tavrelctl::MemberId::ColorScheme, {tavrel::host::Variant::fromI4(scheme)});
        w.window->render(&image);
    }
    int scheme = 1;
    for (auto _ : state) {
        scheme = scheme % 3 + 1;
        const tavrel::host::Status status =
            call(w.skin.get(), tavrelctl::MemberId::ColorScheme, {tavrel::host::Variant::fromI4(scheme)});
        if (repaint)
            w.window->render(&image);
        if (!status) {
            state.SkipWithError(qPrintable(status.toString()));
            return;
        }
    }
    state.SetLabel(repaint ? "with repaint" : "without repaint");
}
BENCHMARK(BM_SchemeSwitchWarm)->ArgName("repaint")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// Decoding the stored `skinpicture` property: the framing, the bitmap, and
// the component's whole load of it (both plus reading the layout) without
// and with the process's shared picture.
void BM_DecodeStored(benchmark::State &state)
{
    const QByteArray stored = skin::storedSkinPicture();
    QByteArray file;
    for (auto _ : state) {
        if (!tavrel::host::PictureStream::decodeStored(stored, &file)) {
            state.SkipWithError("decodeStored failed");
            return;
        }
        benchmark::DoNotOptimize(file.constData());
    }
    state.SetBytesProcessed(state.iterations() * stored.size());
}
BENCHMARK(BM_DecodeStored)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void BM_DecodeBitmap(benchmark::State &state)
{
    QByteArray file;
    tavrel::host::PictureStream::decodeStored(skin::storedSkinPicture(), &file);
    QImage image;
    for (auto _ : state) {
        if (!tavrel::host::PictureStream::decodeBitmap(file, &image)) {
            state.SkipWithError("decodeBitmap failed");
            return;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_DecodeBitmap)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void BM_PictureLoadFull(benchmark::State &state)
{
    const QByteArray stored = skin::storedSkinPicture();
    for (auto _ : state) {
        QByteArray file;
        QImage image;
        std::shared_ptr<const SkinPicture> picture;
        if (!tavrel::host::PictureStream::decodeStored(stored, &file) ||
            !tavrel::host::PictureStream::decodeBitmap(file, &image) ||
            !SkinPicture::fromImage(image, &picture)) {
            state.SkipWithError("the stored picture does not load");
            return;
        }
        benchmark::DoNotOptimize(picture.get());
    }
}
BENCHMARK(BM_PictureLoadFull)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void BM_PictureLoadShared(benchmark::State &state)
{
    const QByteArray stored = skin::storedSkinPicture();
    std::shared_ptr<const SkinPicture> picture;
    for (auto _ : state) {
        if (!SkinPicture::fromStored(stored, &picture)) {
            state.SkipWithError("the stored picture does not load");
            return;
        }
        benchmark::DoNotOptimize(picture.get());
    }
}
BENCHMARK(BM_PictureLoadShared)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The application's three windows, skinned by the engine registered
// in-process under the component's class name, opened and closed again.
// Fails unless all three hold the same picture: one SkinTheme object, one
// converted image (same QImage cacheKey), at most one theme built.
void BM_ThreeWindowsSharePicture(benchmark::State &state)
{
    QList<tavrelctl::TavrelSkin *> skins;
    tavrel::host::ComponentHost::instance().registerClass(skin::className(), [&skins] {
        auto created = std::make_unique<tavrelctl::TavrelSkin>();
        skins.append(created.get());
        return created;
    });
    int themesBuilt = 0;
    qsizetype distinctImages = 0;
    qsizetype distinctThemes = 0;
    for (auto _ : state) {
        skins.clear();
        const int builtBefore = SkinTheme::buildCount();
        {
            app::WindowRegistry registry;
            try {
                for (auto kind : {forms::FormKind::Main, forms::FormKind::CtrlColor,
                                  forms::FormKind::Clean})
                    registry.form(kind).show();
                QCoreApplication::processEvents();
            } catch (const tavrel::host::Error &error) {
                state.SkipWithError(error.what());
                break;
            }
            QSet<qint64> images;
            QSet<const SkinTheme *> themes;
            for (tavrelctl::TavrelSkin *s : std::as_const(skins)) {
                images.insert(s->frame()->theme().image().cacheKey());
                themes.insert(&s->frame()->theme());
            }
            themesBuilt = SkinTheme::buildCount() - builtBefore;
            distinctImages = images.size();
            distinctThemes = themes.size();
            if (skins.size() != 3 || distinctImages != 1 || distinctThemes != 1 || themesBuilt > 1) {
                state.SkipWithError("the three windows do not share one picture");
                break;
            }
            for (auto kind : {forms::FormKind::Main, forms::FormKind::CtrlColor,
                              forms::FormKind::Clean})
                registry.form(kind).unload();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    tavrel::host::ComponentHost::instance().unregisterClass(skin::className());
    // A label, not counters: the CSV report needs the same counters in every row.
    state.SetLabel(QStringLiteral("windows=%1 distinct_images=%2 distinct_themes=%3 themes_built=%4")
                       .arg(skins.size())
                       .arg(distinctImages)
                       .arg(distinctThemes)
                       .arg(themesBuilt)
                       .toStdString());
}
BENCHMARK(BM_ThreeWindowsSharePicture)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(3);

} // namespace
