#include "recordselector.h"

#include <QKeyEvent>

#include "core/config.h"
#include "core/devicepixels.h"
#include "video/activewindow.h"
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

void RecordSelector::finishNow(int budgetMs)
{
    job_->finishNow(budgetMs);
    menu_->stop();
}

bool RecordSelector::recording() const
{
    return job_->capturing();
}

void RecordSelector::record()
{
    // a running take is stopped, whatever the selector is doing
    if (recording() || status != IDLE)
        exit();
    else
        start();
}

void RecordSelector::start()
{
    if (status != IDLE || recording())
        return;
    previousWindow_ = activewindow::current();
    Selector::start();
}

void RecordSelector::exit()
{
    // A running take is stopped and announced (the GIF's later passes follow
    // on their own); leaving the selector before Return records nothing and
    // says nothing.
    if (recording())
        job_->end();
    menu_->stop();
    if (status != IDLE)
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
    // while recording the keys are not ours
    if (status == LOCKED)
        return;
    if (event->key() == Qt::Key_Escape)
        Selector::exit();
    else if (event->key() == Qt::Key_Return)
        setup();
}

void RecordSelector::setup()
{
    if (status == IDLE || status == LOCKED)
        return;
    // The box is in the overlay's logical pixels; ffmpeg counts device ones.
    const QRect region = devicepixels::toDevice(ffmpeg::regionFromCorners(box.x1, box.y1, box.x2, box.y2));
    status = LOCKED;
    // The keys go back to the program being recorded.
    releaseKeyboard();
    setMouseTracking(false);
    hide();
    activewindow::restore(previousWindow_);
    if (!startTake(region))
        Selector::exit();
}

bool RecordSelector::startTake(const QRect& region)
{
    if (recording()) {
        emit SHOW_MESSAGE(QStringLiteral("Klipora"), tr("A recording is already running."),
                          QSystemTrayIcon::Warning, 10000);
        return false;
    }
    menu_->placeFor(devicepixels::toLogical(region));
    menu_->start();
    if (!beginJob(region)) {
        menu_->stop();
        return false;
    }
    return true;
}

bool RecordSelector::recordRegion(const QRect& region)
{
    if (status != IDLE || region.isEmpty())
        return false;
    const QRect logical = devicepixels::toLogical(region);
    box = Resizer(logical.left(), logical.top(), logical.right(), logical.bottom());
    status = LOCKED;
    if (!startTake(region)) {
        Selector::exit();
        return false;
    }
    return true;
}
