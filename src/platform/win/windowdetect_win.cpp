#include "core/windowdetect.h"

#include <windows.h>
#include <dwmapi.h>

QVector<QRect> platformWindowRects()
{
    QVector<QRect> rects;
    for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        RECT bounds;
        if (FAILED(DwmGetWindowAttribute(hwnd, DWMWA_EXTENDED_FRAME_BOUNDS, &bounds, sizeof(bounds))))
            continue;
        // Win32 rectangles exclude right and bottom; ours include them.
        const QRect r(QPoint(bounds.left, bounds.top), QPoint(bounds.right - 1, bounds.bottom - 1));
        if (IsWindowVisible(hwnd) && r.right() >= r.left() && r.bottom() >= r.top())
            rects.append(r);
    }
    return rects;
}
