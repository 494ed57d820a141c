#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVector>

// Where the small windows around a selection go. Every answer lies on the
// one monitor given (the one that holds the selection or the cursor), so
// nothing ends up where no monitor shows it. Rectangles in, position out.
namespace placement {

// Gap between a selection and the toolbar, and between the toolbar and an
// option row.
constexpr int GAP = 3;

struct ToolbarPlace
{
    QPoint pos;
    // The option rows open above the toolbar instead of below it.
    bool submenusAbove = false;
};

// The monitor a corner of the selection is on (the size label sits at the
// top-left, the toolbar at the bottom-right); when that corner is where no
// monitor shows, the monitor holding most of the selection.
QRect screenAtCorner(const QVector<QRect>& screens, const QRect& selection, const QPoint& corner);

// The annotation toolbar under the selection's right end when the toolbar
// and an option row fit below it on the monitor, else above it, else inside
// its bottom; kept within the monitor sideways.
ToolbarPlace toolbar(const QRect& selection, const QSize& bar, const QRect& screen);

// The band the toolbar and an open option row take together.
QRect toolbarBand(const ToolbarPlace& place, const QSize& bar);

// An option row next to the toolbar at barPos, kept within the monitor
// sideways.
QPoint optionRow(const QPoint& barPos, const QSize& bar, const QSize& row, bool above, const QRect& screen);

// The size read-out just above the selection's top-left corner, or just
// inside it when there is no room above on the monitor or the toolbar is
// there; failing both, beside or above the toolbar.
QPoint sizeLabel(const QRect& selection, const QSize& label, const QRect& screen, const QRect& obstacle = QRect());

// The magnifier below and right of the cursor, flipped to the other side of
// it where the monitor ends.
QPoint magnifier(const QPoint& cursor, const QSize& panel, const QRect& screen);

// Where a pinned image goes: where it is asked for when every pixel of it is
// on a monitor (a snip stays exactly where it was taken); otherwise moved
// onto the monitor that holds most of it, or the cursor's when none does.
QRect pinnedImage(const QRect& wanted, const QVector<QRect>& screens, const QPoint& cursor);

} // namespace placement
