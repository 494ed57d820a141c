#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

#include "core/config.h"

Q_DECLARE_METATYPE(QSystemTrayIcon::MessageIcon)

class TestConfig : public QObject
{
    Q_OBJECT

    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void writeFile(const QString& path, const QByteArray& data)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(data), qint64(data.size()));
    }
    static QStringList files(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::System, QDir::Name);
    }
    static const json& at(const Config& config, const char* pointer)
    {
        return config.doc().at(json::json_pointer(pointer));
    }
    static void checkAllDefaults(const Config& config)
    {
        QCOMPARE(config.string(Config::Language), QStringLiteral("zh_CN"));
        QCOMPARE(config.boolean(Config::AutoRun), false);
        QCOMPARE(config.integer(Config::RecordFramerate), 30);
        QCOMPARE(config.hotkey(Config::RecordHotkey), QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QCOMPARE(config.string(Config::SnipHotkey), QStringLiteral("F1"));
        QCOMPARE(config.string(Config::PinHotkey), QStringLiteral("F3"));
        QCOMPARE(config.integer(Config::GifBorderWidth), 1);
        QCOMPARE(config.string(Config::GifMaskColor), QStringLiteral("#88000000"));
        QCOMPARE(config.integer(Config::SnipBorderStyle), 4);
        QCOMPARE(config.hotkey(Config::ScrollHotkey), QKeySequence(QStringLiteral("Ctrl+Alt+S")));
        QCOMPARE(config.integer(Config::ScrollMaxLength), 30000);
    }

private slots:
    void initTestCase() { qRegisterMetaType<QSystemTrayIcon::MessageIcon>(); }

    void freshStartUsesDefaultsAndLeavesFileEmpty()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("nested/klipora"));
        Config config(folder);
        QCOMPARE(config.filePath(), folder + QDir::separator() + QStringLiteral("config.json"));
        QVERIFY(QFile::exists(config.filePath()));
        QCOMPARE(readFile(config.filePath()), QByteArray());
        checkAllDefaults(config);
        QCOMPARE(config.string(Config::GifHotkey), QStringLiteral("Ctrl+Alt+G"));
        QCOMPARE(config.integer(Config::GifFramerate), 6);
        QCOMPARE(config.boolean(Config::DetectWindow), true);
        QCOMPARE(config.color(Config::SnipBorderColor), QColor(0x40, 0x9e, 0xff));
        QCOMPARE(config.string(Config::RecordBorderColor), QStringLiteral("#ffff5500"));
        QCOMPARE(config.string(Config::GifBorderColor), QStringLiteral("#ffff00ff"));
        QCOMPARE(config.videoPath(), QStandardPaths::writableLocation(QStandardPaths::MoviesLocation));
        QCOMPARE(config.gifPath(), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
        QCOMPARE(config.string(Config::RecordPath), config.videoPath());
        QVERIFY(QDir(config.videoPath()).exists());
        QVERIFY(QDir(config.gifPath()).exists());

        const SelectorTheme theme = config.selectorTheme(Config::Record);
        QCOMPARE(theme.borderColor, QColor(0xff, 0x55, 0x00));
        QCOMPARE(theme.borderWidth, 1);
        QCOMPARE(theme.borderStyle, Qt::DashDotLine);
        QCOMPARE(theme.maskColor, QColor(0, 0, 0, 0x88));

        // the first change writes the completed document
        QSignalSpy spy(&config, &Config::changed);
        QSignalSpy messages(&config, &Config::SHOW_MESSAGE);
        config.set(Config::Language, QStringLiteral("en_US"));
        QCOMPARE(spy.count(), 1);
        const QByteArray text = readFile(config.filePath());
        QVERIFY(text.contains("\"language\": \"en_US\""));
        QVERIFY(text.contains("\"framerate\": 30"));
        QCoreApplication::processEvents();
        QCOMPARE(messages.count(), 0);
    }

    void emptyObjectIsCompletedInMemoryOnly()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("config.json")), "{}");
        Config config(dir.path());
        QCOMPARE(config.string(Config::GifHotkey), QStringLiteral("Ctrl+Alt+G"));
        QCOMPARE(readFile(config.filePath()), QByteArray("{}"));
    }

    void partialFileKeepsItsValues()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("config.json")),
                  "{\"snip\": {\"hotkey\": \"F2\"}, \"record\": {\"path\": \"\"}, \"extra\": [1, 2]}");
        Config config(dir.path());
        QCOMPARE(config.string(Config::SnipHotkey), QStringLiteral("F2"));
        QCOMPARE(at(config, "/snip/selector").size(), size_t(2));
        QCOMPARE(at(config, "/snip/selector/border").size(), size_t(3));
        QCOMPARE(config.integer(Config::SnipBorderWidth), 1);
        // an empty folder falls back to the movies folder, and stays empty
        QCOMPARE(config.videoPath(), QStandardPaths::writableLocation(QStandardPaths::MoviesLocation));
        QCOMPARE(config.string(Config::RecordPath), QString());
        QVERIFY(at(config, "/extra").is_array());
        // extra keys survive a save
        config.set(Config::GifFramerate, 9);
        Config again(dir.path());
        QCOMPARE(again.integer(Config::GifFramerate), 9);
        QCOMPARE(at(again, "/extra"), json({1, 2}));
    }

    void wrongTypesFallBackToDefaults_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("sections not objects")
            << QByteArray("{\"snip\": 3, \"record\": \"x\", \"gif\": [], \"pin\": true}");
        QTest::newRow("inner sections not objects")
            << QByteArray("{\"snip\": {\"selector\": 5}, \"gif\": {\"selector\": {\"border\": \"x\", \"mask\": 1}}}");
        QTest::newRow("wrong leaf types")
            << QByteArray("{\"language\": 7, \"kliporaautorun\": \"yes\", \"record\": {\"framerate\": \"fast\","
                          " \"hotkey\": 12}, \"gif\": {\"selector\": {\"border\": {\"width\": \"wide\"}}}}");
        QTest::newRow("colours that are none")
            << QByteArray("{\"gif\": {\"selector\": {\"mask\": {\"color\": \"#12\"}}}, \"snip\": {\"selector\":"
                          " {\"border\": {\"color\": \"\"}}}}");
    }

    void wrongTypesFallBackToDefaults()
    {
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("config.json")), text);
        Config config(dir.path());
        QVERIFY(config.doc().is_object());
        checkAllDefaults(config);
        QCOMPARE(config.color(Config::SnipBorderColor), QColor(0x40, 0x9e, 0xff));
        // a readable document is no damaged file: left alone, no copy, no balloon
        QSignalSpy messages(&config, &Config::SHOW_MESSAGE);
        QCoreApplication::processEvents();
        QCOMPARE(messages.count(), 0);
        QCOMPARE(readFile(config.filePath()), text);
        QCOMPARE(files(dir.path()), QStringList{QStringLiteral("config.json")});
    }

    void numbersAreClampedIntoTheirRange_data()
    {
        QTest::addColumn<QByteArray>("width");
        QTest::addColumn<QByteArray>("style");
        QTest::addColumn<QByteArray>("framerate");
        QTest::addColumn<int>("expectedWidth");
        QTest::addColumn<int>("expectedStyle");
        QTest::addColumn<int>("expectedFramerate");
        QTest::newRow("int max") << QByteArray("2147483647") << QByteArray("99") << QByteArray("0") << 99 << 6 << 1;
        QTest::newRow("negative") << QByteArray("-50") << QByteArray("-1") << QByteArray("-2147483649") << 0 << 0
                                  << 1;
        QTest::newRow("uint64 max") << QByteArray("18446744073709551615") << QByteArray("9223372036854775807")
                                    << QByteArray("18446744073709551615") << 99 << 6 << 120;
        QTest::newRow("fractions") << QByteArray("2.6") << QByteArray("1e300") << QByteArray("-1e300") << 3 << 6
                                   << 1;
        QTest::newRow("in range") << QByteArray("7") << QByteArray("2") << QByteArray("60") << 7 << 2 << 60;
    }

    void numbersAreClampedIntoTheirRange()
    {
        QFETCH(QByteArray, width);
        QFETCH(QByteArray, style);
        QFETCH(QByteArray, framerate);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("config.json")),
                  "{\"record\": {\"framerate\": " + framerate + ", \"selector\": {\"border\": {\"width\": " + width
                      + ", \"style\": " + style + "}}}}");
        Config config(dir.path());
        QTEST(config.integer(Config::RecordBorderWidth), "expectedWidth");
        QTEST(config.integer(Config::RecordBorderStyle), "expectedStyle");
        QTEST(config.integer(Config::RecordFramerate), "expectedFramerate");
        QTEST(int(config.selectorTheme(Config::Record).borderStyle), "expectedStyle");
        // the document holds the clamped integers, and saves them so
        QVERIFY(at(config, "/record/framerate").is_number_integer());
        QVERIFY(config.save());
        Config again(dir.path());
        QTEST(again.integer(Config::RecordFramerate), "expectedFramerate");
    }

    void accessorsKeepTypesAndRanges()
    {
        QTemporaryDir dir;
        Config config(dir.path());
        QSignalSpy changed(&config, &Config::changed);

        config.set(Config::GifFramerate, 1000);
        QCOMPARE(config.integer(Config::GifFramerate), Config::maximum(Config::GifFramerate));
        config.set(Config::SnipBorderWidth, -3);
        QCOMPARE(config.integer(Config::SnipBorderWidth), 0);
        QCOMPARE(changed.count(), 2);

        config.set(Config::SnipMaskColor, QColor(0x10, 0x20, 0x30, 0x40));
        QCOMPARE(config.string(Config::SnipMaskColor), QStringLiteral("#40102030"));
        config.set(Config::SnipMaskColor, QStringLiteral("no colour"));
        QCOMPARE(config.string(Config::SnipMaskColor), QStringLiteral("#40102030"));
        QCOMPARE(changed.count(), 3);

        config.set(Config::PinHotkey, QKeySequence(Qt::CTRL | Qt::Key_F3));
        QCOMPARE(config.string(Config::PinHotkey), QStringLiteral("Ctrl+F3"));
        QCOMPARE(config.hotkey(Config::PinHotkey), QKeySequence(Qt::CTRL | Qt::Key_F3));

        // a reader of the wrong kind gets a neutral value and a log line
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("not an integer setting"));
        QCOMPARE(config.integer(Config::Language), 0);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("not an integer setting"));
        config.set(Config::AutoRun, 1);
        QCOMPARE(config.boolean(Config::AutoRun), false);
        QCOMPARE(changed.count(), 4);

        QCOMPARE(Config::name(Config::GifBorderStyle), QStringLiteral("gif / selector / border / style"));
        QCOMPARE(Config::keys(Config::Gif).framerate, Config::GifFramerate);
        QCOMPARE(Config::keys(Config::Pin).framerate, Config::KeyCount);
    }

    void exactBytesOfTheDefaults()
    {
        QTemporaryDir dir;
        Config config(dir.path());
        config.set(Config::RecordPath, QStringLiteral("/v"));
        config.set(Config::GifPath, QStringLiteral("/g"));
        QVERIFY(config.save());
        const QByteArray expected =
            "{\r\n"
            "    \"detectwindow\": true,\r\n"
            "    \"gif\": {\r\n"
            "        \"framerate\": 6,\r\n"
            "        \"hotkey\": \"Ctrl+Alt+G\",\r\n"
            "        \"path\": \"/g\",\r\n"
            "        \"selector\": {\r\n"
            "            \"border\": {\r\n"
            "                \"color\": \"#ffff00ff\",\r\n"
            "                \"style\": 4,\r\n"
            "                \"width\": 1\r\n"
            "            },\r\n"
            "            \"mask\": {\r\n"
            "                \"color\": \"#88000000\"\r\n"
            "            }\r\n"
            "        }\r\n"
            "    },\r\n"
            "    \"kliporaautorun\": false,\r\n"
            "    \"language\": \"zh_CN\",\r\n"
            "    \"pin\": {\r\n"
            "        \"hotkey\": \"F3\"\r\n"
            "    },\r\n"
            "    \"record\": {\r\n"
            "        \"audiosource\": \"\",\r\n"
            "        \"framerate\": 30,\r\n"
            "        \"hotkey\": \"Ctrl+Alt+V\",\r\n"
            "        \"microphone\": false,\r\n"
            "        \"path\": \"/v\",\r\n"
            "        \"selector\": {\r\n"
            "            \"border\": {\r\n"
            "                \"color\": \"#ffff5500\",\r\n"
            "                \"style\": 4,\r\n"
            "                \"width\": 1\r\n"
            "            },\r\n"
            "            \"mask\": {\r\n"
            "                \"color\": \"#88000000\"\r\n"
            "            }\r\n"
            "        }\r\n"
            "    },\r\n"
            "    \"scroll\": {\r\n"
            "        \"hotkey\": \"Ctrl+Alt+S\",\r\n"
            "        \"maxlength\": 30000\r\n"
            "    },\r\n"
            "    \"snip\": {\r\n"
            "        \"hotkey\": \"F1\",\r\n"
            "        \"selector\": {\r\n"
            "            \"border\": {\r\n"
            "                \"color\": \"#409EFF\",\r\n"
            "                \"style\": 4,\r\n"
            "                \"width\": 1\r\n"
            "            },\r\n"
            "            \"mask\": {\r\n"
            "                \"color\": \"#88000000\"\r\n"
            "            }\r\n"
            "        }\r\n"
            "    }\r\n"
            "}";
        QCOMPARE(readFile(config.filePath()), expected);
    }

    void nonAsciiFolderSurvivesSaveAndReload()
    {
        QTemporaryDir dir;
        const QString folder = QStringLiteral("/home/用户/视频 Ünïcode");
        {
            Config config(dir.path());
            config.set(Config::RecordPath, folder);
            config.set(Config::SnipHotkey, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        }
        const QByteArray text = readFile(dir.filePath(QStringLiteral("config.json")));
        QVERIFY(text.contains(folder.toUtf8())); // written as UTF-8, not escaped
        Config again(dir.path());
        QCOMPARE(again.videoPath(), folder);
        QCOMPARE(again.string(Config::SnipHotkey), QStringLiteral("Ctrl+Shift+S"));
    }

    void failedSaveKeepsTheOldFileAndSaysSoOnce()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs a file-size limit (POSIX setrlimit)");
#else
        QTemporaryDir dir;
        Config config(dir.path());
        config.set(Config::Language, QStringLiteral("en_US"));
        const QByteArray before = readFile(config.filePath());
        QVERIFY(before.contains("en_US"));
        QSignalSpy messages(&config, &Config::SHOW_MESSAGE);
        // A file-size limit makes every write past 64 bytes fail, as on a full
        // disk, whatever our privileges.
        struct rlimit old;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        struct rlimit small = old;
        small.rlim_cur = 64;
        signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        config.set(Config::Language, QStringLiteral("zh_CN"));
        config.set(Config::GifFramerate, 8);
        const bool saved = config.save();
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!saved);
        QCOMPARE(readFile(config.filePath()), before);
        QCOMPARE(files(dir.path()), QStringList{QStringLiteral("config.json")});
        // three failures, one balloon
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(2).value<QSystemTrayIcon::MessageIcon>(), QSystemTrayIcon::Critical);
        QVERIFY(messages.at(0).at(1).toString().contains(config.filePath()));

        // once saving works again a new failure is news again
        QVERIFY(config.save());
        QVERIFY(readFile(config.filePath()).contains("\"framerate\": 8"));
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool again = config.save();
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!again);
        QCOMPARE(messages.count(), 2);
