// klipora-test: kde
#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QSignalSpy>
#include <QtTest>

#include "core/actionregistry.h"
#include "core/config.h"
#include "core/resources.h"
#include "klipora.h"

// The hotkeys as the settings page changes them (through the configuration),
// bound in Plasma's kglobalaccel and fired through it, in headless KWin.
namespace {

QStringList criticals;
QtMessageHandler previousHandler = nullptr;

void recordCriticals(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (type == QtCriticalMsg)
        criticals.append(msg);
    previousHandler(type, context, msg);
}

QDBusMessage kga(const QString& path, const QString& interface, const QString& method, const QVariantList& args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.kglobalaccel"), path, interface, method);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
}

QDBusMessage kgaRoot(const QString& method, const QVariantList& args)
{
    return kga(QStringLiteral("/kglobalaccel"), QStringLiteral("org.kde.KGlobalAccel"), method, args);
}

QList<int> intList(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QList<int>>(value.value<QDBusArgument>());
    return value.value<QList<int>>();
}

// The keys kglobalaccel holds for one of Klipora's actions.
QList<int> keysOf(const QString& action)
{
    const QStringList id = {QStringLiteral("klipora"), action, QStringLiteral("Klipora"), action};
    return intList(kgaRoot(QStringLiteral("shortcut"), {id}).arguments().value(0));
}

bool invoke(const QString& action)
{
    const QDBusMessage component = kgaRoot(QStringLiteral("getComponent"), {QStringLiteral("klipora")});
    if (component.type() != QDBusMessage::ReplyMessage)
        return false;
    const QString path = qdbus_cast<QDBusObjectPath>(component.arguments().first()).path();
    return kga(path, QStringLiteral("org.kde.kglobalaccel.Component"), QStringLiteral("invokeShortcut"), {action})
               .type()
        == QDBusMessage::ReplyMessage;
}

} // namespace

class TestKdeHotkeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qDBusRegisterMetaType<QList<int>>();
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        initResources();
        previousHandler = qInstallMessageHandler(recordCriticals);
        Config& config = Config::instance();
        config.set(Config::SnipHotkey, QStringLiteral("F1"));
        config.set(Config::PinHotkey, QStringLiteral("F3"));
        config.set(Config::GifHotkey, QStringLiteral("Ctrl+Alt+G"));
        config.set(Config::RecordHotkey, QStringLiteral("Ctrl+Alt+V"));
        config.set(Config::ScrollHotkey, QStringLiteral("Ctrl+Alt+S"));
    }

    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void changedHotkeysAreBoundAndFire()
    {
        Klipora app;
        QCOMPARE(criticals, QStringList());
        QCOMPARE(keysOf(QStringLiteral("snip")), QList<int>{int(Qt::Key_F1)});
        QCOMPARE(keysOf(QStringLiteral("gif")), QList<int>{int(Qt::CTRL | Qt::ALT | Qt::Key_G)});

        // the settings page moves one hotkey, and another takes its old keys
        Config& config = Config::instance();
        config.set(Config::PinHotkey, QStringLiteral("F5"));
        config.set(Config::SnipHotkey, QStringLiteral("F3"));
        QCOMPARE(criticals, QStringList());
        QCOMPARE(keysOf(QStringLiteral("pin")), QList<int>{int(Qt::Key_F5)});
        QCOMPARE(keysOf(QStringLiteral("snip")), QList<int>{int(Qt::Key_F3)});
        config.set(Config::ScrollHotkey, QStringLiteral("Meta+Shift+F7"));
        QCOMPARE(keysOf(QStringLiteral("scroll")), QList<int>{int(Qt::META | Qt::SHIFT | Qt::Key_F7)});

        // kglobalaccel's press reaches the action
        QSignalSpy triggered(app.actions(), &ActionRegistry::triggered);
        QVERIFY(invoke(QStringLiteral("pin")));
        QTRY_COMPARE_WITH_TIMEOUT(triggered.size(), 1, 30000);
        QCOMPARE(triggered.first().first().toString(), QStringLiteral("pin"));
        // nothing copied yet: nothing pinned, and nothing broken
        QVERIFY(app.history().empty());
    }

    void aTakenCombinationIsReportedOnce()
    {
        // another program holds F9
        const QStringList squatter = {QStringLiteral("squatter"), QStringLiteral("grab"), QStringLiteral("Squatter"),
                                      QStringLiteral("Grab")};
        QCOMPARE(kgaRoot(QStringLiteral("doRegister"), {squatter}).type(), QDBusMessage::ReplyMessage);
        const QDBusMessage squat = kgaRoot(QStringLiteral("setShortcut"),
                                           {squatter, QVariant::fromValue(QList<int>{int(Qt::Key_F9)}), 2u | 4u});
        QCOMPARE(intList(squat.arguments().value(0)), QList<int>{int(Qt::Key_F9)});

        Klipora app;
        criticals.clear();
        Config& config = Config::instance();
        config.set(Config::RecordHotkey, QStringLiteral("F9"));
        QCOMPARE(criticals.size(), 1);
        QVERIFY2(criticals.first().contains(QStringLiteral("<F9>")), qPrintable(criticals.first()));
        // the other program keeps it
        QVERIFY(!keysOf(QStringLiteral("record")).contains(int(Qt::Key_F9)));
        // an unrelated change does not repeat the message
        config.set(Config::GifHotkey, QStringLiteral("Ctrl+Alt+F"));
        QCOMPARE(criticals.size(), 1);
        QCOMPARE(keysOf(QStringLiteral("gif")), QList<int>{int(Qt::CTRL | Qt::ALT | Qt::Key_F)});
        // a free combination then works again
        config.set(Config::RecordHotkey, QStringLiteral("Ctrl+Alt+V"));
        QCOMPARE(criticals.size(), 1);
        QCOMPARE(keysOf(QStringLiteral("record")), QList<int>{int(Qt::CTRL | Qt::ALT | Qt::Key_V)});
    }
};

int main(int argc, char** argv)
{
    // the session has no X server; the toolkit's default would look for one
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestKdeHotkeys test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kdehotkeys.moc"
