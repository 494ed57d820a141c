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
    if (timer_.isActive())
        timer_.start(msUntilDue());
}

qint64 MoveCoalescer::msSinceHandedOn() const
{
    return sinceHandedOn_.isValid() ? sinceHandedOn_.elapsed() : interval_;
}

int MoveCoalescer::msUntilDue() const
{
    return int(qBound<qint64>(0, interval_ - msSinceHandedOn(), interval_));
}

int MoveCoalescer::intervalFor(qreal hz)
{
    if (!(hz >= 20 && hz <= 1000))
        hz = 60;
    return qMax(1, int(std::floor(1000.0 / hz)));
}

bool MoveCoalescer::hold(const QMouseEvent& event)
{
    if (!held_ && msSinceHandedOn() >= interval_) {
        sinceHandedOn_.start();
        return false;
    }
    held_ = std::make_unique<QMouseEvent>(event);
    if (!timer_.isActive())
        timer_.start(msUntilDue());
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
