#pragma once

#include <QDBusConnection>
#include <QObject>

#include "platform/linux/gstpipeline.h"
#include "platform/recorderbackend.h"

class QTimer;

// GNOME's own screen cast: Mutter records an area into a PipeWire stream,
// GStreamer encodes the stream into the MP4. Mutter sends frames only when
// the screen changes, so the pipeline repeats the last one to keep a steady
// rate; SIGINT with -e gives GStreamer its end of stream, which finishes the
// file.
class MutterRecorder : public QObject, public RecorderBackend
{
    Q_OBJECT
public:
    explicit MutterRecorder(QObject* parent = nullptr);
    MutterRecorder(const QDBusConnection& bus, QObject* parent = nullptr);
    ~MutterRecorder() override;

    void setTimeout(int ms) { timeoutMs_ = ms; }
    // The stream prepare() was handed, 0 before.
    quint32 node() const { return node_; }

    void prepare(const QRect& region, std::function<void(const QString& reason)> done) override;
    void cleanup() override;

    QString program() const override { return QStringLiteral("gst-launch-1.0"); }
    Stop stop() const override { return Stop::Interrupt; }
    // Sound is not recorded on this path.
    QStringList recordArgs(const ffmpeg::Grab& grab, const QString& audioDevice, const QString& output) const override;
    QStringList gifCaptureArgs(const ffmpeg::Grab& grab, const QString& video) const override;

private slots:
    void onStreamAdded(uint node);
    void onSessionClosed();

private:
    void call(const QString& path, const QString& interface, const QString& method, const QVariantList& args,
              std::function<void(const QDBusMessage&)> then);
    void fail(const QString& reason);
    void succeed();

    QDBusConnection bus_;
    QTimer* timer_ = nullptr;
    std::function<void(const QString&)> done_;
    QString session_;
    QString stream_;
    quint32 node_ = 0;
    int timeoutMs_ = 10000;
    int generation_ = 0;
};
