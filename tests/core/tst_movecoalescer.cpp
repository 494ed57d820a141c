#include <QElapsedTimer>
#include <QtTest>

#include <memory>

#include "core/movecoalescer.h"

namespace {

QMouseEvent moveTo(int x, int y)
{
    return QMouseEvent(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), QPointF(x + 1000, y + 1000), Qt::NoButton,
                       Qt::LeftButton, Qt::ShiftModifier, Qt::MouseEventNotSynthesized);
}

} // namespace

// Moves faster than the screen refreshes become one: the newest.
class TestMoveCoalescer : public QObject
{
    Q_OBJECT

    std::unique_ptr<MoveCoalescer> coalescer;

private slots:
    // a new one each time: none has handed a move on yet
    void init() { coalescer = std::make_unique<MoveCoalescer>(); }

    void intervalsFollowTheRefreshRate()
    {
        QCOMPARE(MoveCoalescer::intervalFor(60), 16);
        QCOMPARE(MoveCoalescer::intervalFor(59.94), 16);
        QCOMPARE(MoveCoalescer::intervalFor(144), 6);
        QCOMPARE(MoveCoalescer::intervalFor(240), 4);
        // unknown (0), absurd or not a number: 60 Hz
        QCOMPARE(MoveCoalescer::intervalFor(0), 16);
        QCOMPARE(MoveCoalescer::intervalFor(-5), 16);
        QCOMPARE(MoveCoalescer::intervalFor(1e6), 16);
        QCOMPARE(MoveCoalescer::intervalFor(qQNaN()), 16);
    }

    void theNewestHeldMoveArrivesWhole()
    {
        QVector<QMouseEvent> arrived;
        connect(coalescer.get(), &MoveCoalescer::due, this, [&arrived](const QMouseEvent& e) { arrived << e; });
        coalescer->setInterval(0);
        QVERIFY(!coalescer->hold(moveTo(1, 1)));
        QVERIFY(!coalescer->hold(moveTo(2, 2)));
        QVERIFY(!coalescer->holding());

        // the first after the interval is handed on; the next two are held
        coalescer->setInterval(60 * 60 * 1000);
        QVERIFY(coalescer->hold(moveTo(10, 20)));
        QVERIFY(coalescer->hold(moveTo(30, 40)));
        QVERIFY(coalescer->holding());
        coalescer->flush();
        QCOMPARE(arrived.size(), 1);
        const QMouseEvent& e = arrived.first();
        QCOMPARE(e.type(), QEvent::MouseMove);
        QCOMPARE(e.localPos(), QPointF(30, 40));
        QCOMPARE(e.screenPos(), QPointF(1030, 1040));
        QCOMPARE(e.buttons(), Qt::MouseButtons(Qt::LeftButton));
        QCOMPARE(e.modifiers(), Qt::KeyboardModifiers(Qt::ShiftModifier));
        // nothing more: a flush with nothing held hands on nothing
        coalescer->flush();
        QCOMPARE(arrived.size(), 1);
        // right after one was handed on, the next is held again
        QVERIFY(coalescer->hold(moveTo(50, 60)));
        coalescer->drop();
        coalescer->flush();
        QCOMPARE(arrived.size(), 1);
        disconnect(coalescer.get(), nullptr, this, nullptr);
    }

    void heldMovesComeWhenTheRefreshIsDue()
    {
        QVector<QPointF> arrived;
        connect(coalescer.get(), &MoveCoalescer::due, this, [&arrived](const QMouseEvent& e) { arrived << e.localPos(); });
        coalescer->setInterval(30);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!coalescer->hold(moveTo(1, 1)));
        int held = 0;
        // a burst, as a fast mouse gives
        for (int i = 2; i <= 50 && clock.elapsed() < 20; ++i)
            held += coalescer->hold(moveTo(i, i)) ? 1 : 0;
        QTRY_VERIFY_WITH_TIMEOUT(!coalescer->holding(), 5000);
        // (a machine that stalled past the interval held nothing)
        if (held > 0) {
            QCOMPARE(arrived.size(), 1);
            QCOMPARE(arrived.first(), QPointF(held + 1, held + 1));
            QVERIFY(clock.elapsed() >= 25);
        }
        // After a pause the next move goes straight on: no frame is added
        // where the mouse was still.
        QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 100, 5000);
        QVERIFY(!coalescer->hold(moveTo(500, 500)));
        disconnect(coalescer.get(), nullptr, this, nullptr);
    }
};

QTEST_GUILESS_MAIN(TestMoveCoalescer)
#include "tst_movecoalescer.moc"
