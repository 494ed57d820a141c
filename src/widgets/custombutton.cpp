#include "widgets/custombutton.h"

CustomButton::CustomButton(QWidget* parent)
    : QAbstractButton(parent)
{
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (on)
            useColors(checkedForeground, checkedBackground);
        else
            useColors(normalForeground, normalBackground);
    });
}

CustomButton::CustomButton(const QSize& size, bool checkable, QWidget* parent)
    : CustomButton(parent)
{
    setFixedSize(size);
    setCheckable(checkable);
}

void CustomButton::useColors(const QColor& foreground, const QColor& background)
{
    currentForeground = foreground;
    currentBackground = background;
    update();
}

void CustomButton::enterEvent(QEvent* event)
{
    if (isChecked())
        useColors(checkedForeground, checkedBackground);
    else if (isEnabled()) // a disabled button does not answer the pointer
        useColors(hoverForeground, hoverBackground);
    QAbstractButton::enterEvent(event);
}

void CustomButton::leaveEvent(QEvent* event)
{
    if (isChecked())
        useColors(checkedForeground, checkedBackground);
    else
        useColors(normalForeground, normalBackground);
    QAbstractButton::leaveEvent(event);
}

void CustomButton::paintEvent(QPaintEvent*)
{
    painter_.begin(this);
    painter_.fillRect(rect(), currentBackground);
    drawContent(&painter_);
    if (!isEnabled())
        painter_.fillRect(rect(), disabledVeil());
    painter_.end();
}
