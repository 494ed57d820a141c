#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include "core/config.h"
#include "core/resources.h"
#include "video/ffmpegargs.h"
#include "video/gifcapturer.h"
#include "video/recordmenu.h"
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
        const QStringList expected = QStringList{QStringLiteral("-f"), QStringLiteral("gdigrab"),
                                                 QStringLiteral("-framerate"), QStringLiteral("25"),
                                                 QStringLiteral("-offset_x"), QStringLiteral("10"),
                                                 QStringLiteral("-offset_y"), QStringLiteral("20"),
                                                 QStringLiteral("-video_size"), QStringLiteral("800x600"),
                                                 QStringLiteral("-i"), QStringLiteral("desktop")}
            + winTail(out);
        QCOMPARE(recordArgs(Platform::Windows, grab, QString(), out), expected);

        // with a device the audio input comes first
        const QStringList withAudio = recordArgs(Platform::Windows, grab, QStringLiteral("Microphone (USB)"), out);
        QCOMPARE(withAudio.mid(0, 4), (QStringList{QStringLiteral("-f"), QStringLiteral("dshow"), QStringLiteral("-i"),
                                                   QStringLiteral("audio=Microphone (USB)")}));
        QCOMPARE(withAudio.mid(4), expected);

        // negative numbers keep their sign
        const Grab left{QRect(-1920, -5, 640, 480), 30, QString()};
        const QStringList neg = recordArgs(Platform::Windows, left, QString(), out);
        QCOMPARE(neg.at(5), QStringLiteral("-1920"));
        QCOMPARE(neg.at(7), QStringLiteral("-5"));
    }

    void x11RecordingListArgumentByArgument()
    {
        const Grab grab{regionFromCorners(809, 619, 10, 20), 30, QStringLiteral(":7")};
        const QString out = QStringLiteral("/home/u/Videos/Klipora_video_20240102_030405_006.mp4");
        const QStringList screen{QStringLiteral("-f"), QStringLiteral("x11grab"), QStringLiteral("-framerate"),
                                 QStringLiteral("30"), QStringLiteral("-video_size"), QStringLiteral("800x600"),
                                 QStringLiteral("-i"), QStringLiteral(":7+10,20")};
        QCOMPARE(recordArgs(Platform::X11, grab, QString(), out), screen + winTail(out));

        const QStringList withAudio = recordArgs(Platform::X11, grab, QStringLiteral("virt.monitor"), out);
        const QStringList audio{QStringLiteral("-thread_queue_size"), QStringLiteral("1024"), QStringLiteral("-f"),
                                QStringLiteral("pulse"), QStringLiteral("-i"), QStringLiteral("virt.monitor"),
                                QStringLiteral("-thread_queue_size"), QStringLiteral("1024")};
        QCOMPARE(withAudio, audio + screen + winTail(out));

        // a display given with its screen number is used as it is
        const Grab screen1{QRect(0, 0, 2, 2), 5, QStringLiteral(":1.0")};
        QCOMPARE(recordArgs(Platform::X11, screen1, QString(), out).at(7), QStringLiteral(":1.0+0,0"));
    }

    void gifPassesArgumentByArgument()
    {
        const Grab grab{regionFromCorners(100, 50, 419, 289), 6, QStringLiteral(":0")};
        QCOMPARE(gifCaptureArgs(Platform::Windows, grab, QStringLiteral("v.mp4")),
                 (QStringList{QStringLiteral("-f"), QStringLiteral("gdigrab"), QStringLiteral("-framerate"),
                              QStringLiteral("6"), QStringLiteral("-offset_x"), QStringLiteral("100"),
                              QStringLiteral("-offset_y"), QStringLiteral("50"), QStringLiteral("-video_size"),
                              QStringLiteral("320x240"), QStringLiteral("-i"), QStringLiteral("desktop"),
                              QStringLiteral("v.mp4")}));
        QCOMPARE(gifCaptureArgs(Platform::X11, grab, QStringLiteral("v.mp4")),
                 (QStringList{QStringLiteral("-f"), QStringLiteral("x11grab"), QStringLiteral("-framerate"),
                              QStringLiteral("6"), QStringLiteral("-video_size"), QStringLiteral("320x240"),
                              QStringLiteral("-i"), QStringLiteral(":0+100,50"), QStringLiteral("v.mp4")}));

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
