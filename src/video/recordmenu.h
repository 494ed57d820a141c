#pragma once

#include <QFrame>
#include <QTime>

class QLabel;
class QPushButton;
class QTimer;

// The small always-on-top bar shown while a recording runs: a red dot, the
// elapsed time and a stop button.
class RecordMenu : public QFrame
{
    Q_OBJECT
public:
    explicit RecordMenu(QWidget* parent = nullptr);
    ~RecordMenu() override;

    QString timeText() const;
    QPushButton* stopButton() const { return stopButton_; }
    bool counting() const;

signals:
    void STOP();

public slots:
    void start();
    void stop();
    // One tick of the timer: one more second shown.
    void update();

private:
    QLabel* dot_ = nullptr;
    QLabel* time_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QTimer* timer_ = nullptr;
    // A time of day, so the count wraps after 23:59:59 like a clock.
    QTime* elapsed_ = nullptr;
};
