#include <QRandomGenerator>
#include <QTest>
#include <QTransform>

#include "core/stitcher.h"

using stitch::Stitcher;

namespace {

// A long page: a gradient with "text lines" of dark blocks whose layout
// differs from line to line.
QImage page(int width, int height, quint32 seed = 7)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(230 - (y * 200 / height), 240 - (x * 60 / width), 200);
    }
    for (int top = 10; top + 14 < height; top += 22) {
        for (int x = 30; x < width - 30;) {
            const int word = 8 + int(random.bounded(40));
            const QRgb ink = qRgb(int(random.bounded(80)), int(random.bounded(80)), int(random.bounded(80)));
            for (int y = top; y < top + 12; ++y)
                for (int i = x; i < std::min(x + word, width - 30); ++i)
                    image.setPixel(i, y, ink);
            x += word + 6 + int(random.bounded(10));
        }
    }
    return image;
}

// Rows that repeat exactly every period lines, nothing else.
QImage stripes(int width, int height, int period)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (y % period) < period / 3 && (x / 7) % 3 ? qRgb(20, 20, 20) : qRgb(250, 250, 250));
    return image;
}

struct View
{
    int height = 300;
    QImage header;        // fixed at the top
    QImage footer;        // fixed at the bottom
    bool scrollBar = false; // a thumb at the right edge that follows the position
    int noise = 0;        // +- per channel
};

// What the region shows with the body scrolled to offset.
QImage frameAt(const QImage& content, int offset, const View& view, quint32 seed = 1)
{
    const int w = content.width();
    const int body = view.height - view.header.height() - view.footer.height();
    QImage frame(w, view.height, QImage::Format_RGB32);
    int y = 0;
    for (int i = 0; i < view.header.height(); ++i, ++y)
        memcpy(frame.scanLine(y), view.header.constScanLine(i), size_t(w) * 4);
    for (int i = 0; i < body; ++i, ++y)
        memcpy(frame.scanLine(y), content.constScanLine(offset + i), size_t(w) * 4);
    for (int i = 0; i < view.footer.height(); ++i, ++y)
        memcpy(frame.scanLine(y), view.footer.constScanLine(i), size_t(w) * 4);
    if (view.scrollBar) {
        const int top = view.header.height();
        const int thumb = body / 5;
        const int at = top + offset * (body - thumb) / std::max(1, content.height() - body);
        for (int r = top; r < top + body; ++r)
            for (int x = w - 12; x < w; ++x)
                frame.setPixel(x, r, r >= at && r < at + thumb ? qRgb(90, 90, 90) : qRgb(235, 235, 235));
    }
    if (view.noise > 0) {
        QRandomGenerator random(seed);
        for (int r = 0; r < frame.height(); ++r) {
            auto* line = reinterpret_cast<QRgb*>(frame.scanLine(r));
            for (int x = 0; x < w; ++x) {
                auto jitter = [&](int v) {
                    return qBound(0, v + int(random.bounded(2 * view.noise + 1)) - view.noise, 255);
                };
                line[x] = qRgb(jitter(qRed(line[x])), jitter(qGreen(line[x])), jitter(qBlue(line[x])));
            }
        }
    }
    return frame;
}

QImage band(int width, int height, QRgb colour, QRgb mark)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    for (int y = height / 3; y < height * 2 / 3; ++y)
        for (int x = 40; x < 140 && x < width; ++x)
            image.setPixel(x, y, mark);
    return image;
}

// Stacks images top to bottom.
QImage stack(const QList<QImage>& parts)
{
    int h = 0;
    for (const QImage& p : parts)
        h += p.height();
    QImage out(parts.first().width(), h, QImage::Format_RGB32);
    int y = 0;
    for (const QImage& p : parts) {
        for (int i = 0; i < p.height(); ++i)
            memcpy(out.scanLine(y + i), p.constScanLine(i), size_t(p.width()) * 4);
        y += p.height();
    }
    return out;
}

// Mean channel difference over the columns left of skipRight.
double meanDifference(const QImage& a, const QImage& b, int skipRight = 0)
{
    if (a.size() != b.size())
        return 1e9;
    qint64 total = 0;
    qint64 n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width() - skipRight; ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            n += 3;
        }
    }
    return double(total) / double(n);
}

QImage turned(const QImage& image, int degrees)
{
    return image.transformed(QTransform().rotate(degrees));
}

} // namespace

