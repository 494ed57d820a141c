#pragma once

#include <QColor>
#include <QVector>
#include <QWidget>

class ColorButton;
class ColorDialogButton;

// The colour chooser of the option menus: the current colour (click it for a
// colour dialog) beside sixteen swatches.
class ColorPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ColorPanel(QWidget* parent = nullptr);

    QColor color() const;
    ColorDialogButton* currentButton() const { return current_; }
    const QVector<ColorButton*>& swatches() const { return swatches_; }

    // The swatch colours, row 0 then row 1 of each column, left to right.
    static const QVector<QColor>& swatchColors();

signals:
    void changed(QColor color);

public slots:
    void setColor(QColor color);

private:
    ColorDialogButton* current_ = nullptr;
    QVector<ColorButton*> swatches_;
};
