#pragma once

#include <QPointF>
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
// also the only way on Wayland). The drag is started some way from the press
// (past the drag distance); where the platform lets us say so, the window
// system is told where the press was, so the window keeps its place under
// the pointer. Tests put hooks in place of the platform calls to see the
// requests.
class FrameRequests
{
public:
    using MoveHook = std::function<bool(QWindow *window)>;
    using ResizeHook = std::function<bool(QWindow *window, Qt::Edges edges)>;

    // False when the window has no native window or the platform cannot do
    // it; the caller then follows the mouse itself. `pressGlobal` is where
    // the button went down, in global coordinates.
    static bool startMove(QWidget *window, const QPointF &pressGlobal);
    static bool startResize(QWidget *window, Qt::Edges edges, const QPointF &pressGlobal);

    // Whether the platform lets a client put its window where it wants.
    // Wayland does not: a client knows neither its own nor any other
    // window's place on the screen, the compositor places every window, and
    // a position Qt reports there is its own bookkeeping, not the screen's.
    // The frame then leaves placement alone and keeps only sizes.
    static bool clientPlacesWindows();

    // How the program asked for the place of a window that the window
    // system has not shown yet, read the way the window manager will read
    // it: no place at all (the window manager places the window), a place
    // for the window's frame (QWidget::move() before the window existed) or
    // one for its client area (QWidget::setGeometry(), restoreGeometry()).
    // Unknown where the platform does not say.
    enum class AskedPlace { Unknown, None, Frame, Client };
    static AskedPlace askedPlace(const QWindow *window);

    // Tells the window system's compositor that the window manager's frame
    // of a mapped window goes or comes back, where the compositor needs
    // telling (see FrameRequests_x11.cpp); nothing elsewhere.
    static void frameChanged();

    static void setHooks(MoveHook move, ResizeHook resize);
    static void resetHooks();

private:
    // The platform's own request with the press position (FrameRequests_x11.cpp);
    // false where there is none (FrameRequests_generic.cpp) and Qt's
    // QWindow::startSystemMove()/startSystemResize() are asked instead.
    static bool startFromPress(QWindow *window, Qt::Edges edges, const QPointF &pressGlobal);
    // The window's own placement hints (FrameRequests_x11.cpp); Unknown
    // elsewhere (FrameRequests_generic.cpp).
    static AskedPlace placeFromHints(const QWindow *window);
    // Maps and unmaps a window of no size outside every screen
    // (FrameRequests_x11.cpp); nothing elsewhere.
    static void wakeCompositor();
};

} // namespace tavrelctl
