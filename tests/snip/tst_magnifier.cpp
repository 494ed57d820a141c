#include <QtTest>

#include "snip/magnifier.h"

namespace {

QImage render(Magnifier& m)
{
    return m.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestMagnifier : public QObject
{
    Q_OBJECT

private slots:
    void panelGeometry()
    {
        QWidget overlay;
        Magnifier m(&overlay);
        QCOMPARE(m.size(), QSize(155, 155));
        QVERIFY(m.isHidden());
        QCOMPARE(m.parentWidget(), &overlay);
        QVERIFY(!m.isWindow());
        QCOMPARE(Magnifier::grabRect(QPoint(100, 100)), QRect(85, 88, 31, 25));
    }

    void enlargesFiveTimesAndNamesTheCentreColour()
    {
        QImage source(31, 25, QImage::Format_RGB32);
        source.fill(QColor(0, 0, 255));
        source.setPixelColor(15, 12, QColor(255, 0, 0));
        source.setPixelColor(20, 5, QColor(0, 255, 0));

        Magnifier m;
        m.setPixmap(QPixmap::fromImage(source));
        const QImage view = render(m);
        QCOMPARE(m.colorName(), QStringLiteral("#ff0000"));

        // Source pixel (20, 5) covers x 100..104, y 25..29 and nothing more.
        QCOMPARE(view.pixelColor(100, 27), QColor(0, 255, 0));
        QCOMPARE(view.pixelColor(104, 27), QColor(0, 255, 0));
        QCOMPARE(view.pixelColor(99, 27), QColor(0, 0, 255));
        QCOMPARE(view.pixelColor(105, 27), QColor(0, 0, 255));
        QCOMPARE(view.pixelColor(102, 30), QColor(0, 0, 255));
        // The white frame and the swatch in the middle of the cross-hair.
        QCOMPARE(view.pixelColor(0, 40), QColor(Qt::white));
        QCOMPARE(view.pixelColor(154, 124), QColor(Qt::white));
        QCOMPARE(view.pixelColor(77, 62), QColor(255, 0, 0));

        source.setPixelColor(15, 12, QColor(0x12, 0xab, 0xcd));
        m.setPixmap(QPixmap::fromImage(source));
        render(m);
        QCOMPARE(m.colorName(), QStringLiteral("#12abcd"));
    }

    void sourceAtTheDesktopEdgeKeepsTheCursorPixelCentred()
    {
        QImage desktop(100, 80, QImage::Format_RGB32);
        desktop.fill(Qt::white);
        desktop.setPixelColor(0, 0, QColor(255, 0, 0));
        desktop.setPixelColor(99, 79, QColor(0, 0, 255));
        const QPixmap screenshot = QPixmap::fromImage(desktop);

        QPixmap cut = Magnifier::cut(screenshot, QPoint(0, 0));
        QCOMPARE(cut.size(), QSize(31, 25));
        QImage image = cut.toImage();
        QCOMPARE(image.pixelColor(15, 12), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
        QCOMPARE(image.pixelColor(16, 13), QColor(Qt::white));

        Magnifier m;
        m.setPixmap(cut);
        render(m);
        QCOMPARE(m.colorName(), QStringLiteral("#ff0000"));

        m.setPixmap(Magnifier::cut(screenshot, QPoint(99, 79)));
        render(m);
        QCOMPARE(m.colorName(), QStringLiteral("#0000ff"));

        // An undersized source must not be read out of range.
        m.setPixmap(screenshot.copy(0, 0, 3, 2));
        render(m);
        QVERIFY(m.colorName().startsWith(QLatin1Char('#')));
    }

    void enlargingMatchesTheToolkitsFastScaling()
    {
        // Random pixels in the formats a grab and a cut give.
        for (const QImage::Format format : { QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied }) {
            QImage source(Magnifier::sourceSize(), format);
            quint32 seed = 12345;
            for (int y = 0; y < source.height(); ++y) {
                auto* line = reinterpret_cast<quint32*>(source.scanLine(y));
                for (int x = 0; x < source.width(); ++x) {
                    seed = seed * 1103515245u + 12345u;
                    line[x] = seed | 0xff000000u;
                }
            }
            const QImage mine = Magnifier::enlarge(source, Magnifier::SCALE);
            const QImage toolkit = QPixmap::fromImage(source)
                                       .scaled(QSize(155, 125), Qt::KeepAspectRatioByExpanding, Qt::FastTransformation)
                                       .toImage();
            QCOMPARE(mine.convertToFormat(QImage::Format_ARGB32), toolkit.convertToFormat(QImage::Format_ARGB32));
        }
        QVERIFY(Magnifier::enlarge(QImage(4, 4, QImage::Format_Indexed8), 5).isNull());
    }

    void viewCoversWhatIsBeneathOnlyTheTextShowsThrough()
    {
        QImage source(31, 25, QImage::Format_RGB32);
        source.fill(QColor(0, 200, 0));
        QWidget overlay;
        overlay.resize(400, 400);
        overlay.setAutoFillBackground(true);
        QPalette palette = overlay.palette();
        palette.setColor(QPalette::Window, QColor(255, 0, 0));
        overlay.setPalette(palette);
        Magnifier m(&overlay);
        m.move(50, 60);
        m.show();
        m.setPixmap(QPixmap::fromImage(source));
        const QImage shot = overlay.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The enlarged pixels hide the red beneath; the dimmed red shows
        // beside the colour text.
        QCOMPARE(shot.pixelColor(50 + 20, 60 + 20), QColor(0, 200, 0));
        QCOMPARE(shot.pixelColor(50 + 150, 60 + 120), QColor(0, 200, 0));
        const QColor strip = shot.pixelColor(50 + 3, 60 + 150);
        QVERIFY2(strip.red() > 80 && strip.red() < 140 && strip.green() == 0, qPrintable(strip.name()));
        QCOMPARE(shot.pixelColor(10, 10), QColor(255, 0, 0));
        QCOMPARE(m.colorName(), QStringLiteral("#00c800"));
    }

    void circleCursorIsCappedAt49()
    {
        CircleCursor cursor(20);
        QCOMPARE(cursor.pixmap().size(), QSize(51, 51));
        QImage small = cursor.pixmap().toImage();
        QCOMPARE(small.pixelColor(25, 5).alpha(), 0);
        QVERIFY(small.pixelColor(25, 15).alpha() > 0); // the rim
        const QColor fill = small.pixelColor(25, 25);
        QVERIFY(fill.red() > 150 && fill.green() > 100 && fill.blue() < 60);

        cursor.setWidth(49);
        const QImage fit = cursor.pixmap().toImage();
        QCOMPARE(cursor.width(), 49);
        QCOMPARE(fit.pixelColor(0, 0).alpha(), 0);   // corners stay clear
        QVERIFY(fit.pixelColor(25, 1).alpha() > 0);  // the rim touches the edges
        QVERIFY(fit.pixelColor(1, 25).alpha() > 0);
        QVERIFY(fit.pixelColor(49, 25).alpha() > 0);

        cursor.setWidth(80);
        QCOMPARE(cursor.width(), 49);
        QCOMPARE(cursor.pixmap().toImage(), fit);

        cursor.setWidth(30);
        QVERIFY(cursor.pixmap().toImage() != fit);
    }
};

QTEST_MAIN(TestMagnifier)
#include "tst_magnifier.moc"
