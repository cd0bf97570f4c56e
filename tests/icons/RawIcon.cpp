#include "RawIcon.h"

#include <QtEndian>

quint16 RawIcon::read16(const QByteArray &data, qint64 at, bool *ok)
{
    if (at < 0 || at + 2 > data.size()) {
        *ok = false;
        return 0;
    }
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 RawIcon::read32(const QByteArray &data, qint64 at, bool *ok)
{
    if (at < 0 || at + 4 > data.size()) {
        *ok = false;
        return 0;
    }
    return qFromLittleEndian<quint32>(data.constData() + at);
}

RawIcon::RawIcon(const QByteArray &file) : m_file(file)
{
    reserved = read16(file, 0, &m_ok);
    type = read16(file, 2, &m_ok);
    count = read16(file, 4, &m_ok);
    for (int i = 0; m_ok && i < count; ++i) {
        const qint64 at = 6 + 16 * qint64(i);
        if (at + 16 > file.size()) {
            m_ok = false;
            break;
        }
        Entry entry;
        entry.width = quint8(file.at(at));
        entry.height = quint8(file.at(at + 1));
        entry.colourCount = quint8(file.at(at + 2));
        entry.reserved = quint8(file.at(at + 3));
        entry.planes = read16(file, at + 4, &m_ok);
        entry.bitCount = read16(file, at + 6, &m_ok);
        entry.byteSize = read32(file, at + 8, &m_ok);
        entry.offset = read32(file, at + 12, &m_ok);
        entries.append(entry);
    }
    for (const Entry &entry : entries) {
        if (!m_ok)
            break;
        images.append(readImage(entry));
    }
}

QByteArray RawIcon::imageBytes(int i) const
{
    const Entry &entry = entries.at(i);
    return m_file.mid(entry.offset, entry.byteSize);
}

RawIcon::Image RawIcon::readImage(const Entry &entry)
{
    Image image;
    const qint64 at = entry.offset;
    image.headerSize = read32(m_file, at, &m_ok);
    image.width = qint32(read32(m_file, at + 4, &m_ok));
    image.heightField = qint32(read32(m_file, at + 8, &m_ok));
    image.planes = read16(m_file, at + 12, &m_ok);
    image.bitsPerPixel = read16(m_file, at + 14, &m_ok);
    image.compression = read32(m_file, at + 16, &m_ok);
    if (!m_ok || image.width <= 0 || image.width > 256 || image.heightField <= 0 ||
        image.heightField > 512 || (image.bitsPerPixel != 1 && image.bitsPerPixel != 4)) {
        m_ok = false;
        return image;
    }
    const int paletteSize = 1 << image.bitsPerPixel;
    const qint64 paletteAt = at + image.headerSize;
    for (int i = 0; i < paletteSize; ++i) {
        const quint32 quad = read32(m_file, paletteAt + 4 * i, &m_ok);
        image.palette.append(qRgb((quad >> 16) & 0xFF, (quad >> 8) & 0xFF, quad & 0xFF));
    }
    const int w = image.width;
    const int h = image.height();
    const qint64 xorRow = (qint64(w) * image.bitsPerPixel + 31) / 32 * 4;
    const qint64 andRow = (qint64(w) + 31) / 32 * 4;
    const qint64 xorAt = paletteAt + 4 * paletteSize;
    const qint64 andAt = xorAt + h * xorRow;
    if (andAt + h * andRow > m_file.size()) {
        m_ok = false;
        return image;
    }
    for (int y = 0; y < h; ++y) {
        const qint64 row = h - 1 - y;
        for (int x = 0; x < w; ++x) {
            const int bit = x * image.bitsPerPixel;
            const quint8 byte = quint8(m_file.at(xorAt + row * xorRow + bit / 8));
            image.indices.append((byte >> (8 - image.bitsPerPixel - bit % 8)) &
                                 ((1 << image.bitsPerPixel) - 1));
            const quint8 maskByte = quint8(m_file.at(andAt + row * andRow + x / 8));
            image.maskBits.append((maskByte & (0x80 >> (x % 8))) != 0);
        }
    }
    return image;
}
