#pragma once

#include <QSystemTrayIcon>

#include "core/selector.h"

class QKeyEvent;
class RecordJob;
class RecordMenu;

// A selector whose region is recorded by ffmpeg: record() opens or ends it,
// Return starts the job on the region, the control bar counts until the
// stop button or record() again. Each recorder says how its job begins.
class RecordSelector : public Selector
{
    Q_OBJECT
public:
    ~RecordSelector() override;

    int framerate() const { return framerate_; }
    RecordMenu* controlBar() const { return menu_; }

    // Blocking and bounded: a running recording finishes its file before the
    // program goes away.
    void finishNow();

signals:
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information,
                      int msecs = 10000);

public slots:
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
};
