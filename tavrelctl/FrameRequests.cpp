#include "FrameRequests.h"

#include "SkinRegistry.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <iterator>

namespace tavrelctl {

namespace {
FrameRequests::MoveHook &moveHook()
{
    return SkinRegistry::instance().moveHook();
}
FrameRequests::ResizeHook &resizeHook()
{
    return SkinRegistry::instance().resizeHook();
}
} // namespace

bool FrameRequests::startMove(QWidget *window, const QPointF &pressGlobal)
{
    QWindow *handle = window ? window->windowHandle() : nullptr;
    if (!handle)
        return false;
    if (moveHook())
        return moveHook()(handle);
    return startFromPress(handle, {}, pressGlobal) || handle->startSystemMove();
}

bool FrameRequests::startResize(QWidget *window, Qt::Edges edges, const QPointF &pressGlobal)
{
    QWindow *handle = window ? window->windowHandle() : nullptr;
    if (!handle || !edges)
        return false;
    if (resizeHook())
        return resizeHook()(handle, edges);
    return startFromPress(handle, edges, pressGlobal) || handle->startSystemResize(edges);
}

bool FrameRequests::clientPlacesWindows()
{
    // "wayland", "wayland-egl", ...: every flavour of Qt's Wayland client.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

FrameRequests::AskedPlace FrameRequests::askedPlace(const QWindow *window)
{
    if (!window || !clientPlacesWindows())
        return AskedPlace::Unknown;
    return placeFromHints(window);
}

void FrameRequests::frameChanged()
{
    if (!clientPlacesWindows())
        return;
    // The window manager takes its frame away or puts it back some time
    // after the hints change, at its own pace: woken a few times over a
    // second and a half after the last change, the compositor is woken
    // after it did.
    static constexpr int WakeMs[] = {100, 400, 1500};
    std::unique_ptr<QTimer> &timer = SkinRegistry::instance().compositorWake();
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        QTimer *next = timer.get();
        QObject::connect(next, &QTimer::timeout, next, [next] {
            wakeCompositor();
            int &step = SkinRegistry::instance().compositorWakeStep();
            if (++step < int(std::size(WakeMs)))
                next->start(WakeMs[step] - WakeMs[step - 1]);
        });
    }
    SkinRegistry::instance().compositorWakeStep() = 0;
    timer->start(WakeMs[0]);
}

void FrameRequests::setHooks(MoveHook move, ResizeHook resize)
{
    moveHook() = std::move(move);
    resizeHook() = std::move(resize);
}

void FrameRequests::resetHooks()
{
    setHooks(MoveHook(), ResizeHook());
}

} // namespace tavrelctl
