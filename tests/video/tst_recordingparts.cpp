#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include "core/config.h"
#include "core/resources.h"
#include <QCheckBox>

#include "video/ffmpegargs.h"
#include "video/ffmpegrun.h"
#include "video/mediacheck.h"
#include "video/gifcapturer.h"
#include "video/recordmenu.h"
#include "video/videojob.h"
#include "video/screenrecorder.h"

using namespace ffmpeg;

// The command lines handed to ffmpeg, the names of the files it writes, and
// the control bar shown while it runs.
class TestRecordingParts : public QObject
{
    Q_OBJECT

    static QStringList winTail(const QString& out)
    {
        return {QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-vf"),
                QStringLiteral("scale=trunc(iw/2)*2:trunc(ih/2)*2"), out};
    }

    static QStringList rateTail(int fps)
    {
        return {QStringLiteral("-r"), QString::number(fps), QStringLiteral("-fps_mode"), QStringLiteral("cfr")};
    }

private slots:
    void initTestCase()
    {
        initResources();
    }

    void regionIsTheSameWhicheverWayItWasDragged()
    {
        const QRect forward = regionFromCorners(10, 20, 809, 619);
        QCOMPARE(forward, QRect(10, 20, 800, 600));
        QCOMPARE(regionFromCorners(809, 619, 10, 20), forward);
        QCOMPARE(regionFromCorners(809, 20, 10, 619), forward);
        // a click is the smallest region: one pixel
        QCOMPARE(regionFromCorners(5, 5, 5, 5), QRect(5, 5, 1, 1));

        const Grab a{regionFromCorners(809, 619, 10, 20), 30, QStringLiteral(":0")};
        const Grab b{forward, 30, QStringLiteral(":0")};
        for (Platform p : {Platform::Windows, Platform::X11}) {
            QCOMPARE(recordArgs(p, a, QString(), QStringLiteral("o.mp4")),
                     recordArgs(p, b, QString(), QStringLiteral("o.mp4")));
            QCOMPARE(gifCaptureArgs(p, a, QStringLiteral("v.mp4")), gifCaptureArgs(p, b, QStringLiteral("v.mp4")));
        }
    }

    void windowsRecordingListArgumentByArgument()
    {
        const Grab grab{regionFromCorners(10, 20, 809, 619), 25, QStringLiteral(":0")};
        const QString out = QStringLiteral("C:\\Videos\\Klipora_video_20240102_030405_006.mp4");
        const QStringList screen{QStringLiteral("-fpsprobesize"), QStringLiteral("0"), QStringLiteral("-f"),
                                 QStringLiteral("gdigrab"), QStringLiteral("-framerate"), QStringLiteral("25"),
                                 QStringLiteral("-offset_x"), QStringLiteral("10"), QStringLiteral("-offset_y"),
                                 QStringLiteral("20"), QStringLiteral("-video_size"), QStringLiteral("800x600"),
                                 QStringLiteral("-i"), QStringLiteral("desktop")};
        const QStringList expected = QStringList{QStringLiteral("-n")} + screen + rateTail(25) + winTail(out);
        QCOMPARE(recordArgs(Platform::Windows, grab, QString(), out), expected);

        // with a device the audio input comes first, and its sound is AAC
        const QStringList withAudio = recordArgs(Platform::Windows, grab, QStringLiteral("Microphone (USB)"), out);
        QCOMPARE(withAudio.mid(0, 5), (QStringList{QStringLiteral("-n"), QStringLiteral("-f"), QStringLiteral("dshow"),
                                                   QStringLiteral("-i"), QStringLiteral("audio=Microphone (USB)")}));
        QCOMPARE(withAudio.mid(5, screen.size()), screen);
        QCOMPARE(withAudio.mid(withAudio.size() - 5),
                 (QStringList{QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"),
                              QStringLiteral("128k"), out}));

        // negative numbers keep their sign
        const Grab left{QRect(-1920, -5, 640, 480), 30, QString()};
        const QStringList neg = recordArgs(Platform::Windows, left, QString(), out);
        QCOMPARE(neg.at(neg.indexOf(QStringLiteral("-offset_x")) + 1), QStringLiteral("-1920"));
        QCOMPARE(neg.at(neg.indexOf(QStringLiteral("-offset_y")) + 1), QStringLiteral("-5"));
    }

