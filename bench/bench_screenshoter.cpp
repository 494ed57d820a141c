// The screenshot overlay's costs on the current X display: start to first
// paint, a mouse move while selecting and while drawing a pencil stroke,
// Return to another program reading the PNG, and memory after ten snips.
// Run inside a private X session, e.g.
//   scripts/with-x.sh --size 3840x2160 -- build/bin/bench_screenshoter
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/resources.h"
#include "snip/screenshoter.h"
#include "widgets/iconbutton.h"
#include "widgets/imageeditmenu.h"

namespace {

class TimedShoter : public ScreenShoter
{
public:
    std::vector<double> paints; // ms per paint
    int painted = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QElapsedTimer t;
        t.start();
        ScreenShoter::paintEvent(event);
        paints.push_back(t.nsecsElapsed() / 1e6);
        ++painted;
    }
};

void send(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButtons buttons,
          Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long rssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Per move: the event handling plus the paint it asks for.
void measureMoves(TimedShoter& s, const char* what, QPoint from, QPoint step, int n, Qt::MouseButtons buttons)
{
    std::vector<double> total;
    s.paints.clear();
    QPoint p = from;
    for (int i = 0; i < n; ++i) {
        p += step;
        QElapsedTimer t;
        t.start();
        send(&s, QEvent::MouseMove, p, buttons);
        QApplication::processEvents();
        total.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("%-36s move+paint median %7.2f ms, paint median %7.2f ms (%zu paints)\n", what, median(total),
                median(s.paints), s.paints.size());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    initResources();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    std::printf("desktop %dx%d\n", screen.width(), screen.height());

    TimedShoter s;

    // start() to the first complete paint, grab included.
    {
        QElapsedTimer t;
        t.start();
        s.start();
        while (s.painted == 0 && t.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        std::printf("%-36s %7.1f ms\n", "start to first paint", t.nsecsElapsed() / 1e6);
    }

    // Selecting: the second corner follows the mouse.
    send(&s, QEvent::MouseMove, QPoint(100, 100), Qt::NoButton);
    send(&s, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
    measureMoves(s, "selecting", QPoint(100, 100), QPoint(7, 4), 200, Qt::LeftButton);
    const QPoint corner(int(screen.width() * 0.75), int(screen.height() * 0.75));
    send(&s, QEvent::MouseMove, corner, Qt::LeftButton);
    send(&s, QEvent::MouseButtonRelease, corner, Qt::NoButton, Qt::LeftButton);
    QApplication::processEvents();

    // A pencil stroke.
    s.menu()->toolButton(PENCIL)->click();
    send(&s, QEvent::MouseMove, QPoint(200, 200), Qt::NoButton);
    send(&s, QEvent::MouseButtonPress, QPoint(200, 200), Qt::LeftButton, Qt::LeftButton);
    QApplication::processEvents();
    measureMoves(s, "pencil stroke", QPoint(200, 200), QPoint(5, 3), 200, Qt::LeftButton);
    send(&s, QEvent::MouseButtonRelease, QPoint(1200, 800), Qt::NoButton, Qt::LeftButton);
    QApplication::processEvents();

    // Return until another program has read the PNG.
    {
        QElapsedTimer t;
        t.start();
        s.copy();
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), { "-selection", "clipboard", "-t", "image/png", "-o" });
        xclip.closeWriteChannel();
        while (xclip.state() != QProcess::NotRunning && t.elapsed() < 30000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        const QByteArray png = xclip.readAllStandardOutput();
        const QImage image = QImage::fromData(png, "PNG");
        std::printf("%-36s %7.1f ms (%dx%d, %d KB)\n", "Return to PNG read by xclip", t.nsecsElapsed() / 1e6,
                    image.width(), image.height(), int(png.size() / 1024));
    }

    // Ten snips with a mark each, then the resident memory.
    for (int i = 0; i < 10; ++i) {
        s.start();
        QApplication::processEvents();
        send(&s, QEvent::MouseMove, QPoint(50 + i, 50), Qt::NoButton);
        send(&s, QEvent::MouseButtonPress, QPoint(50 + i, 50), Qt::LeftButton, Qt::LeftButton);
        send(&s, QEvent::MouseMove, corner, Qt::LeftButton);
        send(&s, QEvent::MouseButtonRelease, corner, Qt::NoButton, Qt::LeftButton);
        s.menu()->toolButton(RECTANGLE)->click();
        send(&s, QEvent::MouseMove, QPoint(300, 300), Qt::NoButton);
        send(&s, QEvent::MouseButtonPress, QPoint(300, 300), Qt::LeftButton, Qt::LeftButton);
        send(&s, QEvent::MouseMove, QPoint(600, 500), Qt::LeftButton);
        send(&s, QEvent::MouseButtonRelease, QPoint(600, 500), Qt::NoButton, Qt::LeftButton);
        QApplication::processEvents();
        s.copy();
        QApplication::processEvents();
    }
    std::printf("%-36s %7.1f MB (history of %d kept)\n", "resident after 10 snips", rssKb() / 1024.0,
                int(s.history().size()));
    return 0;
}
