#include "core/placement.h"

#include "core/screenlayout.h"

#include <algorithm>

namespace placement {

namespace {

// The part of the selection on the monitor; a selection that misses it
// (it lies where no monitor shows) is treated as if moved onto it.
QRect onScreen(const QRect& selection, const QRect& screen)
{
    const QRect part = selection & screen;
    if (!part.isEmpty() || screen.isEmpty())
        return part.isEmpty() ? selection : part;
    return screenlayout::keptInside(selection, screen) & screen;
}

int clampX(int x, int width, const QRect& screen)
{
    return std::max(screen.left(), std::min(x, screen.right() + 1 - width));
}

int clampY(int y, int height, const QRect& screen)
{
    return std::max(screen.top(), std::min(y, screen.bottom() + 1 - height));
}

} // namespace

QRect screenAtCorner(const QVector<QRect>& screens, const QRect& selection, const QPoint& corner)
{
    for (const QRect& s : screens) {
        if (s.contains(corner))
            return s;
    }
    return screenlayout::screenFor(screens, selection);
}

ToolbarPlace toolbar(const QRect& selection, const QSize& bar, const QRect& screen)
{
    const QRect r = onScreen(selection, screen);
    const int h = bar.height();
    ToolbarPlace place;
    // below: the toolbar, a gap, the option row, all before the monitor ends
    if (r.bottom() + 2 * h + 2 * GAP - 1 < screen.bottom() + 1) {
        place.pos.setY(r.bottom() + GAP);
    } else if (r.top() - 2 * h - 2 * GAP + 1 > screen.top()) {
        place.pos.setY(r.top() - h - GAP);
        place.submenusAbove = true;
    } else {
        place.pos.setY(r.bottom() - h - GAP);
        place.submenusAbove = true;
    }
    place.pos.setX(clampX(r.right() + 1 - bar.width(), bar.width(), screen));
    if (!screen.isEmpty())
        place.pos.setY(clampY(place.pos.y(), h, screen));
    return place;
}

QRect toolbarBand(const ToolbarPlace& place, const QSize& bar)
{
    const QRect toolbarRect(place.pos, bar);
    const int rowY = place.submenusAbove ? place.pos.y() - bar.height() - GAP : place.pos.y() + bar.height() + GAP;
    return toolbarRect | QRect(QPoint(place.pos.x(), rowY), bar);
}

QPoint optionRow(const QPoint& barPos, const QSize& bar, const QSize& row, bool above, const QRect& screen)
{
    const int y = above ? barPos.y() - bar.height() - GAP : barPos.y() + bar.height() + GAP;
    return QPoint(screen.isEmpty() ? barPos.x() : clampX(barPos.x(), row.width(), screen), y);
}

QPoint sizeLabel(const QRect& selection, const QSize& label, const QRect& screen, const QRect& obstacle)
{
    const QRect r = onScreen(selection, screen);
    const int x = screen.isEmpty() ? r.left() + 1 : clampX(r.left() + 1, label.width(), screen);
    const QPoint above(x, r.top() - label.height());
    const QPoint inside(x, r.top() + 1);
    const bool roomAbove = screen.isEmpty() || above.y() >= screen.top();
    if (obstacle.isEmpty())
        return roomAbove ? above : inside;

    QVector<QPoint> candidates;
    if (roomAbove)
        candidates << above;
    candidates << inside
               << QPoint(obstacle.left() - GAP - label.width(), obstacle.top())
               << QPoint(obstacle.right() + 1 + GAP, obstacle.top())
               << QPoint(x, obstacle.top() - GAP - label.height())
               << QPoint(x, obstacle.bottom() + 1 + GAP);
    for (const QPoint& c : candidates) {
        const QRect place(c, label);
        if (!place.intersects(obstacle) && (screen.isEmpty() || screen.contains(place)))
            return c;
    }
    return roomAbove ? above : inside;
}

QPoint magnifier(const QPoint& cursor, const QSize& panel, const QRect& screen)
{
    QPoint at = cursor + QPoint(10, 10);
    if (screen.isEmpty())
        return at;
    if (at.x() + panel.width() > screen.right() + 1)
        at.setX(cursor.x() - 10 - panel.width());
    if (at.y() + panel.height() > screen.bottom() + 1)
        at.setY(cursor.y() - 10 - panel.height());
    return QPoint(clampX(at.x(), panel.width(), screen), clampY(at.y(), panel.height(), screen));
}

QRect pinnedImage(const QRect& wanted, const QVector<QRect>& screens, const QPoint& cursor)
{
    if (screens.isEmpty() || screenlayout::fullyShown(screens, wanted))
        return wanted;
    bool overlaps = false;
    for (const QRect& s : screens)
        overlaps = overlaps || s.intersects(wanted);
    const QRect screen = overlaps ? screenlayout::screenFor(screens, wanted) : screenlayout::screenAt(screens, cursor);
    QRect place = screenlayout::keptInside(wanted, screen);
    // Larger than the monitor: a corner that is on it stays, as a window
    // manager pushes a window whose top-left is off screen back by its far edge.
    if (wanted.width() > screen.width() && wanted.left() >= screen.left() && wanted.left() <= screen.right())
        place.moveLeft(wanted.left());
    if (wanted.height() > screen.height() && wanted.top() >= screen.top() && wanted.top() <= screen.bottom())
        place.moveTop(wanted.top());
    return place;
}

} // namespace placement
