#include "SkinPainter.h"

#include "SkinTheme.h"

#include <QWidget>
#include <QtMath>

namespace tavrelctl {

SkinPainter::SkinPainter(QWidget *widget) : m_painter(widget)
{
    // The painter's own scale is the ratio of the device it really paints
    // on, which differs from the widget's screen when rendering into an image.
    m_ratio = m_painter.deviceTransform().m11();
    if (m_ratio <= 0.0)
        m_ratio = widget->devicePixelRatioF();
    m_deviceRect = QRect(0, 0, qCeil(widget->width() * m_ratio - 0.001),
                         qCeil(widget->height() * m_ratio - 0.001));
    m_painter.save();
    m_painter.scale(1.0 / m_ratio, 1.0 / m_ratio);
}

SkinPainter::~SkinPainter()
{
    m_painter.restore();
}

void SkinPainter::drawPiece(const SkinTheme &theme, const QRect &source, const QRect &target)
{
    if (target.isEmpty())
        return;
    m_painter.drawPixmap(target.topLeft(), theme.devicePiece(source, target.size()));
}

void SkinPainter::drawTiled(const SkinTheme &theme, const QRect &source, const QRect &target,
                            const QSize &tile)
{
    if (target.isEmpty() || tile.isEmpty())
        return;
    m_painter.drawTiledPixmap(target, theme.devicePiece(source, tile));
}

void SkinPainter::drawStretched(const SkinTheme &theme, const QRect &source, const QRect &target)
{
    if (target.isEmpty())
        return;
    const QPixmap piece = theme.devicePiece(source, QSize(device(source.width()), target.height()));
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
