#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtTest>

#include "testutil.h"
#include "widgets/autorun.h"

// Reads one key of the [Desktop Entry] group back the way a session manager
// would: string escapes undone, then the Exec quoting undone.
static QString entryValue(const QByteArray& entry, const QString& key)
{
    const QStringList lines = QString::fromUtf8(entry).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (!line.startsWith(key + QLatin1Char('=')))
            continue;
        const QString raw = line.mid(key.size() + 1);
        QString out;
        for (int i = 0; i < raw.size(); ++i) {
            if (raw[i] == QLatin1Char('\\') && i + 1 < raw.size()) {
                const QChar n = raw[++i];
                out += n == QLatin1Char('n') ? QChar('\n') : n == QLatin1Char('t') ? QChar('\t') : n;
            } else {
                out += raw[i];
            }
        }
        return out;
    }
    return QStringLiteral("<absent>");
}

static QString unquoteExec(const QString& exec)
{
    QString s = exec;
    s.replace(QStringLiteral("%%"), QStringLiteral("%"));
    if (!s.startsWith(QLatin1Char('"')))
        return s;
    QString out;
    for (int i = 1; i < s.size() - 1; ++i) {
        if (s[i] == QLatin1Char('\\') && i + 1 < s.size() - 1)
            ++i;
        out += s[i];
    }
    return out;
}

class TestAutorun : public QObject
{
    Q_OBJECT

    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void init()
    {
        QFile::remove(autorun::desktopEntryPath());
    }

    void entryLivesInTheUsersAutostartFolder()
    {
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY(!config.isEmpty());
        QCOMPARE(autorun::desktopEntryPath(), config + QStringLiteral("/autostart/klipora.desktop"));
    }

    void entryNamesTheProgramAndItsState()
    {
        const QByteArray on = autorun::desktopEntry(QStringLiteral("/opt/klipora/bin/klipora"), true);
        QVERIFY(on.startsWith("[Desktop Entry]\n"));
        QCOMPARE(entryValue(on, QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(entryValue(on, QStringLiteral("Exec")), QStringLiteral("/opt/klipora/bin/klipora"));
        QCOMPARE(entryValue(on, QStringLiteral("Terminal")), QStringLiteral("false"));
        QCOMPARE(entryValue(on, QStringLiteral("Hidden")), QStringLiteral("<absent>"));

        const QByteArray off = autorun::desktopEntry(QStringLiteral("/opt/klipora/bin/klipora"), false);
        QCOMPARE(entryValue(off, QStringLiteral("Exec")), QStringLiteral("/opt/klipora/bin/klipora"));
        QCOMPARE(entryValue(off, QStringLiteral("Hidden")), QStringLiteral("true"));
    }

    void awkwardPathsSurviveTheEntry_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("spaces") << QStringLiteral("/home/ann/My Apps/klipora");
        QTest::newRow("quotes and dollar") << QStringLiteral("/tmp/a\"b$HOME`x`/klipora");
        QTest::newRow("backslash") << QStringLiteral("/tmp/back\\slash/klipora");
        QTest::newRow("percent") << QStringLiteral("/tmp/100%u/klipora");
        QTest::newRow("newline") << QStringLiteral("/tmp/line\nbreak/klipora");
        QTest::newRow("non-ascii") << QStringLiteral("/home/李/程序/klipora");
    }

    void awkwardPathsSurviveTheEntry()
    {
        QFETCH(QString, program);
        const QByteArray entry = autorun::desktopEntry(program, true);
        // one line per key: an embedded newline must not start a new key
        QCOMPARE(entry.count('\n'), 7);
        QCOMPARE(unquoteExec(entryValue(entry, QStringLiteral("Exec"))), program);

        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed");
        const QString file = testutil::tempDir() + QStringLiteral("/check.desktop");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(entry);
        f.close();
        const auto result = testutil::run(validator, {file});
        QVERIFY(result.finished);
        QVERIFY2(!result.out.contains("error") && result.exitCode == 0, result.out.constData());
    }

    void windowsRunValueIsQuotedNativePathOrEmpty()
    {
        const QString value = autorun::runValue(QStringLiteral("C:/Program Files/Klipora/klipora.exe"), true);
        QCOMPARE(value, QDir::toNativeSeparators(QStringLiteral("\"C:/Program Files/Klipora/klipora.exe\"")));
        QCOMPARE(autorun::runValue(QStringLiteral("C:/Program Files/Klipora/klipora.exe"), false), QString());
    }

    void turningOnAndOffKeepsTheEntry()
    {
        const QString path = autorun::desktopEntryPath();
        const QString program = QStringLiteral("/usr/local/bin/klipora");

        // off without an entry leaves nothing behind
        QVERIFY(autorun::apply(false, program));
        QVERIFY(!QFile::exists(path));

        QVERIFY(autorun::apply(true, program));
        QCOMPARE(readFile(path), autorun::desktopEntry(program, true));

        QVERIFY(autorun::apply(false, program));
        QVERIFY(QFile::exists(path));
        QCOMPARE(entryValue(readFile(path), QStringLiteral("Hidden")), QStringLiteral("true"));
        QCOMPARE(entryValue(readFile(path), QStringLiteral("Exec")), program);

        QVERIFY(autorun::apply(true, program));
        QCOMPARE(entryValue(readFile(path), QStringLiteral("Hidden")), QStringLiteral("<absent>"));
    }

    void entryIsRewrittenOnlyWhenItPointsElsewhere()
    {
        const QString path = autorun::desktopEntryPath();
        const QString program = QStringLiteral("/usr/bin/klipora");
        QVERIFY(autorun::apply(true, program));
        const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        // the next start finds it right and leaves it untouched
        QVERIFY(autorun::apply(true, program));
        QCOMPARE(QFileInfo(path).lastModified().toUTC().toSecsSinceEpoch(), old.toSecsSinceEpoch());

        // after an upgrade moved the program, the entry follows it
        const QString moved = QStringLiteral("/opt/klipora-2/bin/klipora");
        QVERIFY(autorun::apply(true, moved));
        QCOMPARE(readFile(path), autorun::desktopEntry(moved, true));
        QVERIFY(QFileInfo(path).lastModified().toUTC() > old.addDays(1));

        // a hand-edited entry for the same program is put right as well
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write("X-Extra=1\n");
        f.close();
        QVERIFY(autorun::apply(true, moved));
        QCOMPARE(readFile(path), autorun::desktopEntry(moved, true));
    }

    void unwritableFolderIsReported()
    {
        // a file where the autostart folder should be
        const QString folder = QFileInfo(autorun::desktopEntryPath()).absolutePath();
        QDir(folder).removeRecursively();
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!autorun::apply(true, QStringLiteral("/usr/bin/klipora")));
        QVERIFY(QFile::remove(folder));
        QVERIFY(autorun::apply(true, QStringLiteral("/usr/bin/klipora")));
    }
};

QTEST_GUILESS_MAIN(TestAutorun)
#include "tst_autorun.moc"
