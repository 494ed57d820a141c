// klipora-test: x11
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <csignal>

#include "core/config.h"
#include "core/devices/devices.h"
#include "core/displayinfo.h"
#include "core/resources.h"
#include "core/terminationsignals.h"
#include "klipora.h"
#include "recordingutil.h"
#include "testutil.h"
#include "video/ffmpegrun.h"
#include "video/gifcapturer.h"
#include "video/gifjob.h"
#include "video/recordjob.h"
#include "video/recordmenu.h"
#include "video/screenrecorder.h"
#include "video/videojob.h"

namespace {

const QColor KNOWN(30, 160, 60);

bool select(Selector* overlay, QPoint from, QPoint to)
{
    return testutil::dragSelection(overlay, from, to);
}

} // namespace

using testutil::colorNear;
using testutil::frameAt;
using testutil::mediaStream;
using testutil::MessageLog;
using testutil::probeMedia;
using testutil::TrayMessage;

// The recorders as the user drives them: selector, Return, the control bar,
// the tray, and quitting while a recording runs.
class TestRecorders : public QObject
{
    Q_OBJECT

    QWidget* patch_ = nullptr;
    QByteArray savedPath_;

    static void setFolders()
    {
        Config& config = Config::instance();
        config.set(Config::RecordPath, QDir(testutil::tempDir()).filePath(QStringLiteral("rec/videos")));
        config.set(Config::GifPath, QDir(testutil::tempDir()).filePath(QStringLiteral("rec/gifs")));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        initResources();
        DisplayInfo::instance();
        qRegisterMetaType<GifJob::Stage>();
        setFolders();
        patch_ = testutil::makeColourPatch(KNOWN, QRect(300, 200, 200, 150));
        patch_->show();
        QVERIFY(QTest::qWaitForWindowExposed(patch_));
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

    void recordsTheSelectionStoppedByButtonOrToggle()
    {
        ScreenRecorder recorder;
        recorder.setUseDetectWindow(false);
        MessageLog log(&recorder);
        RecordMenu* bar = recorder.controlBar();

        for (int round = 0; round < 2; ++round) {
            recorder.record();
            QCOMPARE(recorder.currentStatus(), int(Selector::STARTED));
            QVERIFY(QTest::qWaitForWindowExposed(&recorder));
            QVERIFY(select(&recorder, QPoint(699, 499), QPoint(200, 100))); // dragged up and left
            QCOMPARE(recorder.currentStatus(), int(Selector::CAPTURED));
            QTest::keyClick(&recorder, Qt::Key_Return);
            QCOMPARE(recorder.currentStatus(), int(Selector::LOCKED));
            QVERIFY(!recorder.isVisible());
            QVERIFY(bar->isVisible());
            QVERIFY(bar->counting());
            // time the recording from ffmpeg's first frames: it can be slow to start on a busy machine
            QVERIFY(testutil::waitUntilGrabbing(recorder.job()->run()));
            QTest::qWait(3000);
            QVERIFY(bar->timeText() >= QStringLiteral("00:00:03"));
            if (round == 0)
                QTest::mouseClick(bar->stopButton(), Qt::LeftButton);
            else
                recorder.record();
            QVERIFY(!bar->isVisible());
            QCOMPARE(recorder.currentStatus(), int(Selector::IDLE));
            QTRY_COMPARE_WITH_TIMEOUT(log.count(), round + 1, 20000);
            const TrayMessage& m = log.list.last();
            QCOMPARE(m.title, QStringLiteral("Klipora<VIDEO>"));
            QCOMPARE(m.icon, QSystemTrayIcon::Information);
            QCOMPARE(m.text, QStringLiteral("Path: ") + recorder.outputPath());
            QVERIFY(recorder.outputPath().startsWith(Config::instance().string(Config::RecordPath)));

            const QJsonObject info = probeMedia(recorder.outputPath());
            const QJsonObject v = mediaStream(info, QStringLiteral("video"));
            QCOMPARE(v.value(QStringLiteral("width")).toInt(), 500);
            QCOMPARE(v.value(QStringLiteral("height")).toInt(), 400);
            const double duration = testutil::mediaDuration(info);
            QVERIFY2(duration > 2.0 && duration < 6.0, qPrintable(QString::number(duration)));
            // the green window at (300, 200) is at (100, 100) in the video,
            // from the first frame on: the overlay was gone before the grab
            for (double at : {0.0, 1.5}) {
                const QImage frame = frameAt(recorder.outputPath(), at);
                QVERIFY2(colorNear(frame.pixelColor(200, 170), KNOWN), qPrintable(frame.pixelColor(200, 170).name()));
                QVERIFY(!colorNear(frame.pixelColor(20, 20), KNOWN));
            }
        }
    }

    void leavingTheSelectorRecordsNothing()
    {
        ScreenRecorder recorder;
        recorder.setUseDetectWindow(false);
        MessageLog log(&recorder);
        recorder.record();
        QVERIFY(select(&recorder, QPoint(10, 10), QPoint(100, 100)));
        QTest::keyClick(&recorder, Qt::Key_Escape);
        QCOMPARE(recorder.currentStatus(), int(Selector::IDLE));
        QVERIFY(!recorder.isVisible());

        // the recording action while only selecting closes the selector
        recorder.record();
        QVERIFY(select(&recorder, QPoint(10, 10), QPoint(100, 100)));
        QTest::keyClick(&recorder, Qt::Key_Enter); // keypad Enter does nothing
        QCOMPARE(recorder.currentStatus(), int(Selector::CAPTURED));
        recorder.record();
        QCOMPARE(recorder.currentStatus(), int(Selector::IDLE));
        QTest::qWait(500);
        QCOMPARE(log.count(), 0);
        QVERIFY(!recorder.job()->busy());
        QVERIFY(!recorder.controlBar()->isVisible());

        GifCapturer gif;
        gif.setUseDetectWindow(false);
        MessageLog gifLog(&gif);
        gif.record();
        QVERIFY(select(&gif, QPoint(10, 10), QPoint(100, 100)));
        gif.record();
        QTest::keyClick(&gif, Qt::Key_Escape);
        QCOMPARE(gif.currentStatus(), int(Selector::IDLE));
        QTest::qWait(500);
        QCOMPARE(gifLog.count(), 0);
        QCOMPARE(gif.job()->stage(), GifJob::Stage::Idle);
    }

    void unmutedRecorderTakesTheFirstSoundSource()
    {
        testutil::PulseServer pulse;
        if (!pulse.start())
            QSKIP("pulseaudio could not be started here");
        QVERIFY(pulse.addNullSink(QStringLiteral("virt")));
        ScreenRecorder recorder;
        recorder.setUseDetectWindow(false);
        MessageLog log(&recorder);
        QVERIFY(recorder.muted());
        recorder.mute(false);
        recorder.record(); // opening the selector refreshes the sources
        QVERIFY(!audioCaptureDevices().empty());
        QCOMPARE(audioCaptureDevices().front().first, QStringLiteral("virt.monitor"));
        QVERIFY(select(&recorder, QPoint(10, 10), QPoint(329, 249)));
        QTest::keyClick(&recorder, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.job()->run()->busy(), 5000);
        const QStringList args = recorder.job()->run()->arguments();
        const int pulseAt = args.indexOf(QStringLiteral("pulse"));
        QVERIFY(pulseAt > 0);
        QCOMPARE(args.at(pulseAt + 2), QStringLiteral("virt.monitor"));
        QVERIFY(pulseAt < args.indexOf(QStringLiteral("x11grab")));
        QTest::qWait(1500);
        recorder.record();
        QTRY_COMPARE_WITH_TIMEOUT(log.paths(), 1, 20000);
    }

    void failuresStopTheBarAndAnnounceNothing()
    {
        ScreenRecorder recorder;
        recorder.setUseDetectWindow(false);
        MessageLog log(&recorder);

        // no ffmpeg to be found
        qputenv("PATH", QDir(testutil::tempDir()).filePath(QStringLiteral("nothing-here")).toUtf8());
        recorder.record();
        QVERIFY(select(&recorder, QPoint(1, 1), QPoint(99, 99)));
        QTest::keyClick(&recorder, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(), 1, 10000);
        QCOMPARE(log.list[0].icon, QSystemTrayIcon::Critical);
        QVERIFY2(log.list[0].text.contains(QStringLiteral("ffmpeg")), qPrintable(log.list[0].text));
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.controlBar()->isVisible(), 5000);
        QVERIFY(!recorder.controlBar()->counting());
        QCOMPARE(recorder.currentStatus(), int(Selector::IDLE));
        qputenv("PATH", savedPath_);

        // an output folder that cannot be made
        const QString file = QDir(testutil::tempDir()).filePath(QStringLiteral("a-file"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString saved = Config::instance().string(Config::RecordPath);
        Config::instance().set(Config::RecordPath, file + QStringLiteral("/videos"));
        recorder.record();
        QVERIFY(select(&recorder, QPoint(1, 1), QPoint(99, 99)));
        QTest::keyClick(&recorder, Qt::Key_Return);
        Config::instance().set(Config::RecordPath, saved);
        QCOMPARE(log.count(), 2);
        QCOMPARE(log.list[1].icon, QSystemTrayIcon::Critical);
        QVERIFY(!recorder.controlBar()->isVisible());
        QCOMPARE(recorder.currentStatus(), int(Selector::IDLE));

        // a second recording while the first is still finishing its file:
        // an ffmpeg that takes its time after "q", so the overlap is certain
        const QString good = QDir(testutil::tempDir()).filePath(QStringLiteral("finished.mp4"));
        QCOMPARE(testutil::run(QStringLiteral("ffmpeg"),
                               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                                QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc=d=1:s=64x64"),
                                QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), good})
                     .exitCode,
                 0);
        const QString bin = testutil::writeFakeFfmpeg(QDir(testutil::tempDir()).filePath(QStringLiteral("slowbin")));
        QVERIFY(!bin.isEmpty());
        qputenv("PATH", bin.toUtf8() + ':' + savedPath_);
        qputenv("FAKE_MODE", "slow");
        qputenv("FAKE_SOURCE", good.toUtf8());
        qputenv("FAKE_PIDS", QDir(testutil::tempDir()).filePath(QStringLiteral("slow.pids")).toUtf8());
        recorder.record();
        QVERIFY(select(&recorder, QPoint(1, 1), QPoint(99, 99)));
        QTest::keyClick(&recorder, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.job()->run()->busy(), 5000);
        QTest::qWait(1000);
        const QString first = recorder.outputPath();
        recorder.record(); // stop: ffmpeg gets "q" and needs a moment
        recorder.record(); // and straight away a new one
        QVERIFY(select(&recorder, QPoint(1, 1), QPoint(99, 99)));
        QTest::keyClick(&recorder, Qt::Key_Return);
        QCOMPARE(log.count(), 3);
        QCOMPARE(log.list[2].icon, QSystemTrayIcon::Critical);
        QVERIFY(!recorder.controlBar()->isVisible());
        QCOMPARE(recorder.currentStatus(), int(Selector::IDLE));
        // the first one is still finished and announced
        QTRY_COMPARE_WITH_TIMEOUT(log.count(), 4, 20000);
        QCOMPARE(log.list[3].text, QStringLiteral("Path: ") + first);
        QCOMPARE(log.paths(), 1);
        qunsetenv("FAKE_MODE");
    }

