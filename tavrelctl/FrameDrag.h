#pragma once

#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace tavrelctl {

// A press on the skin's caption or borders: it asks the window system to
// move or resize the window (FrameRequests) and, where the platform cannot,
// moves or resizes the window itself while the button is held. Also the hit
// testing that says which edges a point of the frame resizes.
class FrameDrag
{
public:
    // The edges a press at `pos` (window coordinates) resizes: `band` is how
    // deep each side's resize area is, `grip` how far a corner reaches
    // along its two sides.
    static Qt::Edges edgesAt(const QPoint &pos, const QSize &size, const QMargins &band, int grip);
    static Qt::CursorShape cursorFor(Qt::Edges edges);

    // `edges` empty: move the window.
    void press(QWidget *window, Qt::Edges edges, const QPoint &globalPos);
    void moveTo(const QPoint &globalPos);
    // The mouse moved over `frameWidget` with the button up or held:
    // follows a drag the platform left to us, or shows the resize cursor
    // for `edgesUnderMouse`.
    void track(QWidget *frameWidget, const QPoint &globalPos, Qt::Edges edgesUnderMouse);
    void release();
    bool isFollowing() const { return m_following; }

private:
    QPointer<QWidget> m_window;
    Qt::Edges m_edges;
    QPoint m_pressGlobal;
    QRect m_startGeometry;
    QPoint m_startPos;
    bool m_following = false;
};

} // namespace tavrelctl