class TestStitcher : public QObject
{
    Q_OBJECT
private slots:
    void knownOffsetsGiveThePage_data();
    void knownOffsetsGiveThePage();
    void stickyHeaderAndFooterAppearOnce();
    void scrollBarInsideTheRegionIsTolerated();
    void noisyFramesStillJoin();
    void repeatedLinesJoinAtTheRightOffset();
    void purelyPeriodicContentFollowsTheHint();
    void wrongFrameStopsWithWhatWasThere();
    void stillFramesAreNoMovement();
    void lengthLimitCutsTheResult();
    void scrollingBackByHandAddsNothingTwice();
    void framesOfAnotherSizeAreRefused();
};

void TestStitcher::knownOffsetsGiveThePage_data()
{
    QTest::addColumn<bool>("horizontal");
    QTest::newRow("vertical") << false;
    QTest::newRow("horizontal") << true;
}

void TestStitcher::knownOffsetsGiveThePage()
{
    QFETCH(bool, horizontal);
    const QImage content = page(400, 2000);
    const View view;
    const int offsets[] = {0, 37, 117, 240, 241, 400, 600, 850, 1100, 1350, 1600, 1700};
    Stitcher stitcher(horizontal ? Qt::Horizontal : Qt::Vertical, 30000);
    int previous = 0;
    for (int offset : offsets) {
        // a horizontal page is the vertical one turned a quarter back
        QImage frame = frameAt(content, offset, view);
        if (horizontal)
            frame = turned(frame, -90);
        const Stitcher::Result r = stitcher.add(frame);
        QCOMPARE(int(r), int(offset == 0 ? Stitcher::First : Stitcher::Added));
        if (offset)
            QCOMPARE(stitcher.lastOffset(), offset - previous);
        previous = offset;
    }
    QCOMPARE(stitcher.length(), 1700 + view.height);
    QImage result = stitcher.takeResult();
    if (horizontal)
        result = turned(result, 90);
    QCOMPARE(result, content.copy(0, 0, 400, 2000));
}

void TestStitcher::stickyHeaderAndFooterAppearOnce()
{
    const QImage content = page(500, 3000);
    View view;
    view.height = 360;
    view.header = band(500, 40, qRgb(40, 60, 160), qRgb(255, 255, 255));
    view.footer = band(500, 30, qRgb(220, 220, 220), qRgb(0, 120, 0));
    Stitcher stitcher(Qt::Vertical, 30000);
    const int body = 360 - 70;
    int offset = 0;
    for (; offset + body <= 1500; offset += 140)
        QVERIFY(stitcher.add(frameAt(content, offset, view)) != Stitcher::Lost);
    offset -= 140;
    // rows of the page that happen to match may join a band; never fewer
    QVERIFY(stitcher.bands().head >= 40 && stitcher.bands().head < 60);
    QVERIFY(stitcher.bands().tail >= 30 && stitcher.bands().tail < 50);
    const QImage result = stitcher.takeResult();
    const QImage expected = stack({view.header, content.copy(0, 0, 500, offset + body), view.footer});
    QCOMPARE(result.size(), expected.size());
    QCOMPARE(result, expected);
}

void TestStitcher::scrollBarInsideTheRegionIsTolerated()
{
    const QImage content = page(600, 4000);
    View view;
    view.height = 400;
    view.scrollBar = true;
    Stitcher stitcher(Qt::Vertical, 30000);
    for (int offset = 0; offset <= 2000; offset += 170) {
        QVERIFY2(stitcher.add(frameAt(content, offset, view)) != Stitcher::Lost, qPrintable(QString::number(offset)));
        if (offset)
            QCOMPARE(stitcher.lastOffset(), 170);
    }
    const QImage result = stitcher.takeResult();
    QCOMPARE(result.height(), 1870 + 400);
    // the page itself is whole; only the bar's own columns are a patchwork
    QCOMPARE(meanDifference(result, content.copy(0, 0, 600, result.height()), 12), 0.0);
}

void TestStitcher::noisyFramesStillJoin()
{
    const QImage content = page(400, 2500);
    View view;
    view.noise = 3;
    Stitcher stitcher(Qt::Vertical, 30000);
    quint32 seed = 1;
    for (int offset = 0; offset <= 1500; offset += 125) {
        QVERIFY(stitcher.add(frameAt(content, offset, view, seed++)) != Stitcher::Lost);
        if (offset)
            QCOMPARE(stitcher.lastOffset(), 125);
    }
    const QImage result = stitcher.takeResult();
    QCOMPARE(result.height(), 1800);
    QVERIFY(meanDifference(result, content.copy(0, 0, 400, 1800)) < 2.0);
}

