#pragma once

#include "FrameDrag.h"

#include <QWidget>

namespace tavrelctl {

class SkinFrame;

// The left, right or bottom border of a skinned window, drawn from the frame
// tiles (the bottom one with its two corners). On a sizable window a press
// resizes the window from that edge, or from the corner near its ends.
class SkinBorder : public QWidget
{
    Q_OBJECT
public:
    SkinBorder(Qt::Edge edge, const SkinFrame *frame, QWidget *window);

    // The edges a press at `pos` (in this widget) would resize.
    Qt::Edges resizeEdgesAt(const QPoint &pos) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const Qt::Edge m_edge;
    const SkinFrame *const m_frame;
    FrameDrag m_drag;
};

} // namespace tavrelctl
