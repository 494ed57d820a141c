#include "core/packedimage.h"

#include <QDebug>
#include <QMutex>
#include <QMutexLocker>
#include <QRunnable>
#include <QThreadPool>

#include <algorithm>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include "core/pngencoder.h"

struct PackedImage::State
{
    mutable QMutex mutex;
    QImage raw; // until the compressed form is there
    std::shared_ptr<const QByteArray> png;
    QSize size;
    QImage::Format format = QImage::Format_Invalid;
    bool queued = false;
};

namespace {

// Compressed buffers by content, so equal pictures (the same desktop grabbed
// again, a snip of the whole screen) are held once.
class PackStore
{
public:
    std::shared_ptr<const QByteArray> intern(QByteArray bytes)
    {
        QMutexLocker lock(&mutex_);
        items_.erase(std::remove_if(items_.begin(), items_.end(), [](const auto& w) { return w.expired(); }),
                     items_.end());
        for (const auto& weak : items_) {
            if (auto known = weak.lock(); known && *known == bytes)
                return known;
        }
        auto made = std::make_shared<const QByteArray>(std::move(bytes));
        items_.push_back(made);
        return made;
    }

private:
    QMutex mutex_;
    std::vector<std::weak_ptr<const QByteArray>> items_;
};

PackStore& store()
{
    static PackStore instance;
    return instance;
}

// One thread: compression is background work and must leave the other core
// to the interface.
QThreadPool& pool()
{
    store(); // built first, so it outlives the pool's last task
    static QThreadPool instance;
    static const bool configured = [] {
        instance.setMaxThreadCount(1);
        return true;
    }();
    (void)configured;
    return instance;
}

bool packable(QImage::Format format)
{
    // The encoder writes 8-bit RGB or straight RGBA: these come back exactly.
    // Premultiplied pixels only when opaque (checked on the worker).
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

bool opaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* p = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(p[x]) != 255)
                return false;
    }
    return true;
}

} // namespace

PackedImage::PackedImage(const QImage& image)
{
    if (image.isNull())
        return;
    d_ = std::make_shared<State>();
    d_->raw = image;
    d_->size = image.size();
    d_->format = image.format();
}

QSize PackedImage::size() const
{
    return d_ ? d_->size : QSize(0, 0);
}

QImage::Format PackedImage::format() const
{
    return d_ ? d_->format : QImage::Format_Invalid;
}

QImage PackedImage::toImage() const
{
    if (!d_)
        return QImage();
    std::shared_ptr<const QByteArray> png;
    {
        QMutexLocker lock(&d_->mutex);
        if (!d_->raw.isNull())
            return d_->raw;
        png = d_->png;
    }
    if (!png)
        return QImage();
    QImage image = QImage::fromData(*png, "PNG");
    if (image.isNull()) {
        qCritical() << "a packed image of" << d_->size << "could not be decoded";
        return image;
    }
    if (image.format() != d_->format)
        image = std::move(image).convertToFormat(d_->format);
    return image;
}

void PackedImage::pack()
{
    if (!d_)
        return;
    {
        QMutexLocker lock(&d_->mutex);
        if (d_->queued || d_->png || d_->raw.isNull() || !packable(d_->format)
            || d_->raw.sizeInBytes() < MIN_PACK_BYTES)
            return;
        d_->queued = true;
    }
    packLater(d_);
}

bool PackedImage::isPacked() const
{
    if (!d_)
        return false;
    QMutexLocker lock(&d_->mutex);
    return d_->png && d_->raw.isNull();
}

qint64 PackedImage::packedBytes() const
{
    if (!d_)
        return 0;
    QMutexLocker lock(&d_->mutex);
    return d_->png ? d_->png->size() : 0;
}

bool PackedImage::sharesPackWith(const PackedImage& other) const
{
    if (!d_ || !other.d_)
        return false;
    std::shared_ptr<const QByteArray> a, b;
    {
        QMutexLocker lock(&d_->mutex);
        a = d_->png;
    }
    {
        QMutexLocker lock(&other.d_->mutex);
        b = other.d_->png;
    }
    return a && a == b;
}

bool PackedImage::waitForPending(int msecs)
{
    return pool().waitForDone(msecs);
}

void PackedImage::packLater(std::weak_ptr<State> weak)
{
    pool().start(QRunnable::create([weak] {
#ifdef Q_OS_LINUX
        // Behind the interface thread, which may be encoding the clipboard's
        // copy of the same snip at this moment. (Per thread on Linux.)
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
#endif
        QImage image;
        {
            auto state = weak.lock();
            if (!state)
                return; // dropped before its turn came
            QMutexLocker lock(&state->mutex);
            image = state->raw;
        }
        if (image.format() == QImage::Format_ARGB32_Premultiplied && !opaque(image)) {
            // stays raw: straight alpha would not give these pixels back
            return;
        }
        QByteArray png = PngEncoder::encode(image);
        image = QImage();
        if (png.isEmpty()) {
            qWarning() << "an image for the history could not be compressed; it stays as it is";
            return;
        }
        std::shared_ptr<const QByteArray> shared = store().intern(std::move(png));
        auto state = weak.lock();
        if (!state)
            return;
        QImage dropped;
        {
            QMutexLocker lock(&state->mutex);
            state->png = std::move(shared);
            dropped.swap(state->raw);
        }
        // the pixels are freed here, outside the lock
        dropped = QImage();
#ifdef __GLIBC__
        // The encoder's growing buffers leave freed pages in this thread's
        // arena; hand them back rather than keep them resident.
        malloc_trim(0);
#endif
    }));
}
