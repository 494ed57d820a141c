// klipora-test: x11
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

#include "core/scrollinjector.h"
#include "snip/scrollcapturer.h"
#include "snip/scrollcontrolbar.h"
#include "testutil.h"

namespace {

constexpr int VIEW_W = 800;
constexpr int VIEW_H = 600;
constexpr int LONG_SIDE = 6000;
constexpr int HEADER = 40;
constexpr int PIXELS_PER_CLICK = 48;

// The known page, drawn as it reads: a gradient, numbered text lines and a
// header band. Vertical pages are 800 x 6000, horizontal ones 6000 x 600
// with the header as a band on the left.
QImage knownPage(Qt::Orientation orientation)
{
    const bool vertical = orientation == Qt::Vertical;
    QImage page(vertical ? VIEW_W : LONG_SIDE, vertical ? LONG_SIDE : VIEW_H, QImage::Format_RGB32);
    QPainter p(&page);
    QLinearGradient gradient(0, 0, vertical ? 0 : LONG_SIDE, vertical ? LONG_SIDE : 0);
    gradient.setColorAt(0, QColor(250, 240, 200));
    gradient.setColorAt(1, QColor(120, 200, 250));
    p.fillRect(page.rect(), gradient);
    QFont font;
    font.setPixelSize(16);
    p.setFont(font);
    p.setPen(Qt::black);
    if (vertical) {
        for (int y = HEADER + 10, n = 1; y + 20 < LONG_SIDE; y += 26, ++n)
            p.drawText(QRect(30 + (n * 37) % 200, y, 560, 22), Qt::AlignLeft,
                       QStringLiteral("Line %1: the quick brown fox jumps over the lazy dog").arg(n));
        p.fillRect(0, 0, VIEW_W, HEADER, QColor(30, 60, 150));
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, VIEW_W, HEADER), Qt::AlignCenter, QStringLiteral("Sticky header"));
    } else {
        for (int x = HEADER + 10, n = 1; x + 100 < LONG_SIDE; x += 110, ++n)
            for (int row = 0; row < 20; ++row)
                p.drawText(QRect(x, 30 + row * 27 + (n * 7) % 10, 105, 22), Qt::AlignLeft,
                           QStringLiteral("C%1 R%2").arg(n).arg(row));
        p.fillRect(0, 0, HEADER, VIEW_H, QColor(30, 60, 150));
    }
    return page;
}

// A scroll area on a known page: the header stays, the rest scrolls by the
// wheel, PIXELS_PER_CLICK per notch. frozen pages ignore the wheel.
class ScrollPage : public QWidget
{
public:
    ScrollPage(Qt::Orientation orientation, bool frozen)
        : page_(knownPage(orientation))
        , orientation_(orientation)
        , frozen_(frozen)
    {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(VIEW_W, VIEW_H);
    }
    int position() const { return position_; }
    // What a user's own scrolling does.
    void scrollTo(int position)
    {
        position_ = position;
        repaint();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (orientation_ == Qt::Vertical) {
            p.drawImage(QRect(0, HEADER, VIEW_W, VIEW_H - HEADER),
                        page_.copy(0, HEADER + position_, VIEW_W, VIEW_H - HEADER));
            p.drawImage(QPoint(0, 0), page_.copy(0, 0, VIEW_W, HEADER));
        } else {
            p.drawImage(QRect(HEADER, 0, VIEW_W - HEADER, VIEW_H),
                        page_.copy(HEADER + position_, 0, VIEW_W - HEADER, VIEW_H));
            p.drawImage(QPoint(0, 0), page_.copy(0, 0, HEADER, VIEW_H));
        }
    }
    void wheelEvent(QWheelEvent* event) override
    {
        if (frozen_)
            return;
        const QPoint delta = event->angleDelta();
        const int notches = (orientation_ == Qt::Vertical ? delta.y() : (delta.x() ? delta.x() : delta.y())) / 120;
        const int limit = LONG_SIDE - (orientation_ == Qt::Vertical ? VIEW_H : VIEW_W);
        position_ = qBound(0, position_ - notches * PIXELS_PER_CLICK, limit);
        repaint();
    }

private:
    QImage page_;
    Qt::Orientation orientation_;
    bool frozen_;
    int position_ = 0;
};

// A user's drag on the overlay; true once the selector has followed it.
bool select(Selector* overlay, QPoint from, QPoint to)
{
    if (!QTest::qWaitForWindowExposed(overlay, 30000))
        return false;
    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(overlay, (from + to) / 2);
    QTest::mouseMove(overlay, to);
    const bool followed = QTest::qWaitFor(
        [overlay, to] { return QPoint(overlay->selection().x2, overlay->selection().y2) == to; }, 30000);
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, to);
    return followed;
}