    void x11RecordingListArgumentByArgument()
    {
        const Grab grab{regionFromCorners(809, 619, 10, 20), 30, QStringLiteral(":7")};
        const QString out = QStringLiteral("/home/u/Videos/Klipora_video_20240102_030405_006.mp4");
        // no rate probing before the input, the rate given again for the output
        const QStringList screen{QStringLiteral("-fpsprobesize"), QStringLiteral("0"), QStringLiteral("-f"),
                                 QStringLiteral("x11grab"), QStringLiteral("-framerate"), QStringLiteral("30"),
                                 QStringLiteral("-video_size"), QStringLiteral("800x600"), QStringLiteral("-i"),
                                 QStringLiteral(":7+10,20")};
        QCOMPARE(recordArgs(Platform::X11, grab, QString(), out),
                 QStringList{QStringLiteral("-n")} + screen + rateTail(30) + winTail(out));

        const QStringList withAudio = recordArgs(Platform::X11, grab, QStringLiteral("virt.monitor"), out);
        const QStringList audio{QStringLiteral("-thread_queue_size"), QStringLiteral("1024"), QStringLiteral("-f"),
                                QStringLiteral("pulse"), QStringLiteral("-i"), QStringLiteral("virt.monitor"),
                                QStringLiteral("-thread_queue_size"), QStringLiteral("1024")};
        QStringList tail = winTail(out);
        tail.insert(tail.size() - 1, QStringLiteral("-c:a"));
        tail.insert(tail.size() - 1, QStringLiteral("aac"));
        tail.insert(tail.size() - 1, QStringLiteral("-b:a"));
        tail.insert(tail.size() - 1, QStringLiteral("128k"));
        QCOMPARE(withAudio, QStringList{QStringLiteral("-n")} + audio + screen + rateTail(30) + tail);

        // a display given with its screen number is used as it is
        const Grab screen1{QRect(0, 0, 2, 2), 5, QStringLiteral(":1.0")};
        const QStringList small = recordArgs(Platform::X11, screen1, QString(), out);
        QCOMPARE(small.at(small.indexOf(QStringLiteral("-i")) + 1), QStringLiteral(":1.0+0,0"));
    }

    void gifPassesArgumentByArgument()
    {
        const Grab grab{regionFromCorners(100, 50, 419, 289), 6, QStringLiteral(":0")};
        QCOMPARE(gifCaptureArgs(Platform::Windows, grab, QStringLiteral("v.mp4")),
                 (QStringList{QStringLiteral("-n"), QStringLiteral("-fpsprobesize"), QStringLiteral("0"),
                              QStringLiteral("-f"), QStringLiteral("gdigrab"), QStringLiteral("-framerate"),
                              QStringLiteral("6"), QStringLiteral("-offset_x"), QStringLiteral("100"),
                              QStringLiteral("-offset_y"), QStringLiteral("50"), QStringLiteral("-video_size"),
                              QStringLiteral("320x240"), QStringLiteral("-i"), QStringLiteral("desktop")}
                  + rateTail(6) + QStringList{QStringLiteral("v.mp4")}));
        QCOMPARE(gifCaptureArgs(Platform::X11, grab, QStringLiteral("v.mp4")),
                 (QStringList{QStringLiteral("-n"), QStringLiteral("-fpsprobesize"), QStringLiteral("0"),
                              QStringLiteral("-f"), QStringLiteral("x11grab"), QStringLiteral("-framerate"),
                              QStringLiteral("6"), QStringLiteral("-video_size"), QStringLiteral("320x240"),
                              QStringLiteral("-i"), QStringLiteral(":0+100,50")}
                  + rateTail(6) + QStringList{QStringLiteral("v.mp4")}));

        QCOMPARE(paletteArgs(QStringLiteral("v.mp4"), 6, QStringLiteral("p.png")),
                 (QStringList{QStringLiteral("-y"), QStringLiteral("-i"), QStringLiteral("v.mp4"), QStringLiteral("-vf"),
                              QStringLiteral("fps=6,palettegen"), QStringLiteral("p.png")}));
        QCOMPARE(paletteUseArgs(QStringLiteral("v.mp4"), QStringLiteral("p.png"), 6, QStringLiteral("g.gif")),
                 (QStringList{QStringLiteral("-i"), QStringLiteral("v.mp4"), QStringLiteral("-i"), QStringLiteral("p.png"),
                              QStringLiteral("-filter_complex"), QStringLiteral("fps=6,paletteuse"),
                              QStringLiteral("g.gif")}));
        QCOMPARE(paletteArgs(QStringLiteral("v"), 12, QStringLiteral("p")).at(4), QStringLiteral("fps=12,palettegen"));
    }

