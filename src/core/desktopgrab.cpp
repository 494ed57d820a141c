#include "core/desktopgrab.h"

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
    QImage image = platform::desktopGrabber().grabRect(rect);
    if (image.isNull())
        return QPixmap();
    return QPixmap::fromImage(std::move(image));
}
