// Recording costs on the private X server (run inside scripts/with-x.sh):
// for takes of 5 s and 60 s (--durations 5,60), MP4 and GIF, the time from
// the stop to a complete file, the file's size, this process's own CPU
// while ffmpeg records, and the longest wait of the event loop after the
// stop. The moving picture being recorded comes from a second process, so
// its painting is not counted.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

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

double cpuMs()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1000.0 + (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1000.0;
}


} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--motion") == 0) {
        Motion motion;
        motion.show();
        return app.exec();
    }
    QList<int> durations{5};
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "--durations") == 0) {
            durations.clear();
            for (const QString& d : QString::fromLatin1(argv[i + 1]).split(QLatin1Char(',')))
                durations << d.toInt();
        }
    DisplayInfo::instance();
    QProcess motion;
    motion.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--motion")});
    motion.waitForStarted();
    wait(1500);
    QTemporaryDir dir;
    const QRect region(100, 100, 800, 600);

    for (int seconds : durations) {
        for (const bool gif : {false, true}) {
            VideoJob video;
            GifJob gifJob;
            RecordJob* job = gif ? static_cast<RecordJob*>(&gifJob) : &video;
            bool done = false;
            QString said;
            QObject::connect(job, &RecordJob::SHOW_MESSAGE, [&](QString, QString msg, QSystemTrayIcon::MessageIcon, int) {
                said = msg;
                done = true;
            });
            const bool started = gif ? gifJob.begin(region, 30, 6, dir.path(), dir.path())
                                     : video.begin(region, 30, QString(), dir.path());
            if (!started)
                return 1;
            wait(300); // ffmpeg under way
            const double cpu0 = cpuMs();
            QElapsedTimer take;
            take.start();
            wait(seconds * 1000 - 300);
            const double cpuShare = (cpuMs() - cpu0) / take.elapsed() * 100.0;
            qint64 last = 0, longest = 0;
            QElapsedTimer t;
            QTimer tick;
            QObject::connect(&tick, &QTimer::timeout, [&] {
                longest = std::max(longest, t.elapsed() - last);
                last = t.elapsed();
            });
            t.start();
            tick.start(10);
            job->end();
            while (!done && t.elapsed() < 300000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const qint64 total = t.elapsed();
            tick.stop();
            const QString file = gif ? gifJob.files().gif : video.outputPath();
            std::printf("%s %2d s take (800x600, 30 fps%s): stop to complete file %lld ms, %.1f MiB, own CPU during the "
                        "take %.2f %%, longest event-loop gap after the stop %lld ms\n  %s\n",
                        gif ? "GIF" : "MP4", seconds, gif ? ", GIF at 6 fps" : "", total,
                        QFileInfo(file).size() / 1048576.0, cpuShare, longest, qPrintable(said));
            std::fflush(stdout);
            QFile::remove(file);
        }
    }
    motion.terminate();
    motion.waitForFinished(5000);
    return 0;
}
