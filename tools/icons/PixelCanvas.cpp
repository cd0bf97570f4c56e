#include "PixelCanvas.h"

PixelCanvas::PixelCanvas(int width, int height, int bitsPerPixel)
    : m_width(width), m_height(height), m_bitsPerPixel(bitsPerPixel), m_index(width * height, 0),
      m_opaque(width * height, false)
{
}

bool PixelCanvas::isOpaque(int x, int y) const
{
    return m_opaque.at(y * m_width + x);
}

int PixelCanvas::index(int x, int y) const
{
    return m_index.at(y * m_width + x);
}

void PixelCanvas::setPixel(int x, int y, int index)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    m_index[y * m_width + x] = quint8(index);
    m_opaque[y * m_width + x] = true;
}

void PixelCanvas::clearPixel(int x, int y)
{
    m_index[y * m_width + x] = 0;
    m_opaque[y * m_width + x] = false;
}

QList<QRgb> PixelCanvas::standardPalette16()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
            qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QList<QRgb> PixelCanvas::palette() const
{
    if (m_bitsPerPixel == 1)
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    return standardPalette16();
}

QImage PixelCanvas::toImage() const
{
    const QList<QRgb> colours = palette();
    QImage image(m_width, m_height, QImage::Format_ARGB32);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x)
            image.setPixel(x, y, isOpaque(x, y) ? colours.at(index(x, y)) : qRgba(0, 0, 0, 0));
    }
    return image;
}

void PixelCanvas::fill(const PixelMask &mask, int index)
{
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            if (mask.contains(x, y))
                setPixel(x, y, index);
        }
    }
}
