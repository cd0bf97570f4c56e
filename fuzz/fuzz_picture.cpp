// libFuzzer target over everything that reads a stored picture: the framing
// (class id, "lt\0\0", byte count), the bitmap headers and rows, the skin
// layout read from the pixels, the themes built from it, and icon files.
//
// The first byte chooses the road; the rest is the input. A raw file road
// exists beside each framed one because a mutation that changes the length
// almost never keeps the byte count right, and the headers behind the
// framing deserve as many executions as the framing itself.
#include <IconFile.h>
#include <PictureStream.h>
#include <SkinLayout.h>
#include <SkinTheme.h>

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

namespace {

enum Road : uint8_t { StoredPicture = 0, BitmapFile = 1, StoredIcon = 2, IconFileBytes = 3 };

// Any accepted picture must also be safe to read a layout from and to build
// the themes of, since the skin component does exactly that with it.
void usePicture(const QImage &image)
{
    if (image.format() != QImage::Format_Indexed8 || image.width() <= 0 || image.height() <= 0)
        abort();
    tavrelctl::SkinLayout layout;
    if (!tavrelctl::SkinLayout::read(image, &layout))
        return;
    for (int scheme = 1; scheme <= 3; ++scheme) {
        const tavrelctl::SkinTheme theme(image, layout, scheme);
        for (int s = 0; s < tavrelctl::SkinLayout::SwatchCount; ++s)
            (void)theme.swatch(tavrelctl::SkinLayout::Swatch(s));
        const QRect source = theme.captionSource(tavrelctl::SkinLayout::Active,
                                                 tavrelctl::SkinLayout::Middle,
                                                 layout.captionHeight(layout.marker(
                                                     tavrelctl::SkinLayout::SizableCaption)));
        (void)theme.devicePiece(source, QSize(17, source.height() * 2));
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
    // QPixmap (the themes' pieces) needs a GUI application; no screen is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
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
        if (host::PictureStream::decodeStored(input, &file) &&
            host::PictureStream::decodeBitmap(file, &image)) {
            usePicture(image);
        }
        break;
    case BitmapFile:
        if (host::PictureStream::decodeBitmap(input, &image))
            usePicture(image);
        break;
    case StoredIcon:
        if (host::PictureStream::decodeStored(input, &file) && host::decodeIcon(file, &icons))
            useIcon(icons);
        break;
    case IconFileBytes:
        if (host::decodeIcon(input, &icons))
            useIcon(icons);
        break;
    }
    return 0;
}
