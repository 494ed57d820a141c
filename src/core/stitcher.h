#pragma once

#include <QImage>

#include <vector>

// Joins the frames of a scrolling capture into one long image. The frames are
// grabs of one region while its content scrolls; the work is done on lines
// (rows for vertical scrolling, columns for horizontal), so the same code
// serves both. Nothing here needs a display.
namespace stitch {

// A sticky part at the start and end of the region (a title bar, a chat's
// input box) that stays put while the rest scrolls, in lines.
struct Bands
{
    int head = 0;
    int tail = 0;
};

// How alike two stretches of lines are: the mean difference of a channel
// (0..255) and the share of pixels that differ a lot.
struct Likeness
{
    double meanDiff = 0.0;
    double outliers = 0.0;
    bool alike() const;
};

// Frames are compared on the middle of each line only: a scroll bar or the
// rounded edge of a window changes at the ends without following the content.
int lineMargin(int lineLength);

// Compares count rows of a from row ra with those of b from row rb.
Likeness compareRows(const QImage& a, int ra, const QImage& b, int rb, int count);

// The rows at the top and the bottom that are the same in both frames.
// Frames that are the same throughout give head = height, tail = 0.
Bands fixedBands(const QImage& a, const QImage& b);

struct Match
{
    bool found = false;
    // Row r of b shows what row r + offset of a showed: positive when the
    // content moved up (scrolled down).
    int offset = 0;
    Likeness likeness;
};

// Finds how far the rows between the bands moved from a to b, among offsets
// in [minOffset, maxOffset] (0 excluded; equal frames are for the caller to
// see). Where the content repeats so that several offsets fit as well, the
// one nearest to hint wins. found is false when no offset fits.
Match findOffset(const QImage& a, const QImage& b, const Bands& bands, int minOffset, int maxOffset, int hint);

// The shortest overlap of two frames that an offset is trusted on.
int minimumOverlap(int bodyLines);

// Composes frames as they come. Only the new lines of each frame are kept, so
// memory follows the size of the result, not the number of frames.
class Stitcher
{
public:
    enum Result {
        First,      // the first frame, kept whole
        Added,      // moved, new lines appended (possibly none, when scrolled back)
        NoMovement, // the same as the frame before
        Lost,       // no offset fits: the frame is not used
        Full,       // the length limit is reached; the result is cut there
    };

    // maxLength bounds the result along the scroll, head and tail included.
    Stitcher(Qt::Orientation orientation, int maxLength);

    // Whether offsets against the scroll are searched too (a user scrolling
    // by hand may go back a little).
    void setBothWays(bool both) { bothWays_ = both; }

    Result add(const QImage& frame);

    int frames() const { return frames_; }
    // Length of the result so far along the scroll.
    int length() const;
    Bands bands() const { return bands_; }
    int lastOffset() const { return lastOffset_; }
    bool full() const { return full_; }
    // The frame size the stitcher expects; frames of another size are lost.
    QSize frameSize() const;

    // The composed image. Releases the pieces while it copies them, so the
    // stitcher is empty afterwards.
    QImage takeResult();

private:
    void appendLines(const QImage& frame, int first, int count);

    Qt::Orientation orientation_;
    int maxLength_;
    bool bothWays_ = false;
    int frames_ = 0;
    bool full_ = false;
    bool bandsKnown_ = false;
    Bands bands_;
    int lastOffset_ = 0;
    // Position of the current frame's body in the body of the result, and how
    // much of that body is held.
    int position_ = 0;
    int extent_ = 0;
    QImage previous_;
    QImage head_;
    QImage tail_;
    std::vector<QImage> pieces_;
};

} // namespace stitch
