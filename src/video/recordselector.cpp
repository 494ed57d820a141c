#include "recordselector.h"

#include <QKeyEvent>

#include "core/config.h"
#include "video/ffmpegargs.h"
#include "video/recordjob.h"
#include "video/recordmenu.h"

namespace {

// Time for the hidden overlay to leave the screen before the first frame.
constexpr int GRAB_DELAY_MS = 150;

} // namespace

RecordSelector::RecordSelector(RecordJob* job, Config::Section section, QWidget* parent)
    : Selector(parent)
    , job_(job)
    , menu_(new RecordMenu())
    , section_(section)
{
    job_->setParent(this);
    job_->setStartDelay(GRAB_DELAY_MS);
    connect(menu_, &RecordMenu::STOP, this, &RecordSelector::exit);
    connect(job_, &RecordJob::SHOW_MESSAGE, this, &RecordSelector::SHOW_MESSAGE);
    // ffmpeg gave up on its own: the bar must not keep counting
    connect(job_, &RecordJob::aborted, this, [this] {
        menu_->stop();
        if (status == LOCKED)
            Selector::exit();
    });
}

RecordSelector::~RecordSelector()
{
    // Whoever listened may already be gone; the file is finished quietly.
    job_->blockSignals(true);
    finishNow();
    delete menu_;
}

void RecordSelector::finishNow()
{
    job_->finishNow();
    menu_->stop();
}

void RecordSelector::record()
{
    if (status == IDLE)
        start();
    else
        exit();
}

void RecordSelector::exit()
{
    // Only a running recording is stopped and announced (the GIF's later
    // passes follow on their own); leaving the selector before Return
    // records nothing and says nothing.
    if (status == LOCKED)
        job_->end();
    menu_->stop();
    Selector::exit();
}

void RecordSelector::setFramerate(int fr)
{
    framerate_ = fr;
}

void RecordSelector::updateTheme()
{
    Selector::updateTheme(Config::instance().selectorTheme(section_));
}

void RecordSelector::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        Selector::exit();
    else if (event->key() == Qt::Key_Return)
        setup();
}

void RecordSelector::setup()
{
    if (status == IDLE || status == LOCKED)
        return;
    menu_->start();
    status = LOCKED;
    hide();

    if (!beginJob(ffmpeg::regionFromCorners(box.x1, box.y1, box.x2, box.y2))) {
        menu_->stop();
        Selector::exit();
    }
}
