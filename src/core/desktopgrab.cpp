#include "core/desktopgrab.h"

#include "core/devicepixels.h"
#include "platform/desktopgrabber.h"
#include "platform/services.h"

void makeOpaque(quint32* pixels, size_t count)
{
    // a plain loop: the compiler turns it into vector code
    for (size_t i = 0; i < count; ++i)
        pixels[i] |= 0xff000000u;
}

QPixmap grabDesktop(const QRect& rect)
{
    if (rect.isEmpty())
        return QPixmap();
    const qreal factor = devicepixels::desktopFactor();
    QImage image = platform::desktopGrabber().grabRect(devicepixels::toDevice(rect, factor));
    if (image.isNull())
        return QPixmap();
    image.setDevicePixelRatio(factor);
    return QPixmap::fromImage(std::move(image));
}

QImage grabDevicePixels(const QRect& rect)
{
    if (rect.isEmpty())
        return QImage();
    QImage image = platform::desktopGrabber().grabRect(rect);
    image.setDevicePixelRatio(1);
    return image;
}
