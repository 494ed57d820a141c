#pragma once

#include <QImage>
#include <QMimeData>

// Clipboard data holding an image. Other programs that ask for image/png get
// bytes from PngEncoder, made on their first request and kept: the toolkit's
// own conversion would encode at its slow default for every request.
// Readers in this process get the image itself, with no encoding at all.
class PngMimeData : public QMimeData
{
    Q_OBJECT
public:
    explicit PngMimeData(const QImage& image);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

    // How many times PNG bytes were made (the cache at work).
    int encodeCount() const { return encodes_; }

protected:
    QVariant retrieveData(const QString& mimeType, QVariant::Type type) const override;

private:
    QImage image_;
    mutable QByteArray png_;
    mutable int encodes_ = 0;
};
