#include "BmpWriter.h"

namespace skinpicture {

namespace {

void put16(QByteArray &out, quint16 v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void put32(QByteArray &out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

} // namespace

QByteArray writeBmp(const IndexedPicture &picture)
{
    constexpr int rowBytes = (kWidth + 3) / 4 * 4; // 148
    constexpr quint32 paletteBytes = 256 * 4;
    constexpr quint32 pixelOffset = 14 + 40 + paletteBytes; // 1078
    constexpr quint32 pixelBytes = quint32(rowBytes) * kHeight; // 23976
    constexpr quint32 fileSize = pixelOffset + pixelBytes; // 25054

    QByteArray out;
    out.reserve(int(fileSize));
    // File header.
    out.append("BM", 2);
    put32(out, fileSize);
    put32(out, 0);
    put32(out, pixelOffset);
    // Information header.
    put32(out, 40);
    put32(out, kWidth);
    put32(out, kHeight);
    put16(out, 1);
    put16(out, 8);
    put32(out, 0); // no compression
    put32(out, pixelBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0); // colours used: all 256
    put32(out, 0);
    // Palette: blue, green, red, 0.
    for (const Rgb &c : picture.palette) {
        out.append(char(c.b));
        out.append(char(c.g));
        out.append(char(c.r));
        out.append('\0');
    }
    // Rows, bottom row first.
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x)
            out.append(char(picture.indices[std::size_t(y * kWidth + x)]));
        for (int p = kWidth; p < rowBytes; ++p)
            out.append('\0');
    }
    return out;
}

QImage enlarged(const IndexedPicture &picture, int scale)
{
    QImage image(kWidth * scale, kHeight * scale, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const Rgb &c : picture.palette)
        table.append(qRgb(c.r, c.g, c.b));
    image.setColorTable(table);
    for (int y = 0; y < image.height(); ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            line[x] = picture.indices[std::size_t((y / scale) * kWidth + x / scale)];
    }
    return image;
}

} // namespace skinpicture
