#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

#include "core/config.h"

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
        f.write(data);
    }

private slots:
    void freshStartUsesDefaultsAndLeavesFileEmpty()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("nested/klipora"));
        Config config(folder);
        QCOMPARE(config.filePath(), folder + QDir::separator() + QStringLiteral("config.json"));
        QVERIFY(QFile::exists(config.filePath()));
        QCOMPARE(readFile(config.filePath()), QByteArray());
        QCOMPARE(jsonString(config["language"]), QStringLiteral("zh_CN"));
        QCOMPARE(jsonString(config["snip"]["hotkey"]), QStringLiteral("F1"));
        QCOMPARE(jsonString(config["pin"]["hotkey"]), QStringLiteral("F3"));
        QCOMPARE(jsonString(config["record"]["hotkey"]), QStringLiteral("Ctrl+Alt+V"));
        QCOMPARE(jsonString(config["gif"]["hotkey"]), QStringLiteral("Ctrl+Alt+G"));
        QCOMPARE(jsonInt(config["record"]["framerate"]), 30);
        QCOMPARE(jsonInt(config["gif"]["framerate"]), 6);
        QCOMPARE(jsonBool(config["kliporaautorun"], true), false);
        QCOMPARE(jsonBool(config["detectwindow"], false), true);
        QCOMPARE(jsonString(config["snip"]["selector"]["border"]["color"]), QStringLiteral("#409EFF"));
        QCOMPARE(jsonString(config["record"]["selector"]["border"]["color"]), QStringLiteral("#ffff5500"));
        QCOMPARE(jsonString(config["gif"]["selector"]["border"]["color"]), QStringLiteral("#ffff00ff"));
        QCOMPARE(jsonInt(config["gif"]["selector"]["border"]["style"]), 4);
        QCOMPARE(jsonString(config["gif"]["selector"]["mask"]["color"]), QStringLiteral("#88000000"));
        QCOMPARE(config.videoPath(), QStandardPaths::writableLocation(QStandardPaths::MoviesLocation));
        QCOMPARE(config.gifPath(), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
        QCOMPARE(jsonString(config["record"]["path"]), config.videoPath());
        QVERIFY(QDir(config.videoPath()).exists());
        QVERIFY(QDir(config.gifPath()).exists());

        // the first change writes the completed document
        QSignalSpy spy(&config, &Config::changed);
        config.set(config["language"], QStringLiteral("en_US"));
        QCOMPARE(spy.count(), 1);
        const QByteArray text = readFile(config.filePath());
        QVERIFY(text.contains("\"language\": \"en_US\""));
        QVERIFY(text.contains("\"framerate\": 30"));
    }

    void emptyObjectIsCompletedInMemoryOnly()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("config.json")), "{}");
        Config config(dir.path());
        QCOMPARE(jsonString(config["gif"]["hotkey"]), QStringLiteral("Ctrl+Alt+G"));
        QCOMPARE(readFile(config.filePath()), QByteArray("{}"));
    }

    void partialFileKeepsItsValues()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("config.json")),
                  "{\"snip\": {\"hotkey\": \"F2\"}, \"record\": {\"path\": \"\"}, \"extra\": [1, 2]}");
        Config config(dir.path());
        QCOMPARE(jsonString(config["snip"]["hotkey"]), QStringLiteral("F2"));
        QCOMPARE(config["snip"]["selector"].size(), size_t(2));
        QCOMPARE(config["snip"]["selector"]["border"].size(), size_t(3));
        QCOMPARE(jsonInt(config["snip"]["selector"]["border"]["width"]), 1);
        // an empty folder falls back to the movies folder, and stays empty
        QCOMPARE(config.videoPath(), QStandardPaths::writableLocation(QStandardPaths::MoviesLocation));
        QCOMPARE(jsonString(config["record"]["path"], QStringLiteral("x")), QString());
        QVERIFY(config["extra"].is_array());
    }

    void wrongTypesFallBackToDefaults_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("array") << QByteArray("[1, 2, 3]");
        QTest::newRow("number") << QByteArray("42");
        QTest::newRow("string") << QByteArray("\"text\"");
        QTest::newRow("garbage") << QByteArray("{\"snip\": ");
        QTest::newRow("sections not objects")
            << QByteArray("{\"snip\": 3, \"record\": \"x\", \"gif\": [], \"pin\": true}");
        QTest::newRow("inner sections not objects")
            << QByteArray("{\"snip\": {\"selector\": 5}, \"gif\": {\"selector\": {\"border\": \"x\", \"mask\": 1}}}");
        QTest::newRow("wrong leaf types")
            << QByteArray("{\"language\": 7, \"kliporaautorun\": \"yes\", \"record\": {\"framerate\": \"fast\","
                          " \"hotkey\": 12}, \"gif\": {\"selector\": {\"border\": {\"width\": \"wide\"}}}}");
    }

    void wrongTypesFallBackToDefaults()
    {
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("config.json")), text);
        Config config(dir.path());
        QVERIFY(config.doc().is_object());
        QCOMPARE(jsonString(config["language"]), QStringLiteral("zh_CN"));
        QCOMPARE(config["kliporaautorun"], json(false));
        QCOMPARE(config["record"]["framerate"], json(30));
        QCOMPARE(config["record"]["hotkey"], json("Ctrl+Alt+V"));
        QCOMPARE(config["snip"]["hotkey"], json("F1"));
        QCOMPARE(config["pin"]["hotkey"], json("F3"));
        QCOMPARE(config["gif"]["selector"]["border"]["width"], json(1));
        QCOMPARE(config["gif"]["selector"]["mask"]["color"], json("#88000000"));
        QCOMPARE(config["snip"]["selector"]["border"]["style"], json(4));
        // the bad file is left alone until the first change
        QCOMPARE(readFile(config.filePath()), text);
    }

    void exactBytesOfTheDefaults()
    {
        QTemporaryDir dir;
        Config config(dir.path());
        config["record"]["path"] = "/v";
        config["gif"]["path"] = "/g";
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
            "        \"framerate\": 30,\r\n"
            "        \"hotkey\": \"Ctrl+Alt+V\",\r\n"
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
            config.set(config["record"]["path"], folder);
            config.set(config["snip"]["hotkey"], QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        }
        const QByteArray text = readFile(dir.filePath(QStringLiteral("config.json")));
        QVERIFY(text.contains(folder.toUtf8())); // written as UTF-8, not escaped
        Config again(dir.path());
        QCOMPARE(again.videoPath(), folder);
        QCOMPARE(jsonString(again["snip"]["hotkey"]), QStringLiteral("Ctrl+Shift+S"));
    }

    void failedSaveLeavesTheOldFile()
    {
        QTemporaryDir dir;
        Config config(dir.path());
        config.set(config["language"], QStringLiteral("en_US"));
        const QByteArray before = readFile(config.filePath());
        QVERIFY(before.contains("en_US"));
        // A file-size limit makes every write past 64 bytes fail, as on a full
        // disk, whatever our privileges.
        struct rlimit old;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        struct rlimit small = old;
        small.rlim_cur = 64;
        signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        config["language"] = "zh_CN";
        const bool saved = config.save();
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!saved);
        QCOMPARE(readFile(config.filePath()), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("config.json")});
    }

    void typedReadersNeverThrow()
    {
        QCOMPARE(jsonInt(json("x"), 5), 5);
        QCOMPARE(jsonString(json(3), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(jsonBool(json(nullptr), true), true);
        QCOMPARE(jsonInt(json(7)), 7);
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
