#include "recordjob.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include "core/displayinfo.h"
#include "platform/recorderbackend.h"
#include "platform/services.h"
#include "video/ffmpegrun.h"

namespace {

// What ffmpeg's grab inputs accept without complaint.
constexpr int MAX_FRAMERATE = 240;

} // namespace

bool ensureFolder(const QString& folder)
{
    return !folder.isEmpty() && QDir().mkpath(folder) && QFileInfo(folder).isWritable();
}

QRect desktopArea()
{
    DisplayInfo::instance(); // starts tracking the screens on first use
    // ffmpeg grabs device pixels
    return DisplayInfo::deviceDesktopRect();
}

QString currentDisplay()
{
    const QString display = qEnvironmentVariable("DISPLAY");
    return display.isEmpty() ? QStringLiteral(":0") : display;
}

void removeLeftover(const QString& file)
{
    if (!file.isEmpty() && QFile::exists(file)) {
        qInfo().noquote() << "removing what a failed take left:" << file;
        QFile::remove(file);
    }
}

RecordJob::RecordJob(QObject* parent)
    : QObject(parent)
    , run_(new FfmpegRun(this))
    , pending_(new QTimer(this))
{
    pending_->setSingleShot(true);
    connect(pending_, &QTimer::timeout, this, &RecordJob::prepareStream);
    connect(run_, &FfmpegRun::succeeded, this, [this] {
        closeStream();
        onSucceeded();
    });
    connect(run_, &FfmpegRun::failed, this, [this](const QString& reason) {
        closeStream();
        onFailed(reason);
    });
}

RecordJob::~RecordJob()
{
    closeStream();
}

bool RecordJob::busy() const
{
    return run_->busy() || pending_->isActive() || preparing_;
}

void RecordJob::prepareStream()
{
    closeStream();
    preparing_ = true;
    prepareCancelled_ = false;
    QPointer<RecordJob> self(this);
    platform::recorderBackend().prepare(pendingRegion_, [self](const QString& reason) {
        RecorderBackend& backend = platform::recorderBackend();
        if (!self) {
            // the job went while the stream was being set up
            backend.cleanup();
            return;
        }
        self->preparing_ = false;
        if (self->prepareCancelled_) {
            self->prepareCancelled_ = false;
            backend.cleanup();
            return;
        }
        if (!reason.isEmpty()) {
            backend.cleanup();
            qWarning().noquote() << "the recorder could not start:" << reason;
            self->onFailed(reason);
            return;
        }
        self->streamOpen_ = true;
        self->run_->setInheritedFds(backend.inheritedFds());
        self->run_->start(self->pendingArgs_(), true);
    });
}

void RecordJob::closeStream()
{
    if (!streamOpen_)
        return;
    streamOpen_ = false;
    platform::recorderBackend().cleanup();
}

bool RecordJob::checkTake(const QRect& region, int framerate, QString* reason) const
{
    const auto tr = [](const char* s) { return QCoreApplication::translate("RecordJob", s); };
    if (framerate < 1 || framerate > MAX_FRAMERATE) {
        *reason = tr("the frame rate %1 is not usable; choose 1 to %2 in the settings.").arg(framerate).arg(MAX_FRAMERATE);
        return false;
    }
    // the encoder needs two pixels each way
    if (region.width() < 2 || region.height() < 2) {
        *reason = tr("the region %1x%2 is too small to record.").arg(region.width()).arg(region.height());
        return false;
    }
    if (!desktopArea().contains(region)) {
        *reason = tr("the region %1x%2 at %3, %4 lies partly outside the screen.")
                      .arg(region.width())
                      .arg(region.height())
                      .arg(region.x())
                      .arg(region.y());
        return false;
    }
    return true;
}

void RecordJob::startCapture(const QRect& region, std::function<QStringList()> makeArgs)
{
    const RecorderBackend& backend = platform::recorderBackend();
    run_->setCaptureProgram(backend.program(), backend.stop() == RecorderBackend::Stop::Interrupt);
    pendingRegion_ = region;
    pendingArgs_ = std::move(makeArgs);
    pending_->start(startDelay_);
}

bool RecordJob::cancelPendingCapture()
{
    if (preparing_) {
        prepareCancelled_ = true;
        return true;
    }
    if (!pending_->isActive())
        return false;
    pending_->stop();
    return true;
}
