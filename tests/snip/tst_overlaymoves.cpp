// klipora-test: x11
#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QtTest>
#include <QtTest/qtestspontaneevent.h>

#include <memory>

#include "core/movecoalescer.h"
#include "core/resources.h"
#include "snip/magnifier.h"
#include "snip/screenshoter.h"
#include "testutil.h"
#include "widgets/iconbutton.h"
#include "widgets/imageeditmenu.h"

namespace {

// A colour for every desktop pixel, so the magnifier's pixels tell where
// they came from.
QColor patternAt(int x, int y)
{
    return QColor((x * 7) % 256, (y * 5) % 256, ((x / 37) * 40 + (y / 29) * 30) % 256);
}

// Counts the overlay's own paints.
class CountingShoter : public ScreenShoter
{
public:
    int paints = 0;
    using Selector::moveCoalescer;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        ScreenShoter::paintEvent(event);
    }
};

void mouse(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButtons buttons,
           Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// As the window system delivers it, so that moves may be merged.
void fromWindowSystem(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButtons buttons,
                      Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
    QSpontaneKeyEvent::setSpontaneous(&e);
    QApplication::instance()->notify(w, &e);
}

// Everything a move asked for is painted and flushed.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
}

QImage screen()
{
    const testutil::ProcessResult r = testutil::run(
        QStringLiteral("/usr/bin/import"), { QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-") });
    return QImage::fromData(r.out, "png").convertToFormat(QImage::Format_RGB32);
}

QString firstDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes differ");
    int diffs = 0;
    QPoint first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && diffs++ == 0)
                first = QPoint(x, y);
    return diffs ? QStringLiteral("%1 pixels differ, the first at %2,%3").arg(diffs).arg(first.x()).arg(first.y())
                 : QString();
}

} // namespace

// What one mouse move over the screenshot overlay shows: the magnifier at
// the cursor with the pixels beneath it, the size label up to date, and no
// trace of where either was before.
class TestOverlayMoves : public QObject
{
    Q_OBJECT

    std::unique_ptr<testutil::PatternWindow> background;
    std::unique_ptr<CountingShoter> shoter;

    void startOverlay()
    {
        QApplication::processEvents();
        background->repaint();
        shoter->start();
        QTRY_VERIFY_WITH_TIMEOUT(shoter->isVisible(), 5000);
        QVERIFY(QTest::qWaitForWindowExposed(shoter.get(), 10000));
        QTest::qWait(300);
        settle();
    }

private slots:
    void initTestCase()
    {
        initResources();
        QVERIFY(testutil::haveX11());
        background = std::make_unique<testutil::PatternWindow>(patternAt);
        background->show();
        QVERIFY(QTest::qWaitForWindowExposed(background.get(), 10000));
        QTest::qWait(300);
    }

    void init() { shoter = std::make_unique<CountingShoter>(); }

    void cleanup()
    {
        if (shoter && shoter->isVisible())
            shoter->exit();
        shoter.reset();
    }

    void magnifierFollowsTheCursorWithThePixelsBeneath()
    {
        startOverlay();
        Magnifier* m = shoter->magnifier();
        const QSize desktop = shoter->size();
        // Before the press, while dragging, and near the right and bottom
        // edges, where the panel turns to the other side of the cursor.
        const QVector<QPoint> hoverPath = { { 300, 200 }, { 305, 203 }, { 640, 420 } };
        for (const QPoint& p : hoverPath) {
            mouse(shoter.get(), QEvent::MouseMove, p, Qt::NoButton);
            QVERIFY(m->isVisible());
            QCOMPARE(m->pos(), p + QPoint(10, 10));
            QCOMPARE(m->colorName(), patternAt(p.x(), p.y()).name());
        }
        mouse(shoter.get(), QEvent::MouseButtonPress, QPoint(640, 420), Qt::LeftButton, Qt::LeftButton);
        const QPoint corner(desktop.width() - 20, desktop.height() - 30);
        for (const QPoint& p : { QPoint(700, 500), QPoint(900, 600), corner }) {
            mouse(shoter.get(), QEvent::MouseMove, p, Qt::LeftButton);
            QVERIFY(m->isVisible());
            QCOMPARE(m->colorName(), patternAt(p.x(), p.y()).name());
        }
        QCOMPARE(m->pos(), corner - QPoint(10 + m->width(), 10 + m->height()));

        // On the screen: the pixel under the cursor in the middle of the
        // cross-hair, and a source pixel five times enlarged beside it.
        mouse(shoter.get(), QEvent::MouseMove, QPoint(900, 600), Qt::LeftButton);
        settle();
        QTest::qWait(200);
        const QImage shot = screen();
        const QPoint at = m->pos();
        QCOMPARE(at, QPoint(910, 610));
        QCOMPARE(shot.pixelColor(at + QPoint(77, 62)), patternAt(900, 600));
        // view pixel (100, 27) shows source pixel (20, 5): the cursor + (5, -7)
        for (const QPoint& d : { QPoint(100, 25), QPoint(104, 29) })
            QCOMPARE(shot.pixelColor(at + d), patternAt(905, 593));
        QCOMPARE(shot.pixelColor(at + QPoint(105, 27)), patternAt(906, 593));

        mouse(shoter.get(), QEvent::MouseButtonRelease, QPoint(900, 600), Qt::NoButton, Qt::LeftButton);
        mouse(shoter.get(), QEvent::MouseMove, QPoint(905, 600), Qt::NoButton);
        QVERIFY(!m->isVisible());
    }

