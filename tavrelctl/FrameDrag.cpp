#include "FrameDrag.h"

#include "FrameRequests.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWindow>

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

QRect FrameDrag::resized(const QRect &geometry, Qt::Edges edges, const QPoint &delta,
                         const QSize &minimum, const QSize &maximum)
{
    QRect g = geometry;
    if (edges & Qt::LeftEdge) {
        const int w = qBound(minimum.width(), geometry.width() - delta.x(), maximum.width());
        g.setLeft(geometry.right() + 1 - w);
    } else if (edges & Qt::RightEdge) {
        g.setWidth(qBound(minimum.width(), geometry.width() + delta.x(), maximum.width()));
    }
    if (edges & Qt::TopEdge) {
        const int h = qBound(minimum.height(), geometry.height() - delta.y(), maximum.height());
        g.setTop(geometry.bottom() + 1 - h);
    } else if (edges & Qt::BottomEdge) {
        g.setHeight(qBound(minimum.height(), geometry.height() + delta.y(), maximum.height()));
    }
    return g;
}

bool FrameDrag::mousePress(QMouseEvent *event, QWidget *window, Qt::Edges edges, Part part)
{
    if (event->button() != Qt::LeftButton || !window || (!edges && part != Caption))
        return false;
    m_window = window;
    m_edges = edges;
    m_pressGlobal = event->globalPosition();
    m_state = Pressed;
    event->accept();
    return true;
}

void FrameDrag::mouseMove(QMouseEvent *event, QWidget *part, Qt::Edges edges)
{
    const QPoint globalPos = event->globalPosition().toPoint();
    if (m_state != Idle && !event->buttons().testFlag(Qt::LeftButton)) {
        // The release went elsewhere (to a window system that took the
        // pointer, say): nothing is in progress any more.
        m_state = Idle;
    }
    switch (m_state) {
    case Pressed: {
        const int distance = QGuiApplication::styleHints()->startDragDistance();
        if ((globalPos - m_pressGlobal.toPoint()).manhattanLength() >= distance)
            start(part, globalPos);
        return;
    }
    case Moving:
    case Resizing:
        follow(globalPos);
        return;
    case Idle:
        break;
    }
    if (edges)
        part->setCursor(cursorFor(edges));
    else
        part->unsetCursor();
}

void FrameDrag::mouseRelease()
{
    m_state = Idle;
}

void FrameDrag::start(QWidget *part, const QPoint &globalPos)
{
    m_state = Idle;
    QWidget *window = m_window;
    if (!window)
        return;
    const bool started = m_edges ? FrameRequests::startResize(window, m_edges, m_pressGlobal)
                                 : FrameRequests::startMove(window, m_pressGlobal);
    if (started) {
        endPressInQt(part, globalPos);
        return;
    }
    // Without a place of its own on the screen (Wayland) a window cannot
    // follow the mouse: moving it would only shift the positions Qt computes
    // for the next mouse events. There the compositor does it or nobody.
    if (!FrameRequests::clientPlacesWindows())
        return;
    m_state = m_edges ? Resizing : Moving;
    m_startGeometry = window->geometry();
    m_startPos = window->pos();
    follow(globalPos);
}

void FrameDrag::endPressInQt(QWidget *part, const QPoint &globalPos)
{
    // The window system has the pointer until its move or resize ends, and
    // keeps the release: an X11 window manager answering _NET_WM_MOVERESIZE
    // grabs the pointer (the client sees LeaveNotify with NotifyGrab, later
    // EnterNotify with NotifyUngrab, never the ButtonRelease). Qt would keep
    // the press's implicit grab on `part` meanwhile: every later mouse event
    // of the window went to it and no other widget got enter or leave (the
    // caption buttons lost their hover look) until the next click. The
    // release Qt waits for, sent through the window as the platform's would
    // be, ends the press there as well.
    QWidget *window = part ? part->window() : nullptr;
    QWindow *handle = window ? window->windowHandle() : nullptr;
    if (!handle)
        return;
    const QPointF global(globalPos);
    const QPointF local = handle->mapFromGlobal(global);
    QMouseEvent release(QEvent::MouseButtonRelease, local, local, global, Qt::LeftButton,
                        Qt::NoButton, QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(handle, &release);
}

void FrameDrag::follow(const QPoint &globalPos)
{
    if (!m_window)
        return;
    const QPoint delta = globalPos - m_pressGlobal.toPoint();
    if (m_state == Moving)
        m_window->move(m_startPos + delta);
    else
        m_window->setGeometry(resized(m_startGeometry, m_edges, delta, m_window->minimumSize(),
                                      m_window->maximumSize()));
}

} // namespace tavrelctl
