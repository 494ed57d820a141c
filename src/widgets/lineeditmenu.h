#pragma once

#include "widgets/editmenu.h"

class ColorPanel;
class WidthButton;

// Options of lines and pencil strokes: width and colour, round ends.
class LineEditMenu : public EditMenu
{
    Q_OBJECT
public:
    explicit LineEditMenu(QWidget* parent = nullptr);

    // Width and colour a tool starts with other than 3 and the panel's red.
    void setStart(int width, const QColor& colour);

    WidthButton* widthButton() const { return width_; }
    ColorPanel* colorPanel() const { return panel_; }

private:
    WidthButton* width_ = nullptr;
    ColorPanel* panel_ = nullptr;
};
