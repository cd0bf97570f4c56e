#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace tavrelctl {

// Moving or sizing a window from the keyboard, as the window menu's Move and
// Size do: the arrow keys move the window (or the edges being sized) by
// Step pixels, 1 with Ctrl; Enter or a mouse click accepts, Esc puts the
// window back where it was. For Size the first arrow picks the edge it
// points at, and an arrow across it adds the neighbouring edge. The window
// system's interactive move and resize follow the pointer only, so this
// sets the window's geometry itself, within its minimum and maximum size.
class KeyboardMoveSize : public QObject
{
    Q_OBJECT
public:
    enum Mode { Move, Size };
    static constexpr int Step = 10;

    // Starts on `window`; one at a time per process (a new start accepts
    // the running one).
    static KeyboardMoveSize *start(QWidget *window, Mode mode);
    static KeyboardMoveSize *running();

    void accept();
    void cancel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    KeyboardMoveSize(QWidget *window, Mode mode);
    void step(int key, bool fine);
    void finish();

    const QPointer<QWidget> m_window;
    const Mode m_mode;
    const QRect m_start;
    Qt::Edges m_edges;
};

} // namespace tavrelctl
