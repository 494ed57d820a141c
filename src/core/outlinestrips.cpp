#include "core/outlinestrips.h"

#include <QPainter>

#include <cmath>

namespace {

int wrap(int v, int period)
{
    const int m = v % period;
    return m < 0 ? m + period : m;
}

} // namespace

bool OutlineStrips::setPen(const QPen& pen, int longestEdge)
{
    if (pen == pen_ && usable() && longestEdge <= length_)
        return true;
    pen_ = pen;
    pattern_.clear();
    period_ = 0;
    horizontal_ = horizontalReverse_ = vertical_ = verticalReverse_ = QImage();
    if (pen.widthF() > 1.0 || pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen || pen.brush().style() != Qt::SolidPattern)
        return false;
    // A one-pixel pen dashes in whole pixels: on for the first length, off
    // for the next, and so on.
    const QVector<qreal> dashes = pen.dashPattern();
    bool draw = true;
    for (qreal d : dashes) {
        const int n = std::max(1, int(std::lround(d)));
        for (int i = 0; i < n; ++i)
            pattern_.append(draw);
        draw = !draw;
    }
    period_ = pattern_.size();
    if (period_ == 0 || dashes.size() % 2 != 0)
        return false;
    const int offset = int(std::lround(pen.dashOffset()));
    if (offset != 0) {
        QVector<bool> shifted(period_);
        for (int i = 0; i < period_; ++i)
            shifted[i] = pattern_[wrap(i + offset, period_)];
        pattern_ = shifted;
    }
    length_ = std::max(longestEdge, 1);
    horizontal_ = strip(false, false, length_);
    horizontalReverse_ = strip(false, true, length_);
    vertical_ = strip(true, false, length_);
    verticalReverse_ = strip(true, true, length_);
    return true;
}

bool OutlineStrips::on(int s) const
{
    return period_ > 0 && pattern_[wrap(s, period_)];
}

QImage OutlineStrips::strip(bool vertical, bool reverse, int length) const
{
    // One period more than the longest edge, so any phase fits.
    const int n = length + period_ + 1;
    QImage image(vertical ? 1 : n, vertical ? n : 1, QImage::Format_ARGB32_Premultiplied);
    const QRgb colour = pen_.color().rgba();
    const QRgb premultiplied = qPremultiply(colour);
    for (int t = 0; t < n; ++t) {
        const bool lit = on(reverse ? -t : t);
        image.setPixel(vertical ? 0 : t, vertical ? t : 0, lit ? premultiplied : 0u);
    }
    return image;
}

void OutlineStrips::draw(QPainter* painter, const QRect& r, const QRegion& area) const
{
    if (!usable() || r.isNull())
        return;
    const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
    // The four edges as drawRect() strokes them: top left to right from s = 0,
    // right top to bottom from s = w, bottom right to left from s = w + h,
    // left bottom to top from s = 2w + h.
    struct Edge
    {
        QRect line;
        const QImage* strip;
        bool vertical;
        // distance along the outline of the edge's first pixel (top or left)
        int phase;
    };
    const Edge edges[4] = {
        {QRect(x, y, w + 1, 1), &horizontal_, false, -x},
        // corners come from the horizontal edges, so none is blended twice
        {QRect(x + w, y + 1, 1, h - 1), &vertical_, true, w - y},
        // s = 2w + h + x - X: the reversed strip at X - (2w + h + x)
        {QRect(x, y + h, w + 1, 1), &horizontalReverse_, false, -(2 * w + h + x)},
        {QRect(x, y + 1, 1, h - 1), &verticalReverse_, true, -(2 * w + 2 * h + y)},
    };
    for (const Edge& edge : edges) {
        for (const QRect& d : area) {
            const QRect piece = edge.line & d;
            if (piece.isEmpty())
                continue;
            const int along = edge.vertical ? piece.y() : piece.x();
            const int length = edge.vertical ? piece.height() : piece.width();
            if (length > length_ + 1)
                continue; // the pen was set for a smaller desktop
            const int from = wrap(along + edge.phase, period_);
            const QRect source = edge.vertical ? QRect(0, from, 1, length) : QRect(from, 0, length, 1);
            // a clip of the piece alone keeps the engine on its fast path
            painter->setClipRect(piece);
            painter->drawImage(piece.topLeft(), *edge.strip, source);
        }
    }
    painter->setClipping(false);
}
