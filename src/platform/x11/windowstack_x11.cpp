#include "core/windowstack.h"

#include <QWidget>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// The child of the root that holds w: the window manager's frame, or w itself.
xcb_window_t topLevelOf(xcb_connection_t* c, xcb_window_t w)
{
    for (int depth = 0; depth < 16; ++depth) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
        if (!tree)
            return w;
        const xcb_window_t parent = tree->parent;
        const xcb_window_t root = tree->root;
        std::free(tree);
        if (parent == root || parent == XCB_WINDOW_NONE)
            return w;
        w = parent;
    }
    return w;
}

} // namespace

void stackBelow(QWidget* window, QWidget* above)
{
    if (!QX11Info::isPlatformX11() || !window || !above || !window->isVisible() || !above->isVisible())
        return;
    xcb_connection_t* c = QX11Info::connection();
    const uint32_t values[] = { topLevelOf(c, xcb_window_t(above->window()->winId())), XCB_STACK_MODE_BELOW };
    // Checked: a window the manager is still reparenting is no sibling yet,
    // and the caller simply tries again later.
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_configure_window_checked(c, xcb_window_t(window->winId()),
                                        XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values));
    std::free(error);
}
