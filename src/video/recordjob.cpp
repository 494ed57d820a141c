#include "recordjob.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "core/displayinfo.h"
#include "video/ffmpegrun.h"

bool ensureFolder(const QString& folder)
{
    return !folder.isEmpty() && QDir().mkpath(folder) && QFileInfo(folder).isWritable();
}

QRect desktopArea()
{
    DisplayInfo::instance(); // starts tracking the screens on first use
    return QRect(QPoint(0, 0), DisplayInfo::maxSize());
}

QString currentDisplay()
{
    const QString display = qEnvironmentVariable("DISPLAY");
    return display.isEmpty() ? QStringLiteral(":0") : display;
}

RecordJob::RecordJob(QObject* parent)
    : QObject(parent)
    , run_(new FfmpegRun(this))
    , pending_(new QTimer(this))
{
    pending_->setSingleShot(true);
    connect(pending_, &QTimer::timeout, this, [this] { run_->start(pendingArgs_, true); });
    connect(run_, &FfmpegRun::succeeded, this, [this] { onSucceeded(); });
    connect(run_, &FfmpegRun::failed, this, [this](const QString& reason) { onFailed(reason); });
}

bool RecordJob::busy() const
{
    return run_->busy() || pending_->isActive();
}

void RecordJob::startCapture(const QStringList& args)
{
    pendingArgs_ = args;
    pending_->start(startDelay_);
}

bool RecordJob::cancelPendingCapture()
{
    if (!pending_->isActive())
        return false;
    pending_->stop();
    return true;
}
