#include "SkinPainter.h"

#include "SkinRegistry.h"
#include "SkinTheme.h"

#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QWidget>
#include <QtMath>

#include <cmath>

namespace tavrelctl {

namespace {
// The raster engine blends a tiled pixmap one tile-wide span at a time: a
// one-pixel caption column across a 1920-pixel bar is 1920 spans a row, a
// 6-pixel border tile down a 1000-pixel side 170 blits. The same tile
// repeated to a few hundred pixels paints the same pixels in a handful of
// spans, or in one blit where it covers the target. Kept by SkinRegistry
// and shared by every window; a piece's cacheKey is never reused, so an
// entry cannot outlive what it was made of into a wrong picture.
constexpr int LongTileLength = 512;      // device pixels
constexpr qsizetype LongTileLimit = 256; // entries, far above what one picture needs
constexpr int MaxLongTileBlits = 16;     // past that, one tiled fill is cheaper

int repeatedLength(int length)
{
    return length * ((LongTileLength + length - 1) / length);
}

// `piece` repeated along the axes the target is longer in, to whole
// repeats of at least LongTileLength device pixels.
QPixmap longTile(const QPixmap &piece, const QSize &target)
{
    if (piece.isNull())
        return piece;
    const bool alongX = target.width() > piece.width() && piece.width() < LongTileLength;
    const bool alongY = target.height() > piece.height() && piece.height() < LongTileLength;
    if (!alongX && !alongY)
        return piece;
    auto *tiles = &SkinRegistry::instance().longTiles();
    const std::pair<qint64, int> key{piece.cacheKey(), int(alongX) | int(alongY) << 1};
    if (auto it = tiles->constFind(key); it != tiles->constEnd())
        return *it;
    if (tiles->size() >= LongTileLimit)
        tiles->clear();
    const QImage source = piece.toImage();
    QImage tile(alongX ? repeatedLength(piece.width()) : piece.width(),
                alongY ? repeatedLength(piece.height()) : piece.height(), source.format());
    QPainter p(&tile);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawTiledPixmap(tile.rect(), piece);
    p.end();
    const QPixmap pixmap = QPixmap::fromImage(tile);
    tiles->insert(key, pixmap);
    return pixmap;
}
} // namespace

SkinPainter::SkinPainter(QWidget *widget) : m_painter(widget)
{
    // The painter's own scale is the ratio of the device it really paints
    // on, which differs from the widget's screen when rendering into an image.
    const QTransform toDevice = m_painter.deviceTransform();
    m_ratio = toDevice.m11();
    if (m_ratio <= 0.0)
        m_ratio = widget->devicePixelRatioF();
    // At a fractional ratio a widget's edges fall between device pixels (a
    // border at logical x 306 starts at device 382.5). The pieces are laid
    // out from the device pixels its edges round to, so that the widget
    // beside it starts where this one ends and the window's last device
    // column is this widget's last, instead of the pieces being pushed half
    // a pixel out of the window.
    m_origin = QPointF(toDevice.dx(), toDevice.dy());
    m_deviceRect = deviceRect(widget->rect());
    // The painter ends with this object: nothing to save and restore.
    if (m_ratio != 1.0)
        m_painter.scale(1.0 / m_ratio, 1.0 / m_ratio);
    const QPointF shift(qRound(m_origin.x()) - m_origin.x(), qRound(m_origin.y()) - m_origin.y());
    if (!shift.isNull())
        m_painter.translate(shift);
}

QRect SkinPainter::deviceRect(const QRect &logical) const
{
    const int left = qRound(m_origin.x()), top = qRound(m_origin.y());
    auto x = [&](int lx) { return qRound(m_origin.x() + lx * m_ratio) - left; };
    auto y = [&](int ly) { return qRound(m_origin.y() + ly * m_ratio) - top; };
    return QRect(QPoint(x(logical.left()), y(logical.top())),
                 QPoint(x(logical.right() + 1) - 1, y(logical.bottom() + 1) - 1));
}

SkinPainter::SkinPainter(QImage *image, const QSize &deviceSize, int deviceLeft) : m_painter(image)
{
    m_ratio = image->devicePixelRatio();
    m_deviceRect = QRect(QPoint(0, 0), deviceSize);
    if (m_ratio != 1.0)
        m_painter.scale(1.0 / m_ratio, 1.0 / m_ratio);
    m_painter.translate(-deviceLeft, 0);
}

SkinPainter::~SkinPainter() = default;

void SkinPainter::drawPiece(const SkinTheme &theme, const QRect &source, const QRect &target)
{
    if (target.isEmpty())
        return;
    m_painter.drawPixmap(target.topLeft(), theme.devicePiece(source, target.size(), m_ratio));
}

void SkinPainter::drawTiled(const SkinTheme &theme, const QRect &source, const QRect &target,
                            const QSize &tile)
{
    if (target.isEmpty() || tile.isEmpty())
        return;
    const QPixmap pixmap = longTile(theme.devicePiece(source, tile, m_ratio), target.size());
    const int across = (target.width() + pixmap.width() - 1) / pixmap.width();
    const int down = (target.height() + pixmap.height() - 1) / pixmap.height();
    // A tiled pixmap goes through the raster engine's span functions a row
    // at a time: down a 1000-row side that is 1000 spans of six pixels. A
    // few plain blits of the long tile, laid where the tiling puts its
    // repeats, give the same pixels for a fraction of that. Only where the
    // painter maps whole pixels to whole device pixels.
    const QTransform transform = m_painter.combinedTransform();
    const bool wholePixels = transform.type() <= QTransform::TxTranslate &&
                             transform.dx() == std::trunc(transform.dx()) &&
                             transform.dy() == std::trunc(transform.dy());
    if (across * down == 1 || (wholePixels && across * down <= MaxLongTileBlits)) {
        for (int y = target.top(); y <= target.bottom(); y += pixmap.height()) {
            for (int x = target.left(); x <= target.right(); x += pixmap.width()) {
                const QSize part(qMin(pixmap.width(), target.right() + 1 - x),
                                 qMin(pixmap.height(), target.bottom() + 1 - y));
                m_painter.drawPixmap(QPoint(x, y), pixmap, QRect(QPoint(0, 0), part));
            }
        }
    } else {
        m_painter.drawTiledPixmap(target, pixmap);
    }
}

void SkinPainter::drawStretched(const SkinTheme &theme, const QRect &source, const QRect &target)
{
    if (target.isEmpty())
        return;
    const QPixmap piece =
        theme.devicePiece(source, QSize(device(source.width()), target.height()), m_ratio);
    m_painter.drawPixmap(target, piece, piece.rect());
}

void SkinPainter::beginLogical()
{
    m_painter.save();
    m_painter.scale(m_ratio, m_ratio);
}

void SkinPainter::endLogical()
{
    m_painter.restore();
}

} // namespace tavrelctl
