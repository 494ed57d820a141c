#pragma once

#include <QString>
#include <QSystemTrayIcon>

#include "core/selector.h"

class QKeyEvent;
class RecordMenu;
class VideoJob;

// Records a rectangle of the screen to an MP4 through ffmpeg: the user picks
// it with the selector, Return starts the recording, the control bar's stop
// button or record() again ends it.
class ScreenRecorder : public Selector
{
    Q_OBJECT
public:
    explicit ScreenRecorder(QWidget* parent = nullptr);
    ~ScreenRecorder() override;

    int framerate() const { return framerate_; }
    bool muted() const { return mute_; }
    QString outputPath() const;
    RecordMenu* controlBar() const { return menu_; }
    VideoJob* job() const { return job_; }

    // Blocking and bounded: a running recording finishes its file before the
    // program goes away.
    void finishNow();

signals:
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information,
                      int msecs = 10000);

public slots:
    void exit() override;
    void start() override;
    void record();
    void setFramerate(int fr);
    void mute(bool v);
    void updateTheme();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void setup();

private:
    int framerate_ = 30;
    VideoJob* job_ = nullptr;
    RecordMenu* menu_ = nullptr;
    bool mute_ = true;
};
