#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QtTest>

#include <memory>

#include "privatebus.h"

#include "platform/desktop.h"
#include "platform/linux/portalrequest.h"
#include "platform/linux/portalscreencastrecorder.h"
#include "platform/services.h"
#include "video/ffmpegrun.h"

// What the portal sends as a stream's position and size: (ii).
struct IntPair
{
    int a = 0;
    int b = 0;
};
Q_DECLARE_METATYPE(IntPair)

QDBusArgument& operator<<(QDBusArgument& arg, const IntPair& pair)
{
    arg.beginStructure();
    arg << pair.a << pair.b;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, IntPair& pair)
{
    arg.beginStructure();
    arg >> pair.a >> pair.b;
    arg.endStructure();
    return arg;
}

// One entry of Start's streams: (ua{sv}).
struct StreamEntry
{
    uint node = 0;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(StreamEntry)

QDBusArgument& operator<<(QDBusArgument& arg, const StreamEntry& entry)
{
    arg.beginStructure();
    arg << entry.node << entry.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, StreamEntry& entry)
{
    arg.beginStructure();
    arg >> entry.node >> entry.properties;
    arg.endStructure();
    return arg;
}

class StubSession : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")
public:
    using QObject::QObject;
    bool closed = false;

public slots:
    void Close() { closed = true; }
};

// The ScreenCast portal as the recorder meets it: each request is answered
// on the Request path the caller listens on, the way the mode says.
class StubScreenCast : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.ScreenCast")
    Q_PROPERTY(uint AvailableCursorModes READ availableCursorModes)
public:
    enum Mode { Streams, CancelStart, SilentStart, BadStreams, RefuseSelect };

    StubScreenCast(const QDBusConnection& bus, const QString& remoteFile, QObject* parent)
        : QObject(parent)
        , bus_(bus)
        , remoteFile_(remoteFile)
    {
    }

    Mode mode = Streams;
    uint cursorModes = 1 | 2 | 4;
    QPoint streamPosition{1920, 0};
    QSize streamSize{1280, 720};
    QStringList calls;
    QMap<QString, QVariantMap> options;
    QStringList sessionArgs;
    QString startParent;
    QVector<StubSession*> sessions;

    uint availableCursorModes() const { return cursorModes; }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& opts, const QDBusMessage& message)
    {
        note("CreateSession", opts);
        const QString sender = message.service().mid(1).replace('.', '_');
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                                 .arg(sender, opts.value("session_handle_token").toString());
        auto* session = new StubSession(this);
        sessions << session;
        bus_.registerObject(path, session, QDBusConnection::ExportAllSlots);
        return answer(message, opts, 0, {{"session_handle", path}});
    }

    QDBusObjectPath SelectSources(const QDBusObjectPath& session, const QVariantMap& opts, const QDBusMessage& message)
    {
        note("SelectSources", opts);
        sessionArgs << session.path();
        if (mode == RefuseSelect) {
            message.setDelayedReply(true);
            bus_.send(message.createErrorReply("org.freedesktop.portal.Error.InvalidArgument", "no monitors here"));
            return QDBusObjectPath();
        }
        return answer(message, opts, 0, {});
    }

    QDBusObjectPath Start(const QDBusObjectPath& session, const QString& parentWindow, const QVariantMap& opts,
                          const QDBusMessage& message)
    {
        note("Start", opts);
        sessionArgs << session.path();
        startParent = parentWindow;
        if (mode == SilentStart)
            return QDBusObjectPath(requestPath(message, opts));
        if (mode == CancelStart)
            return answer(message, opts, 1, {});
        if (mode == BadStreams)
            return answer(message, opts, 0, {{"streams", QStringLiteral("not a list of streams")}});
        StreamEntry entry;
        entry.node = 57;
        entry.properties.insert("position", QVariant::fromValue(IntPair{streamPosition.x(), streamPosition.y()}));
        entry.properties.insert("size", QVariant::fromValue(IntPair{streamSize.width(), streamSize.height()}));
        entry.properties.insert("source_type", QVariant::fromValue(uint(1)));
        return answer(message, opts, 0, {{"streams", QVariant::fromValue(QList<StreamEntry>{entry})}});
    }

    QDBusUnixFileDescriptor OpenPipeWireRemote(const QDBusObjectPath& session, const QVariantMap& opts)
    {
        note("OpenPipeWireRemote", opts);
        sessionArgs << session.path();
        QFile file(remoteFile_);
        if (!file.open(QIODevice::ReadOnly))
            return QDBusUnixFileDescriptor();
        // the reply carries its own copy
        return QDBusUnixFileDescriptor(file.handle());
    }

