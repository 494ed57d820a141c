// klipora-test: x11
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "qxt/qxtglobalshortcut.h"
#include "testutil.h"

namespace {

QKeySequence seq(const char* text)
{
    return QKeySequence(QString::fromLatin1(text));
}

} // namespace

// Presses keys from another process, then the probe hotkey: once the probe
// has fired, the X server has delivered everything sent before it.
#define PRESS(keys)                                                                                          \
    do {                                                                                                     \
        const int before_ = probeSpy->count();                                                               \
        QVERIFY(testutil::pressKeys(keys));                                                                  \
        QVERIFY(testutil::pressKeys(QStringLiteral("ctrl+shift+F12")));                                      \
        QTRY_COMPARE_WITH_TIMEOUT(probeSpy->count(), before_ + 1, 10000);                                    \
    } while (0)

// Hotkeys pressed by another program on a real X server.
class TestGlobalShortcut : public QObject
{
    Q_OBJECT

    // A hotkey that is pressed after the key under test (see PRESS).
    std::unique_ptr<QxtGlobalShortcut> probe;
    std::unique_ptr<QSignalSpy> probeSpy;

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        probe = std::make_unique<QxtGlobalShortcut>();
        QVERIFY(probe->setShortcut(seq("Ctrl+Shift+F12")));
        probeSpy = std::make_unique<QSignalSpy>(probe.get(), &QxtGlobalShortcut::activated);
    }

    void cleanupTestCase()
    {
        probeSpy.reset();
        probe.reset();
    }

    void cleanup()
    {
        QVERIFY(testutil::setNumLock(false));
        QVERIFY(testutil::setCapsLock(false));
    }

    void firesFromAnotherProcessInEveryLockState()
    {
        QxtGlobalShortcut video(seq("Ctrl+Alt+V"));
        QxtGlobalShortcut snip(seq("F1"));
        QCOMPARE(video.shortcut(), seq("Ctrl+Alt+V"));
        QSignalSpy videoSpy(&video, &QxtGlobalShortcut::activated);
        QSignalSpy snipSpy(&snip, &QxtGlobalShortcut::activated);

        int presses = 0;
        for (bool num : {false, true}) {
            for (bool caps : {false, true}) {
                QVERIFY(testutil::setNumLock(num));
                QVERIFY(testutil::setCapsLock(caps));
                PRESS(QStringLiteral("ctrl+alt+v"));
                PRESS(QStringLiteral("F1"));
                ++presses;
                QCOMPARE(videoSpy.count(), presses);
                QCOMPARE(snipSpy.count(), presses);
            }
        }

        // near misses fire nothing
        PRESS(QStringLiteral("ctrl+v"));
        PRESS(QStringLiteral("alt+v"));
        PRESS(QStringLiteral("ctrl+alt+shift+v"));
        PRESS(QStringLiteral("shift+F1"));
        QCOMPARE(videoSpy.count(), presses);
        QCOMPARE(snipSpy.count(), presses);
    }

    void keypadAndMultiKeySymbols()
    {
        // Print sits on two keys; the keypad digit changes keysym with Num Lock
        QxtGlobalShortcut print(seq("Print"));
        QxtGlobalShortcut keypad(QKeySequence(int(Qt::KeypadModifier | Qt::Key_1)));
        QxtGlobalShortcut media(QKeySequence(Qt::Key_VolumeUp));
        QSignalSpy printSpy(&print, &QxtGlobalShortcut::activated);
        QSignalSpy keypadSpy(&keypad, &QxtGlobalShortcut::activated);
        QSignalSpy mediaSpy(&media, &QxtGlobalShortcut::activated);

        PRESS(QStringLiteral("Print"));
        PRESS(QStringLiteral("XF86AudioRaiseVolume"));
        QVERIFY(testutil::setNumLock(true));
        PRESS(QStringLiteral("KP_1"));
        QVERIFY(testutil::setNumLock(false));
        PRESS(QStringLiteral("KP_End"));
        QCOMPARE(printSpy.count(), 1);
        QCOMPARE(mediaSpy.count(), 1);
        QCOMPARE(keypadSpy.count(), 2);
    }

    void sameCombinationTwiceOnOneObject()
    {
        QxtGlobalShortcut s;
        QSignalSpy spy(&s, &QxtGlobalShortcut::activated);
        QVERIFY(s.setShortcut(seq("F5")));
        QVERIFY(s.setShortcut(seq("F5")));
        QCOMPARE(s.shortcut(), seq("F5"));
        PRESS(QStringLiteral("F5"));
        QCOMPARE(spy.count(), 1);

        // moving to another combination frees the old one
        QVERIFY(s.setShortcut(seq("Alt+F5")));
        PRESS(QStringLiteral("F5"));
        PRESS(QStringLiteral("alt+F5"));
        QCOMPARE(spy.count(), 2);
        QxtGlobalShortcut other;
        QVERIFY(other.setShortcut(seq("F5")));
    }

    void twoObjectsOneCombination()
    {
        auto first = std::make_unique<QxtGlobalShortcut>(seq("Ctrl+F6"));
        QxtGlobalShortcut second;
        QSignalSpy firstSpy(first.get(), &QxtGlobalShortcut::activated);
        QSignalSpy secondSpy(&second, &QxtGlobalShortcut::activated);

        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+F6");
        QVERIFY(!second.setShortcut(seq("Ctrl+F6")));
        // the failed combination is remembered, but only the first one fires
        QCOMPARE(second.shortcut(), seq("Ctrl+F6"));
        PRESS(QStringLiteral("ctrl+F6"));
        QCOMPARE(firstSpy.count(), 1);
        QCOMPARE(secondSpy.count(), 0);

        // destroying the owner releases the combination for the other object
        first.reset();
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: Ctrl+F6");
        QVERIFY(second.setShortcut(seq("Ctrl+F6")));
        PRESS(QStringLiteral("ctrl+F6"));
        QCOMPARE(secondSpy.count(), 1);
    }

    void filterOutlivesTheFirstObject()
    {
        auto early = std::make_unique<QxtGlobalShortcut>(seq("Ctrl+F7"));
        QxtGlobalShortcut late(seq("Ctrl+F8"));
        QSignalSpy spy(&late, &QxtGlobalShortcut::activated);
        early.reset();
        PRESS(QStringLiteral("ctrl+F8"));
        QCOMPARE(spy.count(), 1);
    }

    void disabledKeepsTheGrabButStaysQuiet()
    {
        QxtGlobalShortcut s(seq("Ctrl+F9"));
        QSignalSpy spy(&s, &QxtGlobalShortcut::activated);
        QVERIFY(s.isEnabled());

        // through the meta-object, as a settings page or a script would
        QVERIFY(QMetaObject::invokeMethod(&s, "setDisabled"));
        QVERIFY(!s.isEnabled());
        PRESS(QStringLiteral("ctrl+F9"));
        QCOMPARE(spy.count(), 0);

        QxtGlobalShortcut thief;
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+F9");
        QVERIFY(!thief.setShortcut(seq("Ctrl+F9")));

        QVERIFY(s.setProperty("enabled", true));
        QVERIFY(s.isEnabled());
        PRESS(QStringLiteral("ctrl+F9"));
        QCOMPARE(spy.count(), 1);

        s.setDisabled(false);
        QVERIFY(s.isEnabled());
        s.setEnabled(false);
        QVERIFY(!s.isEnabled());
        QVERIFY(QMetaObject::invokeMethod(&s, "setEnabled"));
        QVERIFY(s.isEnabled());
    }

    void onlyTheFirstCombinationOfASequence()
    {
        QxtGlobalShortcut s;
        QSignalSpy spy(&s, &QxtGlobalShortcut::activated);
        QVERIFY(s.setShortcut(seq("Ctrl+A, B")));
        QCOMPARE(s.shortcut(), seq("Ctrl+A"));
        PRESS(QStringLiteral("b"));
        PRESS(QStringLiteral("ctrl+a"));
        QCOMPARE(spy.count(), 1);
        QxtGlobalShortcut b;
        QVERIFY(b.setShortcut(seq("B")));
    }

    void shortcutProperty()
    {
        QxtGlobalShortcut s;
        QSignalSpy spy(&s, &QxtGlobalShortcut::activated);
        QVERIFY(s.shortcut().isEmpty());
        QVERIFY(s.setProperty("shortcut", seq("Ctrl+Alt+G")));
        QCOMPARE(s.property("shortcut").value<QKeySequence>(), seq("Ctrl+Alt+G"));
        PRESS(QStringLiteral("ctrl+alt+g"));
        QCOMPARE(spy.count(), 1);
    }

    void emptyClearsAndUnknownFails()
    {
        QxtGlobalShortcut s(seq("Ctrl+F10"));
        QSignalSpy spy(&s, &QxtGlobalShortcut::activated);
        QVERIFY(s.setShortcut(QKeySequence()));
        QVERIFY(s.shortcut().isEmpty());
        PRESS(QStringLiteral("ctrl+F10"));
        QCOMPARE(spy.count(), 0);
        QxtGlobalShortcut other;
        QVERIFY(other.setShortcut(seq("Ctrl+F10")));

        // a key with no keysym cannot be grabbed
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+Launch (0)");
        QVERIFY(!s.setShortcut(QKeySequence(int(Qt::ControlModifier | Qt::Key_Launch0))));
    }

    // A combination held by another program is refused, and refusing it
    // takes nothing away from that program.
    void heldByAnotherProgram()
    {
        QProcess app;
        app.setProgram(QStringLiteral(KLIPORA_BIN_DIR "/klipora"));
        app.start();
        QVERIFY(app.waitForStarted(10000));
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += app.readAllStandardError()).contains("initialized."), 20000);
        QVERIFY2(!log.contains("Failed to register"), log.constData());

        QxtGlobalShortcut s;
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: F1");
        QVERIFY(!s.setShortcut(seq("F1")));
        QxtGlobalShortcut v;
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+Alt+V");
        QVERIFY(!v.setShortcut(seq("Ctrl+Alt+V")));
        // our failed attempt must not have released the other program's grab
        QxtGlobalShortcut again;
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: F1");
        QVERIFY(!again.setShortcut(seq("F1")));

        app.terminate();
        QVERIFY(app.waitForFinished(10000));
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: F1");
        QVERIFY(s.setShortcut(seq("F1")));
        QSignalSpy spy(&s, &QxtGlobalShortcut::activated);
        PRESS(QStringLiteral("F1"));
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_MAIN(TestGlobalShortcut)
#include "tst_globalshortcut.moc"
