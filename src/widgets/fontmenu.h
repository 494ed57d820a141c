#pragma once

#include <QFont>

#include "widgets/editmenu.h"

class ColorPanel;
class QComboBox;

// Options of text: family, style, pixel size and colour.
class FontMenu : public EditMenu
{
    Q_OBJECT
public:
    explicit FontMenu(QWidget* parent = nullptr);

    // Size in pixels, so a size means the same on every screen.
    QFont font() const;

    QComboBox* familyBox() const { return family_; }
    QComboBox* styleBox() const { return style_; }
    QComboBox* sizeBox() const { return size_; }
    ColorPanel* colorPanel() const { return panel_; }

private:
    // A box of the given width and the row's height, or as large as its font
    // needs to show the sample text whole.
    QComboBox* makeBox(int width, const QString& sample);
    void fillStyles(const QString& family);

    QComboBox* family_ = nullptr;
    QComboBox* style_ = nullptr;
    QComboBox* size_ = nullptr;
    ColorPanel* panel_ = nullptr;
};
