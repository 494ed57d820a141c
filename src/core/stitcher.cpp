#include "core/stitcher.h"

#include <QDebug>
#include <QTransform>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace stitch {

namespace {

// A channel that is off by more than this is not noise.
constexpr int OUTLIER_DIFF = 48;
constexpr double MAX_MEAN_DIFF = 6.0;
constexpr double MAX_OUTLIERS = 0.02;
// Pixels looked at per comparison before rows are skipped.
constexpr qint64 COMPARE_BUDGET = 2'000'000;
constexpr int SIGNATURE_CELLS = 64;
// Candidates of the coarse search that are checked pixel by pixel.
constexpr int CHECKED_CANDIDATES = 6;
// Two fits closer than this are equally good.
constexpr double TIE = 0.25;

double score(const Likeness& l)
{
    return l.meanDiff + 200.0 * l.outliers;
}

QImage toWorkFormat(const QImage& frame)
{
    switch (frame.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return frame;
    default:
        return frame.convertToFormat(QImage::Format_RGB32);
    }
}

// Horizontal scrolling is worked on turned a quarter clockwise: column x
// becomes row x, so content moving left moves up.
QImage toLines(const QImage& frame, Qt::Orientation orientation)
{
    const QImage work = toWorkFormat(frame);
    if (orientation == Qt::Vertical)
        return work;
    return work.transformed(QTransform().rotate(90));
}

// Per line, the mean brightness of a few cells across its middle: cheap to
// compare for every offset, and blind to the noise of single pixels.
std::vector<int> signatures(const QImage& image, int first, int count, int* cellsOut)
{
    const int w = image.width();
    const int margin = lineMargin(w);
    const int usable = w - 2 * margin;
    const int cells = std::max(1, std::min(SIGNATURE_CELLS, usable));
    *cellsOut = cells;
    std::vector<int> out(size_t(count) * size_t(cells));
    for (int i = 0; i < count; ++i) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(first + i));
        for (int c = 0; c < cells; ++c) {
            const int x0 = margin + c * usable / cells;
            const int x1 = std::max(x0 + 1, margin + (c + 1) * usable / cells);
            int sum = 0;
            for (int x = x0; x < x1; ++x) {
                const QRgb p = line[x];
                sum += qRed(p) + 2 * qGreen(p) + qBlue(p);
            }
            out[size_t(i) * size_t(cells) + size_t(c)] = sum / (x1 - x0);
        }
    }
    return out;
}

} // namespace

bool Likeness::alike() const
{
    return meanDiff <= MAX_MEAN_DIFF && outliers <= MAX_OUTLIERS;
}

int lineMargin(int lineLength)
{
    return std::min(24, lineLength / 10);
}

Likeness compareRows(const QImage& a, int ra, const QImage& b, int rb, int count)
{
    Likeness result;
    const int w = std::min(a.width(), b.width());
    if (count <= 0 || w <= 0)
        return result;
    const int margin = lineMargin(w);
    const int x0 = margin;
    const int x1 = w - margin;
    const qint64 pixels = qint64(count) * (x1 - x0);
    const int step = int(std::max<qint64>(1, (pixels + COMPARE_BUDGET - 1) / COMPARE_BUDGET));
    qint64 total = 0;
    qint64 outliers = 0;
    qint64 seen = 0;
    for (int i = 0; i < count; i += step) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(ra + i));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(rb + i));
        for (int x = x0; x < x1; ++x) {
            const int dr = std::abs(qRed(pa[x]) - qRed(pb[x]));
            const int dg = std::abs(qGreen(pa[x]) - qGreen(pb[x]));
            const int db = std::abs(qBlue(pa[x]) - qBlue(pb[x]));
            total += dr + dg + db;
            if (std::max({dr, dg, db}) > OUTLIER_DIFF)
                ++outliers;
        }
        seen += x1 - x0;
    }
    result.meanDiff = double(total) / (3.0 * double(seen));
    result.outliers = double(outliers) / double(seen);
    return result;
}

Bands fixedBands(const QImage& a, const QImage& b)
{
    Bands bands;
    const int h = std::min(a.height(), b.height());
    while (bands.head < h && compareRows(a, bands.head, b, bands.head, 1).alike())
        ++bands.head;
    if (bands.head == h)
        return bands;
    while (bands.tail < h - bands.head && compareRows(a, h - 1 - bands.tail, b, h - 1 - bands.tail, 1).alike())
        ++bands.tail;
    return bands;
}

int minimumOverlap(int bodyLines)
{
    return std::max(8, bodyLines / 6);
}

