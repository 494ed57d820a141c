#include <QtTest>

#include "core/displayinfo.h"
#include "core/resizer.h"

// One rectangle from (100, 100) to (200, 160), stored either way round.
static Resizer box(bool reversed)
{
    Resizer r = reversed ? Resizer(200, 160, 100, 100) : Resizer(100, 100, 200, 160);
    r.bounds = QRect(0, 0, 1920, 1080);
    return r;
}

class TestResizer : public QObject
{
    Q_OBJECT

private slots:
    void rectIsInclusiveAndNormalised()
    {
        for (bool reversed : { false, true }) {
            const Resizer r = box(reversed);
            QCOMPARE(r.rect(), QRect(100, 100, 101, 61));
        }
        Resizer r;
        r.setRect(QRect(10, 20, 30, 40));
        QCOMPARE(r.x1, 10);
        QCOMPARE(r.y1, 20);
        QCOMPARE(r.x2, 39);
        QCOMPARE(r.y2, 59);
        QCOMPARE(r.rect(), QRect(10, 20, 30, 40));

        Resizer point(7, 9, 7, 9);
        QCOMPARE(point.rect().size(), QSize(1, 1));
    }

    void defaultsFollowTheDesktop()
    {
        DisplayInfo::instance();
        QVERIFY(!DisplayInfo::maxSize().isEmpty());
        const Resizer r;
        QCOMPARE(r.bounds, QRect(QPoint(0, 0), DisplayInfo::maxSize()));
        QCOMPARE(r.x1 | r.y1 | r.x2 | r.y2, 0);
        QCOMPARE(r.borderWidth, 5);
        QVERIFY(!r.rotatable);
    }

    void position_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("forward");
        QTest::addColumn<int>("reversed");

