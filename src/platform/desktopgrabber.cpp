#include "platform/desktopgrabber.h"

#include <QPainter>

QImage composeOutputs(const QVector<OutputImage>& outputs, const QRect& area)
{
    if (area.isEmpty())
        return QImage();
    QImage result(area.size(), QImage::Format_RGB32);
    result.fill(Qt::black);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const OutputImage& output : outputs) {
        if (output.image.isNull())
            continue;
        // an output that scales its pixels is drawn at its logical size
        painter.drawImage(QRect(output.geometry.topLeft() - area.topLeft(), output.geometry.size()), output.image);
    }
    painter.end();
    return result;
}
