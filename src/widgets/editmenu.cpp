#include "widgets/editmenu.h"

#include <QHBoxLayout>

#include "widgets/custombutton.h"
#include "widgets/separator.h"

EditMenu::EditMenu(QWidget* parent)
    : QWidget(parent)
{
    // The style sheet colours every menu through this one name.
    setObjectName(QStringLiteral("EditMenu"));
    setAttribute(Qt::WA_StyledBackground);
    setAutoFillBackground(true);
    setCursor(Qt::ArrowCursor);
    setFixedHeight(height_);
    // Shown beside the overlay without taking the keyboard from it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlags(Qt::ToolTip | Qt::WindowStaysOnTopHint);

    layout_ = new QHBoxLayout(this);
    layout_->setSpacing(0);
    layout_->setContentsMargins(0, 0, 0, 0);
}

void EditMenu::paintAsToolbarButton(CustomButton* button)
{
    button->checkedForeground = QColor("#ffffff");
    button->hoverBackground = QColor("#d0d0d5");
    button->checkedBackground = QColor("#409eff");
    if (button->isChecked()) {
        button->currentForeground = button->checkedForeground;
        button->currentBackground = button->checkedBackground;
    }
}

void EditMenu::addButton(CustomButton* button)
{
    paintAsToolbarButton(button);
    layout_->addWidget(button);
}

void EditMenu::addSeparator()
{
    layout_->addWidget(new Separator(this));
}

void EditMenu::addWidget(QWidget* widget)
{
    layout_->addWidget(widget);
}

void EditMenu::setWidth(int width)
{
    pen_.setWidth(width);
}

QPen EditMenu::pen() const
{
    return pen_;
}

bool EditMenu::fill() const
{
    return fill_;
}
