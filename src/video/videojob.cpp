#include "videojob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "core/displayinfo.h"
#include "video/ffmpegargs.h"
#include "video/ffmpegrun.h"

namespace {

const QString TITLE = QStringLiteral("Klipora<VIDEO>");

} // namespace

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

VideoJob::VideoJob(QObject* parent)
    : QObject(parent)
    , run_(new FfmpegRun(this))
    , pending_(new QTimer(this))
{
    pending_->setSingleShot(true);
    connect(pending_, &QTimer::timeout, this, [this] { run_->start(pendingArgs_, true); });
    connect(run_, &FfmpegRun::succeeded, this, &VideoJob::onSucceeded);
    connect(run_, &FfmpegRun::failed, this, &VideoJob::onFailed);
}

VideoJob::~VideoJob()
{
    blockSignals(true);
    finishNow();
}

bool VideoJob::busy() const
{
    return run_->busy() || pending_->isActive();
}

void VideoJob::fail(const QString& reason)
{
    emit SHOW_MESSAGE(TITLE, tr("Recording failed: %1").arg(reason), QSystemTrayIcon::Critical, 10000);
}

bool VideoJob::begin(const QRect& region, int framerate, const QString& audioDevice, const QString& folder,
                     const QDateTime& now)
{
    if (busy()) {
        fail(tr("ffmpeg is still finishing the previous file. Try again in a moment."));
        return false;
    }
    if (!desktopArea().contains(region)) {
        fail(tr("the region %1x%2 at %3, %4 lies partly outside the screen.")
                 .arg(region.width())
                 .arg(region.height())
                 .arg(region.x())
                 .arg(region.y()));
        return false;
    }
    if (!ensureFolder(folder)) {
        fail(tr("the folder %1 cannot be created or written.").arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    output_ = ffmpeg::outputFile(folder, QStringLiteral("Klipora_video_"), ffmpeg::timeStamp(now),
                                 QStringLiteral(".mp4"));
    const ffmpeg::Grab grab{region, framerate, currentDisplay()};
    const QStringList args = ffmpeg::recordArgs(ffmpeg::hostPlatform(), grab, audioDevice, output_);
    stage_ = Stage::Recording;
    pendingArgs_ = args;
    pending_->start(startDelay_);
    return true;
}

void VideoJob::end()
{
    if (stage_ != Stage::Recording)
        return;
    if (pending_->isActive()) {
        // stopped before ffmpeg was even started: nothing was recorded
        pending_->stop();
        stage_ = Stage::Idle;
        return;
    }
    stage_ = Stage::Stopping;
    run_->requestStop();
}

bool VideoJob::finishNow()
{
    if (pending_->isActive()) {
        pending_->stop();
        stage_ = Stage::Idle;
    }
    if (!run_->busy())
        return true;
    if (stage_ == Stage::Recording)
        stage_ = Stage::Stopping;
    return run_->finishNow();
}

void VideoJob::onSucceeded()
{
    const bool wasRecording = stage_ == Stage::Recording;
    stage_ = Stage::Idle;
    const QFileInfo file(output_);
    if (file.exists() && file.size() > 0) {
        emit SHOW_MESSAGE(TITLE, QCoreApplication::translate("ScreenRecorder", "Path: ") + output_,
                          QSystemTrayIcon::Information, 10000);
    } else {
        fail(tr("ffmpeg ended but wrote no file: %1").arg(run_->lastErrorLine()));
    }
    if (wasRecording)
        emit aborted();
}

void VideoJob::onFailed(const QString& reason)
{
    const bool wasRecording = stage_ == Stage::Recording;
    stage_ = Stage::Idle;
    fail(reason);
    if (wasRecording)
        emit aborted();
}
