#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/hotkeybackend.h"

// Plasma's global shortcut service (kglobalaccel, inside KWin on Wayland),
// spoken to over D-Bus: each action is registered under the component
// "klipora", shows in Plasma's shortcut settings, and its presses arrive as
// the component's globalShortcutPressed signal.
class KGlobalAccelHotkeys : public QObject, public HotkeyBackend
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool grabsKeys() const override { return true; }
    bool bindsActions() const override { return true; }
    bool bindAction(const QString& action, const QKeySequence& keys) override;

    static constexpr int CALL_TIMEOUT_MS = 3000;

private slots:
    void pressed(const QString& component, const QString& action, qlonglong timestamp);

private:
    bool listening_ = false;
};

namespace kglobalaccel {

// The component Klipora's actions belong to.
QString component();

// The four-part id kglobalaccel knows an action by: component, action,
// and the names its settings show for them.
QStringList actionId(const QString& action);

// A combination as kglobalaccel stores it: the Qt key OR-ed with the Qt
// modifier bits of the sequence's first combination; 0 for an empty
// sequence, a modifier alone or an unknown key.
int keyCode(const QKeySequence& keys);

// Whether the keys kglobalaccel answered a setShortcut with are the ones
// asked for: a taken combination comes back empty or as another key.
bool granted(int asked, const QList<int>& answered);

} // namespace kglobalaccel
