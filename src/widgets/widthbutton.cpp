#include "widgets/widthbutton.h"

#include <QWheelEvent>

WidthButton::WidthButton(QWidget* parent)
    : CustomButton(parent)
{
}

WidthButton::WidthButton(int value, int minimum, int maximum, QWidget* parent)
    : CustomButton(QSize(35, 35), true, parent)
    , maximum_(maximum)
    , minimum_(minimum)
{
    value_ = limited(value);
}

void WidthButton::setValue(int width)
{
    value_ = limited(width);
    update();
}

void WidthButton::wheelEvent(QWheelEvent* event)
{
    value_ = limited(value_ + event->angleDelta().y() / 120);
    // Reported even when a limit kept the value: the menus re-read the pen.
    emit changed(value_);
    event->accept();
    update();
}

void WidthButton::drawContent(QPainter* painter)
{
    painter->setPen(currentForeground);
    painter->setBrush(currentForeground);
    painter->setRenderHint(QPainter::Antialiasing, true);
    const QPoint c = rect().center();
    painter->drawEllipse(c.x() - value_ / 2, c.y() - value_ / 2, value_, value_);
}
