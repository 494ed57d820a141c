#pragma once

#include <QByteArray>
#include <QImage>

// Writes PNG data fast. The toolkit's writer tries every row filter at zlib's
// default level, which costs about a second for a 4K screen; a snip must be
// ready to paste at once. One fixed row filter and a low level give nearly
// the same size in a fraction of the time. The pixels are exactly those of
// the image (8 bits per channel; alpha only when the image has it).
class PngEncoder
{
public:
    // the five filters of the format, and a choice per row of the one whose
    // output has the smallest sum of magnitudes
    enum class RowFilter { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4, Adaptive = 5 };

    static constexpr int FAST_LEVEL = 1;

    // An empty result for a null image or a zlib failure.
    static QByteArray encode(const QImage& image, int level = FAST_LEVEL, RowFilter filter = RowFilter::Adaptive);
};
