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
    QComboBox* makeBox(int width);
    void fillStyles(const QString& family);

    QComboBox* family_ = nullptr;
    QComboBox* style_ = nullptr;
    QComboBox* size_ = nullptr;
    ColorPanel* panel_ = nullptr;
};