    void outputNamesShareOneStamp()
    {
        const QDateTime when(QDate(2024, 1, 2), QTime(3, 4, 5, 6));
        const QString stamp = timeStamp(when);
        QCOMPARE(stamp, QStringLiteral("20240102_030405_006"));
        QCOMPARE(stamp.size(), 19);
        QCOMPARE(timeStamp(QDateTime(QDate(2031, 12, 31), QTime(23, 59, 59, 999))), QStringLiteral("20311231_235959_999"));

        const QString sep = QDir::separator();
        QCOMPARE(outputFile(QStringLiteral("/v"), QStringLiteral("Klipora_video_"), stamp, QStringLiteral(".mp4")),
                 QStringLiteral("/v") + sep + QStringLiteral("Klipora_video_20240102_030405_006.mp4"));

        const GifFiles files = gifFiles(QStringLiteral("/pics"), QStringLiteral("/tmp"), stamp);
        QCOMPARE(files.gif, QStringLiteral("/pics") + sep + QStringLiteral("Klipora_gif_20240102_030405_006.gif"));
        QCOMPARE(files.video, QStringLiteral("/tmp") + sep + QStringLiteral("Klipora_gif_20240102_030405_006.mp4"));
        QCOMPARE(files.palette,
                 QStringLiteral("/tmp") + sep + QStringLiteral("Klipora_palette_20240102_030405_006.png"));
        for (const QString& f : {files.gif, files.video, files.palette})
            QVERIFY2(f.contains(stamp), qPrintable(f));
    }

    void barCountsTicksAndWrapsLikeAClock()
    {
        RecordMenu bar;
        QCOMPARE(bar.timeText(), QStringLiteral("00:00:00"));
        QVERIFY(bar.isHidden());
        bar.start();
        QVERIFY(bar.isVisible());
        QVERIFY(bar.counting());
        for (int i = 0; i < 65; ++i)
            bar.update();
        QCOMPARE(bar.timeText(), QStringLiteral("00:01:05"));

        // a restart reads 00:00:00 before the first tick
        bar.stop();
        QVERIFY(!bar.isVisible());
        QVERIFY(!bar.counting());
        bar.start();
        QCOMPARE(bar.timeText(), QStringLiteral("00:00:00"));

        for (int i = 0; i < 24 * 3600 - 1; ++i)
            bar.update();
        QCOMPARE(bar.timeText(), QStringLiteral("23:59:59"));
        bar.update();
        QCOMPARE(bar.timeText(), QStringLiteral("00:00:00"));
        bar.stop();
    }

    void barTimerTicksOnItsOwn()
    {
        RecordMenu bar;
        bar.start();
        QTRY_COMPARE_WITH_TIMEOUT(bar.timeText(), QStringLiteral("00:00:01"), 5000);
        bar.stop();
        const QString frozen = bar.timeText();
        QTest::qWait(1300);
        QCOMPARE(bar.timeText(), frozen);
    }

