#pragma once

#include <algorithm>

#include "widgets/custombutton.h"

// Shows a pen width as a dot of that diameter; the mouse wheel changes it
// within [minimum, maximum].
class WidthButton : public CustomButton
{
    Q_OBJECT
public:
    explicit WidthButton(QWidget* parent = nullptr);
    // A checkable 35 x 35 button, as the option menus use it.
    WidthButton(int value, int minimum, int maximum, QWidget* parent = nullptr);

    int value() const { return value_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    void setMinimum(int minimum) { minimum_ = minimum; }
    void setMaximum(int maximum) { maximum_ = maximum; }

signals:
    void changed(int value);

public slots:
    void setValue(int width);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void drawContent(QPainter* painter) override;

private:
    int limited(int width) const { return std::max(std::min(width, maximum_), minimum_); }

    int value_ = 3;
    int maximum_ = 25;
    int minimum_ = 1;
};
