#include "FrameRequests.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstring>

// Qt's QWindow::startSystemMove() tells the window manager the pointer's
// position at the moment of the call; the skin starts a drag only past the
// drag distance, so the window would trail the pointer by that distance.
// Here the same _NET_WM_MOVERESIZE request carries the press position.

namespace tavrelctl {

namespace {
xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, false, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

// Whether the window manager announces the request in _NET_SUPPORTED.
bool supported(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t request)
{
    const xcb_atom_t netSupported = atom(connection, "_NET_SUPPORTED");
    if (netSupported == XCB_ATOM_NONE)
        return false;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, false, root, netSupported, XCB_ATOM_ATOM, 0, 4096);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    bool found = false;
    if (reply && reply->format == 32) {
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count && !found; ++i)
            found = atoms[i] == request;
    }
    free(reply);
    return found;
}

// _NET_WM_MOVERESIZE directions.
uint32_t direction(Qt::Edges edges)
{
    const bool left = edges & Qt::LeftEdge, right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge, bottom = edges & Qt::BottomEdge;
    if (top)
        return left ? 0 : right ? 2 : 1;
    if (bottom)
        return left ? 6 : right ? 4 : 5;
    if (right)
        return 3;
    if (left)
        return 7;
    return 8; // move
}
} // namespace

bool FrameRequests::startFromPress(QWindow *window, Qt::Edges edges, const QPointF &pressGlobal)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    const QScreen *screen = window->screen();
    if (!connection || !screen)
        return false;
    const xcb_screen_t *xscreen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t request = atom(connection, "_NET_WM_MOVERESIZE");
    if (!xscreen || request == XCB_ATOM_NONE || !supported(connection, xscreen->root, request))
        return false;

    // Global coordinates to the server's pixels: Qt scales about each
    // screen's top-left corner.
    const QPoint origin = screen->geometry().topLeft();
    const QPointF native = (pressGlobal - origin) * window->devicePixelRatio() + origin;

    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof(message));
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = request;
    message.data.data32[0] = uint32_t(qRound(native.x()));
    message.data.data32[1] = uint32_t(qRound(native.y()));
    message.data.data32[2] = direction(edges);
    message.data.data32[3] = XCB_BUTTON_INDEX_1;
    message.data.data32[4] = 1; // a normal application
    // The press grabbed the pointer for us: the window manager needs it.
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    xcb_send_event(connection, false, xscreen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
    return true;
}

FrameRequests::AskedPlace FrameRequests::placeFromHints(const QWindow *window)
{
    // WM_NORMAL_HINTS (ICCCM 4.1.2.3), which Qt's xcb plugin writes when it
    // creates the window: USPosition or PPosition when the program gave a
    // position, and the window gravity that says whether that position is
    // the frame's (NorthWest) or the client area's own (Static).
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window->handle())
        return AskedPlace::Unknown;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, false, xcb_window_t(window->winId()), XCB_ATOM_WM_NORMAL_HINTS,
                         XCB_ATOM_WM_SIZE_HINTS, 0, 18);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    AskedPlace place = AskedPlace::Unknown;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 18 * 4) {
        const auto *hints = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        constexpr uint32_t USPosition = 1, PPosition = 4, PWinGravity = 512;
        constexpr uint32_t StaticGravity = 10;
        const uint32_t flags = hints[0];
        if (!(flags & (USPosition | PPosition)))
            place = AskedPlace::None;
        else if ((flags & PWinGravity) && hints[17] == StaticGravity)
            place = AskedPlace::Client;
        else
            place = AskedPlace::Frame;
    }
    free(reply);
    return place;
}

void FrameRequests::wakeCompositor()
{
    // Works around mutter 43 on X11 (and so the X11 sessions built on it):
    // once the window manager takes its frame away from a mapped window or
    // puts it back (the skin's frameless hint), its compositor keeps drawing
    // the window's picture squeezed into the old rectangle, at the old
    // place, for as long as nothing else changes on the screen; moves,
    // resizes and state changes of the window itself do not end it (mutter
    // logs "Can't update stage views actor ... because it needs an
    // allocation"). The next window that maps anywhere makes it lay out the
    // screen again. A plain Qt window that changes its frame hint gets the
    // same. The window mapped here has no size and lies outside every screen
    // (the root window's coordinates are never negative), where no pointer
    // reaches it; it is never managed, and it stays for a moment, since one
    // destroyed at once goes unseen.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const xcb_screen_t *xscreen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!xscreen)
        return;
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t overrideRedirect = 1;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, xscreen->root, -64, -64, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    QTimer::singleShot(100, qGuiApp, [connection, window] {
        xcb_destroy_window(connection, window);
        xcb_flush(connection);
    });
}

} // namespace tavrelctl
