#include "widgets/apptabbar.h"

#include <QPaintEvent>
#include <QStyleOptionTab>
#include <QStylePainter>

AppTabBar::AppTabBar(int tabWidth, int tabHeight, QWidget* parent)
    : QTabBar(parent)
    , tabWidth_(tabWidth)
    , tabHeight_(tabHeight)
{
}

QSize AppTabBar::tabSizeHint(int index) const
{
    QSize size = QTabBar::tabSizeHint(index);
    size.setWidth(tabWidth_);
    size.setHeight(tabHeight_);
    // the numbers are given as for a north bar; the west column turns them
    size.transpose();
    return size;
}

void AppTabBar::paintEvent(QPaintEvent* event)
{
    QStylePainter painter(this);
    QStyleOptionTab option;
    for (int i = 0; i < count(); ++i) {
        const QRect tab = tabRect(i);
        if (!tab.intersects(event->rect()))
            continue;
        initStyleOption(&option, i);
        painter.drawControl(QStyle::CE_TabBarTabShape, option);

        painter.save();
        QSize upright = option.rect.size();
        upright.transpose();
        QRect labelRect(QPoint(0, 0), upright);
        labelRect.moveCenter(option.rect.center());
        option.rect = labelRect;
        // the style turns west labels a quarter; turn them back
        const QPointF centre = QRectF(tab).center();
        painter.translate(centre);
        painter.rotate(90);
        painter.translate(-centre);
        painter.drawControl(QStyle::CE_TabBarTabLabel, option);
        painter.restore();
    }
}
