#include <QApplication>
#include <QPainter>
#include <QtTest>

#include <memory>

#include "snip/commandstack.h"
#include "snip/paintcommand.h"
#include "snip/tools/blurtool.h"
#include "snip/tools/countertool.h"
#include "snip/tools/highlightertool.h"
#include "snip/tools/toolregistry.h"

namespace {

using Command = std::shared_ptr<PaintCommand>;

// A page of black text on white: what these tools are used on.
QImage textPage()
{
    QImage image(320, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font;
    font.setPixelSize(16);
    p.setFont(font);
    p.setPen(Qt::black);
    for (int line = 0; line < 8; ++line)
        p.drawText(QPoint(10, 24 + line * 22), QStringLiteral("Account 4711-0815 password hunter2"));
    return image;
}

int gray(QRgb c)
{
    return qGray(c);
}

Command make(Graph type, const QPen& pen, const QPoint& at, const QImage& canvas = QImage(),
             const std::vector<Command>& existing = {})
{
    ToolInput input;
    input.pos = at;
    input.pen = pen;
    input.fill = true;
    input.canvas = [canvas] { return canvas; };
    input.commands = existing;
    return toolregistry::find(type)->create(input);
}

void drawWhole(QImage& image, const Command& c)
{
    QPainter p(&image);
    c->draw(&p, false);
}

// The largest step between horizontal or vertical neighbours inside r.
int largestStep(const QImage& image, const QRect& r)
{
    int most = 0;
    for (int y = r.top(); y < r.bottom(); ++y)
        for (int x = r.left(); x < r.right(); ++x) {
            const int g = gray(image.pixel(x, y));
            most = qMax(most, qAbs(g - gray(image.pixel(x + 1, y))));
            most = qMax(most, qAbs(g - gray(image.pixel(x, y + 1))));
        }
    return most;
}

} // namespace

class TestNewTools : public QObject
{
    Q_OBJECT
private slots:
    void counterDigitsWhereClicked()
    {
        QImage image(300, 120, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        const QPen pen(QColor(0, 0, 200), 3);
        std::vector<Command> placed;
        const QPoint spots[] = { { 40, 40 }, { 150, 60 }, { 250, 80 } };
        for (const QPoint& at : spots) {
            placed.push_back(make(COUNTER, pen, at, QImage(), placed));
            drawWhole(image, placed.back());
        }
        const int r = CounterTool::radius(3);
        QImage discs[3];
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(CounterTool::number(*placed[size_t(i)]), i + 1);
            const QPoint at = spots[i];
            // a blue disc around the click, white digit strokes at its middle
            const QRect disc(at.x() - r, at.y() - r, 2 * r + 1, 2 * r + 1);
            int blue = 0, light = 0;
            for (int y = disc.top(); y <= disc.bottom(); ++y)
                for (int x = disc.left(); x <= disc.right(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    const bool inner = QLineF(QPointF(x, y), at).length() < r - 4;
                    if (inner && c.blue() > 150 && c.red() < 60)
                        ++blue;
                    if (inner && c.red() > 200 && c.green() > 200)
                        ++light;
                }
            QVERIFY2(blue > 100, qPrintable(QString::number(blue)));
            QVERIFY2(light > 10, qPrintable(QString::number(light))); // the digit
            QVERIFY(isWhiteOutside(image, disc));
            discs[i] = image.copy(disc);
        }
        // three different numbers
        QVERIFY(discs[0] != discs[1]);
        QVERIFY(discs[1] != discs[2]);
    }

    void counterNumbersFollowTheStack()
    {
        const QPen pen(Qt::red, 3);
        CommandStack undo, redo;
        auto next = [&] {
            const Command c = make(COUNTER, pen, { 10, 10 }, QImage(), undo.commands());
            undo.push(c);
            redo.clear();
            return CounterTool::number(*c);
        };
        QCOMPARE(next(), 1);
        QCOMPARE(next(), 2);
        QCOMPARE(next(), 3);
        // undo takes the 3; the next click reuses it
        redo.push(undo.top());
        undo.pop();
        QCOMPARE(next(), 3);
        // other marks do not count
        undo.push(make(RECTANGLE, pen, { 5, 5 }));
        QCOMPARE(next(), 4);
        // a new snip starts with empty stacks, and at 1
        undo.clear();
        QCOMPARE(next(), 1);
    }

    void highlighterKeepsTextDarkerThanItsColour()
    {
        const QImage page = textPage();
        QImage image = page;
        const QColor yellow(255, 230, 0);
        const Command c = make(HIGHLIGHTER, QPen(yellow, 18), { 5, 40 }, page);
        for (int x = 20; x <= 310; x += 10)
            c->addPoint({ x, 40 + (x / 10) % 2 });
        QVERIFY(c->isValid());
        drawWhole(image, c);

        // The stroke alone, on white, is the marker colour or lighter.
        QImage plain(page.size(), page.format());
        plain.fill(Qt::white);
        drawWhole(plain, c);
        const QRgb marker = plain.pixel(150, 40);
        QVERIFY2(qBlue(marker) < 200, "the marker shows");
        QVERIFY(qRed(marker) > 230);

        int text = 0;
        for (int y = 33; y <= 47; ++y)
            for (int x = 12; x < 300; ++x) {
                if (gray(page.pixel(x, y)) > 60 || qBlue(plain.pixel(x, y)) > 200)
                    continue; // only text pixels the stroke covers
                ++text;
                // dark as before, where a plain translucent paint would lift it
                // halfway to the marker
                QVERIFY2(gray(image.pixel(x, y)) < gray(marker) - 80
                             && gray(image.pixel(x, y)) <= gray(page.pixel(x, y)) + 30,
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        QVERIFY2(text > 100, qPrintable(QString::number(text)));
        // no dark blot where the stroke crosses itself or its joints overlap
        for (int x = 20; x < 300; x += 3)
            if (gray(page.pixel(x, 36)) > 250)
                QVERIFY(qAbs(gray(image.pixel(x, 36)) - gray(plain.pixel(x, 36))) <= 4);
    }

    void highlighterIsStraightWithShift()
    {
        const Command c = make(HIGHLIGHTER, QPen(Qt::yellow, 10), { 10, 10 });
        c->addPoint({ 30, 40 });
        c->addPoint({ 60, 20 });
        QCOMPARE(c->points().size(), 3);
        c->addPoint({ 100, 12 }, Qt::ShiftModifier);
        QCOMPARE(c->points(), QVector<QPoint>({ { 10, 10 }, { 100, 12 } }));
        // the wiggle is gone from the picture too
        QImage image(120, 60, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        drawWhole(image, c);
        QCOMPARE(image.pixel(30, 40), qRgb(255, 255, 255));
        QVERIFY(image.pixel(55, 11) != qRgb(255, 255, 255));
    }

    void blurHidesTextWithoutBlocks()
    {
        const QImage page = textPage();
        const QRect area(10, 10, 300, 170);
        const Command c = make(BLUR, QPen(Qt::transparent, 15), area.topLeft(), page);
        c->addPoint(area.bottomRight());
        QImage image = page;
        drawWhole(image, c);
        const QRect inside = c->rect();
        QCOMPARE(inside, area);

        // far from the original where the text was
        long long diff = 0;
        int count = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x, ++count)
                diff += qAbs(gray(image.pixel(x, y)) - gray(page.pixel(x, y)));
        QVERIFY2(diff / count > 20, qPrintable(QString::number(diff / count)));
        QVERIFY(largestStep(page, inside) > 200);
        // no letter edges left to read, and no block edges either: a mosaic
        // of the same text keeps steps between its blocks
        const int blurSteps = largestStep(image, inside.adjusted(2, 2, -2, -2));
        QVERIFY2(blurSteps < 12, qPrintable(QString::number(blurSteps)));
        const QImage mosaic = pixelate(page);
        QVERIFY(largestStep(mosaic, inside) > 3 * blurSteps);
        // outside, nothing changed
        QCOMPARE(image.copy(0, 0, 320, 10), page.copy(0, 0, 320, 10));
        QCOMPARE(image.pixel(315, 190), page.pixel(315, 190));
    }

    void blurIsGaussianLike()
    {
        // a white dot on black spreads into a round, smooth hill
        QImage dot(61, 61, QImage::Format_ARGB32_Premultiplied);
        dot.fill(Qt::black);
        for (int y = 28; y <= 32; ++y)
            for (int x = 28; x <= 32; ++x)
                dot.setPixel(x, y, 0xffffffffu);
        const QImage hill = BlurTool::blurred(dot, 5);
        QCOMPARE(hill.size(), dot.size());
        auto v = [&](int x, int y) { return qRed(hill.pixel(x, y)); };
        QVERIFY(v(30, 30) > 0);
        for (int d = 1; d < 20; ++d) {
            QVERIFY(v(30 + d, 30) <= v(30 + d - 1, 30)); // falls off
            QCOMPARE(v(30 + d, 30), v(30 - d, 30)); // symmetric
            QVERIFY(qAbs(v(30, 30 + d) - v(30 + d, 30)) <= 1); // round in both directions
        }
        // wider than one box: the tail reaches past a single pass
        QVERIFY(v(30 + 12, 30) > 0);
        QCOMPARE(v(30 + 25, 30), 0);
        // bell-shaped, not flat-topped like one box
        QVERIFY(v(30, 30) > v(30 + 5, 30) + 5);
        // bad input is harmless
        QVERIFY(BlurTool::blurred(QImage(), 5).isNull());
        QCOMPARE(BlurTool::blurred(dot, 0), dot);
        QCOMPARE(BlurTool::blurred(dot.copy(0, 0, 1, 1), 9).size(), QSize(1, 1));
    }

    void blurOutsideThePictureDrawsNothing()
    {
        const QImage page = textPage();
        const Command c = make(BLUR, QPen(Qt::transparent, 15), { 400, 300 }, page);
        c->addPoint({ 500, 400 });
        QImage image = page;
        drawWhole(image, c);
        QCOMPARE(image, page);
        // no source picture at all
        const Command none = make(BLUR, QPen(Qt::transparent, 15), { 10, 10 }, QImage());
        none->addPoint({ 50, 50 });
        drawWhole(image, none);
        QCOMPARE(image, page);
    }

private:
    static bool isWhiteOutside(const QImage& image, const QRect& disc)
    {
        for (const QPoint& p : { disc.topLeft() - QPoint(2, 2), disc.bottomRight() + QPoint(2, 2),
                                 QPoint(disc.center().x(), disc.top() - 2) })
            if (image.pixel(p) != qRgb(255, 255, 255))
                return false;
        return true;
    }
};

QTEST_MAIN(TestNewTools)
#include "tst_newtools.moc"
