#pragma once

#include <QMargins>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QWidget>

QT_BEGIN_NAMESPACE
class QMouseEvent;
QT_END_NAMESPACE

namespace tavrelctl {

// The press, drag and release of the mouse on the skin's caption and
// borders. A press waits for the pointer to move past the platform's drag
// distance with the button held, then asks the window system to move or
// resize the window (FrameRequests); where the platform cannot, the window
// follows the mouse from here until the release. A press and release
// without that motion starts nothing, as on a native frame.
//
//   Idle --press--> Pressed --past the drag distance--+--> window system has it --> Idle
//                      |                              +--> Moving / Resizing (followed here)
//                      +--release, or a move with no button held--> Idle
//   Moving / Resizing --release, or a move with no button held--> Idle
//
// Also the hit testing that says which edges a point of the frame resizes,
// and the clamping of every resize the skin does itself.
class FrameDrag
{
public:
    enum State { Idle, Pressed, Moving, Resizing };
    // Whether a press on a frame part may move the window: the caption
    // moves it where it does not resize; a border only resizes.
    enum Part { Caption, Border };
    // How far a corner's resize area reaches along its two sides.
    static constexpr int CornerGrip = 16;

    // The edges a press at `pos` (window coordinates) resizes: `band` is how
    // deep each side's resize area is, `grip` how far a corner reaches
    // along its two sides.
    static Qt::Edges edgesAt(const QPoint &pos, const QSize &size, const QMargins &band, int grip);
    static Qt::CursorShape cursorFor(Qt::Edges edges);
    // `geometry` with `edges` moved by `delta`, the size kept within
    // `minimum` and `maximum`; the opposite edges stay where they are.
    static QRect resized(const QRect &geometry, Qt::Edges edges, const QPoint &delta,
                         const QSize &minimum, const QSize &maximum);

    State state() const { return m_state; }

    // A frame part's mouse handlers. `edges` is what the part resizes at the
    // event's place (none: a caption moves the window, a border does
    // nothing). Press: false when the press is not the frame's (the part
    // hands it on). Move: shows the resize cursor on `part` while idle.
    bool mousePress(QMouseEvent *event, QWidget *window, Qt::Edges edges, Part part);
    void mouseMove(QMouseEvent *event, QWidget *part, Qt::Edges edges);
    void mouseRelease();

private:
    void start(QWidget *part, const QPoint &globalPos);
    void follow(const QPoint &globalPos);
    void endPressInQt(QWidget *part, const QPoint &globalPos);

    State m_state = Idle;
    QPointer<QWidget> m_window;
    Qt::Edges m_edges;
    QPointF m_pressGlobal; // fractional at some scales: the window system's pixel
    QRect m_startGeometry;
    QPoint m_startPos;
};

} // namespace tavrelctl