#endif
    }

    void damagedFileIsKeptBesideAndAnnouncedOnce_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("trailing comma") << QByteArray("{\"language\": \"en_US\", \"extra\": 1,}");
        QTest::newRow("number too large") << QByteArray("{\"record\": {\"framerate\": 1e400}}");
        QTest::newRow("array") << QByteArray("[1, 2, 3]");
        QTest::newRow("number") << QByteArray("42");
        QTest::newRow("cut short") << QByteArray("{\"snip\": ");
        QTest::newRow("invalid UTF-8") << QByteArray("{\"language\": \"\xff\xfe\"}");
        QTest::newRow("too deep") << QByteArray(10000, '[') + QByteArray(10000, ']');
        QTest::newRow("too deep objects")
            << QByteArray("{\"a\":{\"b\":{\"c\":{\"d\":{\"e\":{\"f\":{\"g\":{\"h\":{\"i\":{}}}}}}}}}}");
        QTest::newRow("too large") << QByteArray("{\"language\": \"en_US\"}") + QByteArray(Config::MAX_FILE_SIZE, ' ');
    }

    void damagedFileIsKeptBesideAndAnnouncedOnce()
    {
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("config.json"));
        writeFile(file, text);
        QElapsedTimer timer;
        timer.start();
        Config config(dir.path());
        QVERIFY2(timer.elapsed() < 5000, "a damaged file must not hold up the start");
        QSignalSpy messages(&config, &Config::SHOW_MESSAGE);
        checkAllDefaults(config);
        const QString copy = file + QStringLiteral(".bad");
        QCOMPARE(readFile(copy), text);
        QTRY_COMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(2).value<QSystemTrayIcon::MessageIcon>(), QSystemTrayIcon::Warning);
        QVERIFY2(messages.at(0).at(1).toString().contains(copy), qPrintable(messages.at(0).at(1).toString()));
        // the first save replaces the damaged file; the copy stays
        config.set(Config::GifFramerate, 7);
        QVERIFY(json::parse(readFile(file).toStdString()).is_object());
        QCOMPARE(readFile(copy), text);
        QCoreApplication::processEvents();
        QCOMPARE(messages.count(), 1);
    }

    void secondDamagedFileDoesNotOverwriteTheFirstCopy()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("config.json"));
        writeFile(file, "{,}");
        { Config first(dir.path()); }
        writeFile(file, "{\"language\": }");
        QString named;
        {
            Config second(dir.path());
            QSignalSpy messages(&second, &Config::SHOW_MESSAGE);
            QTRY_COMPARE(messages.count(), 1);
            named = messages.at(0).at(1).toString();
        }
        const QStringList kept = files(dir.path()).filter(QStringLiteral("config.json.bad"));
        QCOMPARE(kept.size(), 2);
        QCOMPARE(readFile(file + QStringLiteral(".bad")), QByteArray("{,}"));
        const QString stamped = dir.filePath(kept.at(1));
        QVERIFY(stamped.startsWith(file + QStringLiteral(".bad-")));
        QCOMPARE(readFile(stamped), QByteArray("{\"language\": }"));
        QVERIFY(named.contains(stamped));
        // the same damage once more is not copied a third time
        { Config third(dir.path()); }
        QCOMPARE(files(dir.path()).filter(QStringLiteral("config.json.bad")).size(), 2);
    }

    void symlinkToAFileIsWrittenThrough()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("dotfiles")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("conf")));
        const QString target = dir.filePath(QStringLiteral("dotfiles/klipora.json"));
        writeFile(target, "{\"snip\": {\"hotkey\": \"F7\"}}");
        const QString link = dir.filePath(QStringLiteral("conf/config.json"));
        QVERIFY(QFile::link(target, link));
        Config config(dir.filePath(QStringLiteral("conf")));
        QCOMPARE(config.string(Config::SnipHotkey), QStringLiteral("F7"));
        config.set(Config::PinHotkey, QStringLiteral("F9"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(link).symLinkTarget(), target);
        QVERIFY(readFile(target).contains("\"hotkey\": \"F9\""));
        QCOMPARE(files(dir.filePath(QStringLiteral("dotfiles"))), QStringList{QStringLiteral("klipora.json")});
    }

    void specialFilesAreLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << QStringLiteral("fifo");
        QTest::newRow("link to fifo") << QStringLiteral("link to fifo");
        QTest::newRow("link to device") << QStringLiteral("link to device");
        QTest::newRow("folder") << QStringLiteral("folder");
    }

    void specialFilesAreLeftAlone()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs FIFOs and device nodes (POSIX)");
