#include "videojob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "video/ffmpegargs.h"
#include "video/ffmpegrun.h"

namespace {

const QString TITLE = QStringLiteral("Klipora<VIDEO>");

} // namespace

VideoJob::VideoJob(QObject* parent)
    : RecordJob(parent)
{
}

VideoJob::~VideoJob()
{
    blockSignals(true);
    finishNow();
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
    startCapture(args);
    return true;
}

void VideoJob::end()
{
    if (stage_ != Stage::Recording)
        return;
    if (cancelPendingCapture()) {
        // stopped before ffmpeg was even started: nothing was recorded
        stage_ = Stage::Idle;
        return;
    }
    stage_ = Stage::Stopping;
    run()->requestStop();
}

bool VideoJob::finishNow()
{
    if (cancelPendingCapture())
        stage_ = Stage::Idle;
    if (!run()->busy())
        return true;
    if (stage_ == Stage::Recording)
        stage_ = Stage::Stopping;
    return run()->finishNow();
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
        fail(tr("ffmpeg ended but wrote no file: %1").arg(run()->lastErrorLine()));
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
