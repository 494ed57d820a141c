// klipora-test: x11
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "core/config.h"
#include "core/desktopgrab.h"
#include "core/displayinfo.h"
#include "core/selector.h"
#include "testutil.h"

namespace {

// Reaches the members the capture tools read and write.
class ProbeSelector : public Selector
{
public:
    using Selector::Selector;
    void setStatus(int s) { status = s; }
    bool hasFrozenDesktop() const { return !background.isNull(); }
    int pendingModification() const { return modified; }
    void setModified(int m) { modified = m; }
};

QString xdotool(const QStringList& args)
{
    const testutil::ProcessResult r = testutil::run(QStringLiteral("xdotool"), args);
    return r.exitCode == 0 ? QString() : QStringLiteral("xdotool failed: ") + QString::fromUtf8(r.err);
}

// Colours within a small rounding tolerance.
bool near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

QColor dimmed(const QColor& c, int alpha)
{
    auto blend = [alpha](int v) { return (v * (255 - alpha) + 127) / 255; };
    return QColor(blend(c.red()), blend(c.green()), blend(c.blue()));
}

} // namespace

class TestSelector : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProbeSelector> selector;
    std::unique_ptr<QWidget> window;
    QColor desktopColour;

    bool press(const QPoint& p)
    {
        return testutil::movePointer(p) && xdotool({ QStringLiteral("mousedown"), QStringLiteral("1") }).isEmpty();
    }
    bool release() { return xdotool({ QStringLiteral("mouseup"), QStringLiteral("1") }).isEmpty(); }
    bool click(const QPoint& p) { return press(p) && release(); }
    // A drag made of several real pointer motions, as a hand would make it.
    bool drag(const QPoint& from, const QPoint& to)
    {
        if (!press(from))
            return false;
        for (int i = 1; i <= 5; ++i) {
            const QPoint step = from + (to - from) * i / 5;
            if (!xdotool({ QStringLiteral("mousemove"), QString::number(step.x()), QString::number(step.y()) }).isEmpty())
                return false;
        }
        return testutil::movePointer(to) && release();
    }
    bool key(const QString& keys) { return xdotool({ QStringLiteral("key"), keys }).isEmpty(); }

    void startFresh(bool detect)
    {
        selector->exit();
        selector->setUseDetectWindow(detect);
        selector->start();
        QVERIFY(QTest::qWaitForWindowExposed(selector.get(), 10000));
    }

    // Selects a rectangle by dragging and waits until it is at rest.
    void select(const QPoint& from, const QPoint& to)
    {
        startFresh(false);
        QVERIFY(drag(from, to));
        QTRY_COMPARE_WITH_TIMEOUT(selector->currentStatus(), int(Selector::CAPTURED), 10000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        DisplayInfo::instance();
        selector = std::make_unique<ProbeSelector>(nullptr);
        QVERIFY(testutil::movePointer(QPoint(1850, 30)));
        desktopColour = testutil::screenPixel(QPoint(1850, 30));
        QVERIFY(desktopColour.isValid());

        window = std::make_unique<QWidget>();
        window->setWindowTitle(QStringLiteral("target"));
        window->setGeometry(300, 250, 500, 350);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get(), 10000));
    }

    void cleanup()
    {
        if (selector)
            selector->exit();
    }

    void coversTheDesktopAndTakesTheKeyboard()
    {
        startFresh(true);
        QCOMPARE(selector->currentStatus(), int(Selector::STARTED));
        QCOMPARE(selector->geometry(), QRect(0, 0, 1920, 1080));
        // as the X server sees it, not only as the toolkit believes
        const testutil::ProcessResult info =
            testutil::run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), QString::number(selector->winId()) });
        QVERIFY(info.out.contains("Absolute upper-left X:  0"));
        QVERIFY(info.out.contains("Absolute upper-left Y:  0"));
        QVERIFY(info.out.contains("Width: 1920"));
        QVERIFY(info.out.contains("Height: 1080"));
        QSignalSpy captured(selector.get(), &Selector::captured);
        QVERIFY(key(QStringLiteral("ctrl+a")));
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 1, 10000);
    }

    void clickWithDetectionTakesTheWindowUnderTheCursor()
    {
        const QRect frame = testutil::x11FrameRect(window.get());
        QVERIFY(frame.isValid());
        QVERIFY(testutil::movePointer(frame.center()));
        startFresh(true);
        QSignalSpy captured(selector.get(), &Selector::captured);
        // proposed before any press
        QCOMPARE(selector->selectedRect(), frame);
        QVERIFY(selector->sizeInfo()->isVisible());
        QVERIFY(click(frame.center()));
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 1, 10000);
        QCOMPARE(selector->currentStatus(), int(Selector::CAPTURED));
        QCOMPARE(selector->selectedRect(), frame);
        QTest::qWait(200);
        QCOMPARE(captured.count(), 1);

        // no window there: the whole desktop
        QVERIFY(testutil::movePointer(QPoint(1850, 30)));
        startFresh(true);
        QVERIFY(click(QPoint(1850, 30)));
        QTRY_COMPARE_WITH_TIMEOUT(selector->currentStatus(), int(Selector::CAPTURED), 10000);
        QCOMPARE(selector->selectedRect(), QRect(0, 0, 1920, 1080));
    }

    void proposalFollowsThePointerBeforeThePress()
    {
        const QRect frame = testutil::x11FrameRect(window.get());
        QVERIFY(testutil::movePointer(QPoint(1850, 30)));
        startFresh(true);
        QCOMPARE(selector->selectedRect(), QRect(0, 0, 1920, 1080));
        QVERIFY(testutil::movePointer(frame.topLeft() + QPoint(3, 3)));
        QTRY_COMPARE_WITH_TIMEOUT(selector->selectedRect(), frame, 10000);
        QCOMPARE(selector->currentStatus(), int(Selector::STARTED));
        QTRY_COMPARE_WITH_TIMEOUT(selector->cursor().shape(), Qt::CrossCursor, 10000);
    }

    void clickWithoutDetectionSelectsOnePixel()
    {
        startFresh(false);
        QVERIFY(!selector->sizeInfo()->isVisible());
        QSignalSpy captured(selector.get(), &Selector::captured);
        QVERIFY(click(QPoint(700, 500)));
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 1, 10000);
        QCOMPARE(selector->selectedRect(), QRect(700, 500, 1, 1));
        QTRY_COMPARE_WITH_TIMEOUT(selector->sizeInfo()->text(), QStringLiteral("1 x 1"), 10000);
        QVERIFY(selector->sizeInfo()->isVisible());
    }

    void dragFromBottomRightToTopLeft()
    {
        startFresh(false);
        QSignalSpy captured(selector.get(), &Selector::captured);
        QVERIFY(drag(QPoint(900, 700), QPoint(600, 400)));
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 1, 10000);
        const Resizer box = selector->selection();
        QCOMPARE(box.x1, 900);
        QCOMPARE(box.y1, 700);
        QCOMPARE(box.x2, 600);
        QCOMPARE(box.y2, 400);
        QCOMPARE(selector->selectedRect(), QRect(QPoint(600, 400), QPoint(900, 700)));
        QTRY_COMPARE_WITH_TIMEOUT(selector->sizeInfo()->text(), QStringLiteral("301 x 301"), 10000);
        // the label sits just above the top-left corner of the normalised rectangle
        QCOMPARE(selector->sizeInfo()->pos(), QPoint(601, 400 - selector->sizeInfo()->height()));

        // What the user sees: handles in the border colour at the corners,
        // the desktop untouched inside, dimmed outside.
        QTRY_VERIFY_WITH_TIMEOUT(near(testutil::screenPixel(QPoint(600, 400)), Qt::cyan), 10000);
        QVERIFY(near(testutil::screenPixel(QPoint(900, 700)), Qt::cyan));
        QVERIFY(near(testutil::screenPixel(QPoint(1850, 30)), dimmed(desktopColour, 100)));
        QVERIFY(near(testutil::screenPixel(QPoint(850, 650)), desktopColour));
    }

    void labelMovesInsideNearTheTopEdge()
    {
        select(QPoint(400, 10), QPoint(600, 200));
        QTRY_COMPARE_WITH_TIMEOUT(selector->sizeInfo()->pos(), QPoint(401, 11), 10000);
        QCOMPARE(selector->sizeInfo()->text(), QStringLiteral("201 x 191"));
        // exactly the label's height from the top: it fits above
        const int h = selector->sizeInfo()->height();
        select(QPoint(400, h), QPoint(600, 200));
        QTRY_COMPARE_WITH_TIMEOUT(selector->sizeInfo()->pos(), QPoint(401, 0), 10000);
    }

    void moveAndResizeThroughTheStates()
    {
        select(QPoint(1000, 300), QPoint(1300, 500));
        QSignalSpy captured(selector.get(), &Selector::captured);
        QSignalSpy moved(selector.get(), &Selector::moved);
        QSignalSpy resized(selector.get(), &Selector::resized);
        QTRY_VERIFY_WITH_TIMEOUT(near(testutil::screenPixel(QPoint(1020, 310)), desktopColour), 10000);

        // move: press inside, the state is MOVING while the button is held
        QVERIFY(press(QPoint(1150, 400)));
        QTRY_COMPARE_WITH_TIMEOUT(selector->currentStatus(), int(Selector::MOVING), 10000);
        QVERIFY(testutil::movePointer(QPoint(1200, 430)));
        QTRY_COMPARE_WITH_TIMEOUT(selector->selectedRect(), QRect(QPoint(1050, 330), QPoint(1350, 530)), 10000);
        QVERIFY(release());
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 1, 10000);
        QCOMPARE(selector->currentStatus(), int(Selector::CAPTURED));
        QVERIFY(moved.count() >= 1);
        QCOMPARE(resized.count(), 0);
        // the old place is dimmed again, the new one shows the desktop
        QTRY_VERIFY_WITH_TIMEOUT(near(testutil::screenPixel(QPoint(1020, 310)), dimmed(desktopColour, 100)), 10000);
        QVERIFY(near(testutil::screenPixel(QPoint(1340, 520)), desktopColour));

        // moving against the left and top edges stops at 0, size kept
        QVERIFY(drag(QPoint(1100, 400), QPoint(0, 0)));
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 2, 10000);
        QCOMPARE(selector->selectedRect(), QRect(0, 0, 301, 201));

        // resize the right edge (x2) by its border strip
        select(QPoint(500, 300), QPoint(800, 500));
        captured.clear();
        resized.clear();
        QVERIFY(press(QPoint(801, 350)));
        QTRY_COMPARE_WITH_TIMEOUT(selector->currentStatus(), int(Selector::RESIZING), 10000);
        QVERIFY(testutil::movePointer(QPoint(901, 360)));
        QVERIFY(release());
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 1, 10000);
        QCOMPARE(selector->selectedRect(), QRect(QPoint(500, 300), QPoint(900, 500)));
        QVERIFY(resized.count() >= 1);

        // drag the left edge across the right one: the box turns inside out
        QVERIFY(drag(QPoint(500, 350), QPoint(1000, 350)));
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 2, 10000);
        QCOMPARE(selector->selection().x1, 1000);
        QCOMPARE(selector->selectedRect(), QRect(QPoint(900, 300), QPoint(1000, 500)));

        // a corner handle moves two edges at once
        QVERIFY(drag(QPoint(1000, 500), QPoint(1100, 600)));
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 3, 10000);
        QCOMPARE(selector->selectedRect(), QRect(QPoint(900, 300), QPoint(1100, 600)));
    }

    void pressOutsideWhenCapturedStartsNothing()
    {
        select(QPoint(500, 300), QPoint(800, 500));
        QSignalSpy captured(selector.get(), &Selector::captured);
        QVERIFY(drag(QPoint(1200, 800), QPoint(1300, 900)));
        QTest::qWait(300);
        QCOMPARE(selector->currentStatus(), int(Selector::CAPTURED));
        QCOMPARE(selector->selectedRect(), QRect(QPoint(500, 300), QPoint(800, 500)));
        QCOMPARE(captured.count(), 0);
    }

    void lockedIgnoresPressesAndSelectAll()
    {
        select(QPoint(500, 300), QPoint(800, 500));
        selector->setStatus(Selector::LOCKED);
        QSignalSpy captured(selector.get(), &Selector::captured);
        QVERIFY(drag(QPoint(650, 400), QPoint(700, 450)));
        QVERIFY(key(QStringLiteral("ctrl+a")));
        QVERIFY(key(QStringLiteral("d")));
        QTest::qWait(300);
        QCOMPARE(selector->currentStatus(), int(Selector::LOCKED));
        QCOMPARE(selector->selectedRect(), QRect(QPoint(500, 300), QPoint(800, 500)));
        QCOMPARE(captured.count(), 0);
    }

    void selectAllWhenStarted()
    {
        startFresh(false);
        QSignalSpy captured(selector.get(), &Selector::captured);
        QStringList order;
        connect(selector.get(), &Selector::resized, this, [&order]() { order << QStringLiteral("resized"); });
        connect(selector.get(), &Selector::captured, this, [&order]() { order << QStringLiteral("captured"); });
        QVERIFY(key(QStringLiteral("w"))); // does nothing before a selection
        QVERIFY(key(QStringLiteral("ctrl+a")));
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), 1, 10000);
        QCOMPARE(order, QStringList({ QStringLiteral("resized"), QStringLiteral("captured") }));
        QCOMPARE(selector->selectedRect(), QRect(0, 0, 1920, 1080));
        QCOMPARE(selector->currentStatus(), int(Selector::CAPTURED));
        disconnect(selector.get(), nullptr, this, nullptr);
    }

    void nudgesStopAtTheEdges()
    {
        select(QPoint(0, 0), QPoint(99, 49));
        QSignalSpy moved(selector.get(), &Selector::moved);
        QSignalSpy resized(selector.get(), &Selector::resized);
        for (const char* k : { "a", "w", "ctrl+Left", "ctrl+Up" })
            QVERIFY(key(QLatin1String(k)));
        QTRY_COMPARE_WITH_TIMEOUT(resized.count(), 2, 10000);
        QCOMPARE(moved.count(), 2);
        QCOMPARE(selector->selectedRect(), QRect(0, 0, 100, 50));

        QVERIFY(key(QStringLiteral("d")));
        QVERIFY(key(QStringLiteral("s")));
        QTRY_COMPARE_WITH_TIMEOUT(selector->selectedRect(), QRect(1, 1, 100, 50), 10000);
        QVERIFY(key(QStringLiteral("ctrl+Right")));
        QVERIFY(key(QStringLiteral("ctrl+Down")));
        QTRY_COMPARE_WITH_TIMEOUT(selector->selectedRect(), QRect(1, 1, 101, 51), 10000);
        QVERIFY(key(QStringLiteral("shift+Left")));
        QVERIFY(key(QStringLiteral("shift+Up")));
        QTRY_COMPARE_WITH_TIMEOUT(selector->selectedRect(), QRect(2, 2, 100, 50), 10000);
        QVERIFY(key(QStringLiteral("shift+Right")));
        QVERIFY(key(QStringLiteral("shift+Down")));
        QTRY_COMPARE_WITH_TIMEOUT(selector->selectedRect(), QRect(2, 2, 99, 49), 10000);

        // Growing stops on the last column and row of the desktop: a
        // selection never takes in pixels that are not there.
        QVERIFY(key(QStringLiteral("ctrl+a")));
        QTRY_COMPARE_WITH_TIMEOUT(selector->selectedRect(), QRect(0, 0, 1920, 1080), 10000);
        resized.clear();
        QVERIFY(key(QStringLiteral("ctrl+Right")));
        QVERIFY(key(QStringLiteral("ctrl+Down")));
        QVERIFY(key(QStringLiteral("d")));
        QVERIFY(key(QStringLiteral("s")));
        QTRY_COMPARE_WITH_TIMEOUT(resized.count(), 2, 10000);
        QCOMPARE(selector->selectedRect(), QRect(0, 0, 1920, 1080));

        // Shrinking stops at one pixel and never turns the box over.
        select(QPoint(1915, 1075), QPoint(1917, 1077));
        for (int i = 0; i < 4; ++i) {
            QVERIFY(key(QStringLiteral("shift+Left")));
            QVERIFY(key(QStringLiteral("shift+Up")));
        }
        QTRY_COMPARE_WITH_TIMEOUT(selector->selectedRect(), QRect(1917, 1077, 1, 1), 10000);
        QVERIFY(key(QStringLiteral("shift+Right")));
        QVERIFY(key(QStringLiteral("shift+Down")));
        QTest::qWait(200);
        QCOMPARE(selector->selectedRect(), QRect(1917, 1077, 1, 1));
        QVERIFY(key(QStringLiteral("d")));
        QVERIFY(key(QStringLiteral("s")));
        QVERIFY(key(QStringLiteral("ctrl+Up")));
        QTRY_COMPARE_WITH_TIMEOUT(selector->selectedRect(), QRect(1918, 1077, 1, 2), 10000);
        QVERIFY(selector->selection().bounds.contains(selector->selectedRect()));
    }

    void desktopGrabMatchesTheScreen()
    {
        QVERIFY(!selector->isVisible());
        const QRect frame = testutil::x11FrameRect(window.get());
        const QPoint inWindow = frame.center();
        const QColor windowColour = testutil::screenPixel(inWindow);
        const QImage whole = grabDesktop(QRect(0, 0, 1920, 1080)).toImage();
        QCOMPARE(whole.size(), QSize(1920, 1080));
        QVERIFY(near(whole.pixelColor(inWindow), windowColour, 0));
        QVERIFY(near(whole.pixelColor(1850, 30), desktopColour, 0));
        // a part of it lines up with the same place on screen
        const QImage part = grabDesktop(QRect(inWindow - QPoint(5, 7), QSize(20, 20))).toImage();
        QCOMPARE(part.size(), QSize(20, 20));
        QVERIFY(near(part.pixelColor(5, 7), windowColour, 0));
        // twice in a row gives the same picture
        QCOMPARE(grabDesktop(QRect(0, 0, 1920, 1080)).toImage(), whole);
        QVERIFY(grabDesktop(QRect()).isNull());

        // A grab keeps its pixels while the desktop changes and later grabs
        // are taken and dropped, and the copies of it share them.
        const QPixmap kept = grabDesktop(QRect(0, 0, 1920, 1080));
        const QImage keptImage = kept.toImage();
        QCOMPARE(keptImage.cacheKey(), kept.toImage().cacheKey());
        const QPoint old = window->pos();
        window->move(old + QPoint(300, 200));
        QTRY_VERIFY_WITH_TIMEOUT(testutil::x11FrameRect(window.get()).center() != inWindow, 10000);
        QTest::qWait(300);
        for (int i = 0; i < 3; ++i)
            QVERIFY(grabDesktop(QRect(0, 0, 1920, 1080)).toImage() != whole);
        QCOMPARE(keptImage, whole);
        window->move(old);
        QTRY_COMPARE_WITH_TIMEOUT(testutil::x11FrameRect(window.get()).center(), inWindow, 10000);
        QTest::qWait(300);
        // the memory of a dropped grab, last written with the moved window,
        // serves the next one and is rewritten all over
        QCOMPARE(grabDesktop(QRect(0, 0, 1920, 1080)).toImage(), whole);
    }

    void frozenDesktopWithoutCompositor()
    {
        startFresh(false);
        // no compositing manager in this session: the overlay shows a grab
        QVERIFY(selector->hasFrozenDesktop());
        selector->exit();
        QVERIFY(!selector->hasFrozenDesktop());
        QVERIFY(!selector->isVisible());
        QCOMPARE(selector->selectedRect(), QRect(0, 0, 1, 1));
        QCOMPARE(selector->currentStatus(), int(Selector::IDLE));
    }

    void exitAndStartAgain()
    {
        select(QPoint(100, 100), QPoint(200, 200));
        selector->exit();
        QVERIFY(!selector->sizeInfo()->isVisible());
        QVERIFY(!selector->hasMouseTracking());
        // a second start while running is ignored
        selector->start();
        QVERIFY(selector->hasMouseTracking());
        selector->setStatus(Selector::CAPTURED);
        selector->start();
        QCOMPARE(selector->currentStatus(), int(Selector::CAPTURED));
    }

    void paintClearsPendingModification()
    {
        startFresh(false);
        selector->setModified(3);
        selector->update();
        QTRY_COMPARE_WITH_TIMEOUT(selector->pendingModification(), 0, 10000);
    }

    void themeFromConfiguration()
    {
        SelectorTheme setting;
        setting.borderColor = QColor(QStringLiteral("#ff00ff00"));
        setting.borderWidth = 3;
        setting.borderStyle = Qt::DashLine;
        setting.maskColor = QColor(QStringLiteral("#80102030"));
        selector->updateTheme(setting);
        QCOMPARE(selector->borderPen().color(), QColor(0, 255, 0, 255));
        QCOMPARE(selector->borderPen().width(), 3);
        QCOMPARE(selector->borderPen().style(), Qt::DashLine);
        QCOMPARE(selector->currentMaskColor(), QColor(0x10, 0x20, 0x30, 0x80));

        // the mask colour shows on screen at the next paint
        select(QPoint(500, 300), QPoint(800, 500));
        const QColor expected = dimmed(desktopColour, 0x80);
        const QColor tint(qRound(0x10 * 0x80 / 255.0), qRound(0x20 * 0x80 / 255.0), qRound(0x30 * 0x80 / 255.0));
        const QColor mixed(expected.red() + tint.red(), expected.green() + tint.green(), expected.blue() + tint.blue());
        QTRY_VERIFY_WITH_TIMEOUT(near(testutil::screenPixel(QPoint(1850, 30)), mixed, 4), 10000);
        selector->exit();

        // the defaults of the configuration file
        Config config(testutil::tempDir() + QStringLiteral("/theme-config"));
        selector->updateTheme(config.selectorTheme(Config::Snip));
        QCOMPARE(selector->borderPen().color(), QColor(0x40, 0x9e, 0xff));
        QCOMPARE(selector->borderPen().width(), 1);
        QCOMPARE(selector->borderPen().style(), Qt::DashDotLine);
        QCOMPARE(selector->currentMaskColor(), QColor(0, 0, 0, 0x88));
    }

    void drawSelectorMarksAnyBox()
    {
        QImage canvas(200, 200, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing, true);
        Resizer box(150, 140, 40, 30); // dragged the other way round
        selector->drawSelector(&p, box);
        p.end();
        // hollow handles: black outline, white middle
        QCOMPARE(canvas.pixelColor(38, 28), QColor(Qt::black));
        QCOMPARE(canvas.pixelColor(41, 31), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(153, 143), QColor(Qt::black));
        QCOMPARE(canvas.pixelColor(152, 142), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(93, 31), QColor(Qt::black)); // top middle handle
        QCOMPARE(canvas.pixelColor(95, 31), QColor(Qt::white));
        // dashed frame: some black and some white along the top edge
        int black = 0;
        for (int x = 50; x < 85; ++x)
            black += canvas.pixelColor(x, 30) == QColor(Qt::black);
        QVERIFY(black > 5 && black < 30);
        QCOMPARE(canvas.pixelColor(100, 100), QColor(Qt::white));
    }

    void cleanupTestCase()
    {
        selector.reset();
        window.reset();
    }
};

QTEST_MAIN(TestSelector)
#include "tst_selector.moc"
