#include "qxt/qxtglobalshortcut.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMessageLogger>

#include "qxt/keytables.h"
#include "qxt/qxtglobalshortcut_p.h"

QxtGlobalShortcutPrivate::Table QxtGlobalShortcutPrivate::shortcuts;
int QxtGlobalShortcutPrivate::instances = 0;
QAbstractNativeEventFilter* QxtGlobalShortcutPrivate::filter = nullptr;

namespace {

QString portable(int key, Qt::KeyboardModifiers mods)
{
    return keytables::toSequence(key, mods).toString(QKeySequence::PortableText);
}

// The hotkey's own records name no source location.
QDebug hotkeyWarning()
{
    return QMessageLogger().warning().noquote();
}

} // namespace

QxtGlobalShortcutPrivate::QxtGlobalShortcutPrivate()
{
    if (instances == 0) {
        filter = createEventFilter();
        if (QCoreApplication::instance())
            QCoreApplication::instance()->installNativeEventFilter(filter);
    }
    ++instances;
}

QxtGlobalShortcutPrivate::~QxtGlobalShortcutPrivate()
{
    if (--instances == 0) {
        // the filter's destructor takes it off the dispatcher
        delete filter;
        filter = nullptr;
    }
}

bool QxtGlobalShortcutPrivate::setShortcut(const QKeySequence& shortcut)
{
    const keytables::Combination combination = keytables::firstCombination(shortcut);
    key = combination.key;
    mods = combination.mods;
    const quint32 nativeKey = nativeKeycode(key);
    const quint32 nativeMods = nativeModifiers(mods);
    const QPair<quint32, quint32> pair(nativeKey, nativeMods);

    // The system would accept a combination this process already holds (the
    // same thread owns it), so the table decides that case.
    const bool ok = !shortcuts.contains(pair) && registerShortcut(nativeKey, nativeMods);
    if (ok)
        shortcuts.insert(pair, pub());
    else
        hotkeyWarning() << "QxtGlobalShortcut failed to register:" << portable(key, mods);
    return ok;
}

bool QxtGlobalShortcutPrivate::unsetShortcut()
{
    bool ok = false;
    const QPair<quint32, quint32> pair(nativeKeycode(key), nativeModifiers(mods));
    if (shortcuts.value(pair) == pub()) {
        ok = unregisterShortcut(pair.first, pair.second);
        if (ok)
            shortcuts.remove(pair);
    }
    if (!ok)
        hotkeyWarning() << "QxtGlobalShortcut failed to unregister:" << portable(key, mods);
    key = 0;
    mods = Qt::NoModifier;
    return ok;
}

void QxtGlobalShortcutPrivate::activateShortcut(quint32 nativeKey, quint32 nativeMods)
{
    QxtGlobalShortcut* shortcut = shortcuts.value(qMakePair(nativeKey, nativeMods));
    if (shortcut && shortcut->isEnabled())
        emit shortcut->activated();
}

QxtGlobalShortcut::QxtGlobalShortcut(QObject* parent)
    : QObject(parent)
    , d(new QxtGlobalShortcutPrivate)
{
    d->setPublic(this);
}

QxtGlobalShortcut::QxtGlobalShortcut(const QKeySequence& shortcut, QObject* parent)
    : QxtGlobalShortcut(parent)
{
    setShortcut(shortcut);
}

QxtGlobalShortcut::~QxtGlobalShortcut()
{
    if (d->key != 0)
        d->unsetShortcut();
    delete d;
}

QKeySequence QxtGlobalShortcut::shortcut() const
{
    return keytables::toSequence(d->key, d->mods);
}

bool QxtGlobalShortcut::setShortcut(const QKeySequence& shortcut)
{
    if (d->key != 0)
        d->unsetShortcut();
    // An empty sequence means "no hotkey": nothing to ask the system for.
    if (shortcut.isEmpty())
        return true;
    return d->setShortcut(shortcut);
}

bool QxtGlobalShortcut::isEnabled() const
{
    return d->enabled;
}

void QxtGlobalShortcut::setEnabled(bool enabled)
{
    d->enabled = enabled;
}

void QxtGlobalShortcut::setDisabled(bool disabled)
{
    d->enabled = !disabled;
}

const char* qxtVersion()
{
    return "0.7.0";
}
