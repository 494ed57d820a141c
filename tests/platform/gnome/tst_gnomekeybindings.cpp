#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include "core/config.h"
#include "platform/desktop.h"
#include "platform/gnome/gnomekeybindings.h"
#include "platform/services.h"
#include "widgets/settingwindow.h"
#include "widgets/shortcutinput.h"

// The GNOME shortcut writer against the real gsettings with its keyfile
// backend in the private configuration folder the test runs with.
namespace {

const QString MEDIA = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString CUSTOM = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");
const QString USER_PATH = QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/");

QString gsettings(const QStringList& args, bool* ok = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("gsettings"), args);
    const bool done = p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = done;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

QString customKey(const QString& path, const QString& key)
{
    return gsettings({QStringLiteral("get"), CUSTOM + QLatin1Char(':') + path, key});
}

QStringList bindingList()
{
    QStringList paths;
    if (!gnomekeys::parseStringList(gsettings({QStringLiteral("get"), MEDIA, QStringLiteral("custom-keybindings")}),
                                    &paths))
        return {QStringLiteral("<unreadable>")};
    return paths;
}

QVector<HotkeyCommand> defaults()
{
    return {{QStringLiteral("snip"), QKeySequence(QStringLiteral("F1"))},
            {QStringLiteral("pin"), QKeySequence(QStringLiteral("F3"))},
            {QStringLiteral("record"), QKeySequence(QStringLiteral("Ctrl+Alt+V"))},
            {QStringLiteral("record --gif"), QKeySequence(QStringLiteral("Ctrl+Alt+G"))}};
}

} // namespace

class TestGnomeKeybindings : public QObject
{
    Q_OBJECT

private:
    bool write(GnomeKeybindingWriter& writer, const QVector<HotkeyCommand>& hotkeys, QString* message = nullptr)
    {
        QSignalSpy done(&writer, &GnomeKeybindingWriter::finished);
        if (!writer.write(hotkeys, QStringLiteral("/opt/klipora dir/klipora")))
            return false;
        if (!done.wait(30000) && done.isEmpty())
            return false;
        if (message)
            *message = done.first().at(1).toString();
        return done.first().first().toBool();
    }

private slots:
    void acceleratorsAreSpelledAsGtkDoes()
    {
        QCOMPARE(gnomekeys::accelerator(QKeySequence("Ctrl+Alt+V")), QStringLiteral("<Control><Alt>v"));
        QCOMPARE(gnomekeys::accelerator(QKeySequence("F1")), QStringLiteral("F1"));
        QCOMPARE(gnomekeys::accelerator(QKeySequence("Meta+Print")), QStringLiteral("<Super>Print"));
        QCOMPARE(gnomekeys::accelerator(QKeySequence("Shift+Ctrl+Space")), QStringLiteral("<Shift><Control>space"));
        QCOMPARE(gnomekeys::accelerator(QKeySequence("Ctrl+PgDown")), QStringLiteral("<Control>Next"));
        QCOMPARE(gnomekeys::accelerator(QKeySequence("Alt+Esc")), QStringLiteral("<Alt>Escape"));
        QCOMPARE(gnomekeys::accelerator(QKeySequence("Ctrl+1")), QStringLiteral("<Control>1"));
        QVERIFY(gnomekeys::accelerator(QKeySequence()).isEmpty());
        QVERIFY(gnomekeys::accelerator(QKeySequence(Qt::ControlModifier | Qt::Key_unknown)).isEmpty());
    }

