#include "SkinPictureFile.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>

namespace skintest {

QString toString(const Rgb &c)
{
    return QStringLiteral("(%1, %2, %3)").arg(c.r).arg(c.g).arg(c.b);
}

int levels(const Rgb &a, const Rgb &b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

bool SkinPictureFile::load(QString *error)
{
    QFile f(QStringLiteral(TAVREL_SKIN_PICTURE));
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1: %2").arg(f.fileName(), f.errorString());
        return false;
    }
    m_bytes = f.readAll();
    if (m_bytes.size() != 25054) {
        *error = QStringLiteral("%1 has %2 bytes, not 25054").arg(f.fileName()).arg(m_bytes.size());
        return false;
    }
    return true;
}

quint32 SkinPictureFile::u32(int offset) const
{
    const auto *p = reinterpret_cast<const uchar *>(m_bytes.constData()) + offset;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 SkinPictureFile::u16(int offset) const
{
    const auto *p = reinterpret_cast<const uchar *>(m_bytes.constData()) + offset;
    return quint16(p[0] | p[1] << 8);
}

Rgb SkinPictureFile::paletteEntry(int index) const
{
    const auto *p = reinterpret_cast<const uchar *>(m_bytes.constData()) + 54 + 4 * index;
    return {p[2], p[1], p[0]};
}

int SkinPictureFile::reservedByte(int index) const
{
    return uchar(m_bytes.at(54 + 4 * index + 3));
}

int SkinPictureFile::index(int x, int y) const
{
    const int stored = kHeight - 1 - y;
    return uchar(m_bytes.at(kPixelOffset + stored * kRowBytes + x));
}

} // namespace skintest
