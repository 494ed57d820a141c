#include "widgets/colorbutton.h"

#include <QPainter>

ColorButton::ColorButton(const QColor& color, QWidget* parent)
    : QPushButton(parent)
    , color_(color)
{
    setAutoFillBackground(true);
    connect(this, &QAbstractButton::clicked, this, [this] { emit clicked(color_); });
}

ColorButton::ColorButton(QWidget* parent)
    : ColorButton(QColor(Qt::blue), parent)
{
}

void ColorButton::setColor(const QColor& color)
{
    color_ = color;
    update();
    emit changed(color);
}

void ColorButton::enterEvent(QEvent* event)
{
    pen_.setColor(hoverBorder_);
    update();
    QPushButton::enterEvent(event);
}

void ColorButton::leaveEvent(QEvent* event)
{
    pen_.setColor(normalBorder_);
    update();
    QPushButton::leaveEvent(event);
}

void ColorButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QBrush(Qt::black, Qt::DiagCrossPattern));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(pen_);
    painter.setBrush(QBrush(color_, Qt::SolidPattern));
    painter.drawRect(rect());
}
