#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;
class QMimeData;

// Images from outside (the clipboard, a dropped or opened file) are decoded
// only when their header promises no more pixels than this: a small file can
// announce a picture of gigabytes.
namespace imagebudget {

// 8K by 5K, or two 4K screens side by side with room to spare.
constexpr qint64 MAX_PIXELS = 40 * 1000 * 1000;

enum class Failure { None, NotRegularFile, Unreadable, TooLarge, NotAnImage };

struct Result
{
    QImage image;
    Failure failure = Failure::None;
    QSize size; // what the header announced, when it did
};

Result readDevice(QIODevice* device, qint64 maxPixels = MAX_PIXELS);
Result readData(const QByteArray& data, qint64 maxPixels = MAX_PIXELS);
// Regular files only (a symlink to one is fine): a FIFO or a device would
// block or must not be read at all.
Result readFile(const QString& path, qint64 maxPixels = MAX_PIXELS);
// The image another program offers on the clipboard, read from its encoded
// bytes; an image this process put there itself is taken as it is.
Result readMime(const QMimeData* mime, bool ownData, qint64 maxPixels = MAX_PIXELS);

bool fits(const QSize& size, qint64 maxPixels = MAX_PIXELS);

} // namespace imagebudget
