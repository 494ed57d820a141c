#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The small bar shown beside the region while a scrolling capture runs: how
// many frames and how long the image is so far, a switch to scroll by hand,
// Finish and Cancel. It never takes the keyboard from the scrolled window
// and has no taskbar entry.
class ScrollControlBar : public QFrame
{
    Q_OBJECT
public:
    explicit ScrollControlBar(QWidget* parent = nullptr);

    QPushButton* handButton() const { return hand_; }
    QPushButton* finishButton() const { return finish_; }
    QPushButton* cancelButton() const { return cancel_; }
    QString progressText() const;

    // Where the bar goes for a region: below it, else above, else beside it,
    // inside the screen; over the region's corner only when nothing else fits.
    static QRect placeFor(const QRect& region, const QSize& bar, const QRect& screen);

signals:
    void FINISH();
    void CANCEL();
    void handScrolling(bool on);

public slots:
    void showFor(const QRect& region);
    void setProgress(int frames, int length);
    void setHandScrolling(bool on);

private:
    QLabel* progress_ = nullptr;
    QPushButton* hand_ = nullptr;
    QPushButton* finish_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
