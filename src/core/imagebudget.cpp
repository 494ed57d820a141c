#include "core/imagebudget.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace imagebudget {

bool fits(const QSize& size, qint64 maxPixels)
{
    return size.isValid() && qint64(size.width()) * qint64(size.height()) <= maxPixels;
}

Result readDevice(QIODevice* device, qint64 maxPixels)
{
    Result result;
    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    result.size = reader.size();
    if (!result.size.isValid()) {
        // no header we can trust before decoding: not decoded at all
        result.failure = reader.canRead() ? Failure::TooLarge : Failure::NotAnImage;
        if (result.failure == Failure::TooLarge)
            qWarning() << "image of unknown size not decoded";
        return result;
    }
    if (!fits(result.size, maxPixels)) {
        qWarning() << "image of" << result.size << "is over the budget of" << maxPixels << "pixels";
        result.failure = Failure::TooLarge;
        return result;
    }
    if (!reader.read(&result.image)) {
        result.failure = Failure::NotAnImage;
        return result;
    }
    // a reader may decode more than it announced
    if (!fits(result.image.size(), maxPixels)) {
        result.image = QImage();
        result.failure = Failure::TooLarge;
    }
    return result;
}

Result readData(const QByteArray& data, qint64 maxPixels)
{
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {QImage(), Failure::Unreadable, QSize()};
    return readDevice(&buffer, maxPixels);
}

Result readFile(const QString& path, qint64 maxPixels)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {QImage(), Failure::Unreadable, QSize()};
    if (!info.isFile())
        return {QImage(), Failure::NotRegularFile, QSize()};
    QFile file;
#ifdef Q_OS_UNIX
    // checked again on the opened file: the name may have changed meanwhile
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {QImage(), Failure::Unreadable, QSize()};
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {QImage(), Failure::NotRegularFile, QSize()};
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {QImage(), Failure::Unreadable, QSize()};
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QImage(), Failure::Unreadable, QSize()};
#endif
    return readDevice(&file, maxPixels);
}

Result readMime(const QMimeData* mime, bool ownData, qint64 maxPixels)
{
    if (!mime || !mime->hasImage())
        return {QImage(), Failure::NotAnImage, QSize()};
    if (ownData) {
        // decoded already, by us
        Result result;
        result.image = qvariant_cast<QImage>(mime->imageData());
        result.size = result.image.size();
        if (!fits(result.size, maxPixels)) {
            result.image = QImage();
            result.failure = result.size.isValid() ? Failure::TooLarge : Failure::NotAnImage;
        }
        return result;
    }
    // The platform would decode whatever it is offered; ask for the encoded
    // bytes instead, PNG first.
    QStringList formats = mime->formats().filter(QStringLiteral("image/"));
    const int png = formats.indexOf(QStringLiteral("image/png"));
    if (png > 0)
        formats.move(png, 0);
    Result last{QImage(), Failure::NotAnImage, QSize()};
    for (const QString& format : formats) {
        const QByteArray data = mime->data(format);
        if (data.isEmpty())
            continue;
        Result result = readData(data, maxPixels);
        if (result.failure == Failure::None || result.failure == Failure::TooLarge)
            return result;
        last = result;
    }
    return last;
}

} // namespace imagebudget
