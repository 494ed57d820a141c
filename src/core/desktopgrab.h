#pragma once

#include <QImage>
#include <QPixmap>
#include <QRect>

// The desktop's pixels in global coordinates. Uses the platform's fast path
// when there is one (shared memory on X11) and the toolkit's grab otherwise.
QPixmap grabDesktop(const QRect& rect);

// Platform part: a null image when the fast path is not available.
QImage nativeGrabDesktop(const QRect& rect);
