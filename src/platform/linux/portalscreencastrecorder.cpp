#include "platform/linux/portalscreencastrecorder.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDebug>

#include "core/devicepixels.h"
#include "platform/linux/portalrequest.h"

namespace {

const QString PORTAL_SERVICE = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PORTAL_PATH = QStringLiteral("/org/freedesktop/portal/desktop");
const QString SCREENCAST_INTERFACE = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString SESSION_INTERFACE = QStringLiteral("org.freedesktop.portal.Session");
constexpr uint SOURCE_MONITOR = 1;
// the cursor drawn into the frames, as ffmpeg's screen grabs do
constexpr uint CURSOR_EMBEDDED = 2;

// (ii) inside a variant, as the portal sends position and size.
bool intPair(const QVariant& value, int* a, int* b)
{
    if (!value.canConvert<QDBusArgument>())
        return false;
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("(ii)"))
        return false;
    arg.beginStructure();
    arg >> *a >> *b;
    arg.endStructure();
    return true;
}

QString sessionHandle(const QVariant& value)
{
    // a string in the documentation, an object path in some portals
    if (value.canConvert<QDBusObjectPath>() && value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

QVector<PortalStream> portalStreams(const QVariant& streams)
{
    QVector<PortalStream> found;
    if (!streams.canConvert<QDBusArgument>())
        return found;
    const QDBusArgument arg = streams.value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("a(ua{sv})"))
        return found;
    arg.beginArray();
    while (!arg.atEnd()) {
        PortalStream stream;
        QVariantMap properties;
        arg.beginStructure();
        arg >> stream.node >> properties;
        arg.endStructure();
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        // a lone monitor may come without a position: it starts at the origin
        intPair(properties.value(QStringLiteral("position")), &x, &y);
        if (intPair(properties.value(QStringLiteral("size")), &width, &height) && width > 0 && height > 0)
            stream.geometry = QRect(x, y, width, height);
        found << stream;
    }
    arg.endArray();
    return found;
}

bool streamCrop(const QRect& stream, const QRect& area, QMargins* crop)
{
    if (area.isEmpty() || !stream.contains(area))
        return false;
    *crop = QMargins(area.left() - stream.left(), area.top() - stream.top(), stream.right() - area.right(),
                     stream.bottom() - area.bottom());
    return true;
}

PortalScreenCastRecorder::PortalScreenCastRecorder(QObject* parent)
    : PortalScreenCastRecorder(QDBusConnection::sessionBus(), parent)
{
}

PortalScreenCastRecorder::PortalScreenCastRecorder(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus)
{
}

PortalScreenCastRecorder::~PortalScreenCastRecorder()
{
    // nobody is left to tell; and after the application the bus is gone too
    done_ = nullptr;
    if (QCoreApplication::instance())
        cleanup();
}

void PortalScreenCastRecorder::request(const QString& method, const QVariantList& args, const QVariantMap& options,
                                       int timeoutMs, std::function<void(const QVariantMap&)> then)
{
    auto* call = new PortalRequest(bus_, this);
    call->setTimeout(timeoutMs);
    const int generation = generation_;
    connect(call, &PortalRequest::answered, this,
            [this, call, generation, method, then](uint response, const QVariantMap& results) {
                call->deleteLater();
                if (generation != generation_ || !done_)
                    return; // given up meanwhile
                if (response == 1) {
                    fail(method == QLatin1String("Start")
                             ? tr("the choice of the screen to record was cancelled.")
                             : tr("the screen cast portal's %1 was cancelled.").arg(method));
                    return;
                }
                if (response != 0) {
                    fail(tr("the screen cast portal's %1 failed (response %2).").arg(method).arg(response));
                    return;
                }
                then(results);
            });
    connect(call, &PortalRequest::failed, this,
            [this, call, generation, method, timeoutMs](PortalRequest::Failure failure, const QString& detail) {
                call->deleteLater();
                if (generation != generation_ || !done_)
                    return;
                switch (failure) {
                case PortalRequest::Failure::NoBus:
                    fail(tr("there is no session bus to reach the screen cast portal."));
                    break;
                case PortalRequest::Failure::Refused:
                    fail(tr("the screen cast portal refused %1: %2").arg(method, detail));
                    break;
                case PortalRequest::Failure::TimedOut:
                    fail(tr("the screen cast portal did not answer %1 within %2 s.").arg(method).arg(timeoutMs / 1000.0));
                    break;
                }
            });
    call->start(SCREENCAST_INTERFACE, method, args, options);
}

void PortalScreenCastRecorder::prepare(const QRect& region, std::function<void(const QString& reason)> done)
{
    cleanup();
    area_ = evenArea(region);
    if (area_.isEmpty()) {
        done(tr("the region is too small to record."));
        return;
    }
    if (gstInstalledEncoder().isEmpty()) {
        done(tr("GStreamer has no H.264 encoder; install gstreamer1.0-plugins-ugly (x264enc)."));
        return;
    }
    if (!bus_.isConnected()) {
        done(tr("there is no session bus to reach the screen cast portal."));
        return;
    }
    done_ = std::move(done);
    // the cursor modes decide what SelectSources may ask for; an old portal
    // without the property gets no cursor_mode
    QDBusMessage get = QDBusMessage::createMethodCall(PORTAL_SERVICE, PORTAL_PATH,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << SCREENCAST_INTERFACE << QStringLiteral("AvailableCursorModes");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get, timeoutMs_), this);
    const int generation = generation_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (generation != generation_ || !done_)
            return;
        QDBusPendingReply<QDBusVariant> reply = *w;
        if (reply.isError() && reply.error().type() == QDBusError::NoReply) {
            fail(tr("the screen cast portal did not answer within %1 s.").arg(timeoutMs_ / 1000.0));
            return;
        }
        createSession(reply.isError() ? 0 : reply.value().variant().toUInt());
    });
}

