#include "platform/windowlocator.h"

#include "core/windowdetect.h"

QVector<QRect> NativeWindowLocator::windowRects()
{
    return platformWindowRects();
}
