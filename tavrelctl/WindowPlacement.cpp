#include "WindowPlacement.h"

#include "FramePlacement.h"
#include "FrameRequests.h"
#include "SkinRegistry.h"

#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace tavrelctl {

namespace {
QSize marginsSize(const QMargins &m)
{
    return QSize(m.left() + m.right(), m.top() + m.bottom());
}
} // namespace

WindowPlacement::WindowPlacement(QWidget *window) : QObject(nullptr), m_window(window)
{
    Q_ASSERT(m_window);
}

WindowPlacement::Switch WindowPlacement::beginSwitch()
{
    const bool placed = keepsClientPlace();
    // Taken while the native frame is still there: a later switch back near
    // the top of the screen needs its height.
    if (!m_skinned)
        rememberNativeFrame();
    return {placed ? clientToKeep() : QRect(), isInFullState()};
}

void WindowPlacement::skinOn(const Switch &kept, const QMargins &skin, const QSize &skinMinimum)
{
    m_skin = skin;
    // The place is asked for after the frame changes: a window manager that
    // sees the frame go may move the window on its own first.
    growWindow(kept.client, skinMinimum);
    m_skinned = true;
    if (kept.inFullState)
        m_restorePending = true;
}

void WindowPlacement::skinOff(const Switch &kept)
{
    m_skinned = false;
    shrinkWindow(kept.client);
    if (kept.inFullState)
        m_restorePending = true;
}

