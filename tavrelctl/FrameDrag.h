#pragma once

#include <QMargins>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace tavrelctl {

// A press on the skin's caption or borders: once the pointer has moved past
// the platform's drag distance with the button held, it asks the window
// system to move or resize the window (FrameRequests) and, where the
// platform cannot, moves or resizes the window itself until the release. A
// press and release without that motion starts nothing, as on a native
// frame. Also the hit testing that says which edges a point of the frame
// resizes.
class FrameDrag
{
public:
    // The edges a press at `pos` (window coordinates) resizes: `band` is how
    // deep each side's resize area is, `grip` how far a corner reaches
    // along its two sides.
    static Qt::Edges edgesAt(const QPoint &pos, const QSize &size, const QMargins &band, int grip);
    static Qt::CursorShape cursorFor(Qt::Edges edges);

    // `edges` empty: move the window.
    void press(QWidget *window, Qt::Edges edges, const QPointF &globalPos);
    // The mouse moved over `frameWidget`: starts the move or resize of a
    // press once the pointer is far enough from it with `buttonHeld`,
    // follows a drag the platform left to us, or shows the resize cursor
    // for `edgesUnderMouse`.
    void track(QWidget *frameWidget, const QPoint &globalPos, Qt::Edges edgesUnderMouse,
               bool buttonHeld);
    void release();
    bool isPressed() const { return m_pressed; }
    bool isFollowing() const { return m_following; }

private:
    void start(const QPoint &globalPos);
    void moveTo(const QPoint &globalPos);

    QPointer<QWidget> m_window;
    Qt::Edges m_edges;
    QPointF m_pressGlobal; // fractional at some scales: the window system's pixel
    QRect m_startGeometry;
    QPoint m_startPos;
    bool m_pressed = false;   // a press waits for the pointer to move
    bool m_following = false; // the platform left the drag to us
};

} // namespace tavrelctl
