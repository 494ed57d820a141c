#pragma once

#include <QPoint>
#include <QRect>
#include <QVector>

// Proposes the top-level window under the cursor while a selection starts.
// The list is a snapshot taken by refreshWindowRects(), topmost window first,
// each rectangle inclusive and as the user sees it (frame included).

// Rebuilds the window list. Call before the overlay is shown, so that the
// overlay itself is never listed.
void refreshWindowRects();

// The rectangle of the topmost listed window under the cursor, cut to the
// desktop, or the whole desktop when no window is there.
QRect detectWindowRect();
// The same for a cursor position the caller already knows (a mouse event's),
// without asking the window system where the pointer is.
QRect detectWindowRect(const QPoint& globalPos);

// The current snapshot (topmost first).
const QVector<QRect>& windowRects();

// The lookup itself: the first rectangle containing the point (edges
// included), cut to the part of it the screens show; the desktop when none
// does. Windows no screen shows are passed over. Without screens the
// desktop counts as one.
QRect windowRectAt(const QVector<QRect>& rects, const QPoint& point, const QRect& desktop,
                   const QVector<QRect>& screens = {});

// Platform part: the visible top-level windows, topmost first, inclusive.
QVector<QRect> platformWindowRects();
