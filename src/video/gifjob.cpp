#include "gifjob.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/recorderbackend.h"
#include "platform/services.h"
#include "video/ffmpegrun.h"
#include "video/mediacheck.h"

namespace {

const QString TITLE = QStringLiteral("Klipora<GIF>");

} // namespace

GifJob::GifJob(QObject* parent)
    : RecordJob(parent)
{
}

GifJob::~GifJob()
{
    blockSignals(true);
    finishNow(8000);
}

void GifJob::setStage(Stage stage)
{
    if (stage_ == stage)
        return;
    stage_ = stage;
    emit stageChanged(stage);
}

void GifJob::fail(const QString& reason)
{
    emit SHOW_MESSAGE(TITLE, reason, QSystemTrayIcon::Critical, 10000);
}

QString GifJob::keptVideoPath() const
{
    return stamp_.isEmpty() ? QString()
                            : ffmpeg::outputFile(gifFolder_, QStringLiteral("Klipora_gif_"), stamp_,
                                                 QStringLiteral(".mp4"));
}

bool GifJob::begin(const QRect& region, int framerate, int gifRate, const QString& gifFolder,
                   const QString& tempFolder, const QDateTime& now)
{
    if (busy() || stage_ != Stage::Idle) {
        fail(tr("GIF recording failed: ffmpeg is still busy with the previous GIF. Try again in a moment."));
        return false;
    }
    QString reason;
    if (!checkTake(region, framerate, &reason)) {
        fail(tr("GIF recording failed: %1").arg(reason));
        return false;
    }
    if (gifRate < 1) {
        fail(tr("GIF recording failed: the GIF frame rate %1 is not usable.").arg(gifRate));
        return false;
    }
    for (const QString& folder : {gifFolder, tempFolder}) {
        if (!ensureFolder(folder)) {
            fail(tr("GIF recording failed: the folder %1 cannot be created or written.")
                     .arg(QDir::toNativeSeparators(folder)));
            return false;
        }
    }
    // a folder of our own, not guessable names in a shared one
    work_ = std::make_unique<QTemporaryDir>(QDir(tempFolder).filePath(QStringLiteral("klipora-gif-XXXXXX")));
    if (!work_->isValid()) {
        work_.reset();
        fail(tr("GIF recording failed: the folder %1 cannot be created or written.")
                 .arg(QDir::toNativeSeparators(tempFolder)));
        return false;
    }
    gifRate_ = gifRate;
    gifFolder_ = gifFolder;
    stamp_ = ffmpeg::timeStamp(now);
    files_ = ffmpeg::gifFiles(gifFolder, work_->path(), stamp_);
    const ffmpeg::Grab grab{region, framerate, currentDisplay()};
    setStage(Stage::Capturing);
    startCapture(region, [this, grab] { return platform::recorderBackend().gifCaptureArgs(grab, files_.video); });
    return true;
}

void GifJob::end()
{
    if (stage_ != Stage::Capturing)
        return;
    if (cancelPendingCapture()) {
        // stopped before ffmpeg was even started: nothing was captured
        setStage(Stage::Idle);
        clearWork();
        emit SHOW_MESSAGE(TITLE, tr("The recording was too short to hold a frame; nothing was saved."),
                          QSystemTrayIcon::Warning, 10000);
        return;
    }
    setStage(Stage::StoppingCapture);
    run()->requestStop();
}

void GifJob::clearWork()
{
    if (work_ && keepWork_)
        work_->setAutoRemove(false);
    else if (work_)
        work_->remove();
    work_.reset();
    keepWork_ = false;
}

QString GifJob::keepVideo()
{
    if (!media::mp4HasTrack(files_.video))
        return QString();
    const QString kept = keptVideoPath();
    // the temporary folder may be on another file system: rename, else copy
    if (!QFile::rename(files_.video, kept) && !QFile::copy(files_.video, kept)) {
        qWarning().noquote() << "cannot keep" << files_.video << "as" << kept;
        keepWork_ = true; // the user's take stays where it is
        return files_.video;
    }
    return kept;
}

