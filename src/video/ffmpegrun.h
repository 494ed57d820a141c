#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QVector>

class QProcess;
class QTimer;

// One ffmpeg process at a time, watched: a start failure, a crash or a
// non-zero exit is reported with a short sentence naming the cause, and
// ffmpeg's last lines go to the log. A running capture is stopped the way
// that keeps its file playable: "q" once the first frame is out, then
// SIGTERM; SIGKILL only for an ffmpeg that ignores both.
class FfmpegRun : public QObject
{
    Q_OBJECT
public:
    // How long a stop may take: "q" is held until the first frame is out for
    // at most holdMs, ffmpeg gets qGraceMs to finish after "q" and termGraceMs
    // after SIGTERM.
    struct StopTimes
    {
        int holdMs = 10000;
        int qGraceMs = 15000;
        int termGraceMs = 5000;
    };

    explicit FfmpegRun(QObject* parent = nullptr);
    ~FfmpegRun() override;

    // Still running, or still finishing the previous file.
    bool busy() const;
    // Starts ffmpeg with these arguments. An interactive run keeps its input
    // open for "q"; the others get end-of-input at once, so a prompt can
    // never hang them. False when a previous run is still busy.
    bool start(const QStringList& args, bool interactive);
    // Asks ffmpeg to finish its file without waiting; escalates on its own.
    void requestStop();
    // Blocking and bounded, for shutting down: the capture is asked to
    // finish, then terminated, then killed, all within budgetMs; a pass is
    // given the budget and then killed. True when ffmpeg ended on its own
    // or on "q" or SIGTERM, false when it had to be killed.
    bool finishNow(int budgetMs);
    // Blocking: runs a non-interactive pass to its end within budgetMs.
    // True when it ended with exit code 0; a pass over time is killed.
    bool runToEnd(const QStringList& args, int budgetMs);
    // Blocking: waits for the pass that is running, as runToEnd does.
    bool waitPass(int budgetMs);

    void setStopTimes(const StopTimes& times) { times_ = times; }
    StopTimes stopTimes() const { return times_; }

    // Frames ffmpeg has reported so far in this run.
    int frames() const { return frames_; }
    bool stopRequested() const { return stopRequested_; }
    // The last run had to be killed: its file is likely unplayable.
    bool wasKilled() const { return killed_; }

    QString lastErrorLine() const;
    QStringList lastErrorLines(int count) const;
    QStringList arguments() const { return args_; }

    static QString program() { return QStringLiteral("ffmpeg"); }
    // The program interactive runs (captures) start; passes always run
    // ffmpeg. With interrupt, a capture is stopped with SIGINT instead of "q"
    // and without waiting for a first frame: such a program reports none.
    void setCaptureProgram(const QString& program, bool interrupt);
    // Descriptors of ours that the next captures read from: they are left
    // open in the child; passes never get them.
    void setInheritedFds(const QVector<int>& fds);

signals:
    void started();
    // The first frame is out: from now on a stop gives a file with frames.
    void grabbing();
    void succeeded();
    void failed(const QString& reason);

private:
    void onFinished(int exitCode, int exitStatus);
    void onError(int error);
    void readErrors();
    void sendQuit();
    void terminate();
    void kill();
    void logTail(const char* what) const;

    class ChildProcess;
    ChildProcess* process_ = nullptr;
    QTimer* hold_ = nullptr;
    QTimer* grace_ = nullptr;
    QTimer* term_ = nullptr;
    QStringList args_;
    QString captureProgram_ = program();
    bool interrupt_ = false;
    QVector<int> inheritedFds_;
    QByteArray errTail_;
    StopTimes times_;
    int frames_ = 0;
    bool interactive_ = false;
    bool stopRequested_ = false;
    bool quitSent_ = false;
    bool terminated_ = false;
    bool killed_ = false;
    bool reported_ = false;
    bool startFailed_ = false;
};

// The frame count of the last progress line ("frame=  42 fps=...") in
// ffmpeg's error output; -1 when there is none.
int lastReportedFrame(const QByteArray& errorOutput);

// A short sentence for the user naming why ffmpeg failed, from its exit code
// and last lines.
QString explainFfmpegFailure(int exitCode, const QStringList& lastLines);
