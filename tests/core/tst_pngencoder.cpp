#include <QtTest>

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QtEndian>

#include <zlib.h>

#include "core/pngencoder.h"
#include "core/pngmimedata.h"

namespace {

QImage noise(int w, int h, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb* p = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            p[x] = 0xff000000u | (rng.generate() & 0xffffffu);
    }
    return img;
}

// flat colour, frames and lines of text: what most of a screen is
QImage windows(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor("#3a6ea5"));
    QPainter p(&img);
    for (int i = 0; i < 4; ++i) {
        const QRect r(20 + i * w / 5, 30 + i * 17, w / 4, h / 2);
        p.fillRect(r, Qt::white);
        p.setPen(Qt::black);
        p.drawRect(r);
        for (int line = 0; line * 14 + 20 < r.height(); ++line)
            p.drawText(r.x() + 6, r.y() + 16 + line * 14, QString("row %1 of window %2: some text").arg(line).arg(i));
    }
    return img;
}

QByteArray qtDefaultPng(const QImage& img)
{
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    QImageWriter(&buf, "png").write(img);
    return buf.data();
}

QImage decode(const QByteArray& png)
{
    return QImage::fromData(png, "png");
}

struct Chunk
{
    QByteArray type;
    QByteArray data;
    bool crcOk = false;
};

// an independent reading of the chunk layout, CRCs checked
QList<Chunk> chunks(const QByteArray& png)
{
    QList<Chunk> out;
    if (!png.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)))
        return out;
    int pos = 8;
    while (pos + 12 <= png.size()) {
        const quint32 len = qFromBigEndian<quint32>(png.constData() + pos);
        if (pos + 12 + qint64(len) > png.size())
            break;
        Chunk c;
        c.type = png.mid(pos + 4, 4);
        c.data = png.mid(pos + 8, int(len));
        const quint32 crc = qFromBigEndian<quint32>(png.constData() + pos + 8 + len);
        c.crcOk = crc == quint32(crc32(0, reinterpret_cast<const Bytef*>(png.constData() + pos + 4), uInt(len + 4)));
        out.append(c);
        pos += 12 + int(len);
    }
    return out;
}

} // namespace

class TestPngEncoder : public QObject
{
    Q_OBJECT

private slots:
    void pixelsSurviveEveryFilterAndLevel()
    {
        const QImage images[] = { noise(97, 61, 1), windows(301, 203), noise(1, 1, 2), noise(3, 300, 3) };
        using F = PngEncoder::RowFilter;
        for (const QImage& img : images) {
            for (F f : { F::None, F::Sub, F::Up, F::Average, F::Paeth, F::Adaptive }) {
                for (int level : { 0, 1, 6, 9 }) {
                    const QByteArray png = PngEncoder::encode(img, level, f);
                    const QImage back = decode(png).convertToFormat(QImage::Format_RGB32);
                    QVERIFY2(back == img, qPrintable(QString("%1x%2 filter %3 level %4")
                                                         .arg(img.width()).arg(img.height()).arg(int(f)).arg(level)));
                }
            }
        }
    }

    void fileLayoutIsValid()
    {
        const QByteArray png = PngEncoder::encode(windows(200, 150));
        const QList<Chunk> list = chunks(png);
        QCOMPARE(list.size(), 3);
        QCOMPARE(list[0].type, QByteArray("IHDR"));
        QCOMPARE(list[1].type, QByteArray("IDAT"));
        QCOMPARE(list[2].type, QByteArray("IEND"));
        for (const Chunk& c : list)
            QVERIFY2(c.crcOk, c.type.constData());
        QCOMPARE(qFromBigEndian<quint32>(list[0].data.constData()), 200u);
        QCOMPARE(qFromBigEndian<quint32>(list[0].data.constData() + 4), 150u);
        QCOMPARE(int(list[0].data[8]), 8); // bits per channel
        QCOMPARE(int(list[0].data[9]), 2); // RGB: a screen has no alpha
        QVERIFY(list[2].data.isEmpty());
    }

