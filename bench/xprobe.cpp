// A small X client that measures another program from outside, the way a
// user experiences it: when its tray icon docks, when its overlay maps and
// first paints after a hotkey, and how it answers a stream of mouse moves.
//
//   xprobe tray <class> -- command...   start command; print PID and ms until
//                                       a window of <class> docks in the tray
//   xprobe overlay key <keys>           XTEST key; ms until a full-screen
//   xprobe overlay exec -- command...   window maps, and until it first paints;
//                                       also the PID that owns the overlay
//                                       (_NET_WM_PID) and the spawned PID
//   xprobe key <keys>                   one XTEST press and release; "ctrl+shift+z" style
//                                       combinations are pressed in order, released backwards
//   xprobe drag x1 y1 x2 y2 n [us]      press at (x1,y1), n moves to (x2,y2), release
//   xprobe hover x1 y1 x2 y2 n [us]     n moves without a button; [us] between moves
//                                       (default 2000); prints how often the full-screen
//                                       window was repainted meanwhile (DAMAGE notifications)
//   xprobe fullscreen-gone              wait until no full-screen window is mapped
// Every wait ends after XPROBE_TIMEOUT seconds (default 20) with "timeout" and exit 1.
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <X11/keysym.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

xcb_connection_t* conn;
xcb_screen_t* screen;

std::chrono::seconds timeoutSeconds()
{
    const char* v = getenv("XPROBE_TIMEOUT");
    const int s = v ? atoi(v) : 0;
    return std::chrono::seconds(s > 0 ? s : 20);
}

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

std::string windowClass(xcb_window_t w)
{
    auto cookie = xcb_get_property(conn, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(conn, cookie, nullptr);
    std::string out;
    if (reply) {
        const char* v = static_cast<const char*>(xcb_get_property_value(reply));
        int len = xcb_get_property_value_length(reply);
        out.assign(v, v + len);
        for (char& c : out)
            if (c == '\0')
                c = ' ';
        free(reply);
    }
    return out;
}

void selectOnRoot()
{
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(conn, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(conn);
}

xcb_generic_event_t* waitEvent(Clock::time_point deadline)
{
    while (Clock::now() < deadline) {
        if (xcb_generic_event_t* e = xcb_poll_for_event(conn))
            return e;
        if (xcb_connection_has_error(conn))
            return nullptr;
        usleep(100);
    }
    return nullptr;
}

pid_t spawn(char** argv)
{
    pid_t pid = fork();
    if (pid == 0) {
        setsid();
        // the child must not hold our output open: callers read it to the end
        const char* log = getenv("XPROBE_CHILD_LOG");
        int out = open(log ? log : "/dev/null", O_WRONLY | O_CREAT | O_APPEND, 0644);
        int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        execvp(argv[0], argv);
        _exit(127);
    }
    return pid;
}

xcb_keycode_t keycodeOf(const char* name)
{
    KeySym sym = XStringToKeysym(name);
    if (sym == NoSymbol)
        return 0;
    xcb_key_symbols_t* syms = xcb_key_symbols_alloc(conn);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(syms, xcb_keysym_t(sym));
    xcb_keycode_t code = codes ? codes[0] : 0;
    free(codes);
    xcb_key_symbols_free(syms);
    return code;
}

const char* modifierKeysym(const std::string& name)
{
    if (name == "ctrl" || name == "control")
        return "Control_L";
    if (name == "shift")
        return "Shift_L";
    if (name == "alt")
        return "Alt_L";
    if (name == "super")
        return "Super_L";
    return nullptr;
}

// "ctrl+alt+v" → keycodes in press order; an unknown name gives an empty list
std::vector<xcb_keycode_t> keycodesOf(const std::string& combo)
{
    std::vector<xcb_keycode_t> codes;
    size_t start = 0;
    while (start <= combo.size()) {
        size_t end = combo.find('+', start + 1); // a lone "+" names the plus key
        if (end == std::string::npos)
            end = combo.size();
        const std::string part = combo.substr(start, end - start);
        const char* mod = modifierKeysym(part);
        const xcb_keycode_t code = keycodeOf(mod ? mod : part.c_str());
        if (code == 0)
            return {};
        codes.push_back(code);
        start = end + 1;
    }
    return codes;
}

bool fakeKey(const char* combo)
{
    const std::vector<xcb_keycode_t> codes = keycodesOf(combo);
    if (codes.empty()) {
        fprintf(stderr, "unknown key %s\n", combo);
        return false;
    }
    for (xcb_keycode_t c : codes)
        xcb_test_fake_input(conn, XCB_KEY_PRESS, c, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        xcb_test_fake_input(conn, XCB_KEY_RELEASE, *it, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(conn);
    return true;
}

void fakeMove(int x, int y)
{
    xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root, int16_t(x), int16_t(y), 0);
}

void fakeButton(bool press)
{
    xcb_test_fake_input(conn, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

void roundTrip()
{
    free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
}

uint32_t cardinalProperty(xcb_window_t w, xcb_atom_t atom)
{
    auto* r = xcb_get_property_reply(conn, xcb_get_property(conn, 0, w, atom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    uint32_t v = 0;
    if (r && xcb_get_property_value_length(r) == 4)
        v = *static_cast<uint32_t*>(xcb_get_property_value(r));
    free(r);
    return v;
}

// _NET_WM_PID of the window, or of its first child that has one (a frame
// put around it by the window manager carries none)
uint32_t windowPid(xcb_window_t w)
{
    auto* a = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, 11, "_NET_WM_PID"), nullptr);
    if (!a)
        return 0;
    const xcb_atom_t atom = a->atom;
    free(a);
    uint32_t pid = cardinalProperty(w, atom);
    if (pid)
        return pid;
    auto* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, w), nullptr);
    if (tree) {
        xcb_window_t* kids = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && !pid; ++i)
            pid = cardinalProperty(kids[i], atom);
        free(tree);
    }
    return pid;
}

bool isFullScreen(xcb_window_t w)
{
    auto* g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, w), nullptr);
    if (!g)
        return false;
    const bool full = g->width >= screen->width_in_pixels && g->height >= screen->height_in_pixels;
    free(g);
    return full;
}

