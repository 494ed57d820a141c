// klipora-test: x11
#include <QClipboard>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "core/config.h"
#include "core/imagewindow.h"
#include "core/resources.h"
#include "klipora.h"
#include "qxt/qxtglobalshortcut.h"
#include "snip/screenshoter.h"
#include "testutil.h"
#include "video/gifcapturer.h"
#include "video/screenrecorder.h"

namespace {

QStringList criticals;
QtMessageHandler previousHandler = nullptr;

void recordCriticals(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (type == QtCriticalMsg)
        criticals.append(msg);
    previousHandler(type, context, msg);
}

QxtGlobalShortcut* hotkeyFor(Klipora& app, const QKeySequence& sequence)
{
    for (QxtGlobalShortcut* hotkey : app.findChildren<QxtGlobalShortcut*>()) {
        if (hotkey->shortcut() == sequence)
            return hotkey;
    }
    return nullptr;
}

QKeySequence seq(const char* text)
{
    return QKeySequence(QString::fromLatin1(text));
}

QStringList failuresIn(const QByteArray& log)
{
    // The program speaks its configured language (Chinese by default): read
    // the combination out of either form and give it back in English.
    QStringList lines;
    for (const QByteArray& raw : log.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (!line.contains(QLatin1String("(critical)")))
            continue;
        if (!line.contains(QLatin1String("Failed to register shortcut"))
            && !line.contains(QStringLiteral("注册失败")))
            continue;
        // one line names every combination of one change: "<F1>, <F3>"
        const int open = line.indexOf(QLatin1Char('<'));
        const int close = line.lastIndexOf(QLatin1Char('>'));
        if (open >= 0 && close > open)
            lines.append(line.mid(open, close - open + 1));
    }
    return lines;
}

// The texts of the tray balloons on screen now.
QStringList balloonTexts()
{
    QStringList texts;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || qstrcmp(top->metaObject()->className(), "QBalloonTip") != 0)
            continue;
        QStringList parts;
        for (QLabel* label : top->findChildren<QLabel*>())
            parts << label->text();
        texts << parts.join(QLatin1Char('|'));
    }
    return texts;
}

// The real program, started the way a user starts it.
class Program
{
public:
    bool start()
    {
        process.setProgram(QStringLiteral(KLIPORA_BIN_DIR "/klipora"));
        process.start();
        return process.waitForStarted(10000);
    }
    const QByteArray& log()
    {
        stderrText += process.readAllStandardError();
        return stderrText;
    }
    bool waitForExit(int ms) { return process.waitForFinished(ms); }
    int exitCode() const { return process.exitCode(); }
    bool stop()
    {
        process.terminate();
        return process.waitForFinished(10000);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning)
            stop();
    }

private:
    QProcess process;
    QByteArray stderrText;
};

} // namespace

