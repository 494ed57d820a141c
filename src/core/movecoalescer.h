#pragma once

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QObject>
#include <QTimer>

#include <memory>

// Holds back pointer moves that arrive within one display refresh of the
// last one handed on, and hands on the newest when the refresh is due. A
// mouse that reports faster than the screen shows then costs one repaint a
// refresh, and what is painted is always the newest position. A move after a
// pause is handed on at once, so no frame of latency is added.
class MoveCoalescer : public QObject
{
    Q_OBJECT
public:
    explicit MoveCoalescer(QObject* parent = nullptr);

    // Milliseconds between two moves handed on; 0 hands on every move.
    void setInterval(int ms);
    int interval() const { return interval_; }
    // The interval for a screen refreshing `hz` times a second, rounded down
    // so that no refresh goes without a move; 60 Hz where the rate is unknown
    // or implausible.
    static int intervalFor(qreal hz);

    // True when the move is held back; the caller then drops it, and due()
    // brings it (or a newer one) later.
    bool hold(const QMouseEvent& event);
    // Hands on a held move now: before a press, release or key, which must
    // see the pointer where the user left it.
    void flush();
    // Forgets a held move: the overlay closed before it was due.
    void drop();
    bool holding() const { return held_ != nullptr; }

signals:
    void due(const QMouseEvent& event);

private:
    qint64 msSinceHandedOn() const;
    int msUntilDue() const;

    int interval_ = 16;
    QElapsedTimer sinceHandedOn_;
    QTimer timer_;
    std::unique_ptr<QMouseEvent> held_;
};
