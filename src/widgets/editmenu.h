#pragma once

#include <QPen>
#include <QWidget>

class CustomButton;
class QHBoxLayout;

// A row of 35-pixel buttons floating above the overlay: the annotation
// toolbar and the option menus of its tools. Each keeps the pen (and fill
// flag) that new commands of its tool start with and reports every change.
class EditMenu : public QWidget
{
    Q_OBJECT
public:
    explicit EditMenu(QWidget* parent = nullptr);

    static constexpr int ROW_HEIGHT = 35;
    static constexpr int ICON_SIZE = 25;

    // Toolbar colours for checkable buttons.
    static void paintAsToolbarButton(CustomButton* button);

signals:
    void changed();

public slots:
    virtual void setWidth(int width);
    virtual QPen pen() const;
    virtual bool fill() const;

protected:
    void addButton(CustomButton* button);
    void addSeparator();
    void addWidget(QWidget* widget);

    QHBoxLayout* layout() const { return layout_; }

    int height_ = ROW_HEIGHT;
    int iconSize_ = ICON_SIZE;
    QPen pen_;
    bool fill_ = false;

private:
    QHBoxLayout* layout_ = nullptr;
};
