#include "PixelMask.h"

PixelMask::PixelMask(int width, int height)
    : m_width(width), m_height(height), m_bits(width * height, false)
{
}

PixelMask PixelMask::fromPolygon(int width, int height, const QList<QPointF> &points)
{
    PixelMask mask(width, height);
    const int n = int(points.size());
    for (int y = 0; y < height; ++y) {
        const double py = y + 0.5;
        for (int x = 0; x < width; ++x) {
            const double px = x + 0.5;
            bool inside = false;
            for (int i = 0, j = n - 1; i < n; j = i++) {
                const QPointF a = points.at(i);
                const QPointF b = points.at(j);
                if ((a.y() > py) != (b.y() > py)) {
                    const double cross = a.x() + (py - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
                    if (px < cross)
                        inside = !inside;
                }
            }
            mask.set(x, y, inside);
        }
    }
    return mask;
}

bool PixelMask::contains(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return false;
    return m_bits.at(y * m_width + x);
}

void PixelMask::set(int x, int y, bool on)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    m_bits[y * m_width + x] = on;
}

int PixelMask::count() const
{
    return int(m_bits.count(true));
}

PixelMask PixelMask::translated(int dx, int dy) const
{
    PixelMask result(m_width, m_height);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x)
            result.set(x, y, contains(x - dx, y - dy));
    }
    return result;
}

PixelMask PixelMask::united(const PixelMask &other) const
{
    PixelMask result(m_width, m_height);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x)
            result.set(x, y, contains(x, y) || other.contains(x, y));
    }
    return result;
}

PixelMask PixelMask::subtracted(const PixelMask &other) const
{
    PixelMask result(m_width, m_height);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x)
            result.set(x, y, contains(x, y) && !other.contains(x, y));
    }
    return result;
}

PixelMask PixelMask::intersected(const PixelMask &other) const
{
    PixelMask result(m_width, m_height);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x)
            result.set(x, y, contains(x, y) && other.contains(x, y));
    }
    return result;
}

PixelMask PixelMask::outerRing() const
{
    PixelMask result(m_width, m_height);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            if (contains(x, y))
                continue;
            bool touches = false;
            for (int dy = -1; dy <= 1 && !touches; ++dy) {
                for (int dx = -1; dx <= 1 && !touches; ++dx)
                    touches = contains(x + dx, y + dy);
            }
            result.set(x, y, touches);
        }
    }
    return result;
}

PixelMask PixelMask::innerRing() const
{
    return edge(1, 0).united(edge(-1, 0)).united(edge(0, 1)).united(edge(0, -1));
}

PixelMask PixelMask::edge(int dx, int dy) const
{
    PixelMask result(m_width, m_height);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x)
            result.set(x, y, contains(x, y) && !contains(x + dx, y + dy));
    }
    return result;
}
