// What one mouse move over the screenshot overlay costs in-process: the
// paints it causes (per widget), the area they cover, and the CPU time of
// the move with its paints and flushes. Run inside an X session, e.g.
//   scripts/with-x.sh --size 3840x2160 -- build-bench/bin/bench_overlaymoves
#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/resources.h"
#include "snip/screenshoter.h"

namespace {

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Counts paint events per widget class and the pixels they cover.
class PaintCounter : public QObject
{
public:
    QMap<QString, int> paints;
    QMap<QString, qint64> pixels;

    void reset()
    {
        paints.clear();
        pixels.clear();
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            const QString name = QString::fromLatin1(o->metaObject()->className());
            ++paints[name];
            qint64 area = 0;
            for (const QRect& r : static_cast<QPaintEvent*>(e)->region())
                area += qint64(r.width()) * r.height();
            pixels[name] += area;
        }
        return false;
    }
};

class CountedShoter : public ScreenShoter
{
public:
    int paints = 0;
    qint64 pixels = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        for (const QRect& r : event->region())
            pixels += qint64(r.width()) * r.height();
        ScreenShoter::paintEvent(event);
    }
};

void send(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButtons buttons,
          Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void settle()
{
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
}

void measure(CountedShoter& s, PaintCounter& counter, const char* what, QPoint from, QPoint to, int n,
             Qt::MouseButtons buttons)
{
    counter.reset();
    s.paints = 0;
    s.pixels = 0;
    std::vector<double> cpu;
    for (int i = 1; i <= n; ++i) {
        const QPoint p = from + (to - from) * i / n;
        const double c0 = threadCpuMs();
        send(&s, QEvent::MouseMove, p, buttons);
        settle();
        cpu.push_back(threadCpuMs() - c0);
    }
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-10s CPU per move median %.3f ms (p90 %.3f)\n", what, cpu[cpu.size() / 2], cpu[cpu.size() * 9 / 10]);
    std::printf("    %-18s %.2f paints/move, %8.0f px/move\n", "overlay", double(s.paints) / n, double(s.pixels) / n);
    for (auto it = counter.paints.cbegin(); it != counter.paints.cend(); ++it)
        std::printf("    %-18s %.2f paints/move, %8.0f px/move\n", qPrintable(it.key()), double(it.value()) / n,
                    double(counter.pixels[it.key()]) / n);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    initResources();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    std::printf("desktop %dx%d\n", screen.width(), screen.height());
    const int w = screen.width(), h = screen.height();

    PaintCounter counter;
    app.installEventFilter(&counter);
    CountedShoter s;
    s.start();
    for (int i = 0; i < 250 && !(s.windowHandle() && s.windowHandle()->isExposed()); ++i)
        settle();
    settle();

    // "hover" or "drag" alone, for instruction counts under callgrind
    // (--toggle-collect='*measure*').
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int n = argc > 2 ? std::max(1, atoi(argv[2])) : 500;
    if (only.isEmpty() || only == QLatin1String("hover"))
        measure(s, counter, "hover", QPoint(100, 100), QPoint(w - 100, h - 100), n, Qt::NoButton);
    send(&s, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
    if (only.isEmpty() || only == QLatin1String("drag"))
        measure(s, counter, "drag", QPoint(100, 100), QPoint(w - 100, h - 100), n, Qt::LeftButton);
    send(&s, QEvent::MouseButtonRelease, QPoint(w - 100, h - 100), Qt::NoButton, Qt::LeftButton);
    settle();
    s.exit();
    return 0;
}
