#include "widgets/apptabbar.h"

#include <QPaintEvent>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace {
constexpr int LABEL_MARGIN = 14;
} // namespace

AppTabBar::AppTabBar(int tabWidth, int tabHeight, QWidget* parent)
    : QTabBar(parent)
    , tabWidth_(tabWidth)
    , tabHeight_(tabHeight)
{
    // The bar would elide to the width of a west tab before it is turned
    // upright; paintEvent elides to the upright width instead.
    setElideMode(Qt::ElideNone);
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
        // Once turned, the label runs along the rectangle's height. Leave
        // room for the style sheet's slightly larger tab font and the stripe.
        const int room = labelRect.height() - 2 * LABEL_MARGIN;
        option.text = option.fontMetrics.elidedText(option.text, Qt::ElideRight, room, Qt::TextShowMnemonic);
        // the style turns west labels a quarter; turn them back
        const QPointF centre = QRectF(tab).center();
        painter.translate(centre);
        painter.rotate(90);
        painter.translate(-centre);
        painter.drawControl(QStyle::CE_TabBarTabLabel, option);
        painter.restore();
    }
}
