#pragma once

#include <QTextEdit>

// The in-canvas text box of a text annotation: frameless, transparent,
// unwrapped, and always exactly as large as its text.
class TextEdit : public QTextEdit
{
    Q_OBJECT
public:
    explicit TextEdit(QWidget* parent = nullptr);

    // Sets the widget font and reports a text change, so the box refits and
    // the owning command redraws.
    void setTextFont(const QFont& font);
    // Colour of all text, typed before and after.
    void setTextColour(const QColor& colour);

signals:
    void focus(bool in);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void refit();
};
