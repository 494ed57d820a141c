#include "widgets/graphmenu.h"

#include "widgets/buttongroup.h"
#include "widgets/colorpanel.h"
#include "widgets/iconbutton.h"
#include "widgets/widthbutton.h"

GraphMenu::GraphMenu(QWidget* parent)
    : EditMenu(parent)
{
    width_ = new WidthButton(3, 1, 25, this);
    addButton(width_);
    addSeparator();
    fillButton_ = new IconButton(QPixmap(QStringLiteral(":/icon/res/fill")), QSize(height_, height_),
                                 QSize(iconSize_, iconSize_), true, this);
    addButton(fillButton_);
    addSeparator();
    panel_ = new ColorPanel(this);
    addWidget(panel_);

    // Outline width and fill exclude each other.
    group_ = new ButtonGroup(this);
    group_->addButton(width_);
    group_->addButton(fillButton_);
    // Checked through the group, so that fill later unchecks it.
    width_->setChecked(true);

    pen_ = QPen(QBrush(panel_->color(), Qt::SolidPattern), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);

    connect(panel_, &ColorPanel::changed, this, [this](QColor c) {
        pen_.setColor(c);
        emit changed();
    });
    connect(width_, &WidthButton::changed, this, [this](int w) {
        pen_.setWidth(w);
        fill_ = false;
        emit changed();
    });
    connect(fillButton_, &QAbstractButton::toggled, this, [this](bool on) {
        fill_ = on;
        // A filled shape keeps a one-pixel cosmetic outline.
        pen_.setWidth(on ? 0 : width_->value());
        emit changed();
    });
}
