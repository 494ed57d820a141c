#pragma once

#include <QKeySequence>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Who turns a key combination into an action. X11 and Windows let Klipora
// grab keys itself; a Wayland compositor keeps keys to itself, so there the
// user binds them in the compositor's configuration to `klipora` commands.
class HotkeyBackend
{
public:
    virtual ~HotkeyBackend() = default;
    // Klipora registers its hotkeys itself.
    virtual bool grabsKeys() const = 0;

    // The desktop binds keys to actions by name (snip, pin, gif, record,
    // scroll) through bindAction(), rather than to QxtGlobalShortcut objects.
    virtual bool bindsActions() const { return false; }
    // Binds the first combination of `keys` to the action; an empty sequence
    // releases it. False when the desktop refused it or gave it another key.
    virtual bool bindAction(const QString& action, const QKeySequence& keys);

    // Who runs an action when its keys are pressed.
    void setActionHandler(std::function<void(const QString&)> handler) { handler_ = std::move(handler); }

protected:
    void activate(const QString& action) const
    {
        if (handler_)
            handler_(action);
    }

private:
    std::function<void(const QString&)> handler_;
};

class NativeHotkeyBackend : public HotkeyBackend
{
public:
    bool grabsKeys() const override { return true; }
};

class CompositorHotkeyBackend : public HotkeyBackend
{
public:
    bool grabsKeys() const override { return false; }
};

// One hotkey as the settings page knows it: the action's command line
// ("snip", "record --gif") and the combination chosen for it.
struct HotkeyCommand
{
    QString command;
    QKeySequence keys;
};

// The sway configuration lines that bind the combinations to Klipora's
// command line, e.g. "bindsym Ctrl+Shift+a exec klipora snip". Hotkeys without
// a combination are left out; `program` is what the compositor runs.
QStringList bindsymLines(const QVector<HotkeyCommand>& hotkeys, const QString& program = QStringLiteral("klipora"));

// One combination in sway's spelling (xkb key names, Mod4 for the logo key);
// empty for an empty or unusable sequence.
QString swayKeyName(const QKeySequence& keys);

// The key of a combination without its modifiers, as xkb names it ("a",
// "F1", "Print", "space"); empty for an empty or unusable sequence.
QString xkbKeyName(const QKeySequence& keys);

// A word for a shell-like command line, quoted only when it has to be.
QString shellWord(const QString& word);
