#include "widgets/arroweditmenu.h"

#include "widgets/colorpanel.h"

ArrowEditMenu::ArrowEditMenu(QWidget* parent)
    : EditMenu(parent)
{
    panel_ = new ColorPanel(this);
    addWidget(panel_);

    pen_ = QPen(QBrush(panel_->color(), Qt::SolidPattern), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);

    connect(panel_, &ColorPanel::changed, this, [this](QColor c) {
        pen_.setColor(c);
        emit changed();
    });
}
