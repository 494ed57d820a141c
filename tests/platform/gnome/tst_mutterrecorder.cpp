#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include "privatebus.h"

#include "platform/gnome/mutterrecorder.h"

// Mutter's screen cast as the recorder sees it, played by stubs on a
// private bus: the service that makes sessions, the session that records an
// area and the stream that announces its PipeWire node.
class StubStream : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.ScreenCast.Stream")
public:
    using QObject::QObject;
};

class StubSession : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.ScreenCast.Session")
public:
    enum Mode { Streams, Silent, RefuseArea, Closes };

    StubSession(const QDBusConnection& bus, const QString& path, QObject* parent)
        : QObject(parent)
        , bus_(bus)
        , path_(path)
    {
    }

    Mode mode = Streams;
    QRect area;
    QVariantMap properties;
    bool started = false;
    bool stopped = false;
    bool areaBeforeStart = false;

public slots:
    QDBusObjectPath RecordArea(int x, int y, int width, int height, const QVariantMap& props,
                               const QDBusMessage& message)
    {
        area = QRect(x, y, width, height);
        properties = props;
        if (mode == RefuseArea) {
            message.setDelayedReply(true);
            bus_.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                               QStringLiteral("area outside the stage")));
            return QDBusObjectPath();
        }
        areaBeforeStart = !started;
        return QDBusObjectPath(stream());
    }

    void Start()
    {
        started = true;
        if (mode == Streams) {
            // announced at once, as Mutter does
            QDBusMessage signal = QDBusMessage::createSignal(stream(), QStringLiteral("org.gnome.Mutter.ScreenCast.Stream"),
                                                             QStringLiteral("PipeWireStreamAdded"));
            signal << QVariant::fromValue(uint(42));
            bus_.send(signal);
        } else if (mode == Closes) {
            bus_.send(QDBusMessage::createSignal(path_, QStringLiteral("org.gnome.Mutter.ScreenCast.Session"),
                                                 QStringLiteral("Closed")));
        }
    }

    void Stop() { stopped = true; }

private:
    QString stream() const { return path_ + QStringLiteral("/Stream"); }

    QDBusConnection bus_;
    QString path_;
};

class StubScreenCast : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.ScreenCast")
public:
    StubScreenCast(const QDBusConnection& bus, QObject* parent)
        : QObject(parent)
        , bus_(bus)
    {
    }

    StubSession::Mode mode = StubSession::Streams;
    QVector<StubSession*> sessions;

public slots:
    QDBusObjectPath CreateSession(const QVariantMap&)
    {
        const QString path = QStringLiteral("/org/gnome/Mutter/ScreenCast/Session/u%1").arg(sessions.size());
        auto* session = new StubSession(bus_, path, this);
        session->mode = mode;
        sessions << session;
        bus_.registerObject(path, session, QDBusConnection::ExportAllSlots);
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection bus_;
};

class TestMutterRecorder : public QObject
{
    Q_OBJECT

private:
    testutil::PrivateBus bus_;
    QString address_;
    StubScreenCast* cast_ = nullptr;

    QDBusConnection client() { return QDBusConnection(QStringLiteral("client")); }

