#pragma once

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QKeySequence>
#include <QPair>

#include "qxt/qxtglobalshortcut.h"

// Base of a private part: the back pointer to the public object it serves.
template<typename Public>
class QxtPrivate
{
public:
    virtual ~QxtPrivate() = default;
    void setPublic(Public* pub) { owner = pub; }

protected:
    Public* pub() const { return owner; }

private:
    Public* owner = nullptr;
};

class QxtGlobalShortcutPrivate : public QxtPrivate<QxtGlobalShortcut>
{
public:
    QxtGlobalShortcutPrivate();
    ~QxtGlobalShortcutPrivate() override;

    bool enabled = true;
    int key = 0; // may carry the keypad flag, which Qt::Key cannot hold
    Qt::KeyboardModifiers mods = Qt::NoModifier;

    bool setShortcut(const QKeySequence& shortcut);
    bool unsetShortcut();

    // Called by the platform's event filter with a pressed native combination.
    static void activateShortcut(quint32 nativeKey, quint32 nativeMods);

    // The registered combinations of the whole process and who owns them.
    using Table = QHash<QPair<quint32, quint32>, QxtGlobalShortcut*>;
    static Table shortcuts;

private:
    // Implemented once per platform (_x11.cpp, _win.cpp).
    static quint32 nativeKeycode(int key);
    static quint32 nativeModifiers(Qt::KeyboardModifiers mods);
    static bool registerShortcut(quint32 nativeKey, quint32 nativeMods);
    static bool unregisterShortcut(quint32 nativeKey, quint32 nativeMods);
    static QAbstractNativeEventFilter* createEventFilter();

    static int instances;
    // One filter for every object, so it outlives whichever object came first.
    static QAbstractNativeEventFilter* filter;
};
