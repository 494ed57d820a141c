#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTranslator>
#include <QtTest>

#include "testutil.h"
#include "widgets/retranslatable.h"

// Where the program finds its translations: beside the executable in a build
// tree, under share/klipora once installed.
class TestTranslationLookup : public QObject
{
    Q_OBJECT

    QString built(const QString& code) const
    {
        return QStringLiteral(KLIPORA_BIN_DIR "/translations/klipora_") + code + QStringLiteral(".qm");
    }

    static QString makeFolder(const QString& path)
    {
        QDir().mkpath(path);
        return path;
    }

    static QString translated(const char* context, const char* text)
    {
        return QCoreApplication::translate(context, text);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(built(QStringLiteral("zh_CN"))), "the build's translations are missing");
    }

    void installedLayoutIsSearchedAfterTheExecutablesFolder()
    {
        const QStringList folders = trs::translationFolders(QStringLiteral("/usr/bin"));
        QCOMPARE(folders, (QStringList{QStringLiteral("/usr/bin/translations"),
                                       QStringLiteral("/usr/share/klipora/translations")}));
        // a prefix moved elsewhere as a whole still finds its own share/
        QCOMPARE(trs::translationFolders(QStringLiteral("/opt/kp/bin")).value(1),
                 QStringLiteral("/opt/kp/share/klipora/translations"));
    }

    void firstFolderHoldingTheFileWins()
    {
        const QString root = testutil::tempDir() + QStringLiteral("/lookup");
        const QString beside = makeFolder(root + QStringLiteral("/bin/translations"));
        const QString shared = makeFolder(root + QStringLiteral("/share/klipora/translations"));
        QVERIFY(QFile::copy(built(QStringLiteral("zh_CN")), shared + QStringLiteral("/klipora_zh_CN.qm")));

        // only the installed folder has it
        QVERIFY(trs::loadLanguageFrom(QStringLiteral("zh_CN"), {beside, shared}));
        QCOMPARE(QFileInfo(trs::translator().filePath()).absolutePath(), shared);
        QCOMPARE(translated("Klipora", "Settings"), QStringLiteral("设置"));

        // the build tree's copy beside the executable comes first
        QVERIFY(QFile::copy(built(QStringLiteral("en_US")), beside + QStringLiteral("/klipora_zh_CN.qm")));
        QVERIFY(trs::loadLanguageFrom(QStringLiteral("zh_CN"), {beside, shared}));
        QCOMPARE(QFileInfo(trs::translator().filePath()).absolutePath(), beside);
        QCOMPARE(translated("Klipora", "Settings"), QStringLiteral("Settings"));
    }

    void missingEverywhereLeavesTheSourceTexts()
    {
        const QString root = testutil::tempDir() + QStringLiteral("/none");
        QVERIFY(trs::loadLanguageFrom(QStringLiteral("zh_CN"),
                                      {QStringLiteral(KLIPORA_BIN_DIR "/translations")}));
        QCOMPARE(translated("Klipora", "Settings"), QStringLiteral("设置"));
        QVERIFY(!trs::loadLanguageFrom(QStringLiteral("zh_CN"),
                                       {makeFolder(root + QStringLiteral("/a")), root + QStringLiteral("/b")}));
        QCOMPARE(translated("Klipora", "Settings"), QStringLiteral("Settings"));
    }
};

QTEST_GUILESS_MAIN(TestTranslationLookup)
#include "tst_translationlookup.moc"
