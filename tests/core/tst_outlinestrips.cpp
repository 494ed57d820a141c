#include <QImage>
#include <QPainter>
#include <QtTest>

#include <random>

#include "core/outlinestrips.h"

namespace {

QImage blank()
{
    QImage image(260, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage drawn(const OutlineStrips& strips, const QRect& r, const QRegion& area)
{
    QImage image = blank();
    QPainter p(&image);
    strips.draw(&p, r, area);
    return image;
}

QRect rectOf(std::mt19937& rng)
{
    return QRect(int(rng() % 40), int(rng() % 40), 1 + int(rng() % 200), 1 + int(rng() % 140));
}

} // namespace

class TestOutlineStrips : public QObject
{
    Q_OBJECT

private slots:
    void dashesRunOnAroundTheOutline()
    {
        OutlineStrips strips;
        const QPen pen(QBrush(Qt::cyan), 1, Qt::DashDotLine, Qt::SquareCap, Qt::MiterJoin);
        QVERIFY(strips.setPen(pen, 300));
        QCOMPARE(strips.period(), 9); // dash 4, gap 2, dot 1, gap 2
        std::mt19937 rng(7);
        for (int t = 0; t < 40; ++t) {
            const QRect r = rectOf(rng);
            const QImage image = drawn(strips, r, QRegion(0, 0, 260, 200));
            const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
            const auto lit = [&image](int px, int py) { return image.pixel(px, py) == QColor(Qt::cyan).rgba(); };
            // clockwise from the top-left corner, as drawRect() runs
            for (int i = 0; i <= w; ++i)
                QCOMPARE(lit(x + i, y), strips.on(i));
            for (int j = 1; j < h; ++j)
                QCOMPARE(lit(x + w, y + j), strips.on(w + j));
            for (int k = 0; k <= w; ++k)
                QCOMPARE(lit(x + w - k, y + h), strips.on(w + h + k));
            for (int k = 1; k < h; ++k)
                QCOMPARE(lit(x, y + h - k), strips.on(2 * w + h + k));
            // nothing inside or outside the outline
            int off = 0;
            for (int py = 0; py < image.height(); ++py)
                for (int px = 0; px < image.width(); ++px) {
                    const bool onEdge = ((py == y || py == y + h) && px >= x && px <= x + w)
                        || ((px == x || px == x + w) && py >= y && py <= y + h);
                    if (!onEdge && image.pixel(px, py) != 0)
                        ++off;
                }
            QCOMPARE(off, 0);
        }
    }

    void piecesAddUpToTheWhole()
    {
        // A repaint draws only the dirty parts; together they must be what a
        // full draw gives, with no seam or shifted dash at their joins.
        OutlineStrips strips;
        for (Qt::PenStyle style : {Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine}) {
            QVERIFY(strips.setPen(QPen(QBrush(QColor(255, 0, 0, 128)), 1, style), 300));
            std::mt19937 rng{unsigned(style)};
            for (int t = 0; t < 25; ++t) {
                const QRect r = rectOf(rng);
                const QImage whole = drawn(strips, r, QRegion(0, 0, 260, 200));
                QRegion area;
                for (int k = 0; k < 6; ++k)
                    area |= QRect(int(rng() % 240), int(rng() % 180), 1 + int(rng() % 60), 1 + int(rng() % 60));
                QImage pieces = blank();
                QPainter p(&pieces);
                for (const QRect& d : area) // one paint per dirty rectangle, as the toolkit may split them
                    strips.draw(&p, r, QRegion(d));
                p.end();
                for (int py = 0; py < whole.height(); ++py)
                    for (int px = 0; px < whole.width(); ++px) {
                        const QRgb want = area.contains(QPoint(px, py)) ? whole.pixel(px, py) : 0u;
                        QCOMPARE(pieces.pixel(px, py), want);
                    }
            }
        }
    }

    void refusesWhatItCannotDraw()
    {
        OutlineStrips strips;
        QVERIFY(!strips.setPen(QPen(QBrush(Qt::cyan), 1, Qt::SolidLine), 300));
        QVERIFY(!strips.usable());
        QVERIFY(!strips.setPen(QPen(QBrush(Qt::cyan), 3, Qt::DashLine), 300));
        QVERIFY(!strips.setPen(QPen(Qt::NoPen), 300));
        QVERIFY(strips.setPen(QPen(QBrush(Qt::cyan), 0, Qt::DotLine), 300));
        // a desktop that grew: the strips follow the longer edges
        QVERIFY(strips.setPen(QPen(QBrush(Qt::cyan), 0, Qt::DotLine), 3000));
        const QImage image = drawn(strips, QRect(0, 10, 2500, 20), QRegion(0, 0, 260, 200));
        QCOMPARE(image.pixel(0, 10), QColor(Qt::cyan).rgba());
    }
};

QTEST_MAIN(TestOutlineStrips)
#include "tst_outlinestrips.moc"