Match findOffset(const QImage& a, const QImage& b, const Bands& bands, int minOffset, int maxOffset, int hint)
{
    Match best;
    if (a.size() != b.size())
        return best;
    const QImage wa = toWorkFormat(a);
    const QImage wb = toWorkFormat(b);
    const int lines = a.height() - bands.head - bands.tail;
    if (lines < 2 * 8)
        return best;
    const int reach = lines - minimumOverlap(lines);
    minOffset = std::max(minOffset, -reach);
    maxOffset = std::min(maxOffset, reach);
    if (minOffset > maxOffset)
        return best;

    int cells = 0;
    const std::vector<int> sa = signatures(wa, bands.head, lines, &cells);
    const std::vector<int> sb = signatures(wb, bands.head, lines, &cells);
    const int span = maxOffset - minOffset + 1;
    std::vector<double> cost(size_t(span), 0.0);
    for (int d = minOffset; d <= maxOffset; ++d) {
        const int from = std::max(0, -d);
        const int to = std::min(lines, lines - d);
        qint64 sum = 0;
        for (int i = from; i < to; ++i) {
            const int* pb = &sb[size_t(i) * size_t(cells)];
            const int* pa = &sa[size_t(i + d) * size_t(cells)];
            for (int c = 0; c < cells; ++c)
                sum += std::abs(pb[c] - pa[c]);
        }
        cost[size_t(d - minOffset)] = double(sum) / (double(to - from) * cells);
    }

    // The best few local minima, and the hint, are checked on the pixels.
    std::vector<int> candidates;
    for (int k = 0; k < span; ++k) {
        const double c = cost[size_t(k)];
        if ((k == 0 || c <= cost[size_t(k - 1)]) && (k == span - 1 || c <= cost[size_t(k + 1)]))
            candidates.push_back(k + minOffset);
    }
    std::sort(candidates.begin(), candidates.end(),
              [&](int x, int y) { return cost[size_t(x - minOffset)] < cost[size_t(y - minOffset)]; });
    if (candidates.size() > size_t(CHECKED_CANDIDATES))
        candidates.resize(CHECKED_CANDIDATES);
    if (hint >= minOffset && hint <= maxOffset && hint != 0
        && std::find(candidates.begin(), candidates.end(), hint) == candidates.end())
        candidates.push_back(hint);

    double bestScore = 0.0;
    for (int d : candidates) {
        if (d == 0)
            continue;
        const int from = std::max(0, -d);
        const int count = lines - std::abs(d);
        const Likeness l = compareRows(wa, bands.head + from + d, wb, bands.head + from, count);
        const double s = score(l);
        const bool better = !best.found || s < bestScore - TIE
            || (s <= bestScore + TIE && std::abs(d - hint) < std::abs(best.offset - hint));
        if (better) {
            best.found = true;
            best.offset = d;
            best.likeness = l;
            bestScore = s;
        }
    }
    if (best.found && !best.likeness.alike())
        best.found = false;
    return best;
}

Stitcher::Stitcher(Qt::Orientation orientation, int maxLength)
    : orientation_(orientation)
    , maxLength_(maxLength)
{
}

QSize Stitcher::frameSize() const
{
    if (previous_.isNull())
        return QSize();
    return orientation_ == Qt::Vertical ? previous_.size() : previous_.size().transposed();
}

int Stitcher::length() const
{
    if (previous_.isNull())
        return 0;
    if (!bandsKnown_)
        return previous_.height();
    return bands_.head + extent_ + bands_.tail;
}

void Stitcher::appendLines(const QImage& frame, int first, int count)
{
    if (count > 0)
        pieces_.push_back(frame.copy(0, first, frame.width(), count));
}

Stitcher::Result Stitcher::add(const QImage& input)
{
    if (input.isNull())
        return Lost;
    const QImage frame = toLines(input, orientation_);
    if (frames_ == 0) {
        previous_ = frame;
        maxLength_ = std::max(maxLength_, frame.height());
        frames_ = 1;
        return First;
    }
    if (full_)
        return Full;
    if (frame.size() != previous_.size())
        return Lost;

    const int h = frame.height();
    Bands bands = bands_;
    if (!bandsKnown_) {
        bands = fixedBands(previous_, frame);
        if (bands.head >= h)
            return NoMovement;
    }
    const int lines = h - bands.head - bands.tail;
    const int reach = lines - minimumOverlap(lines);
    const Likeness still = compareRows(previous_, bands.head, frame, bands.head, lines);
    const Match match = findOffset(previous_, frame, bands, bothWays_ ? -reach : 1, reach, lastOffset_);
    if (!match.found || score(match.likeness) >= score(still)) {
        if (still.alike())
            return NoMovement;
        return Lost;
    }

    if (!bandsKnown_) {
        // The first movement tells the sticky parts; the first frame's own
        // sticky bottom is dropped for the one of the last frame.
        bandsKnown_ = true;
        bands_ = bands;
        head_ = previous_.copy(0, 0, previous_.width(), bands.head);
        appendLines(previous_, bands.head, lines);
        extent_ = lines;
        position_ = 0;
    }

    ++frames_;
    lastOffset_ = match.offset;
    position_ += match.offset;
    const int room = maxLength_ - bands_.head - bands_.tail;
    int fresh = position_ + lines - extent_;
    if (fresh > room - extent_) {
        fresh = room - extent_;
        full_ = true;
    }
    if (fresh > 0) {
        appendLines(frame, bands_.head + lines - (position_ + lines - extent_), fresh);
        extent_ += fresh;
    }
    tail_ = frame.copy(0, h - bands_.tail, frame.width(), bands_.tail);
    previous_ = frame;
    return full_ ? Full : Added;
}

QImage Stitcher::takeResult()
{
    QImage out;
    if (previous_.isNull())
        return out;
    if (!bandsKnown_) {
        out = previous_;
    } else {
        const int w = previous_.width();
        out = QImage(w, length(), previous_.format());
        if (out.isNull()) {
            qCritical() << "no memory for a stitched image of" << w << "x" << length();
            return out;
        }
        int y = 0;
        auto put = [&](const QImage& piece) {
            for (int i = 0; i < piece.height(); ++i)
                std::memcpy(out.scanLine(y + i), piece.constScanLine(i), size_t(w) * 4);
            y += piece.height();
        };
        put(head_);
        for (QImage& piece : pieces_) {
            put(piece);
            piece = QImage();
        }
        put(tail_);
    }
    pieces_.clear();
    head_ = tail_ = previous_ = QImage();
    frames_ = 0;
    bandsKnown_ = false;
    extent_ = position_ = lastOffset_ = 0;
    full_ = false;
    if (orientation_ == Qt::Horizontal)
        out = out.transformed(QTransform().rotate(-90));
    return out;
}

} // namespace stitch
