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
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(RestoreStepMs);
    connect(&m_settleTimer, &QTimer::timeout, this, &WindowPlacement::settlePlace);
}

WindowPlacement::Switch WindowPlacement::beginSwitch()
{
    const bool placed = keepsClientPlace();
    // Taken while the native frame is still there: a later switch back near
    // the top of the screen needs its height.
    if (!m_skinned)
        rememberNativeFrame();
    Switch kept{placed ? clientToKeep() : QRect(), isInFullState()};
    if (placed && !m_skinned && !m_window->testAttribute(Qt::WA_Mapped)) {
        // Shown, but not on the screen yet: the window goes where the window
        // manager would have put it with its own frame.
        switch (FrameRequests::askedPlace(m_window->windowHandle())) {
        case FrameRequests::AskedPlace::None:
            // The window manager places it: only its size changes here, and
            // a size alone leaves the placement to the window manager.
            kept.client = QRect();
            break;
        case FrameRequests::AskedPlace::Frame:
            kept.framePlace = true;
            break;
        case FrameRequests::AskedPlace::Client:
            // QDialog::showEvent() centres a dialog that was not moved and
            // then takes its WA_Moved back ("not really an explicit
            // position"), with a guess at the frames around both windows.
            kept.centred =
                m_window->windowType() == Qt::Dialog && !m_window->testAttribute(Qt::WA_Moved);
            break;
        case FrameRequests::AskedPlace::Unknown:
            break;
        }
    }
    return kept;
}

void WindowPlacement::skinOn(const Switch &kept, const QMargins &skin, const QSize &skinMinimum)
{
    m_skin = skin;
    QRect client = kept.client;
    if (kept.framePlace)
        client.translate(skin.left(), skin.top());
    if (kept.centred && client.isValid()) {
        const QRect outer = centredOnOwner(client.marginsAdded(skin).size());
        if (outer.isValid())
            client = outer.marginsRemoved(skin);
    }
    // The place is asked for after the frame changes: icewm and xfwm4 move a
    // window whose frame hints change on their own, and a place asked before
    // that is lost (asked first, icewm leaves the client area 19 px low
    // after the first switch, xfwm4 one at the top of the screen 25 px low;
    // openbox and fluxbox keep either order).
    growWindow(client, skinMinimum);
    m_skinned = true;
    if (kept.inFullState)
        m_restorePending = true;
    // Works around metacity 3.46: it holds the place asked for just after
    // the frame hints change against the title bar the window is about to
    // lose, and keeps that title bar on the screen: a window near the top
    // of the screen gets its skinned caption one title bar low. Asked once
    // more after the frame is gone, the place holds.
    if (client.isValid() && m_window->testAttribute(Qt::WA_Mapped)) {
        m_settleTries = 0;
        m_settleTimer.start();
    }
}

void WindowPlacement::skinOff(const Switch &kept)
{
    m_skinned = false;
    shrinkWindow(kept.client, false);
    if (kept.inFullState)
        m_restorePending = true;
}

WindowPlacement::Switch WindowPlacement::beginStepAside() const
{
    // Hidden or not: the place is the window's own, not the screen's.
    return {m_skinned && hasOwnGeometry() ? clientNow() : QRect(), false};
}

void WindowPlacement::stepAside(const Switch &kept)
{
    if (!m_skinned)
        return;
    m_skinned = false;
    shrinkWindow(kept.client, true);
}

void WindowPlacement::keepAsidePlace()
{
    if (!m_skinned && m_asked.isValid() && m_window->size() == m_asked.size())
        m_window->setGeometry(m_asked);
}

