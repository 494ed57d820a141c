#include "screenrecorder.h"

#include <QKeyEvent>

#include "core/config.h"
#include "core/devices/devices.h"
#include "video/ffmpegargs.h"
#include "video/recordmenu.h"
#include "video/videojob.h"

namespace {

// Time for the hidden overlay to leave the screen before the first frame.
constexpr int GRAB_DELAY_MS = 150;

} // namespace

ScreenRecorder::ScreenRecorder(QWidget* parent)
    : Selector(parent)
    , job_(new VideoJob(this))
    , menu_(new RecordMenu())
{
    job_->setStartDelay(GRAB_DELAY_MS);
    connect(menu_, &RecordMenu::STOP, this, &ScreenRecorder::exit);
    connect(job_, &VideoJob::SHOW_MESSAGE, this, &ScreenRecorder::SHOW_MESSAGE);
    // ffmpeg gave up on its own: the bar must not keep counting
    connect(job_, &VideoJob::aborted, this, [this] {
        menu_->stop();
        if (status == LOCKED)
            Selector::exit();
    });
}

ScreenRecorder::~ScreenRecorder()
{
    // Whoever listened may already be gone; the file is finished quietly.
    job_->blockSignals(true);
    finishNow();
    delete menu_;
}

QString ScreenRecorder::outputPath() const
{
    return job_->outputPath();
}

void ScreenRecorder::finishNow()
{
    job_->finishNow();
    menu_->stop();
}

void ScreenRecorder::start()
{
    listCaptureDevices();
    Selector::start();
}

void ScreenRecorder::record()
{
    if (status == IDLE)
        start();
    else
        exit();
}

void ScreenRecorder::exit()
{
    // Only a running recording is stopped and announced; leaving the
    // selector before Return records nothing and says nothing.
    if (status == LOCKED)
        job_->end();
    menu_->stop();
    Selector::exit();
}

void ScreenRecorder::setFramerate(int fr)
{
    framerate_ = fr;
}

void ScreenRecorder::mute(bool v)
{
    mute_ = v;
}

void ScreenRecorder::updateTheme()
{
    Selector::updateTheme(Config::instance()["record"]["selector"]);
}

void ScreenRecorder::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        Selector::exit();
    else if (event->key() == Qt::Key_Return)
        setup();
}

void ScreenRecorder::setup()
{
    if (status == IDLE || status == LOCKED)
        return;
    menu_->start();
    status = LOCKED;
    hide();

    const QRect region = ffmpeg::regionFromCorners(box.x1, box.y1, box.x2, box.y2);
    const DeviceList devices = audioCaptureDevices();
    const QString audio = !devices.empty() && !mute_ ? devices.front().first : QString();
    if (!job_->begin(region, framerate_, audio, Config::instance().videoPath())) {
        menu_->stop();
        Selector::exit();
    }
}