struct Difference
{
    double mean = 0.0;
    double offShare = 0.0; // pixels off by more than a little
};

Difference difference(const QImage& a, const QImage& b)
{
    Difference d;
    qint64 total = 0;
    qint64 off = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int dr = std::abs(qRed(p) - qRed(q));
            const int dg = std::abs(qGreen(p) - qGreen(q));
            const int db = std::abs(qBlue(p) - qBlue(q));
            total += dr + dg + db;
            if (std::max({dr, dg, db}) > 16)
                ++off;
        }
    }
    d.mean = double(total) / (3.0 * a.width() * a.height());
    d.offShare = double(off) / (double(a.width()) * a.height());
    return d;
}

} // namespace

// A scrolling capture as the user runs it: select the scroll area, Return,
// and Klipora turns the wheel until the page ends.
class TestScrollCapture : public QObject
{
    Q_OBJECT

    const QPoint origin_{60, 40};

    // Runs one capture over a page; the result, or a null image.
    QImage capture(ScrollPage& page, ScrollCapturer& capturer, int timeoutMs = 240000)
    {
        page.move(origin_);
        page.show();
        if (!QTest::qWaitForWindowExposed(&page, 30000))
            return QImage();
        QSignalSpy finished(&capturer, &ScrollCapturer::finished);
        capturer.setUseDetectWindow(false);
        capturer.start();
        if (!select(&capturer, origin_, origin_ + QPoint(VIEW_W - 1, VIEW_H - 1)))
            return QImage();
        QTest::keyClick(&capturer, Qt::Key_Return);
        if (!capturer.capturing())
            return QImage();
        // the bar is up beside the region, never over it, and takes no focus
        if (!QTest::qWaitFor([&] { return capturer.controlBar()->isVisible(); }, 30000))
            return QImage();
        const QRect bar = capturer.controlBar()->geometry();
        if (bar.intersects(capturer.region()) || capturer.controlBar()->hasFocus())
            return QImage();
        if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, timeoutMs))
            return QImage();
        return finished.first().at(0).value<QImage>();
    }

