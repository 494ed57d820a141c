#pragma once

#include <QDialog>

#include "widgets/colorbutton.h"

class QColorDialog;

// A colour button that opens a colour dialog (with alpha) on its colour and
// takes the colour the user accepts there.
class ColorDialogButton : public ColorButton
{
    Q_OBJECT
public:
    explicit ColorDialogButton(const QColor& color, QWidget* parent = nullptr);
    explicit ColorDialogButton(QWidget* parent = nullptr);
    ~ColorDialogButton() override;

    // Built at first use: a dialog per colour button made every start-up
    // pay for a dozen dialogs nobody had opened yet.
    QColorDialog* dialog();

signals:
    // Just before the dialog shows, so an owner can set it up first.
    void dialogOpening(QDialog* dialog);

private:
    void init();

    // Top-level on purpose (no parent) so it can float above the overlay.
    QColorDialog* dialog_ = nullptr;
};