private:
    void note(const QString& method, const QVariantMap& opts)
    {
        calls << method;
        options[method] = opts;
    }

    QString requestPath(const QDBusMessage& message, const QVariantMap& opts) const
    {
        return portalRequestPath(message.service(), opts.value("handle_token").toString());
    }

    // The Request handle, answered once the reply is out.
    QDBusObjectPath answer(const QDBusMessage& message, const QVariantMap& opts, uint code, const QVariantMap& results)
    {
        const QString path = requestPath(message, opts);
        QTimer::singleShot(0, this, [this, path, code, results] {
            QDBusMessage signal =
                QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
            signal << QVariant::fromValue(code) << results;
            bus_.send(signal);
        });
        return QDBusObjectPath(path);
    }

    QDBusConnection bus_;
    QString remoteFile_;
};

namespace {

struct Outcome
{
    bool answered = false;
    int answers = 0;
    QString reason;
};

std::shared_ptr<Outcome> prepare(PortalScreenCastRecorder& recorder, const QRect& region)
{
    auto outcome = std::make_shared<Outcome>();
    recorder.prepare(region, [outcome](const QString& why) {
        outcome->answered = true;
        ++outcome->answers;
        outcome->reason = why;
    });
    return outcome;
}

bool gstEncoderMissing()
{
    return gstInstalledEncoder().isEmpty();
}

} // namespace

class TestPortalScreenCast : public QObject
{
    Q_OBJECT

private:
    testutil::PrivateBus bus_;
    QTemporaryFile remote_;
    StubScreenCast* cast_ = nullptr;

    QDBusConnection client() { return QDBusConnection(QStringLiteral("client")); }

