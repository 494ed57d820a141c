#include "core/regionblit.h"

#include <QPainter>
#include <QPixmap>
#include <QRegion>

#include "core/devicepixels.h"

void blitRegion(QPainter* painter, const QRegion& region, const QPixmap& source)
{
    if (region.isEmpty() || source.isNull())
        return;
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    const qreal ratio = source.devicePixelRatio();
    for (const QRect& r : region) {
        painter->setClipRect(r);
        painter->drawPixmap(QRectF(r), source, devicepixels::sourceRect(r, ratio));
    }
    painter->setClipping(false);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}