    void stopButtonEmitsOnceAndCloses()
    {
        RecordMenu bar;
        QSignalSpy stop(&bar, &RecordMenu::STOP);
        // the owner answers STOP by stopping the bar again: harmless
        connect(&bar, &RecordMenu::STOP, &bar, &RecordMenu::stop);
        bar.start();
        QTest::mouseClick(bar.stopButton(), Qt::LeftButton);
        QCOMPARE(stop.count(), 1);
        QVERIFY(!bar.isVisible());
        QVERIFY(!bar.counting());
        QCOMPARE(bar.stopButton()->objectName(), QStringLiteral("RecordStopButton"));
    }

    void barSitsOnTheLastScreenAndStaysOnTop()
    {
        RecordMenu bar;
        const QRect last = QGuiApplication::screens().last()->geometry();
        QCOMPARE(bar.geometry(), QRect(last.right() - 185, 175, 175, 45));
        QCOMPARE(bar.windowFlags() & (Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
                 Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        const auto labels = bar.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 2);
        QVERIFY(!labels.at(0)->pixmap(Qt::ReturnByValue).isNull()); // the red dot loaded
    }

    void progressAndCausesFromFfmpegsOutput()
    {
        QCOMPARE(lastReportedFrame("Press [q] to stop, [?] for help\n"), -1);
        QCOMPARE(lastReportedFrame("frame=    0 fps=0.0 q=0.0 size=0kB\rframe=   42 fps= 30 q=28.0\r"), 42);
        QCOMPARE(lastReportedFrame("frame=1 fps=30"), 1);
        QCOMPARE(lastReportedFrame("frame="), -1);

        // the raw words of ffmpeg never reach the user; the cause does
        const auto cause = [](const char* line, int code = 1) {
            return explainFfmpegFailure(code, QString::fromLatin1(line).split(QLatin1Char('\n')));
        };
        QCOMPARE(cause(":1+150,150: Invalid argument"),
                 QStringLiteral("ffmpeg refused the recording settings (frame rate or region)."));
        QCOMPARE(cause("[x11grab @ 0x55] Cannot open display :97, error 1.\n:97+0,0: Input/output error"),
                 QStringLiteral("ffmpeg cannot open the display."));
        QCOMPARE(cause("[x11grab @ 0x5] Capture area 801x601 at position 1800.20 outside the screen size 1920x1080"),
                 QStringLiteral("the region lies outside the screen."));
        QCOMPARE(cause("/v/out.mp4: No such file or directory"),
                 QStringLiteral("a file or folder that ffmpeg needs does not exist."));
        QCOMPARE(cause("[pulse @ 0x5] pa_context_connect() failed: Connection refused"),
                 QStringLiteral("the sound source cannot be opened."));
        QCOMPARE(cause("av_interleaved_write_frame(): No space left on device"), QStringLiteral("the disk is full."));
        QCOMPARE(cause("frame=  120 fps= 30 q=-1.0 Lsize=  300kB time=00:00:04.00", 255),
                 QStringLiteral("ffmpeg stopped with an error (exit code 255); its last lines are in the log."));
    }

    void completeFilesAreToldFromJunk()
    {
        const auto box = [](const char* type, const QByteArray& body) {
            QByteArray b;
            const quint32 size = quint32(8 + body.size());
            for (int shift : {24, 16, 8, 0})
                b.append(char((size >> shift) & 0xff));
            return b + QByteArray(type, 4) + body;
        };
        const QByteArray ftyp = box("ftyp", "isom\0\0\2\0isomiso2");
        const QByteArray mdat = box("mdat", QByteArray(5000, 'x'));
        const QByteArray mvhd = box("mvhd", QByteArray(100, '\0'));
        const QByteArray trak = box("trak", box("tkhd", QByteArray(84, '\0')));
        QVERIFY(media::mp4HasTrack(ftyp + mdat + box("moov", mvhd + trak)));
        QVERIFY(media::mp4HasTrack(ftyp + box("moov", mvhd + trak) + mdat)); // moov first, as fast start writes it
        // stopped before the first frame: a movie without a track
        QVERIFY(!media::mp4HasTrack(ftyp + box("free", "") + box("mdat", "") + box("moov", mvhd)));
        // killed: the header and the frames, never the index
        QVERIFY(!media::mp4HasTrack(ftyp + box("free", "") + mdat));
        // cut short in the middle of the index
        QVERIFY(!media::mp4HasTrack((ftyp + mdat + box("moov", mvhd + trak)).chopped(20)));
        QVERIFY(!media::mp4HasTrack(QByteArray()));
        QVERIFY(!media::mp4HasTrack(QByteArray("not a video at all, just text that goes on")));

        // a 2x1 GIF: header, a two-colour table, one image, the trailer
        QByteArray gif("GIF89a\x02\x00\x01\x00\x80\x00\x00", 13);
        gif += QByteArray("\x00\x00\x00\xff\xff\xff", 6);
        const QByteArray header = gif;
        gif += QByteArray("\x21\xf9\x04\x00\x00\x00\x00\x00", 8); // a graphic control extension
        gif += QByteArray("\x2c\x00\x00\x00\x00\x02\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b", 16);
        QVERIFY(media::gifHasFrames(gif));
        QVERIFY(!media::gifHasFrames(header + QByteArray("\x3b", 1))); // header and trailer, no image
        QVERIFY(!media::gifHasFrames(QByteArray("PNG89a....")));

        // on disk, read from a file the way the recorders look at it
        const QString file = QDir(QDir::tempPath()).filePath(QStringLiteral("klipora-check-%1.mp4").arg(qApp->applicationPid()));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ftyp + mdat + box("moov", mvhd + trak));
        f.close();
        QVERIFY(media::mp4HasTrack(file));
        QFile::resize(file, QFileInfo(file).size() - 30);
        QVERIFY(!media::mp4HasTrack(file));
        QFile::remove(file);
        QVERIFY(!media::mp4HasTrack(file));
    }