void PortalScreenCastRecorder::createSession(uint cursorModes)
{
    const QVariantMap options{{QStringLiteral("session_handle_token"), PortalRequest::newToken()}};
    request(QStringLiteral("CreateSession"), {}, options, timeoutMs_, [this, cursorModes](const QVariantMap& results) {
        session_ = sessionHandle(results.value(QStringLiteral("session_handle")));
        if (session_.isEmpty() || !QDBusObjectPath(session_).path().startsWith(QLatin1Char('/'))) {
            session_.clear();
            fail(tr("the screen cast portal gave no session."));
            return;
        }
        bus_.connect(QString(), session_, SESSION_INTERFACE, QStringLiteral("Closed"), this, SLOT(onSessionClosed()));
        selectSources(cursorModes);
    });
}

void PortalScreenCastRecorder::selectSources(uint cursorModes)
{
    QVariantMap options{{QStringLiteral("types"), QVariant::fromValue(SOURCE_MONITOR)},
                        {QStringLiteral("multiple"), false}};
    if (cursorModes & CURSOR_EMBEDDED)
        options.insert(QStringLiteral("cursor_mode"), QVariant::fromValue(CURSOR_EMBEDDED));
    request(QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(session_))}, options, timeoutMs_,
            [this](const QVariantMap&) { startSession(); });
}

void PortalScreenCastRecorder::startSession()
{
    qInfo().noquote() << "waiting up to" << startTimeoutMs_ / 1000 << "s for the screen cast to start;"
                      << "the desktop may ask which screen to share";
    request(QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(session_)), QString()}, QVariantMap(),
            startTimeoutMs_, [this](const QVariantMap& results) {
                const QVector<PortalStream> streams = portalStreams(results.value(QStringLiteral("streams")));
                if (streams.isEmpty()) {
                    fail(tr("the screen cast portal started no stream."));
                    return;
                }
                openRemote(streams.first());
            });
}

