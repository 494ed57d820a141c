#pragma once

#include <QKeySequence>
#include <QLineEdit>

// A read-only field that takes one key combination: pressing keys replaces
// the text with the combination instead of editing it.
class ShortcutInput : public QLineEdit
{
    Q_OBJECT
public:
    ShortcutInput(const QKeySequence& sequence, QWidget* parent = nullptr);
    ShortcutInput(const QString& text, QWidget* parent = nullptr);
    explicit ShortcutInput(QWidget* parent = nullptr);

    // Whether a key press can start a hotkey. Navigation and editing keys
    // (Escape up to Page Down) and modifiers or lock keys on their own are
    // not hotkeys, and neither is a key the platform could not name.
    static bool acceptsKey(int key);

signals:
    void changed(QKeySequence sequence);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void init();
};
