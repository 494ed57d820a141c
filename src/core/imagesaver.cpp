#include "core/imagesaver.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include "core/pngencoder.h"
#include "core/pngmimedata.h"
#include "core/qpointformat.h"

QString ImageSaver::filters()
{
    return QStringLiteral("PNG(*.png);;JPEG(*.jpg *.jpeg);;BMP(*.bmp)");
}

QString ImageSaver::defaultFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QDir::homePath();
}

QString ImageSaver::fileName(const QString& folder, const QDateTime& when)
{
    return QDir::toNativeSeparators(folder) + QDir::separator() + QStringLiteral("Klipora_picture_")
        + when.toString(QStringLiteral("yyyyMMdd_hhmmss_zzz")) + QStringLiteral(".png");
}

QByteArray ImageSaver::formatFor(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return "png";
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "jpg";
    if (suffix == QLatin1String("bmp"))
        return "bmp";
    return QByteArray();
}

QString ImageSaver::withSuffix(const QString& name, const QString& filter)
{
    if (name.isEmpty() || !formatFor(name).isEmpty())
        return name;
    // "JPEG(*.jpg *.jpeg)" gives ".jpg"
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\*(\\.\\w+)")).match(filter);
    const QString suffix = m.hasMatch() ? m.captured(1).toLower() : QString();
    return name + (formatFor(suffix).isEmpty() ? QStringLiteral(".png") : suffix);
}

bool ImageSaver::save(const QImage& image, const QString& name, QString* error)
{
    const QByteArray format = formatFor(name);
    if (image.isNull() || format.isEmpty()) {
        *error = image.isNull() ? tr("there is no image") : tr("unknown image type");
        return false;
    }
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (format == "png") {
        // the toolkit's PNG writer needs about a second for a 4K screen
        const QByteArray png = PngEncoder::encode(image);
        if (png.isEmpty() || file.write(png) != png.size()) {
            *error = png.isEmpty() ? tr("the image could not be encoded") : file.errorString();
            file.cancelWriting();
            return false;
        }
    } else {
        QImageWriter writer(&file, format);
        if (!writer.write(image)) {
            *error = writer.errorString();
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString ImageSaver::failureMessage(const QString& name, const QString& error)
{
    return tr("Failed to save %1: %2").arg(QDir::toNativeSeparators(name), error);
}

void ImageSaver::copy(const QImage& image)
{
    QGuiApplication::clipboard()->setMimeData(new PngMimeData(image));
}

void ImageSaver::copy(const QImage& image, const QPoint& pos)
{
    auto mime = new PngMimeData(image);
    mime->setData(QString::fromLatin1(QPOINT_MIME), encodeQPoint(pos));
    QGuiApplication::clipboard()->setMimeData(mime);
}
