#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

// The toolkit lays widgets out in logical pixels; the window system, its
// grabs and everything we hand to other programs (clipboard positions,
// recording regions) count device pixels. With a scale factor f a screen
// keeps its device origin, and a logical point p stands for the device
// point origin + (p - origin) * f.
namespace devicepixels {

// The device pixels per logical pixel of the desktop (1 without scaling).
qreal desktopFactor();

// The logical pixel a fractional position lies in. Pointer positions under
// scaling fall between logical pixels; rounding them would move a drag's
// end one device pixel too far.
QPoint pixelAt(const QPointF& logical);

// The first device pixel of a logical pixel.
QPoint toDevice(const QPoint& logical, qreal factor, const QPoint& origin = QPoint());
// Every device pixel of the logical pixels of r, edges included: [600, 1099]
// at factor 2 is [1200, 2199].
QRect toDevice(const QRect& logical, qreal factor, const QPoint& origin = QPoint());
QSize toDevice(const QSize& logical, qreal factor);

// The device pixel a fractional logical position lies in.
QPoint devicePixelAt(const QPointF& logical, qreal factor, const QPoint& origin = QPoint());

// The logical pixel that shows a device pixel.
QPoint toLogical(const QPoint& device, qreal factor, const QPoint& origin = QPoint());
// The logical pixels that show any of r's device pixels.
QRect toLogical(const QRect& device, qreal factor, const QPoint& origin = QPoint());

// The part of a pixmap of device pixels that a logical rectangle shows, as
// the source of a drawPixmap(); exact also for fractional factors.
QRectF sourceRect(const QRect& logical, qreal factor);

// The same with the desktop's factor, for a desktop starting at (0, 0).
QRect toDevice(const QRect& logical);
QPoint toDevice(const QPoint& logical);
QRect toLogical(const QRect& device);
QPoint toLogical(const QPoint& device);

} // namespace devicepixels
