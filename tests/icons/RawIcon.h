#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

// Reads an icon file byte by byte, the way the format lays it out, so that
// the tests check the committed files against the format itself rather than
// against the decoder under test. Throws nothing: out-of-range reads return 0
// and set ok to false.
class RawIcon
{
public:
    struct Entry
    {
        int width = 0;
        int height = 0;
        int colourCount = 0;
        int reserved = 0;
        int planes = 0;
        int bitCount = 0;
        quint32 byteSize = 0;
        quint32 offset = 0;
    };

    struct Image
    {
        quint32 headerSize = 0;
        qint32 width = 0;
        qint32 heightField = 0;
        int planes = 0;
        int bitsPerPixel = 0;
        quint32 compression = 0;
        QList<QRgb> palette;
        // Indexed top-down: index(x, y) and masked(x, y).
        QList<int> indices;
        QList<bool> maskBits;
        int height() const { return heightField / 2; }
        int index(int x, int y) const { return indices.at(y * width + x); }
        bool masked(int x, int y) const { return maskBits.at(y * width + x); }
    };

    explicit RawIcon(const QByteArray &file);

    bool ok() const { return m_ok; }
    int reserved = 0;
    int type = 0;
    int count = 0;
    QList<Entry> entries;
    QList<Image> images;
    QByteArray imageBytes(int i) const;

    static quint16 read16(const QByteArray &data, qint64 at, bool *ok);
    static quint32 read32(const QByteArray &data, qint64 at, bool *ok);

private:
    Image readImage(const Entry &entry);

    QByteArray m_file;
    bool m_ok = true;
};
