// klipora-test: x11
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <sys/socket.h>
#include <sys/types.h>

#include "commandrunner.h"
#include "core/actionregistry.h"
#include "core/instanceserver.h"
#include "klipora.h"
#include "video/screenrecorder.h"
#include "video/videojob.h"
#include "video/gifcapturer.h"
#include "recordingutil.h"
#include "testutil.h"

namespace {

const QString PROGRAM = QStringLiteral(KLIPORA_BIN_DIR "/klipora");

testutil::ProcessResult klipora(const QStringList& args, int timeoutMs = 60000)
{
    return testutil::run(PROGRAM, args, timeoutMs);
}

QString describe(const testutil::ProcessResult& r)
{
    return QStringLiteral("exit %1, stderr: %2").arg(r.exitCode).arg(QString::fromLocal8Bit(r.err));
}

// The screen, or a part of it, as another program sees it.
QImage screen(const QRect& part = QRect())
{
    QStringList args{QStringLiteral("-window"), QStringLiteral("root")};
    if (part.isValid())
        args << QStringLiteral("-crop")
             << QStringLiteral("%1x%2+%3+%4").arg(part.width()).arg(part.height()).arg(part.x()).arg(part.y());
    args << QStringLiteral("png:-");
    const testutil::ProcessResult r = testutil::run(QStringLiteral("/usr/bin/import"), args);
    return QImage::fromData(r.out, "PNG").convertToFormat(QImage::Format_RGB32);
}

// Polls a slow condition against the clock (QTRY counts its own sleeps only).
bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(100);
    }
    return true;
}

QImage rgb(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

QColor pattern(int x, int y)
{
    return QColor((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256);
}

// The process behind the instance's socket, read from the socket itself.
pid_t instancePid()
{
    QLocalSocket socket;
    socket.connectToServer(InstanceServer::socketPath());
    if (!socket.waitForConnected(2000))
        return 0;
    struct ucred cred = {};
    socklen_t len = sizeof(cred);
    if (getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return 0;
    return cred.pid;
}

bool alive(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> fields = stat.readAll().split(' ');
    return fields.size() > 2 && fields[2] != "Z";
}

// The running Klipora of these tests, started the way a user starts it.
class Instance
{
public:
    bool start()
    {
        process.setProgram(PROGRAM);
        process.start();
        if (!process.waitForStarted(10000))
            return false;
        QElapsedTimer timer;
        timer.start();
        while (!log().contains("ready.") && timer.elapsed() < 30000)
            QTest::qWait(50);
        return log().contains("listening on") && log().contains("ready.");
    }
    const QByteArray& log()
    {
        text += process.readAllStandardError();
        return text;
    }
    bool waitForExit(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (process.state() != QProcess::NotRunning && timer.elapsed() < ms)
            QTest::qWait(50);
        return process.state() == QProcess::NotRunning;
    }
    int exitCode() const { return process.exitCode(); }
    qint64 pid() const { return process.processId(); }
    ~Instance()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(10000);
        }
    }

private:
    QProcess process;
    QByteArray text;
};

} // namespace

// The command line as scripts and desktop shortcuts use it, against the real
// program in a private X session.
class TestCommandRunner : public QObject
{
    Q_OBJECT

private:
    QString dir;
    std::unique_ptr<testutil::PatternWindow> backdrop;

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        // messages in English: the configuration the program will read
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/klipora");
        QVERIFY(QDir().mkpath(config));
        QFile file(config + QStringLiteral("/config.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"language\": \"en_US\"}");
        file.close();
        dir = testutil::tempDir() + QStringLiteral("/cli");
        QVERIFY(QDir().mkpath(dir));
        backdrop.reset(new testutil::PatternWindow(pattern));
        backdrop->show();
        // below the windows the program maps, pinned ones included
        backdrop->lower();
        QVERIFY(waitFor([] { return testutil::screenPixel(QPoint(401, 203)) == pattern(401, 203); }, 20000));
    }