int cmdTray(const char* cls, char** argv)
{
    selectOnRoot();
    const auto t0 = Clock::now();
    pid_t pid = spawn(argv);
    printf("PID %d\n", pid);
    fflush(stdout);
    const auto deadline = t0 + timeoutSeconds();
    while (xcb_generic_event_t* e = waitEvent(deadline)) {
        const uint8_t type = e->response_type & 0x7f;
        xcb_window_t w = XCB_NONE;
        if (type == XCB_REPARENT_NOTIFY) {
            auto* r = reinterpret_cast<xcb_reparent_notify_event_t*>(e);
            if (r->parent != screen->root)
                w = r->window; // taken away from the root: docked by the tray
        }
        free(e);
        if (w != XCB_NONE && windowClass(w).find(cls) != std::string::npos) {
            printf("TRAY_MS %.2f\n", msSince(t0));
            return 0;
        }
    }
    printf("TRAY_MS timeout\n");
    return 1;
}

int cmdOverlay(int argc, char** argv)
{
    selectOnRoot();
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(conn, &xcb_damage_id);
    if (!ext || !ext->present) {
        fprintf(stderr, "no DAMAGE extension\n");
        return 2;
    }
    free(xcb_damage_query_version_reply(conn, xcb_damage_query_version(conn, 1, 1), nullptr));
    const auto t0 = Clock::now();
    if (argc >= 2 && !strcmp(argv[0], "key")) {
        if (!fakeKey(argv[1]))
            return 2;
    } else if (argc >= 3 && !strcmp(argv[0], "exec")) {
        printf("SPAWN_PID %d\n", spawn(argv + 2));
        fflush(stdout);
    } else {
        return 2;
    }
    const auto deadline = t0 + timeoutSeconds();
    xcb_window_t overlay = XCB_NONE;
    while (xcb_generic_event_t* e = waitEvent(deadline)) {
        const uint8_t type = e->response_type & 0x7f;
        if (overlay == XCB_NONE && type == XCB_MAP_NOTIFY) {
            auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
            if (isFullScreen(m->window)) {
                overlay = m->window;
                printf("MAP_MS %.2f\n", msSince(t0));
                fflush(stdout);
                xcb_damage_damage_t damage = xcb_generate_id(conn);
                xcb_damage_create(conn, damage, overlay, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(conn);
            }
        } else if (overlay != XCB_NONE && type == ext->first_event + XCB_DAMAGE_NOTIFY) {
            printf("PAINT_MS %.2f\n", msSince(t0));
            printf("OVERLAY_PID %u\n", windowPid(overlay));
            free(e);
            return 0;
        }
        free(e);
    }
    printf("%s timeout\n", overlay == XCB_NONE ? "MAP_MS" : "PAINT_MS");
    return 1;
}

// The mapped full-screen window (the overlay), or none.
xcb_window_t fullScreenWindow()
{
    xcb_window_t found = XCB_NONE;
    auto* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, screen->root), nullptr);
    if (!tree)
        return found;
    xcb_window_t* kids = xcb_query_tree_children(tree);
    for (int i = xcb_query_tree_children_length(tree) - 1; i >= 0 && found == XCB_NONE; --i) {
        auto* a = xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, kids[i]), nullptr);
        if (a && a->map_state == XCB_MAP_STATE_VIEWABLE && isFullScreen(kids[i]))
            found = kids[i];
        free(a);
    }
    free(tree);
    return found;
}

