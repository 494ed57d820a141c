#include <QtTest>

#include "core/commandline.h"

Q_DECLARE_METATYPE(CommandLine)

namespace {

CommandLine make(CommandLine::Command command)
{
    CommandLine line;
    line.command = command;
    return line;
}

QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void goodForms_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<CommandLine>("expected");

        QTest::newRow("nothing starts") << QStringList() << make(CommandLine::START);
        QTest::newRow("help") << words("--help") << make(CommandLine::HELP);
        QTest::newRow("-h") << words("-h") << make(CommandLine::HELP);
        QTest::newRow("help wins anywhere") << words("shot --delay x --help") << make(CommandLine::HELP);
        QTest::newRow("version") << words("--version") << make(CommandLine::VERSION);
        QTest::newRow("snip") << words("snip") << make(CommandLine::SNIP);
        CommandLine delayed = make(CommandLine::SNIP);
        delayed.delayMs = 1500;
        QTest::newRow("snip --delay") << words("snip --delay 1500") << delayed;
        QTest::newRow("snip --delay=") << words("snip --delay=1500") << delayed;
        CommandLine zero = make(CommandLine::SNIP);
        QTest::newRow("zero delay") << words("snip --delay 0") << zero;

        CommandLine file = make(CommandLine::SHOT);
        file.path = QStringLiteral("out.PNG");
        QTest::newRow("shot file") << words("shot --path out.PNG") << file;
        CommandLine full = make(CommandLine::SHOT);
        full.path = QStringLiteral("/tmp/a b.jpeg");
        full.hasRegion = true;
        full.region = QRect(-10, 20, 300, 1);
        full.delayMs = 3600000;
        QTest::newRow("shot with everything")
            << (QStringList() << QStringLiteral("shot") << QStringLiteral("--delay") << QStringLiteral("3600000")
                              << QStringLiteral("--region=-10,20,300,1") << QStringLiteral("--path")
                              << QStringLiteral("/tmp/a b.jpeg"))
            << full;
        CommandLine clip = make(CommandLine::SHOT);
        clip.clipboard = true;
        clip.hasRegion = true;
        clip.region = QRect(0, 0, 1, 1);
        QTest::newRow("shot clipboard") << words("shot --clipboard --region 0,0,1,1") << clip;

        QTest::newRow("pin newest") << words("pin") << make(CommandLine::PIN);
        CommandLine pins = make(CommandLine::PIN);
        pins.files = QStringList{QStringLiteral("a.png"), QStringLiteral("b.jpg")};
        QTest::newRow("pin files") << words("pin a.png b.jpg") << pins;
        CommandLine dashed = make(CommandLine::PIN);
        dashed.files = QStringList{QStringLiteral("a.png"), QStringLiteral("--odd.png")};
        QTest::newRow("pin after --") << words("pin a.png -- --odd.png") << dashed;

