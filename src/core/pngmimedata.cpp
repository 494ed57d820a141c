#include "core/pngmimedata.h"

#include "core/pngencoder.h"

#include <QDebug>

namespace {
const QString PNG = QStringLiteral("image/png");
// what the toolkit's clipboard asks a source for when another program of the
// toolkit wants the image as bytes
const QString QT_IMAGE = QStringLiteral("application/x-qt-image");
} // namespace

PngMimeData::PngMimeData(const QImage& image)
    : image_(image)
{
    setImageData(image);
}

QStringList PngMimeData::formats() const
{
    QStringList list = QMimeData::formats();
    if (!image_.isNull() && !list.contains(PNG))
        list.prepend(PNG);
    return list;
}

bool PngMimeData::hasFormat(const QString& mimeType) const
{
    return (mimeType == PNG && !image_.isNull()) || QMimeData::hasFormat(mimeType);
}

QVariant PngMimeData::retrieveData(const QString& mimeType, QVariant::Type type) const
{
    const bool wantsBytes = type == QVariant::ByteArray || type == QVariant::Invalid;
    if (!image_.isNull() && (mimeType == PNG || (mimeType == QT_IMAGE && wantsBytes))) {
        if (png_.isEmpty()) {
            png_ = PngEncoder::encode(image_);
            ++encodes_;
            if (png_.isEmpty())
                qWarning() << "PNG encoding of" << image_.size() << "failed";
        }
        if (!png_.isEmpty())
            return png_;
    }
    return QMimeData::retrieveData(mimeType, type);
}
