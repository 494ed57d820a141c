#pragma once

#include <QKeySequence>
#include <QObject>

class QxtGlobalShortcutPrivate;

// One key combination as a system-wide hotkey: while it is registered,
// pressing it anywhere on the desktop emits activated(), whichever window has
// the focus.
class QxtGlobalShortcut : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QKeySequence shortcut READ shortcut WRITE setShortcut)

public:
    explicit QxtGlobalShortcut(QObject* parent = nullptr);
    explicit QxtGlobalShortcut(const QKeySequence& shortcut, QObject* parent = nullptr);
    ~QxtGlobalShortcut() override;

    QKeySequence shortcut() const;
    // Replaces any previous combination; false when the system refused the new
    // one (taken by another program or by another object of this one, or a key
    // without a native code). An empty sequence just releases the old one.
    bool setShortcut(const QKeySequence& shortcut);

    bool isEnabled() const;

public slots:
    // Only whether activated() is emitted: the combination stays reserved.
    void setEnabled(bool enabled = true);
    void setDisabled(bool disabled = true);

signals:
    void activated();

private:
    friend class QxtGlobalShortcutPrivate;
    QxtGlobalShortcutPrivate* d;
};

const char* qxtVersion();
