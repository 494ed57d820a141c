#include <QtTest>

#include "core/imagewindow.h"

using namespace imagewindow;

// The arithmetic behind the pinned window: sizes, centring, wheel steps,
// read-outs and accepted files.
class TestImageWindowMath : public QObject
{
    Q_OBJECT

private slots:
    void frameSizeFollowsZoomAndMode()
    {
        QCOMPARE(frameSize(QSize(200, 150), 1.0, false), QSize(220, 170));
        QCOMPARE(frameSize(QSize(200, 150), 1.1, false), QSize(240, 185));
        // each side rounded to the nearest pixel
        QCOMPARE(zoomedSize(QSize(201, 151), 0.5), QSize(101, 76));
        QCOMPARE(zoomedSize(QSize(200, 150), 0.01), QSize(2, 2));
        // the thumbnail square ignores image and zoom
        QCOMPARE(frameSize(QSize(4000, 3000), 2.5, true), QSize(145, 145));
        QCOMPARE(frameSize(QSize(10, 10), 1.0, true), QSize(145, 145));
    }

    void centringKeepsTheCentreOverManySteps()
    {
        const QRect start(100, 200, 221, 171);
        const QPointF centre = exactCentre(start);
        QCOMPARE(centre, QPointF(210.5, 285.5));
        QRect r = start;
        // grow and shrink through odd and even sizes: the centre may round by
        // half a pixel but must not creep
        for (int i = 0; i < 200; ++i) {
            const QSize s(221 + (i % 7) * 3 + i, 171 + (i % 5) * 2 + i);
            r = centredAt(centre, s);
            QCOMPARE(r.size(), s);
            QVERIFY(std::abs(exactCentre(r).x() - centre.x()) <= 0.5);
            QVERIFY(std::abs(exactCentre(r).y() - centre.y()) <= 0.5);
        }
        QCOMPARE(centredAt(centre, start.size()), start);
    }

    void thumbnailCutIsTheCentralSquare()
    {
        QCOMPARE(thumbnailSource(QSize(400, 300)), QRect(138, 88, 125, 125));
        QCOMPARE(thumbnailSource(QSize(125, 125)), QRect(0, 0, 125, 125));
        // a small image: the cut reaches past its edges on every side
        const QRect small = thumbnailSource(QSize(50, 40));
        QCOMPARE(small.size(), QSize(125, 125));
        QCOMPARE(small.center(), QPoint(25, 20));
    }

    void wheelZoomHasAFloorButNoFixedCeiling()
    {
        const QSize image(200, 150);
        double z = 1.0;
        for (int i = 0; i < 10; ++i)
            z = nextZoom(z, 120, image);
        QVERIFY(qFuzzyCompare(z, 1.10));
        QCOMPARE(percent(z), 110);

        for (int i = 0; i < 500; ++i)
            z = nextZoom(z, -120, image);
        QCOMPARE(z, ImageWindow::MIN_ZOOM);
        // one big turn down from anywhere still stops at the floor
        QCOMPARE(nextZoom(3.0, -120000, image), ImageWindow::MIN_ZOOM);

        // a small image may grow far beyond 100%
        QVERIFY(qFuzzyCompare(nextZoom(20.0, 1200, QSize(40, 30)), 20.1));
        // half a notch (a fine-grained wheel) moves half as far
        QVERIFY(qFuzzyCompare(nextZoom(1.0, 60, image), 1.005));
    }

    void zoomStopsBeforeAWindowTooLargeToBack()
    {
        const QSize image(3840, 2160);
        double z = 1.0;
        for (int i = 0; i < 1000; ++i)
            z = nextZoom(z, 120, image);
        QVERIFY(zoomedSize(image, z).width() <= MAX_ZOOMED_SIDE);
        QVERIFY(zoomedSize(image, z).width() > MAX_ZOOMED_SIDE - 3840 / 100 - 1);
        // shrinking from the limit still works
        QVERIFY(nextZoom(z, -120, image) < z);
    }

