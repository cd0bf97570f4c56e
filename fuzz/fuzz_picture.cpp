// libFuzzer target over everything that reads a stored picture: the framing
// (class id, "lt\0\0", byte count), the bitmap headers and rows, the skin
// layout read from the pixels, the themes built from it, and icon files.
// Every picture the decoders accept then goes through the whole component
// as a window uses it: loaded on a real (offscreen) window with controls,
// ApplySkin, each colour scheme, RemoveSkin. The run fails unless the window
// and its controls come back exactly as they were.
//
// The first byte chooses the road; the rest is the input. A raw file road
// exists beside each framed one because a mutation that changes the length
// almost never keeps the byte count right, and the headers behind the
// framing deserve as many executions as the framing itself.
#include <IconFile.h>
#include <PictureStream.h>
#include <SkinLayout.h>
#include <SkinTheme.h>
#include <TavrelSkin.h>
#include <TavrelSkinIds.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

enum Road : uint8_t { StoredPicture = 0, BitmapFile = 1, StoredIcon = 2, IconFileBytes = 3 };

// Any accepted picture must also be safe to read a layout from and to build
// the themes of, since the skin component does exactly that with it.
// True when the picture has a usable layout.
bool usePicture(const QImage &image)
{
    if (image.format() != QImage::Format_Indexed8 || image.width() <= 0 || image.height() <= 0)
        abort();
    tavrelctl::SkinLayout layout;
    if (!tavrelctl::SkinLayout::read(image, &layout))
        return false;
    for (int scheme = 1; scheme <= 3; ++scheme) {
        const tavrelctl::SkinTheme theme(image, layout, scheme);
        for (int s = 0; s < tavrelctl::SkinLayout::SwatchCount; ++s)
            (void)theme.swatch(tavrelctl::SkinLayout::Swatch(s));
        const QRect source = theme.captionSource(
            tavrelctl::SkinLayout::Active, tavrelctl::SkinLayout::Middle,
            layout.captionHeight(layout.marker(tavrelctl::SkinLayout::SizableCaption)));
        (void)theme.devicePiece(source, QSize(17, source.height() * 2));
    }
    return true;
}

// What RemoveSkin must give back: the window's geometry, flags, margins and
// size limits, and every control's place, visibility and parent.
struct WindowState
{
    QRect geometry;
    Qt::WindowFlags flags;
    QMargins margins;
    QSize minimum, maximum;
    QList<QWidget *> children;
    QList<QRect> childGeometry;
    QList<bool> childVisible;
    QList<QObject *> childParent;

    static WindowState of(const QWidget &window, const QList<QWidget *> &controls)
    {
        WindowState s{window.geometry(),
                      window.windowFlags(),
                      window.contentsMargins(),
                      window.minimumSize(),
                      window.maximumSize(),
                      controls,
                      {},
                      {},
                      {}};
        for (const QWidget *child : controls) {
            s.childGeometry << child->geometry();
            s.childVisible << child->isVisible();
            s.childParent << child->parent();
        }
        return s;
    }
    bool operator==(const WindowState &o) const
    {
        return geometry == o.geometry && flags == o.flags && margins == o.margins &&
               minimum == o.minimum && maximum == o.maximum && children == o.children &&
               childGeometry == o.childGeometry && childVisible == o.childVisible &&
               childParent == o.childParent;
    }
};

void failOn(const char *what)
{
    std::fprintf(stderr, "fuzz_picture: %s\n", what);
    abort();
}

bool call(tavrel::host::Component &skin, tavrel::host::DispId member, QList<tavrel::host::Variant> args = {})
{
    const tavrel::host::InvokeKind kind =
        args.isEmpty() ? tavrel::host::InvokeKind::Method : tavrel::host::InvokeKind::PropertyPut;
    return skin.invoke(member, kind, args).isOk();
}

// A picture the component accepted must skin a window and give it back.
void skinWindow(const QByteArray &stored)
{
    tavrel::host::PropertyBag properties;
    properties.write(tavrelctl::PropertyName::extentX(), tavrel::host::Variant::fromI4(1111));
    properties.write(tavrelctl::PropertyName::extentY(), tavrel::host::Variant::fromI4(953));
    properties.write(tavrelctl::PropertyName::skinPicture(), tavrel::host::Variant::fromBlob(stored));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Fuzz"));
    auto *button = new QPushButton(QStringLiteral("OK"), &window);
    button->setGeometry(10, 150, 90, 30);
    auto *check = new QCheckBox(QStringLiteral("Skin"), &window);
    check->setGeometry(120, 10, 100, 20);
    auto *list = new QListWidget(&window);
    list->setGeometry(0, 0, 100, 120); // touches the top-left edges
    auto *label = new QLabel(QStringLiteral("Label"), &window);
    label->setGeometry(200, 180, 100, 20); // touches the bottom-right edges
    const QList<QWidget *> controls{button, check, list, label};
    window.setGeometry(40, 60, 300, 200);
    window.show();
    const WindowState before = WindowState::of(window, controls);

    tavrelctl::TavrelSkin skin;
    if (!skin.load(&window, properties, nullptr))
        return; // refused with a reason: fine
    if (!call(skin, tavrelctl::MemberId::ApplySkin))
        failOn("ApplySkin failed on a picture the component loaded");
    // Skinned, the window must have grown, never shrunk.
    if (window.width() < before.geometry.width() || window.height() < before.geometry.height())
        failOn("ApplySkin shrank the window");
    for (qint32 scheme : {2, 3, 1}) {
        if (!call(skin, tavrelctl::MemberId::ColorScheme, {tavrel::host::Variant::fromI4(scheme)}))
            failOn("ColorScheme put failed");
        window.grab(); // paints caption, buttons and borders in that scheme
    }
    if (!call(skin, tavrelctl::MemberId::RemoveSkin))
        failOn("RemoveSkin failed");
    if (!(WindowState::of(window, controls) == before))
        failOn("RemoveSkin did not give the window and its controls back");
    for (QWidget *child : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!controls.contains(child) && child->isVisible())
            failOn("a helper widget of the skin is still shown after RemoveSkin");
    }
}

void useIcon(const QList<QImage> &images)
{
    for (const QImage &image : images) {
        if (image.isNull() || image.width() > 256 || image.height() > 256)
            abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Real widgets on the offscreen platform; no screen is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t road = data[0] & 3;
    // A deep copy: QByteArray::fromRawData would let a decoder read the
    // fuzzer's buffer without the terminating zero QByteArray promises.
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QByteArray file;
    QImage image;
    QList<QImage> icons;
    switch (road) {
    case StoredPicture:
        if (tavrel::host::PictureStream::decodeStored(input, &file) &&
            tavrel::host::PictureStream::decodeBitmap(file, &image) && usePicture(image)) {
            skinWindow(input);
        }
        break;
    case BitmapFile:
        if (tavrel::host::PictureStream::decodeBitmap(input, &image) && usePicture(image))
            skinWindow(tavrel::host::PictureStream::encodeStored(input));
        break;
    case StoredIcon:
        if (tavrel::host::PictureStream::decodeStored(input, &file) && tavrel::host::decodeIcon(file, &icons))
            useIcon(icons);
        break;
    case IconFileBytes:
        if (tavrel::host::decodeIcon(input, &icons))
            useIcon(icons);
        break;
    }
    return 0;
}
