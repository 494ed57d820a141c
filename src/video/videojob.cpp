#include "videojob.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include "platform/recorderbackend.h"
#include "platform/services.h"
#include "video/ffmpegargs.h"
#include "video/ffmpegrun.h"
#include "video/mediacheck.h"

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
    finishNow(8000);
}

void VideoJob::fail(const QString& reason)
{
    emit SHOW_MESSAGE(TITLE, tr("Recording failed: %1").arg(reason), QSystemTrayIcon::Critical, 10000);
}

void VideoJob::tooShort()
{
    emit SHOW_MESSAGE(TITLE, tr("The recording was too short to hold a frame; nothing was saved."),
                      QSystemTrayIcon::Warning, 10000);
}

bool VideoJob::begin(const QRect& region, int framerate, const QString& audioDevice, const QString& folder,
                     const QDateTime& now)
{
    if (busy() || stage_ != Stage::Idle) {
        fail(tr("ffmpeg is still finishing the previous file. Try again in a moment."));
        return false;
    }
    QString reason;
    if (!checkTake(region, framerate, &reason)) {
        fail(reason);
        return false;
    }
    if (!ensureFolder(folder)) {
        fail(tr("the folder %1 cannot be created or written.").arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    output_ = ffmpeg::outputFile(folder, QStringLiteral("Klipora_video_"), ffmpeg::timeStamp(now),
                                 QStringLiteral(".mp4"));
    if (QFileInfo::exists(output_)) {
        fail(tr("%1 already exists.").arg(QDir::toNativeSeparators(output_)));
        return false;
    }
    audioDevice_ = audioDevice;
    grab_ = ffmpeg::Grab{region, framerate, currentDisplay()};
    stage_ = Stage::Recording;
    startCapture(region, [this, audioDevice] {
        return platform::recorderBackend().recordArgs(grab_, audioDevice, output_);
    });
    return true;
}

void VideoJob::end()
{
    if (stage_ != Stage::Recording)
        return;
    if (cancelPendingCapture()) {
        // stopped before ffmpeg was even started: nothing was recorded
        stage_ = Stage::Idle;
        tooShort();
        return;
    }
    stage_ = Stage::Stopping;
    run()->requestStop();
}

bool VideoJob::finishNow(int budgetMs)
{
    if (cancelPendingCapture())
        stage_ = Stage::Idle;
    if (!run()->busy())
        return true;
    if (stage_ == Stage::Recording)
        stage_ = Stage::Stopping;
    return run()->finishNow(budgetMs);
}

void VideoJob::onSucceeded()
{
    const bool wasRecording = stage_ == Stage::Recording;
    stage_ = Stage::Idle;
    if (media::mp4HasTrack(output_)) {
        emit SHOW_MESSAGE(TITLE, QCoreApplication::translate("ScreenRecorder", "Path: ") + output_,
                          QSystemTrayIcon::Information, 10000);
    } else {
        removeLeftover(output_);
        if (run()->frames() <= 0)
            tooShort();
        else
            fail(tr("ffmpeg ended without finishing the file."));
    }
    if (wasRecording)
        emit aborted();
}

void VideoJob::onFailed(const QString& reason)
{
    const bool wasRecording = stage_ == Stage::Recording;
    // A sound source that cannot be opened costs the sound, not the take.
    const QString said = run()->lastErrorLines(6).join(QLatin1Char('\n'));
    const bool soundFailed = !audioDevice_.isEmpty()
        && (said.contains(QLatin1String("pulse")) || said.contains(QLatin1String("dshow")) || said.contains(audioDevice_));
    if (wasRecording && soundFailed && run()->frames() <= 0 && !run()->wasKilled()) {
        const QString source = audioDevice_;
        audioDevice_.clear();
        removeLeftover(output_);
        emit SHOW_MESSAGE(TITLE, tr("The sound source %1 cannot be recorded; recording without sound.").arg(source),
                          QSystemTrayIcon::Warning, 10000);
        startCapture(grab_.region,
                     [this] { return platform::recorderBackend().recordArgs(grab_, QString(), output_); });
        return;
    }
    stage_ = Stage::Idle;
    if (run()->wasKilled()) {
        // what is there may still be rescued by a repair tool: keep it
        emit SHOW_MESSAGE(TITLE,
                          tr("Recording failed: %1 The file %2 may be unplayable.")
                              .arg(reason, QDir::toNativeSeparators(output_)),
                          QSystemTrayIcon::Critical, 10000);
    } else {
        removeLeftover(output_);
        fail(reason);
    }
    if (wasRecording)
        emit aborted();
}