    void opacityStaysBetweenOnePercentAndFull()
    {
        double o = 1.0;
        QCOMPARE(nextOpacity(o, 120), 1.0);
        for (int i = 0; i < 150; ++i)
            o = nextOpacity(o, -120);
        QCOMPARE(o, ImageWindow::MIN_OPACITY);
        QCOMPARE(percent(o), 1);
        o = nextOpacity(o, 240);
        QVERIFY(qFuzzyCompare(o, 0.03));
    }

    void percentTruncatesAsRead()
    {
        QCOMPARE(percent(1.0), 100);
        QCOMPARE(percent(1.234), 123);
        QCOMPARE(percent(1.239), 123);
        QCOMPARE(percent(0.999), 99);
        QCOMPARE(percent(0.01), 1);
        // 0.01 added ten times to 1.0 must still read 110, never 109
        double z = 1.0;
        for (int i = 0; i < 10; ++i)
            z += 0.01;
        QCOMPARE(percent(z), 110);
        double o = 1.0;
        for (int i = 0; i < 30; ++i)
            o -= 0.01;
        QCOMPARE(percent(o), 70);
    }

    void droppableSuffixesAreCaseSensitive_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<bool>("accepted");
        for (const char* s : {"jpg", "png", "jpeg", "JPG", "PNG", "JPEG", "bmp", "BMP"})
            QTest::newRow(s) << QString::fromLatin1(s) << true;
        for (const char* s : {"Png", "Jpg", "gif", "GIF", "", "tar.png", "webp", "pn"})
            QTest::newRow(s[0] ? s : "none") << QString::fromLatin1(s) << false;
    }
    void droppableSuffixesAreCaseSensitive()
    {
        QFETCH(QString, suffix);
        QFETCH(bool, accepted);
        QCOMPARE(isDroppableSuffix(suffix), accepted);
    }

    void shadowGlowsInTheMarginAndFadesOutward()
    {
        const QSize window(220, 170);
        const QImage shadow = shadowImage(window);
        QCOMPARE(shadow.size(), window);
        const auto alpha = [&](int x, int y) { return qAlpha(shadow.pixel(x, y)); };
        // nothing at the outer edge, about half at the image's edge, full inside
        QVERIFY(alpha(0, 85) < 8);
        QVERIFY(alpha(0, 0) < 2);
        QVERIFY(alpha(9, 85) > 90 && alpha(9, 85) < 128);
        QVERIFY(alpha(10, 85) > 128 && alpha(10, 85) < 170);
        QCOMPARE(alpha(110, 85), 255);
        for (int x = 1; x <= 10; ++x)
            QVERIFY(alpha(x, 85) > alpha(x - 1, 85));
        // a corner is darker than the middle of an edge at the same depth
        QVERIFY(alpha(5, 5) < alpha(5, 85));
        // the same on every side
        for (int d = 0; d < 12; ++d) {
            QCOMPARE(shadow.pixel(d, 85), shadow.pixel(219 - d, 85));
            QCOMPARE(shadow.pixel(110, d), shadow.pixel(110, 169 - d));
            QCOMPARE(shadow.pixel(d, d), shadow.pixel(219 - d, 169 - d));
        }
        // the colour is #409eff at every strength (premultiplied)
        const QRgb half = shadow.pixel(10, 85);
        QVERIFY(std::abs(qRed(half) - 0x40 * qAlpha(half) / 255) <= 1);
        QVERIFY(std::abs(qGreen(half) - 0x9e * qAlpha(half) / 255) <= 1);
        QCOMPARE(qBlue(half), qAlpha(half));
        // a window smaller than two margins still gets a sane glow
        const QImage tiny = shadowImage(QSize(22, 22));
        QVERIFY(qAlpha(tiny.pixel(11, 11)) > 0);
        QVERIFY(qAlpha(tiny.pixel(0, 0)) < qAlpha(tiny.pixel(11, 11)));
    }
};

QTEST_MAIN(TestImageWindowMath)
#include "tst_imagewindowmath.moc"
