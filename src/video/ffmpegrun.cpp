#include "ffmpegrun.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#ifdef __linux__
#include <csignal>
#include <sys/prctl.h>
#endif
#ifdef Q_OS_UNIX
#include <fcntl.h>
#endif

namespace {

// Enough of the error output to find its last lines; the rest is progress.
constexpr int ERR_TAIL_BYTES = 8192;
// Lines of ffmpeg's own words kept in the log when it fails.
constexpr int LOGGED_LINES = 6;

} // namespace

// ffmpeg goes when Klipora goes, even when Klipora is killed: SIGTERM still
// lets it finish its file. A capture may read from descriptors Klipora was
// handed (a portal's PipeWire remote): those stay open across exec.
class FfmpegRun::ChildProcess : public QProcess
{
public:
    using QProcess::QProcess;

    QVector<int> inherited;

protected:
    void setupChildProcess() override
    {
#ifdef __linux__
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
#ifdef Q_OS_UNIX
        // between fork and exec: only async-signal-safe calls
        for (const int fd : qAsConst(inherited)) {
            const int flags = ::fcntl(fd, F_GETFD);
            if (flags >= 0)
                ::fcntl(fd, F_SETFD, flags & ~FD_CLOEXEC);
        }
#endif
    }
};

namespace {

QStringList splitLines(const QByteArray& tail)
{
    // Progress lines end in "\r", messages in "\n": either ends a line.
    QByteArray text = tail;
    text.replace('\r', '\n');
    QStringList lines;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines << QString::fromLocal8Bit(trimmed);
    }
    return lines;
}

} // namespace

int lastReportedFrame(const QByteArray& errorOutput)
{
    const int at = errorOutput.lastIndexOf("frame=");
    if (at < 0)
        return -1;
    int i = at + 6;
    while (i < errorOutput.size() && errorOutput.at(i) == ' ')
        ++i;
    int value = 0;
    int digits = 0;
    while (i < errorOutput.size() && errorOutput.at(i) >= '0' && errorOutput.at(i) <= '9' && digits < 9) {
        value = value * 10 + (errorOutput.at(i) - '0');
        ++i;
        ++digits;
    }
    return digits > 0 ? value : -1;
}

QString explainFfmpegFailure(int exitCode, const QStringList& lastLines)
{
    const QString text = lastLines.join(QLatin1Char('\n'));
    const auto has = [&text](const char* what) { return text.contains(QLatin1String(what), Qt::CaseInsensitive); };
    const auto say = [](const char* s) { return QCoreApplication::translate("FfmpegRun", s); };
    if (has("Cannot open display") || has("Can't open display"))
        return say(QT_TRANSLATE_NOOP("FfmpegRun", "ffmpeg cannot open the display."));
    if (has("outside the screen"))
        return say(QT_TRANSLATE_NOOP("FfmpegRun", "the region lies outside the screen."));
    if (has("No space left"))
        return say(QT_TRANSLATE_NOOP("FfmpegRun", "the disk is full."));
    if (has("Permission denied"))
        return say(QT_TRANSLATE_NOOP("FfmpegRun", "the output folder may not be written."));
    if (has("already exists"))
        return say(QT_TRANSLATE_NOOP("FfmpegRun", "a file of that name already exists."));
    if (has("[pulse") || has("Connection refused"))
        return say(QT_TRANSLATE_NOOP("FfmpegRun", "the sound source cannot be opened."));
    if (has("No such file or directory"))
        return say(QT_TRANSLATE_NOOP("FfmpegRun", "a file or folder that ffmpeg needs does not exist."));
    if (has("Invalid argument") || has("Invalid") || has("not supported"))
        return say(QT_TRANSLATE_NOOP("FfmpegRun", "ffmpeg refused the recording settings (frame rate or region)."));
    return say(QT_TRANSLATE_NOOP("FfmpegRun", "ffmpeg stopped with an error (exit code %1); its last lines are in the log.")).arg(exitCode);
}