    void barStaysOutOfTheRegion()
    {
        const QSize full(220, 45);
        const QSize small(45, 45);
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1280, 1024);
        const QList<QRect> one{left};
        const QList<QRect> two{left, right};
        const auto check = [&](const QRect& region, const QList<QRect>& monitors) {
            const BarPlacement p = placeControlBar(region, monitors, full, small);
            bool onOne = false;
            for (const QRect& m : monitors)
                onOne = onOne || m.contains(p.geometry);
            return onOne && !p.geometry.intersects(region) && !p.compact ? p.geometry : QRect();
        };

        // a region in the middle: right under it, aligned to its right edge
        QRect bar = check(QRect(300, 200, 800, 600), one);
        QCOMPARE(bar.size(), full);
        QVERIFY(bar.top() > 800 && bar.top() < 820);
        QCOMPARE(bar.right(), 1099);
        // no room below: above
        bar = check(QRect(300, 400, 800, 680), one);
        QVERIFY2(bar.bottom() < 400 && bar.bottom() > 380, qPrintable(QString::number(bar.bottom())));
        // the whole height: beside it
        bar = check(QRect(0, 0, 1000, 1080), one);
        QVERIFY2(bar.left() > 1000, qPrintable(QString::number(bar.left())));
        // a region on the second monitor keeps the bar there
        bar = check(QRect(2000, 100, 600, 400), two);
        QVERIFY(right.contains(bar));
        // the first monitor full: the bar goes to the other one
        bar = check(left, two);
        QVERIFY(right.contains(bar));
        // a region that covers a monitor except a thin strip: that is no room
        QVERIFY(check(QRect(0, 60, 1920, 1020), one).isValid());
        QVERIFY(!check(QRect(0, 20, 1920, 1060), one).isValid());

