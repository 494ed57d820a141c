// Recording costs on the private X server (run inside scripts/with-x.sh):
// stop click to a complete MP4, the GIF passes of a 5 s 800x600 recording,
// the GIF's size, and how long the event loop ever waited during the passes.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMetaEnum>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/displayinfo.h"
#include "video/gifjob.h"
#include "video/videojob.h"

namespace {

// Something that moves, so the encoders have real work.
class Motion : public QWidget
{
public:
    Motion()
        : QWidget(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint)
    {
        setGeometry(100, 100, 800, 600);
        auto* t = new QTimer(this);
        connect(t, &QTimer::timeout, this, [this] {
            ++step_;
            update();
        });
        t->start(33);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor::fromHsv(step_ * 3 % 360, 120, 220));
        p.setBrush(Qt::black);
        p.drawEllipse(QPoint(step_ * 7 % 800, 300), 60, 60);
        p.drawText(20, 40, QString::number(step_));
    }

private:
    int step_ = 0;
};

void wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    DisplayInfo::instance();
    Motion motion;
    motion.show();
    wait(500);
    QTemporaryDir dir;
    const QRect region(100, 100, 800, 600);

    std::vector<double> stops;
    for (int i = 0; i < 3; ++i) {
        VideoJob job;
        bool done = false;
        QObject::connect(&job, &VideoJob::SHOW_MESSAGE, [&](QString, QString msg, QSystemTrayIcon::MessageIcon, int) {
            std::printf("  %s\n", qPrintable(msg));
            done = true;
        });
        job.begin(region, 30, QString(), dir.path());
        wait(3000);
        QElapsedTimer t;
        t.start();
        job.end();
        while (!done && t.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        stops.push_back(t.elapsed());
    }
    std::printf("stop to complete MP4 (800x600, 3 s, 30 fps): median %.0f ms (%.0f .. %.0f)\n", median(stops),
                *std::min_element(stops.begin(), stops.end()), *std::max_element(stops.begin(), stops.end()));

    for (int i = 0; i < 2; ++i) {
        GifJob job;
        bool done = false;
        QObject::connect(&job, &GifJob::SHOW_MESSAGE, [&](QString, QString msg, QSystemTrayIcon::MessageIcon, int) {
            std::printf("  %s\n", qPrintable(msg));
            done = true;
        });
        QElapsedTimer stages;
        QObject::connect(&job, &GifJob::stageChanged, [&](GifJob::Stage s) {
            if (stages.isValid())
                std::printf("  %-16s at %5lld ms\n", QMetaEnum::fromType<GifJob::Stage>().valueToKey(int(s)),
                            stages.elapsed());
        });
        job.begin(region, 30, 6, dir.path(), dir.path());
        wait(5000);
        qint64 last = 0, longest = 0;
        QElapsedTimer t;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, t.elapsed() - last);
            last = t.elapsed();
        });
        t.start();
        stages.start();
        tick.start(10);
        job.end();
        while (!done && t.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 total = t.elapsed();
        tick.stop();
        std::printf("GIF pipeline after stop (800x600, 5 s at 30 fps, GIF at 6 fps): %lld ms, GIF %.1f KiB, "
                    "longest event-loop gap %lld ms (timer every 10 ms)\n",
                    total, QFileInfo(job.files().gif).size() / 1024.0, longest);
    }
    return 0;
}
