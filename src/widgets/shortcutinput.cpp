#include "widgets/shortcutinput.h"

#include <QKeyEvent>

ShortcutInput::ShortcutInput(const QKeySequence& sequence, QWidget* parent)
    : QLineEdit(sequence.toString(QKeySequence::PortableText), parent)
{
    init();
}

ShortcutInput::ShortcutInput(const QString& text, QWidget* parent)
    : QLineEdit(text, parent)
{
    init();
}

ShortcutInput::ShortcutInput(QWidget* parent)
    : QLineEdit(parent)
{
    init();
}

void ShortcutInput::init()
{
    setReadOnly(true);
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

bool ShortcutInput::acceptsKey(int key)
{
    if (key <= 0 || key == Qt::Key_unknown)
        return false;
    // Escape, Tab, Backspace, Return, Insert, Delete, Home, End, the arrows,
    // Page Up/Down and Shift, Control, Meta, Alt, the lock keys.
    if (key >= Qt::Key_Escape && key <= 0x0100002f)
        return false;
    // X11 reports these modifiers by their own names, outside the range above.
    switch (key) {
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_AltGr:
    case Qt::Key_Mode_switch:
    case Qt::Key_Multi_key:
        return false;
    default:
        return true;
    }
}

void ShortcutInput::keyPressEvent(QKeyEvent* event)
{
    // The base class never sees the key: typing must not edit the text.
    const int key = event->key();
    if (!acceptsKey(key))
        return;
    const QKeySequence sequence(key | int(event->modifiers()));
    const QString text = sequence.toString(QKeySequence::PortableText);
    setText(text);
    emit changed(QKeySequence(text, QKeySequence::PortableText));
}