        QTest::newRow("record") << words("record") << make(CommandLine::RECORD);
        CommandLine gif = make(CommandLine::RECORD);
        gif.gif = true;
        gif.hasRegion = true;
        gif.region = QRect(100, 200, 640, 480);
        QTest::newRow("record gif region") << words("record --region 100,200,640,480 --gif") << gif;
        QTest::newRow("scroll") << words("scroll") << make(CommandLine::SCROLL);
        CommandLine scrollFile = make(CommandLine::SCROLL);
        scrollFile.path = QStringLiteral("page.png");
        QTest::newRow("scroll to a file") << words("scroll --path page.png") << scrollFile;
        QTest::newRow("settings") << words("settings") << make(CommandLine::SETTINGS);
        QTest::newRow("quit") << words("quit") << make(CommandLine::QUIT);
    }

    void goodForms()
    {
        QFETCH(QStringList, args);
        QFETCH(CommandLine, expected);
        const ParsedCommandLine parsed = parseCommandLine(args);
        QCOMPARE(parsed.status, 0);
        QVERIFY(parsed.error.isEmpty());
        QVERIFY2(parsed.line == expected, qPrintable(parsed.line.toArguments().join(QLatin1Char(' '))));
        // what a client sends is read back as the same command
        const ParsedCommandLine again = parseCommandLine(parsed.line.toArguments());
        QCOMPARE(again.status, 0);
        QVERIFY(again.line == expected || expected.command == CommandLine::HELP);
    }

    void badForms_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown command") << words("snap") << "unknown command 'snap'";
        QTest::newRow("unknown leading option") << words("--verbose") << "unknown option '--verbose'";
        QTest::newRow("version with more") << words("--version snip") << "--version takes no arguments";
        QTest::newRow("unknown option") << words("snip --fast") << "unknown option '--fast'";
        QTest::newRow("stray word") << words("snip now") << "unexpected argument 'now' for snip";
        QTest::newRow("single dash") << words("record -g") << "unexpected argument '-g' for record";
        QTest::newRow("option of another command") << words("snip --region 0,0,1,1") << "snip does not take --region";
        QTest::newRow("gif on shot") << words("shot --gif --clipboard") << "shot does not take --gif";
        QTest::newRow("delay on record") << words("record --delay 5") << "record does not take --delay";
        QTest::newRow("settings with args") << words("settings now") << "unexpected argument 'now' for settings";
        QTest::newRow("quit with option") << words("quit --delay 1") << "quit does not take --delay";
        QTest::newRow("missing delay") << words("snip --delay") << "--delay needs a value";
        QTest::newRow("negative delay") << words("snip --delay -5") << "--delay wants milliseconds";
        QTest::newRow("fraction delay") << words("snip --delay 1.5") << "--delay wants milliseconds";
        QTest::newRow("word delay") << words("snip --delay soon") << "--delay wants milliseconds";
        QTest::newRow("empty delay") << words("snip --delay=") << "--delay wants milliseconds";
        QTest::newRow("delay over an hour") << words("snip --delay 3600001") << "--delay wants milliseconds";
        QTest::newRow("huge delay") << words("snip --delay 99999999999999999999") << "--delay wants milliseconds";
        QTest::newRow("delay twice") << words("snip --delay 1 --delay 2") << "--delay given twice";
        QTest::newRow("region three parts") << words("record --region 1,2,3") << "--region wants X,Y,W,H";
        QTest::newRow("region five parts") << words("record --region 1,2,3,4,5") << "--region wants X,Y,W,H";
        QTest::newRow("region zero width") << words("record --region 0,0,0,10") << "--region wants X,Y,W,H";
        QTest::newRow("region negative height") << words("record --region 0,0,10,-1") << "--region wants X,Y,W,H";
        QTest::newRow("region letters") << words("record --region a,b,c,d") << "--region wants X,Y,W,H";
        QTest::newRow("region plus sign") << words("record --region +1,0,5,5") << "--region wants X,Y,W,H";
        QTest::newRow("region x-separated") << words("record --region 10x10+0+0") << "--region wants X,Y,W,H";
        QTest::newRow("region overflow") << words("record --region 0,0,99999999999,5") << "--region wants X,Y,W,H";
        QTest::newRow("region twice") << words("record --region 0,0,5,5 --region 0,0,5,5") << "--region given twice";
        QTest::newRow("region missing") << words("record --region") << "--region needs a value";
        QTest::newRow("gif twice") << words("record --gif --gif") << "--gif given twice";
        QTest::newRow("gif with value") << words("record --gif=yes") << "--gif takes no value";
        QTest::newRow("shot without output") << words("shot --region 0,0,5,5") << "shot needs --path FILE or --clipboard";
        QTest::newRow("shot with both") << words("shot --clipboard --path a.png") << "either --path or --clipboard";
        QTest::newRow("shot path missing") << words("shot --path") << "--path needs a value";
        QTest::newRow("shot path empty") << words("shot --path=") << "--path needs a file name";
        QTest::newRow("shot no extension") << words("shot --path out") << "cannot tell the image format of 'out'";
        QTest::newRow("shot unknown format") << words("shot --path a.gif") << "cannot tell the image format of 'a.gif'";
        QTest::newRow("shot path twice") << words("shot --path a.png --path b.png") << "--path given twice";
        QTest::newRow("clipboard twice") << words("shot --clipboard --clipboard") << "--clipboard given twice";
        QTest::newRow("scroll to the clipboard") << words("scroll --clipboard") << "scroll does not take --clipboard";
        QTest::newRow("scroll with a region") << words("scroll --region 0,0,5,5") << "scroll does not take --region";
        QTest::newRow("scroll unknown format") << words("scroll --path a.gif") << "cannot tell the image format of 'a.gif'";
        QTest::newRow("pin option") << words("pin --region 0,0,1,1") << "pin does not take --region";
        QTest::newRow("pin empty name") << (QStringList() << QStringLiteral("pin") << QString()) << "an empty file name";
    }

    void badForms()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const ParsedCommandLine parsed = parseCommandLine(args);
        QCOMPARE(parsed.status, 2);
        QVERIFY2(parsed.error.contains(message), qPrintable(parsed.error));
        QVERIFY(!parsed.error.contains(QLatin1Char('\n')));
    }

    void relativePathsResolveAgainstTheCallersFolder()
    {
        ParsedCommandLine parsed = parseCommandLine(words("pin a.png ../b.png /abs/c.png"));
        QCOMPARE(parsed.status, 0);
        const CommandLine line = withAbsolutePaths(parsed.line, QStringLiteral("/home/u/pics"));
        QCOMPARE(line.files, (QStringList{QStringLiteral("/home/u/pics/a.png"), QStringLiteral("/home/u/b.png"),
                                          QStringLiteral("/abs/c.png")}));
        parsed = parseCommandLine(words("shot --path out/x.png"));
        QCOMPARE(withAbsolutePaths(parsed.line, QStringLiteral("/w")).path, QStringLiteral("/w/out/x.png"));
    }

    void usageAndVersion()
    {
        const QString usage = usageText();
        for (const char* form : {"klipora snip [--delay MS]", "klipora shot [--region X,Y,W,H] [--delay MS] (--path FILE | --clipboard)",
                                 "klipora pin [FILE...]", "klipora record [--gif] [--region X,Y,W,H]",
                                 "klipora settings | quit", "klipora --help | --version"})
            QVERIFY2(usage.contains(QLatin1String(form)), form);
        QCOMPARE(versionText(), QStringLiteral("klipora " KLIPORA_VERSION "\n"));
        QVERIFY(QString::fromLatin1(KLIPORA_VERSION).contains(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"))));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
