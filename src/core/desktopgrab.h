#pragma once

#include <QImage>
#include <QPixmap>
#include <QRect>

#include <cstddef>

// The desktop's pixels under a rectangle in logical coordinates, at full
// device resolution: the pixmap's device pixel ratio is the desktop's scale
// factor, so it paints sharp at the rectangle's logical size. Uses the
// platform's fast path when there is one (shared memory on X11) and the
// toolkit's grab otherwise.
QPixmap grabDesktop(const QRect& rect);

// The pixels of a rectangle in device coordinates (as the window system
// counts them), one image pixel per device pixel; null when the grab fails.
QImage grabDevicePixels(const QRect& rect);

// Platform part: a null image when the fast path is not available.
QImage nativeGrabDesktop(const QRect& rect);

// Sets the alpha byte of 32-bit pixels to 0xff, as QImage::Format_RGB32
// requires.
void makeOpaque(quint32* pixels, size_t count);

// The image with 0xff in the pad byte of every RGB32 pixel. A grab may hold
// what the window system left there; painted raw into a translucent window,
// that byte would count as alpha under a compositor.
QImage withOpaquePad(QImage image);
