#include "widgets/colordialogbutton.h"

#include <QColorDialog>

ColorDialogButton::ColorDialogButton(const QColor& color, QWidget* parent)
    : ColorButton(color, parent)
{
    init();
}

ColorDialogButton::ColorDialogButton(QWidget* parent)
    : ColorButton(parent)
{
    init();
}

ColorDialogButton::~ColorDialogButton()
{
    delete dialog_;
}

void ColorDialogButton::init()
{
    dialog_ = new QColorDialog();
    dialog_->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
    dialog_->setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint);

    connect(this, &ColorButton::clicked, this, [this](QColor color) {
        dialog_->setCurrentColor(color);
        dialog_->show();
        dialog_->raise();
        dialog_->activateWindow();
    });
    connect(dialog_, &QColorDialog::colorSelected, this, [this](const QColor& color) {
        if (color.isValid())
            setColor(color);
    });
}
