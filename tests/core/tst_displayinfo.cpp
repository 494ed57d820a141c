// klipora-test: x11 --dual
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include "core/displayinfo.h"
#include "core/resizer.h"
#include "core/selector.h"
#include "core/windowdetect.h"
#include "testutil.h"

namespace {

struct LogRecord
{
    QString text;
    QString file;
    QString function;
};
QList<LogRecord> logRecords;

void recordMessage(QtMsgType, const QMessageLogContext& context, const QString& text)
{
    logRecords.append({ text, QString::fromUtf8(context.file), QString::fromUtf8(context.function) });
}

bool xrandr(const QStringList& args)
{
    return testutil::run(QStringLiteral("xrandr"), args).exitCode == 0;
}

bool secondMonitor(bool on)
{
    if (!on)
        return xrandr({ QStringLiteral("--output"), QStringLiteral("DUMMY1"), QStringLiteral("--off") });
    return xrandr({ QStringLiteral("--output"), QStringLiteral("DUMMY1"), QStringLiteral("--mode"),
                    QStringLiteral("1280x1024_k"), QStringLiteral("--right-of"), QStringLiteral("DUMMY0") });
}

} // namespace

// Runs on two monitors side by side: 1920 x 1080 and 1280 x 1024.
class TestDisplayInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::screens().size(), 2, 10000);
    }

    void twoScreensAddUpTheirWidths()
    {
        qInstallMessageHandler(recordMessage);
        DisplayInfo* info = DisplayInfo::instance();
        qInstallMessageHandler(nullptr);
        QVERIFY(info);
        QCOMPARE(DisplayInfo::instance(), info);
        QCOMPARE(DisplayInfo::maxSize(), QSize(1920 + 1280, 1080));

        QCOMPARE(logRecords.size(), 4);
        // blanks between the items are the debug stream's business
        QCOMPARE(logRecords[0].text.simplified(), QStringLiteral("Screen Number: 2"));
        QVERIFY(logRecords[1].text.startsWith(QLatin1Char('\t')));
        QVERIFY(logRecords[1].text.simplified().startsWith(QStringLiteral("QRect(0,0 1920x1080) DPR: 1 DPI ")));
        QVERIFY(logRecords[2].text.simplified().startsWith(QStringLiteral("QRect(1920,0 1280x1024) DPR: 1 DPI ")));
        QCOMPARE(logRecords[3].text.simplified(), QStringLiteral("Max Size: QSize(3200, 1080)"));
        for (const LogRecord& r : logRecords) {
            QCOMPARE(r.file, QStringLiteral("core/displayinfo.cpp"));
            QVERIFY2(r.function.contains(QStringLiteral("DisplayInfo::update")), qPrintable(r.function));
        }
    }

    void selectionSpansBothMonitors()
    {
        Selector selector(nullptr);
        selector.setUseDetectWindow(false);
        selector.start();
        QVERIFY(QTest::qWaitForWindowExposed(&selector, 10000));
        const testutil::ProcessResult geometry =
            testutil::run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), QString::number(selector.winId()) });
        QVERIFY(geometry.out.contains("Absolute upper-left X:  0"));
        QVERIFY(geometry.out.contains("Absolute upper-left Y:  0"));
        QVERIFY(geometry.out.contains("Width: 3200"));
        QVERIFY(geometry.out.contains("Height: 1080"));

        QVERIFY(testutil::movePointer(QPoint(1700, 300)));
        QVERIFY(testutil::run(QStringLiteral("xdotool"), { QStringLiteral("mousedown"), QStringLiteral("1") }).exitCode == 0);
        QVERIFY(testutil::movePointer(QPoint(2500, 800)));
        QVERIFY(testutil::run(QStringLiteral("xdotool"), { QStringLiteral("mouseup"), QStringLiteral("1") }).exitCode == 0);
        QTRY_COMPARE_WITH_TIMEOUT(selector.currentStatus(), int(Selector::CAPTURED), 10000);
        QCOMPARE(selector.selectedRect(), QRect(QPoint(1700, 300), QPoint(2500, 800)));

        // Moves are held inside the whole desktop, right edge of the second monitor.
        Resizer box = selector.selection();
        box.move(5000, 0);
        QCOMPARE(box.rect().right(), 3199);

        // Nothing under the cursor on the second monitor: the whole desktop.
        refreshWindowRects();
        QVERIFY(testutil::movePointer(QPoint(3000, 100)));
        QCOMPARE(detectWindowRect(), QRect(0, 0, 3200, 1080));
        selector.exit();
    }

    void screenChangesReachUpdateFirst()
    {
        DisplayInfo* info = DisplayInfo::instance();
        // a selector that is gone must not be reached by later screen changes
        delete new Selector(nullptr);
        Selector selector(nullptr);
        QCOMPARE(selector.size(), QSize(3200, 1080));
        const QRect bounds = selector.selection().bounds;

        QStringList events;
        QSize sizeSeenOnChange;
        const auto c1 = connect(info, &DisplayInfo::added, this, [&](QScreen* s) {
            events << QStringLiteral("added %1").arg(s->geometry().width());
        });
        const auto c2 = connect(info, &DisplayInfo::removed, this, [&](QScreen*) { events << QStringLiteral("removed"); });
        const auto c3 = connect(info, &DisplayInfo::changed, this, [&]() {
            events << QStringLiteral("changed");
            sizeSeenOnChange = DisplayInfo::maxSize();
        });

        // one screen left
        QVERIFY(secondMonitor(false));
        QTRY_COMPARE_WITH_TIMEOUT(events, QStringList({ QStringLiteral("removed"), QStringLiteral("changed") }), 10000);
        QCOMPARE(sizeSeenOnChange, QSize(1920, 1080));
        QCOMPARE(DisplayInfo::maxSize(), QSize(1920, 1080));
        QCOMPARE(QGuiApplication::screens().size(), 1);
        QCOMPARE(selector.size(), QSize(1920, 1080));

        // and back: added, then changed, with the size already re-computed
        events.clear();
        QVERIFY(secondMonitor(true));
        QTRY_COMPARE_WITH_TIMEOUT(events, QStringList({ QStringLiteral("added 1280"), QStringLiteral("changed") }), 10000);
        QCOMPARE(sizeSeenOnChange, QSize(3200, 1080));
        QCOMPARE(selector.size(), QSize(3200, 1080));
        // the box keeps the movement bounds of the time it was built
        QCOMPARE(selector.selection().bounds, bounds);

        disconnect(c1);
        disconnect(c2);
        disconnect(c3);
    }

    void movedMonitorsGiveTheirBoundingRectangle()
    {
        Selector selector(nullptr);
        QSignalSpy changes(DisplayInfo::instance(), &DisplayInfo::changed);
        // moving a monitor adds or removes none, yet the desktop changes
        QVERIFY(xrandr({ QStringLiteral("--output"), QStringLiteral("DUMMY1"), QStringLiteral("--below"),
                         QStringLiteral("DUMMY0") }));
        QTRY_COMPARE_WITH_TIMEOUT(DisplayInfo::maxSize(), QSize(1920, 1080 + 1024), 10000);
        QVERIFY(changes.count() >= 1);
        QCOMPARE(selector.size(), QSize(1920, 2104));
        QCOMPARE(DisplayInfo::unshownArea(), QRegion(1280, 1080, 640, 1024));
        QCOMPARE(DisplayInfo::screenRects(), QVector<QRect>({ QRect(0, 0, 1920, 1080), QRect(0, 1080, 1280, 1024) }));
        // side by side again: exactly the old desktop
        QVERIFY(xrandr({ QStringLiteral("--output"), QStringLiteral("DUMMY1"), QStringLiteral("--right-of"),
                         QStringLiteral("DUMMY0") }));
        QTRY_COMPARE_WITH_TIMEOUT(DisplayInfo::maxSize(), QSize(3200, 1080), 10000);
        QCOMPARE(selector.size(), QSize(3200, 1080));
        QCOMPARE(DisplayInfo::unshownArea(), QRegion(1920, 1024, 1280, 56));
    }
};

QTEST_MAIN(TestDisplayInfo)
#include "tst_displayinfo.moc"
