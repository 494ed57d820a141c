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

QImage withOpaquePad(QImage image)
{
    if (image.format() != QImage::Format_RGB32 || image.isNull())
        return image;
    // read first: an image that is already right is not copied
    bool clean = true;
    for (int y = 0; y < image.height() && clean; ++y) {
        const quint32* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        quint32 all = 0xff000000u;
        for (int x = 0; x < image.width(); ++x)
            all &= row[x];
        clean = all == 0xff000000u;
    }
    if (clean)
        return image;
    for (int y = 0; y < image.height(); ++y)
        makeOpaque(reinterpret_cast<quint32*>(image.scanLine(y)), size_t(image.width()));
    return image;
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
