#include "snip/scrollcapturer.h"

#include <QCursor>
#include <QDebug>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "core/config.h"
#include "core/desktopgrab.h"
#include "core/devicepixels.h"
#include "core/scrollinjector.h"
#include "qxt/qxtglobalshortcut.h"
#include "snip/scrollcontrolbar.h"

namespace {

// Pace of the grabs while a step settles, and while the user scrolls.
constexpr int POLL_MS = 30;
constexpr int HAND_POLL_MS = 100;
// The overlay leaves and the window below repaints: not before the first,
// and at the latest by the second.
constexpr int FIRST_FRAME_MIN_MS = 100;
constexpr int FIRST_FRAME_BOUND_MS = 2000;
constexpr int MAX_CLICKS = 12;
// A region narrower than this along either side has nothing to join.
constexpr int MIN_SIDE = 32;

} // namespace

ScrollCapturer::ScrollCapturer(QWidget* parent)
    : Selector(parent)
    , bar_(new ScrollControlBar())
    , timer_(new QTimer(this))
    , finishKey_(new QxtGlobalShortcut(this))
    , cancelKey_(new QxtGlobalShortcut(this))
{
    connect(timer_, &QTimer::timeout, this, &ScrollCapturer::poll);
    connect(bar_, &ScrollControlBar::FINISH, this, &ScrollCapturer::finish);
    connect(bar_, &ScrollControlBar::CANCEL, this, &ScrollCapturer::cancel);
    connect(bar_, &ScrollControlBar::handScrolling, this, &ScrollCapturer::setHandScrolling);
    connect(finishKey_, &QxtGlobalShortcut::activated, this, &ScrollCapturer::finish);
    connect(cancelKey_, &QxtGlobalShortcut::activated, this, &ScrollCapturer::cancel);
}

ScrollCapturer::~ScrollCapturer()
{
    delete bar_;
}

void ScrollCapturer::setInjector(std::unique_ptr<ScrollInjector> injector)
{
    injector_ = std::move(injector);
    injectorChosen_ = true;
}

int ScrollCapturer::frames() const
{
    const stitch::Stitcher* s = vertical_ ? vertical_.get() : horizontal_.get();
    return s ? s->frames() : 0;
}

int ScrollCapturer::length() const
{
    const stitch::Stitcher* s = vertical_ ? vertical_.get() : horizontal_.get();
    return s ? s->length() : 0;
}

void ScrollCapturer::updateTheme()
{
    Selector::updateTheme(Config::instance().selectorTheme(Config::Snip));
}

void ScrollCapturer::start()
{
    if (status != IDLE)
        return;
    Selector::start();
}

void ScrollCapturer::exit()
{
    if (capturing())
        cancel();
    else
        Selector::exit();
}

void ScrollCapturer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        Selector::exit();
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        begin();
}

void ScrollCapturer::begin()
{
    if (status == IDLE || status == LOCKED || status == STARTED)
        return;
    const QRect region = selectedRect();
    if (region.width() < MIN_SIDE || region.height() < MIN_SIDE) {
        emit SHOW_MESSAGE(QStringLiteral("Klipora"),
                          tr("The region is too small for a scrolling screenshot (at least %1 x %1 pixels).")
                              .arg(MIN_SIDE),
                          QSystemTrayIcon::Warning);
        return;
    }
    if (!injectorChosen_) {
        injector_ = ScrollInjector::create();
        injectorChosen_ = true;
    }
    // grabs and injected wheel turns count device pixels
    region_ = devicepixels::toDevice(region);
    status = LOCKED;
    info->hide();
    releaseKeyboard();
    hide();

    vertical_ = std::make_unique<stitch::Stitcher>(Qt::Vertical, maxLength_);
    horizontal_ = std::make_unique<stitch::Stitcher>(Qt::Horizontal, maxLength_);
    directionKnown_ = false;
    wheel_ = Qt::Vertical;
    stillSteps_ = 0;
    clicks_ = 1;
    hand_ = !injector_;
    pointerBefore_ = QCursor::pos();
    lastGrab_ = lastFrame_ = QImage();

    bar_->setHandScrolling(hand_);
    bar_->setProgress(0, 0);
    bar_->showFor(region);
    // The scrolled window keeps the keyboard, so these two keys are taken
    // from the whole desktop while the capture runs.
    if (!finishKey_->setShortcut(QKeySequence(Qt::Key_Return)))
        qWarning() << "Return could not be taken for the capture";
    if (!cancelKey_->setShortcut(QKeySequence(Qt::Key_Escape)))
        qWarning() << "Escape could not be taken for the capture";

    qInfo() << "scrolling capture of" << region_ << (hand_ ? "by hand" : "by wheel");
    phase_ = Phase::FirstFrame;
    since_.start();
    timer_->start(POLL_MS);
}

