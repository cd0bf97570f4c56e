#include "SkinPainter.h"

#include "SkinTheme.h"

#include <QWidget>
#include <QtMath>

namespace tavrelctl {

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
    m_painter.save();
    m_painter.scale(1.0 / m_ratio, 1.0 / m_ratio);
    m_painter.translate(qRound(m_origin.x()) - m_origin.x(), qRound(m_origin.y()) - m_origin.y());
}

QRect SkinPainter::deviceRect(const QRect &logical) const
{
    const int left = qRound(m_origin.x()), top = qRound(m_origin.y());
    auto x = [&](int lx) { return qRound(m_origin.x() + lx * m_ratio) - left; };
    auto y = [&](int ly) { return qRound(m_origin.y() + ly * m_ratio) - top; };
    return QRect(QPoint(x(logical.left()), y(logical.top())),
                 QPoint(x(logical.right() + 1) - 1, y(logical.bottom() + 1) - 1));
}

SkinPainter::~SkinPainter()
{
    m_painter.restore();
}

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
    m_painter.drawTiledPixmap(target, theme.devicePiece(source, tile, m_ratio));
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
