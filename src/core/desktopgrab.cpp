#include "core/desktopgrab.h"

#include "core/devicepixels.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QGuiApplication>
#include <QScreen>

void makeOpaque(quint32* pixels, size_t count)
{
    // a plain loop: the compiler turns it into vector code
    for (size_t i = 0; i < count; ++i)
        pixels[i] |= 0xff000000u;
}

namespace {

// The toolkit's grab, in logical coordinates; the result carries the scale.
QPixmap toolkitGrab(const QRect& logical)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        qWarning() << "no screen to grab";
        return QPixmap();
    }
    // The desktop window's id takes global coordinates, across all screens.
    return screen->grabWindow(QApplication::desktop()->winId(), logical.x(), logical.y(), logical.width(),
                              logical.height());
}

} // namespace

QPixmap grabDesktop(const QRect& rect)
{
    if (rect.isEmpty())
        return QPixmap();
    const qreal factor = devicepixels::desktopFactor();
    QImage image = nativeGrabDesktop(devicepixels::toDevice(rect, factor));
    if (!image.isNull()) {
        image.setDevicePixelRatio(factor);
        return QPixmap::fromImage(std::move(image));
    }
    return toolkitGrab(rect);
}

QImage grabDevicePixels(const QRect& rect)
{
    if (rect.isEmpty())
        return QImage();
    QImage image = nativeGrabDesktop(rect);
    if (!image.isNull())
        return image;
    const qreal factor = devicepixels::desktopFactor();
    const QRect logical = devicepixels::toLogical(rect, factor);
    image = toolkitGrab(logical).toImage();
    if (image.isNull())
        return image;
    // the logical pixels round outward: cut away what lies beyond rect
    const QPoint offset = rect.topLeft() - devicepixels::toDevice(logical.topLeft(), factor);
    image = image.copy(QRect(offset, rect.size()));
    image.setDevicePixelRatio(1);
    return image;
}