    // prepare() to its end (the event loop runs meanwhile); the reason it
    // gave, or "<no answer>".
    QString prepare(MutterRecorder& recorder, const QRect& region)
    {
        QString reason = QStringLiteral("<no answer>");
        bool answered = false;
        recorder.prepare(region, [&](const QString& why) {
            reason = why;
            answered = true;
        });
        QElapsedTimer clock;
        clock.start();
        while (!answered && clock.elapsed() < 20000)
            QTest::qWait(10);
        return reason;
    }

private slots:
    void initTestCase()
    {
        QString reason;
        if (!bus_.start(&reason))
            QSKIP(qPrintable(reason));
        address_ = bus_.address();
        QDBusConnection service = QDBusConnection::connectToBus(address_, QStringLiteral("service"));
        cast_ = new StubScreenCast(service, this);
        QVERIFY(service.registerObject(QStringLiteral("/org/gnome/Mutter/ScreenCast"), cast_,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(QStringLiteral("org.gnome.Mutter.ScreenCast")));
        QVERIFY(QDBusConnection::connectToBus(address_, QStringLiteral("client")).isConnected());
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    }

    void pipelineEncodesTheNodeIntoMp4()
    {
        const QStringList args = gstRecordArgs(42, 25, "x264enc", "/tmp/a b/out.mp4");
        QCOMPARE(args.first(), QStringLiteral("-e"));
        QCOMPARE(args.mid(1, 3), (QStringList{"pipewiresrc", "path=42", "do-timestamp=true"}));
        QVERIFY(args.contains("video/x-raw,framerate=25/1"));
        QVERIFY(args.contains("video/x-raw,format=I420"));
        QVERIFY(args.contains("x264enc"));
        // elements alternate with "!": the encoder feeds the muxer, the muxer the file
        const int mux = args.indexOf("mp4mux");
        QVERIFY(mux > args.indexOf("x264enc"));
        QCOMPARE(args.mid(mux - 1), (QStringList{"!", "mp4mux", "!", "filesink", "location=/tmp/a b/out.mp4"}));
        QVERIFY(args.indexOf("videorate") < args.indexOf("video/x-raw,framerate=25/1"));
        // no zero or negative rate reaches the caps
        QVERIFY(gstRecordArgs(1, 0, "x264enc", "o.mp4").contains("video/x-raw,framerate=1/1"));
        QVERIFY(gstRecordArgs(1, 30, "openh264enc", "o.mp4").contains("openh264enc"));

        QCOMPARE(gstH264Encoder({"openh264enc", "x264enc"}), QStringLiteral("x264enc"));
        QCOMPARE(gstH264Encoder({"openh264enc"}), QStringLiteral("openh264enc"));
        QVERIFY(gstH264Encoder({"vp8enc"}).isEmpty());

        QCOMPARE(evenArea(QRect(5, 7, 101, 51)), QRect(5, 7, 100, 50));
        QVERIFY(evenArea(QRect(0, 0, 1, 10)).isEmpty());
    }

    void pipelineRunsWithAStandInSource()
    {
        // the same pipeline behind a test source: GStreamer accepts it and the MP4 plays
        if (QStandardPaths::findExecutable("gst-launch-1.0").isEmpty())
            QSKIP("gst-launch-1.0 is not installed");
        QProcess inspect;
        inspect.start("gst-inspect-1.0", {"--exists", "x264enc"});
        if (!inspect.waitForFinished(10000) || inspect.exitCode() != 0)
            QSKIP("x264enc (gstreamer1.0-plugins-ugly) is not installed");
        QTemporaryDir dir;
        const QString out = dir.filePath("with space.mp4");
        QStringList args = gstRecordArgs(7, 10, "x264enc", out);
        const int first = args.indexOf("!");
        args = QStringList{"-e", "videotestsrc", "num-buffers=20", "!", "video/x-raw,width=64,height=48"} + args.mid(first);
        QProcess gst;
        gst.start("gst-launch-1.0", args);
        QVERIFY(gst.waitForFinished(60000));
        QCOMPARE(gst.exitCode(), 0);
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries", "stream=codec_name,width,nb_read_frames",
                                "-of", "csv=p=0", out});
        QVERIFY(probe.waitForFinished(30000));
        const QString said = QString::fromLocal8Bit(probe.readAllStandardOutput()).trimmed();
        QVERIFY2(said.startsWith("h264,64,"), qPrintable(said));
        QVERIFY2(said.section(',', 2).toInt() >= 15, qPrintable(said));
    }

    void streamIsPreparedAndStopped()
    {
        cast_->mode = StubSession::Streams;
        MutterRecorder recorder(client());
        QCOMPARE(prepare(recorder, QRect(100, 50, 321, 201)), QString());
        QCOMPARE(recorder.node(), 42u);
        StubSession* session = cast_->sessions.last();
        QCOMPARE(session->area, QRect(100, 50, 320, 200));
        QVERIFY(session->areaBeforeStart);
        QCOMPARE(session->properties.value("cursor-mode").toUInt(), 1u);
        const QStringList args = recorder.recordArgs(ffmpeg::Grab{QRect(100, 50, 320, 200), 30, {}}, {}, "/tmp/o.mp4");
        QVERIFY(args.contains("path=42"));
        QVERIFY(recorder.gifCaptureArgs(ffmpeg::Grab{QRect(100, 50, 320, 200), 30, {}}, "/tmp/v.mp4")
                    .contains("location=/tmp/v.mp4"));
        QVERIFY(!session->stopped);
        recorder.cleanup();
        QTRY_VERIFY_WITH_TIMEOUT(session->stopped, 10000);
        QCOMPARE(recorder.node(), 0u);
    }

    void failuresAreReportedAndTheSessionEnded_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("said");
        QTest::newRow("area refused") << int(StubSession::RefuseArea) << "area outside the stage";
        QTest::newRow("session closed") << int(StubSession::Closes) << "closed";
        QTest::newRow("no stream") << int(StubSession::Silent) << "no stream within";
    }

    void failuresAreReportedAndTheSessionEnded()
    {
        QFETCH(int, mode);
        QFETCH(QString, said);
        cast_->mode = StubSession::Mode(mode);
        MutterRecorder recorder(client());
        recorder.setTimeout(800);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("screen cast:.*" + said));
        const QString reason = prepare(recorder, QRect(0, 0, 100, 100));
        QVERIFY2(reason.contains(said), qPrintable(reason));
        QCOMPARE(recorder.node(), 0u);
        StubSession* session = cast_->sessions.last();
        if (mode != StubSession::Closes)
            QTRY_VERIFY_WITH_TIMEOUT(session->stopped, 10000);
    }

    void cleanupWhilePreparingAnswersOnce()
    {
        cast_->mode = StubSession::Silent;
        MutterRecorder recorder(client());
        int answers = 0;
        QString reason;
        recorder.prepare(QRect(0, 0, 100, 100), [&](const QString& why) {
            ++answers;
            reason = why;
        });
        QTRY_VERIFY_WITH_TIMEOUT(!cast_->sessions.isEmpty() && cast_->sessions.last()->started, 10000);
        recorder.cleanup();
        QCOMPARE(answers, 1);
        QVERIFY(!reason.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(cast_->sessions.last()->stopped, 10000);
        QCOMPARE(answers, 1);
    }

    void tinyRegionIsRefusedAtOnce()
    {
        MutterRecorder recorder(client());
        const int sessions = cast_->sessions.size();
        QVERIFY(!prepare(recorder, QRect(0, 0, 1, 1)).isEmpty());
        QCOMPARE(cast_->sessions.size(), sessions);
    }
};

QTEST_MAIN(TestMutterRecorder)
#include "tst_mutterrecorder.moc"