void TestStitcher::repeatedLinesJoinAtTheRightOffset()
{
    // The same text line every 24 rows over a gradient: only one offset lines
    // up the background as well.
    QImage content = stripes(400, 2400, 24);
    for (int y = 0; y < content.height(); ++y)
        for (int x = 0; x < 400; ++x)
            if (qRed(content.pixel(x, y)) > 200)
                content.setPixel(x, y, qRgb(250 - y / 12, 250, 250));
    Stitcher stitcher(Qt::Vertical, 30000);
    const View view;
    for (int offset = 0; offset <= 1200; offset += 100) {
        QVERIFY(stitcher.add(frameAt(content, offset, view)) != Stitcher::Lost);
        if (offset)
            QCOMPARE(stitcher.lastOffset(), 100);
    }
    QCOMPARE(stitcher.takeResult(), content.copy(0, 0, 400, 1500));
}

void TestStitcher::purelyPeriodicContentFollowsTheHint()
{
    const QImage content = stripes(300, 1200, 20);
    const View view;
    const QImage a = frameAt(content, 0, view);
    const QImage b = frameAt(content, 60, view);
    // 40, 60, 80 ... all fit; the pace of the scrolling so far decides
    for (int hint : {60, 100, 140}) {
        const stitch::Match m = stitch::findOffset(a, b, stitch::Bands(), 1, 250, hint);
        QVERIFY(m.found);
        QCOMPARE(m.offset, hint);
    }
}

void TestStitcher::wrongFrameStopsWithWhatWasThere()
{
    const QImage content = page(400, 2000);
    const QImage other = page(400, 2000, 99);
    const View view;
    Stitcher stitcher(Qt::Vertical, 30000);
    QCOMPARE(int(stitcher.add(frameAt(content, 0, view))), int(Stitcher::First));
    QCOMPARE(int(stitcher.add(frameAt(content, 150, view))), int(Stitcher::Added));
    QCOMPARE(int(stitcher.add(frameAt(other, 300, view))), int(Stitcher::Lost));
    QCOMPARE(stitcher.length(), 450);
    QCOMPARE(stitcher.takeResult(), content.copy(0, 0, 400, 450));
}

void TestStitcher::stillFramesAreNoMovement()
{
    const QImage content = page(400, 2000);
    View view;
    Stitcher stitcher(Qt::Vertical, 30000);
    stitcher.add(frameAt(content, 0, view));
    QCOMPARE(int(stitcher.add(frameAt(content, 0, view))), int(Stitcher::NoMovement));
    view.noise = 2;
    QCOMPARE(int(stitcher.add(frameAt(content, 0, view, 5))), int(Stitcher::NoMovement));
    QCOMPARE(int(stitcher.add(frameAt(content, 80, view, 6))), int(Stitcher::Added));
    QCOMPARE(int(stitcher.add(frameAt(content, 80, view, 7))), int(Stitcher::NoMovement));
    QCOMPARE(stitcher.frames(), 2);
    QCOMPARE(stitcher.length(), 380);
}

void TestStitcher::lengthLimitCutsTheResult()
{
    const QImage content = page(300, 3000);
    const View view;
    Stitcher stitcher(Qt::Vertical, 1000);
    Stitcher::Result last = Stitcher::First;
    int offset = 0;
    for (; offset <= 2500 && last != Stitcher::Full; offset += 200)
        last = stitcher.add(frameAt(content, offset, view));
    QCOMPARE(int(last), int(Stitcher::Full));
    QVERIFY(stitcher.full());
    QCOMPARE(int(stitcher.add(frameAt(content, offset, view))), int(Stitcher::Full));
    QCOMPARE(stitcher.takeResult(), content.copy(0, 0, 300, 1000));
}

void TestStitcher::scrollingBackByHandAddsNothingTwice()
{
    const QImage content = page(400, 2000);
    const View view;
    Stitcher stitcher(Qt::Vertical, 30000);
    stitcher.setBothWays(true);
    for (int offset : {0, 120, 240, 150, 60, 180, 330, 500}) {
        QVERIFY2(stitcher.add(frameAt(content, offset, view)) != Stitcher::Lost, qPrintable(QString::number(offset)));
    }
    QCOMPARE(stitcher.takeResult(), content.copy(0, 0, 400, 800));
}

void TestStitcher::framesOfAnotherSizeAreRefused()
{
    const QImage content = page(400, 2000);
    View view;
    Stitcher stitcher(Qt::Vertical, 30000);
    stitcher.add(frameAt(content, 0, view));
    view.height = 280;
    QCOMPARE(int(stitcher.add(frameAt(content, 100, view))), int(Stitcher::Lost));
    QCOMPARE(int(stitcher.add(QImage())), int(Stitcher::Lost));
    QCOMPARE(stitcher.takeResult(), content.copy(0, 0, 400, 300));
}

QTEST_GUILESS_MAIN(TestStitcher)
#include "tst_stitcher.moc"