    void kliporasPathsAreRecognisable()
    {
        const QString gif = gnomekeys::bindingPath("record --gif");
        QCOMPARE(gif, QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/klipora-record-gif/"));
        QVERIFY(gnomekeys::isKliporaPath(gif));
        QVERIFY(gnomekeys::isKliporaPath(gnomekeys::bindingPath("snip")));
        QVERIFY(!gnomekeys::isKliporaPath(USER_PATH));
        QVERIFY(gnomekeys::bindingPath("snip") != gnomekeys::bindingPath("scroll"));
    }

    void mergeKeepsTheUsersBindingsAndReplacesOurs()
    {
        const QString snip = gnomekeys::bindingPath("snip");
        const QString pin = gnomekeys::bindingPath("pin");
        const QString stale = gnomekeys::bindingPath("record");
        const QString other = QStringLiteral("/custom/other/");
        QCOMPARE(gnomekeys::mergeBindingPaths({USER_PATH, stale, other, snip}, {snip, pin}),
                 (QStringList{USER_PATH, other, snip, pin}));
        QCOMPARE(gnomekeys::mergeBindingPaths({}, {snip}), QStringList{snip});
        QCOMPARE(gnomekeys::mergeBindingPaths({USER_PATH, USER_PATH}, {}), QStringList{USER_PATH});
    }

    void stringListsRoundTrip()
    {
        QStringList items;
        QVERIFY(gnomekeys::parseStringList("@as []", &items));
        QVERIFY(items.isEmpty());
        QVERIFY(gnomekeys::parseStringList("['/a/', \"/b c/\",'it\\'s']", &items));
        QCOMPARE(items, (QStringList{"/a/", "/b c/", "it's"}));
        const QStringList tricky{"back\\slash", "quote'd", "double\"d", ""};
        QVERIFY(gnomekeys::parseStringList(gnomekeys::gvariantStringList(tricky), &items));
        QCOMPARE(items, tricky);
        QCOMPARE(gnomekeys::gvariantStringList({}), QStringLiteral("@as []"));
        for (const char* bad : {"", "nothing", "['open", "['a' 'b']", "['a',]", "[a]", "'a'"}) {
            items = QStringList{"untouched"};
            QVERIFY2(!gnomekeys::parseStringList(QString::fromLatin1(bad), &items), bad);
            QCOMPARE(items, QStringList{"untouched"});
        }
    }

    void commandsWriteEntriesBeforeTheList()
    {
        const QVector<QStringList> commands =
            gnomekeys::writeCommands({USER_PATH, gnomekeys::bindingPath("pin")},
                                     {{"snip", QKeySequence("F1")}, {"pin", QKeySequence()}}, "klipora");
        QCOMPARE(commands.size(), 5);
        const QString snipSchema = CUSTOM + ":" + gnomekeys::bindingPath("snip");
        QCOMPARE(commands.at(0), (QStringList{"set", snipSchema, "name", "'Klipora snip'"}));
        QCOMPARE(commands.at(1), (QStringList{"set", snipSchema, "command", "'klipora snip'"}));
        QCOMPARE(commands.at(2), (QStringList{"set", snipSchema, "binding", "'F1'"}));
        // pin lost its combination: its entry is cleared and leaves the list
        QCOMPARE(commands.at(3), (QStringList{"reset-recursively", CUSTOM + ":" + gnomekeys::bindingPath("pin")}));
        QCOMPARE(commands.at(4), (QStringList{"set", MEDIA, "custom-keybindings",
                                              gnomekeys::gvariantStringList({USER_PATH, gnomekeys::bindingPath("snip")})}));
    }

    void writerKeepsTheUsersShortcuts()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
            QSKIP("gsettings is not installed");
        qputenv("GSETTINGS_BACKEND", "keyfile");
        bool ok = false;
        gsettings({QStringLiteral("list-keys"), MEDIA}, &ok);
        if (!ok)
            QSKIP("the media-keys schema (gnome-settings-daemon-common) is not installed");

        // the user's own shortcut, set up as GNOME's settings would
        QVERIFY(gsettings({"set", CUSTOM + ":" + USER_PATH, "name", "'Terminal'"}, &ok).isEmpty() && ok);
        QVERIFY(gsettings({"set", CUSTOM + ":" + USER_PATH, "command", "'xterm'"}, &ok).isEmpty() && ok);
        QVERIFY(gsettings({"set", CUSTOM + ":" + USER_PATH, "binding", "'<Super>t'"}, &ok).isEmpty() && ok);
        QVERIFY(gsettings({"set", MEDIA, "custom-keybindings", "['" + USER_PATH + "']"}, &ok).isEmpty() && ok);

        GnomeKeybindingWriter writer;
        QString message;
        QVERIFY2(write(writer, defaults(), &message), qPrintable(message));
        QVERIFY(message.contains("4"));
        const QString gif = gnomekeys::bindingPath("record --gif");
        QCOMPARE(bindingList(), (QStringList{USER_PATH, gnomekeys::bindingPath("snip"), gnomekeys::bindingPath("pin"),
                                             gnomekeys::bindingPath("record"), gif}));
        QCOMPARE(customKey(gif, "binding"), QStringLiteral("'<Control><Alt>g'"));
        QCOMPARE(customKey(gif, "command"), QStringLiteral("\"'/opt/klipora dir/klipora' record --gif\""));
        QCOMPARE(customKey(USER_PATH, "command"), QStringLiteral("'xterm'"));

        // again, with pin unbound and snip moved: replaced, not added twice
        QVector<HotkeyCommand> changed = defaults();
        changed[0].keys = QKeySequence("Ctrl+Shift+A");
        changed[1].keys = QKeySequence();
        QVERIFY2(write(writer, changed, &message), qPrintable(message));
        QCOMPARE(bindingList(), (QStringList{USER_PATH, gnomekeys::bindingPath("snip"),
                                             gnomekeys::bindingPath("record"), gif}));
        QCOMPARE(customKey(gnomekeys::bindingPath("snip"), "binding"), QStringLiteral("'<Shift><Control>a'"));
        QCOMPARE(customKey(gnomekeys::bindingPath("pin"), "binding"), QStringLiteral("''"));
        QCOMPARE(customKey(USER_PATH, "binding"), QStringLiteral("'<Super>t'"));
    }