    void alphaIsKeptOnlyWhenUsed()
    {
        // an alpha format whose pixels are all opaque is written as RGB
        QImage opaque = windows(64, 48).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(int(chunks(PngEncoder::encode(opaque))[0].data[9]), 2);
        QCOMPARE(decode(PngEncoder::encode(opaque)).convertToFormat(QImage::Format_RGB32),
                 opaque.convertToFormat(QImage::Format_RGB32));

        QImage translucent(40, 30, QImage::Format_ARGB32);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                translucent.setPixel(x, y, qRgba(x * 6, y * 8, 200, (x * 7 + y) % 256));
        const QByteArray png = PngEncoder::encode(translucent);
        QCOMPARE(int(chunks(png)[0].data[9]), 6); // RGBA
        QCOMPARE(decode(png).convertToFormat(QImage::Format_ARGB32), translucent);

        // other formats go through a conversion and keep their colours
        const QImage gray = windows(50, 40).convertToFormat(QImage::Format_Grayscale8);
        QCOMPARE(decode(PngEncoder::encode(gray)).convertToFormat(QImage::Format_RGB32),
                 gray.convertToFormat(QImage::Format_RGB32));
    }

    void nullImageGivesNothing()
    {
        QVERIFY(PngEncoder::encode(QImage()).isEmpty());
    }

    // Fast must not mean large: noise and ordinary windows both stay close
    // to the toolkit's default encoding (which tries harder and takes longer).
    void sizeStaysCloseToTheToolkitsDefault()
    {
        for (const QImage& img : { noise(640, 480, 9), windows(800, 600) }) {
            const qint64 ours = PngEncoder::encode(img).size();
            const qint64 qt = qtDefaultPng(img).size();
            QVERIFY2(ours <= qt * 115 / 100, qPrintable(QString("%1 bytes against %2").arg(ours).arg(qt)));
        }
    }

    void mimeDataServesPngOnceAndTheImageAsIs()
    {
        const QImage img = windows(160, 100);
        PngMimeData mime(img);
        QVERIFY(mime.hasImage());
        QVERIFY(mime.hasFormat("image/png"));
        QVERIFY(mime.formats().contains("image/png"));
        QCOMPARE(mime.encodeCount(), 0); // nothing is encoded until someone asks

        // readers in this process get the image without any encoding
        QCOMPARE(qvariant_cast<QImage>(mime.imageData()), img);
        QCOMPARE(mime.encodeCount(), 0);

        const QByteArray png = mime.data("image/png");
        QCOMPARE(decode(png).convertToFormat(QImage::Format_RGB32), img);
        // compressed, not stored: windows and text pack to a small part of the raw size
        QVERIFY2(png.size() < img.width() * img.height() * 3 / 4, qPrintable(QString::number(png.size())));
        // the toolkit's byte request for its own image format gets the same bytes
        QCOMPARE(mime.data("application/x-qt-image"), png);
        QCOMPARE(mime.data("image/png"), png);
        QCOMPARE(mime.encodeCount(), 1);
        QCOMPARE(qvariant_cast<QImage>(mime.imageData()), img);
    }

    void mimeDataKeepsOtherFormats()
    {
        PngMimeData mime(windows(20, 10));
        mime.setData("application/qpoint", QByteArray("\x78\0\0\0\x2d\0\0\0", 8));
        QVERIFY(mime.formats().contains("application/qpoint"));
        QCOMPARE(mime.data("application/qpoint"), QByteArray("\x78\0\0\0\x2d\0\0\0", 8));
        QVERIFY(!mime.hasFormat("text/plain"));

        PngMimeData empty { QImage() };
        QVERIFY(!empty.hasFormat("image/png"));
        QVERIFY(empty.data("image/png").isEmpty());
    }
};

QTEST_MAIN(TestPngEncoder)
#include "tst_pngencoder.moc"