QImage ScrollCapturer::grab() const
{
    QImage image = grabDevicePixels(region_);
    // Our own copy: the grab's buffer goes back to be reused by the next one.
    return image.copy();
}

void ScrollCapturer::poll()
{
    if (!capturing())
        return;
    const QImage now = grab();
    if (now.isNull()) {
        emit SHOW_MESSAGE(QStringLiteral("Klipora"), tr("The screen could not be grabbed."),
                          QSystemTrayIcon::Warning);
        finish();
        return;
    }
    const bool steady = !lastGrab_.isNull() && now == lastGrab_;
    switch (phase_) {
    case Phase::Idle:
        return;
    case Phase::FirstFrame:
        // The overlay's pixels must not be taken for the content.
        if (since_.elapsed() < FIRST_FRAME_MIN_MS || (windowHandle() && windowHandle()->isExposed())) {
            if (since_.elapsed() < FIRST_FRAME_BOUND_MS)
                return;
        }
        if (steady || since_.elapsed() > FIRST_FRAME_BOUND_MS) {
            takeFrame(now);
            if (!capturing())
                return;
            if (hand_)
                enterHandPhase();
            else
                step();
            return;
        }
        break;
    case Phase::AfterStep:
        // Settled once two grabs in a row agree on something new; content
        // that does not move is known when the bound has passed.
        if ((steady && now != lastFrame_) || since_.elapsed() > settleBound_) {
            takeFrame(now);
            if (capturing() && !hand_)
                step();
            return;
        }
        break;
    case Phase::Hand:
        if (steady && now != lastFrame_) {
            takeFrame(now);
            if (!capturing())
                return;
        }
        break;
    }
    lastGrab_ = now;
}

