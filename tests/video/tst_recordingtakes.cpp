// klipora-test: x11
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "core/config.h"
#include "core/devices/devices.h"
#include "core/displayinfo.h"
#include "core/resources.h"
#include "recordingutil.h"
#include "testutil.h"
#include "video/ffmpegrun.h"
#include "video/gifcapturer.h"
#include "video/gifjob.h"
#include "video/recordmenu.h"
#include "video/screenrecorder.h"
#include "video/videojob.h"

using testutil::mediaStream;
using testutil::MessageLog;
using testutil::probeMedia;

namespace {

// Files below a folder, for finding what a take left behind.
QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

int frameCount(const QJsonObject& stream)
{
    return stream.value(QStringLiteral("nb_frames")).toString().toInt();
}

double rate(const QString& fraction)
{
    const QStringList parts = fraction.split(QLatin1Char('/'));
    return parts.size() == 2 && parts[1].toDouble() > 0 ? parts[0].toDouble() / parts[1].toDouble() : 0;
}

} // namespace

// Takes as users make them: short ones, many in a row, with Escape pressed
// in the middle, with sound, and with an ffmpeg that misbehaves.
class TestRecordingTakes : public QObject
{
    Q_OBJECT

    QString videos_;
    QString gifs_;
    QString temp_;
    QString fakeBin_;
    QByteArray savedPath_;

    void useFakeFfmpeg(const char* mode)
    {
        qputenv("PATH", fakeBin_.toUtf8() + ':' + savedPath_);
        qputenv("FAKE_MODE", mode);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        initResources();
        DisplayInfo::instance();
        qRegisterMetaType<GifJob::Stage>();
        const QDir dir(testutil::tempDir());
        videos_ = dir.filePath(QStringLiteral("takes/videos"));
        gifs_ = dir.filePath(QStringLiteral("takes/gifs"));
        temp_ = dir.filePath(QStringLiteral("takes/tmp"));
        QVERIFY(QDir().mkpath(temp_));
        Config::instance().set(Config::RecordPath, videos_);
        Config::instance().set(Config::GifPath, gifs_);
        savedPath_ = qgetenv("PATH");

        fakeBin_ = testutil::writeFakeFfmpeg(dir.filePath(QStringLiteral("fakebin")));
        QVERIFY(!fakeBin_.isEmpty());
        qputenv("FAKE_PIDS", dir.filePath(QStringLiteral("fake.pids")).toUtf8());
    }

    void cleanup()
    {
        qputenv("PATH", savedPath_);
        qunsetenv("FAKE_MODE");
    }

