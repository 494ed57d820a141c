#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QxtGlobalShortcut;

// The small count of seconds left before a delayed capture, shown beside
// the cursor. Escape, pressed anywhere, cancels it. It takes no focus, so the
// user can go on typing in whatever is to be captured.
class Countdown : public QWidget
{
    Q_OBJECT
public:
    explicit Countdown(int ms, QWidget* parent = nullptr);
    ~Countdown() override;

    void start();
    int remainingMs() const;
    // The whole seconds still to go, as shown.
    int shownSeconds() const;

signals:
    // The window is gone from the screen by then, so it is not captured.
    void finished();
    void cancelled();

public slots:
    void cancel();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void tick();
    void end();
    void place();

    int total_ = 0;
    int shown_ = -1;
    bool ended_ = false;
    QElapsedTimer clock_;
    QTimer timer_;
    QxtGlobalShortcut* escape_ = nullptr;
};
