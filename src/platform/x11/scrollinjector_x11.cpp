#include "core/scrollinjector.h"

#include <QDebug>
#include <QGuiApplication>
#include <QX11Info>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace {

// Wheel buttons of the core protocol.
constexpr uint8_t WHEEL_DOWN = 5;
constexpr uint8_t WHEEL_RIGHT = 7;

class XTestInjector : public ScrollInjector
{
public:
    explicit XTestInjector(xcb_connection_t* connection, xcb_window_t root)
        : c_(connection)
        , root_(root)
    {
    }

    bool scroll(const QPoint& globalPos, Qt::Orientation orientation, int clicks) override
    {
        // The toolkit's coordinates are device-independent; XTEST wants pixels.
        const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
        const int x = qRound(globalPos.x() * ratio);
        const int y = qRound(globalPos.y() * ratio);
        xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, int16_t(x), int16_t(y), 0);
        const uint8_t button = orientation == Qt::Vertical ? WHEEL_DOWN : WHEEL_RIGHT;
        for (int i = 0; i < clicks; ++i) {
            xcb_test_fake_input(c_, XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, root_, 0, 0, 0);
            xcb_test_fake_input(c_, XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, root_, 0, 0, 0);
        }
        // A round trip: the server has dealt with the input when this returns.
        xcb_generic_error_t* error = nullptr;
        free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), &error));
        if (error) {
            qWarning() << "the wheel steps were not sent, X error" << error->error_code;
            free(error);
            return false;
        }
        return true;
    }

private:
    xcb_connection_t* c_;
    xcb_window_t root_;
};

} // namespace

std::unique_ptr<ScrollInjector> ScrollInjector::create()
{
    if (!QX11Info::isPlatformX11())
        return nullptr;
    xcb_connection_t* c = QX11Info::connection();
    xcb_generic_error_t* error = nullptr;
    xcb_test_get_version_reply_t* version = xcb_test_get_version_reply(c, xcb_test_get_version(c, 2, 2), &error);
    if (!version) {
        qWarning() << "the X server has no XTEST; scrolling only by hand";
        free(error);
        return nullptr;
    }
    free(version);
    return std::make_unique<XTestInjector>(c, xcb_window_t(QX11Info::appRootWindow()));
}
