#include <QtTest>

#include "core/devicepixels.h"

using namespace devicepixels;

// Mapping between the toolkit's logical pixels and the device pixels that
// grabs, the clipboard position and recordings count.
class TestDevicePixels : public QObject
{
    Q_OBJECT

private slots:
    void identityWithoutScaling()
    {
        const QRect r(12, 34, 56, 78);
        QCOMPARE(toDevice(r, 1.0), r);
        QCOMPARE(toLogical(r, 1.0), r);
        QCOMPARE(toDevice(QPoint(-5, 7), 1.0), QPoint(-5, 7));
        QCOMPARE(toLogical(QPoint(-5, 7), 1.0), QPoint(-5, 7));
        QCOMPARE(toDevice(QSize(1920, 1080), 1.0), QSize(1920, 1080));
        QCOMPARE(devicePixelAt(QPointF(3.0, 4.0), 1.0), QPoint(3, 4));
    }

    // A drag from device pixel (1200, 1000) to (2199, 1599) at factor 2: the
    // pointer lands between logical pixels at the end.
    void dragAtFactorTwoMapsToExactDevicePixels()
    {
        const QPoint from = pixelAt(QPointF(1200 / 2.0, 1000 / 2.0));
        const QPoint to = pixelAt(QPointF(2199 / 2.0, 1599 / 2.0));
        QCOMPARE(from, QPoint(600, 500));
        QCOMPARE(to, QPoint(1099, 799));
        const QRect logical(from, to);
        QCOMPARE(toDevice(logical, 2.0), QRect(1200, 1000, 1000, 600));
        QCOMPARE(toDevice(logical, 2.0).topLeft(), QPoint(1200, 1000));
        QCOMPARE(devicePixelAt(QPointF(2199 / 2.0, 1599 / 2.0), 2.0), QPoint(2199, 1599));
        // and back: the device rectangle is shown by exactly those logical pixels
        QCOMPARE(toLogical(QRect(1200, 1000, 1000, 600), 2.0), logical);
    }

    void pixelAtTakesThePixelAPositionLiesIn()
    {
        QCOMPARE(pixelAt(QPointF(1099.5, 799.5)), QPoint(1099, 799));
        QCOMPARE(pixelAt(QPointF(1099.99, 0.0)), QPoint(1099, 0));
        QCOMPARE(pixelAt(QPointF(-0.5, -1.5)), QPoint(-1, -2));
        // a hair below a whole number from a division is that number
        QCOMPARE(pixelAt(QPointF(0.3 * 3 / 0.9 * 5.0, 7.0)), QPoint(5, 7));
    }

    void wholeDesktopAndSinglePixels()
    {
        QCOMPARE(toDevice(QRect(0, 0, 1920, 1080), 2.0), QRect(0, 0, 3840, 2160));
        QCOMPARE(toDevice(QSize(1920, 1080), 2.0), QSize(3840, 2160));
        // one logical pixel covers factor x factor device pixels
        QCOMPARE(toDevice(QRect(5, 6, 1, 1), 2.0), QRect(10, 12, 2, 2));
        // a lone device pixel, odd or even, is shown by one logical pixel
        QCOMPARE(toLogical(QRect(11, 13, 1, 1), 2.0), QRect(5, 6, 1, 1));
        QCOMPARE(toLogical(QRect(10, 12, 1, 1), 2.0), QRect(5, 6, 1, 1));
        // a window on odd device pixels is covered whole
        QCOMPARE(toLogical(QRect(101, 51, 400, 300), 2.0), QRect(50, 25, 201, 151));
    }

    void fractionalFactorsCoverEveryDevicePixelOnce()
    {
        for (qreal factor : { 1.25, 1.5, 1.75, 2.5, 3.0 }) {
            // neighbouring logical pixels map to neighbouring device runs:
            // no gap, no overlap
            int expectedLeft = 0;
            for (int x = 0; x < 40; ++x) {
                const QRect d = toDevice(QRect(x, 0, 1, 1), factor);
                QVERIFY2(d.left() == expectedLeft, qPrintable(QStringLiteral("factor %1 x %2").arg(factor).arg(x)));
                QVERIFY(d.width() >= 1);
                expectedLeft = d.right() + 1;
                // and the logical pixel showing each of them is x
                for (int dx = d.left(); dx <= d.right(); ++dx)
                    QCOMPARE(toLogical(QPoint(dx, 0), factor).x(), x);
            }
            QCOMPARE(toDevice(QRect(0, 0, 40, 1), factor).width(), expectedLeft);
        }
    }

    void screensKeepTheirDeviceOrigin()
    {
        // a second monitor at device x 1920: its logical pixels count from there
        const QPoint origin(1920, 0);
        QCOMPARE(toDevice(QPoint(1920, 0), 2.0, origin), QPoint(1920, 0));
        QCOMPARE(toDevice(QPoint(2000, 10), 2.0, origin), QPoint(2080, 20));
        QCOMPARE(toLogical(QPoint(2081, 21), 2.0, origin), QPoint(2000, 10));
        QCOMPARE(toDevice(QRect(2000, 10, 100, 50), 2.0, origin), QRect(2080, 20, 200, 100));
    }

    void badFactorsAndEmptyRectsAreLeftAlone()
    {
        const QRect r(1, 2, 3, 4);
        for (qreal factor : { 0.0, -2.0, qQNaN(), qInf() }) {
            QCOMPARE(toDevice(r, factor), r);
            QCOMPARE(toLogical(r, factor), r);
            QCOMPARE(toDevice(QPoint(5, 6), factor), QPoint(5, 6));
            QCOMPARE(toLogical(QPoint(5, 6), factor), QPoint(5, 6));
            QCOMPARE(devicePixelAt(QPointF(5.5, 6.5), factor), QPoint(5, 6));
            QCOMPARE(sourceRect(r, factor), QRectF(r));
        }
        QVERIFY(toDevice(QRect(), 2.0).isEmpty());
        QVERIFY(toLogical(QRect(), 2.0).isEmpty());
    }

    void sourceRectIsExact()
    {
        QCOMPARE(sourceRect(QRect(3, 4, 10, 20), 2.0), QRectF(6, 8, 20, 40));
        QCOMPARE(sourceRect(QRect(3, 4, 10, 20), 1.5), QRectF(4.5, 6, 15, 30));
    }
};

QTEST_GUILESS_MAIN(TestDevicePixels)
#include "tst_devicepixels.moc"
