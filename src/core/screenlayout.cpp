#include "core/screenlayout.h"

#include <algorithm>
#include <climits>

namespace screenlayout {

namespace {

// Squared distance from a point to the nearest pixel of a rectangle.
qint64 distanceSquared(const QRect& r, const QPoint& p)
{
    const qint64 dx = p.x() < r.left() ? r.left() - p.x() : p.x() > r.right() ? p.x() - r.right() : 0;
    const qint64 dy = p.y() < r.top() ? r.top() - p.y() : p.y() > r.bottom() ? p.y() - r.bottom() : 0;
    return dx * dx + dy * dy;
}

QRect nearest(const QVector<QRect>& screens, const QPoint& p)
{
    QRect best;
    qint64 bestDistance = LLONG_MAX;
    for (const QRect& s : screens) {
        const qint64 d = distanceSquared(s, p);
        if (d < bestDistance) {
            best = s;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace

QRect desktopBounds(const QVector<QRect>& screens)
{
    int right = -1;
    int bottom = -1;
    for (const QRect& s : screens) {
        if (s.isEmpty())
            continue;
        right = std::max(right, s.right());
        bottom = std::max(bottom, s.bottom());
    }
    if (right < 0 || bottom < 0)
        return QRect();
    return QRect(0, 0, right + 1, bottom + 1);
}

QRegion unshownArea(const QVector<QRect>& screens)
{
    QRegion area(desktopBounds(screens));
    for (const QRect& s : screens)
        area -= QRegion(s);
    return area;
}

QRect screenFor(const QVector<QRect>& screens, const QRect& area)
{
    QRect best;
    qint64 bestOverlap = 0;
    for (const QRect& s : screens) {
        const QRect common = s & area;
        const qint64 overlap = qint64(common.width()) * common.height();
        if (!common.isEmpty() && overlap > bestOverlap) {
            best = s;
            bestOverlap = overlap;
        }
    }
    return bestOverlap > 0 ? best : nearest(screens, area.center());
}

QRect screenAt(const QVector<QRect>& screens, const QPoint& point)
{
    for (const QRect& s : screens) {
        if (s.contains(point))
            return s;
    }
    return nearest(screens, point);
}

QRect shownPart(const QVector<QRect>& screens, const QRect& r)
{
    QRect shown;
    for (const QRect& s : screens)
        shown |= s & r;
    return shown;
}

bool fullyShown(const QVector<QRect>& screens, const QRect& r)
{
    QRegion rest(r);
    for (const QRect& s : screens)
        rest -= QRegion(s);
    return rest.isEmpty();
}

QRect keptInside(const QRect& r, const QRect& area)
{
    if (area.isEmpty())
        return r;
    QPoint topLeft = r.topLeft();
    topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - r.width())));
    topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - r.height())));
    return QRect(topLeft, r.size());
}

} // namespace screenlayout