int cmdPointer(bool drag, int x1, int y1, int x2, int y2, int n, int pauseUs)
{
    // Each notification is one repaint reaching the server: the damage is
    // taken away again as it is counted.
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(conn, &xcb_damage_id);
    xcb_damage_damage_t damage = XCB_NONE;
    const xcb_window_t overlay = ext && ext->present ? fullScreenWindow() : XCB_NONE;
    if (overlay != XCB_NONE) {
        free(xcb_damage_query_version_reply(conn, xcb_damage_query_version(conn, 1, 1), nullptr));
        damage = xcb_generate_id(conn);
        xcb_damage_create(conn, damage, overlay, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    }
    int repaints = 0;
    const auto drain = [&] {
        while (xcb_generic_event_t* e = xcb_poll_for_event(conn)) {
            if (damage != XCB_NONE && (e->response_type & 0x7f) == ext->first_event + XCB_DAMAGE_NOTIFY) {
                ++repaints;
                xcb_damage_subtract(conn, damage, XCB_NONE, XCB_NONE);
            }
            free(e);
        }
    };
    fakeMove(x1, y1);
    roundTrip();
    drain();
    repaints = 0;
    if (drag) {
        fakeButton(true);
        roundTrip();
    }
    const auto t0 = Clock::now();
    for (int i = 1; i <= n; ++i) {
        fakeMove(x1 + (x2 - x1) * i / n, y1 + (y2 - y1) * i / n);
        // one round trip a move: the server has handed each move on before the next
        roundTrip();
        drain();
        usleep(pauseUs);
    }
    const double seconds = msSince(t0) / 1000.0;
    drain();
    if (drag) {
        fakeButton(false);
        roundTrip();
    }
    if (damage != XCB_NONE) {
        xcb_damage_destroy(conn, damage);
        printf("MOVES_PER_S %.1f\nREPAINTS %d\nREPAINTS_PER_S %.1f\n", n / seconds, repaints, repaints / seconds);
    }
    return 0;
}

int cmdFullscreenGone()
{
    const auto deadline = Clock::now() + timeoutSeconds();
    while (Clock::now() < deadline) {
        auto* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, screen->root), nullptr);
        bool any = false;
        if (tree) {
            xcb_window_t* kids = xcb_query_tree_children(tree);
            for (int i = 0; i < xcb_query_tree_children_length(tree) && !any; ++i) {
                auto* a = xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, kids[i]), nullptr);
                if (a && a->map_state == XCB_MAP_STATE_VIEWABLE && isFullScreen(kids[i]))
                    any = true;
                free(a);
            }
            free(tree);
        }
        if (!any)
            return 0;
        usleep(5000);
    }
    printf("FULLSCREEN timeout\n");
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: see the comment at the top of xprobe.cpp\n");
        return 2;
    }
    conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        fprintf(stderr, "cannot connect to the X server\n");
        return 2;
    }
    screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    const std::string cmd = argv[1];
    int rc = 2;
    if (cmd == "tray" && argc >= 5 && !strcmp(argv[3], "--"))
        rc = cmdTray(argv[2], argv + 4);
    else if (cmd == "overlay")
        rc = cmdOverlay(argc - 2, argv + 2);
    else if (cmd == "key" && argc >= 3) {
        rc = fakeKey(argv[2]) ? 0 : 2;
        roundTrip();
    } else if ((cmd == "drag" || cmd == "hover") && argc >= 7)
        rc = cmdPointer(cmd == "drag", atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]),
                        argc >= 8 ? atoi(argv[7]) : 2000);
    else if (cmd == "fullscreen-gone")
        rc = cmdFullscreenGone();
    xcb_disconnect(conn);
    return rc;
}
