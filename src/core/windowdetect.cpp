#include "core/windowdetect.h"

#include "core/displayinfo.h"

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
    windowList() = platformWindowRects();
}

const QVector<QRect>& windowRects()
{
    return windowList();
}

QRect windowRectAt(const QVector<QRect>& rects, const QPoint& point, const QRect& desktop)
{
    for (const QRect& r : rects) {
        if (r.contains(point)) {
            // A window reaching past the desktop would make a selection of
            // pixels that do not exist; keep the visible part.
            const QRect visible = r & desktop;
            return visible.isEmpty() ? desktop : visible;
        }
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
    return windowRectAt(windowList(), globalPos, QRect(QPoint(0, 0), DisplayInfo::maxSize()));
}