    void gifFromTheSelectionWhileTheUiKeepsTurning()
    {
        GifCapturer gif;
        gif.setUseDetectWindow(false);
        gif.setFramerate(15);
        QCOMPARE(gif.fps(), 6);
        MessageLog log(&gif);
        gif.record();
        QVERIFY(QTest::qWaitForWindowExposed(&gif));
        QVERIFY(select(&gif, QPoint(250, 150), QPoint(650, 450))); // 401 x 301
        QTest::keyClick(&gif, Qt::Key_Return);
        QCOMPARE(gif.currentStatus(), int(Selector::LOCKED));
        QVERIFY(gif.controlBar()->counting());
        QVERIFY(testutil::waitUntilGrabbing(gif.job()->run()));
        QTest::qWait(3000);
        QVERIFY(gif.controlBar()->timeText() >= QStringLiteral("00:00:03"));

        testutil::TickWatch watch;
        watch.start();
        QTest::mouseClick(gif.controlBar()->stopButton(), Qt::LeftButton);
        QCOMPARE(gif.currentStatus(), int(Selector::IDLE));
        QVERIFY(!gif.controlBar()->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(log.count(), 1, 60000);
        watch.stop();
        QVERIFY2(watch.ticks() > 20, qPrintable(QString::number(watch.ticks())));
        qInfo() << "longest gap between ticks:" << watch.longestGap() << "ms";

        QCOMPARE(log.list[0].title, QStringLiteral("Klipora<GIF>"));
        QCOMPARE(log.list[0].icon, QSystemTrayIcon::Information);
        QCOMPARE(log.list[0].text, QStringLiteral("Path: ") + gif.gifPath());
        QVERIFY(gif.gifPath().startsWith(Config::instance().string(Config::GifPath)));
        const QJsonObject v = mediaStream(probeMedia(gif.gifPath()), QStringLiteral("video"));
        QCOMPARE(v.value(QStringLiteral("codec_name")).toString(), QStringLiteral("gif"));
        QCOMPARE(v.value(QStringLiteral("width")).toInt(), 401);
        QCOMPARE(v.value(QStringLiteral("height")).toInt(), 301);
        QCOMPARE(v.value(QStringLiteral("r_frame_rate")).toString(), QStringLiteral("6/1"));
        const QImage frame = frameAt(gif.gifPath(), 1.0);
        QVERIFY2(colorNear(frame.pixelColor(150, 120), KNOWN, 40), qPrintable(frame.pixelColor(150, 120).name()));
    }

    void trayEntriesReachTheRecorders()
    {
        Klipora app;
        QAction* video = nullptr;
        QAction* gif = nullptr;
        for (QAction* a : app.trayMenu()->actions()) {
            if (a->text() == QLatin1String("Screen Record"))
                video = a;
            else if (a->text() == QLatin1String("GIF Record"))
                gif = a;
        }
        QVERIFY(video && gif);
        video->trigger();
        QCOMPARE(app.screenRecorder()->currentStatus(), int(Selector::STARTED));
        video->trigger();
        QCOMPARE(app.screenRecorder()->currentStatus(), int(Selector::IDLE));
        gif->trigger();
        QCOMPARE(app.gifCapturer()->currentStatus(), int(Selector::STARTED));
        gif->trigger();
        QCOMPARE(app.gifCapturer()->currentStatus(), int(Selector::IDLE));

        // frame rates come from the configuration
        Config::instance().set(Config::RecordFramerate, 24);
        QCOMPARE(app.screenRecorder()->framerate(), 24);
        QCOMPARE(app.gifCapturer()->framerate(), Config::instance().integer(Config::GifFramerate));

        // a tool's critical message reaches the application object, which logs it
        QTest::ignoreMessage(QtCriticalMsg, "GIF failed for a test");
        emit app.gifCapturer()->SHOW_MESSAGE(QStringLiteral("Klipora<GIF>"), QStringLiteral("GIF failed for a test"),
                                             QSystemTrayIcon::Critical, 10000);
    }

    void quittingWhileRecordingFinishesTheFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("SIGTERM") << QStringLiteral("sigterm");
        QTest::newRow("tray Quit") << QStringLiteral("quit");
    }

