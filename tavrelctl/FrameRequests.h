#pragma once

#include <QtGlobal>
#include <qnamespace.h>

#include <functional>

QT_BEGIN_NAMESPACE
class QWidget;
class QWindow;
QT_END_NAMESPACE

namespace tavrelctl {

// The one place where the skin asks the window system to move or resize a
// frameless window interactively (the compositor does the dragging, which is
// also the only way on Wayland). Tests put hooks in place of the platform
// calls to see the requests.
class FrameRequests
{
public:
    using MoveHook = std::function<bool(QWindow *window)>;
    using ResizeHook = std::function<bool(QWindow *window, Qt::Edges edges)>;

    // False when the window has no native window or the platform cannot do
    // it; the caller then follows the mouse itself.
    static bool startMove(QWidget *window);
    static bool startResize(QWidget *window, Qt::Edges edges);

    static void setHooks(MoveHook move, ResizeHook resize);
    static void resetHooks();
};

} // namespace tavrelctl
