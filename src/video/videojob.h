#pragma once

#include <QDateTime>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QSystemTrayIcon>

class FfmpegRun;
class QTimer;

// One MP4 recording at a time through ffmpeg. The output is announced only
// once ffmpeg has finished it and it exists; every failure is reported.
class VideoJob : public QObject
{
    Q_OBJECT
public:
    explicit VideoJob(QObject* parent = nullptr);
    ~VideoJob() override;

    // Starts recording the region (desktop pixels) into folder. False, with
    // the reason already reported, when nothing was started.
    bool begin(const QRect& region, int framerate, const QString& audioDevice, const QString& folder,
               const QDateTime& now = QDateTime::currentDateTime());
    // Asks ffmpeg to finish the file; the path follows when it has.
    void end();
    // Blocking and bounded, for quitting: the file is finished, not lost.
    bool finishNow();

    // The overlay needs a moment to leave the screen before ffmpeg grabs it.
    void setStartDelay(int ms) { startDelay_ = ms; }

    bool recording() const { return stage_ == Stage::Recording; }
    bool busy() const;
    QString outputPath() const { return output_; }
    FfmpegRun* run() const { return run_; }

signals:
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information,
                      int msecs = 10000);
    // The recording ended without being asked to (ffmpeg failed).
    void aborted();

private:
    enum class Stage { Idle, Recording, Stopping };

    void fail(const QString& reason);
    void onSucceeded();
    void onFailed(const QString& reason);

    FfmpegRun* run_ = nullptr;
    QTimer* pending_ = nullptr;
    QStringList pendingArgs_;
    int startDelay_ = 0;
    Stage stage_ = Stage::Idle;
    QString output_;
};

// Makes sure the folder exists; false when it cannot be made.
bool ensureFolder(const QString& folder);
// The whole desktop, where a grab region must lie.
QRect desktopArea();
// The display this program runs on, as ffmpeg's X11 input names it.
QString currentDisplay();
