#include "FrameDrag.h"

#include "FrameRequests.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace tavrelctl {

Qt::Edges FrameDrag::edgesAt(const QPoint &pos, const QSize &size, const QMargins &band, int grip)
{
    Qt::Edges edges;
    if (pos.x() < band.left())
        edges |= Qt::LeftEdge;
    else if (pos.x() >= size.width() - band.right())
        edges |= Qt::RightEdge;
    if (pos.y() < band.top())
        edges |= Qt::TopEdge;
    else if (pos.y() >= size.height() - band.bottom())
        edges |= Qt::BottomEdge;
    if (!edges)
        return edges;
    // The grips near the corners add the other side's edge, never a
    // second one on the same axis: on a window narrower or lower than two
    // grips both ends would match, and the platform refuses opposite edges.
    const Qt::Edges horizontal = Qt::LeftEdge | Qt::RightEdge;
    const Qt::Edges vertical = Qt::TopEdge | Qt::BottomEdge;
    if ((edges & horizontal) && !(edges & vertical)) {
        if (pos.y() < grip)
            edges |= Qt::TopEdge;
        else if (pos.y() >= size.height() - grip)
            edges |= Qt::BottomEdge;
    }
    if ((edges & vertical) && !(edges & horizontal)) {
        if (pos.x() < grip)
            edges |= Qt::LeftEdge;
        else if (pos.x() >= size.width() - grip)
            edges |= Qt::RightEdge;
    }
    return edges;
}

Qt::CursorShape FrameDrag::cursorFor(Qt::Edges edges)
{
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling = bool(edges & Qt::LeftEdge) == bool(edges & Qt::TopEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (horizontal)
        return Qt::SizeHorCursor;
    if (vertical)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

void FrameDrag::press(QWidget *window, Qt::Edges edges, const QPointF &globalPos)
{
    m_window = window;
    m_edges = edges;
    m_following = false;
    m_pressed = window != nullptr;
    m_pressGlobal = globalPos;
}

void FrameDrag::start(const QPoint &globalPos)
{
    m_pressed = false;
    QWidget *window = m_window;
    if (!window)
        return;
    const bool started = m_edges ? FrameRequests::startResize(window, m_edges, m_pressGlobal)
                                 : FrameRequests::startMove(window, m_pressGlobal);
    // Without a place of its own on the screen (Wayland) a window cannot
    // follow the mouse: moving it would only shift the positions Qt computes
    // for the next mouse events. There the compositor does it or nobody.
    if (started || !FrameRequests::clientPlacesWindows())
        return;
    m_following = true;
    m_startGeometry = window->geometry();
    m_startPos = window->pos();
    moveTo(globalPos);
}

void FrameDrag::moveTo(const QPoint &globalPos)
{
    if (!m_following || !m_window)
        return;
    const QPoint delta = globalPos - m_pressGlobal.toPoint();
    if (!m_edges) {
        m_window->move(m_startPos + delta);
        return;
    }
    const QSize minSize = m_window->minimumSize();
    const QSize maxSize = m_window->maximumSize();
    QRect g = m_startGeometry;
    if (m_edges & Qt::LeftEdge) {
        const int w = qBound(minSize.width(), m_startGeometry.width() - delta.x(), maxSize.width());
        g.setLeft(m_startGeometry.right() + 1 - w);
    } else if (m_edges & Qt::RightEdge) {
        g.setWidth(qBound(minSize.width(), m_startGeometry.width() + delta.x(), maxSize.width()));
    }
    if (m_edges & Qt::TopEdge) {
        const int h =
            qBound(minSize.height(), m_startGeometry.height() - delta.y(), maxSize.height());
        g.setTop(m_startGeometry.bottom() + 1 - h);
    } else if (m_edges & Qt::BottomEdge) {
        g.setHeight(
            qBound(minSize.height(), m_startGeometry.height() + delta.y(), maxSize.height()));
    }
    m_window->setGeometry(g);
}

void FrameDrag::release()
{
    m_pressed = false;
    m_following = false;
}

void FrameDrag::track(QWidget *frameWidget, const QPoint &globalPos, Qt::Edges edgesUnderMouse,
                      bool buttonHeld)
{
    if ((m_pressed || m_following) && !buttonHeld) {
        // The release went elsewhere (to a window system that took the
        // pointer, say): nothing is in progress any more.
        release();
    }
    if (m_pressed) {
        const int distance = QGuiApplication::styleHints()->startDragDistance();
        if ((globalPos - m_pressGlobal.toPoint()).manhattanLength() >= distance)
            start(globalPos);
        return;
    }
    if (m_following) {
        moveTo(globalPos);
        return;
    }
    if (edgesUnderMouse)
        frameWidget->setCursor(cursorFor(edgesUnderMouse));
    else
        frameWidget->unsetCursor();
}

} // namespace tavrelctl