    void usageVersionAndBadArguments()
    {
        testutil::ProcessResult r = klipora({QStringLiteral("--version")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("klipora " KLIPORA_VERSION "\n"));
        r = klipora({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("klipora record [--gif] [--region X,Y,W,H]"));
        r = klipora({QStringLiteral("shot"), QStringLiteral("--region"), QStringLiteral("1,2,3")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith("klipora: --region wants X,Y,W,H"), r.err.constData());
        QVERIFY(r.err.contains("Usage:"));
        // rejected before anything runs: no instance was started for it
        QCOMPARE(instancePid(), pid_t(0));
    }

    void shotRunsWithoutAnInstance()
    {
        const QString file = dir + QStringLiteral("/alone.png");
        const testutil::ProcessResult r = klipora({QStringLiteral("shot"), QStringLiteral("--path"), file});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        QVERIFY(r.err.isEmpty());
        const QImage shot(file);
        QCOMPARE(shot.size(), QSize(1920, 1080));
        QCOMPARE(rgb(shot).pixel(401, 203), pattern(401, 203).rgb());
        QCOMPARE(instancePid(), pid_t(0));

        // a relative name is the caller's folder, not the program's
        QProcess inFolder;
        inFolder.setWorkingDirectory(dir);
        inFolder.start(PROGRAM, {QStringLiteral("shot"), QStringLiteral("--region"), QStringLiteral("0,0,8,8"),
                                 QStringLiteral("--path"), QStringLiteral("rel.bmp")});
        QVERIFY(inFolder.waitForFinished(60000));
        QCOMPARE(inFolder.exitCode(), 0);
        QCOMPARE(QImage(dir + QStringLiteral("/rel.bmp")).size(), QSize(8, 8));
    }

    void commandsReachTheRunningInstance()
    {
        Instance instance;
        QVERIFY(instance.start());
        QCOMPARE(qint64(instancePid()), instance.pid());

        // the whole desktop, as the screen shows it
        const QString whole = dir + QStringLiteral("/whole.png");
        testutil::ProcessResult r = klipora({QStringLiteral("shot"), QStringLiteral("--path"), whole});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        const QImage seen = screen();
        QCOMPARE(seen.size(), QSize(1920, 1080));
        QVERIFY(rgb(QImage(whole)) == seen);

        // a region, cropped exactly, in the format its name asks for
        const QRect region(333, 111, 257, 123);
        const QString part = dir + QStringLiteral("/part.bmp");
        r = klipora({QStringLiteral("shot"), QStringLiteral("--region"), QStringLiteral("333,111,257,123"),
                     QStringLiteral("--path"), part});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        QFile bmp(part);
        QVERIFY(bmp.open(QIODevice::ReadOnly));
        QCOMPARE(bmp.read(2), QByteArray("BM"));
        bmp.close();
        const QImage cropped = rgb(QImage(part));
        QCOMPARE(cropped.size(), region.size());
        QVERIFY(cropped == seen.copy(region));
        QCOMPARE(cropped.pixel(0, 0), pattern(333, 111).rgb());
        QCOMPARE(cropped.pixel(256, 122), pattern(333 + 256, 111 + 122).rgb());

        // failures: one line, status 1, and what was there is kept
        r = klipora({QStringLiteral("shot"), QStringLiteral("--region"), QStringLiteral("1800,0,200,10"),
                     QStringLiteral("--path"), part});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("does not lie within the desktop of 1920x1080"), r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(rgb(QImage(part)) == cropped);
        const QString locked = dir + QStringLiteral("/locked");
        QVERIFY(QDir().mkpath(locked));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        const bool root = ::geteuid() == 0; // root writes anywhere
        r = klipora({QStringLiteral("shot"), QStringLiteral("--path"), QStringLiteral("/proc/klipora.png")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("klipora: cannot write /proc/klipora.png"), r.err.constData());
        if (!root) {
            r = klipora({QStringLiteral("shot"), QStringLiteral("--path"), locked + QStringLiteral("/x.png")});
            QCOMPARE(r.exitCode, 1);
        }

        // the clipboard, owned by the instance, with the position of the region
        r = klipora({QStringLiteral("shot"), QStringLiteral("--clipboard"), QStringLiteral("--region"),
                     QStringLiteral("100,50,64,48")});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        const testutil::ProcessResult png = testutil::run(
            QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                      QStringLiteral("image/png"), QStringLiteral("-o")});
        QVERIFY(rgb(QImage::fromData(png.out, "PNG")) == seen.copy(QRect(100, 50, 64, 48)));
        const testutil::ProcessResult where = testutil::run(
            QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                      QStringLiteral("application/qpoint"), QStringLiteral("-o")});
        QCOMPARE(where.out, QByteArray("\x64\x00\x00\x00\x32\x00\x00\x00", 8));

        // pin: the file's pixels at the cursor
        QImage picture(120, 90, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(250 - x, 40 + y * 2, (x * y) % 256));
        const QString pinned = dir + QStringLiteral("/pin.png");
        QVERIFY(picture.save(pinned));
        QVERIFY(testutil::movePointer(QPoint(700, 400)));
        r = klipora({QStringLiteral("pin"), pinned});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        QImage onScreen;
        const bool shown = waitFor([&] { return (onScreen = screen(QRect(QPoint(700, 400), picture.size()))) == picture; },
                                   20000);
        if (!shown)
            onScreen.save(dir + QStringLiteral("/pin-seen.png"));
        QVERIFY2(shown, qPrintable(dir + QStringLiteral("/pin-seen.png")));
        r = klipora({QStringLiteral("pin"), pinned, dir + QStringLiteral("/missing.png")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("missing.png"), r.err.constData());

        // snip opens the overlay: the screen is dimmed outside the proposed
        // selection, here the pinned picture under the pointer
        QVERIFY(testutil::movePointer(QPoint(760, 445)));
        const QColor before = testutil::screenPixel(QPoint(1700, 100));
        r = klipora({QStringLiteral("snip")});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        QVERIFY(waitFor([&] { return testutil::screenPixel(QPoint(1700, 100)).lightness() < before.lightness(); }, 20000));
        QVERIFY(testutil::pressKeys(QStringLiteral("Escape")));
        QVERIFY(waitFor([&] { return testutil::screenPixel(QPoint(1700, 100)) == before; }, 20000));

        // a delayed snip counts down beside the cursor, then opens the overlay
        QVERIFY(testutil::movePointer(QPoint(1500, 900)));
        QProcess delayed;
        delayed.start(PROGRAM, {QStringLiteral("snip"), QStringLiteral("--delay"), QStringLiteral("4000")});
        QVERIFY(delayed.waitForStarted(10000));
        const QPoint box = QPoint(1500, 900) + QPoint(20, 20) + QPoint(4, 4); // its corner, clear of the digits
        QVERIFY(waitFor([&] { return testutil::screenPixel(box) == QColor(30, 30, 30); }, 20000));
        QCOMPARE(instance.log().count("action snip"), 1);
        // over the pin again: before the overlay opens or after, it proposes the pin
        QVERIFY(testutil::movePointer(QPoint(760, 445)));
        QVERIFY(delayed.waitForFinished(30000));
        QCOMPARE(delayed.exitCode(), 0);
        QVERIFY(waitFor([&] { return instance.log().count("action snip") == 2; }, 20000));
        QVERIFY(waitFor([&] { return testutil::screenPixel(QPoint(1700, 100)).lightness() < before.lightness(); }, 20000));
        QVERIFY(testutil::pressKeys(QStringLiteral("Escape")));
        QVERIFY(waitFor([&] { return testutil::screenPixel(QPoint(1700, 100)) == before; }, 20000));

        // Escape during the countdown cancels it: the command fails, no overlay opens
        QVERIFY(testutil::movePointer(QPoint(1500, 900)));
        QProcess cancelled;
        cancelled.start(PROGRAM, {QStringLiteral("snip"), QStringLiteral("--delay"), QStringLiteral("600000")});
        QVERIFY(cancelled.waitForStarted(10000));
        QVERIFY(waitFor([&] { return testutil::screenPixel(box) == QColor(30, 30, 30); }, 20000));
        QVERIFY(testutil::pressKeys(QStringLiteral("Escape")));
        // pressing the key runs an event loop, which may already have seen it end
        QVERIFY(cancelled.state() == QProcess::NotRunning || cancelled.waitForFinished(30000));
        QCOMPARE(cancelled.exitCode(), 1);
        QVERIFY2(cancelled.readAllStandardError().contains("cancelled"), "no reason on stderr");
        QVERIFY(waitFor([&] { return testutil::screenPixel(box) != QColor(30, 30, 30); }, 20000));
        QCOMPARE(instance.log().count("action snip"), 2);
        QCOMPARE(testutil::screenPixel(QPoint(1700, 100)), before);

        // a stranger on the socket is dropped; the instance carries on
        {
            QLocalSocket stranger;
            stranger.connectToServer(InstanceServer::socketPath());
            QVERIFY(stranger.waitForConnected(5000));
            stranger.write(QByteArray(100000, 'x'));
            QTRY_COMPARE_WITH_TIMEOUT(stranger.state(), QLocalSocket::UnconnectedState, 20000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(instance.log().contains("dropped a command connection: not a Klipora message"),
                                 10000);

        // a second plain start says so and leaves the first alone
        r = klipora({});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        QCOMPARE(r.err, QByteArray("Klipora is already running.\n"));
        QVERIFY(!instance.log().contains("Failed to register"));
        QCOMPARE(qint64(instancePid()), instance.pid());

        r = klipora({QStringLiteral("quit")});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        QVERIFY(instance.waitForExit(20000));
        QCOMPARE(instance.exitCode(), 0);
        QCOMPARE(instancePid(), pid_t(0));
    }

    void recordOfARegionSkipsTheSelector()
    {
        // In this process, to watch ffmpeg really grab before the stop.
        Klipora app;
        CommandRunner runner(&app);
        const QRect region(400, 300, 320, 240);
        std::unique_ptr<QWidget> patch(testutil::makeColourPatch(QColor(200, 30, 40), region));
        patch->show();
        QVERIFY(waitFor([&] { return testutil::screenPixel(region.center()) == QColor(200, 30, 40); }, 20000));

        int status = -1;
        QString message;
        const auto done = [&](int s, const QString& m) {
            status = s;
            message = m;
        };
        ScreenRecorder* recorder = app.screenRecorder();
        QSignalSpy triggered(app.actions(), &ActionRegistry::triggered);
        runner.runArguments({QStringLiteral("record"), QStringLiteral("--region"), QStringLiteral("400,300,320,240")},
                            done);
        QCOMPARE(status, 0);
        QVERIFY2(message.isEmpty(), qPrintable(message));
        // no selector: recording at once
        QCOMPARE(recorder->currentStatus(), int(Selector::LOCKED));
        QVERIFY(!recorder->isVisible());
        QCOMPARE(triggered.count(), 0);
        QVERIFY(testutil::waitUntilGrabbing(recorder->job()->run()));

        status = -1;
        runner.runArguments({QStringLiteral("record"), QStringLiteral("--region"), QStringLiteral("400,300,320,240")},
                            done);
        QCOMPARE(status, 0);
        QCOMPARE(triggered.count(), 1);
        const QString video = recorder->outputPath();
        QJsonObject stream;
        QVERIFY(waitFor([&] {
            return !(stream = testutil::mediaStream(testutil::probeMedia(video), QStringLiteral("video"))).isEmpty();
        }, 60000));
        QCOMPARE(stream.value(QStringLiteral("width")).toInt(), 320);
        QCOMPARE(stream.value(QStringLiteral("height")).toInt(), 240);
        const QImage frame = testutil::frameAt(video, 0.1);
        QCOMPARE(frame.size(), region.size());
        QVERIFY(testutil::colorNear(frame.pixelColor(160, 120), QColor(200, 30, 40)));
        QVERIFY(testutil::colorNear(frame.pixelColor(2, 2), QColor(200, 30, 40)));
        QVERIFY(testutil::colorNear(frame.pixelColor(317, 237), QColor(200, 30, 40)));

        // a region off the desktop starts nothing
        status = -1;
        runner.runArguments({QStringLiteral("record"), QStringLiteral("--gif"), QStringLiteral("--region"),
                             QStringLiteral("1800,1000,320,240")},
                            done);
        QCOMPARE(status, 1);
        QVERIFY(message.contains(QLatin1String("does not lie within the desktop")));
        QCOMPARE(app.gifCapturer()->currentStatus(), int(Selector::IDLE));
    }

    void aCommandStartsAnInstanceWhenNoneRuns()
    {
        QCOMPARE(instancePid(), pid_t(0));
        // nothing copied yet in the fresh instance: a failure, but from it
        const testutil::ProcessResult r = klipora({QStringLiteral("pin")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("klipora: nothing to pin: nothing was copied since Klipora started\n"));
        const pid_t pid = instancePid();
        QVERIFY(pid > 0);
        QVERIFY(alive(pid));
        QCOMPARE(klipora({QStringLiteral("settings")}).exitCode, 0);
        QCOMPARE(instancePid(), pid);
        QCOMPARE(klipora({QStringLiteral("quit")}).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!alive(pid), 20000);
        if (alive(pid))
            ::kill(pid, SIGTERM);
    }
};

QTEST_MAIN(TestCommandRunner)
#include "tst_commandrunner.moc"
