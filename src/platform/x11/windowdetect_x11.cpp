#include "core/windowdetect.h"

#include <QHash>
#include <QX11Info>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <memory>

// Every request of one kind goes out for all windows before the first reply is
// read, so a refresh costs a handful of round trips however many windows are
// open.

namespace {

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};
template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

enum AtomIndex { CLIENT_LIST, FRAME_EXTENTS, WM_STATE, WM_STATE_HIDDEN, SUPPORTING_WM_CHECK, ATOM_COUNT };

bool internAtoms(xcb_connection_t* c, xcb_atom_t* atoms)
{
    static const char* const names[ATOM_COUNT] = { "_NET_CLIENT_LIST", "_NET_FRAME_EXTENTS", "_NET_WM_STATE",
                                                  "_NET_WM_STATE_HIDDEN", "_NET_SUPPORTING_WM_CHECK" };
    xcb_intern_atom_cookie_t cookies[ATOM_COUNT];
    for (int i = 0; i < ATOM_COUNT; ++i)
        cookies[i] = xcb_intern_atom(c, 0, uint16_t(strlen(names[i])), names[i]);
    bool ok = true;
    for (int i = 0; i < ATOM_COUNT; ++i) {
        Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(c, cookies[i], nullptr));
        atoms[i] = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        ok = ok && r;
    }
    return ok;
}

QVector<xcb_window_t> windowsOf(xcb_get_property_reply_t* r)
{
    QVector<xcb_window_t> out;
    if (!r || r->format != 32 || r->type != XCB_ATOM_WINDOW)
        return out;
    const int n = xcb_get_property_value_length(r) / 4;
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(r));
    out.reserve(n);
    for (int i = 0; i < n; ++i)
        out.append(ids[i]);
    return out;
}

// A window manager is running when its check window points at itself.
bool windowManagerRunning(xcb_connection_t* c, xcb_window_t root, xcb_atom_t check)
{
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr));
    const QVector<xcb_window_t> w = windowsOf(r.get());
    if (w.isEmpty())
        return false;
    Reply<xcb_get_property_reply_t> self(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w[0], check, XCB_ATOM_WINDOW, 0, 1), nullptr));
    const QVector<xcb_window_t> s = windowsOf(self.get());
    return !s.isEmpty() && s[0] == w[0];
}

// Without a window manager: the root's viewable children, as drawn.
QVector<QRect> bareRootWindows(xcb_connection_t* c, const QVector<xcb_window_t>& children)
{
    const int n = children.size();
    std::vector<xcb_get_window_attributes_cookie_t> attrs(n);
    std::vector<xcb_get_geometry_cookie_t> geoms(n);
    for (int i = 0; i < n; ++i) {
        attrs[i] = xcb_get_window_attributes(c, children[i]);
        geoms[i] = xcb_get_geometry(c, children[i]);
    }
    QVector<QRect> rects;
    for (int i = n - 1; i >= 0; --i) { // topmost first
        Reply<xcb_get_window_attributes_reply_t> a(xcb_get_window_attributes_reply(c, attrs[i], nullptr));
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, geoms[i], nullptr));
        if (!a || !g || a->map_state != XCB_MAP_STATE_VIEWABLE || a->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
            continue;
        const int border = g->border_width;
        rects.append(QRect(g->x, g->y, g->width + 2 * border, g->height + 2 * border));
    }
    return rects;
}

} // namespace