    void quittingWhileRecordingFinishesTheFile()
    {
        QFETCH(QString, how);
        QProcess child;
        // its log goes to a file: an unread pipe would fill up and stall it
        const QString logFile = QDir(testutil::tempDir()).filePath(QStringLiteral("child-%1.log").arg(how));
        child.setStandardErrorFile(logFile);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), how});
        QVERIFY(child.waitForStarted());
        // the child prints its output path once ffmpeg is running
        QTRY_VERIFY_WITH_TIMEOUT(child.canReadLine(), 60000);
        const QString path = QString::fromUtf8(child.readLine().trimmed());
        QVERIFY2(path.endsWith(QStringLiteral(".mp4")), qPrintable(path));
        QTest::qWait(3000);
        if (how == QLatin1String("sigterm"))
            child.terminate(); // SIGTERM to the child's own PID
        QFile log(logFile);
        // generous: on a loaded machine ffmpeg may need the whole "q" grace period
        // the tray Quit may already have ended the child during the wait above
        const bool finished = child.state() == QProcess::NotRunning || child.waitForFinished(60000);
        const QByteArray tail = log.open(QIODevice::ReadOnly) ? log.readAll().right(1500) : QByteArray();
        QVERIFY2(finished, tail.constData());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, tail.constData());
        const QJsonObject info = probeMedia(path);
        const QJsonObject v = mediaStream(info, QStringLiteral("video"));
        QVERIFY2(!v.isEmpty(), "the file is not playable");
        QCOMPARE(v.value(QStringLiteral("width")).toInt(), 320);
        QCOMPARE(v.value(QStringLiteral("height")).toInt(), 240);
        const double duration = testutil::mediaDuration(info);
        QVERIFY2(duration > 0.5, qPrintable(QString::number(duration)));
    }

    void quittingDuringAGifOrWithAHungFfmpeg_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("SIGTERM during a GIF") << QStringLiteral("gif");
        QTest::newRow("SIGTERM with an ffmpeg that ignores it") << QStringLiteral("hung");
    }

    void quittingDuringAGifOrWithAHungFfmpeg()
    {
        QFETCH(QString, how);
        const QDir dir(testutil::tempDir());
        const QString temp = dir.filePath(QStringLiteral("child-tmp-") + how);
        QVERIFY(QDir().mkpath(temp));
        const QString pids = dir.filePath(QStringLiteral("child-fake-") + how + QStringLiteral(".pids"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), temp);
        if (how == QLatin1String("hung")) {
            const QString bin = testutil::writeFakeFfmpeg(dir.filePath(QStringLiteral("child-fakebin")));
            QVERIFY(!bin.isEmpty());
            env.insert(QStringLiteral("PATH"), bin + QLatin1Char(':') + QString::fromUtf8(savedPath_));
            env.insert(QStringLiteral("FAKE_MODE"), QStringLiteral("hang"));
            env.insert(QStringLiteral("FAKE_PIDS"), pids);
        }
        QProcess child;
        child.setProcessEnvironment(env);
        const QString logFile = dir.filePath(QStringLiteral("child-%1.log").arg(how));
        child.setStandardErrorFile(logFile);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), how});
        QVERIFY(child.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(child.canReadLine(), 60000);
        const QString path = QString::fromUtf8(child.readLine().trimmed());
        QTest::qWait(2000);
        QElapsedTimer clock;
        clock.start();
        child.terminate();
        const bool finished = child.waitForFinished(60000);
        const qint64 took = clock.elapsed();
        QFile log(logFile);
        const QByteArray tail = log.open(QIODevice::ReadOnly) ? log.readAll().right(1500) : QByteArray();
        QVERIFY2(finished, tail.constData());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, tail.constData());
        qInfo() << "SIGTERM to exit:" << took << "ms";

        if (how == QLatin1String("gif")) {
            // the take was finished into a GIF before the program went
            const QJsonObject v = mediaStream(probeMedia(path), QStringLiteral("video"));
            QCOMPARE(v.value(QStringLiteral("codec_name")).toString(), QStringLiteral("gif"));
            QCOMPARE(v.value(QStringLiteral("width")).toInt(), 320);
            QVERIFY2(QDir(temp).isEmpty(), qPrintable(QDir(temp).entryList().join(QLatin1Char(' '))));
        } else {
            // quitting waits for no child longer than its bound (9 s), then kills it
            QVERIFY2(took < 12000, qPrintable(QString::number(took)));
            QVERIFY(tail.contains("killing it"));
            const QList<qint64> fakes = testutil::pidsIn(pids);
            QCOMPARE(fakes.size(), 1);
            QVERIFY(!testutil::processAlive(fakes[0]));
        }
    }
};

