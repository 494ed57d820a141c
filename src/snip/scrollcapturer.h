#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QSystemTrayIcon>

#include <memory>

#include "core/selector.h"
#include "core/stitcher.h"

class QKeyEvent;
class QTimer;
class QxtGlobalShortcut;
class ScrollControlBar;
class ScrollInjector;

// A scrolling screenshot: the user picks a region with the selector, Return
// starts, and Klipora turns the wheel of the window below step by step,
// grabbing the region once it has settled, until the content stops moving,
// the length limit is reached, or the user finishes (Return) or cancels
// (Escape). The user may also scroll by hand. The frames are joined as they
// come; the result goes out through finished().
class ScrollCapturer : public Selector
{
    Q_OBJECT
public:
    explicit ScrollCapturer(QWidget* parent = nullptr);
    ~ScrollCapturer() override;

    ScrollControlBar* controlBar() const { return bar_; }
    bool capturing() const { return status == LOCKED; }
    bool handScrolling() const { return hand_; }
    QRect region() const { return region_; }
    int frames() const;
    int length() const;

    // Longest result along the scroll, in pixels.
    void setMaxLength(int pixels) { maxLength_ = pixels; }
    // How long a grab may keep changing after a wheel step before it is
    // taken as it is.
    void setSettleBound(int ms) { settleBound_ = ms; }
    // Replaces the platform's wheel (tests; null means hand scrolling only).
    void setInjector(std::unique_ptr<ScrollInjector> injector);

signals:
    // The joined image of a capture that was not cancelled, and where the
    // region was on the screen.
    void finished(QImage image, QPoint position);
    void cancelled();
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information,
                      int msecs = 10000);

public slots:
    void start() override;
    void exit() override;
    // Starts on the selected region (Return in the selector).
    void begin();
    // Ends with what was joined so far.
    void finish();
    void cancel();
    void setHandScrolling(bool on);
    void updateTheme();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Phase { Idle, FirstFrame, AfterStep, Hand };

    QImage grab() const;
    void poll();
    void takeFrame(const QImage& frame);
    void step();
    void enterHandPhase();
    void end(bool keep);

    ScrollControlBar* bar_ = nullptr;
    QTimer* timer_ = nullptr;
    QxtGlobalShortcut* finishKey_ = nullptr;
    QxtGlobalShortcut* cancelKey_ = nullptr;
    std::unique_ptr<ScrollInjector> injector_;
    bool injectorChosen_ = false;

    QRect region_;
    Phase phase_ = Phase::Idle;
    bool hand_ = false;
    int maxLength_ = 30000;
    int settleBound_ = 1000;
    QElapsedTimer since_;
    QImage lastGrab_;   // the previous poll
    QImage lastFrame_;  // the last one given to the stitcher
    QImage firstFrame_; // kept until the direction is known
    std::unique_ptr<stitch::Stitcher> vertical_;
    std::unique_ptr<stitch::Stitcher> horizontal_;
    Qt::Orientation wheel_ = Qt::Vertical;
    bool directionKnown_ = false;
    int stillSteps_ = 0;
    int clicks_ = 1;
    QPoint pointerBefore_;
};
