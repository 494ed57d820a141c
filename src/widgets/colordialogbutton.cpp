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
    connect(this, &ColorButton::clicked, this, [this](QColor color) {
        QColorDialog* d = dialog();
        d->setCurrentColor(color);
        emit dialogOpening(d);
        d->show();
        d->raise();
        d->activateWindow();
    });
}

QColorDialog* ColorDialogButton::dialog()
{
    if (dialog_)
        return dialog_;
    dialog_ = new QColorDialog();
    dialog_->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
    dialog_->setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint);
    connect(dialog_, &QColorDialog::colorSelected, this, [this](const QColor& color) {
        if (color.isValid())
            setColor(color);
    });
    return dialog_;
}
