#pragma once

#include <QPainter>
#include <QRect>

QT_BEGIN_NAMESPACE
class QImage;
class QWidget;
QT_END_NAMESPACE

namespace tavrelctl {

class SkinTheme;

// A painter for the skin's pieces that works in whole device pixels: every
// piece edge is rounded to a device pixel once, so neighbouring pieces share
// their edge exactly (no seam, no overlap) at any device pixel ratio, and a
// piece is blitted from a pixmap already scaled to its device size.
class SkinPainter
{
public:
    explicit SkinPainter(QWidget *widget);
    // Paints into `image` (of the widget's device pixel ratio) the device
    // columns from `deviceLeft` on of a widget `deviceSize` device pixels
    // large, exactly as the widget's own paint event would.
    SkinPainter(QImage *image, const QSize &deviceSize, int deviceLeft);
    ~SkinPainter();

    qreal ratio() const { return m_ratio; }
    QPainter *painter() { return &m_painter; }
    // Device pixels of the whole widget.
    QRect deviceRect() const { return m_deviceRect; }
    // A logical rectangle of the widget in device pixels, its edges rounded
    // as the widget's own are, so that it lines up with deviceRect().
    QRect deviceRect(const QRect &logical) const;
    // A logical length or position in device pixels.
    int device(qreal logical) const { return qRound(logical * m_ratio); }

    void drawPiece(const SkinTheme &theme, const QRect &source, const QRect &target);
    // Repeats `source`, scaled to `tile` device pixels, over `target`.
    void drawTiled(const SkinTheme &theme, const QRect &source, const QRect &target,
                   const QSize &tile);
    // Stretches `source` over `target` by repeating whole pixels.
    void drawStretched(const SkinTheme &theme, const QRect &source, const QRect &target);

    // Back to logical coordinates, for text and icons.
    void beginLogical();
    void endLogical();

private:
    QPainter m_painter;
    qreal m_ratio = 1.0;
    QPointF m_origin; // the widget's top-left in device coordinates
    QRect m_deviceRect;
};

} // namespace tavrelctl
