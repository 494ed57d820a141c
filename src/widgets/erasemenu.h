#pragma once

#include "widgets/editmenu.h"

class WidthButton;

// Brush width of the mosaic and the eraser.
class EraseMenu : public EditMenu
{
    Q_OBJECT
public:
    explicit EraseMenu(QWidget* parent = nullptr);

    WidthButton* widthButton() const { return width_; }

public slots:
    // The canvas wheel may go past the button's range; the button shows
    // what it can, the pen keeps the real width.
    void setWidth(int width) override;

private:
    WidthButton* width_ = nullptr;
};
