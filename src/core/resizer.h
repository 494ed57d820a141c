#pragma once

#include <QPoint>
#include <QRect>
#include <QVector>

// A rectangle kept as two free corners: (x1, y1) where a drag started and
// (x2, y2) the corner that followed the mouse. The corners are not normalised;
// rect() gives the inclusive, normalised rectangle.
class Resizer
{
public:
    // Hit-test codes of position(), per stored corner or edge.
    enum Position {
        BORDER_X1 = 0x1,
        BORDER_X2 = 0x2,
        BORDER_Y1 = 0x4,
        BORDER_Y2 = 0x8,
        ANCHOR_X1 = 0x10,
        ANCHOR_X2 = 0x20,
        ANCHOR_Y1 = 0x40,
        ANCHOR_Y2 = 0x80,
        ANCHOR_X1Y1 = 0x100,
        ANCHOR_X1Y2 = 0x200,
        ANCHOR_X2Y1 = 0x400,
        ANCHOR_X2Y2 = 0x800,
        ROTATE_ANCHOR = 0x1000,
        INSIDE = 0x10000,
        OUTSIDE = 0x20000,

        // Groups of the codes above: an edge strip (a press there moves),
        // a handle (resizes), and anything that grabs the shape.
        BORDERS = BORDER_X1 | BORDER_X2 | BORDER_Y1 | BORDER_Y2,
        ANCHORS = ANCHOR_X1 | ANCHOR_X2 | ANCHOR_Y1 | ANCHOR_Y2 | ANCHOR_X1Y1 | ANCHOR_X1Y2 | ANCHOR_X2Y1 | ANCHOR_X2Y2,
        GRABBED = BORDERS | ANCHORS | ROTATE_ANCHOR,
    };

    // Codes of absolutePosition(), per side of the rectangle on screen.
    enum Adjust {
        ADJUST = 0x10000000,
        ADJUST_LEFT = ADJUST | 1,
        ADJUST_RIGHT = ADJUST | 2,
        ADJUST_TOP = ADJUST | 3,
        ADJUST_BOTTOM = ADJUST | 4,
        ADJUST_ANCHOR_LEFT = ADJUST | 0x10,
        ADJUST_ANCHOR_RIGHT = ADJUST | 0x20,
        ADJUST_ANCHOR_TOP = ADJUST | 0x30,
        ADJUST_ANCHOR_BOTTOM = ADJUST | 0x40,
        ADJUST_ANCHOR_TOP_LEFT = ADJUST | 0x100,
        ADJUST_ANCHOR_BOTTOM_LEFT = ADJUST | 0x200,
        ADJUST_ANCHOR_TOP_RIGHT = ADJUST | 0x300,
        ADJUST_ANCHOR_BOTTOM_RIGHT = ADJUST | 0x400,
    };

    // Bounds are the virtual desktop at the time of construction.
    Resizer();
    Resizer(int x1, int y1, int x2, int y2);

    QRect rect() const;
    void setRect(const QRect& r);

    int position(const QPoint& p) const;
    int absolutePosition(const QPoint& p) const;

    // Translation kept inside bounds; the left and top limit is 0.
    void move(int dx, int dy);

    // Handle squares: right, top, bottom, left, top-left, top-right,
    // bottom-left, bottom-right.
    QVector<QRect> anchors() const;

    int minX() const { return qMin(x1, x2); }
    int maxX() const { return qMax(x1, x2); }
    int minY() const { return qMin(y1, y2); }
    int maxY() const { return qMax(y1, y2); }
    int midX() const { return (x1 + x2) / 2; }
    int midY() const { return (y1 + y2) / 2; }

    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    QRect bounds;
    bool rotatable = false;
    int borderWidth = 5;

    // The 5 x 5 handle square centred on a point.
    static QRect square(int x, int y) { return QRect(x - 2, y - 2, 5, 5); }
};
