#pragma once

#include <QObject>

QT_BEGIN_NAMESPACE
class QWidget;
class QWindow;
QT_END_NAMESPACE

namespace app {

// Keeps the windows whose description says "showInTaskbar" false out of the
// taskbar, where the window system can be told so. It asks each time such a
// window is about to be mapped: a window manager forgets the state of a
// window that is withdrawn.
class TaskbarEntry : public QObject
{
    Q_OBJECT
public:
    explicit TaskbarEntry(QObject *parent = nullptr);

    // Watches `window` from its next show on; does nothing for a window
    // that shows in the taskbar.
    void follow(QWidget *window);

    // Asks the window system to leave `window` out of the taskbar (and the
    // pager). False where it cannot be told: the window then keeps its
    // entry (TaskbarEntry_other.cpp says why).
    static bool leaveOut(QWindow *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace app
