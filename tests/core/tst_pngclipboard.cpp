// klipora-test: x11
#include <QtTest>

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

#include "core/pngmimedata.h"
#include "testutil.h"

// Another program reading a snip from the clipboard, as a user's paste does.
class TestPngClipboard : public QObject
{
    Q_OBJECT

private slots:
    void anotherProgramReadsTheSamePixels()
    {
        if (!testutil::haveX11())
            QSKIP("needs an X server");
        QImage img(1441, 811, QImage::Format_RGB32);
        img.fill(QColor("#3a6ea5"));
        QPainter p(&img);
        for (int i = 0; i < 40; ++i)
            p.fillRect(i * 31, i * 17, 200, 60, QColor::fromHsv(i * 9, 200, 230));
        p.drawText(300, 400, "pasted elsewhere");
        p.end();

        auto* mime = new PngMimeData(img);
        mime->setData("application/qpoint", QByteArray("\x78\0\0\0\x2d\0\0\0", 8));
        QGuiApplication::clipboard()->setMimeData(mime);

        const auto targets = testutil::run("xclip", { "-selection", "clipboard", "-t", "TARGETS", "-o" });
        QCOMPARE(targets.exitCode, 0);
        const QList<QByteArray> names = targets.out.split('\n');
        QVERIFY(names.contains("image/png"));
        QVERIFY(names.contains("application/qpoint"));

        for (int read = 0; read < 2; ++read) {
            const auto png = testutil::run("xclip", { "-selection", "clipboard", "-t", "image/png", "-o" });
            QCOMPARE(png.exitCode, 0);
            QVERIFY(png.out.startsWith("\x89PNG"));
            QCOMPARE(QImage::fromData(png.out, "png").convertToFormat(QImage::Format_RGB32), img);
        }
        // the second paste is served from the bytes made for the first
        QCOMPARE(mime->encodeCount(), 1);

        const auto pos = testutil::run("xclip", { "-selection", "clipboard", "-t", "application/qpoint", "-o" });
        QCOMPARE(pos.out, QByteArray("\x78\0\0\0\x2d\0\0\0", 8));
    }
};

QTEST_MAIN(TestPngClipboard)
#include "tst_pngclipboard.moc"