// The application's four hotkeys, as the configuration sets them and as a
// user presses them from anywhere on the desktop.
class TestHotkeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        initResources();
        previousHandler = qInstallMessageHandler(recordCriticals);
    }

    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void init()
    {
        criticals.clear();
        Config& config = Config::instance();
        config.set(Config::SnipHotkey, QStringLiteral("F1"));
        config.set(Config::PinHotkey, QStringLiteral("F3"));
        config.set(Config::GifHotkey, QStringLiteral("Ctrl+Alt+G"));
        config.set(Config::RecordHotkey, QStringLiteral("Ctrl+Alt+V"));
        config.set(Config::ScrollHotkey, QStringLiteral("Ctrl+Alt+S"));
    }

    void cleanup() { QVERIFY(testutil::setNumLock(false)); }

    void configuredHotkeysFireFromOutside()
    {
        Klipora app;
        QCOMPARE(criticals, QStringList());
        const char* const combos[] = {"F1", "F3", "Ctrl+Alt+G", "Ctrl+Alt+V", "Ctrl+Alt+S"};
        const char* const typed[] = {"F1", "F3", "ctrl+alt+g", "ctrl+alt+v", "ctrl+alt+s"};
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const char* combo : combos) {
            QxtGlobalShortcut* hotkey = hotkeyFor(app, seq(combo));
            QVERIFY2(hotkey, combo);
            spies.push_back(std::make_unique<QSignalSpy>(hotkey, &QxtGlobalShortcut::activated));
        }
        for (bool numLock : {false, true}) {
            QVERIFY(testutil::setNumLock(numLock));
            for (size_t i = 0; i < spies.size(); ++i) {
                const int expected = numLock ? 2 : 1;
                QVERIFY(testutil::pressKeys(QString::fromLatin1(typed[i])));
                QTRY_COMPARE_WITH_TIMEOUT(spies[i]->count(), expected, 10000);
            }
        }
        for (const auto& spy : spies)
            QCOMPARE(spy->count(), 2);

        // nothing copied yet: the pin hotkey has nothing to pin and must not break
        QVERIFY(app.history().empty());
    }

    void captureHotkeysStartTheirTools()
    {
        Klipora app;
        QVERIFY(testutil::setNumLock(true));
        struct
        {
            const char* keys;
            QWidget* selector;
        } const tools[] = {{"ctrl+alt+v", app.screenRecorder()}, {"ctrl+alt+g", app.gifCapturer()}};
        for (const auto& tool : tools) {
            QVERIFY(!tool.selector->isVisible());
            QVERIFY(testutil::pressKeys(QString::fromLatin1(tool.keys)));
            QTRY_VERIFY2_WITH_TIMEOUT(tool.selector->isVisible(), tool.keys, 10000);
            // pressed again while the overlay holds the keyboard: it closes
            QVERIFY(testutil::pressKeys(QString::fromLatin1(tool.keys)));
            QTRY_VERIFY2_WITH_TIMEOUT(!tool.selector->isVisible(), tool.keys, 10000);
        }

        // the screenshot hotkey starts the overlay
        ScreenShoter* shoter = app.screenShoter();
        QVERIFY(!shoter->isVisible());
        QVERIFY(testutil::pressKeys(QStringLiteral("F1")));
        QTRY_VERIFY_WITH_TIMEOUT(shoter->isVisible(), 10000);
        shoter->exit();
        QTRY_VERIFY_WITH_TIMEOUT(!shoter->isVisible(), 10000);
    }

    void pinHotkeyPinsTheNewestItem()
    {
        Klipora app;
        auto visiblePins = [&app] {
            int n = 0;
            for (ImageWindow* w : app.findChildren<ImageWindow*>())
                n += w->isVisible() ? 1 : 0;
            return n;
        };
        // nothing copied yet: nothing to pin
        QVERIFY(testutil::pressKeys(QStringLiteral("F3")));
        QVERIFY(testutil::pressKeys(QStringLiteral("F1")));
        QTRY_VERIFY_WITH_TIMEOUT(app.screenShoter()->isVisible(), 10000);
        app.screenShoter()->exit();
        QCOMPARE(visiblePins(), 0);

        QGuiApplication::clipboard()->setText(QStringLiteral("pinned from the keyboard"));
        QTRY_COMPARE_WITH_TIMEOUT(app.history().size(), size_t(1), 10000);
        QVERIFY(testutil::setNumLock(true));
        QVERIFY(testutil::pressKeys(QStringLiteral("F3")));
        QTRY_COMPARE_WITH_TIMEOUT(visiblePins(), 1, 10000);
        // the item stays in the history: pressing again pins another copy
        QVERIFY(testutil::pressKeys(QStringLiteral("F3")));
        QTRY_COMPARE_WITH_TIMEOUT(visiblePins(), 2, 10000);
        const QList<ImageWindow*> pins = app.findChildren<ImageWindow*>();
        QCOMPARE(pins.size(), 2);
        QVERIFY(!pins.first()->grab().isNull());
    }

    void conflictsAreReportedOncePerHotkey()
    {
        // another part of this process already holds the GIF combination
        auto holder = std::make_unique<QxtGlobalShortcut>(seq("Ctrl+Alt+G"));
        Klipora app;
        QCOMPARE(criticals, QStringList{QStringLiteral("Failed to register shortcut <Ctrl+Alt+G>")});
        QVERIFY(hotkeyFor(app, seq("F1")));
        QVERIFY(hotkeyFor(app, seq("F3")));
        QVERIFY(hotkeyFor(app, seq("Ctrl+Alt+V")));

        // the same key for two actions: the later one in the order fails; the
        // GIF failure has not changed and is not announced again
        criticals.clear();
        Config& config = Config::instance();
        config.set(Config::RecordHotkey, QStringLiteral("F3"));
        QCOMPARE(criticals, QStringList{QStringLiteral("Failed to register shortcut <F3>")});

        // unrelated changes stay quiet
        criticals.clear();
        config.set(Config::GifFramerate, 7);
        QCOMPARE(criticals, QStringList());

        // once the holder lets go, the next change picks the combination up
        holder.reset();
        config.set(Config::GifFramerate, 6);
        QCOMPARE(criticals, QStringList());
        QxtGlobalShortcut* gif = hotkeyFor(app, seq("Ctrl+Alt+G"));
        QVERIFY(gif);
        QSignalSpy gifSpy(gif, &QxtGlobalShortcut::activated);
        QVERIFY(testutil::pressKeys(QStringLiteral("ctrl+alt+g")));
        QTRY_COMPARE_WITH_TIMEOUT(gifSpy.count(), 1, 10000);

        // a changed combination that fails is announced again
        config.set(Config::GifHotkey, QStringLiteral("F1"));
        QCOMPARE(criticals, QStringList{QStringLiteral("Failed to register shortcut <F1>")});
    }

    void failuresOfOneChangeShareOneBalloon()
    {
        auto snipHolder = std::make_unique<QxtGlobalShortcut>(seq("F1"));
        auto gifHolder = std::make_unique<QxtGlobalShortcut>(seq("Ctrl+Alt+G"));
        Klipora app;
        QCOMPARE(criticals, QStringList{QStringLiteral("Failed to register shortcuts <F1>, <Ctrl+Alt+G>")});
        QVERIFY(app.trayIcon()->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(balloonTexts().size(), 1, 10000);
        const QString shown = balloonTexts().first();
        QVERIFY2(shown.contains(QLatin1String("<F1>")) && shown.contains(QLatin1String("<Ctrl+Alt+G>")),
                 qPrintable(shown));

        // a later change with one new failure names just that one
        criticals.clear();
        Config& config = Config::instance();
        config.set(Config::RecordHotkey, QStringLiteral("F3"));
        QCOMPARE(criticals, QStringList{QStringLiteral("Failed to register shortcut <F3>")});
        QTRY_VERIFY_WITH_TIMEOUT(balloonTexts().size() == 1 && balloonTexts().first().contains(QLatin1String("<F3>")),
                                 10000);
        QVERIFY(!balloonTexts().first().contains(QLatin1String("<F1>")));
    }

    void swappingTwoHotkeysEndsWithBothWorking()
    {
        Klipora app;
        Config& config = Config::instance();
        config.set(Config::SnipHotkey, QStringLiteral("F3"));
        // for a moment both ask for F3: that one conflict is real
        QCOMPARE(criticals, QStringList{QStringLiteral("Failed to register shortcut <F3>")});

        criticals.clear();
        config.set(Config::PinHotkey, QStringLiteral("F1"));
        QCOMPARE(criticals, QStringList());

        QxtGlobalShortcut* snip = hotkeyFor(app, seq("F3"));
        QxtGlobalShortcut* pin = hotkeyFor(app, seq("F1"));
        QVERIFY(snip && pin && snip != pin);
        QSignalSpy snipSpy(snip, &QxtGlobalShortcut::activated);
        QSignalSpy pinSpy(pin, &QxtGlobalShortcut::activated);
        QVERIFY(testutil::pressKeys(QStringLiteral("F3")));
        QTRY_COMPARE_WITH_TIMEOUT(snipSpy.count(), 1, 10000);
        QVERIFY(testutil::pressKeys(QStringLiteral("F1")));
        QTRY_COMPARE_WITH_TIMEOUT(pinSpy.count(), 1, 10000);
        QCOMPARE(snipSpy.count(), 1);
    }

    void secondCopyOfTheProgramLeavesTheFirstItsHotkeys()
    {
        Program first;
        QVERIFY(first.start());
        QTRY_VERIFY_WITH_TIMEOUT(first.log().contains("initialized."), 20000);
        QCOMPARE(failuresIn(first.log()), QStringList());

        // A second start registers nothing: it tells the first and leaves.
        Program second;
        QVERIFY(second.start());
        QVERIFY(second.waitForExit(20000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(!second.log().contains("initializing."), second.log().constData());
        QCOMPARE(failuresIn(second.log()), QStringList());
        QCOMPARE(failuresIn(first.log()), QStringList());

        // the first copy still holds every combination after the second has gone
        for (const char* combo : {"F1", "F3", "Ctrl+Alt+G", "Ctrl+Alt+V"}) {
            QxtGlobalShortcut probe;
            QTest::ignoreMessage(QtWarningMsg,
                                 qPrintable(QStringLiteral("QxtGlobalShortcut failed to register: ")
                                            + QString::fromLatin1(combo)));
            QVERIFY2(!probe.setShortcut(seq(combo)), combo);
            QTest::ignoreMessage(QtWarningMsg,
                                 qPrintable(QStringLiteral("QxtGlobalShortcut failed to unregister: ")
                                            + QString::fromLatin1(combo)));
        }
        QVERIFY(first.stop());
        QxtGlobalShortcut free;
        QVERIFY(free.setShortcut(seq("F1")));
        QSignalSpy spy(&free, &QxtGlobalShortcut::activated);
        QVERIFY(testutil::pressKeys(QStringLiteral("F1")));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 10000);
    }
};

int main(int argc, char* argv[])
{
    // The tray balloon pulls in Mesa's software GL driver, which is unloaded at
    // exit with an allocation the leak checker can no longer attribute. No GL
    // is needed here.
    qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    TestHotkeys test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_hotkeys.moc"