        QTest::newRow("left middle handle") << QPoint(100, 130) << int(Resizer::ANCHOR_X1) << int(Resizer::ANCHOR_X2);
        QTest::newRow("right middle handle") << QPoint(200, 130) << int(Resizer::ANCHOR_X2) << int(Resizer::ANCHOR_X1);
        QTest::newRow("top middle handle") << QPoint(150, 100) << int(Resizer::ANCHOR_Y1) << int(Resizer::ANCHOR_Y2);
        QTest::newRow("bottom middle handle") << QPoint(150, 160) << int(Resizer::ANCHOR_Y2) << int(Resizer::ANCHOR_Y1);
        QTest::newRow("top-left handle") << QPoint(100, 100) << int(Resizer::ANCHOR_X1Y1) << int(Resizer::ANCHOR_X2Y2);
        QTest::newRow("top-right handle") << QPoint(200, 100) << int(Resizer::ANCHOR_X2Y1) << int(Resizer::ANCHOR_X1Y2);
        QTest::newRow("bottom-left handle") << QPoint(100, 160) << int(Resizer::ANCHOR_X1Y2) << int(Resizer::ANCHOR_X2Y1);
        QTest::newRow("bottom-right handle") << QPoint(200, 160) << int(Resizer::ANCHOR_X2Y2) << int(Resizer::ANCHOR_X1Y1);
        // (102, 102) lies on the top and left border strips too: handles win.
        QTest::newRow("handle edge over border") << QPoint(102, 102) << int(Resizer::ANCHOR_X1Y1) << int(Resizer::ANCHOR_X2Y2);
        QTest::newRow("handle far corner") << QPoint(98, 98) << int(Resizer::ANCHOR_X1Y1) << int(Resizer::ANCHOR_X2Y2);
        QTest::newRow("top strip upper row") << QPoint(120, 98) << int(Resizer::BORDER_Y1) << int(Resizer::BORDER_Y2);
        QTest::newRow("top strip lower row") << QPoint(120, 102) << int(Resizer::BORDER_Y1) << int(Resizer::BORDER_Y2);
        QTest::newRow("bottom strip") << QPoint(170, 162) << int(Resizer::BORDER_Y2) << int(Resizer::BORDER_Y1);
        QTest::newRow("left strip") << QPoint(98, 120) << int(Resizer::BORDER_X1) << int(Resizer::BORDER_X2);
        QTest::newRow("right strip") << QPoint(202, 145) << int(Resizer::BORDER_X2) << int(Resizer::BORDER_X1);
        QTest::newRow("just inside top strip") << QPoint(120, 103) << int(Resizer::INSIDE) << int(Resizer::INSIDE);
        QTest::newRow("centre") << QPoint(150, 130) << int(Resizer::INSIDE) << int(Resizer::INSIDE);
        QTest::newRow("above top strip") << QPoint(120, 97) << int(Resizer::OUTSIDE) << int(Resizer::OUTSIDE);
        QTest::newRow("left of left strip") << QPoint(97, 120) << int(Resizer::OUTSIDE) << int(Resizer::OUTSIDE);
        QTest::newRow("right of right strip") << QPoint(203, 120) << int(Resizer::OUTSIDE) << int(Resizer::OUTSIDE);
        // strips do not reach past the corners
        QTest::newRow("beside a corner") << QPoint(203, 100) << int(Resizer::OUTSIDE) << int(Resizer::OUTSIDE);
        QTest::newRow("far away") << QPoint(1000, 900) << int(Resizer::OUTSIDE) << int(Resizer::OUTSIDE);
        QTest::newRow("rotate spot without rotation") << QPoint(150, 90) << int(Resizer::OUTSIDE) << int(Resizer::OUTSIDE);
    }

    void position()
    {
        QFETCH(QPoint, point);
        QFETCH(int, forward);
        QFETCH(int, reversed);
        QCOMPARE(box(false).position(point), forward);
        QCOMPARE(box(true).position(point), reversed);
    }

    void absolutePosition_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("code");

        QTest::newRow("left handle") << QPoint(100, 130) << int(Resizer::ADJUST_ANCHOR_LEFT);
        QTest::newRow("right handle") << QPoint(200, 130) << int(Resizer::ADJUST_ANCHOR_RIGHT);
        QTest::newRow("top handle") << QPoint(150, 100) << int(Resizer::ADJUST_ANCHOR_TOP);
        QTest::newRow("bottom handle") << QPoint(150, 160) << int(Resizer::ADJUST_ANCHOR_BOTTOM);
        QTest::newRow("top-left") << QPoint(100, 100) << int(Resizer::ADJUST_ANCHOR_TOP_LEFT);
        QTest::newRow("top-right") << QPoint(200, 100) << int(Resizer::ADJUST_ANCHOR_TOP_RIGHT);
        QTest::newRow("bottom-right") << QPoint(200, 160) << int(Resizer::ADJUST_ANCHOR_BOTTOM_RIGHT);
        QTest::newRow("bottom-left") << QPoint(100, 160) << int(Resizer::ADJUST_ANCHOR_BOTTOM_LEFT);
        QTest::newRow("handle over border") << QPoint(102, 102) << int(Resizer::ADJUST_ANCHOR_TOP_LEFT);
        QTest::newRow("left border") << QPoint(98, 120) << int(Resizer::ADJUST_LEFT);
        QTest::newRow("right border") << QPoint(202, 145) << int(Resizer::ADJUST_RIGHT);
        QTest::newRow("top border") << QPoint(120, 98) << int(Resizer::ADJUST_TOP);
        QTest::newRow("bottom border") << QPoint(170, 162) << int(Resizer::ADJUST_BOTTOM);
        QTest::newRow("inside") << QPoint(150, 130) << int(Resizer::INSIDE);
        QTest::newRow("outside") << QPoint(97, 120) << int(Resizer::OUTSIDE);
    }

    void absolutePosition()
    {
        QFETCH(QPoint, point);
        QFETCH(int, code);
        // Screen terms: the same answer whichever way the box was dragged.
        QCOMPARE(box(false).absolutePosition(point), code);
        QCOMPARE(box(true).absolutePosition(point), code);
        if (code & Resizer::ADJUST)
            QVERIFY(!(code & (Resizer::INSIDE | Resizer::OUTSIDE)));
    }

    void onePixelRectangleAnswersFirstHandle()
    {
        Resizer r(40, 50, 40, 50);
        QCOMPARE(r.position(QPoint(40, 50)), int(Resizer::ANCHOR_X1));
        QCOMPARE(r.position(QPoint(42, 52)), int(Resizer::ANCHOR_X1));
        QCOMPARE(r.position(QPoint(43, 50)), int(Resizer::OUTSIDE));
        QCOMPARE(r.absolutePosition(QPoint(40, 50)), int(Resizer::ADJUST_ANCHOR_LEFT));
        const QVector<QRect> handles = r.anchors();
        QCOMPARE(handles.size(), 8);
        for (const QRect& h : handles)
            QCOMPARE(h, QRect(38, 48, 5, 5));
    }

    void rotateHandleOnlyWhenRotatable()
    {
        Resizer r = box(false);
        r.rotatable = true;
        // 9 x 9 square centred 10 pixels above the middle of the top edge
        QCOMPARE(r.position(QPoint(150, 90)), int(Resizer::ROTATE_ANCHOR));
        QCOMPARE(r.position(QPoint(146, 86)), int(Resizer::ROTATE_ANCHOR));
        QCOMPARE(r.position(QPoint(154, 94)), int(Resizer::ROTATE_ANCHOR));
        QCOMPARE(r.position(QPoint(150, 95)), int(Resizer::OUTSIDE));
        QCOMPARE(r.position(QPoint(155, 90)), int(Resizer::OUTSIDE));
        QCOMPARE(r.absolutePosition(QPoint(150, 90)), int(Resizer::ROTATE_ANCHOR));
        // the top handle still comes first
        QCOMPARE(r.position(QPoint(150, 100)), int(Resizer::ANCHOR_Y1));
    }

    void anchorsInOrderEitherWay()
    {
        const QVector<QRect> expected = {
            Resizer::square(200, 130), Resizer::square(150, 100), Resizer::square(150, 160),
            Resizer::square(100, 130), Resizer::square(100, 100), Resizer::square(200, 100),
            Resizer::square(100, 160), Resizer::square(200, 160),
        };
        QCOMPARE(box(false).anchors(), expected);
        QCOMPARE(box(true).anchors(), expected);
        QCOMPARE(Resizer::square(10, 10), QRect(8, 8, 5, 5));
        // the middle truncates toward zero, also for negative corners
        Resizer r(-3, -3, 0, 0);
        QCOMPARE(r.midX(), -1);
        QCOMPARE(r.anchors().at(1), Resizer::square(-1, -3));
    }

    void move_data()
    {
        QTest::addColumn<QRect>("start");
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<QRect>("end");

        const QRect atLeft(0, 300, 50, 40);
        const QRect atTop(300, 0, 50, 40);
        const QRect atRight(1870, 300, 50, 40);
        const QRect atBottom(300, 1040, 50, 40);
        for (bool rev : { false, true }) {
            const char* way = rev ? " reversed" : "";
            QTest::addRow("left edge, left%s", way) << atLeft << rev << -5 << 0 << atLeft;
            QTest::addRow("left edge, right%s", way) << atLeft << rev << 5 << 0 << atLeft.translated(5, 0);
            QTest::addRow("top edge, up%s", way) << atTop << rev << 0 << -1 << atTop;
            QTest::addRow("top edge, down%s", way) << atTop << rev << 0 << 3 << atTop.translated(0, 3);
            QTest::addRow("right edge, right%s", way) << atRight << rev << 1 << 0 << atRight;
            QTest::addRow("right edge, left%s", way) << atRight << rev << -7 << 0 << atRight.translated(-7, 0);
            QTest::addRow("bottom edge, down%s", way) << atBottom << rev << 0 << 9 << atBottom;
            QTest::addRow("near right, overshoot%s", way) << QRect(1860, 300, 50, 40) << rev << 25 << 0
                                                         << QRect(1870, 300, 50, 40);
            QTest::addRow("near top-left, diagonal%s", way) << QRect(3, 4, 50, 40) << rev << -10 << -10
                                                           << QRect(0, 0, 50, 40);
            QTest::addRow("free move%s", way) << QRect(500, 500, 20, 10) << rev << -30 << 44
                                              << QRect(470, 544, 20, 10);
            // Partly outside (a resize is not clamped): pulled back in.
            QTest::addRow("past right, no move%s", way) << QRect(1900, 10, 40, 10) << rev << 0 << 0
                                                        << QRect(1880, 10, 40, 10);
            QTest::addRow("past bottom, no move%s", way) << QRect(10, 1070, 40, 20) << rev << 0 << 0
                                                         << QRect(10, 1060, 40, 20);
            QTest::addRow("past left, moved left%s", way) << QRect(-10, 10, 40, 10) << rev << -1 << 0
                                                          << QRect(0, 10, 40, 10);
            QTest::addRow("past top, moved up%s", way) << QRect(10, -6, 40, 10) << rev << 0 << -2
                                                       << QRect(10, 0, 40, 10);
        }
    }

    void move()
    {
        QFETCH(QRect, start);
        QFETCH(bool, reversed);
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(QRect, end);
        Resizer r;
        r.bounds = QRect(0, 0, 1920, 1080);
        r.setRect(start);
        if (reversed) {
            std::swap(r.x1, r.x2);
            std::swap(r.y1, r.y2);
        }
        r.move(dx, dy);
        QCOMPARE(r.rect(), end);
        QCOMPARE(r.x1 > r.x2, reversed);
        QCOMPARE(r.y1 > r.y2, reversed);
    }

    void moveStopsAtZeroNotAtBoundsOrigin()
    {
        Resizer r;
        r.bounds = QRect(100, 100, 500, 500);
        r.setRect(QRect(50, 60, 10, 10));
        r.move(-80, -80);
        QCOMPARE(r.rect(), QRect(0, 0, 10, 10));
        r.move(1000, 1000);
        QCOMPARE(r.rect().bottomRight(), r.bounds.bottomRight());
    }
};

QTEST_MAIN(TestResizer)
#include "tst_resizer.moc"