    void shortTakesHoldFramesAndLeaveNothingElse()
    {
        // half a second of video
        VideoJob video;
        MessageLog log(&video);
        QElapsedTimer clock;
        QVERIFY(video.begin(QRect(0, 0, 320, 240), 30, QString(), videos_));
        QTRY_VERIFY_WITH_TIMEOUT(video.run()->busy(), 5000);
        clock.start();
        QTest::qWait(500);
        video.end();
        QTRY_COMPARE_WITH_TIMEOUT(log.count(), 1, 30000);
        QCOMPARE(log.list[0].text, QStringLiteral("Path: ") + video.outputPath());
        const QJsonObject stream = mediaStream(probeMedia(video.outputPath()), QStringLiteral("video"));
        QVERIFY2(frameCount(stream) >= 1, "a 0.5 s take without frames");

        // stopped before ffmpeg even started: said to be too short, no file
        const int before = filesBelow(videos_).size();
        QVERIFY(video.begin(QRect(0, 0, 320, 240), 30, QString(), videos_));
        video.end();
        QCOMPARE(log.count(), 2);
        QCOMPARE(log.list[1].icon, QSystemTrayIcon::Warning);
        QVERIFY(!log.list[1].text.startsWith(QStringLiteral("Path: ")));
        QCOMPARE(filesBelow(videos_).size(), before);

        // two seconds of GIF, its intermediates gone afterwards
        GifJob gif;
        MessageLog gifLog(&gif);
        QVERIFY(gif.begin(QRect(100, 100, 320, 240), 15, 6, gifs_, temp_));
        QTRY_VERIFY_WITH_TIMEOUT(gif.run()->busy(), 5000);
        QTest::qWait(2000);
        gif.end();
        QTRY_COMPARE_WITH_TIMEOUT(gifLog.count(), 1, 60000);
        QCOMPARE(gifLog.list[0].text, QStringLiteral("Path: ") + gif.files().gif);
        const QJsonObject g = mediaStream(probeMedia(gif.files().gif), QStringLiteral("video"));
        QCOMPARE(g.value(QStringLiteral("codec_name")).toString(), QStringLiteral("gif"));
        QCOMPARE(testutil::frameAt(gif.files().gif, 0).size(), QSize(320, 240));
        // the intermediates were in a private folder, now gone with it
        QVERIFY(!gif.files().video.startsWith(temp_ + QStringLiteral("/Klipora")));
        QVERIFY2(filesBelow(temp_).isEmpty(), qPrintable(filesBelow(temp_).join(QLatin1Char(' '))));
        QCOMPARE(QDir(temp_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void everyTakeHasTheConfiguredRate()
    {
        VideoJob job;
        MessageLog log(&job);
        QStringList bad;
        for (int take = 0; take < 10; ++take) {
            QVERIFY(job.begin(QRect(200, 150, 480, 360), 30, QString(), videos_));
            QSignalSpy grabbing(job.run(), &FfmpegRun::grabbing);
            QVERIFY(grabbing.wait(30000) || grabbing.count() == 1);
            QElapsedTimer clock;
            clock.start();
            QTest::qWait(2000);
            const double recorded = clock.elapsed() / 1000.0;
            job.end();
            QTRY_COMPARE_WITH_TIMEOUT(log.count(), take + 1, 30000);
            QCOMPARE(log.list.last().icon, QSystemTrayIcon::Information);
            const QJsonObject info = probeMedia(job.outputPath());
            const QJsonObject v = mediaStream(info, QStringLiteral("video"));
            const QString r = v.value(QStringLiteral("r_frame_rate")).toString();
            const double avg = rate(v.value(QStringLiteral("avg_frame_rate")).toString());
            const int frames = frameCount(v);
            const double duration = testutil::mediaDuration(info);
            const QString seen =
                QStringLiteral("take %1: r %2 avg %3 frames %4 duration %5 recorded %6")
                    .arg(take).arg(r).arg(avg).arg(frames).arg(duration).arg(recorded);
            qInfo().noquote() << seen;
            // one stored frame per 1/30 s of the file, and the file as long as the take
            // (ffmpeg reads "q" up to 0.1 s late, more on a loaded machine)
            if (r != QLatin1String("30/1") || qAbs(avg - 30) > 0.6 || qAbs(frames - duration * 30) > 1.5
                || frames < 55 || qAbs(duration - recorded) > 0.3)
                bad << seen;
        }
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QLatin1Char('\n'))));
    }

