#include "core/movecoalescer.h"

#include <cmath>

MoveCoalescer::MoveCoalescer(QObject* parent)
    : QObject(parent)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &MoveCoalescer::flush);
}

void MoveCoalescer::setInterval(int ms)
{
    interval_ = qMax(0, ms);
    // a held move keeps its place in time, counted at the new pace
    if (timer_.isActive()) {
        const qint64 since = sinceHandedOn_.isValid() ? sinceHandedOn_.elapsed() : interval_;
        timer_.start(int(qBound<qint64>(0, interval_ - since, interval_)));
    }
}

int MoveCoalescer::intervalFor(qreal hz)
{
    if (!(hz >= 20 && hz <= 1000))
        hz = 60;
    return qMax(1, int(std::floor(1000.0 / hz)));
}

bool MoveCoalescer::hold(const QMouseEvent& event)
{
    const qint64 since = sinceHandedOn_.isValid() ? sinceHandedOn_.elapsed() : interval_;
    if (!held_ && since >= interval_) {
        sinceHandedOn_.start();
        return false;
    }
    held_ = std::make_unique<QMouseEvent>(event.type(), event.localPos(), event.windowPos(), event.screenPos(),
                                          event.button(), event.buttons(), event.modifiers(), event.source());
    held_->setTimestamp(event.timestamp());
    if (!timer_.isActive())
        timer_.start(int(qBound<qint64>(0, interval_ - since, interval_)));
    return true;
}

void MoveCoalescer::flush()
{
    timer_.stop();
    if (!held_)
        return;
    const std::unique_ptr<QMouseEvent> move = std::move(held_);
    sinceHandedOn_.start();
    emit due(*move);
}

void MoveCoalescer::drop()
{
    timer_.stop();
    held_.reset();
}
