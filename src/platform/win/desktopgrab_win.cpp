#include "core/desktopgrab.h"

// The toolkit's grab is the fast path here.
QImage nativeGrabDesktop(const QRect&)
{
    return QImage();
}
