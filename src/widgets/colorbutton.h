#pragma once

#include <QColor>
#include <QPen>
#include <QPushButton>

// A colour swatch. Translucent colours show a black cross-hatch through them;
// the border turns blue under the pointer.
class ColorButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ColorButton(const QColor& color, QWidget* parent = nullptr);
    explicit ColorButton(QWidget* parent = nullptr);

    QColor color() const { return color_; }
    // Takes the colour, repaints and reports it through changed().
    void setColor(const QColor& color);

    QColor borderColor() const { return pen_.color(); }

signals:
    void clicked(QColor color);
    void changed(QColor color);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
    QColor normalBorder_{ "#bfbfbf" };
    QPen pen_{ QBrush(QColor("#bfbfbf"), Qt::SolidPattern), 2.0, Qt::SolidLine, Qt::SquareCap,
               Qt::BevelJoin };
    QColor hoverBorder_{ "#2080f0" };
};
