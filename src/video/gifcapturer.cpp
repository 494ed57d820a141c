#include "gifcapturer.h"

#include <QKeyEvent>
#include <QStandardPaths>

#include "core/config.h"
#include "video/ffmpegargs.h"
#include "video/gifjob.h"
#include "video/recordmenu.h"

namespace {

// Time for the hidden overlay to leave the screen before the first frame.
constexpr int GRAB_DELAY_MS = 150;

} // namespace

QString gifTempFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::TempLocation);
}

GifCapturer::GifCapturer(QWidget* parent)
    : Selector(parent)
    , job_(new GifJob(this))
    , menu_(new RecordMenu())
{
    job_->setStartDelay(GRAB_DELAY_MS);
    connect(menu_, &RecordMenu::STOP, this, &GifCapturer::exit);
    connect(job_, &GifJob::SHOW_MESSAGE, this, &GifCapturer::SHOW_MESSAGE);
    connect(job_, &GifJob::aborted, this, [this] {
        menu_->stop();
        if (status == LOCKED)
            Selector::exit();
    });
}

GifCapturer::~GifCapturer()
{
    // Whoever listened may already be gone; the file is finished quietly.
    job_->blockSignals(true);
    finishNow();
    delete menu_;
}

QString GifCapturer::gifPath() const
{
    return job_->files().gif;
}

void GifCapturer::finishNow()
{
    job_->finishNow();
    menu_->stop();
}

void GifCapturer::record()
{
    if (status == IDLE)
        start();
    else
        exit();
}

void GifCapturer::exit()
{
    // The palette and conversion passes follow the capture on their own.
    if (status == LOCKED)
        job_->end();
    menu_->stop();
    Selector::exit();
}

void GifCapturer::setFramerate(int fr)
{
    framerate_ = fr;
}

void GifCapturer::setFPS(int fps)
{
    fps_ = fps;
}

void GifCapturer::updateTheme()
{
    Selector::updateTheme(Config::instance()["gif"]["selector"]);
}

void GifCapturer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        Selector::exit();
    else if (event->key() == Qt::Key_Return)
        setup();
}

void GifCapturer::setup()
{
    if (status == IDLE || status == LOCKED)
        return;
    menu_->start();
    status = LOCKED;
    hide();

    const QRect region = ffmpeg::regionFromCorners(box.x1, box.y1, box.x2, box.y2);
    if (!job_->begin(region, framerate_, fps_, Config::instance().gifPath(), gifTempFolder())) {
        menu_->stop();
        Selector::exit();
    }
}
