#include "widgets/lineeditmenu.h"

#include "widgets/colorpanel.h"
#include "widgets/widthbutton.h"

LineEditMenu::LineEditMenu(QWidget* parent)
    : EditMenu(parent)
{
    width_ = new WidthButton(3, 1, 25, this);
    width_->setChecked(true);
    addButton(width_);
    addSeparator();
    panel_ = new ColorPanel(this);
    addWidget(panel_);

    pen_ = QPen(QBrush(panel_->color(), Qt::SolidPattern), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    connect(panel_, &ColorPanel::changed, this, [this](QColor c) {
        pen_.setColor(c);
        emit changed();
    });
    connect(width_, &WidthButton::changed, this, [this](int w) {
        pen_.setWidth(w);
        emit changed();
    });
}

void LineEditMenu::setStart(int width, const QColor& colour)
{
    width_->setValue(width);
    panel_->setColor(colour);
    pen_.setWidth(width_->value());
    pen_.setColor(colour);
}
