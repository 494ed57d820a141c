#include "core/devicepointer.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <xcb/xcb.h>

namespace {

QPoint lastPosition;
bool known = false;

class PointerFilter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray& type, void* message, long*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & ~0x80) {
        case XCB_BUTTON_PRESS:
        case XCB_BUTTON_RELEASE:
        case XCB_MOTION_NOTIFY: {
            // the three share their layout up to the root position
            const auto* e = reinterpret_cast<const xcb_button_press_event_t*>(event);
            lastPosition = QPoint(e->root_x, e->root_y);
            known = true;
            break;
        }
        default:
            break;
        }
        return false;
    }
};

} // namespace

namespace devicepointer {

void install()
{
    static PointerFilter* filter = nullptr;
    if (filter || !QCoreApplication::instance())
        return;
    filter = new PointerFilter;
    QCoreApplication::instance()->installNativeEventFilter(filter);
}

bool last(QPoint* device)
{
    if (known)
        *device = lastPosition;
    return known;
}

} // namespace devicepointer
