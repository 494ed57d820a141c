#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QVector>

// Geometry of the monitors as plain rectangles in desktop pixels, so that
// every layout (side by side, stacked, offset, primary anywhere) can be
// reasoned about without a display.
namespace screenlayout {

// The desktop the overlay covers: from (0, 0), where the root window
// starts, to the right and bottom of the furthest screen. Empty without
// screens.
QRect desktopBounds(const QVector<QRect>& screens);

// The parts of the desktop that no monitor shows.
QRegion unshownArea(const QVector<QRect>& screens);

// The screen that shows most of the area; when none shows any of it, the
// one nearest to the area's centre. Ties go to the earlier screen (the
// toolkit lists the primary first). Empty without screens.
QRect screenFor(const QVector<QRect>& screens, const QRect& area);
// The screen under the point, or the nearest one.
QRect screenAt(const QVector<QRect>& screens, const QPoint& point);

// The smallest rectangle holding every part of r that a monitor shows;
// empty when no monitor shows any of it.
QRect shownPart(const QVector<QRect>& screens, const QRect& r);

// Whether every pixel of r is on some monitor.
bool fullyShown(const QVector<QRect>& screens, const QRect& r);

// r moved the least distance that puts it inside the area; when it is
// larger, its top-left corner goes to the area's top-left corner.
QRect keptInside(const QRect& r, const QRect& area);

} // namespace screenlayout