    void settingsWindowWritesOnlyWhenAsked()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
            QSKIP("gsettings is not installed");
        qputenv("GSETTINGS_BACKEND", "keyfile");
        bool ok = false;
        gsettings({"set", MEDIA, "custom-keybindings", "['" + USER_PATH + "']"}, &ok);
        if (!ok)
            QSKIP("the media-keys schema (gnome-settings-daemon-common) is not installed");
        platform::setCurrentDesktop(platform::Desktop::Gnome);
        platform::resetServices();
        Config::instance().set(Config::SnipHotkey, QKeySequence("Ctrl+Alt+F5"));

        SettingWindow window;
        auto* add = window.findChild<QPushButton*>("addGnomeShortcuts");
        auto* status = window.findChild<QLabel*>("gnomeShortcutsStatus");
        QVERIFY(add && status);
        // the keys can be chosen here, as GNOME will bind them
        QVERIFY(!window.findChildren<ShortcutInput*>().isEmpty());
        // nothing is written before the click
        QCOMPARE(bindingList(), QStringList{USER_PATH});

        add->click();
        QTRY_VERIFY_WITH_TIMEOUT(add->isEnabled() && !status->text().isEmpty(), 30000);
        QVERIFY2(status->text().contains("added"), qPrintable(status->text()));
        QCOMPARE(bindingList().first(), USER_PATH);
        QVERIFY(bindingList().contains(gnomekeys::bindingPath("snip")));
        QCOMPARE(customKey(gnomekeys::bindingPath("snip"), "binding"), QStringLiteral("'<Control><Alt>F5'"));
        QVERIFY(customKey(gnomekeys::bindingPath("snip"), "command").endsWith(" snip'"));
        platform::setCurrentDesktop(platform::Desktop::Headless);
        platform::resetServices();
    }

    void writerRefusesWhatItCannotRead()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
            QSKIP("gsettings is not installed");
        // a schema that is not there: a clear failure, nothing hangs
        const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_DIRS", QFile::encodeName(QDir::tempPath() + "/klipora-no-schemas"));
        GnomeKeybindingWriter writer;
        QString message;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("gsettings get .* failed"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("writing GNOME shortcuts failed"));
        QVERIFY(!write(writer, defaults(), &message));
        QVERIFY2(message.contains("not installed"), qPrintable(message));
        qputenv("XDG_DATA_DIRS", dataDirs);
        QVERIFY(!writer.busy());
    }
};

QTEST_MAIN(TestGnomeKeybindings)
#include "tst_gnomekeybindings.moc"
