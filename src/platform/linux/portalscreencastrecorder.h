#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QMargins>
#include <QObject>
#include <QRect>
#include <QVector>

#include "platform/linux/gstpipeline.h"
#include "platform/recorderbackend.h"

class PortalRequest;
class QDBusArgument;

// One stream the ScreenCast portal started: its PipeWire node and where it
// sits on the desktop (compositor coordinates; empty when not told).
struct PortalStream
{
    quint32 node = 0;
    QRect geometry;
};

// Recording through the desktop portal's screen cast (KDE Plasma, and any
// desktop whose portal has one): a session with one monitor, its PipeWire
// remote handed over as a descriptor, and GStreamer reading that remote,
// cropped to the region. The user may be asked to choose the monitor, so
// Start gets a long timeout. SIGINT with -e finishes the file.
class PortalScreenCastRecorder : public QObject, public RecorderBackend
{
    Q_OBJECT
public:
    explicit PortalScreenCastRecorder(QObject* parent = nullptr);
    PortalScreenCastRecorder(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PortalScreenCastRecorder() override;

    // For every call but Start.
    void setTimeout(int ms) { timeoutMs_ = ms; }
    // For Start, which may wait for the user.
    void setStartTimeout(int ms) { startTimeoutMs_ = ms; }

    // What prepare() set up; 0, -1 and no crop before and after.
    quint32 node() const { return source_.node; }
    int pipeWireFd() const { return source_.fd; }
    QMargins crop() const { return source_.crop; }

    void prepare(const QRect& region, std::function<void(const QString& reason)> done) override;
    void cleanup() override;
    QVector<int> inheritedFds() const override;

    QString program() const override { return QStringLiteral("gst-launch-1.0"); }
    Stop stop() const override { return Stop::Interrupt; }
    // Sound is not recorded on this path.
    QStringList recordArgs(const ffmpeg::Grab& grab, const QString& audioDevice, const QString& output) const override;
    QStringList gifCaptureArgs(const ffmpeg::Grab& grab, const QString& video) const override;

private slots:
    void onSessionClosed();

private:
    void request(const QString& method, const QVariantList& args, const QVariantMap& options, int timeoutMs,
                 std::function<void(const QVariantMap&)> then);
    void createSession(uint cursorModes);
    void selectSources(uint cursorModes);
    void startSession();
    void openRemote(const PortalStream& stream);
    void fail(const QString& reason);
    void succeed();

    QDBusConnection bus_;
    std::function<void(const QString&)> done_;
    QRect area_;
    QString session_;
    GstSource source_;
    QDBusUnixFileDescriptor remote_;
    int timeoutMs_ = 10000;
    int startTimeoutMs_ = 60000;
    int generation_ = 0;
};

// The streams of Start's "streams" result (a(ua{sv})); empty for anything
// else.
QVector<PortalStream> portalStreams(const QVariant& streams);

// What to cut from the edges of a stream placed at `stream` (device pixels)
// to leave `area`; false when the area does not lie inside it.
bool streamCrop(const QRect& stream, const QRect& area, QMargins* crop);