void WindowPlacement::stepIn(const QMargins &skin, const QSize &skinMinimum)
{
    if (m_skinned)
        return;
    // As when the skin first went on: a window shown again goes where it
    // asked to be, a dialog Qt centred again is centred with the frame.
    skinOn(beginSwitch(), skin, skinMinimum);
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

QRect WindowPlacement::centredOnOwner(const QSize &outer) const
{
    const QWidget *owner = m_window->parentWidget() ? m_window->parentWidget()->window() : nullptr;
    const QRect area = availableArea();
    const QRect around = owner && owner->isVisible() ? owner->frameGeometry() : area;
    if (around.isEmpty())
        return QRect();
    QRect centred(QPoint(0, 0), outer);
    centred.moveCenter(around.center());
    return area.isEmpty() ? centred : FramePlacement::movedInside(centred, area);
}

QSize WindowPlacement::limitedToScreen(const QSize &size) const
{
    // The skin's frame does not take a window that fitted the available
    // area beyond it (a program that sized its window to the screen); one
    // larger already stays as large, as openbox and xfwm4 leave it.
    const QRect area = availableArea();
    if (area.isEmpty())
        return size;
    const QSize before = size - marginsSize(m_skin);
    QSize limited = size;
    if (before.width() <= area.width())
        limited.setWidth(qMin(size.width(), area.width()));
    if (before.height() <= area.height())
        limited.setHeight(qMin(size.height(), area.height()));
    return limited;
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
    QRect outer = FramePlacement::skinned(client, m_skin, availableArea());
    const QSize limited =
        m_window->testAttribute(Qt::WA_Mapped) ? outer.size() : limitedToScreen(outer.size());
    if (limited == outer.size()) {
        requestGeometry(outer, client);
        return;
    }
    outer.setSize(limited);
    outer = FramePlacement::movedInside(outer, availableArea());
    requestGeometry(outer, FramePlacement::clientOf(outer, m_skin));
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
        // The place to come back to. The X11 window managers keep the frame
        // they saw when they maximised the window and restore that, which a
        // frame switch in between makes wrong: left to themselves, openbox
        // and xfwm4 put the client area back 6,25 off (the skin's frame),
        // icewm 6,6 and fluxbox 5,5. Qt knows the place when it asked for
        // the maximise itself; one the window system did alone it restores
        // alone.
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
    if (!m_normalClient.isValid() || !m_window->isVisible() || !hasOwnGeometry())
        return;
    const QRect target =
        m_skinned
            ? FramePlacement::skinned(m_normalClient, m_skin, availableArea())
            : FramePlacement::native(m_normalClient, qMax(0, m_nativeFrame.top()), availableArea());
    if (!FrameRequests::clientPlacesWindows()) {
        // The compositor places the window (Wayland) and gives it back the
        // size it had before, from before the frame changed: the size alone
        // is asked for.
        if (m_window->size() != target.size() || m_restoreTries == 0)
            m_window->resize(target.size());
    } else if (m_window->geometry() != target || m_restoreTries == 0) {
        requestGeometry(target, m_normalClient);
    }
    // The window manager answers the restore with the frame it saved (see
    // onWindowStateChange()) some time after the state changed, possibly
    // after our request: the place is asked for again, every RestoreStepMs
    // for about 0.7 s, until it holds. Under openbox, xfwm4, icewm and
    // fluxbox under Xvfb the first request already holds; the repeats
    // cover a window manager slower to answer than that.
    if (++m_restoreTries < RestoreTries)
        QTimer::singleShot(RestoreStepMs, this, &WindowPlacement::restoreNormal);
}

void WindowPlacement::settlePlace()
{
    // Works around Qt 6.4 (xcb) under openbox: a window placed before it is
    // mapped sometimes believes itself at 0,0 once it is, while it is where
    // it was asked to be (the position Qt queries when it handles the
    // ConfigureNotify of that placement is the new frame's before openbox
    // has moved it there). Its dialogs then centre on the wrong place and
    // its pop-ups open off the window. Asked once more, the window manager
    // answers with the place, and Qt takes it.
    if (!m_skinned || m_asked.isNull() || !keepsClientPlace())
        return;
    if (m_window->testAttribute(Qt::WA_Mapped)) {
        if (m_window->geometry() == m_asked)
            return;
        requestGeometry(m_asked, m_keptClient);
    }
    if (++m_settleTries < RestoreTries)
        m_settleTimer.start();
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
        if (!m_window->testAttribute(Qt::WA_Mapped) && m_window->isVisible()) {
            m_settleTries = 0;
            m_settleTimer.start();
        }
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
        QSize grown = m_sizeBefore + extra;
        if (!m_window->testAttribute(Qt::WA_Mapped))
            grown = limitedToScreen(grown);
        m_window->resize(grown);
        m_sizeAfter = m_window->size();
        m_resized = true;
    }
}

void WindowPlacement::shrinkWindow(const QRect &client, bool keepFrameless)
{
    const QSize extra = marginsSize(m_skin);
    if (m_minChanged && m_window->minimumSize() == m_minAfter)
        m_window->setMinimumSize(m_minBefore);
    const bool free = hasOwnGeometry();
    if (client.isValid() && keepFrameless) {
        // Still frameless: no title bar to keep on the screen.
        requestGeometry(client, client);
    } else if (client.isValid()) {
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
