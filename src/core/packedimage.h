#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <memory>

// An image a history keeps for later. It starts out sharing the pixels it was
// given; pack() then compresses it to PNG on a background thread and lets the
// pixels go. toImage() gives back exactly the same pixels either way.
// Images with the same pixels end up sharing one compressed buffer.
//
// Copies share one state, and a pending compression holds only a weak
// reference to it: dropping the last copy while it runs is safe, and the
// result is then thrown away.
class PackedImage
{
public:
    PackedImage() = default;
    explicit PackedImage(const QImage& image);

    bool isNull() const { return !d_; }
    QSize size() const;
    QImage::Format format() const;

    // The pixels, decoded when the image is held packed.
    QImage toImage() const;

    // Starts the compression unless the image is small, already packed or of
    // a kind whose pixels PNG cannot carry exactly.
    void pack();
    // The pixels are held compressed (and only so).
    bool isPacked() const;
    // Bytes of the compressed form (0 while it is held raw).
    qint64 packedBytes() const;
    // Whether two images share one compressed buffer.
    bool sharesPackWith(const PackedImage& other) const;

    // Smaller images are not worth a thread and a PNG header.
    static constexpr qint64 MIN_PACK_BYTES = 64 * 1024;

    // Waits until no compression is running or queued (tests, shutdown).
    static bool waitForPending(int msecs = -1);

private:
    struct State;
    static void packLater(std::weak_ptr<State> weak);
    std::shared_ptr<State> d_;
};
