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
