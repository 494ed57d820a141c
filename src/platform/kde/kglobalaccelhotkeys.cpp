#include "platform/kde/kglobalaccelhotkeys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDebug>
#include <QHash>

namespace {

const QString SERVICE = QStringLiteral("org.kde.kglobalaccel");
const QString PATH = QStringLiteral("/kglobalaccel");
const QString INTERFACE = QStringLiteral("org.kde.KGlobalAccel");
const QString COMPONENT_INTERFACE = QStringLiteral("org.kde.kglobalaccel.Component");

// kglobalaccel's setShortcut flags: the action is there now, and the keys
// are the ones given rather than those its configuration remembers
constexpr uint SET_PRESENT = 2;
constexpr uint NO_AUTOLOADING = 4;

QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(SERVICE, path, interface, method);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, KGlobalAccelHotkeys::CALL_TIMEOUT_MS);
}

bool answered(const QDBusMessage& reply, const char* what)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qWarning().noquote() << "kglobalaccel did not" << what << ":"
                         << (reply.type() == QDBusMessage::ErrorMessage
                                 ? reply.errorName() + QStringLiteral(": ") + reply.errorMessage()
                                 : QStringLiteral("no reply"));
    return false;
}

QList<int> intList(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QList<int>>(value.value<QDBusArgument>());
    return value.value<QList<int>>();
}

} // namespace

namespace kglobalaccel {

QString component()
{
    return QStringLiteral("klipora");
}

QStringList actionId(const QString& action)
{
    // what Plasma's shortcut settings list
    static const QHash<QString, QString> names = {
        {QStringLiteral("snip"), QStringLiteral("Snip")},
        {QStringLiteral("pin"), QStringLiteral("Pin the last snip")},
        {QStringLiteral("gif"), QStringLiteral("Record GIF")},
        {QStringLiteral("record"), QStringLiteral("Record video")},
        {QStringLiteral("scroll"), QStringLiteral("Scrolling screenshot")},
    };
    return {component(), action, QStringLiteral("Klipora"), names.value(action, action)};
}

int keyCode(const QKeySequence& keys)
{
    if (keys.isEmpty())
        return 0;
    const int combined = keys[0];
    const int key = combined & ~int(Qt::KeyboardModifierMask);
    if (key == 0 || key == Qt::Key_unknown || key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt
        || key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_Super_L || key == Qt::Key_Super_R)
        return 0;
    const int modifiers = combined
        & int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier);
    return key | modifiers;
}

bool granted(int asked, const QList<int>& answered)
{
    if (asked == 0)
        return true;
    return !answered.isEmpty() && answered.first() == asked;
}

} // namespace kglobalaccel

bool KGlobalAccelHotkeys::bindAction(const QString& action, const QKeySequence& keys)
{
    static const bool registered = (qDBusRegisterMetaType<QList<int>>(), true);
    Q_UNUSED(registered)
    const QStringList id = kglobalaccel::actionId(action);
    const int key = kglobalaccel::keyCode(keys);
    if (key == 0 && !keys.isEmpty()) {
        qWarning().noquote() << "kglobalaccel cannot hold" << keys.toString(QKeySequence::PortableText);
        return false;
    }
    if (!answered(call(PATH, INTERFACE, QStringLiteral("doRegister"), {id}), "register the action"))
        return false;
    if (!listening_) {
        const QDBusMessage reply = call(PATH, INTERFACE, QStringLiteral("getComponent"), {kglobalaccel::component()});
        if (answered(reply, "name the component") && !reply.arguments().isEmpty()) {
            const QString path = qdbus_cast<QDBusObjectPath>(reply.arguments().first()).path();
            listening_ = QDBusConnection::sessionBus().connect(SERVICE, path, COMPONENT_INTERFACE,
                                                               QStringLiteral("globalShortcutPressed"), this,
                                                               SLOT(pressed(QString, QString, qlonglong)));
            if (!listening_)
                qWarning().noquote() << "kglobalaccel's presses cannot be heard on" << path;
        }
    }
    const QList<int> wanted = key ? QList<int>{key} : QList<int>{};
    const QDBusMessage reply = call(PATH, INTERFACE, QStringLiteral("setShortcut"),
                                    {id, QVariant::fromValue(wanted), SET_PRESENT | NO_AUTOLOADING});
    if (!answered(reply, "set the shortcut") || reply.arguments().isEmpty())
        return false;
    const QList<int> got = intList(reply.arguments().first());
    if (!kglobalaccel::granted(key, got)) {
        qWarning().noquote() << "kglobalaccel gave" << action << "another key than"
                             << keys.toString(QKeySequence::PortableText) << "(taken?):" << got;
        return false;
    }
    qInfo().noquote() << "kglobalaccel binds" << keys.toString(QKeySequence::PortableText) << "to" << action;
    return listening_ || key == 0;
}

void KGlobalAccelHotkeys::pressed(const QString& component, const QString& action, qlonglong)
{
    if (component != kglobalaccel::component())
        return;
    qInfo().noquote() << "kglobalaccel pressed" << action;
    activate(action);
}