    void escapeDuringATakeLeavesItRunningAndTheKeysToTheApp()
    {
        // the program being recorded, with the keyboard
        QLineEdit app;
        app.setWindowTitle(QStringLiteral("recorded program"));
        app.setGeometry(1300, 700, 300, 40);
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&app));
        app.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(app.hasFocus() && app.isActiveWindow(), 10000);

        ScreenRecorder recorder;
        recorder.setUseDetectWindow(false);
        MessageLog log(&recorder);
        recorder.record();
        QVERIFY(testutil::dragSelection(&recorder, QPoint(100, 100), QPoint(739, 579)));
        QTest::keyClick(&recorder, Qt::Key_Return);
        QCOMPARE(recorder.currentStatus(), int(Selector::LOCKED));
        QVERIFY(testutil::waitUntilGrabbing(recorder.job()->run()));

        // keys typed now belong to the program being recorded
        QTRY_VERIFY_WITH_TIMEOUT(app.isActiveWindow(), 10000);
        QVERIFY(testutil::pressKeys(QStringLiteral("a")));
        QVERIFY(testutil::pressKeys(QStringLiteral("b")));
        QVERIFY(testutil::pressKeys(QStringLiteral("Escape")));
        QVERIFY(testutil::pressKeys(QStringLiteral("c")));
        QTRY_COMPARE_WITH_TIMEOUT(app.text(), QStringLiteral("abc"), 10000);
        // the bar neither took the focus nor shows in the taskbar, and sits outside the region
        RecordMenu* bar = recorder.controlBar();
        QVERIFY(bar->isVisible());
        QVERIFY(!bar->isActiveWindow());
        QVERIFY(app.isActiveWindow());
        QVERIFY(bar->windowFlags() & Qt::WindowDoesNotAcceptFocus);
        const auto state = testutil::run(QStringLiteral("xprop"), {QStringLiteral("-id"),
                                                                   QString::number(bar->winId()),
                                                                   QStringLiteral("_NET_WM_STATE")});
        QVERIFY2(state.out.contains("_NET_WM_STATE_SKIP_TASKBAR"), state.out.constData());
        QVERIFY(!testutil::x11FrameRect(bar).intersects(QRect(100, 100, 640, 480)));

        // Escape did not end the take: the hotkey stops it and the file plays
        QVERIFY(recorder.job()->recording());
        QVERIFY(bar->counting());
        QTest::keyClick(&recorder, Qt::Key_Escape); // even one sent to the hidden overlay
        QVERIFY(recorder.job()->recording());
        QTest::qWait(1000);
        recorder.record(); // the hotkey's slot
        QVERIFY(!bar->isVisible());
        QCOMPARE(recorder.currentStatus(), int(Selector::IDLE));
        QTRY_COMPARE_WITH_TIMEOUT(log.count(), 1, 30000);
        QCOMPARE(log.list[0].text, QStringLiteral("Path: ") + recorder.outputPath());
        const QJsonObject v = mediaStream(probeMedia(recorder.outputPath()), QStringLiteral("video"));
        QCOMPARE(v.value(QStringLiteral("width")).toInt(), 640);
        QVERIFY(frameCount(v) > 10);

        // the same for a GIF, ended by the bar's stop button
        GifCapturer gif;
        gif.setUseDetectWindow(false);
        MessageLog gifLog(&gif);
        gif.record();
        QVERIFY(testutil::dragSelection(&gif, QPoint(100, 100), QPoint(419, 339)));
        QTest::keyClick(&gif, Qt::Key_Return);
        QVERIFY(testutil::waitUntilGrabbing(gif.job()->run()));
        QVERIFY(testutil::pressKeys(QStringLiteral("Escape")));
        QTest::qWait(1000);
        QVERIFY(gif.job()->capturing());
        QTest::mouseClick(gif.controlBar()->stopButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(gifLog.count(), 1, 60000);
        QCOMPARE(gifLog.list[0].text, QStringLiteral("Path: ") + gif.gifPath());
    }

    void microphoneRecordsTheSoundOfTheChosenSource()
    {
        testutil::PulseServer pulse;
        if (!pulse.start())
            QSKIP("pulseaudio could not be started here");
        QVERIFY(pulse.addNullSink(QStringLiteral("virt")));
        QProcess tone;
        tone.start(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-re"), QStringLiteral("-f"),
                    QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=30"),
                    QStringLiteral("-f"), QStringLiteral("pulse"), QStringLiteral("-device"), QStringLiteral("virt"),
                    QStringLiteral("tone")});
        QVERIFY(tone.waitForStarted());
        // a fresh null sink's monitor can hand its very first reader silence
        testutil::run(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                                 QStringLiteral("pulse"), QStringLiteral("-i"),
                                                 QStringLiteral("virt.monitor"), QStringLiteral("-t"),
                                                 QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("null"),
                                                 QStringLiteral("-")});

        Config& config = Config::instance();
        config.set(Config::RecordAudioSource, QString());
        ScreenRecorder recorder;
        MessageLog log(&recorder);
        // switched on from the bar, which saves it
        recorder.controlBar()->microphoneButton()->click();
        QVERIFY(config.boolean(Config::RecordMicrophone));
        QVERIFY(!recorder.muted());
        QVERIFY(recorder.startTake(QRect(0, 0, 320, 240)));
        QVERIFY(recorder.job()->withSound());
        QVERIFY(testutil::waitUntilGrabbing(recorder.job()->run()));
        QTest::qWait(3000);
        recorder.record();
        QTRY_COMPARE_WITH_TIMEOUT(log.count(), 1, 30000);
        QCOMPARE(log.list[0].icon, QSystemTrayIcon::Information);

        const QJsonObject info = probeMedia(recorder.outputPath());
        const QJsonObject audio = mediaStream(info, QStringLiteral("audio"));
        const QJsonObject video = mediaStream(info, QStringLiteral("video"));
        QCOMPARE(audio.value(QStringLiteral("codec_name")).toString(), QStringLiteral("aac"));
        const double audioStart = audio.value(QStringLiteral("start_time")).toString().toDouble();
        const double videoStart = video.value(QStringLiteral("start_time")).toString().toDouble();
        QVERIFY2(qAbs(audioStart - videoStart) < 0.3, qPrintable(QStringLiteral("%1 %2").arg(audioStart).arg(videoStart)));
        // (its length is what the sound server delivered: on a loaded machine a null sink runs slow)
        QVERIFY(audio.value(QStringLiteral("duration")).toString().toDouble() > 0.3);
        const auto vol = testutil::run(QStringLiteral("ffmpeg"),
                                       {QStringLiteral("-i"), recorder.outputPath(), QStringLiteral("-vn"),
                                        QStringLiteral("-af"), QStringLiteral("volumedetect"), QStringLiteral("-f"),
                                        QStringLiteral("null"), QStringLiteral("-")});
        const QString err = QString::fromUtf8(vol.err);
        const int at = err.indexOf(QStringLiteral("max_volume: "));
        QVERIFY2(at >= 0, qPrintable(err.right(400)));
        const double loudest = err.mid(at + 12).section(QLatin1Char(' '), 0, 0).toDouble();
        QVERIFY2(loudest > -30.0, qPrintable(QString::number(loudest))); // silence is about -91 dB

        // a source that has gone: said once, and the takes go on without sound
        config.set(Config::RecordAudioSource, QStringLiteral("gone.monitor"));
        for (int take = 0; take < 2; ++take) {
            QVERIFY(recorder.startTake(QRect(0, 0, 320, 240)));
            QVERIFY(!recorder.job()->withSound());
            QVERIFY(testutil::waitUntilGrabbing(recorder.job()->run()));
            recorder.record();
            QTRY_VERIFY_WITH_TIMEOUT(log.paths() == take + 2, 30000);
            QVERIFY(mediaStream(probeMedia(recorder.outputPath()), QStringLiteral("audio")).isEmpty());
        }
        int warnings = 0;
        for (const auto& m : log.list)
            warnings += m.icon == QSystemTrayIcon::Warning && m.text.contains(QStringLiteral("gone.monitor"));
        QCOMPARE(warnings, 1);
        config.set(Config::RecordAudioSource, QString());
        config.set(Config::RecordMicrophone, false);
        tone.terminate();
        tone.waitForFinished(5000);
    }

    void misbehavingFfmpegIsStoppedAndSaidSo()
    {
        // ignores "q" and SIGTERM: killed, reported, gone
        useFakeFfmpeg("hang");
        const QString pidFile = QString::fromUtf8(qgetenv("FAKE_PIDS"));
        QFile::remove(pidFile);
        {
            VideoJob job;
            MessageLog log(&job);
            job.run()->setStopTimes({2000, 1500, 1500});
            QVERIFY(job.begin(QRect(0, 0, 320, 240), 30, QString(), videos_));
            QVERIFY(testutil::waitUntilGrabbing(job.run()));
            job.end();
            QTRY_COMPARE_WITH_TIMEOUT(log.count(), 1, 30000);
            QCOMPARE(log.list[0].icon, QSystemTrayIcon::Critical);
            QVERIFY2(log.list[0].text.contains(QStringLiteral("may be unplayable")), qPrintable(log.list[0].text));
            QVERIFY2(!log.list[0].text.contains(QStringLiteral("frame=")), qPrintable(log.list[0].text));
            QVERIFY(!job.busy());
        }
        const QList<qint64> pids = testutil::pidsIn(pidFile);
        QCOMPARE(pids.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!testutil::processAlive(pids[0]), 5000);

        // writes junk and says all is well: the junk goes, the user hears why
        useFakeFfmpeg("junk");
        {
            VideoJob job;
            MessageLog log(&job);
            QVERIFY(job.begin(QRect(0, 0, 320, 240), 30, QString(), videos_));
            QVERIFY(testutil::waitUntilGrabbing(job.run()));
            job.end();
            QTRY_COMPARE_WITH_TIMEOUT(log.count(), 1, 30000);
            QCOMPARE(log.list[0].icon, QSystemTrayIcon::Critical);
            QVERIFY(!QFile::exists(job.outputPath()));
        }

        // needs longer than 5 s after "q" but finishes: that is a success
        const QString good = QDir(testutil::tempDir()).filePath(QStringLiteral("good.mp4"));
        qputenv("PATH", savedPath_);
        const auto made = testutil::run(QStringLiteral("ffmpeg"),
                                        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                                         QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                         QStringLiteral("testsrc=d=1:s=64x64"), QStringLiteral("-pix_fmt"),
                                         QStringLiteral("yuv420p"), good});
        QCOMPARE(made.exitCode, 0);
        useFakeFfmpeg("slow");
        qputenv("FAKE_SOURCE", good.toUtf8());
        {
            VideoJob job;
            MessageLog log(&job);
            QVERIFY(job.begin(QRect(0, 0, 320, 240), 30, QString(), videos_));
            QVERIFY(testutil::waitUntilGrabbing(job.run()));
            job.end();
            QTRY_COMPARE_WITH_TIMEOUT(log.count(), 1, 40000);
            QCOMPARE(log.list[0].text, QStringLiteral("Path: ") + job.outputPath());
        }

        // a take that fails outright leaves no file behind
        qputenv("PATH", savedPath_);
        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":97");
        const int before = filesBelow(videos_).size();
        {
            VideoJob job;
            MessageLog log(&job);
            QVERIFY(job.begin(QRect(0, 0, 320, 240), 30, QString(), videos_));
            qputenv("DISPLAY", display);
            QTRY_COMPARE_WITH_TIMEOUT(log.count(), 1, 30000);
            QCOMPARE(log.list[0].text, QStringLiteral("Recording failed: ffmpeg cannot open the display."));
        }
        qputenv("DISPLAY", display);
        QCOMPARE(filesBelow(videos_).size(), before);
    }
};

QTEST_MAIN(TestRecordingTakes)
#include "tst_recordingtakes.moc"
