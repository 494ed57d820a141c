// klipora-test: x11
#include <QtTest>

#include <QMouseEvent>

#include "core/selector.h"
#include "testutil.h"

namespace {

QImage screen()
{
    const testutil::ProcessResult r = testutil::run(QStringLiteral("/usr/bin/import"),
                                                    { QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-") });
    return QImage::fromData(r.out, "png").convertToFormat(QImage::Format_RGB32);
}

void send(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButtons buttons, Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
    // each move gets its own paint, as when a user drags slowly
    QApplication::processEvents();
}

void drag(QWidget* w, const QPoint& from, const QPoint& to, int steps)
{
    send(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= steps; ++i)
        send(w, QEvent::MouseMove, from + (to - from) * i / steps, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, to, Qt::NoButton, Qt::LeftButton);
}

} // namespace

// The overlay repaints only what a mouse move changes. What the user sees
// after many such partial paints must be exactly what one full paint gives.
class TestSelectorRepaint : public QObject
{
    Q_OBJECT

private slots:
    void partialPaintsAddUpToAFullPaint()
    {
        if (!testutil::haveX11())
            QSKIP("needs an X server");
        Selector selector(nullptr);
        selector.setUseDetectWindow(false);
        selector.start();
        QVERIFY(QTest::qWaitForWindowExposed(&selector));
        QTest::qWait(300);
        const QImage before = screen();

        drag(&selector, QPoint(200, 150), QPoint(900, 700), 40);            // drag out
        drag(&selector, QPoint(500, 400), QPoint(380, 460), 20);            // move
        drag(&selector, QPoint(900, 700), QPoint(150, 120), 40);            // resize past the opposite corner
        drag(&selector, QPoint(200, 150), QPoint(1000, 150), 30);           // resize one edge across
        QTest::qWait(500);
        const QImage partial = screen();

        selector.update();
        QTest::qWait(500);
        const QImage full = screen();

        QVERIFY(!partial.isNull());
        QCOMPARE(partial.size(), full.size());
        QVERIFY2(partial != before, "the selection changed nothing on the screen");
        if (partial != full) {
            int diffs = 0;
            QPoint first(-1, -1);
            for (int y = 0; y < full.height(); ++y)
                for (int x = 0; x < full.width(); ++x)
                    if (partial.pixel(x, y) != full.pixel(x, y) && diffs++ == 0)
                        first = QPoint(x, y);
            QFAIL(qPrintable(QString("%1 pixels differ, the first at %2,%3").arg(diffs).arg(first.x()).arg(first.y())));
        }
        selector.exit();
    }
};

QTEST_MAIN(TestSelectorRepaint)
#include "tst_selectorrepaint.moc"
