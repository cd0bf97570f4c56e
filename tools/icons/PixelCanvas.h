#pragma once

#include "PixelMask.h"

#include <QImage>
#include <QList>
#include <QRgb>

// A small palette-indexed picture with a transparency mask, drawn pixel by
// pixel so that the icons come out the same on every machine: shapes are
// rasterised by testing pixel centres, never blended.
class PixelCanvas
{
public:
    PixelCanvas(int width, int height, int bitsPerPixel);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitsPerPixel() const { return m_bitsPerPixel; }

    bool isOpaque(int x, int y) const;
    int index(int x, int y) const;
    void setPixel(int x, int y, int index);
    void clearPixel(int x, int y);

    // The standard 16-colour palette (black, dark red, ..., white), or
    // black and white for a 1-bit canvas.
    QList<QRgb> palette() const;
    static QList<QRgb> standardPalette16();

    QImage toImage() const;

    // Sets every pixel of the mask to the palette index.
    void fill(const PixelMask &mask, int index);

private:
    int m_width;
    int m_height;
    int m_bitsPerPixel;
    QList<quint8> m_index;
    QList<bool> m_opaque;
};