bool WindowPlacement::isInFullState() const
{
    return m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

bool WindowPlacement::keepsClientPlace() const
{
    // Where the compositor places windows (Wayland) only the size changes:
    // weston keeps the window's outer top-left, so the client area moves by
    // the difference between the two frames, and nothing a client can ask
    // there would change that.
    return m_window->isVisible() && hasOwnGeometry() && FrameRequests::clientPlacesWindows();
}

bool WindowPlacement::hasOwnGeometry() const
{
    return !(m_window->windowState() &
             (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

QRect WindowPlacement::availableArea() const
{
    const QScreen *screen = m_window->screen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect WindowPlacement::clientNow() const
{
    const QRect geometry = m_window->geometry();
    return m_skinned ? FramePlacement::clientOf(geometry, m_skin) : geometry;
}

QRect WindowPlacement::clientToKeep() const
{
    // A window not moved since the last switch goes back to where it was
    // before that switch pushed it clear of the top of the screen.
    if (!m_asked.isNull() && m_window->geometry() == m_asked)
        return m_keptClient;
    return clientNow();
}

void WindowPlacement::requestGeometry(const QRect &geometry, const QRect &client)
{
    // setGeometry() places the client area itself: Qt gives the window
    // system the position with static gravity, so no frame size is guessed.
    m_window->setGeometry(geometry);
    m_asked = geometry;
    m_keptClient = client;
}

void WindowPlacement::placeSkinned(const QRect &client)
{
    requestGeometry(FramePlacement::skinned(client, m_skin, availableArea()), client);
}

void WindowPlacement::placeNative(const QRect &client)
{
    int nativeTop = m_nativeFrame.top();
    if (nativeTop <= 0)
        nativeTop = SkinRegistry::instance().nativeFrame().top();
    // Never framed natively in this process: the skin's caption stands in
    // for the title bar the window manager will add.
    if (nativeTop <= 0)
        nativeTop = m_skin.top();
    requestGeometry(FramePlacement::native(client, nativeTop, availableArea()), client);
}

void WindowPlacement::rememberNativeFrame()
{
    const QWindow *handle = m_window->windowHandle();
    if (!handle || !m_window->isVisible() ||
        m_window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return;
    const QMargins native = handle->frameMargins();
    if (native.top() > 0) {
        m_nativeFrame = native;
        SkinRegistry::instance().setNativeFrame(native);
    }
}

void WindowPlacement::onWindowStateChange(Qt::WindowStates oldState)
{
    const Qt::WindowStates full = Qt::WindowMaximized | Qt::WindowFullScreen;
    const Qt::WindowStates now = m_window->windowState();
    if (!(oldState & full) && (now & full)) {
        // The place to come back to. An X11 window manager keeps the
        // geometry it saw when it maximised the window and restores that,
        // which a frame switch in between makes wrong by the difference
        // between the two frames. Qt knows the place when it asked for the
        // maximise itself; one the window system did alone it restores alone.
        const QRect normal = m_window->normalGeometry();
        m_normalClient = !normal.isValid() ? QRect()
                         : m_skinned       ? FramePlacement::clientOf(normal, m_skin)
                                           : normal;
        m_restorePending = false;
    } else if ((oldState & full) && !(now & full) && m_restorePending) {
        m_restorePending = false;
        m_restoreTries = 0;
        restoreNormal();
    }
}

void WindowPlacement::restoreNormal()
{
    if (!m_normalClient.isValid() || !keepsClientPlace())
        return;
    const QRect target =
        m_skinned
            ? FramePlacement::skinned(m_normalClient, m_skin, availableArea())
            : FramePlacement::native(m_normalClient, qMax(0, m_nativeFrame.top()), availableArea());
    if (m_window->geometry() != target || m_restoreTries == 0)
        requestGeometry(target, m_normalClient);
    // The X11 window manager answers the restore with the geometry it saved
    // (see onWindowStateChange()), some time after the state changed and
    // after Qt's own request: the place is asked for again, every
    // RestoreStepMs for about 0.7 s, until it holds.
    if (++m_restoreTries < RestoreTries)
        QTimer::singleShot(RestoreStepMs, this, &WindowPlacement::restoreNormal);
}

void WindowPlacement::onShown()
{
    // The native window exists from here on; the skin may have set its size
    // limits before it did.
    if (m_skinned)
        settleBaseSize();
}

void WindowPlacement::settleBaseSize()
{
    // Works around Qt 6.4 (xcb): a widget that never set a base size leaves
    // its native window without one, and Qt then hands the window manager a
    // scaled "-1 x -1" in WM_NORMAL_HINTS along with the size limits the skin
    // sets; fluxbox takes that for a window of 65534 pixels and will not
    // maximise it. The native window gets the widget's own base size (0 x 0
    // unless it set one) instead.
    QWindow *handle = m_window->windowHandle();
    if (handle && !handle->baseSize().isValid())
        handle->setBaseSize(m_window->baseSize());
}

void WindowPlacement::growWindow(const QRect &client, const QSize &skinMinimum)
{
    m_resized = m_minChanged = m_maxChanged = false;
    QLayout *layout = m_window->layout();
    if (layout && layout->sizeConstraint() == QLayout::SetFixedSize) {
        // The layout sizes the window, contents margins included.
        if (client.isValid())
            placeSkinned(client);
        return;
    }
    const QSize extra = marginsSize(m_skin);
    m_sizeBefore = m_window->size();
    settleBaseSize();

    m_maxBefore = m_window->maximumSize();
    QSize max = m_maxBefore;
    if (max.width() < QWIDGETSIZE_MAX)
        max.setWidth(qMin(QWIDGETSIZE_MAX, max.width() + extra.width()));
    if (max.height() < QWIDGETSIZE_MAX)
        max.setHeight(qMin(QWIDGETSIZE_MAX, max.height() + extra.height()));
    if (max != m_maxBefore) {
        m_window->setMaximumSize(max);
        m_maxAfter = m_window->maximumSize();
        m_maxChanged = true;
    }

    // Placed between the two limits: its new size lies within both.
    if (client.isValid()) {
        placeSkinned(client);
        m_sizeAfter = m_window->size();
        m_resized = true;
    }

    // A minimum the layout keeps already grows with the contents margins.
    m_minBefore = m_window->minimumSize();
    const bool layoutMin = layout && layout->sizeConstraint() != QLayout::SetNoConstraint &&
                           m_minBefore == layout->totalMinimumSize();
    QSize min = m_minBefore;
    if (!layoutMin) {
        if (min.width() > 0)
            min.rwidth() += extra.width();
        if (min.height() > 0)
            min.rheight() += extra.height();
    }
    min = min.expandedTo(skinMinimum);
    if (min != m_minBefore) {
        m_window->setMinimumSize(min);
        m_minAfter = m_window->minimumSize();
        m_minChanged = true;
    }

    const bool free = hasOwnGeometry();
    // A window that was never sized takes its size from its layout when it
    // is shown, and that already counts the contents margins.
    if (!client.isValid() && free &&
        (m_window->isVisible() || m_window->testAttribute(Qt::WA_Resized))) {
        m_window->resize(m_sizeBefore + extra);
        m_sizeAfter = m_window->size();
        m_resized = true;
    }
}

void WindowPlacement::shrinkWindow(const QRect &client)
{
    const QSize extra = marginsSize(m_skin);
    if (m_minChanged && m_window->minimumSize() == m_minAfter)
        m_window->setMinimumSize(m_minBefore);
    const bool free = hasOwnGeometry();
    if (client.isValid()) {
        placeNative(client);
    } else if (m_resized && free) {
        const QSize now = m_window->size();
        m_window->resize(now == m_sizeAfter ? m_sizeBefore : now - extra);
    }
    if (m_maxChanged && m_window->maximumSize() == m_maxAfter)
        m_window->setMaximumSize(m_maxBefore);
    m_resized = m_minChanged = m_maxChanged = false;
}

} // namespace tavrelctl
