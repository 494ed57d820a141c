#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class QProcess;
class QTimer;

// One ffmpeg process at a time, watched: a start failure, a crash or a
// non-zero exit is reported with the last line ffmpeg wrote to its error
// output. A running ffmpeg is only ever stopped the way that keeps its file
// playable: "q" on its input, then SIGTERM; never SIGKILL.
class FfmpegRun : public QObject
{
    Q_OBJECT
public:
    explicit FfmpegRun(QObject* parent = nullptr);
    ~FfmpegRun() override;

    // Still running, or still finishing the previous file.
    bool busy() const;
    // Starts ffmpeg with these arguments. An interactive run keeps its input
    // open for "q"; the others get end-of-input at once, so a prompt can
    // never hang them. False when a previous run is still busy.
    bool start(const QStringList& args, bool interactive);
    // Asks ffmpeg to finish its file; terminated if it has not after graceMs.
    void requestStop(int graceMs = 5000);
    // Blocking, bounded version for shutting down. True when ffmpeg ended.
    bool finishNow(int graceMs = 5000);

    QString lastErrorLine() const;
    QStringList arguments() const { return args_; }

    static QString program() { return QStringLiteral("ffmpeg"); }

signals:
    void started();
    void succeeded();
    void failed(const QString& reason);

private:
    void onFinished(int exitCode, int exitStatus);
    void onError(int error);
    void readErrors();
    void terminate();

    QProcess* process_ = nullptr;
    QTimer* grace_ = nullptr;
    QStringList args_;
    QByteArray errTail_;
    bool interactive_ = false;
    bool terminated_ = false;
    bool reported_ = false;
};
