#pragma once

#include <QFrame>
#include <QList>
#include <QRect>
#include <QTime>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

// Where the control bar goes for a recorded region: on a monitor, outside
// the region, next to it when there is room there, else in a free corner of
// any monitor. Only when the region leaves no room anywhere is the bar put,
// shrunk to its stop button, in a corner of the region's monitor (compact).
struct BarPlacement
{
    QRect geometry;
    bool compact = false;
};
BarPlacement placeControlBar(const QRect& region, const QList<QRect>& monitors, const QSize& full,
                             const QSize& compact);

// The small always-on-top bar shown while a recording runs: a red dot, the
// elapsed time, the microphone switch (video only) and a stop button. It
// takes no keyboard focus and no taskbar entry.
class RecordMenu : public QFrame
{
    Q_OBJECT
public:
    explicit RecordMenu(QWidget* parent = nullptr);
    ~RecordMenu() override;

    QString timeText() const;
    QPushButton* stopButton() const { return stopButton_; }
    QCheckBox* microphoneButton() const { return microphone_; }
    bool counting() const;
    bool compact() const { return compact_; }

    // The GIF bar has no sound to switch.
    void setMicrophoneShown(bool shown);
    void setMicrophone(bool on);
    // Moves the bar out of the way of the region about to be recorded.
    void placeFor(const QRect& region);

signals:
    void STOP();
    void microphoneToggled(bool on);

public slots:
    void start();
    void stop();
    // One tick of the timer: one more second shown.
    void update();

private:
    QSize fullSize() const;

    QLabel* dot_ = nullptr;
    QLabel* time_ = nullptr;
    QCheckBox* microphone_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QTimer* timer_ = nullptr;
    // A time of day, so the count wraps after 23:59:59 like a clock.
    QTime* elapsed_ = nullptr;
    bool microphoneShown_ = false;
    bool compact_ = false;
};