    void everyMoveIsPaintedOnceAndTheLabelIsCurrentBeforeIt()
    {
        startOverlay();
        const int moves = 30;
        for (int i = 0; i < moves; ++i) {
            mouse(shoter.get(), QEvent::MouseMove, QPoint(200 + 9 * i, 150 + 4 * i), Qt::NoButton);
            settle();
        }
        const QPoint from(400, 300);
        mouse(shoter.get(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        settle();
        shoter->paints = 0;
        for (int i = 1; i <= moves; ++i) {
            const QPoint p = from + QPoint(7 * i, 5 * i);
            mouse(shoter.get(), QEvent::MouseMove, p, Qt::LeftButton);
            // already right before the paint, not one paint behind
            QCOMPARE(shoter->sizeInfo()->text(), QStringLiteral("%1 x %2").arg(7 * i + 1).arg(5 * i + 1));
            QCOMPARE(shoter->sizeInfo()->pos(), QPoint(401, 300 - shoter->sizeInfo()->height()));
            settle();
        }
        // One paint per move: the label and the magnifier join the
        // selection's repaint instead of asking for their own.
        QVERIFY2(shoter->paints <= moves, qPrintable(QString::number(shoter->paints)));
        QVERIFY(shoter->paints >= moves / 2);

        // Dragging the selection up past the top edge puts the label inside.
        mouse(shoter.get(), QEvent::MouseMove, QPoint(500, 10), Qt::LeftButton);
        QCOMPARE(shoter->sizeInfo()->text(), QStringLiteral("101 x 291"));
        QCOMPARE(shoter->sizeInfo()->pos(), QPoint(401, 11));
        mouse(shoter.get(), QEvent::MouseButtonRelease, QPoint(500, 10), Qt::NoButton, Qt::LeftButton);
    }

    void repaintsAfterManyMovesMatchAFullRepaint()
    {
        startOverlay();
        const QImage before = screen();
        for (int i = 0; i <= 40; ++i) {
            mouse(shoter.get(), QEvent::MouseMove, QPoint(100 + 13 * i, 80 + 6 * i), Qt::NoButton);
            settle();
        }
        const QPoint from(600, 330);
        mouse(shoter.get(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= 40; ++i) {
            // back over where the magnifier and the label were
            mouse(shoter.get(), QEvent::MouseMove, from + QPoint(17 * i - 8 * (i / 2), 9 * i - 5 * (i / 3)),
                  Qt::LeftButton);
            settle();
        }
        QTest::qWait(300);
        const QImage partial = screen();
        shoter->update();
        shoter->magnifier()->update();
        settle();
        QTest::qWait(300);
        const QImage full = screen();
        QVERIFY(!partial.isNull());
        QVERIFY2(partial != before, "the moves changed nothing on the screen");
        const QString diff = firstDifference(partial, full);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        mouse(shoter.get(), QEvent::MouseButtonRelease, from, Qt::NoButton, Qt::LeftButton);
    }

    void movesFasterThanTheScreenShowTheNewest()
    {
        startOverlay();
        MoveCoalescer* moves = shoter->moveCoalescer();
        Magnifier* m = shoter->magnifier();
        // the first move is handed on; then no refresh falls due in the test
        moves->setInterval(0);
        fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(300, 200), Qt::NoButton);
        QCOMPARE(m->colorName(), patternAt(300, 200).name());
        moves->setInterval(60 * 60 * 1000);
        fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(320, 210), Qt::NoButton);
        fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(340, 230), Qt::NoButton);
        QCOMPARE(m->colorName(), patternAt(300, 200).name());
        QVERIFY(moves->holding());

        // A press sees the pointer where the user left it: the selection
        // starts at the newest place.
        fromWindowSystem(shoter.get(), QEvent::MouseButtonPress, QPoint(340, 230), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(m->colorName(), patternAt(340, 230).name());
        QCOMPARE(m->pos(), QPoint(350, 240));
        for (int i = 1; i <= 10; ++i)
            fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(340 + 30 * i, 230 + 20 * i), Qt::LeftButton);
        // the drag's moves wait for the refresh too...
        QVERIFY(moves->holding());
        // ...which brings only the newest
        moves->setInterval(1);
        QTRY_VERIFY_WITH_TIMEOUT(!moves->holding(), 5000);
        QCOMPARE(shoter->sizeInfo()->text(), QStringLiteral("301 x 201"));
        QCOMPARE(m->colorName(), patternAt(640, 430).name());
        // The release ends the selection where the last move left it, even
        // with that move still held.
        moves->setInterval(60 * 60 * 1000);
        fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(650, 440), Qt::LeftButton);
        fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(660, 450), Qt::LeftButton);
        fromWindowSystem(shoter.get(), QEvent::MouseButtonRelease, QPoint(660, 450), Qt::NoButton, Qt::LeftButton);
        QVERIFY(!moves->holding());
        QCOMPARE(shoter->selectedRect(), QRect(QPoint(340, 230), QPoint(660, 450)));
        QCOMPARE(shoter->currentStatus(), int(Selector::CAPTURED));

        // Moving the whole selection takes the sum of the merged moves.
        fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(500, 300), Qt::NoButton);
        fromWindowSystem(shoter.get(), QEvent::MouseButtonPress, QPoint(500, 300), Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= 5; ++i)
            fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(500 + 10 * i, 300 - 7 * i), Qt::LeftButton);
        fromWindowSystem(shoter.get(), QEvent::MouseButtonRelease, QPoint(550, 265), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(shoter->selectedRect(), QRect(QPoint(390, 195), QPoint(710, 415)));

        // A closed overlay drops what it held.
        fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(600, 300), Qt::NoButton);
        fromWindowSystem(shoter.get(), QEvent::MouseMove, QPoint(610, 300), Qt::NoButton);
        shoter->exit();
        QVERIFY(!moves->holding());
    }

    void aStrokeKeepsEveryPointTheMouseReported()
    {
        startOverlay();
        MoveCoalescer* moves = shoter->moveCoalescer();
        mouse(shoter.get(), QEvent::MouseMove, QPoint(100, 100), Qt::NoButton);
        mouse(shoter.get(), QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
        mouse(shoter.get(), QEvent::MouseMove, QPoint(800, 600), Qt::LeftButton);
        mouse(shoter.get(), QEvent::MouseButtonRelease, QPoint(800, 600), Qt::NoButton, Qt::LeftButton);
        IconButton* pencil = shoter->menu()->toolButton(PENCIL);
        pencil->click();
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::LOCKED), 5000);

        // A V drawn faster than any refresh: its corner must be on the canvas.
        moves->setInterval(60 * 60 * 1000);
        const QPoint left(200, 200), corner(300, 400), right(400, 200);
        fromWindowSystem(shoter.get(), QEvent::MouseMove, left, Qt::NoButton);
        fromWindowSystem(shoter.get(), QEvent::MouseButtonPress, left, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= 8; ++i)
            fromWindowSystem(shoter.get(), QEvent::MouseMove, left + (corner - left) * i / 8, Qt::LeftButton);
        for (int i = 1; i <= 8; ++i)
            fromWindowSystem(shoter.get(), QEvent::MouseMove, corner + (right - corner) * i / 8, Qt::LeftButton);
        QVERIFY(!moves->holding());
        fromWindowSystem(shoter.get(), QEvent::MouseButtonRelease, right, Qt::NoButton, Qt::LeftButton);
        settle();
        const QImage canvas = shoter->canvas().toImage().convertToFormat(QImage::Format_RGB32);
        for (const QPoint& p : { corner, (left + corner) / 2, (corner + right) / 2 }) {
            const QColor c = canvas.pixelColor(p);
            QVERIFY2(c.red() > 200 && c.green() < 60 && c.blue() < 60,
                     qPrintable(QStringLiteral("%1,%2 is %3").arg(p.x()).arg(p.y()).arg(c.name())));
        }
    }

    void cleanupTestCase() { background.reset(); }
};

QTEST_MAIN(TestOverlayMoves)
#include "tst_overlaymoves.moc"
