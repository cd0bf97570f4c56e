#include "TaskbarEntry.h"

#include <QGuiApplication>
#include <QList>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstring>

// The taskbar state is asked for directly with _NET_WM_STATE_SKIP_TASKBAR
// (and _SKIP_PAGER): Qt sets neither, and keeps the states it did not set
// when it maps a window. Under another platform plugin (Wayland, offscreen)
// nothing can be asked and the window keeps its entry.

namespace app {

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

// An unmapped window: the property itself, merged with what it holds.
void addToProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t state,
                   const QList<xcb_atom_t> &add)
{
    QList<xcb_atom_t> atoms;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, false, window, state, XCB_ATOM_ATOM, 0, 1024);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *held = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i)
            atoms.append(held[i]);
    }
    free(reply);
    for (xcb_atom_t a : add) {
        if (!atoms.contains(a))
            atoms.append(a);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                        uint32_t(atoms.size()), atoms.constData());
}

// A mapped window: the window manager keeps the property and is asked.
void askWindowManager(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t state,
                      xcb_atom_t first, xcb_atom_t second)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return;
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof(message));
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = state;
    message.data.data32[0] = 1; // _NET_WM_STATE_ADD
    message.data.data32[1] = first;
    message.data.data32[2] = second;
    message.data.data32[3] = 1; // a normal application
    xcb_send_event(connection, false, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
}
} // namespace

bool TaskbarEntry::leaveOut(QWindow *window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window)
        return false;
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPager = atom(connection, "_NET_WM_STATE_SKIP_PAGER");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE || skipPager == XCB_ATOM_NONE)
        return false;
    const auto id = xcb_window_t(window->winId());
    if (window->isVisible())
        askWindowManager(connection, id, state, skipTaskbar, skipPager);
    else
        addToProperty(connection, id, state, {skipTaskbar, skipPager});
    xcb_flush(connection);
    return true;
}

} // namespace app