#else
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("config.json"));
        const QString node = dir.filePath(QStringLiteral("node"));
        const QByteArray nodeName = QFile::encodeName(node);
        if (kind.endsWith(QLatin1String("fifo"))) {
            QCOMPARE(mkfifo(nodeName.constData(), 0600), 0);
        } else if (kind == QLatin1String("link to device")) {
            // our own null device node, so that a faulty save can only hurt it
            if (mknod(nodeName.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
                QSKIP("cannot make a device node here");
        } else {
            QVERIFY(QDir().mkpath(node));
        }
        if (kind.startsWith(QLatin1String("link")))
            QVERIFY(QFile::link(node, file));
        else
            QVERIFY(QDir().rename(node, file));
        const QString special = kind.startsWith(QLatin1String("link")) ? node : file;
        struct stat before;
        QCOMPARE(stat(QFile::encodeName(special).constData(), &before), 0);

        // the constructor returns (a FIFO opened for reading would block it)
        Config config(dir.path());
        QSignalSpy messages(&config, &Config::SHOW_MESSAGE);
        checkAllDefaults(config);
        config.set(Config::GifFramerate, 12);
        QCOMPARE(config.integer(Config::GifFramerate), 12);
        QVERIFY(!config.save());
        QTRY_COMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(2).value<QSystemTrayIcon::MessageIcon>(), QSystemTrayIcon::Warning);
        QVERIFY(messages.at(0).at(1).toString().contains(file));

        struct stat after;
        QCOMPARE(stat(QFile::encodeName(special).constData(), &after), 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(QFileInfo(file).isSymLink(), kind.startsWith(QLatin1String("link")));
        QVERIFY(files(dir.path()).filter(QStringLiteral(".bad")).isEmpty());
#endif
    }

    void depthIsCountedOutsideStrings()
    {
        QCOMPARE(jsonDepth("{}", 8), 1);
        QCOMPARE(jsonDepth("{\"a\": [[1], {\"b\": []}]}", 8), 4);
        QCOMPARE(jsonDepth("{\"a\": \"[[[[[[[[[[[[\\\"[[[[\"}", 8), 1);
        QCOMPARE(jsonDepth(QByteArray(100000, '{'), 8), 9);
        QCOMPARE(jsonDepth("", 8), 0);
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
