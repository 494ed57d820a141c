// klipora-test: x11
#include <QtTest>
#include <QWidget>

#include <memory>

#include "core/displayinfo.h"
#include "core/windowdetect.h"
#include "testutil.h"

class TestWindowDetect : public QObject
{
    Q_OBJECT

    std::vector<std::unique_ptr<QWidget>> windows;

    QWidget* openWindow(const QString& title, const QRect& geometry, const QColor& colour = Qt::gray)
    {
        auto w = std::make_unique<QWidget>();
        w->setWindowTitle(title);
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, colour);
        w->setPalette(palette);
        w->setAutoFillBackground(true);
        w->setGeometry(geometry);
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get(), 10000))
            return nullptr;
        windows.push_back(std::move(w));
        return windows.back().get();
    }

    static QRect desktop() { return QRect(QPoint(0, 0), DisplayInfo::maxSize()); }

    // The window manager decorates and places asynchronously; wait until the
    // frame as seen from outside is settled and shows up in a refresh.
    static bool listed(const QRect& frame)
    {
        for (int i = 0; i < 100; ++i) {
            refreshWindowRects();
            if (windowRects().contains(frame))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        DisplayInfo::instance();
        QCOMPARE(DisplayInfo::maxSize(), QSize(1920, 1080));
    }

    void emptyListBeforeFirstRefreshGivesDesktop()
    {
        QVERIFY(windowRects().isEmpty());
        QVERIFY(testutil::movePointer(QPoint(500, 400)));
        QCOMPARE(detectWindowRect(), desktop());
    }

    void lookupIsFirstMatchWithEdgesIncluded()
    {
        const QVector<QRect> rects = { QRect(100, 100, 50, 50), QRect(120, 120, 200, 200) };
        const QRect desk(0, 0, 1920, 1080);
        QCOMPARE(windowRectAt(rects, QPoint(130, 130), desk), rects[0]);
        QCOMPARE(windowRectAt(rects, QPoint(149, 149), desk), rects[0]);
        QCOMPARE(windowRectAt(rects, QPoint(150, 150), desk), rects[1]);
        QCOMPARE(windowRectAt(rects, QPoint(319, 319), desk), rects[1]);
        QCOMPARE(windowRectAt(rects, QPoint(320, 320), desk), desk);
        QCOMPARE(windowRectAt({}, QPoint(5, 5), desk), desk);
        // a window reaching past the desktop is cut to what can be captured
        QCOMPARE(windowRectAt({ QRect(-50, 1000, 300, 300) }, QPoint(10, 1050), desk), QRect(0, 1000, 250, 80));
    }

    void listsVisibleWindowsWithFramesTopmostFirst()
    {
        QWidget* lower = openWindow(QStringLiteral("lower"), QRect(200, 200, 400, 300), Qt::red);
        QVERIFY(lower);
        QWidget* upper = openWindow(QStringLiteral("upper"), QRect(400, 300, 400, 300), Qt::blue);
        QVERIFY(upper);
        const QRect lowerFrame = testutil::x11FrameRect(lower);
        const QRect upperFrame = testutil::x11FrameRect(upper);
        QVERIFY(listed(lowerFrame));
        QVERIFY(listed(upperFrame));
        // the frame is part of what the user sees
        QVERIFY(upperFrame.height() > upper->height());
        QVERIFY(windowRects().indexOf(upperFrame) < windowRects().indexOf(lowerFrame));

        const QPoint overlap = (lowerFrame & upperFrame).center();
        QVERIFY(testutil::movePointer(overlap));
        QTRY_COMPARE_WITH_TIMEOUT(testutil::screenPixel(overlap), QColor(Qt::blue), 10000);
        QCOMPARE(detectWindowRect(), upperFrame);

        // Raising the lower one must change the answer: the order is the
        // real stacking order (as the screen shows it), not the order the
        // windows were created in.
        for (QWidget* top : { lower, upper }) {
            top->raise();
            top->activateWindow();
            const QColor colour = top == lower ? QColor(Qt::red) : QColor(Qt::blue);
            QTRY_COMPARE_WITH_TIMEOUT(testutil::screenPixel(overlap), colour, 10000);
            refreshWindowRects();
            QCOMPARE(detectWindowRect(), top == lower ? lowerFrame : upperFrame);
        }
        QVERIFY(windowRects().indexOf(upperFrame) < windowRects().indexOf(lowerFrame));
    }

    void lastRowAndColumnBelongToTheWindow()
    {
        QWidget* window = openWindow(QStringLiteral("edges"), QRect(1000, 600, 300, 200));
        QVERIFY(window);
        const QRect frame = testutil::x11FrameRect(window);
        QVERIFY(listed(frame));
        QVERIFY(testutil::movePointer(frame.bottomRight()));
        QCOMPARE(detectWindowRect(), frame);
        QVERIFY(testutil::movePointer(frame.topLeft()));
        QCOMPARE(detectWindowRect(), frame);
        QVERIFY(testutil::movePointer(frame.bottomRight() + QPoint(1, 0)));
        QVERIFY(detectWindowRect() != frame);
        QVERIFY(testutil::movePointer(frame.bottomRight() + QPoint(0, 1)));
        QVERIFY(detectWindowRect() != frame);
    }

    void noWindowUnderCursorGivesDesktop()
    {
        refreshWindowRects();
        QVERIFY(!windowRects().isEmpty());
        const QPoint empty(1800, 40);
        for (const QRect& r : windowRects())
            QVERIFY2(!r.contains(empty), "test point must be free of windows");
        QVERIFY(testutil::movePointer(empty));
        QCOMPARE(detectWindowRect(), desktop());
    }

    void hiddenAndMinimisedWindowsAreNotListed()
    {
        QWidget* window = openWindow(QStringLiteral("going"), QRect(1400, 200, 300, 200));
        QVERIFY(window);
        const QRect frame = testutil::x11FrameRect(window);
        QVERIFY(listed(frame));
        window->showMinimized();
        QTRY_VERIFY_WITH_TIMEOUT((refreshWindowRects(), !windowRects().contains(frame)), 10000);
        window->showNormal();
        // restored by the window manager in its own time, as it minimised it
        QTRY_VERIFY_WITH_TIMEOUT((refreshWindowRects(), windowRects().contains(frame)), 10000);
        window->hide();
        QTRY_VERIFY_WITH_TIMEOUT((refreshWindowRects(), !windowRects().contains(frame)), 10000);
    }

    void cleanupTestCase() { windows.clear(); }
};

QTEST_MAIN(TestWindowDetect)
#include "tst_windowdetect.moc"