void PortalScreenCastRecorder::openRemote(const PortalStream& stream)
{
    if (stream.geometry.isEmpty()) {
        fail(tr("the screen cast portal did not tell where the stream lies."));
        return;
    }
    const QRect placed = devicepixels::toDevice(stream.geometry);
    const QRect area = evenArea(area_ & placed);
    QMargins crop;
    if (!streamCrop(placed, area, &crop)) {
        fail(tr("the region lies outside the screen chosen for the recording."));
        return;
    }
    if (area != area_)
        qInfo() << "recording" << area << "of" << area_ << ": the rest is not on the chosen screen" << placed;

    QDBusMessage open =
        QDBusMessage::createMethodCall(PORTAL_SERVICE, PORTAL_PATH, SCREENCAST_INTERFACE, QStringLiteral("OpenPipeWireRemote"));
    open << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(open, timeoutMs_), this);
    const int generation = generation_;
    const quint32 node = stream.node;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, generation, node, crop](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (generation != generation_ || !done_)
            return;
        QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (reply.isError()) {
            fail(tr("the screen cast portal gave no PipeWire remote: %1").arg(reply.error().message()));
            return;
        }
        remote_ = reply.value();
        if (!remote_.isValid()) {
            fail(tr("the screen cast portal gave no PipeWire remote."));
            return;
        }
        source_.node = node;
        source_.fd = remote_.fileDescriptor();
        source_.crop = crop;
        qInfo() << "the screen cast streams PipeWire node" << node << "through descriptor" << source_.fd;
        succeed();
    });
}

void PortalScreenCastRecorder::onSessionClosed()
{
    if (done_) {
        fail(tr("the desktop closed the screen cast session."));
        return;
    }
    qInfo() << "the desktop closed the screen cast session";
    bus_.disconnect(QString(), session_, SESSION_INTERFACE, QStringLiteral("Closed"), this, SLOT(onSessionClosed()));
    session_.clear();
}

void PortalScreenCastRecorder::succeed()
{
    auto done = std::move(done_);
    done_ = nullptr;
    done(QString());
}

void PortalScreenCastRecorder::fail(const QString& reason)
{
    qWarning().noquote() << "screen cast:" << reason;
    auto done = std::move(done_);
    done_ = nullptr;
    cleanup();
    if (done)
        done(reason);
}

void PortalScreenCastRecorder::cleanup()
{
    ++generation_;
    if (!session_.isEmpty()) {
        bus_.disconnect(QString(), session_, SESSION_INTERFACE, QStringLiteral("Closed"), this, SLOT(onSessionClosed()));
        // nobody waits for the answer: the stream is over either way
        bus_.asyncCall(QDBusMessage::createMethodCall(PORTAL_SERVICE, session_, SESSION_INTERFACE, QStringLiteral("Close")));
        session_.clear();
    }
    // closes our copy of the remote; a capture that ran has its own
    remote_ = QDBusUnixFileDescriptor();
    source_ = GstSource();
    if (done_) {
        // given up before the stream came
        auto done = std::move(done_);
        done_ = nullptr;
        done(tr("the screen cast was stopped before it started."));
    }
}

QVector<int> PortalScreenCastRecorder::inheritedFds() const
{
    if (source_.fd < 0)
        return {};
    return {source_.fd};
}

QStringList PortalScreenCastRecorder::recordArgs(const ffmpeg::Grab& grab, const QString& audioDevice,
                                                 const QString& output) const
{
    if (!audioDevice.isEmpty())
        qInfo() << "sound is not recorded through the screen cast portal";
    return gstRecordArgs(source_, grab.framerate, gstInstalledEncoder(), output);
}

QStringList PortalScreenCastRecorder::gifCaptureArgs(const ffmpeg::Grab& grab, const QString& video) const
{
    return gstRecordArgs(source_, grab.framerate, gstInstalledEncoder(), video);
}
