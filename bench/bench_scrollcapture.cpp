// Scrolling screenshots: the cost of joining frames into a 10,000 px result
// and the memory a 20,000 px tall, 1920 px wide one takes (no display
// needed), then frames per second of a real capture of a scroll area turned
// by the wheel (on X11).
//   build-bench/bin/bench_scrollcapture -platform offscreen
//   scripts/with-x.sh -- build-bench/bin/bench_scrollcapture
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <vector>
#include <fstream>
#include <string>

#include "core/scrollinjector.h"
#include "core/stitcher.h"
#include "snip/scrollcapturer.h"

namespace {

QImage makePage(int width, int height)
{
    QImage page(width, height, QImage::Format_RGB32);
    QPainter p(&page);
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, QColor(250, 240, 200));
    g.setColorAt(1, QColor(120, 200, 250));
    p.fillRect(page.rect(), g);
    QFont font;
    font.setPixelSize(16);
    p.setFont(font);
    for (int y = 10, n = 1; y + 20 < height; y += 26, ++n)
        p.drawText(QRect(30 + (n * 37) % 200, y, width - 260, 22), Qt::AlignLeft,
                   QStringLiteral("Line %1: the quick brown fox jumps over the lazy dog, again and again").arg(n));
    return page;
}

long peakRssKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Joins frames of a view over the page, step pixels apart, the last one at
// the page's end; returns the processor time in ms (the machine may be busy).
double stitchPage(const QImage& page, int viewHeight, int step, QSize* size, int* frames)
{
    stitch::Stitcher stitcher(Qt::Vertical, 60000);
    std::vector<int> positions;
    for (int at = 0; at + viewHeight < page.height(); at += step)
        positions.push_back(at);
    positions.push_back(page.height() - viewHeight);
    *frames = int(positions.size());
    double cpu = 0.0;
    for (int at : positions) {
        const QImage frame = page.copy(0, at, page.width(), viewHeight);
        const std::clock_t c = std::clock();
        stitcher.add(frame);
        cpu += double(std::clock() - c);
    }
    const std::clock_t c = std::clock();
    const QImage result = stitcher.takeResult();
    cpu += double(std::clock() - c);
    *size = result.size();
    return cpu * 1000.0 / CLOCKS_PER_SEC;
}

class ScrollPage : public QWidget
{
public:
    explicit ScrollPage(const QImage& page)
        : page_(page)
    {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(page.width(), 600);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(QPoint(0, 0), page_.copy(0, position_, width(), height()));
    }
    void wheelEvent(QWheelEvent* event) override
    {
        position_ = qBound(0, position_ - event->angleDelta().y() / 120 * 48, page_.height() - height());
        repaint();
    }

private:
    QImage page_;
    int position_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    // Joining: 800 x 600 frames 250 px apart, and 1920 x 1080 frames 500 px apart.
    for (const auto& c : {std::make_tuple(800, 600, 250), std::make_tuple(1920, 1080, 500)}) {
        const QImage page = makePage(std::get<0>(c), 10000);
        QSize size;
        int frames = 0;
        double best = 1e9;
        for (int run = 0; run < 3; ++run)
            best = std::min(best, stitchPage(page, std::get<1>(c), std::get<2>(c), &size, &frames));
        std::printf("join %dx%d frames, %d frames -> %dx%d: %.0f ms cpu (%.1f ms a frame)\n", std::get<0>(c),
                    std::get<1>(c), frames, size.width(), size.height(), best, best / frames);
    }
    {
        const long before = peakRssKb();
        QSize size;
        int frames = 0;
        const double ms = stitchPage(makePage(1920, 20000), 1080, 500, &size, &frames);
        std::printf("join to %dx%d: %.0f ms cpu, peak memory %.0f MB (%.0f MB before)\n", size.width(), size.height(), ms,
                    peakRssKb() / 1024.0, before / 1024.0);
    }

    if (QGuiApplication::platformName() != QLatin1String("xcb") || !ScrollInjector::create())
        return 0;

    // A real capture: the wheel turned through XTEST, each step grabbed once settled.
    ScrollPage view(makePage(800, 6000));
    view.move(40, 40);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view, 30000))
        return 1;
    ScrollCapturer capturer;
    capturer.setUseDetectWindow(false);
    QSignalSpy finished(&capturer, &ScrollCapturer::finished);
    capturer.start();
    if (!QTest::qWaitForWindowExposed(&capturer, 30000))
        return 1;
    QTest::mousePress(&capturer, Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QTest::mouseMove(&capturer, QPoint(440, 340));
    QTest::mouseMove(&capturer, QPoint(839, 639));
    if (!QTest::qWaitFor([&] { return capturer.selection().x2 == 839 && capturer.selection().y2 == 639; }, 30000))
        return 1;
    QTest::mouseRelease(&capturer, Qt::LeftButton, Qt::NoModifier, QPoint(839, 639));
    QElapsedTimer t;
    t.start();
    QTest::keyClick(&capturer, Qt::Key_Return);
    int framesAtEnd = 0;
    qint64 movingMs = 0;
    while (finished.isEmpty() && t.elapsed() < 300000) {
        QTest::qWait(20);
        if (capturer.frames() > framesAtEnd) {
            framesAtEnd = capturer.frames();
            movingMs = t.elapsed();
        }
    }
    if (finished.isEmpty())
        return 1;
    const QImage result = finished.first().at(0).value<QImage>();
    std::printf("capture of an 800x600 scroll area over 6000 px: %d frames in %lld ms while moving = %.1f frames/s; "
                "%lld ms in all (the end is two still steps); result %dx%d\n",
                framesAtEnd, movingMs, framesAtEnd * 1000.0 / std::max<qint64>(1, movingMs), t.elapsed(),
                result.width(), result.height());
    return 0;
}
