#pragma once

#include <QList>
#include <QPointF>

// A set of pixels, the building block of the drawings.
class PixelMask
{
public:
    PixelMask(int width, int height);

    // Pixels whose centre lies inside the polygon (even-odd rule); the
    // points are in pixel units, (0, 0) being the top-left corner.
    static PixelMask fromPolygon(int width, int height, const QList<QPointF> &points);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool contains(int x, int y) const;
    void set(int x, int y, bool on = true);
    int count() const;

    PixelMask translated(int dx, int dy) const;
    PixelMask united(const PixelMask &other) const;
    PixelMask subtracted(const PixelMask &other) const;
    PixelMask intersected(const PixelMask &other) const;
    // Pixels outside the mask that touch it (8-neighbourhood).
    PixelMask outerRing() const;
    // Pixels of the mask that touch a pixel outside it (4-neighbourhood).
    PixelMask innerRing() const;
    // Pixels of the mask whose neighbour at (dx, dy) is outside it.
    PixelMask edge(int dx, int dy) const;

private:
    int m_width;
    int m_height;
    QList<bool> m_bits;
};
