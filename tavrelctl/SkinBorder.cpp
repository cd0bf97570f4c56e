#include "SkinBorder.h"

#include "SkinFrame.h"
#include "SkinPainter.h"
#include "SkinTheme.h"

#include <QMouseEvent>

namespace tavrelctl {

SkinBorder::SkinBorder(Qt::Edge edge, const SkinFrame *frame, QWidget *window)
    : QWidget(window), m_edge(edge), m_frame(frame)
{
    setObjectName(edge == Qt::LeftEdge    ? QStringLiteral("tavrelskin_left")
                  : edge == Qt::RightEdge ? QStringLiteral("tavrelskin_right")
                                          : QStringLiteral("tavrelskin_bottom"));
    setAccessibleName(edge == Qt::LeftEdge    ? QStringLiteral("Left border")
                      : edge == Qt::RightEdge ? QStringLiteral("Right border")
                                              : QStringLiteral("Bottom border"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

Qt::Edges SkinBorder::resizeEdgesAt(const QPoint &pos) const
{
    if (!m_frame->isSizable() || m_frame->window()->isMaximized())
        return {};
    const QWidget *window = m_frame->window();
    return FrameDrag::edgesAt(mapTo(window, pos), window->size(), m_frame->resizeBand(),
                              FrameDrag::CornerGrip);
}

void SkinBorder::paintEvent(QPaintEvent *)
{
    SkinPainter painter(this);
    const SkinTheme &theme = m_frame->theme();
    const SkinLayout &layout = theme.layout();
    const SkinLayout::Look look = m_frame->look();
    const QRect all = painter.deviceRect();
    if (m_edge == Qt::LeftEdge || m_edge == Qt::RightEdge) {
        const QRect tile = layout.frameTile(look, m_edge == Qt::LeftEdge ? SkinLayout::LeftEdge
                                                                         : SkinLayout::RightEdge);
        painter.drawTiled(theme, tile, all, QSize(all.width(), painter.device(tile.height())));
        return;
    }
    const QRect leftCorner = layout.frameTile(look, SkinLayout::BottomLeft);
    const QRect edge = layout.frameTile(look, SkinLayout::BottomEdge);
    const QRect rightCorner = layout.frameTile(look, SkinLayout::BottomRight);
    const int leftWidth = qMin(painter.device(leftCorner.width()), all.width() / 2);
    const int rightWidth = qMin(painter.device(rightCorner.width()), all.width() - leftWidth);
    const QRect middle(leftWidth, 0, all.width() - leftWidth - rightWidth, all.height());
    painter.drawTiled(theme, edge, middle, QSize(painter.device(edge.width()), all.height()));
    painter.drawPiece(theme, leftCorner, QRect(0, 0, leftWidth, all.height()));
    painter.drawPiece(theme, rightCorner,
                      QRect(all.width() - rightWidth, 0, rightWidth, all.height()));
}

void SkinBorder::mousePressEvent(QMouseEvent *event)
{
    if (!m_drag.mousePress(event, m_frame->window(), resizeEdgesAt(event->position().toPoint()),
                           FrameDrag::Border))
        QWidget::mousePressEvent(event);
}

void SkinBorder::mouseMoveEvent(QMouseEvent *event)
{
    m_drag.mouseMove(event, this, resizeEdgesAt(event->position().toPoint()));
}

void SkinBorder::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.mouseRelease();
    QWidget::mouseReleaseEvent(event);
}

} // namespace tavrelctl
