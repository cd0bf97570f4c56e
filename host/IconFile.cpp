#include "IconFile.h"

#include <QPixmap>
#include <QtEndian>

namespace tavrel::host {

namespace {

constexpr int HeaderSize = 6;
constexpr int EntrySize = 16;
constexpr int InfoHeaderSize = 40;
constexpr int MaxImages = 16;

struct Entry
{
    int width = 0;
    int height = 0;
    quint32 byteSize = 0;
    quint32 offset = 0;
};

// The layout of one image once its information header has been checked.
struct ImageLayout
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int paletteSize = 0;
    qint64 xorRowBytes = 0;
    qint64 andRowBytes = 0;
};

Status invalid(const QString &message)
{
    return Status::failure(StatusCode::InvalidPicture, QStringLiteral("icon: ") + message);
}

quint16 read16(const QByteArray &data, qint64 at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 read32(const QByteArray &data, qint64 at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

qint64 rowBytes(qint64 width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

Status readEntries(const QByteArray &file, QList<Entry> *entries)
{
    const qint64 size = file.size();
    if (size < HeaderSize)
        return invalid(QStringLiteral("file of %1 bytes is shorter than the %2-byte header")
                           .arg(size)
                           .arg(HeaderSize));
    const quint16 reserved = read16(file, 0);
    const quint16 type = read16(file, 2);
    const quint16 count = read16(file, 4);
    if (reserved != 0)
        return invalid(QStringLiteral("reserved header field is %1, expected 0").arg(reserved));
    if (type != 1)
        return invalid(QStringLiteral("resource type is %1, expected 1 (icon)").arg(type));
    if (count < 1 || count > MaxImages)
        return invalid(QStringLiteral("image count %1 is outside 1..%2").arg(count).arg(MaxImages));
    const qint64 directoryEnd = HeaderSize + qint64(count) * EntrySize;
    if (directoryEnd > size)
        return invalid(QStringLiteral("directory of %1 entries ends at byte %2, past the end of "
                                      "the file (%3 bytes)")
                           .arg(count)
                           .arg(directoryEnd)
                           .arg(size));

    for (int i = 0; i < count; ++i) {
        const qint64 at = HeaderSize + qint64(i) * EntrySize;
        Entry entry;
        entry.width = quint8(file.at(at)) == 0 ? 256 : quint8(file.at(at));
        entry.height = quint8(file.at(at + 1)) == 0 ? 256 : quint8(file.at(at + 1));
        entry.byteSize = read32(file, at + 8);
        entry.offset = read32(file, at + 12);
        const int number = i + 1;
        if (entry.offset < directoryEnd)
            return invalid(QStringLiteral("image %1 starts at offset %2, inside the directory "
                                          "(which ends at %3)")
                               .arg(number)
                               .arg(entry.offset)
                               .arg(directoryEnd));
        if (qint64(entry.offset) + entry.byteSize > size)
            return invalid(QStringLiteral("image %1 extends past the end of the file (offset %2 "
                                          "+ %3 > %4)")
                               .arg(number)
                               .arg(entry.offset)
                               .arg(entry.byteSize)
                               .arg(size));
        entries->append(entry);
    }
    return Status::ok();
}

Status checkImage(const QByteArray &file, const Entry &entry, int number, ImageLayout *layout)
{
    const qint64 at = entry.offset;
    if (entry.byteSize < quint32(InfoHeaderSize))
        return invalid(QStringLiteral("image %1 has %2 bytes, too few for its %3-byte "
                                      "information header")
                           .arg(number)
                           .arg(entry.byteSize)
                           .arg(InfoHeaderSize));
    const quint32 headerSize = read32(file, at);
    const qint32 width = qint32(read32(file, at + 4));
    const qint32 heightField = qint32(read32(file, at + 8));
    const quint16 planes = read16(file, at + 12);
    const quint16 bitsPerPixel = read16(file, at + 14);
    const quint32 compression = read32(file, at + 16);
    const quint32 coloursUsed = read32(file, at + 32);

    if (headerSize != quint32(InfoHeaderSize))
        return invalid(QStringLiteral("image %1: information header size is %2, expected %3")
                           .arg(number)
                           .arg(headerSize)
                           .arg(InfoHeaderSize));
    if (width != entry.width)
        return invalid(QStringLiteral("image %1: width %2 differs from the directory's %3")
                           .arg(number)
                           .arg(width)
                           .arg(entry.width));
    if (qint64(heightField) != 2 * qint64(entry.height))
        return invalid(QStringLiteral("image %1: height field %2 is not twice the directory's "
                                      "height %3")
                           .arg(number)
                           .arg(heightField)
                           .arg(entry.height));
    if (planes != 1)
        return invalid(QStringLiteral("image %1: %2 planes, expected 1").arg(number).arg(planes));
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 32)
        return invalid(QStringLiteral("image %1: bit count %2 is not 1, 4, 8 or 32")
                           .arg(number)
                           .arg(bitsPerPixel));
    if (compression != 0)
        return invalid(QStringLiteral("image %1: compression %2 is not supported (only "
                                      "uncompressed images)")
                           .arg(number)
                           .arg(compression));

    int paletteSize = 0;
    if (bitsPerPixel <= 8) {
        const quint32 maxColours = 1u << bitsPerPixel;
        if (coloursUsed > maxColours)
            return invalid(QStringLiteral("image %1: %2 palette colours, more than %3 bits per "
                                          "pixel can address")
                               .arg(number)
                               .arg(coloursUsed)
                               .arg(bitsPerPixel));
        paletteSize = int(coloursUsed == 0 ? maxColours : coloursUsed);
    } else if (coloursUsed != 0) {
        return invalid(QStringLiteral("image %1: %2 palette colours on a 32-bit image")
                           .arg(number)
                           .arg(coloursUsed));
    }

    // Width and height are at most 256, so none of this can overflow 64 bits.
    layout->width = width;
    layout->height = entry.height;
    layout->bitsPerPixel = bitsPerPixel;
    layout->paletteSize = paletteSize;
    layout->xorRowBytes = rowBytes(width, bitsPerPixel);
    layout->andRowBytes = rowBytes(width, 1);
    const qint64 expected = InfoHeaderSize + 4 * qint64(paletteSize) +
                            qint64(entry.height) * (layout->xorRowBytes + layout->andRowBytes);
    if (expected != qint64(entry.byteSize))
        return invalid(QStringLiteral("image %1: %2x%3 at %4 bits per pixel needs %5 bytes, the "
                                      "directory says %6")
                           .arg(number)
                           .arg(width)
                           .arg(entry.height)
                           .arg(bitsPerPixel)
                           .arg(expected)
                           .arg(entry.byteSize));
    return Status::ok();
}

// A 32-bit image carries its own alpha; one whose alpha bytes are all zero
// was written for the mask alone.
bool carriesAlpha(const uchar *colourBits, const ImageLayout &layout)
{
    for (int y = 0; y < layout.height; ++y) {
        const uchar *row = colourBits + y * layout.xorRowBytes;
        for (int x = 0; x < layout.width; ++x) {
            if (row[4 * x + 3] != 0)
                return true;
        }
    }
    return false;
}

Status decodeImage(const QByteArray &file, const Entry &entry, const ImageLayout &layout,
                   int number, QImage *image)
{
    const uchar *data = reinterpret_cast<const uchar *>(file.constData());
    const uchar *paletteBits = data + entry.offset + InfoHeaderSize;
    QList<QRgb> palette;
    for (int i = 0; i < layout.paletteSize; ++i) {
        const uchar *quad = paletteBits + 4 * i;
        palette.append(qRgb(quad[2], quad[1], quad[0]));
    }
    const uchar *colourBits = paletteBits + 4 * layout.paletteSize;
    const uchar *maskBits = colourBits + layout.height * layout.xorRowBytes;
    const bool ownAlpha = layout.bitsPerPixel == 32 && carriesAlpha(colourBits, layout);

    QImage out(layout.width, layout.height, QImage::Format_ARGB32);
    if (out.isNull())
        return Status::failure(StatusCode::OutOfMemory,
                               QStringLiteral("icon: image %1 cannot be allocated").arg(number));
    for (int y = 0; y < layout.height; ++y) {
        // Rows are stored bottom-up.
        const uchar *colourRow = colourBits + (layout.height - 1 - y) * layout.xorRowBytes;
        const uchar *maskRow = maskBits + (layout.height - 1 - y) * layout.andRowBytes;
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < layout.width; ++x) {
            const bool masked = maskRow[x / 8] & (0x80 >> (x % 8));
            if (layout.bitsPerPixel == 32) {
                const uchar *p = colourRow + 4 * x;
                if (ownAlpha)
                    line[x] = qRgba(p[2], p[1], p[0], p[3]);
                else
                    line[x] = masked ? qRgba(0, 0, 0, 0) : qRgb(p[2], p[1], p[0]);
                continue;
            }
            const int bit = x * layout.bitsPerPixel;
            const int shift = 8 - layout.bitsPerPixel - bit % 8;
            const int index = (colourRow[bit / 8] >> shift) & ((1 << layout.bitsPerPixel) - 1);
            if (index >= palette.size())
                return invalid(QStringLiteral("image %1: pixel (%2, %3) uses colour %4 of a "
                                              "%5-colour palette")
                                   .arg(number)
                                   .arg(x)
                                   .arg(y)
                                   .arg(index)
                                   .arg(palette.size()));
            line[x] = masked ? qRgba(0, 0, 0, 0) : palette.at(index);
        }
    }
    *image = out;
    return Status::ok();
}

} // namespace

Status decodeIcon(const QByteArray &file, QList<QImage> *images)
{
    if (!images)
        return Status::failure(StatusCode::InvalidArg, QStringLiteral("icon: no image list given"));
    QList<Entry> entries;
    Status status = readEntries(file, &entries);
    if (!status)
        return status;
    QList<ImageLayout> layouts;
    for (int i = 0; i < entries.size(); ++i) {
        ImageLayout layout;
        status = checkImage(file, entries.at(i), i + 1, &layout);
        if (!status)
            return status;
        layouts.append(layout);
    }
    QList<QImage> decoded;
    for (int i = 0; i < entries.size(); ++i) {
        QImage image;
        status = decodeImage(file, entries.at(i), layouts.at(i), i + 1, &image);
        if (!status)
            return status;
        decoded.append(image);
    }
    *images = decoded;
    return Status::ok();
}

Status iconFromFile(const QByteArray &file, QIcon *icon)
{
    if (!icon)
        return Status::failure(StatusCode::InvalidArg, QStringLiteral("icon: no icon given"));
    QList<QImage> images;
    const Status status = decodeIcon(file, &images);
    if (!status)
        return status;
    QIcon result;
    for (const QImage &image : images)
        result.addPixmap(QPixmap::fromImage(image));
    *icon = result;
    return Status::ok();
}

} // namespace tavrel::host
