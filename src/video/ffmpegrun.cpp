#include "ffmpegrun.h"

#include <QDebug>
#include <QProcess>
#include <QTimer>

namespace {

// Enough of the error output to find its last line; the rest is progress.
constexpr int ERR_TAIL_BYTES = 8192;
// After SIGTERM ffmpeg still writes its trailer; give it this long.
constexpr int TERM_WAIT_MS = 5000;

} // namespace

FfmpegRun::FfmpegRun(QObject* parent)
    : QObject(parent)
    , process_(new QProcess(this))
    , grace_(new QTimer(this))
{
    grace_->setSingleShot(true);
    process_->setStandardOutputFile(QProcess::nullDevice());
    connect(grace_, &QTimer::timeout, this, &FfmpegRun::terminate);
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
        finishNow();
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
    terminated_ = false;
    reported_ = false;
    grace_->stop();
    qInfo().noquote() << program() << args.join(QLatin1Char(' '));
    process_->start(program(), args, QIODevice::ReadWrite);
    if (!interactive)
        process_->closeWriteChannel();
    return true;
}

void FfmpegRun::requestStop(int graceMs)
{
    if (!busy() || grace_->isActive())
        return;
    process_->write("q\n\r");
    grace_->start(graceMs);
}

bool FfmpegRun::finishNow(int graceMs)
{
    if (!busy())
        return true;
    if (process_->state() == QProcess::Starting)
        process_->waitForStarted(graceMs);
    // A capture is told to finish; a conversion pass is left to complete.
    if (interactive_) {
        process_->write("q\n\r");
        process_->waitForBytesWritten(1000);
    }
    if (process_->waitForFinished(graceMs))
        return true;
    terminate();
    return process_->waitForFinished(TERM_WAIT_MS);
}

void FfmpegRun::terminate()
{
    if (!busy())
        return;
    qWarning() << "ffmpeg did not finish after \"q\"; sending SIGTERM";
    terminated_ = true;
    process_->terminate();
}

void FfmpegRun::readErrors()
{
    errTail_ += process_->readAllStandardError();
    if (errTail_.size() > ERR_TAIL_BYTES)
        errTail_ = errTail_.right(ERR_TAIL_BYTES);
}

QString FfmpegRun::lastErrorLine() const
{
    // Progress lines end in "\r", messages in "\n": either ends a line.
    QByteArray text = errTail_;
    text.replace('\r', '\n');
    const QList<QByteArray> lines = text.split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QByteArray line = it->trimmed();
        if (!line.isEmpty())
            return QString::fromLocal8Bit(line);
    }
    return QString();
}

void FfmpegRun::onError(int error)
{
    // Everything but a failed start also ends in finished().
    if (error != QProcess::FailedToStart || reported_)
        return;
    reported_ = true;
    grace_->stop();
    emit failed(tr("Could not start ffmpeg (%1). Is it installed and on the PATH?").arg(process_->errorString()));
}

void FfmpegRun::onFinished(int exitCode, int exitStatus)
{
    readErrors();
    grace_->stop();
    if (reported_)
        return;
    reported_ = true;
    const QString last = lastErrorLine();
    if (terminated_) {
        emit failed(tr("ffmpeg did not stop in time and was terminated: %1").arg(last));
    } else if (exitStatus != QProcess::NormalExit) {
        emit failed(tr("ffmpeg stopped unexpectedly: %1").arg(last));
    } else if (exitCode != 0) {
        emit failed(tr("ffmpeg failed with exit code %1: %2").arg(exitCode).arg(last));
    } else {
        emit succeeded();
    }
}