void ScrollCapturer::takeFrame(const QImage& frame)
{
    using stitch::Stitcher;
    lastFrame_ = frame;
    lastGrab_ = frame;
    Stitcher::Result result;
    if (directionKnown_) {
        result = (vertical_ ? vertical_ : horizontal_)->add(frame);
    } else {
        const Stitcher::Result v = vertical_->add(frame);
        Stitcher::Result h = Stitcher::Lost;
        if (v != Stitcher::Added && v != Stitcher::Full)
            h = horizontal_->add(frame);
        if (v == Stitcher::Added || v == Stitcher::Full) {
            directionKnown_ = true;
            horizontal_.reset();
            result = v;
        } else if (h == Stitcher::Added || h == Stitcher::Full) {
            directionKnown_ = true;
            vertical_.reset();
            wheel_ = Qt::Horizontal;
            result = h;
        } else if (v == Stitcher::First) {
            result = v;
        } else {
            result = v == Stitcher::Lost && h == Stitcher::Lost ? Stitcher::Lost : Stitcher::NoMovement;
        }
    }
    bar_->setProgress(frames(), length());

    switch (result) {
    case Stitcher::First:
        break;
    case Stitcher::Added: {
        stillSteps_ = 0;
        const Stitcher* s = vertical_ ? vertical_.get() : horizontal_.get();
        const int along = wheel_ == Qt::Vertical ? region_.height() : region_.width();
        const int body = along - s->bands().head - s->bands().tail;
        const int moved = std::abs(s->lastOffset());
        // Aim at half the moving part per step: fast, yet with a wide overlap.
        if (!hand_ && moved > 0) {
            const int wanted = clicks_ * body / 2 / moved;
            clicks_ = qBound(std::max(1, clicks_ / 2), wanted, std::min(MAX_CLICKS, clicks_ * 2));
        }
        break;
    }
    case Stitcher::NoMovement:
        if (hand_ || phase_ != Phase::AfterStep)
            break;
        if (++stillSteps_ >= 2) {
            // Not a page that scrolls down: try sideways before giving up.
            if (!directionKnown_ && wheel_ == Qt::Vertical) {
                wheel_ = Qt::Horizontal;
                stillSteps_ = 0;
            } else {
                finish();
            }
        }
        break;
    case Stitcher::Lost:
        qWarning() << "frame" << frames() + 1 << "matches none of the offsets; stopping at" << length() << "px";
        emit SHOW_MESSAGE(QStringLiteral("Klipora"),
                          tr("A frame did not match the ones before it; the scrolling screenshot stops with what "
                             "it has."),
                          QSystemTrayIcon::Warning);
        finish();
        break;
    case Stitcher::Full:
        emit SHOW_MESSAGE(QStringLiteral("Klipora"),
                          tr("The scrolling screenshot reached its length limit of %1 pixels.").arg(maxLength_));
        finish();
        break;
    }
}

void ScrollCapturer::step()
{
    if (!injector_) {
        setHandScrolling(true);
        enterHandPhase();
        return;
    }
    if (!injector_->scroll(devicepixels::toLogical(region_.center()), wheel_, clicks_)) {
        emit SHOW_MESSAGE(QStringLiteral("Klipora"), tr("The wheel could not be turned; scroll by hand."),
                          QSystemTrayIcon::Warning);
        injector_.reset();
        setHandScrolling(true);
        enterHandPhase();
        return;
    }
    phase_ = Phase::AfterStep;
    lastGrab_ = QImage();
    since_.restart();
    timer_->setInterval(POLL_MS);
}

void ScrollCapturer::setHandScrolling(bool on)
{
    hand_ = on || !injector_;
    if (bar_->handButton()->isChecked() != hand_)
        bar_->setHandScrolling(hand_);
    if (vertical_)
        vertical_->setBothWays(hand_);
    if (horizontal_)
        horizontal_->setBothWays(hand_);
    if (!capturing() || phase_ == Phase::FirstFrame)
        return;
    stillSteps_ = 0;
    if (hand_) {
        enterHandPhase();
    } else if (phase_ == Phase::Hand) {
        // the hand may have left the content anywhere: carry on from there
        step();
    }
}

void ScrollCapturer::enterHandPhase()
{
    phase_ = Phase::Hand;
    lastGrab_ = QImage();
    timer_->setInterval(HAND_POLL_MS);
}

void ScrollCapturer::finish()
{
    if (capturing())
        end(true);
}

void ScrollCapturer::cancel()
{
    if (capturing())
        end(false);
}

void ScrollCapturer::end(bool keep)
{
    timer_->stop();
    phase_ = Phase::Idle;
    finishKey_->setShortcut(QKeySequence());
    cancelKey_->setShortcut(QKeySequence());
    bar_->hide();
    if (injector_ && pointerBefore_ != QCursor::pos())
        QCursor::setPos(pointerBefore_);
    QImage image;
    if (keep) {
        stitch::Stitcher* s = vertical_ ? vertical_.get() : horizontal_.get();
        if (s)
            image = s->takeResult();
    }
    vertical_.reset();
    horizontal_.reset();
    lastGrab_ = lastFrame_ = QImage();
    Selector::exit();
    qInfo() << "scrolling capture" << (keep ? "finished" : "cancelled") << image.size();
    if (keep && !image.isNull())
        emit finished(image, region_.topLeft());
    else
        emit cancelled();
}
