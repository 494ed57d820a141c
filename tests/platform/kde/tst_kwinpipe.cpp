#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <unistd.h>

#include "platform/kde/kwinscreenshotgrabber.h"

// The screenshot client against a stand-in for KWin on a private bus: one
// that answers well, one that is slow to fill the pipe, one that stops
// writing, one that never replies and one that refuses.
namespace {

class FakeKWin : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.ScreenShot2")
public:
    QString mode;
    QColor colour = QColor(0x33, 0x66, 0x99);

public slots:
    QVariantMap CaptureArea(int, int, uint width, uint height, const QVariantMap& options,
                            const QDBusUnixFileDescriptor& pipe)
    {
        lastOptions_ = options;
        const QVariantMap meta = {{"type", "raw"}, {"width", width}, {"height", height}, {"stride", width * 4},
                                  {"format", uint(QImage::Format_ARGB32_Premultiplied)}, {"scale", 1.0}};
        if (mode == "refuse") {
            sendErrorReply("org.kde.KWin.ScreenShot2.Error.NoAuthorized",
                           "The process is not authorized to take a screenshot");
            return {};
        }
        if (mode == "silent") {
            // the call stays unanswered; the pipe stays open with it
            setDelayedReply(true);
            held_ = pipe;
            return {};
        }
        QByteArray pixels(int(width * height * 4), 0);
        auto* words = reinterpret_cast<quint32*>(pixels.data());
        for (uint i = 0; i < width * height; ++i)
            words[i] = colour.rgba();
        if (mode == "short") {
            // half the pixels, and the pipe kept open
            pixels.truncate(pixels.size() / 2);
            held_ = pipe;
        }
        // written before the reply, as KWin may: more than a pipe holds, so
        // this finishes only while the client reads
        const char* at = pixels.constData();
        qint64 left = pixels.size();
        while (left > 0) {
            const ssize_t n = ::write(pipe.fileDescriptor(), at, size_t(left));
            if (n <= 0)
                break;
            at += n;
            left -= n;
        }
        return meta;
    }

public:
    QVariantMap lastOptions_;

private:
    QDBusUnixFileDescriptor held_;
};

} // namespace

class TestKWinPipe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            QSKIP("no dbus-daemon here");
        bus_.start(daemon, {"--session", "--nofork", "--print-address"});
        QVERIFY(bus_.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(bus_.canReadLine(), 10000);
        const QByteArray address = bus_.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        // before anything here opens the session bus
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);

        // KWin's side answers from its own thread and connection, as KWin
        // would, while the client blocks in its call
        thread_.start();
        fake_ = new FakeKWin;
        fake_->moveToThread(&thread_);
        QDBusConnection kwin = QDBusConnection::connectToBus(QString::fromUtf8(address), "fake-kwin");
        QVERIFY(kwin.isConnected());
        QVERIFY(kwin.registerObject("/org/kde/KWin/ScreenShot2", fake_, QDBusConnection::ExportAllSlots));
        QVERIFY(kwin.registerService("org.kde.KWin"));
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus("fake-kwin");
        thread_.quit();
        thread_.wait();
        delete fake_;
        if (bus_.state() != QProcess::NotRunning) {
            bus_.terminate();
            bus_.waitForFinished(10000);
        }
    }

    void aLargeImageArrivesWhole()
    {
        fake_->mode = "ok";
        // 8 MB: far more than the pipe buffers before the reply comes
        const kwinshot::Capture shot =
            kwinshot::capture("CaptureArea", {0, 0, uint(2000), uint(1000)});
        QVERIFY2(shot.error.isEmpty(), qPrintable(shot.error));
        QCOMPARE(shot.image.size(), QSize(2000, 1000));
        QCOMPARE(shot.image.pixel(0, 0), fake_->colour.rgb());
        QCOMPARE(shot.image.pixel(1999, 999), fake_->colour.rgb());
        QCOMPARE(fake_->lastOptions_.value("native-resolution").toBool(), true);

        // the grabber's blocking grab goes the same way
        KWinScreenShotGrabber grabber;
        const QImage part = grabber.grabRect(QRect(0, 0, 64, 48));
        QCOMPARE(part.size(), QSize(64, 48));
        QCOMPARE(part.pixel(63, 47), fake_->colour.rgb());
    }

    void aRefusalSaysHowToAuthorise()
    {
        fake_->mode = "refuse";
        QElapsedTimer clock;
        clock.start();
        const kwinshot::Capture shot = kwinshot::capture("CaptureArea", {0, 0, uint(10), uint(10)});
        QVERIFY(shot.image.isNull());
        QVERIFY2(shot.error.contains("X-KDE-DBUS-Restricted-Interfaces"), qPrintable(shot.error));
        // no waiting for pixels that never come
        QVERIFY(clock.elapsed() < kwinshot::CALL_TIMEOUT_MS);
    }

    void pixelsThatStopComingEndAtTheDeadline()
    {
        fake_->mode = "short";
        QElapsedTimer clock;
        clock.start();
        const kwinshot::Capture shot = kwinshot::capture("CaptureArea", {0, 0, uint(100), uint(100)});
        QVERIFY(shot.image.isNull());
        QVERIFY2(shot.error.contains("did not finish writing"), qPrintable(shot.error));
        QVERIFY(clock.elapsed() < kwinshot::CALL_TIMEOUT_MS + kwinshot::READ_TIMEOUT_MS + 5000);
    }

    void anUnansweredCallEndsAtItsTimeout()
    {
        fake_->mode = "silent";
        QElapsedTimer clock;
        clock.start();
        const kwinshot::Capture shot = kwinshot::capture("CaptureArea", {0, 0, uint(10), uint(10)});
        QVERIFY(shot.image.isNull());
        QVERIFY2(shot.error.contains("did not answer"), qPrintable(shot.error));
        QVERIFY(clock.elapsed() < kwinshot::CALL_TIMEOUT_MS + 5000);
    }

private:
    QProcess bus_;
    QThread thread_;
    FakeKWin* fake_ = nullptr;
};

QTEST_MAIN(TestKWinPipe)
#include "tst_kwinpipe.moc"
