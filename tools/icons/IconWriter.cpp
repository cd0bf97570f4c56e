#include "IconWriter.h"

#include <QtEndian>

namespace {

void put16(QByteArray *out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out->append(bytes, 2);
}

void put32(QByteArray *out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out->append(bytes, 4);
}

int rowBytes(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

quint8 colourCount(const PixelCanvas &canvas)
{
    return canvas.bitsPerPixel() >= 8 ? 0 : quint8(1 << canvas.bitsPerPixel());
}

// Width and height of a directory entry, where 0 stands for 256.
quint8 entryExtent(int extent)
{
    return quint8(extent & 0xFF);
}

} // namespace

namespace IconWriter {

QByteArray imageData(const PixelCanvas &canvas)
{
    const int w = canvas.width();
    const int h = canvas.height();
    const int bpp = canvas.bitsPerPixel();
    const int xorRow = rowBytes(w, bpp);
    const int andRow = rowBytes(w, 1);
    const QList<QRgb> palette = canvas.palette();

    QByteArray out;
    put32(&out, 40);
    put32(&out, quint32(w));
    put32(&out, quint32(2 * h));
    put16(&out, 1);
    put16(&out, quint16(bpp));
    put32(&out, 0); // no compression
    put32(&out, quint32(h * (xorRow + andRow)));
    put32(&out, 0);
    put32(&out, 0);
    put32(&out, 0);
    put32(&out, 0);
    for (QRgb colour : palette) {
        out.append(char(qBlue(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qRed(colour)));
        out.append(char(0));
    }

    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(xorRow, '\0');
        for (int x = 0; x < w; ++x) {
            const int index = canvas.isOpaque(x, y) ? canvas.index(x, y) : 0;
            const int bit = x * bpp;
            const int shift = 8 - bpp - bit % 8;
            row[bit / 8] = char(quint8(row.at(bit / 8)) | (index << shift));
        }
        out.append(row);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(andRow, '\0');
        for (int x = 0; x < w; ++x) {
            if (!canvas.isOpaque(x, y))
                row[x / 8] = char(quint8(row.at(x / 8)) | (0x80 >> (x % 8)));
        }
        out.append(row);
    }
    return out;
}

QByteArray iconFile(const QList<PixelCanvas> &images, EntryStyle style)
{
    QList<QByteArray> data;
    for (const PixelCanvas &canvas : images)
        data.append(imageData(canvas));

    QByteArray out;
    put16(&out, 0);
    put16(&out, 1);
    put16(&out, quint16(images.size()));
    quint32 offset = quint32(6 + 16 * images.size());
    for (int i = 0; i < images.size(); ++i) {
        const PixelCanvas &canvas = images.at(i);
        out.append(char(entryExtent(canvas.width())));
        out.append(char(entryExtent(canvas.height())));
        out.append(char(colourCount(canvas)));
        out.append(char(0));
        const bool explicitEntry = style == EntryStyle::Explicit;
        put16(&out, explicitEntry ? 1 : 0);
        put16(&out, explicitEntry ? quint16(canvas.bitsPerPixel()) : 0);
        put32(&out, quint32(data.at(i).size()));
        put32(&out, offset);
        offset += quint32(data.at(i).size());
    }
    for (const QByteArray &bytes : data)
        out.append(bytes);
    return out;
}

QByteArray groupDirectory(const QList<PixelCanvas> &images, const QList<quint16> &ids)
{
    QByteArray out;
    put16(&out, 0);
    put16(&out, 1);
    put16(&out, quint16(images.size()));
    for (int i = 0; i < images.size(); ++i) {
        const PixelCanvas &canvas = images.at(i);
        out.append(char(entryExtent(canvas.width())));
        out.append(char(entryExtent(canvas.height())));
        out.append(char(colourCount(canvas)));
        out.append(char(0));
        put16(&out, 1);
        put16(&out, quint16(canvas.bitsPerPixel()));
        put32(&out, quint32(imageData(canvas).size()));
        put16(&out, ids.at(i));
    }
    return out;
}

} // namespace IconWriter