// The program as started for real: application object, a recording in
// progress, then quitting by signal or by the tray's Quit.
static int runChild(int argc, char** argv, const QString& how)
{
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    initResources();
    app.setStyleSheet(readResourceText(QStringLiteral(":/qss/menu/menu.qss")));
    DisplayInfo::instance();
    quitOnTerminationSignals();
    Klipora klipora;
    if (how == QLatin1String("gif") || how == QLatin1String("hung")) {
        RecordSelector* tool = how == QLatin1String("gif") ? static_cast<RecordSelector*>(klipora.gifCapturer())
                                                           : klipora.screenRecorder();
        RecordJob* job = how == QLatin1String("gif") ? static_cast<RecordJob*>(klipora.gifCapturer()->job())
                                                     : klipora.screenRecorder()->job();
        QObject::connect(job->run(), &FfmpegRun::started, [&, how] {
            const QString path = how == QLatin1String("gif") ? klipora.gifCapturer()->gifPath()
                                                             : klipora.screenRecorder()->outputPath();
            printf("%s\n", qPrintable(path));
            fflush(stdout);
        });
        QTimer::singleShot(0, [tool] { tool->startTake(QRect(10, 10, 320, 240)); });
        return app.exec();
    }
    ScreenRecorder* recorder = klipora.screenRecorder();
    recorder->setUseDetectWindow(false);
    QObject::connect(recorder->job()->run(), &FfmpegRun::started, [&] {
        printf("%s\n", qPrintable(recorder->outputPath()));
        fflush(stdout);
        if (how == QLatin1String("quit")) {
            QTimer::singleShot(3000, [&] {
                // the last entry, whatever language the menu was built in
                klipora.trayMenu()->actions().last()->trigger();
            });
        }
    });
    QTimer::singleShot(0, [&] {
        recorder->record();
        if (!select(recorder, QPoint(10, 10), QPoint(329, 249)))
            qWarning("the selector did not follow the drag");
        QTest::keyClick(recorder, Qt::Key_Return);
    });
    return app.exec();
}

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv, QString::fromLatin1(argv[2]));
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    TestRecorders test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recorders.moc"
