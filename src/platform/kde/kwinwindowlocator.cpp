#include "platform/kde/kwinwindowlocator.h"

#include <QDebug>
#include <QElapsedTimer>

#include "core/devicepixels.h"
#include "platform/kde/kwinscript.h"

QVector<QRect> KWinWindowLocator::windowRects()
{
    QElapsedTimer clock;
    clock.start();
    QString error;
    const QVector<kwinscript::Window> windows = kwinscript::queryWindows(REPORT_TIMEOUT_MS, &error);
    if (!error.isEmpty()) {
        qWarning().noquote() << "KWin did not list its windows; free selection only:" << error;
        return {};
    }
    QVector<QRect> rects = kwinscript::visibleFrames(windows);
    // KWin counts logical pixels, the locator's callers device pixels
    const qreal factor = devicepixels::desktopFactor();
    if (factor != 1) {
        for (QRect& r : rects)
            r = devicepixels::toDevice(r, factor);
    }
    qInfo() << "KWin listed" << rects.size() << "of" << windows.size() << "windows in" << clock.elapsed() << "ms";
    return rects;
}
