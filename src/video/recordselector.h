#pragma once

#include <QSystemTrayIcon>

#include "core/selector.h"

class QKeyEvent;
class RecordJob;
class RecordMenu;

// A selector whose region is recorded by ffmpeg: record() opens the
// selector, Return starts the job on the region, the control bar counts
// until the stop button or record() again. While a take runs, record(),
// exit() and the bar's stop button always stop it, whatever became of the
// selector; the overlay then holds neither the keyboard nor the focus.
// Each recorder says how its job begins.
class RecordSelector : public Selector
{
    Q_OBJECT
public:
    ~RecordSelector() override;

    int framerate() const { return framerate_; }
    RecordMenu* controlBar() const { return menu_; }

    // Blocking and bounded by budgetMs: a running recording finishes its
    // file before the program goes away.
    void finishNow(int budgetMs = 8000);
    // Starts a take of the region (device pixels) without the selector.
    // False, already reported, when it could not start.
    bool startTake(const QRect& region);
    // A take is running or about to start.
    bool recording() const;

    // Records this region (device pixels) at once, without the selector. False, already
    // reported, when the job did not start; false too while the selector is
    // open or a recording runs.
    bool recordRegion(const QRect& region);

signals:
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information,
                      int msecs = 10000);

public slots:
    void start() override;
    void exit() override;
    void record();
    void setFramerate(int fr);
    // Re-reads the selector's look from this recorder's configuration section.
    void updateTheme();

protected:
    // Takes the job as its child; section is Record or Gif.
    RecordSelector(RecordJob* job, Config::Section section, QWidget* parent);

    void keyPressEvent(QKeyEvent* event) override;
    void setup();
    // Starts the job on the region; false, already reported, when it did not.
    virtual bool beginJob(const QRect& region) = 0;

    RecordJob* recordJob() const { return job_; }

private:
    RecordJob* job_ = nullptr;
    RecordMenu* menu_ = nullptr;
    Config::Section section_;
    int framerate_ = 30;
    // who had the keyboard before the overlay took it
    quintptr previousWindow_ = 0;
};
