// klipora-test: x11
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QRegularExpression>
#include <QtTest>

#include "core/imagesaver.h"
#include "core/qpointformat.h"
#include "testutil.h"

namespace {

QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    return image;
}

} // namespace

// Names, formats and writes of picture files, and the copy another program pastes.
class TestImageSaver : public QObject
{
    Q_OBJECT

    QString tmp(const QString& name) const { return QDir(testutil::tempDir()).filePath(name); }

private slots:
    void namesAndSuffixes()
    {
        const QDateTime when(QDate(2026, 3, 7), QTime(9, 5, 4, 32));
        QCOMPARE(ImageSaver::fileName(QStringLiteral("/home/u/Pictures"), when),
                 QStringLiteral("/home/u/Pictures") + QDir::separator()
                     + QStringLiteral("Klipora_picture_20260307_090504_032.png"));
        QVERIFY(QRegularExpression(QStringLiteral("Klipora_picture_\\d{8}_\\d{6}_\\d{3}\\.png$"))
                    .match(ImageSaver::proposedName())
                    .hasMatch());
        // no pictures folder on a fresh desktop: home instead
        QVERIFY(QDir(ImageSaver::defaultFolder()).exists());
        QCOMPARE(ImageSaver::filters(), QStringLiteral("PNG(*.png);;JPEG(*.jpg *.jpeg);;BMP(*.bmp)"));

        QCOMPARE(ImageSaver::formatFor(QStringLiteral("a.PNG")), QByteArray("png"));
        QCOMPARE(ImageSaver::formatFor(QStringLiteral("a.Jpeg")), QByteArray("jpg"));
        QCOMPARE(ImageSaver::formatFor(QStringLiteral("/x.y/a")), QByteArray());
        QCOMPARE(ImageSaver::formatFor(QStringLiteral("a.gif")), QByteArray());

        const QString jpeg = QStringLiteral("JPEG(*.jpg *.jpeg)");
        QCOMPARE(ImageSaver::withSuffix(QStringLiteral("/p/shot"), jpeg), QStringLiteral("/p/shot.jpg"));
        QCOMPARE(ImageSaver::withSuffix(QStringLiteral("/p/shot"), QStringLiteral("BMP(*.bmp)")),
                 QStringLiteral("/p/shot.bmp"));
        QCOMPARE(ImageSaver::withSuffix(QStringLiteral("/p/shot"), QString()), QStringLiteral("/p/shot.png"));
        // a suffix of ours is kept whatever the filter says
        QCOMPARE(ImageSaver::withSuffix(QStringLiteral("/p/shot.BMP"), jpeg), QStringLiteral("/p/shot.BMP"));
        // a dot in a folder name is no suffix
        QCOMPARE(ImageSaver::withSuffix(QStringLiteral("/p.q/shot"), jpeg), QStringLiteral("/p.q/shot.jpg"));
        QCOMPARE(ImageSaver::withSuffix(QStringLiteral("/p/v1.2"), jpeg), QStringLiteral("/p/v1.2.jpg"));
        QCOMPARE(ImageSaver::withSuffix(QString(), jpeg), QString());
    }

    void savesEachFormatAndLeavesNothingOnFailure()
    {
        const QImage image = pattern(64, 40);
        QString error;
        for (const char* name : { "s.png", "s.JPG", "s.bmp" }) {
            QVERIFY2(ImageSaver::save(image, tmp(QString::fromLatin1(name)), &error), qPrintable(error));
            QImageReader reader(tmp(QString::fromLatin1(name)));
            reader.setDecideFormatFromContent(true);
            QCOMPARE(reader.size(), QSize(64, 40));
        }
        QCOMPARE(QImage(tmp(QStringLiteral("s.png"))).convertToFormat(QImage::Format_RGB32), image);
        QCOMPARE(QImage(tmp(QStringLiteral("s.bmp"))).convertToFormat(QImage::Format_RGB32), image);

        // a missing folder, an unknown type, nothing to save: no file, a reason
        const QString missing = tmp(QStringLiteral("no/such/x.png"));
        QVERIFY(!ImageSaver::save(image, missing, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(missing));
        error.clear();
        QVERIFY(!ImageSaver::save(image, tmp(QStringLiteral("x.gif")), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(tmp(QStringLiteral("x.gif"))));
        error.clear();
        QVERIFY(!ImageSaver::save(QImage(), tmp(QStringLiteral("empty.png")), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(tmp(QStringLiteral("empty.png"))));

        // a failed write keeps what was there
        QFile kept(tmp(QStringLiteral("kept.gif")));
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.write("before");
        kept.close();
        QVERIFY(!ImageSaver::save(image, kept.fileName(), &error));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("before"));

        QVERIFY(ImageSaver::failureMessage(missing, QStringLiteral("why")).contains(QStringLiteral("x.png")));
        QVERIFY(ImageSaver::failureMessage(missing, QStringLiteral("why")).contains(QStringLiteral("why")));
    }

    void anotherProgramPastesTheCopy()
    {
        QVERIFY(testutil::haveX11());
        const QImage image = pattern(50, 30);
        ImageSaver::copy(image, QPoint(120, 45));
        const auto png = testutil::run(QStringLiteral("xclip"), { "-selection", "clipboard", "-t", "image/png", "-o" });
        QCOMPARE(QImage::fromData(png.out, "PNG").convertToFormat(QImage::Format_RGB32), image);
        const auto pos = testutil::run(QStringLiteral("xclip"),
                                       { "-selection", "clipboard", "-t", "application/qpoint", "-o" });
        QCOMPARE(pos.out.toHex(' '), QByteArray("78 00 00 00 2d 00 00 00"));

        // without a position: just the image
        ImageSaver::copy(image.mirrored());
        QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::clipboard()->mimeData()->hasFormat(QString::fromLatin1(QPOINT_MIME)),
                                 5000);
        const auto plain = testutil::run(QStringLiteral("xclip"), { "-selection", "clipboard", "-t", "image/png", "-o" });
        QCOMPARE(QImage::fromData(plain.out, "PNG").convertToFormat(QImage::Format_RGB32), image.mirrored());
    }
};

QTEST_MAIN(TestImageSaver)
#include "tst_imagesaver.moc"
