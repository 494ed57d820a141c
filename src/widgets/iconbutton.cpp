#include "widgets/iconbutton.h"

#include <QBitmap>
#include <QIcon>

IconButton::IconButton(const QPixmap& icon, const QSize& size, const QSize& iconSize,
                       bool checkable, QWidget* parent)
    : CustomButton(size, checkable, parent)
    , icon_(icon)
    , iconSize_(iconSize)
{
}

IconButton::IconButton(const QPixmap& icon, QWidget* parent)
    : CustomButton(parent)
    , icon_(icon)
    , iconSize_(icon.size())
{
}

void IconButton::drawContent(QPainter* painter)
{
    if (icon_.isNull())
        return;
    // Every pixel that is not fully transparent takes the foreground colour.
    const QBitmap mask = icon_.hasAlphaChannel() ? icon_.mask() : QBitmap();
    icon_.fill(currentForeground);
    if (!mask.isNull())
        icon_.setMask(mask);

    const QPoint c = rect().center();
    const QRect target(c.x() - iconSize_.width() / 2, c.y() - iconSize_.height() / 2,
                       iconSize_.width(), iconSize_.height());
    QIcon(icon_).paint(painter, target, Qt::AlignCenter, QIcon::Normal, QIcon::Off);
}
