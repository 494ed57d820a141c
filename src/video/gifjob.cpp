#include "gifjob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "video/ffmpegrun.h"

namespace {

const QString TITLE = QStringLiteral("Klipora<GIF>");

bool nonEmptyFile(const QString& path)
{
    const QFileInfo file(path);
    return file.exists() && file.size() > 0;
}

} // namespace

GifJob::GifJob(QObject* parent)
    : RecordJob(parent)
{
}

GifJob::~GifJob()
{
    blockSignals(true);
    finishNow();
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

bool GifJob::begin(const QRect& region, int framerate, int gifRate, const QString& gifFolder,
                   const QString& tempFolder, const QDateTime& now)
{
    if (busy() || stage_ != Stage::Idle) {
        fail(tr("GIF recording failed: ffmpeg is still busy with the previous GIF. Try again in a moment."));
        return false;
    }
    if (!desktopArea().contains(region)) {
        fail(tr("GIF recording failed: the region %1x%2 at %3, %4 lies partly outside the screen.")
                 .arg(region.width())
                 .arg(region.height())
                 .arg(region.x())
                 .arg(region.y()));
        return false;
    }
    for (const QString& folder : {gifFolder, tempFolder}) {
        if (!ensureFolder(folder)) {
            fail(tr("GIF recording failed: the folder %1 cannot be created or written.")
                     .arg(QDir::toNativeSeparators(folder)));
            return false;
        }
    }
    gifRate_ = gifRate;
    files_ = ffmpeg::gifFiles(gifFolder, tempFolder, ffmpeg::timeStamp(now));
    const ffmpeg::Grab grab{region, framerate, currentDisplay()};
    setStage(Stage::Capturing);
    startCapture(ffmpeg::gifCaptureArgs(ffmpeg::hostPlatform(), grab, files_.video));
    return true;
}

void GifJob::end()
{
    if (stage_ != Stage::Capturing)
        return;
    if (cancelPendingCapture()) {
        // stopped before ffmpeg was even started: nothing was captured
        setStage(Stage::Idle);
        return;
    }
    setStage(Stage::StoppingCapture);
    run()->requestStop();
}

bool GifJob::finishNow()
{
    if (cancelPendingCapture())
        setStage(Stage::Idle);
    if (!run()->busy())
        return true;
    // Quitting: finish the capture so the video survives; no later passes.
    setStage(Stage::Idle);
    run()->blockSignals(true);
    const bool ok = run()->finishNow();
    run()->blockSignals(false);
    return ok;
}

bool GifJob::startPass(Stage stage, const QStringList& args, const QString& input)
{
    if (!nonEmptyFile(input)) {
        setStage(Stage::Idle);
        fail(tr("GIF recording failed: ffmpeg wrote no %1").arg(QDir::toNativeSeparators(input)));
        return false;
    }
    setStage(stage);
    // Started from the event loop, not from inside the previous run's finish.
    QMetaObject::invokeMethod(
        this, [this, args] { run()->start(args, false); }, Qt::QueuedConnection);
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
        startPass(Stage::Palette, ffmpeg::paletteArgs(files_.video, gifRate_, files_.palette), files_.video);
        break;
    case Stage::Palette:
        startPass(Stage::Converting,
                  ffmpeg::paletteUseArgs(files_.video, files_.palette, gifRate_, files_.gif), files_.palette);
        break;
    case Stage::Converting:
        setStage(Stage::Idle);
        if (nonEmptyFile(files_.gif)) {
            emit SHOW_MESSAGE(TITLE, QCoreApplication::translate("GifCapturer", "Path: ") + files_.gif,
                              QSystemTrayIcon::Information, 10000);
        } else {
            fail(tr("GIF recording failed: ffmpeg wrote no %1").arg(QDir::toNativeSeparators(files_.gif)));
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
    switch (stage) {
    case Stage::Capturing:
    case Stage::StoppingCapture:
        fail(tr("GIF capture failed: %1").arg(reason));
        break;
    case Stage::Palette:
        fail(tr("GIF palette pass failed: %1").arg(reason));
        break;
    case Stage::Converting:
        fail(tr("GIF conversion failed: %1").arg(reason));
        break;
    case Stage::Idle:
        break;
    }
    if (stage == Stage::Capturing)
        emit aborted();
}