    std::unique_ptr<PortalScreenCastRecorder> recorder()
    {
        auto r = std::make_unique<PortalScreenCastRecorder>(client());
        r->setTimeout(10000);
        return r;
    }

private slots:
    void initTestCase()
    {
        qDBusRegisterMetaType<IntPair>();
        qDBusRegisterMetaType<StreamEntry>();
        qDBusRegisterMetaType<QList<StreamEntry>>();
        QString reason;
        if (!bus_.start(&reason))
            QSKIP(qPrintable(reason));
        QVERIFY(remote_.open());
        remote_.write("klipora stand-in for a PipeWire remote");
        remote_.flush();
        QDBusConnection service = QDBusConnection::connectToBus(bus_.address(), QStringLiteral("service"));
        QVERIFY(service.isConnected());
        cast_ = new StubScreenCast(service, remote_.fileName(), this);
        QVERIFY(service.registerObject("/org/freedesktop/portal/desktop", cast_,
                                       QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        QVERIFY(service.registerService("org.freedesktop.portal.Desktop"));
        QVERIFY(QDBusConnection::connectToBus(bus_.address(), QStringLiteral("client")).isConnected());
        QVERIFY(client().connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing);
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    }

    void init()
    {
        if (!cast_)
            QSKIP("no private bus");
        cast_->mode = StubScreenCast::Streams;
        cast_->cursorModes = 1 | 2 | 4;
        cast_->streamPosition = QPoint(1920, 0);
        cast_->streamSize = QSize(1280, 720);
        cast_->calls.clear();
        cast_->options.clear();
        cast_->sessionArgs.clear();
    }

    void pipelineReadsTheRemoteCropped()
    {
        GstSource source;
        source.node = 57;
        source.fd = 23;
        source.crop = QMargins(100, 40, 780, 380);
        const QStringList args = gstRecordArgs(source, 25, "x264enc", "/tmp/a b/out.mp4");
        QCOMPARE(args.mid(0, 5), (QStringList{"-e", "pipewiresrc", "fd=23", "path=57", "do-timestamp=true"}));
        const int crop = args.indexOf("videocrop");
        QVERIFY(crop > args.indexOf("video/x-raw,framerate=25/1"));
        QCOMPARE(args.mid(crop, 6), (QStringList{"videocrop", "left=100", "top=40", "right=780", "bottom=380", "!"}));
        QVERIFY(crop < args.indexOf("videoconvert"));
        QCOMPARE(args.mid(args.indexOf("mp4mux") - 1),
                 (QStringList{"!", "mp4mux", "!", "filesink", "location=/tmp/a b/out.mp4"}));
        // the user's own PipeWire and a whole stream: neither fd= nor a crop
        const QStringList plain = gstRecordArgs(57, 25, "x264enc", "o.mp4");
        QVERIFY(!plain.join(' ').contains("fd="));
        QVERIFY(!plain.contains("videocrop"));
    }

    void cropLeavesTheRegionOfAPlacedStream()
    {
        QMargins crop;
        QVERIFY(streamCrop(QRect(1920, 0, 1280, 720), QRect(2020, 40, 400, 300), &crop));
        QCOMPARE(crop, QMargins(100, 40, 780, 380));
        QVERIFY(streamCrop(QRect(0, 0, 640, 480), QRect(0, 0, 640, 480), &crop));
        QCOMPARE(crop, QMargins());
        // beside the stream, or reaching past its edge
        QVERIFY(!streamCrop(QRect(1920, 0, 1280, 720), QRect(100, 40, 400, 300), &crop));
        QVERIFY(!streamCrop(QRect(1920, 0, 1280, 720), QRect(3000, 600, 400, 300), &crop));
        QVERIFY(!streamCrop(QRect(0, 0, 640, 480), QRect(), &crop));
    }

    void sessionIsSetUpInOrderAndClosed()
    {
        if (gstEncoderMissing())
            QSKIP("GStreamer has no H.264 encoder here");
        auto r = recorder();
        // odd sides are cut to even ones
        auto outcome = prepare(*r, QRect(2020, 40, 401, 301));
        QTRY_VERIFY_WITH_TIMEOUT(outcome->answered, 20000);
        QCOMPARE(outcome->reason, QString());
        QCOMPARE(cast_->calls, (QStringList{"CreateSession", "SelectSources", "Start", "OpenPipeWireRemote"}));

        const QVariantMap create = cast_->options.value("CreateSession");
        QVERIFY(!create.value("session_handle_token").toString().isEmpty());
        QVERIFY(!create.value("handle_token").toString().isEmpty());
        const QVariantMap select = cast_->options.value("SelectSources");
        QCOMPARE(select.value("types").userType(), int(QMetaType::UInt));
        QCOMPARE(select.value("types").toUInt(), 1u);
        QCOMPARE(select.value("multiple").toBool(), false);
        QVERIFY(select.contains("multiple"));
        QCOMPARE(select.value("cursor_mode").toUInt(), 2u);
        // every call names the session the portal made, Start no parent window
        QCOMPARE(cast_->sessionArgs.size(), 3);
        QCOMPARE(QSet<QString>(cast_->sessionArgs.begin(), cast_->sessionArgs.end()).size(), 1);
        QVERIFY(cast_->sessionArgs.first().endsWith(create.value("session_handle_token").toString()));
        QCOMPARE(cast_->startParent, QString());
        QVERIFY(cast_->options.value("Start").contains("handle_token"));

        QCOMPARE(r->node(), 57u);
        QVERIFY(r->pipeWireFd() > 2);
        QCOMPARE(r->inheritedFds(), QVector<int>{r->pipeWireFd()});
        QCOMPARE(r->crop(), QMargins(100, 40, 780, 380));
        QCOMPARE(r->program(), QStringLiteral("gst-launch-1.0"));
        QCOMPARE(r->stop(), RecorderBackend::Stop::Interrupt);
        const QStringList args = r->recordArgs(ffmpeg::Grab{QRect(2020, 40, 400, 300), 30, {}}, {}, "/tmp/o.mp4");
        QVERIFY(args.contains(QStringLiteral("fd=%1").arg(r->pipeWireFd())));
        QVERIFY(args.contains("path=57"));
        QVERIFY(args.contains("right=780"));
        QVERIFY(r->gifCaptureArgs(ffmpeg::Grab{QRect(2020, 40, 400, 300), 30, {}}, "/tmp/v.mp4")
                    .contains("location=/tmp/v.mp4"));

        StubSession* session = cast_->sessions.last();
        QVERIFY(!session->closed);
        r->cleanup();
        QTRY_VERIFY_WITH_TIMEOUT(session->closed, 10000);
        QCOMPARE(r->pipeWireFd(), -1);
        QVERIFY(r->inheritedFds().isEmpty());
        QCOMPARE(outcome->answers, 1);
    }

    void noCursorModeWhereThePortalOffersNone()
    {
        if (gstEncoderMissing())
            QSKIP("GStreamer has no H.264 encoder here");
        cast_->cursorModes = 1; // hidden only
        auto r = recorder();
        auto outcome = prepare(*r, QRect(1920, 0, 200, 100));
        QTRY_VERIFY_WITH_TIMEOUT(outcome->answered, 20000);
        QCOMPARE(outcome->reason, QString());
        QVERIFY(!cast_->options.value("SelectSources").contains("cursor_mode"));
        // the region at the stream's corner: nothing cut from the top-left
        QCOMPARE(r->crop(), QMargins(0, 0, 1080, 620));
    }

    void failuresAreReportedAndTheSessionClosed_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRect>("region");
        QTest::addColumn<QString>("said");
        const QRect inside(2020, 40, 400, 300);
        QTest::newRow("cancelled at Start") << int(StubScreenCast::CancelStart) << inside << "cancelled";
        QTest::newRow("sources refused") << int(StubScreenCast::RefuseSelect) << inside << "no monitors here";
        QTest::newRow("streams garbled") << int(StubScreenCast::BadStreams) << inside << "no stream";
        QTest::newRow("region on another screen")
            << int(StubScreenCast::Streams) << QRect(100, 40, 400, 300) << "outside the screen chosen";
    }

    void failuresAreReportedAndTheSessionClosed()
    {
        if (gstEncoderMissing())
            QSKIP("GStreamer has no H.264 encoder here");
        QFETCH(int, mode);
        QFETCH(QRect, region);
        QFETCH(QString, said);
        cast_->mode = StubScreenCast::Mode(mode);
        auto r = recorder();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("screen cast:.*" + said));
        auto outcome = prepare(*r, region);
        QTRY_VERIFY_WITH_TIMEOUT(outcome->answered, 20000);
        QVERIFY2(outcome->reason.contains(said), qPrintable(outcome->reason));
        QCOMPARE(r->pipeWireFd(), -1);
        QVERIFY(r->inheritedFds().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(cast_->sessions.last()->closed, 10000);
        QCOMPARE(outcome->answers, 1);
    }

    void silentStartTimesOut()
    {
        if (gstEncoderMissing())
            QSKIP("GStreamer has no H.264 encoder here");
        cast_->mode = StubScreenCast::SilentStart;
        auto r = recorder();
        r->setStartTimeout(600);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("screen cast:.*did not answer Start within"));
        QElapsedTimer clock;
        clock.start();
        auto outcome = prepare(*r, QRect(2020, 40, 400, 300));
        QTRY_VERIFY_WITH_TIMEOUT(outcome->answered, 20000);
        QVERIFY2(clock.elapsed() >= 500, "gave up before the timeout");
        QVERIFY2(outcome->reason.contains("did not answer Start"), qPrintable(outcome->reason));
        QCOMPARE(cast_->calls.last(), QStringLiteral("Start"));
        QTRY_VERIFY_WITH_TIMEOUT(cast_->sessions.last()->closed, 10000);
        QCOMPARE(outcome->answers, 1);
    }