        // every monitor covered: the least that can be, in a corner of the region's monitor
        const BarPlacement everything = placeControlBar(QRect(0, 0, 3200, 1080), two, full, small);
        QVERIFY(everything.compact);
        QCOMPARE(everything.geometry.size(), small);
        QVERIFY(left.contains(everything.geometry));
        QCOMPARE(everything.geometry.bottomRight(), left.bottomRight());
    }

    void barOffersTheMicrophoneForVideoOnly()
    {
        ScreenRecorder recorder;
        GifCapturer gif;
        QCheckBox* mic = recorder.controlBar()->microphoneButton();
        QCOMPARE(mic->objectName(), QStringLiteral("MicrophoneButton"));
        QVERIFY(recorder.muted());
        QVERIFY(!mic->isChecked());
        QSignalSpy saved(&Config::instance(), &Config::changed);
        recorder.controlBar()->placeFor(QRect(100, 100, 400, 300));
        recorder.controlBar()->start();
        QVERIFY(mic->isVisible());
        QCOMPARE(recorder.controlBar()->width(), 220);
        // the switch on the bar is the setting
        mic->click();
        QVERIFY(!recorder.muted());
        QVERIFY(Config::instance().boolean(Config::RecordMicrophone));
        QCOMPARE(saved.count(), 1);
        recorder.mute(true);
        QVERIFY(!mic->isChecked());
        recorder.controlBar()->stop();

        gif.controlBar()->placeFor(QRect(100, 100, 400, 300));
        gif.controlBar()->start();
        QVERIFY(!gif.controlBar()->microphoneButton()->isVisible());
        QCOMPARE(gif.controlBar()->width(), 175);
        // the whole desktop recorded: only the stop button is left, in a corner
        gif.controlBar()->placeFor(QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->geometry().size()));
        QVERIFY(gif.controlBar()->compact());
        QCOMPARE(gif.controlBar()->size(), QSize(45, 45));
        QVERIFY(gif.controlBar()->stopButton()->isVisible());
        gif.controlBar()->stop();
    }

    void unusableTakesAreRefusedWithTheirCause()
    {
        VideoJob job;
        QStringList said;
        connect(&job, &VideoJob::SHOW_MESSAGE, this,
                [&said](QString, QString msg, QSystemTrayIcon::MessageIcon, int) { said << msg; });
        const QString folder = QDir::tempPath();
        QVERIFY(!job.begin(QRect(0, 0, 100, 100), 0, QString(), folder));
        QVERIFY(!job.begin(QRect(0, 0, 1, 100), 30, QString(), folder));
        QCOMPARE(said.size(), 2);
        QCOMPARE(said[0], QStringLiteral("Recording failed: the frame rate 0 is not usable; choose 1 to 240 in the settings."));
        QCOMPARE(said[1], QStringLiteral("Recording failed: the region 1x100 is too small to record."));
        QVERIFY(!job.busy());
    }

    void eachRecorderTakesTheLookOfItsOwnSection()
    {
        Config& config = Config::instance();
        config.set(Config::RecordBorderColor, QStringLiteral("#ff102030"));
        config.set(Config::RecordBorderWidth, 3);
        config.set(Config::RecordBorderStyle, 2);
        config.set(Config::RecordMaskColor, QStringLiteral("#40112233"));
        config.set(Config::GifBorderColor, QStringLiteral("#ffa0b0c0"));
        config.set(Config::GifBorderWidth, 5);
        config.set(Config::GifBorderStyle, 3);
        config.set(Config::GifMaskColor, QStringLiteral("#80445566"));
        ScreenRecorder recorder;
        GifCapturer gif;
        recorder.updateTheme();
        gif.updateTheme();

        QCOMPARE(recorder.borderPen().color(), QColor(0x10, 0x20, 0x30));
        QCOMPARE(recorder.borderPen().width(), 3);
        QCOMPARE(recorder.borderPen().style(), Qt::DashLine);
        QCOMPARE(recorder.currentMaskColor(), QColor(0x11, 0x22, 0x33, 0x40));
        QCOMPARE(gif.borderPen().color(), QColor(0xa0, 0xb0, 0xc0));
        QCOMPARE(gif.borderPen().width(), 5);
        QCOMPARE(gif.borderPen().style(), Qt::DotLine);
        QCOMPARE(gif.currentMaskColor(), QColor(0x44, 0x55, 0x66, 0x80));
        // each has a bar of its own
        QVERIFY(recorder.controlBar() != gif.controlBar());
    }
};

QTEST_MAIN(TestRecordingParts)
#include "tst_recordingparts.moc"
