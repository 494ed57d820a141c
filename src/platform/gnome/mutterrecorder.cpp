#include "platform/gnome/mutterrecorder.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDebug>
#include <QTimer>

namespace {

const QString SERVICE = QStringLiteral("org.gnome.Mutter.ScreenCast");
const QString PATH = QStringLiteral("/org/gnome/Mutter/ScreenCast");
const QString INTERFACE = QStringLiteral("org.gnome.Mutter.ScreenCast");
const QString SESSION_INTERFACE = QStringLiteral("org.gnome.Mutter.ScreenCast.Session");
const QString STREAM_INTERFACE = QStringLiteral("org.gnome.Mutter.ScreenCast.Stream");
// the cursor drawn into the frames, as ffmpeg's screen grabs do
constexpr uint CURSOR_EMBEDDED = 1;

} // namespace

MutterRecorder::MutterRecorder(QObject* parent)
    : MutterRecorder(QDBusConnection::sessionBus(), parent)
{
}

MutterRecorder::MutterRecorder(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus)
    , timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] {
        fail(tr("GNOME's screen cast sent no stream within %1 s.").arg(timeoutMs_ / 1000.0));
    });
}

MutterRecorder::~MutterRecorder()
{
    // nobody is left to tell; and after the application the bus is gone too
    done_ = nullptr;
    if (QCoreApplication::instance())
        cleanup();
}

void MutterRecorder::call(const QString& path, const QString& interface, const QString& method,
                          const QVariantList& args, std::function<void(const QDBusMessage&)> then)
{
    QDBusMessage message = QDBusMessage::createMethodCall(SERVICE, path, interface, method);
    message.setArguments(args);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, timeoutMs_), this);
    const int generation = generation_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation, method, then = std::move(then)](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (generation != generation_ || !done_)
                    return; // given up meanwhile
                const QDBusMessage reply = w->reply();
                if (reply.type() == QDBusMessage::ErrorMessage) {
                    fail(tr("GNOME's screen cast refused %1: %2").arg(method, reply.errorMessage()));
                    return;
                }
                then(reply);
            });
}

void MutterRecorder::prepare(const QRect& region, std::function<void(const QString& reason)> done)
{
    cleanup();
    const QRect area = evenArea(region);
    if (area.isEmpty()) {
        done(tr("the region is too small to record."));
        return;
    }
    if (gstInstalledEncoder().isEmpty()) {
        done(tr("GStreamer has no H.264 encoder; install gstreamer1.0-plugins-ugly (x264enc)."));
        return;
    }
    if (!bus_.isConnected()) {
        done(tr("there is no session bus to reach GNOME's screen cast."));
        return;
    }
    done_ = std::move(done);
    timer_->start(timeoutMs_);
    call(PATH, INTERFACE, QStringLiteral("CreateSession"), {QVariantMap()}, [this, area](const QDBusMessage& reply) {
        session_ = reply.arguments().value(0).value<QDBusObjectPath>().path();
        if (session_.isEmpty()) {
            fail(tr("GNOME's screen cast gave no session."));
            return;
        }
        bus_.connect(SERVICE, session_, SESSION_INTERFACE, QStringLiteral("Closed"), this, SLOT(onSessionClosed()));
        const QVariantMap properties{{QStringLiteral("cursor-mode"), QVariant::fromValue(CURSOR_EMBEDDED)},
                                     {QStringLiteral("is-recording"), true}};
        call(session_, SESSION_INTERFACE, QStringLiteral("RecordArea"),
             {area.x(), area.y(), area.width(), area.height(), properties}, [this](const QDBusMessage& reply) {
                 stream_ = reply.arguments().value(0).value<QDBusObjectPath>().path();
                 if (stream_.isEmpty()) {
                     fail(tr("GNOME's screen cast gave no stream."));
                     return;
                 }
                 // before Start: the stream is announced as soon as it runs
                 bus_.connect(SERVICE, stream_, STREAM_INTERFACE, QStringLiteral("PipeWireStreamAdded"), this,
                              SLOT(onStreamAdded(uint)));
                 call(session_, SESSION_INTERFACE, QStringLiteral("Start"), {}, [](const QDBusMessage&) {});
             });
    });
}

void MutterRecorder::onStreamAdded(uint node)
{
    if (!done_)
        return;
    node_ = node;
    qInfo() << "GNOME's screen cast streams to PipeWire node" << node;
    succeed();
}

void MutterRecorder::onSessionClosed()
{
    if (done_) {
        fail(tr("GNOME closed the screen cast session."));
        return;
    }
    qInfo() << "GNOME closed the screen cast session";
    session_.clear();
}

void MutterRecorder::succeed()
{
    timer_->stop();
    auto done = std::move(done_);
    done_ = nullptr;
    done(QString());
}

void MutterRecorder::fail(const QString& reason)
{
    qWarning().noquote() << "screen cast:" << reason;
    auto done = std::move(done_);
    done_ = nullptr;
    cleanup();
    if (done)
        done(reason);
}

void MutterRecorder::cleanup()
{
    ++generation_;
    timer_->stop();
    if (!stream_.isEmpty()) {
        bus_.disconnect(SERVICE, stream_, STREAM_INTERFACE, QStringLiteral("PipeWireStreamAdded"), this,
                        SLOT(onStreamAdded(uint)));
        stream_.clear();
    }
    if (!session_.isEmpty()) {
        bus_.disconnect(SERVICE, session_, SESSION_INTERFACE, QStringLiteral("Closed"), this,
                        SLOT(onSessionClosed()));
        // nobody waits for the answer: the stream is over either way
        bus_.asyncCall(QDBusMessage::createMethodCall(SERVICE, session_, SESSION_INTERFACE, QStringLiteral("Stop")));
        session_.clear();
    }
    node_ = 0;
    if (done_) {
        // given up before the stream came
        auto done = std::move(done_);
        done_ = nullptr;
        done(tr("the screen cast was stopped before it started."));
    }
}

QStringList MutterRecorder::recordArgs(const ffmpeg::Grab& grab, const QString& audioDevice,
                                       const QString& output) const
{
    if (!audioDevice.isEmpty())
        qInfo() << "sound is not recorded through GNOME's screen cast";
    return gstRecordArgs(node_, grab.framerate, gstInstalledEncoder(), output);
}

QStringList MutterRecorder::gifCaptureArgs(const ffmpeg::Grab& grab, const QString& video) const
{
    return gstRecordArgs(node_, grab.framerate, gstInstalledEncoder(), video);
}
