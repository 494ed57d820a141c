#include "widgets/colorpanel.h"

#include <QGridLayout>

#include "widgets/colordialogbutton.h"

const QVector<QColor>& ColorPanel::swatchColors()
{
    static const QVector<QColor> colors{
        { 0, 0, 0 },       { 128, 128, 128 }, { 192, 192, 192 }, { 255, 255, 255 },
        { 255, 0, 0 },     { 255, 255, 0 },   { 128, 0, 0 },     { 128, 128, 0 },
        { 0, 255, 0 },     { 0, 128, 0 },     { 0, 255, 255 },   { 0, 128, 128 },
        { 0, 0, 255 },     { 0, 0, 128 },     { 255, 0, 255 },   { 128, 255, 128 },
    };
    return colors;
}

ColorPanel::ColorPanel(QWidget* parent)
    : QWidget(parent)
{
    auto layout = new QGridLayout(this);
    layout->setContentsMargins(5, 0, 5, 0);
    layout->setVerticalSpacing(1);
    layout->setHorizontalSpacing(2);

    current_ = new ColorDialogButton(QColor(Qt::red), this);
    current_->setFixedSize(29, 29);
    layout->addWidget(current_, 0, 0, 2, 2);

    const auto& colors = swatchColors();
    for (int i = 0; i < colors.size(); ++i) {
        auto swatch = new ColorButton(colors[i], this);
        swatch->setFixedSize(14, 14);
        layout->addWidget(swatch, i % 2, 2 + i / 2);
        connect(swatch, &ColorButton::clicked, this, &ColorPanel::setColor);
        swatches_.append(swatch);
    }

    connect(current_, &ColorButton::changed, this, &ColorPanel::changed);
}

QColor ColorPanel::color() const
{
    return current_->color();
}

void ColorPanel::setColor(QColor color)
{
    current_->setColor(color);
}
