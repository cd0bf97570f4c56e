#pragma once

// Read access to the committed skin picture, straight from the file's bytes
// at the offsets the format fixes (no image library in between).

#include <QByteArray>
#include <QString>

#include <array>

namespace skintest {

struct Rgb
{
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb &a, const Rgb &b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
    friend bool operator!=(const Rgb &a, const Rgb &b) { return !(a == b); }
    friend bool operator<(const Rgb &a, const Rgb &b)
    {
        return a.r != b.r ? a.r < b.r : a.g != b.g ? a.g < b.g : a.b < b.b;
    }
};
QString toString(const Rgb &c);

// Largest difference of one channel: "levels of brightness".
int levels(const Rgb &a, const Rgb &b);

class SkinPictureFile
{
public:
    static constexpr int kWidth = 145;
    static constexpr int kHeight = 162;
    static constexpr int kPixelOffset = 1078;
    static constexpr int kRowBytes = 148;

    // Loads TAVREL_SKIN_PICTURE; false (and a reason) when it cannot be read
    // or has not the format's size.
    bool load(QString *error);

    const QByteArray &bytes() const { return m_bytes; }
    quint32 u32(int offset) const;
    quint16 u16(int offset) const;

    Rgb paletteEntry(int index) const; // (red, green, blue) of entry i
    int reservedByte(int index) const; // the 4th byte of entry i

    // x 0..144 from the left, y 0..161 from the top (the last row stored).
    int index(int x, int y) const;
    Rgb rgb(int x, int y) const { return paletteEntry(index(x, y)); }

private:
    QByteArray m_bytes;
};

} // namespace skintest
