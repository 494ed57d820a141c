#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QSystemTrayIcon>

#include <functional>

class FfmpegRun;
class QTimer;

// What the MP4 and the GIF jobs have in common: one watched ffmpeg run, its
// capture started after a short delay, messages for the tray and the news
// that a capture ended by itself.
class RecordJob : public QObject
{
    Q_OBJECT
public:
    explicit RecordJob(QObject* parent = nullptr);
    ~RecordJob() override;

    // Stops the capture; what follows is announced when it is done.
    virtual void end() = 0;
    // Blocking and bounded by budgetMs, for quitting: the take is finished,
    // not lost. True when nothing had to be killed.
    virtual bool finishNow(int budgetMs) = 0;
    // A capture is running or about to start: a stop has something to stop.
    virtual bool capturing() const = 0;

    // The overlay needs a moment to leave the screen before ffmpeg grabs it.
    void setStartDelay(int ms) { startDelay_ = ms; }

    bool busy() const;
    FfmpegRun* run() const { return run_; }

signals:
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information,
                      int msecs = 10000);
    // The capture ended without being asked to (ffmpeg failed or quit).
    void aborted();

protected:
    // Starts the interactive capture run of the region once the start delay
    // has passed and the recorder has its stream; the arguments are made
    // then, as they may name that stream.
    void startCapture(const QRect& region, std::function<QStringList()> makeArgs);
    // Drops a capture that has not started yet; true when there was one.
    bool cancelPendingCapture();
    // Checks what every take needs; false, with the reason, when it cannot be.
    bool checkTake(const QRect& region, int framerate, QString* reason) const;

    virtual void onSucceeded() = 0;
    virtual void onFailed(const QString& reason) = 0;

private:
    FfmpegRun* run_ = nullptr;
    QTimer* pending_ = nullptr;
    void prepareStream();
    void closeStream();

    std::function<QStringList()> pendingArgs_;
    QRect pendingRegion_;
    int startDelay_ = 0;
    // the recorder is setting up its stream; a cancel is honoured when it is done
    bool preparing_ = false;
    bool prepareCancelled_ = false;
    bool streamOpen_ = false;
};

// Makes sure the folder exists; false when it cannot be made.
bool ensureFolder(const QString& folder);
// The whole desktop, where a grab region must lie.
QRect desktopArea();
// The display this program runs on, as ffmpeg's X11 input names it.
QString currentDisplay();
// Removes a file that a failed take left behind; a missing one is fine.
void removeLeftover(const QString& file);