FfmpegRun::FfmpegRun(QObject* parent)
    : QObject(parent)
    , process_(new ChildProcess(this))
    , hold_(new QTimer(this))
    , grace_(new QTimer(this))
    , term_(new QTimer(this))
{
    for (QTimer* t : {hold_, grace_, term_})
        t->setSingleShot(true);
    process_->setStandardOutputFile(QProcess::nullDevice());
    // so that the blocking waits wake up for error output
    process_->setReadChannel(QProcess::StandardError);
    connect(hold_, &QTimer::timeout, this, &FfmpegRun::sendQuit);
    connect(grace_, &QTimer::timeout, this, &FfmpegRun::terminate);
    connect(term_, &QTimer::timeout, this, &FfmpegRun::kill);
    connect(process_, &QProcess::started, this, &FfmpegRun::started);
    connect(process_, &QProcess::readyReadStandardError, this, &FfmpegRun::readErrors);
    connect(process_, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus status) { onFinished(code, int(status)); });
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) { onError(int(e)); });
}

FfmpegRun::~FfmpegRun()
{
    // Destroying a running QProcess would SIGKILL it and leave a broken file.
    if (busy()) {
        // Our owner is already half gone: nobody is left to tell.
        blockSignals(true);
        finishNow(8000);
    }
}

bool FfmpegRun::busy() const
{
    return process_->state() != QProcess::NotRunning;
}

bool FfmpegRun::start(const QStringList& args, bool interactive)
{
    if (busy())
        return false;
    args_ = args;
    interactive_ = interactive;
    errTail_.clear();
    frames_ = 0;
    stopRequested_ = quitSent_ = terminated_ = killed_ = reported_ = startFailed_ = false;
    for (QTimer* t : {hold_, grace_, term_})
        t->stop();
    const QString command = interactive ? captureProgram_ : program();
    // a pass reads files, never the capture's stream
    process_->inherited = interactive ? inheritedFds_ : QVector<int>();
    qInfo().noquote() << command << args.join(QLatin1Char(' '));
    process_->start(command, args, QIODevice::ReadWrite);
    if (!interactive)
        process_->closeWriteChannel();
    return true;
}

void FfmpegRun::requestStop()
{
    if (!busy() || stopRequested_)
        return;
    stopRequested_ = true;
    if (!interactive_) {
        terminate();
        return;
    }
    // "q" before the first frame ends the run with an empty file
    if (frames_ > 0 || interrupt_)
        sendQuit();
    else
        hold_->start(times_.holdMs);
}

void FfmpegRun::sendQuit()
{
    hold_->stop();
    if (!busy() || quitSent_)
        return;
    quitSent_ = true;
    if (interrupt_) {
#ifdef __linux__
        if (process_->processId() > 0)
            ::kill(pid_t(process_->processId()), SIGINT);
#endif
    } else {
        process_->write("q\n\r");
    }
    grace_->start(times_.qGraceMs);
}

void FfmpegRun::terminate()
{
    if (!busy() || terminated_)
        return;
    qWarning() << "ffmpeg did not finish after \"q\"; sending SIGTERM";
    terminated_ = true;
    process_->terminate();
    term_->start(times_.termGraceMs);
}

void FfmpegRun::kill()
{
    if (!busy())
        return;
    qCritical() << "ffmpeg ignored \"q\" and SIGTERM; killing it";
    killed_ = true;
    process_->kill();
}

bool FfmpegRun::finishNow(int budgetMs)
{
    if (!busy())
        return true;
    QElapsedTimer clock;
    clock.start();
    const auto left = [&clock, budgetMs] { return int(qMax<qint64>(0, budgetMs - clock.elapsed())); };
    if (process_->state() == QProcess::Starting)
        process_->waitForStarted(qMin(left(), 3000));
    stopRequested_ = true;
    hold_->stop();
    if (interactive_ && !quitSent_) {
        // a moment for the first frame, so that the file is not empty
        QElapsedTimer held;
        held.start();
        while (busy() && !interrupt_ && frames_ <= 0 && held.elapsed() < qMin(1500, budgetMs / 6))
            process_->waitForReadyRead(100);
        sendQuit();
        process_->waitForBytesWritten(200);
    }
    grace_->stop();
    if (interactive_ && !terminated_ && process_->waitForFinished(qMin(left(), budgetMs / 2)))
        return true;
    if (!busy())
        return true;
    terminate();
    term_->stop();
    if (process_->waitForFinished(qMax(100, left() - 800)))
        return true;
    kill();
    process_->waitForFinished(qMax(100, left()));
    return false;
}

