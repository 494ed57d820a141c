#pragma once

#include "widgets/editmenu.h"

class ButtonGroup;
class ColorPanel;
class IconButton;
class WidthButton;

// Options of rectangles and ellipses: outline width or fill, and colour.
class GraphMenu : public EditMenu
{
    Q_OBJECT
public:
    explicit GraphMenu(QWidget* parent = nullptr);

    WidthButton* widthButton() const { return width_; }
    IconButton* fillButton() const { return fillButton_; }
    ColorPanel* colorPanel() const { return panel_; }

private:
    WidthButton* width_ = nullptr;
    IconButton* fillButton_ = nullptr;
    ColorPanel* panel_ = nullptr;
    ButtonGroup* group_ = nullptr;
};