private slots:
    void initTestCase()
    {
        if (!testutil::haveX11())
            QSKIP("needs an X server");
        if (!ScrollInjector::create())
            QSKIP("the X server has no XTEST");
    }

    void tallPageComesOutWhole_data()
    {
        QTest::addColumn<bool>("horizontal");
        QTest::newRow("vertical") << false;
        QTest::newRow("horizontal") << true;
    }

    void tallPageComesOutWhole()
    {
        QFETCH(bool, horizontal);
        const Qt::Orientation orientation = horizontal ? Qt::Horizontal : Qt::Vertical;
        ScrollPage page(orientation, false);
        ScrollCapturer capturer;
        // a loaded server may take long to repaint; the end is found anyway
        capturer.setSettleBound(3000);
        const QImage result = capture(page, capturer);
        QVERIFY(!result.isNull());
        QCOMPARE(page.position(), LONG_SIDE - (horizontal ? VIEW_W : VIEW_H));
        const QImage expected = knownPage(orientation);
        result.save(testutil::tempDir() + (horizontal ? QStringLiteral("/wide.png") : QStringLiteral("/tall.png")));
        QCOMPARE(result.size(), expected.size());
        const Difference d = difference(result.convertToFormat(QImage::Format_RGB32), expected);
        QVERIFY2(d.mean < 1.0 && d.offShare < 0.002,
                 qPrintable(QStringLiteral("mean %1 off %2").arg(d.mean).arg(d.offShare)));
        QVERIFY(!capturer.controlBar()->isVisible());
        QVERIFY(!capturer.capturing());
    }

    void contentThatDoesNotMoveEndsByItself()
    {
        ScrollPage page(Qt::Vertical, true);
        ScrollCapturer capturer;
        capturer.setSettleBound(800);
        const QImage result = capture(page, capturer);
        QVERIFY(!result.isNull());
        // one frame: the region as it was
        QCOMPARE(result.size(), QSize(VIEW_W, VIEW_H));
        const Difference d = difference(result.convertToFormat(QImage::Format_RGB32),
                                        knownPage(Qt::Vertical).copy(0, 0, VIEW_W, VIEW_H));
        QVERIFY(d.mean < 1.0);
    }

    void finishAndCancelFromTheBar()
    {
        ScrollPage page(Qt::Vertical, false);
        ScrollCapturer capturer;
        capturer.setSettleBound(3000);
        page.move(origin_);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page, 30000));
        QSignalSpy finished(&capturer, &ScrollCapturer::finished);
        QSignalSpy cancelled(&capturer, &ScrollCapturer::cancelled);
        capturer.setUseDetectWindow(false);

        // Cancel: nothing comes out, the page stays where the wheel left it
        capturer.start();
        QVERIFY(select(&capturer, origin_, origin_ + QPoint(VIEW_W - 1, VIEW_H - 1)));
        QTest::keyClick(&capturer, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(capturer.frames() >= 2, 60000);
        capturer.controlBar()->cancelButton()->click();
        QCOMPARE(cancelled.count(), 1);
        QVERIFY(finished.isEmpty());
        QVERIFY(!capturer.capturing());

        // Finish part way: what was joined so far, a true start of the page
        capturer.start();
        QVERIFY(select(&capturer, origin_, origin_ + QPoint(VIEW_W - 1, VIEW_H - 1)));
        const int startAt = page.position();
        QTest::keyClick(&capturer, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(capturer.frames() >= 3, 60000);
        capturer.controlBar()->finishButton()->click();
        QCOMPARE(finished.count(), 1);
        const QImage result = finished.first().at(0).value<QImage>().convertToFormat(QImage::Format_RGB32);
        QVERIFY(result.height() > VIEW_H);
        QVERIFY(result.height() < LONG_SIDE);
        const QImage page6000 = knownPage(Qt::Vertical);
        const QImage header = page6000.copy(0, 0, VIEW_W, HEADER);
        QVERIFY(difference(result.copy(0, 0, VIEW_W, HEADER), header).mean < 1.0);
        const QImage body = page6000.copy(0, HEADER + startAt, VIEW_W, result.height() - HEADER);
        QVERIFY(difference(result.copy(0, HEADER, VIEW_W, result.height() - HEADER), body).mean < 1.0);
    }

    void scrollingByHandAndReturnToFinish()
    {
        ScrollPage page(Qt::Vertical, false);
        ScrollCapturer capturer;
        page.move(origin_);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page, 30000));
        QSignalSpy finished(&capturer, &ScrollCapturer::finished);
        capturer.setUseDetectWindow(false);
        capturer.start();
        QVERIFY(select(&capturer, origin_, origin_ + QPoint(VIEW_W - 1, VIEW_H - 1)));
        QTest::keyClick(&capturer, Qt::Key_Return);
        // switched before the first frame is taken: the wheel is never turned
        capturer.controlBar()->handButton()->click();
        QVERIFY(capturer.handScrolling());
        QTRY_COMPARE_WITH_TIMEOUT(capturer.frames(), 1, 30000);
        // down, back up a little, and further down than before
        int expectFrames = 1;
        for (int at : {300, 150, 500}) {
            page.scrollTo(at);
            ++expectFrames;
            QTRY_COMPARE_WITH_TIMEOUT(capturer.frames(), expectFrames, 30000);
        }
        QCOMPARE(capturer.length(), 500 + VIEW_H);
        // Return from the keyboard finishes, though the overlay is gone
        QVERIFY(testutil::pressKeys(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        QCOMPARE(page.position(), 500);
        const QImage result = finished.first().at(0).value<QImage>().convertToFormat(QImage::Format_RGB32);
        const QImage expected = knownPage(Qt::Vertical).copy(0, 0, VIEW_W, 500 + VIEW_H);
        QCOMPARE(result.size(), expected.size());
        QVERIFY(difference(result, expected).mean < 1.0);
    }

    void barStaysOutsideTheRegion()
    {
        const QRect screen(0, 0, 1920, 1080);
        const QSize bar(400, 36);
        // room below, then above, then beside; inside only when nothing fits
        QVERIFY(!ScrollControlBar::placeFor(QRect(100, 100, 800, 600), bar, screen).intersects(QRect(100, 100, 800, 600)));
        const QRect low(100, 700, 800, 370);
        QCOMPARE(ScrollControlBar::placeFor(low, bar, screen).bottom(), low.top() - 9);
        const QRect tall(100, 0, 800, 1080);
        const QRect side = ScrollControlBar::placeFor(tall, bar, screen);
        QVERIFY(screen.contains(side));
        QVERIFY(!side.intersects(tall));
        QVERIFY(screen.contains(ScrollControlBar::placeFor(screen, bar, screen)));
    }
};

QTEST_MAIN(TestScrollCapture)
#include "tst_scrollcapture.moc"
