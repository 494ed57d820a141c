#pragma once

#include <QImage>
#include <QPen>
#include <QRect>
#include <QRegion>

class QPainter;

// The selection's patterned one-pixel border, drawn from four strips of the
// pen's dash pattern made once per pen. A move repaints a few small pieces
// of the border; the toolkit's stroker would dash the whole outline each
// time. The pattern runs on clockwise from the top-left corner, like a
// stroked rectangle's.
class OutlineStrips
{
public:
    // Takes a pen; false when this pen is not one the strips can draw (wider
    // than a pixel, solid or none): then stroke it as usual.
    bool setPen(const QPen& pen, int longestEdge);
    bool usable() const { return !horizontal_.isNull(); }

    // The outline of `r` as QPainter::drawRect(r) places it (right and bottom
    // edges one past r's last pixel), only where it meets `area`.
    void draw(QPainter* painter, const QRect& r, const QRegion& area) const;

    // Whether the border is drawn at distance `s` along the outline.
    bool on(int s) const;
    int period() const { return period_; }

private:
    QImage strip(bool vertical, bool reverse, int length) const;

    QPen pen_;
    QVector<bool> pattern_;
    int period_ = 0;
    int length_ = 0;
    QImage horizontal_, horizontalReverse_, vertical_, verticalReverse_;
};
