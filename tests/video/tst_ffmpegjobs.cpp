// klipora-test: x11
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

#include "recordingutil.h"
#include "testutil.h"
#include "video/ffmpegrun.h"
#include "video/gifjob.h"
#include "video/videojob.h"

namespace {

const QColor KNOWN(200, 30, 40);

} // namespace

using testutil::colorNear;
using testutil::frameAt;
using testutil::mediaStream;
using testutil::MessageLog;
using testutil::probeMedia;

// Real ffmpeg runs on the private X server: recordings that land as playable
// files of the region, and failures that are reported instead of announced.
class TestFfmpegJobs : public QObject
{
    Q_OBJECT

    QWidget* patch_ = nullptr;
    QString folder_;
    QByteArray savedPath_;

    void waitForMessage(MessageLog& spy, int count = 1, int timeout = 30000)
    {
        QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= count, timeout);
    }

private slots:
    void initTestCase()
    {
        if (!testutil::haveX11())
            QSKIP("needs the private X server");
        qRegisterMetaType<GifJob::Stage>();
        // a window of a known colour at a known place, above everything
        patch_ = testutil::makeColourPatch(KNOWN, QRect(200, 150, 300, 200));
        patch_->show();
        QVERIFY(QTest::qWaitForWindowExposed(patch_));
        folder_ = QDir(testutil::tempDir()).filePath(QStringLiteral("out/videos"));
        savedPath_ = qgetenv("PATH");
    }

    void cleanupTestCase()
    {
        delete patch_;
    }

    void cleanup()
    {
        qputenv("PATH", savedPath_);
    }

    void recordsTheRegionWithTheWindowInIt()
    {
        VideoJob job;
        MessageLog spy(&job);
        QSignalSpy aborted(&job, &VideoJob::aborted);
        // the folder does not exist yet: it is made
        QVERIFY(!QDir(folder_).exists());
        const QRect region(100, 100, 600, 400);
        QVERIFY(job.begin(region, 30, QString(), folder_));
        QVERIFY(job.recording());
        QVERIFY(testutil::waitUntilGrabbing(job.run()));
        QTest::qWait(3000);
        job.end();
        QVERIFY(!job.recording());
        waitForMessage(spy);
        const auto got = spy.list;
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].title, QStringLiteral("Klipora<VIDEO>"));
        QCOMPARE(got[0].icon, QSystemTrayIcon::Information);
        QCOMPARE(got[0].text, QStringLiteral("Path: ") + job.outputPath());
        QCOMPARE(aborted.count(), 0);
        QVERIFY(QFileInfo(job.outputPath()).fileName().startsWith(QStringLiteral("Klipora_video_")));

        const QJsonObject info = probeMedia(job.outputPath());
        const QJsonObject video = mediaStream(info, QStringLiteral("video"));
        QCOMPARE(video.value(QStringLiteral("width")).toInt(), 600);
        QCOMPARE(video.value(QStringLiteral("height")).toInt(), 400);
        QCOMPARE(video.value(QStringLiteral("pix_fmt")).toString(), QStringLiteral("yuv420p"));
        QVERIFY(mediaStream(info, QStringLiteral("audio")).isEmpty());
        const double duration = testutil::mediaDuration(info);
        QVERIFY2(duration > 2.0 && duration < 6.0, qPrintable(QString::number(duration)));

        // the window sits at (100, 50) inside the region
        const QImage frame = frameAt(job.outputPath(), 1.0);
        QCOMPARE(frame.size(), QSize(600, 400));
        const QColor inside = frame.pixelColor(100 + 150, 50 + 100);
        QVERIFY2(colorNear(inside, KNOWN), qPrintable(inside.name()));
        const QColor outside = frame.pixelColor(20, 20);
        QVERIFY2(!colorNear(outside, KNOWN), qPrintable(outside.name()));
    }

    void oddSizedRegionIsRoundedToEven()
    {
        VideoJob job;
        MessageLog spy(&job);
        QVERIFY(job.begin(QRect(10, 20, 801, 601), 30, QString(), folder_));
        QTest::qWait(1500);
        job.end();
        waitForMessage(spy);
        QCOMPARE(spy.list[0].icon, QSystemTrayIcon::Information);
        const QJsonObject video = mediaStream(probeMedia(job.outputPath()), QStringLiteral("video"));
        QCOMPARE(video.value(QStringLiteral("width")).toInt(), 800);
        QCOMPARE(video.value(QStringLiteral("height")).toInt(), 600);
    }

    void missingFfmpegIsReportedNotAnnounced()
    {
        qputenv("PATH", QDir(testutil::tempDir()).filePath(QStringLiteral("empty-bin")).toUtf8());
        VideoJob job;
        MessageLog spy(&job);
        QSignalSpy aborted(&job, &VideoJob::aborted);
        QVERIFY(job.begin(QRect(0, 0, 100, 100), 30, QString(), folder_));
        waitForMessage(spy);
        QTRY_COMPARE_WITH_TIMEOUT(aborted.count(), 1, 5000);
        const auto got = spy.list;
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].icon, QSystemTrayIcon::Critical);
        QVERIFY2(got[0].text.contains(QStringLiteral("ffmpeg")), qPrintable(got[0].text));
        QVERIFY(!got[0].text.contains(QStringLiteral("Path: ")));
        // stopping afterwards announces nothing either
        job.end();
        QTest::qWait(300);
        QCOMPARE(spy.count(), 1);

        GifJob gif;
        MessageLog gifSpy(&gif);
        QVERIFY(gif.begin(QRect(0, 0, 100, 100), 10, 6, folder_, folder_));
        waitForMessage(gifSpy);
        QCOMPARE(gifSpy.list[0].icon, QSystemTrayIcon::Critical);
        QCOMPARE(gif.stage(), GifJob::Stage::Idle);
    }

    void folderThatCannotBeMadeIsReported()
    {
        const QString file = QDir(testutil::tempDir()).filePath(QStringLiteral("plain-file"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString impossible = file + QStringLiteral("/sub");

        VideoJob job;
        MessageLog spy(&job);
        QVERIFY(!job.begin(QRect(0, 0, 100, 100), 30, QString(), impossible));
        QCOMPARE(spy.count(), 1);
        const auto got = spy.list;
        QCOMPARE(got[0].icon, QSystemTrayIcon::Critical);
        QVERIFY2(got[0].text.contains(impossible), qPrintable(got[0].text));
        QVERIFY(!job.busy());

        GifJob gif;
        MessageLog gifSpy(&gif);
        QVERIFY(!gif.begin(QRect(0, 0, 100, 100), 10, 6, impossible, folder_));
        QVERIFY(!gif.begin(QRect(0, 0, 100, 100), 10, 6, folder_, impossible));
        QCOMPARE(gifSpy.count(), 2);
        QCOMPARE(gifSpy.list[1].icon, QSystemTrayIcon::Critical);
    }

    void regionOutsideTheScreenIsReported()
    {
        VideoJob job;
        MessageLog spy(&job);
        QVERIFY(!job.begin(QRect(1800, 20, 801, 601), 30, QString(), folder_));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.list[0].icon, QSystemTrayIcon::Critical);
        QVERIFY(!job.busy());
    }

    void ffmpegErrorCarriesItsLastLine()
    {
        // ffmpeg itself refuses: a display that does not exist
        FfmpegRun run;
        QSignalSpy failed(&run, &FfmpegRun::failed);
        QSignalSpy ok(&run, &FfmpegRun::succeeded);
        QVERIFY(run.start({QStringLiteral("-f"), QStringLiteral("x11grab"), QStringLiteral("-i"),
                           QStringLiteral(":97+0,0"), QDir(folder_).filePath(QStringLiteral("never.mp4"))},
                          true));
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 15000);
        QCOMPARE(ok.count(), 0);
        // the user reads the cause in a sentence; ffmpeg's own words stay for the log
        const QString reason = failed[0][0].toString();
        QCOMPARE(reason, QStringLiteral("ffmpeg cannot open the display."));
        QVERIFY2(run.lastErrorLine().contains(QStringLiteral(":97")), qPrintable(run.lastErrorLine()));
        QVERIFY(!QFile::exists(QDir(folder_).filePath(QStringLiteral("never.mp4"))));
    }

    void secondRecordingWhileTheFirstIsFinishing()
    {
        VideoJob job;
        MessageLog spy(&job);
        QVERIFY(job.begin(QRect(0, 0, 320, 240), 30, QString(), folder_));
        QTest::qWait(1000);
        const QString first = job.outputPath();
        job.end();
        // ffmpeg needs a moment after "q": the next start is refused and said so
        QVERIFY(job.busy());
        QVERIFY(!job.begin(QRect(0, 0, 320, 240), 30, QString(), folder_));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.list[0].icon, QSystemTrayIcon::Critical);
        QVERIFY(!spy.list[0].text.contains(QStringLiteral("Path: ")));
        // the first file is still finished and announced
        waitForMessage(spy, 2);
        QCOMPARE(spy.list[1].text, QStringLiteral("Path: ") + first);
        QCOMPARE(job.outputPath(), first);
    }

    void quittingFinishesTheFile()
    {
        QString path;
        {
            auto* job = new VideoJob;
            QVERIFY(job->begin(QRect(0, 0, 320, 240), 30, QString(), folder_));
            QVERIFY(testutil::waitUntilGrabbing(job->run()));
            path = job->outputPath();
            delete job; // as the application object goes away at quit
        }
        const QJsonObject info = probeMedia(path);
        QVERIFY2(!info.isEmpty(), "unplayable file");
        QCOMPARE(mediaStream(info, QStringLiteral("video")).value(QStringLiteral("width")).toInt(), 320);
    }

    void gifPassesRunWithoutBlockingTheUi()
    {
        GifJob job;
        MessageLog spy(&job);
        QSignalSpy stages(&job, &GifJob::stageChanged);
        const QString gifFolder = QDir(testutil::tempDir()).filePath(QStringLiteral("out/gifs"));
        const QRect region(150, 100, 401, 301);
        QVERIFY(job.begin(region, 15, 6, gifFolder, QDir(testutil::tempDir()).filePath(QStringLiteral("tmp"))));
        QVERIFY(testutil::waitUntilGrabbing(job.run()));
        QTest::qWait(3000);

        // the event loop keeps turning while the passes run
        testutil::TickWatch watch;
        watch.start();
        job.end();
        waitForMessage(spy, 1, 60000);
        watch.stop();

        const auto got = spy.list;
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].title, QStringLiteral("Klipora<GIF>"));
        QCOMPARE(got[0].icon, QSystemTrayIcon::Information);
        QCOMPARE(got[0].text, QStringLiteral("Path: ") + job.files().gif);
        QList<GifJob::Stage> order;
        for (const auto& s : stages)
            order << s.at(0).value<GifJob::Stage>();
        QCOMPARE(order, (QList<GifJob::Stage>{GifJob::Stage::Capturing, GifJob::Stage::StoppingCapture,
                                              GifJob::Stage::Palette, GifJob::Stage::Converting,
                                              GifJob::Stage::Idle}));
        // each pass took far longer than a timer period, yet ticks kept coming
        QVERIFY2(watch.ticks() > 20, qPrintable(QString::number(watch.ticks())));
        qInfo() << "longest gap between ticks during the passes:" << watch.longestGap() << "ms";

        const QJsonObject gif = mediaStream(probeMedia(job.files().gif), QStringLiteral("video"));
        QCOMPARE(gif.value(QStringLiteral("codec_name")).toString(), QStringLiteral("gif"));
        QCOMPARE(gif.value(QStringLiteral("width")).toInt(), 401);
        QCOMPARE(gif.value(QStringLiteral("height")).toInt(), 301);
        QCOMPARE(gif.value(QStringLiteral("r_frame_rate")).toString(), QStringLiteral("6/1"));
        const QImage frame = frameAt(job.files().gif, 1.0);
        QVERIFY2(colorNear(frame.pixelColor(200, 150), KNOWN, 40), qPrintable(frame.pixelColor(200, 150).name()));
    }

    void recordsRealSoundWhenUnmuted()
    {
        testutil::PulseServer pulse;
        if (!pulse.start())
            QSKIP("pulseaudio could not be started here");
        QVERIFY(pulse.addNullSink(QStringLiteral("virt")));
        // a tone into the null sink, so its monitor carries real sound
        QProcess tone;
        tone.start(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-re"), QStringLiteral("-f"),
                    QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=20"),
                    QStringLiteral("-f"), QStringLiteral("pulse"), QStringLiteral("-device"), QStringLiteral("virt"),
                    QStringLiteral("tone")});
        QVERIFY(tone.waitForStarted());
        // a fresh null sink's monitor can hand its very first reader silence
        const auto warm = testutil::run(QStringLiteral("ffmpeg"),
                                        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                         QStringLiteral("pulse"), QStringLiteral("-i"), QStringLiteral("virt.monitor"),
                                         QStringLiteral("-t"), QStringLiteral("1"), QStringLiteral("-f"),
                                         QStringLiteral("null"), QStringLiteral("-")});
        QCOMPARE(warm.exitCode, 0);

        VideoJob job;
        MessageLog spy(&job);
        QVERIFY(job.begin(QRect(0, 0, 320, 240), 30, QStringLiteral("virt.monitor"), folder_));
        QVERIFY(testutil::waitUntilGrabbing(job.run()));
        QTest::qWait(3000);
        job.end();
        waitForMessage(spy);
        tone.terminate();
        tone.waitForFinished(5000);
        QCOMPARE(spy.list[0].icon, QSystemTrayIcon::Information);

        const QJsonObject audio = mediaStream(probeMedia(job.outputPath()), QStringLiteral("audio"));
        QVERIFY(!audio.isEmpty());
        const auto vol = testutil::run(QStringLiteral("ffmpeg"),
                                       {QStringLiteral("-i"), job.outputPath(), QStringLiteral("-vn"),
                                        QStringLiteral("-af"), QStringLiteral("volumedetect"), QStringLiteral("-f"),
                                        QStringLiteral("null"), QStringLiteral("-")});
        const QString err = QString::fromUtf8(vol.err);
        const int at = err.indexOf(QStringLiteral("mean_volume: "));
        QVERIFY2(at >= 0, qPrintable(err.right(400)));
        const double mean = err.mid(at + 13).section(QLatin1Char(' '), 0, 0).toDouble();
        QVERIFY2(mean > -40.0, qPrintable(QString::number(mean))); // silence would be about -91 dB
    }
};

QTEST_MAIN(TestFfmpegJobs)
#include "tst_ffmpegjobs.moc"
