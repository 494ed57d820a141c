#include "snip/overlaycursor.h"

#include <QCursor>
#include <QPixmap>
#include <QWidget>

#include "core/resizer.h"
#include "snip/magnifier.h"

namespace {

const QCursor& rotateCursor()
{
    static const QCursor cursor(
        QPixmap(QStringLiteral(":/icon/res/rotate")).scaled(22, 22, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        11, 11);
    return cursor;
}

} // namespace

OverlayCursor::OverlayCursor(QWidget* widget)
    : widget_(widget)
    , circle_(new CircleCursor(20, widget))
{
}

Qt::CursorShape OverlayCursor::shapeFor(int code)
{
    switch (code) {
    case Resizer::BORDER_X1:
    case Resizer::BORDER_X2:
    case Resizer::BORDER_Y1:
    case Resizer::BORDER_Y2:
    case Resizer::BORDERS:
        return Qt::SizeAllCursor;
    case Resizer::ANCHOR_X1:
    case Resizer::ANCHOR_X2:
        return Qt::SizeHorCursor;
    case Resizer::ANCHOR_Y1:
    case Resizer::ANCHOR_Y2:
        return Qt::SizeVerCursor;
    case Resizer::ANCHOR_X1Y1:
    case Resizer::ANCHOR_X2Y2:
        return Qt::SizeFDiagCursor;
    case Resizer::ANCHOR_X1Y2:
    case Resizer::ANCHOR_X2Y1:
        return Qt::SizeBDiagCursor;
    case Resizer::ROTATE_ANCHOR:
        return Qt::BitmapCursor;
    default:
        return Qt::CrossCursor;
    }
}

void OverlayCursor::showHover(int code)
{
    if (code == hoverCode_)
        return;
    hoverCode_ = code;
    circleWidth_ = -1;
    const Qt::CursorShape shape = shapeFor(code);
    if (shape == Qt::BitmapCursor)
        widget_->setCursor(rotateCursor());
    else
        widget_->setCursor(shape);
}

void OverlayCursor::showBrush(int width)
{
    if (width == circleWidth_)
        return;
    circleWidth_ = width;
    hoverCode_ = -1;
    circle_->setWidth(width);
    const QPixmap image = circle_->pixmap();
    widget_->setCursor(QCursor(image, image.width() / 2, image.height() / 2));
}

void OverlayCursor::showCross()
{
    forget();
    widget_->setCursor(Qt::CrossCursor);
}

void OverlayCursor::forget()
{
    circleWidth_ = hoverCode_ = -1;
}
