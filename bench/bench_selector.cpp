// Cost of the selection overlay on this display: grabbing the desktop, one
// full paint, and the repaint behind each mouse move while dragging.
// Run inside an X session of the size to measure, e.g.
//   scripts/with-x.sh --size 3840x2160 -- build-bench/bin/bench_selector
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <type_traits>
#include <cstdio>
#include <vector>

#include "core/desktopgrab.h"
#include "core/displayinfo.h"
#include "core/selector.h"

namespace {

struct Stats
{
    double median, min, max;
};

// Times f(i); an f that returns its own started timer is timed from there,
// so it can prepare each run outside the measurement.
template<typename F>
Stats measure(int runs, F&& f)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if constexpr (std::is_same_v<decltype(f(i)), QElapsedTimer>)
            t = f(i);
        else
            f(i);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return { ms[ms.size() / 2], ms.front(), ms.back() };
}

void print(const char* what, const Stats& s)
{
    std::printf("  %-44s %8.2f ms  (%.2f .. %.2f)\n", what, s.median, s.min, s.max);
}

// Lets the selector see a mouse event as if the user made it.
void send(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void flushPaints()
{
    // Posted update requests paint and flush to the X server here.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

} // namespace

// Keeps the event loop turning for a while.
static void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    DisplayInfo::instance();
    const QSize size = DisplayInfo::maxSize();
    std::printf("desktop %dx%d, platform %s\n", size.width(), size.height(), qPrintable(QGuiApplication::platformName()));
    const QRect desktop(QPoint(0, 0), size);

    print("grab desktop (shared memory)", measure(10, [&](int) { grabDesktop(desktop); }));
    QScreen* screen = QGuiApplication::primaryScreen();
    print("grab desktop (toolkit)", measure(5, [&](int) { screen->grabWindow(0, 0, 0, size.width(), size.height()); }));

    Selector selector(nullptr);
    selector.setUseDetectWindow(false);
    QElapsedTimer shown;
    shown.start();
    selector.start();
    flushPaints();
    std::printf("  %-44s %8.2f ms\n", "start() to first paint flushed", shown.nsecsElapsed() / 1e6);
    for (int i = 0; i < 250 && !(selector.windowHandle() && selector.windowHandle()->isExposed()); ++i)
        spin(20);

    // Drag out a selection from the middle, as a user would.
    const QPoint from(size.width() / 4, size.height() / 4);
    send(&selector, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    print("full repaint (whole overlay)", measure(30, [&](int) { selector.repaint(); }));
    print("drag step: move + repaint + flush", measure(200, [&](int i) {
              send(&selector, QEvent::MouseMove, from + QPoint(200 + i * 3, 100 + i * 2), Qt::NoButton, Qt::LeftButton);
              flushPaints();
          }));
    send(&selector, QEvent::MouseButtonRelease, from + QPoint(800, 500), Qt::LeftButton, Qt::NoButton);
    flushPaints();

    // The usual case: the overlay object lives on and is shown again.
    print("later start() to first paint flushed", measure(5, [&](int) {
              selector.exit();
              flushPaints();
              spin(100);
              QElapsedTimer t;
              t.start();
              selector.start();
              flushPaints();
              return t;
          }));
    for (int i = 0; i < 250 && !(selector.windowHandle() && selector.windowHandle()->isExposed()); ++i)
        spin(20);
    send(&selector, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(&selector, QEvent::MouseMove, from + QPoint(800, 500), Qt::NoButton, Qt::LeftButton);
    send(&selector, QEvent::MouseButtonRelease, from + QPoint(800, 500), Qt::LeftButton, Qt::NoButton);
    flushPaints();

    // Moving the whole selection.
    const QPoint inside = selector.selectedRect().center();
    send(&selector, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    print("move step: move + repaint + flush", measure(200, [&](int i) {
              send(&selector, QEvent::MouseMove, inside + QPoint(i * 2, i), Qt::NoButton, Qt::LeftButton);
              flushPaints();
          }));
    send(&selector, QEvent::MouseButtonRelease, inside + QPoint(400, 200), Qt::LeftButton, Qt::NoButton);
    selector.exit();

    // The same paint into an image, without the window system.
    QImage target(size, QImage::Format_ARGB32_Premultiplied);
    Selector offscreen(nullptr);
    offscreen.setUseDetectWindow(true);
    print("render to image, mask only", measure(20, [&](int) { offscreen.render(&target); }));
    return 0;
}
