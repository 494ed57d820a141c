#include "qxt/qxtglobalshortcut_p.h"

#include <QByteArray>

#include <windows.h>

#include "qxt/keytables.h"

namespace {

// Each registration gets an identifier of its own: deriving it from key and
// flags lets two different combinations collide.
QHash<QPair<quint32, quint32>, int> hotkeyIds;

class WinHotkeyFilter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override
    {
        Q_UNUSED(result);
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_HOTKEY) {
            const quint32 key = HIWORD(msg->lParam);
            const quint32 mods = LOWORD(msg->lParam);
            QxtGlobalShortcutPrivate::activateShortcut(key, mods);
        }
        return false;
    }
};

} // namespace

quint32 QxtGlobalShortcutPrivate::nativeKeycode(int key)
{
    return keytables::winVirtualKey(key);
}

quint32 QxtGlobalShortcutPrivate::nativeModifiers(Qt::KeyboardModifiers mods)
{
    return keytables::winModifiers(mods);
}

QAbstractNativeEventFilter* QxtGlobalShortcutPrivate::createEventFilter()
{
    return new WinHotkeyFilter;
}

bool QxtGlobalShortcutPrivate::registerShortcut(quint32 nativeKey, quint32 nativeMods)
{
    const int id = keytables::firstFreeHotkeyId(hotkeyIds.values());
    if (id < 0)
        return false;
    if (!RegisterHotKey(nullptr, id, nativeMods, nativeKey))
        return false;
    hotkeyIds.insert(qMakePair(nativeKey, nativeMods), id);
    return true;
}

bool QxtGlobalShortcutPrivate::unregisterShortcut(quint32 nativeKey, quint32 nativeMods)
{
    const QPair<quint32, quint32> pair(nativeKey, nativeMods);
    const auto it = hotkeyIds.constFind(pair);
    if (it == hotkeyIds.constEnd() || !UnregisterHotKey(nullptr, *it))
        return false;
    hotkeyIds.remove(pair);
    return true;
}
