#include <QRandomGenerator>
#include <QtTest>

#include "core/packedimage.h"

namespace {

// Noise compresses badly and catches any pixel that comes back different.
QImage noise(int w, int h, QImage::Format format, quint32 seed)
{
    QImage image(w, h, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < h; ++y) {
        auto line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = random.generate();
    }
    if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied)
        // opaque versions: RGB32 ignores alpha, premultiplied must be valid
        for (int y = 0; y < h; ++y) {
            auto line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] |= 0xff000000;
        }
    return image.convertToFormat(format);
}

bool sameBits(const QImage& a, const QImage& b)
{
    if (a.format() != b.format() || a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * size_t(a.depth() / 8)) != 0)
            return false;
    return true;
}

} // namespace

class TestPackedImage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QVERIFY(PackedImage::waitForPending(30000));
    }

    void roundTripGivesTheSamePixels_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("rgb32") << int(QImage::Format_RGB32);
        QTest::newRow("argb32 with alpha") << int(QImage::Format_ARGB32);
        QTest::newRow("opaque premultiplied") << int(QImage::Format_ARGB32_Premultiplied);
    }

    void roundTripGivesTheSamePixels()
    {
        QFETCH(int, format);
        const QImage original = noise(301, 203, QImage::Format(format), 11);
        PackedImage packed(original);
        QCOMPARE(packed.size(), original.size());
        QVERIFY(!packed.isPacked());
        // the raw form is the very same pixels, not a copy
        QCOMPARE(packed.toImage().cacheKey(), original.cacheKey());

        packed.pack();
        QVERIFY(PackedImage::waitForPending(30000));
        QVERIFY(packed.isPacked());
        QVERIFY(packed.packedBytes() > 0);
        const QImage back = packed.toImage();
        QCOMPARE(int(back.format()), format);
        QVERIFY(sameBits(back, original));
        // packing twice changes nothing
        packed.pack();
        QVERIFY(PackedImage::waitForPending(30000));
        QVERIFY(sameBits(packed.toImage(), original));
    }

    void whatCannotOrNeedNotBePackedStaysRaw()
    {
        // translucent premultiplied pixels would not survive straight alpha
        QImage translucent(400, 300, QImage::Format_ARGB32_Premultiplied);
        translucent.fill(QColor(10, 200, 30, 77));
        translucent.setPixel(5, 5, qPremultiply(qRgba(255, 1, 2, 3)));
        PackedImage a(translucent);
        a.pack();
        // too small to be worth it
        const QImage tiny = noise(20, 20, QImage::Format_RGB32, 3);
        PackedImage b(tiny);
        b.pack();
        // a format the encoder does not write as it is
        const QImage indexed = noise(400, 300, QImage::Format_RGB32, 4).convertToFormat(QImage::Format_RGB16);
        PackedImage c(indexed);
        c.pack();
        QVERIFY(PackedImage::waitForPending(30000));
        QVERIFY(!a.isPacked());
        QVERIFY(!b.isPacked());
        QVERIFY(!c.isPacked());
        QCOMPARE(a.toImage(), translucent);
        QCOMPARE(b.toImage(), tiny);
        QCOMPARE(c.toImage(), indexed);

        PackedImage none{ QImage() };
        QVERIFY(none.isNull());
        QCOMPARE(none.size(), QSize(0, 0));
        none.pack();
        QVERIFY(none.toImage().isNull());
    }

    void equalPixelsShareOnePack()
    {
        const QImage one = noise(500, 400, QImage::Format_RGB32, 21);
        const QImage same = one.copy(); // separate memory, same pixels
        const QImage other = noise(500, 400, QImage::Format_RGB32, 22);
        PackedImage a(one), b(same), c(other);
        a.pack();
        b.pack();
        c.pack();
        QVERIFY(PackedImage::waitForPending(30000));
        QVERIFY(a.isPacked() && b.isPacked() && c.isPacked());
        QVERIFY(a.sharesPackWith(b));
        QVERIFY(!a.sharesPackWith(c));
        QVERIFY(sameBits(b.toImage(), one));
        QVERIFY(sameBits(c.toImage(), other));
    }

    void copiesShareTheStateAndOutliveTheOriginal()
    {
        const QImage original = noise(640, 480, QImage::Format_RGB32, 31);
        PackedImage copy;
        {
            PackedImage packed(original);
            copy = packed;
            packed.pack();
        }
        QVERIFY(PackedImage::waitForPending(30000));
        QVERIFY(copy.isPacked());
        QVERIFY(sameBits(copy.toImage(), original));
    }

    void droppedWhilePackingIsSafe()
    {
        // Many large images queued and dropped at once: the worker must find
        // them gone (or finish them) without touching freed state.
        QImage last;
        for (int i = 0; i < 12; ++i) {
            last = noise(800, 600, QImage::Format_RGB32, quint32(100 + i));
            PackedImage p(last);
            p.pack();
        }
        QVERIFY(PackedImage::waitForPending(60000));
        // and the machinery still works afterwards
        PackedImage again(last);
        again.pack();
        QVERIFY(PackedImage::waitForPending(30000));
        QVERIFY(again.isPacked());
        QVERIFY(sameBits(again.toImage(), last));
    }

    void readingWhilePackingAlwaysGivesThePixels()
    {
        const QImage original = noise(1200, 900, QImage::Format_RGB32, 41);
        PackedImage packed(original);
        packed.pack();
        // raw or decoded, whichever the worker has reached
        for (int i = 0; i < 5; ++i)
            QVERIFY(sameBits(packed.toImage(), original));
        QVERIFY(PackedImage::waitForPending(30000));
        QVERIFY(sameBits(packed.toImage(), original));
    }
};

QTEST_GUILESS_MAIN(TestPackedImage)
#include "tst_packedimage.moc"
