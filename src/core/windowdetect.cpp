#include "core/windowdetect.h"

#include "core/devicepixels.h"
#include "core/displayinfo.h"
#include "core/screenlayout.h"
#include "platform/services.h"
#include "platform/windowlocator.h"

#include <QCursor>

namespace {
QVector<QRect>& windowList()
{
    static QVector<QRect> list;
    return list;
}
}

void refreshWindowRects()
{
    // The window system counts device pixels; the overlay logical ones.
    QVector<QRect> rects = platform::windowLocator().windowRects();
    const qreal factor = devicepixels::desktopFactor();
    if (factor != 1) {
        for (QRect& r : rects)
            r = devicepixels::toLogical(r, factor);
    }
    windowList() = std::move(rects);
}

const QVector<QRect>& windowRects()
{
    return windowList();
}

QRect windowRectAt(const QVector<QRect>& rects, const QPoint& point, const QRect& desktop,
                   const QVector<QRect>& screens)
{
    const QVector<QRect> shown = screens.isEmpty() ? QVector<QRect>{ desktop } : screens;
    for (const QRect& r : rects) {
        if (!r.contains(point))
            continue;
        // A window reaching past the monitors would make a selection of
        // pixels nobody sees; keep the part that is shown.
        const QRect visible = screenlayout::shownPart(shown, r & desktop);
        if (!visible.isEmpty() && visible.contains(point))
            return visible;
    }
    return desktop;
}

QRect detectWindowRect()
{
    return detectWindowRect(QCursor::pos());
}

QRect detectWindowRect(const QPoint& globalPos)
{
    DisplayInfo::instance();
    return windowRectAt(windowList(), globalPos, DisplayInfo::desktopRect(), DisplayInfo::screenRects());
}
