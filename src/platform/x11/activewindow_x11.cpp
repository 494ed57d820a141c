#include "video/activewindow.h"

#include <QVector>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace activewindow {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

} // namespace

quintptr current()
{
    if (!QX11Info::isPlatformX11())
        return 0;
    xcb_connection_t* c = QX11Info::connection();
    const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
    if (active != XCB_ATOM_NONE) {
        auto* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, QX11Info::appRootWindow(), active, XCB_ATOM_WINDOW, 0, 1), nullptr);
        xcb_window_t window = XCB_WINDOW_NONE;
        if (reply && reply->type == XCB_ATOM_WINDOW && xcb_get_property_value_length(reply) >= 4)
            window = *static_cast<xcb_window_t*>(xcb_get_property_value(reply));
        std::free(reply);
        if (window != XCB_WINDOW_NONE)
            return window;
    }
    // no window manager that says: the X focus itself
    auto* focus = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const xcb_window_t window = focus ? focus->focus : xcb_window_t(XCB_WINDOW_NONE);
    std::free(focus);
    return window > XCB_INPUT_FOCUS_POINTER_ROOT && window != QX11Info::appRootWindow() ? window : 0;
}

void restore(quintptr window)
{
    if (!window || !QX11Info::isPlatformX11())
        return;
    xcb_connection_t* c = QX11Info::connection();
    const xcb_window_t target = xcb_window_t(window);
    // A pager's request (source 2): window managers grant it without the
    // focus-stealing checks they apply to applications.
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = target;
    event.type = atom(c, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, QX11Info::appRootWindow(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    // and the focus itself, for a window manager that ignores the request
    // (checked: a window gone meanwhile is no error worth a log line)
    std::free(xcb_request_check(
        c, xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_POINTER_ROOT, target, XCB_CURRENT_TIME)));
}

void skipTaskbar(quintptr window)
{
    if (!window || !QX11Info::isPlatformX11())
        return;
    xcb_connection_t* c = QX11Info::connection();
    const xcb_window_t w = xcb_window_t(window);
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    QVector<xcb_atom_t> atoms;
    auto* reply = xcb_get_property_reply(c, xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 64), nullptr);
    if (reply && reply->type == XCB_ATOM_ATOM) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i)
            atoms << values[i];
    }
    std::free(reply);
    // Set before the window is mapped: the toolkit adds its own states to
    // these, and the window manager reads them when it manages the window.
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t a = atom(c, name);
        if (!atoms.contains(a))
            atoms << a;
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, state, XCB_ATOM_ATOM, 32, uint32_t(atoms.size()), atoms.constData());
    xcb_flush(c);
}

} // namespace activewindow
