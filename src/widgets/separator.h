#pragma once

#include <QFrame>

// The thin vertical line between groups of controls in the option menus.
class Separator : public QFrame
{
    Q_OBJECT
public:
    explicit Separator(QWidget* parent = nullptr);
};
