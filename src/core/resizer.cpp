#include "core/resizer.h"

#include "core/displayinfo.h"

#include <cstdlib>

Resizer::Resizer()
    : bounds(QPoint(0, 0), DisplayInfo::maxSize())
{
}

Resizer::Resizer(int ax1, int ay1, int ax2, int ay2)
    : x1(ax1)
    , y1(ay1)
    , x2(ax2)
    , y2(ay2)
    , bounds(QPoint(0, 0), DisplayInfo::maxSize())
{
}

QRect Resizer::rect() const
{
    return QRect(QPoint(minX(), minY()), QPoint(maxX(), maxY()));
}

void Resizer::setRect(const QRect& r)
{
    x1 = r.left();
    y1 = r.top();
    x2 = r.right();
    y2 = r.bottom();
}

int Resizer::position(const QPoint& p) const
{
    const int half = borderWidth / 2;
    const int width = std::abs(x1 - x2) + 1;
    const int height = std::abs(y1 - y2) + 1;

    // Handles first: where a handle overlaps a border strip, the handle wins.
    if (square(x1, midY()).contains(p))
        return ANCHOR_X1;
    if (square(x2, midY()).contains(p))
        return ANCHOR_X2;
    if (square(midX(), y2).contains(p))
        return ANCHOR_Y2;
    if (square(midX(), y1).contains(p))
        return ANCHOR_Y1;
    if (square(x1, y1).contains(p))
        return ANCHOR_X1Y1;
    if (square(x2, y1).contains(p))
        return ANCHOR_X2Y1;
    if (square(x1, y2).contains(p))
        return ANCHOR_X1Y2;
    if (square(x2, y2).contains(p))
        return ANCHOR_X2Y2;
    if (QRect(minX(), y1 - half, width, borderWidth).contains(p))
        return BORDER_Y1;
    if (QRect(minX(), y2 - half, width, borderWidth).contains(p))
        return BORDER_Y2;
    if (QRect(x1 - half, minY(), borderWidth, height).contains(p))
        return BORDER_X1;
    if (QRect(x2 - half, minY(), borderWidth, height).contains(p))
        return BORDER_X2;
    if (rotatable && QRect(midX() - 4, minY() - 14, 9, 9).contains(p))
        return ROTATE_ANCHOR;
    if (QRect(minX(), minY(), width, height).contains(p))
        return INSIDE;
    return OUTSIDE;
}

int Resizer::absolutePosition(const QPoint& p) const
{
    const int half = borderWidth / 2;
    const int width = std::abs(x1 - x2) + 1;
    const int height = std::abs(y1 - y2) + 1;

    if (square(minX(), midY()).contains(p))
        return ADJUST_ANCHOR_LEFT;
    if (square(maxX(), midY()).contains(p))
        return ADJUST_ANCHOR_RIGHT;
    if (square(midX(), minY()).contains(p))
        return ADJUST_ANCHOR_TOP;
    if (square(midX(), maxY()).contains(p))
        return ADJUST_ANCHOR_BOTTOM;
    if (square(minX(), minY()).contains(p))
        return ADJUST_ANCHOR_TOP_LEFT;
    if (square(maxX(), minY()).contains(p))
        return ADJUST_ANCHOR_TOP_RIGHT;
    if (square(maxX(), maxY()).contains(p))
        return ADJUST_ANCHOR_BOTTOM_RIGHT;
    if (square(minX(), maxY()).contains(p))
        return ADJUST_ANCHOR_BOTTOM_LEFT;
    if (QRect(minX() - half, minY(), borderWidth, height).contains(p))
        return ADJUST_LEFT;
    if (QRect(maxX() - half, minY(), borderWidth, height).contains(p))
        return ADJUST_RIGHT;
    if (QRect(minX(), minY() - half, width, borderWidth).contains(p))
        return ADJUST_TOP;
    if (QRect(minX(), maxY() - half, width, borderWidth).contains(p))
        return ADJUST_BOTTOM;
    if (rotatable && QRect(midX() - 4, minY() - 14, 9, 9).contains(p))
        return ROTATE_ANCHOR;
    if (QRect(minX(), minY(), width, height).contains(p))
        return INSIDE;
    return OUTSIDE;
}

void Resizer::move(int dx, int dy)
{
    // The same formulas pull a rectangle that lies partly outside back in.
    dx = dx < 0 ? qMax(dx, -minX()) : qMin(dx, bounds.right() - maxX());
    dy = dy < 0 ? qMax(dy, -minY()) : qMin(dy, bounds.bottom() - maxY());
    x1 += dx;
    x2 += dx;
    y1 += dy;
    y2 += dy;
}

QVector<QRect> Resizer::anchors() const
{
    return {
        square(maxX(), midY()),
        square(midX(), minY()),
        square(midX(), maxY()),
        square(minX(), midY()),
        square(minX(), minY()),
        square(maxX(), minY()),
        square(minX(), maxY()),
        square(maxX(), maxY()),
    };
}
