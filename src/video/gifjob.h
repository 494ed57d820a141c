#pragma once

#include <QDateTime>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QSystemTrayIcon>

#include "video/ffmpegargs.h"

class FfmpegRun;
class QTimer;

// One GIF recording at a time: the screen is captured into a temporary
// video, then a palette pass and a conversion pass follow one after another
// without blocking the event loop. The GIF is announced once it exists;
// a failing pass is reported and ends the chain.
class GifJob : public QObject
{
    Q_OBJECT
public:
    enum class Stage { Idle, Capturing, StoppingCapture, Palette, Converting };
    Q_ENUM(Stage)

    explicit GifJob(QObject* parent = nullptr);
    ~GifJob() override;

    bool begin(const QRect& region, int framerate, int gifRate, const QString& gifFolder, const QString& tempFolder,
               const QDateTime& now = QDateTime::currentDateTime());
    // Stops the capture; the later passes follow on their own.
    void end();
    // Blocking and bounded, for quitting: finishes the capture file.
    bool finishNow();

    // The overlay needs a moment to leave the screen before ffmpeg grabs it.
    void setStartDelay(int ms) { startDelay_ = ms; }

    Stage stage() const { return stage_; }
    bool capturing() const { return stage_ == Stage::Capturing; }
    bool busy() const;
    ffmpeg::GifFiles files() const { return files_; }
    FfmpegRun* run() const { return run_; }

signals:
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information,
                      int msecs = 10000);
    // The capture ended without being asked to (ffmpeg failed).
    void aborted();
    void stageChanged(GifJob::Stage stage);

private:
    void setStage(Stage stage);
    void fail(const QString& reason);
    void onSucceeded();
    void onFailed(const QString& reason);
    bool startPass(Stage stage, const QStringList& args, const QString& input);

    FfmpegRun* run_ = nullptr;
    QTimer* pending_ = nullptr;
    QStringList pendingArgs_;
    int startDelay_ = 0;
    Stage stage_ = Stage::Idle;
    int gifRate_ = 6;
    ffmpeg::GifFiles files_;
};
