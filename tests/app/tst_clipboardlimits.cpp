#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <sys/stat.h>

#include "klipora.h"

// What the pin history makes of hostile clipboard content, without a display.
class TestClipboardLimits : public QObject
{
    Q_OBJECT

    static int countColour(const QImage& image, QRgb colour)
    {
        int n = 0;
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y)
            for (int x = 0; x < rgb.width(); ++x)
                n += (rgb.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
        return n;
    }

private slots:
    void pinsLandOnAScreen_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("expected");
        const QSize small(100, 50);
        QTest::newRow("on the first screen") << QPoint(300, 200) << small << QPoint(300, 200);
        QTest::newRow("on the second screen") << QPoint(2000, 900) << small << QPoint(2000, 900);
        // partly off the right edge, but its corner where it was taken
        QTest::newRow("near an edge") << QPoint(1900, 1000) << small << QPoint(1900, 1000);
        QTest::newRow("int min, int max") << QPoint(INT_MIN, INT_MAX) << small << QPoint(0, 1030);
        QTest::newRow("int max, int min") << QPoint(INT_MAX, INT_MIN) << small << QPoint(3100, 0);
        QTest::newRow("far right, level with the first") << QPoint(9000, 1050) << small << QPoint(3100, 974);
        QTest::newRow("below the short screen") << QPoint(2500, 1070) << small << QPoint(2500, 974);
        QTest::newRow("larger than the screen") << QPoint(-5000, -5000) << QSize(4096, 4096) << QPoint(0, 0);
    }

    void pinsLandOnAScreen()
    {
        QFETCH(QPoint, pos);
        QFETCH(QSize, size);
        // 1920x1080 and a 1280x1024 screen to its right
        const QVector<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        QTEST(placeOnScreens(pos, size, screens), "expected");
        QCOMPARE(placeOnScreens(QPoint(INT_MIN, INT_MIN), size, {}), QPoint(0, 0));
    }

    void htmlLoadsNothingFromOutside()
    {
        QTemporaryDir dir;
        QImage red(60, 40, QImage::Format_RGB32);
        red.fill(Qt::red);
        const QString png = dir.filePath(QStringLiteral("red.png"));
        QVERIFY(red.save(png));
        const QString fifo = dir.filePath(QStringLiteral("x.png"));
#ifdef Q_OS_UNIX
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
#endif
        const QString html = QStringLiteral("<p>before</p><img src=\"%1\"><img src=\"%2\">"
                                            "<div style=\"background-image: url(%1)\">after</div>"
                                            "<link rel=stylesheet href=\"%2\"><img src=\"http://127.0.0.1:9/x.png\">")
                                 .arg(QUrl::fromLocalFile(png).toString(), QUrl::fromLocalFile(fifo).toString());
        // returns at all: a FIFO opened for reading would block here
        const QImage image = renderClipboardHtml(html).toImage();
        QVERIFY(!image.isNull());
        QCOMPARE(countColour(image, qRgb(255, 0, 0)), 0);
        // the text around them is laid out
        QVERIFY(image.height() > 30);
    }

    void complexHtmlIsShownAsPlainText()
    {
        QString html;
        for (int i = 0; i < 20000; ++i)
            html += QStringLiteral("<table><tr><td>");
        html += QStringLiteral("deep &amp; inside");
        QElapsedTimer timer;
        timer.start();
        const QImage image = renderClipboardHtml(html).toImage();
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        const QString expected =
            QStringLiteral("[Shown as plain text: the copied HTML is too complex to lay out.]\n\ndeep & inside");
        QCOMPARE(image, renderClipboardText(expected).toImage());

        // within the limits the markup is laid out, not shown as text
        const QImage table =
            renderClipboardHtml(QStringLiteral("<table border=1><tr><td>a</td><td>b</td></tr></table>")).toImage();
        QVERIFY(table != renderClipboardText(QStringLiteral("a\tb")).toImage());
    }

    // What laying out all of it would draw, cut to the picture's limit.
    static QImage wholeLayout(const QString& html)
    {
        QTextDocument document;
        document.setHtml(html);
        const QSize size = document.size().toSize().boundedTo(QSize(4096, 4096));
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        document.drawContents(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        return image;
    }

    void longHtmlIsLaidOutAsFarAsItIsShown()
    {
        // a long page: cut at the picture's height, the same rows as the whole
        QString page;
        for (int i = 0; i < 12000; ++i)
            page += QStringLiteral("<p>paragraph %1 with a few more words in it</p>").arg(i);
        QElapsedTimer timer;
        timer.start();
        const QImage long_ = renderClipboardHtml(page).toImage().convertToFormat(QImage::Format_RGB32);
        qInfo() << "long page laid out in" << timer.elapsed() << "ms";
        QCOMPARE(long_.height(), 4096);
        // later, wider lines are not shown, so they need not widen it
        const QImage whole = wholeLayout(page.left(512 * 1024));
        QVERIFY(long_.width() <= whole.width());
        QCOMPARE(long_, whole.copy(0, 0, long_.width(), long_.height()));

        // markup that shows little for its length is laid out to its end
        const QString quiet = QStringLiteral("<!--") + QString(100000, QLatin1Char('x'))
            + QStringLiteral("--><p>the end of it</p>");
        const QImage end = renderClipboardHtml(quiet).toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(end, wholeLayout(quiet));
        QVERIFY(countColour(end, qRgb(0, 0, 0)) > 20);
    }

    void plainTextIsNeverMarkup()
    {
        QTemporaryDir dir;
        QImage red(200, 200, QImage::Format_RGB32);
        red.fill(Qt::red);
        const QString png = dir.filePath(QStringLiteral("red.png"));
        QVERIFY(red.save(png));
        // text that looks like rich text is drawn as the characters it holds
        const QImage image = renderClipboardText(QStringLiteral("<img src=\"%1\"><table><tr><td>x").arg(png)).toImage();
        QCOMPARE(countColour(image, qRgb(255, 0, 0)), 0);
        QVERIFY(image.width() > 200);
    }
};

QTEST_MAIN(TestClipboardLimits)
#include "tst_clipboardlimits.moc"