void FfmpegRun::setCaptureProgram(const QString& program, bool interrupt)
{
    captureProgram_ = program;
    interrupt_ = interrupt;
}

void FfmpegRun::setInheritedFds(const QVector<int>& fds)
{
    inheritedFds_ = fds;
}

bool FfmpegRun::runToEnd(const QStringList& args, int budgetMs)
{
    if (!start(args, false))
        return false;
    return waitPass(budgetMs);
}

bool FfmpegRun::waitPass(int budgetMs)
{
    if (busy() && !process_->waitForFinished(qMax(1, budgetMs))) {
        qWarning() << "ffmpeg pass did not end within" << budgetMs << "ms; stopping it";
        killed_ = true;
        process_->kill();
        process_->waitForFinished(1000);
        return false;
    }
    return !startFailed_ && process_->exitStatus() == QProcess::NormalExit && process_->exitCode() == 0;
}

void FfmpegRun::readErrors()
{
    const QByteArray chunk = process_->readAllStandardError();
    errTail_ += chunk;
    if (errTail_.size() > ERR_TAIL_BYTES)
        errTail_ = errTail_.right(ERR_TAIL_BYTES);
    const int frame = lastReportedFrame(chunk);
    if (frame > frames_) {
        const bool first = frames_ <= 0;
        frames_ = frame;
        if (first) {
            emit grabbing();
            if (stopRequested_ && interactive_)
                sendQuit();
        }
    }
}

QStringList FfmpegRun::lastErrorLines(int count) const
{
    const QStringList lines = splitLines(errTail_);
    return lines.mid(qMax(0, lines.size() - count));
}

QString FfmpegRun::lastErrorLine() const
{
    const QStringList lines = lastErrorLines(1);
    return lines.isEmpty() ? QString() : lines.first();
}

void FfmpegRun::logTail(const char* what) const
{
    qWarning().noquote() << what << "; ffmpeg's last lines:";
    for (const QString& line : lastErrorLines(LOGGED_LINES))
        qWarning().noquote() << "  " << line;
}

void FfmpegRun::onError(int error)
{
    // Everything but a failed start also ends in finished().
    if (error != QProcess::FailedToStart || reported_)
        return;
    reported_ = true;
    startFailed_ = true;
    for (QTimer* t : {hold_, grace_, term_})
        t->stop();
    qWarning().noquote() << "ffmpeg could not be started:" << process_->errorString();
    emit failed(tr("ffmpeg could not be started. Is it installed?"));
}

void FfmpegRun::onFinished(int exitCode, int exitStatus)
{
    readErrors();
    for (QTimer* t : {hold_, grace_, term_})
        t->stop();
    if (reported_)
        return;
    reported_ = true;
    if (killed_) {
        logTail("ffmpeg was killed");
        emit failed(tr("ffmpeg did not stop and had to be killed."));
    } else if (terminated_) {
        // SIGTERM lets ffmpeg write its trailer: the caller judges the file
        logTail("ffmpeg ended on SIGTERM");
        emit succeeded();
    } else if (exitStatus != QProcess::NormalExit) {
        logTail("ffmpeg crashed");
        emit failed(tr("ffmpeg stopped unexpectedly."));
    } else if (exitCode != 0) {
        logTail("ffmpeg failed");
        emit failed(explainFfmpegFailure(exitCode, lastErrorLines(LOGGED_LINES)));
    } else {
        emit succeeded();
    }
}