QVector<QRect> platformWindowRects()
{
    if (!QX11Info::isPlatformX11())
        return {};
    xcb_connection_t* c = QX11Info::connection();
    const xcb_window_t root = QX11Info::appRootWindow();
    if (!c || !root)
        return {};

    static xcb_atom_t atoms[ATOM_COUNT];
    static bool haveAtoms = false;
    if (!haveAtoms)
        haveAtoms = internAtoms(c, atoms);
    if (!haveAtoms)
        return {};

    // The root's children are in true stacking order, bottom to top; window
    // managers' own stacking lists are not reliable (some keep creation order).
    const xcb_query_tree_cookie_t treeCookie = xcb_query_tree(c, root);
    const xcb_get_property_cookie_t clientsCookie =
        xcb_get_property(c, 0, root, atoms[CLIENT_LIST], XCB_ATOM_WINDOW, 0, 1 << 16);
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, treeCookie, nullptr));
    Reply<xcb_get_property_reply_t> clientsReply(xcb_get_property_reply(c, clientsCookie, nullptr));
    if (!tree)
        return {};
    QVector<xcb_window_t> children;
    {
        const int n = xcb_query_tree_children_length(tree.get());
        const xcb_window_t* ids = xcb_query_tree_children(tree.get());
        children = QVector<xcb_window_t>(ids, ids + n);
    }
    const QVector<xcb_window_t> clients = windowsOf(clientsReply.get());
    if (clients.isEmpty() || !windowManagerRunning(c, root, atoms[SUPPORTING_WM_CHECK]))
        return bareRootWindows(c, children);

    QHash<xcb_window_t, int> stackIndex;
    stackIndex.reserve(children.size());
    for (int i = 0; i < children.size(); ++i)
        stackIndex.insert(children[i], i);

    const int n = clients.size();
    std::vector<xcb_get_window_attributes_cookie_t> attrs(n);
    std::vector<xcb_get_geometry_cookie_t> geoms(n);
    std::vector<xcb_translate_coordinates_cookie_t> origins(n);
    std::vector<xcb_get_property_cookie_t> extents(n);
    std::vector<xcb_get_property_cookie_t> states(n);
    std::vector<xcb_query_tree_cookie_t> parents(n);
    for (int i = 0; i < n; ++i) {
        const xcb_window_t w = clients[i];
        attrs[i] = xcb_get_window_attributes(c, w);
        geoms[i] = xcb_get_geometry(c, w);
        origins[i] = xcb_translate_coordinates(c, w, root, 0, 0);
        extents[i] = xcb_get_property(c, 0, w, atoms[FRAME_EXTENTS], XCB_ATOM_CARDINAL, 0, 4);
        states[i] = xcb_get_property(c, 0, w, atoms[WM_STATE], XCB_ATOM_ATOM, 0, 64);
        parents[i] = xcb_query_tree(c, w);
    }

    struct Entry
    {
        QRect rect;
        xcb_window_t topLevel = XCB_WINDOW_NONE;
        bool alive = false;
    };
    std::vector<Entry> entries(n);
    std::vector<xcb_window_t> cursor(n, XCB_WINDOW_NONE); // ancestor still to climb from
    for (int i = 0; i < n; ++i) {
        Reply<xcb_get_window_attributes_reply_t> a(xcb_get_window_attributes_reply(c, attrs[i], nullptr));
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, geoms[i], nullptr));
        Reply<xcb_translate_coordinates_reply_t> o(xcb_translate_coordinates_reply(c, origins[i], nullptr));
        Reply<xcb_get_property_reply_t> e(xcb_get_property_reply(c, extents[i], nullptr));
        Reply<xcb_get_property_reply_t> s(xcb_get_property_reply(c, states[i], nullptr));
        Reply<xcb_query_tree_reply_t> p(xcb_query_tree_reply(c, parents[i], nullptr));
        if (!a || !g || !o || !p || a->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        if (s && s->format == 32 && s->type == XCB_ATOM_ATOM) {
            const int count = xcb_get_property_value_length(s.get()) / 4;
            const auto* list = static_cast<const xcb_atom_t*>(xcb_get_property_value(s.get()));
            if (std::find(list, list + count, atoms[WM_STATE_HIDDEN]) != list + count)
                continue;
        }
        int left = 0, right = 0, top = 0, bottom = 0;
        if (e && e->format == 32 && xcb_get_property_value_length(e.get()) >= 16) {
            const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(e.get()));
            left = int(v[0]);
            right = int(v[1]);
            top = int(v[2]);
            bottom = int(v[3]);
        }
        const int border = g->border_width;
        // Translation gives the inside of the client's border.
        const int x = o->dst_x - border - left;
        const int y = o->dst_y - border - top;
        const int w = g->width + 2 * border + left + right;
        const int h = g->height + 2 * border + top + bottom;
        if (w <= 0 || h <= 0)
            continue;
        entries[i].rect = QRect(x, y, w, h);
        entries[i].alive = true;
        if (p->parent == root)
            entries[i].topLevel = clients[i];
        else
            cursor[i] = p->parent;
    }

    // Climb from each client to its child of the root (the frame), one level
    // per round trip for all clients at once.
    for (int depth = 0; depth < 16; ++depth) {
        std::vector<int> pending;
        std::vector<xcb_query_tree_cookie_t> cookies;
        for (int i = 0; i < n; ++i) {
            if (entries[i].alive && entries[i].topLevel == XCB_WINDOW_NONE && cursor[i] != XCB_WINDOW_NONE) {
                pending.push_back(i);
                cookies.push_back(xcb_query_tree(c, cursor[i]));
            }
        }
        if (pending.empty())
            break;
        for (size_t k = 0; k < pending.size(); ++k) {
            const int i = pending[k];
            Reply<xcb_query_tree_reply_t> p(xcb_query_tree_reply(c, cookies[k], nullptr));
            if (!p) {
                cursor[i] = XCB_WINDOW_NONE;
                continue;
            }
            if (p->parent == root)
                entries[i].topLevel = cursor[i];
            else
                cursor[i] = p->parent;
        }
    }

    std::vector<std::pair<int, QRect>> stacked;
    stacked.reserve(n);
    for (int i = 0; i < n; ++i) {
        if (!entries[i].alive || entries[i].topLevel == XCB_WINDOW_NONE)
            continue;
        const auto it = stackIndex.constFind(entries[i].topLevel);
        if (it != stackIndex.constEnd())
            stacked.emplace_back(it.value(), entries[i].rect);
    }
    std::stable_sort(stacked.begin(), stacked.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QVector<QRect> rects;
    rects.reserve(int(stacked.size()));
    for (const auto& s : stacked)
        rects.append(s.second);
    return rects;
}
