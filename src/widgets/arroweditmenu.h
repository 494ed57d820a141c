#pragma once

#include "widgets/editmenu.h"

class ColorPanel;

// The arrow has a fixed shape: only its colour is chosen.
class ArrowEditMenu : public EditMenu
{
    Q_OBJECT
public:
    explicit ArrowEditMenu(QWidget* parent = nullptr);

    ColorPanel* colorPanel() const { return panel_; }

private:
    ColorPanel* panel_ = nullptr;
};