bool GifJob::finishNow(int budgetMs)
{
    if (cancelPendingCapture()) {
        setStage(Stage::Idle);
        clearWork();
    }
    if (stage_ == Stage::Idle)
        return true;
    QElapsedTimer clock;
    clock.start();
    const auto left = [&clock, budgetMs] { return int(qMax<qint64>(100, budgetMs - clock.elapsed())); };
    // Quitting: the chain runs here, blocking and bounded, instead of from
    // the event loop.
    run()->blockSignals(true);
    bool ok = true;
    if (stage_ == Stage::Capturing || stage_ == Stage::StoppingCapture) {
        ok = run()->finishNow(budgetMs / 2) && media::mp4HasTrack(files_.video);
        if (ok)
            ok = run()->runToEnd(ffmpeg::paletteArgs(files_.video, gifRate_, files_.palette), left());
    } else if (stage_ == Stage::Palette) {
        // the pass may still be waiting for its turn of the event loop
        ok = run()->busy() ? run()->waitPass(left())
                           : run()->runToEnd(ffmpeg::paletteArgs(files_.video, gifRate_, files_.palette), left());
    }
    const QStringList convert = ffmpeg::paletteUseArgs(files_.video, files_.palette, gifRate_, files_.gif);
    if (ok)
        ok = stage_ == Stage::Converting && run()->busy() ? run()->waitPass(left()) : run()->runToEnd(convert, left());
    run()->blockSignals(false);
    setStage(Stage::Idle);

    if (ok && media::gifHasFrames(files_.gif)) {
        qInfo().noquote() << "GIF finished while quitting:" << files_.gif;
        clearWork();
        return true;
    }
    removeLeftover(files_.gif);
    const QString kept = keepVideo();
    if (kept.isEmpty())
        qWarning().noquote() << "the GIF take held no frames; nothing was kept";
    else
        qWarning().noquote() << "the GIF could not be finished while quitting; the recording was kept as" << kept;
    clearWork();
    return false;
}

bool GifJob::startPass(Stage stage, const QStringList& args, const QString& input)
{
    if (!QFileInfo(input).size()) {
        setStage(Stage::Idle);
        fail(tr("GIF recording failed: ffmpeg wrote no %1").arg(QDir::toNativeSeparators(input)));
        clearWork();
        return false;
    }
    setStage(stage);
    // Started from the event loop, not from inside the previous run's finish.
    QMetaObject::invokeMethod(
        this,
        [this, stage, args] {
            if (stage_ == stage) // not when quitting has run the chain meanwhile
                run()->start(args, false);
        },
        Qt::QueuedConnection);
    return true;
}

void GifJob::onSucceeded()
{
    switch (stage_) {
    case Stage::Capturing:
        // ffmpeg ended by itself; make the GIF from what was captured.
        emit aborted();
        Q_FALLTHROUGH();
    case Stage::StoppingCapture:
        if (!media::mp4HasTrack(files_.video)) {
            setStage(Stage::Idle);
            clearWork();
            emit SHOW_MESSAGE(TITLE, tr("The recording was too short to hold a frame; nothing was saved."),
                              QSystemTrayIcon::Warning, 10000);
            break;
        }
        startPass(Stage::Palette, ffmpeg::paletteArgs(files_.video, gifRate_, files_.palette), files_.video);
        break;
    case Stage::Palette:
        startPass(Stage::Converting,
                  ffmpeg::paletteUseArgs(files_.video, files_.palette, gifRate_, files_.gif), files_.palette);
        break;
    case Stage::Converting:
        setStage(Stage::Idle);
        if (media::gifHasFrames(files_.gif)) {
            clearWork();
            emit SHOW_MESSAGE(TITLE, QCoreApplication::translate("GifCapturer", "Path: ") + files_.gif,
                              QSystemTrayIcon::Information, 10000);
        } else {
            onFailed(tr("ffmpeg wrote no GIF."));
        }
        break;
    case Stage::Idle:
        break;
    }
}

void GifJob::onFailed(const QString& reason)
{
    const Stage stage = stage_;
    setStage(Stage::Idle);
    removeLeftover(files_.gif);
    switch (stage) {
    case Stage::Capturing:
    case Stage::StoppingCapture:
        if (run()->wasKilled()) {
            const QString kept = keepVideo();
            fail(tr("GIF recording failed: %1 The recording %2 may be unplayable.")
                     .arg(reason, QDir::toNativeSeparators(kept.isEmpty() ? files_.video : kept)));
        } else {
            fail(tr("GIF recording failed: %1").arg(reason));
        }
        break;
    case Stage::Palette:
    case Stage::Converting: {
        // the take itself is fine: keep it as a video
        const QString kept = keepVideo();
        fail(tr("The GIF could not be made: %1 The recording was kept as %2.")
                 .arg(reason, QDir::toNativeSeparators(kept)));
        break;
    }
    case Stage::Idle:
        break;
    }
    clearWork();
    if (stage == Stage::Capturing)
        emit aborted();
}
