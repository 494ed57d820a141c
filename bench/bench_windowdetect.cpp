// Cost of window detection with many windows open: one refresh of the window
// list, and 1,000 lookups under the cursor.
//   scripts/with-x.sh -- build-bench/bin/bench_windowdetect [windows]
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/displayinfo.h"
#include "core/windowdetect.h"

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
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    DisplayInfo::instance();
    const QSize size = DisplayInfo::maxSize();

    std::vector<std::unique_ptr<QWidget>> windows;
    for (int i = 0; i < count; ++i) {
        auto w = std::make_unique<QWidget>();
        w->setWindowTitle(QStringLiteral("w%1").arg(i));
        w->setGeometry((i * 37) % (size.width() - 200), (i * 23) % (size.height() - 200), 160, 120);
        w->show();
        windows.push_back(std::move(w));
    }
    // wait until the window manager has framed them all
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 60000) {
        spin(200);
        refreshWindowRects();
        if (windowRects().size() >= count)
            break;
    }
    std::printf("%d windows open, %d listed\n", count, int(windowRects().size()));

    std::vector<double> refresh;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        refreshWindowRects();
        refresh.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(refresh.begin(), refresh.end());
    std::printf("  refreshWindowRects()                 %8.2f ms median (%.2f .. %.2f)\n", refresh[refresh.size() / 2],
                refresh.front(), refresh.back());

    QElapsedTimer t;
    t.start();
    QRect last;
    for (int i = 0; i < 1000; ++i)
        last = detectWindowRect();
    const double withCursor = t.nsecsElapsed() / 1e6;
    t.restart();
    const QRect desktop(QPoint(0, 0), size);
    for (int i = 0; i < 1000; ++i)
        last = windowRectAt(windowRects(), QPoint((i * 7) % size.width(), (i * 3) % size.height()), desktop);
    const double pure = t.nsecsElapsed() / 1e6;
    std::printf("  1000 x detectWindowRect() (cursor)   %8.2f ms\n", withCursor);
    std::printf("  1000 x lookup only                   %8.2f ms\n", pure);
    std::printf("  refresh + 1000 lookups               %8.2f ms\n", refresh[refresh.size() / 2] + withCursor);
    return last.isEmpty() ? 1 : 0;
}
