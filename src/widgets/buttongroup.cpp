#include "widgets/buttongroup.h"

#include <QAbstractButton>

ButtonGroup::ButtonGroup(QObject* parent)
    : QObject(parent)
{
}

void ButtonGroup::addButton(QAbstractButton* button)
{
    if (!button || buttons_.contains(button))
        return;
    buttons_.append(button);
    connect(button, &QAbstractButton::clicked, this, [this, button] { emit buttonClicked(button); });
    connect(button, &QAbstractButton::toggled, this, [this, button](bool on) { toggled(button, on); });
    // A button may die before the group; never keep a dangling pointer to it.
    connect(button, &QObject::destroyed, this, [this, button] {
        buttons_.removeAll(button);
        if (checked_ == button)
            checked_ = nullptr;
    });
}

void ButtonGroup::toggled(QAbstractButton* button, bool on)
{
    emit buttonToggled(button, on);
    if (on) {
        QAbstractButton* previous = checked_;
        checked_ = button;
        if (previous && previous != button)
            previous->setChecked(false);
    } else if (button == checked_) {
        checked_ = nullptr;
        emit uncheckedAll();
    }
}

void ButtonGroup::uncheckAll()
{
    if (!checked_)
        return;
    // Forget it first so the toggle does not report a second time.
    QAbstractButton* button = checked_;
    checked_ = nullptr;
    button->setChecked(false);
    emit uncheckedAll();
}
