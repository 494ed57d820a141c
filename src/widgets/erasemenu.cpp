#include "widgets/erasemenu.h"

#include "widgets/widthbutton.h"

EraseMenu::EraseMenu(QWidget* parent)
    : EditMenu(parent)
{
    width_ = new WidthButton(15, 1, 25, this);
    width_->setChecked(true);
    addButton(width_);

    pen_ = QPen(QBrush(Qt::transparent, Qt::SolidPattern), 15, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    connect(width_, &WidthButton::changed, this, [this](int w) {
        pen_.setWidth(w);
        emit changed();
    });
}

void EraseMenu::setWidth(int width)
{
    pen_.setWidth(width);
    width_->setValue(width);
}
