#include "PictureStream.h"

#include <QtEndian>

namespace tavrel::host {
namespace PictureStream {

namespace {

// {0BE35204-8F91-11CE-9DE3-00AA004BB851}: Data1, Data2 and Data3 little-endian,
// Data4 as it is written.
constexpr unsigned char kClassId[kClassIdSize] = {
    0x04, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11,
    0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51,
};
constexpr char kSignature[4] = {'l', 't', '\0', '\0'};

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

Status invalid(const QString &message)
{
    return Status::failure(StatusCode::InvalidPicture, message);
}

quint16 u16At(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

quint32 u32At(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

qint32 s32At(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

QString hexBytes(const char *data, int n)
{
    return QString::fromLatin1(QByteArray(data, n).toHex(' '));
}

} // namespace

QByteArray standardPictureClassId()
{
    return QByteArray(reinterpret_cast<const char *>(kClassId), kClassIdSize);
}

QByteArray encodeStream(const QByteArray &file)
{
    QByteArray out;
    out.reserve(kStreamHeaderSize + file.size());
    out.append(kSignature, 4);
    char count[4];
    qToLittleEndian<quint32>(quint32(file.size()), count);
    out.append(count, 4);
    out.append(file);
    return out;
}

QByteArray encodeStored(const QByteArray &file)
{
    return standardPictureClassId() + encodeStream(file);
}

Status decodeStream(const QByteArray &stream, QByteArray *file)
{
    if (stream.isEmpty())
        return invalid(QStringLiteral("picture stream: empty, no signature and byte count"));
    if (stream.size() < kStreamHeaderSize) {
        return invalid(QStringLiteral("picture stream: %1 bytes are too short for the signature "
                                      "and byte count (%2 bytes)")
                           .arg(stream.size())
                           .arg(kStreamHeaderSize));
    }
    if (!stream.startsWith(QByteArray(kSignature, 4))) {
        return invalid(QStringLiteral("picture stream: signature %1 is not \"lt\" 00 00")
                           .arg(hexBytes(stream.constData(), 4)));
    }
    const quint32 count = u32At(stream, 4);
    const qint64 follow = qint64(stream.size()) - kStreamHeaderSize;
    if (qint64(count) != follow) {
        return invalid(QStringLiteral("picture stream: byte count %1 does not match the %2 bytes "
                                      "that follow")
                           .arg(count)
                           .arg(follow));
    }
    if (file)
        *file = stream.mid(kStreamHeaderSize);
    return Status::ok();
}

Status decodeStored(const QByteArray &stored, QByteArray *file)
{
    if (stored.size() < kClassIdSize) {
        return invalid(QStringLiteral("stored picture: %1 bytes are too short for the 16-byte "
                                      "class id")
                           .arg(stored.size()));
    }
    if (!stored.startsWith(standardPictureClassId())) {
        return invalid(QStringLiteral("stored picture: class id %1 is not the standard picture "
                                      "class {0BE35204-8F91-11CE-9DE3-00AA004BB851}")
                           .arg(hexBytes(stored.constData(), kClassIdSize)));
    }
    return decodeStream(stored.mid(kClassIdSize), file);
}

Status decodeBitmap(const QByteArray &file, QImage *image)
{
    const qint64 size = file.size();
    if (size < kFileHeaderSize + kInfoHeaderSize) {
        return invalid(QStringLiteral("bitmap: %1 bytes are too short for the file and "
                                      "information headers (%2 bytes)")
                           .arg(size)
                           .arg(kFileHeaderSize + kInfoHeaderSize));
    }
    if (file.at(0) != 'B' || file.at(1) != 'M')
        return invalid(QStringLiteral("bitmap: signature %1 is not \"BM\"").arg(hexBytes(file.constData(), 2)));
    const quint32 fileSize = u32At(file, 2);
    if (qint64(fileSize) != size) {
        return invalid(QStringLiteral("bitmap: file size field %1 does not match the %2 bytes of "
                                      "the file")
                           .arg(fileSize)
                           .arg(size));
    }
    const quint32 pixelOffset = u32At(file, 10);
    const quint32 infoSize = u32At(file, 14);
    if (infoSize != quint32(kInfoHeaderSize)) {
        return invalid(QStringLiteral("bitmap: information header size %1 is not %2")
                           .arg(infoSize)
                           .arg(kInfoHeaderSize));
    }
    const qint32 width = s32At(file, 18);
    const qint32 height = s32At(file, 22);
    if (width <= 0)
        return invalid(QStringLiteral("bitmap: width %1 is not positive").arg(width));
    if (width > kMaxBitmapSide) {
        return invalid(QStringLiteral("bitmap: width %1 is larger than %2").arg(width).arg(kMaxBitmapSide));
    }
    if (height <= 0) {
        return invalid(QStringLiteral("bitmap: height %1 is not positive (rows must be stored "
                                      "bottom-up)")
                           .arg(height));
    }
    if (height > kMaxBitmapSide) {
        return invalid(QStringLiteral("bitmap: height %1 is larger than %2").arg(height).arg(kMaxBitmapSide));
    }
    const quint16 planes = u16At(file, 26);
    if (planes != 1)
        return invalid(QStringLiteral("bitmap: planes %1 is not 1").arg(planes));
    const quint16 bitsPerPixel = u16At(file, 28);
    if (bitsPerPixel != 8)
        return invalid(QStringLiteral("bitmap: bits per pixel %1 is not 8").arg(bitsPerPixel));
    const quint32 compression = u32At(file, 30);
    if (compression != 0) {
        return invalid(QStringLiteral("bitmap: compression %1 is not 0 (uncompressed)").arg(compression));
    }
    const quint32 rowsField = u32At(file, 34);
    const quint32 coloursUsed = u32At(file, 46);
    if (coloursUsed > 256)
        return invalid(QStringLiteral("bitmap: colours used %1 is more than 256").arg(coloursUsed));
    const quint32 coloursImportant = u32At(file, 50);
    if (coloursImportant > (coloursUsed == 0 ? 256u : coloursUsed)) {
        return invalid(QStringLiteral("bitmap: important colours %1 is more than the %2 colours of "
                                      "the palette")
                           .arg(coloursImportant)
                           .arg(coloursUsed == 0 ? 256u : coloursUsed));
    }

    const qint64 paletteEntries = coloursUsed == 0 ? 256 : coloursUsed;
    const qint64 paletteEnd = kFileHeaderSize + kInfoHeaderSize + 4 * paletteEntries;
    if (qint64(pixelOffset) < paletteEnd) {
        return invalid(QStringLiteral("bitmap: pixel offset %1 lies inside the headers and "
                                      "palette, which end at %2")
                           .arg(pixelOffset)
                           .arg(paletteEnd));
    }
    if (qint64(pixelOffset) > size) {
        return invalid(QStringLiteral("bitmap: pixel offset %1 lies past the end of the %2-byte file")
                           .arg(pixelOffset)
                           .arg(size));
    }
    // Width and height are at most 4096 here: no product below overflows.
    const qint64 rowSize = (qint64(width) * bitsPerPixel + 31) / 32 * 4;
    const qint64 rowsSize = rowSize * height;
    if (rowsSize > size - qint64(pixelOffset)) {
        return invalid(QStringLiteral("bitmap: truncated pixel rows: %1 rows of %2 bytes need %3 "
                                      "bytes from offset %4, but the file has %5")
                           .arg(height)
                           .arg(rowSize)
                           .arg(rowsSize)
                           .arg(pixelOffset)
                           .arg(size - qint64(pixelOffset)));
    }
    if (rowsField != 0 && qint64(rowsField) != rowsSize) {
        return invalid(QStringLiteral("bitmap: size of the pixel rows field %1 does not match "
                                      "%2 rows of %3 bytes (%4)")
                           .arg(rowsField)
                           .arg(height)
                           .arg(rowSize)
                           .arg(rowsSize));
    }

    QImage decoded = QImage::fromData(file, "BMP");
    if (decoded.isNull())
        return invalid(QStringLiteral("bitmap: the image decoder refused the file"));
    if (decoded.width() != width || decoded.height() != height) {
        return invalid(QStringLiteral("bitmap: decoded %1 x %2 image, the header says %3 x %4")
                           .arg(decoded.width())
                           .arg(decoded.height())
                           .arg(width)
                           .arg(height));
    }
    if (decoded.format() != QImage::Format_Indexed8) {
        // Keep the file's own palette.
        QList<QRgb> table;
        table.reserve(int(paletteEntries));
        for (qint64 i = 0; i < paletteEntries; ++i) {
            const int at = int(kFileHeaderSize + kInfoHeaderSize + 4 * i);
            table.append(qRgb(uchar(file.at(at + 2)), uchar(file.at(at + 1)), uchar(file.at(at))));
        }
        decoded = decoded.convertToFormat(QImage::Format_Indexed8, table);
        if (decoded.isNull())
            return invalid(QStringLiteral("bitmap: cannot keep the image's palette"));
    }
    // A shorter palette leaves indices that name no colour; whoever reads the
    // pixels later would look them up past the end of the colour table.
    if (decoded.colorCount() < 256) {
        for (int y = 0; y < height; ++y) {
            const uchar *row = decoded.constScanLine(y);
            for (int x = 0; x < width; ++x) {
                if (row[x] >= decoded.colorCount()) {
                    return invalid(QStringLiteral("bitmap: pixel (%1, %2) uses colour %3 of a "
                                                  "%4-colour palette")
                                       .arg(x)
                                       .arg(y)
                                       .arg(row[x])
                                       .arg(decoded.colorCount()));
                }
            }
        }
    }
    if (image)
        *image = decoded;
    return Status::ok();
}

Status decodeStoredBitmap(const QByteArray &stored, QImage *image)
{
    QByteArray file;
    const Status framing = decodeStored(stored, &file);
    if (!framing)
        return framing;
    return decodeBitmap(file, image);
}

} // namespace PictureStream
} // namespace tavrel::host