    void cleanupWhileWaitingAnswersOnce()
    {
        if (gstEncoderMissing())
            QSKIP("GStreamer has no H.264 encoder here");
        cast_->mode = StubScreenCast::SilentStart;
        auto r = recorder();
        auto outcome = prepare(*r, QRect(2020, 40, 400, 300));
        QTRY_VERIFY_WITH_TIMEOUT(cast_->calls.contains("Start"), 20000);
        r->cleanup();
        QCOMPARE(outcome->answers, 1);
        QVERIFY(!outcome->reason.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(cast_->sessions.last()->closed, 10000);
        QCOMPARE(outcome->answers, 1);
    }

    void tinyRegionIsRefusedWithoutASession()
    {
        auto r = recorder();
        const int sessions = cast_->sessions.size();
        auto outcome = prepare(*r, QRect(1920, 0, 1, 1));
        QVERIFY(outcome->answered);
        QVERIFY(!outcome->reason.isEmpty());
        QCOMPARE(cast_->sessions.size(), sessions);
        QVERIFY(cast_->calls.isEmpty());
    }

    void remoteReachesTheCaptureProcess()
    {
        if (gstEncoderMissing())
            QSKIP("GStreamer has no H.264 encoder here");
        auto r = recorder();
        auto outcome = prepare(*r, QRect(2020, 40, 400, 300));
        QTRY_VERIFY_WITH_TIMEOUT(outcome->answered, 20000);
        QCOMPARE(outcome->reason, QString());
        const int fd = r->pipeWireFd();
        const QString target = QFileInfo(remote_.fileName()).canonicalFilePath();
        // the child sees our descriptor, and it is the portal's remote
        const QStringList check{"-c", QStringLiteral("test \"$(readlink /proc/self/fd/%1)\" = '%2'").arg(fd).arg(target)};

        for (const bool kept : {true, false}) {
            FfmpegRun run;
            run.setCaptureProgram("sh", true);
            if (kept)
                run.setInheritedFds(r->inheritedFds());
            bool succeeded = false;
            bool failed = false;
            connect(&run, &FfmpegRun::succeeded, this, [&] { succeeded = true; });
            connect(&run, &FfmpegRun::failed, this, [&] { failed = true; });
            if (!kept)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ffmpeg failed"));
            QVERIFY(run.start(check, true));
            QTRY_VERIFY_WITH_TIMEOUT(succeeded || failed, 20000);
            // without the hook the descriptor is closed on exec
            QCOMPARE(succeeded, kept);
        }
        r->cleanup();
    }

    void kdeRecordsThroughThePortal()
    {
        platform::setCurrentDesktop(platform::Desktop::Kde);
        platform::resetServices();
        QVERIFY(dynamic_cast<PortalScreenCastRecorder*>(&platform::recorderBackend()));
        platform::resetServices();
    }
};

QTEST_MAIN(TestPortalScreenCast)
#include "tst_portalscreencast.moc"
