#pragma once

#include <QString>
#include <QSystemTrayIcon>

#include "core/selector.h"

class GifJob;
class QKeyEvent;
class RecordMenu;

// Records a rectangle of the screen to an animated GIF: ffmpeg captures a
// temporary video, then makes a palette and converts the video with it.
class GifCapturer : public Selector
{
    Q_OBJECT
public:
    explicit GifCapturer(QWidget* parent = nullptr);
    ~GifCapturer() override;

    int framerate() const { return framerate_; }
    int fps() const { return fps_; }
    QString gifPath() const;
    RecordMenu* controlBar() const { return menu_; }
    GifJob* job() const { return job_; }

    // Blocking and bounded: a running capture finishes its file before the
    // program goes away.
    void finishNow();

signals:
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information,
                      int msecs = 10000);

public slots:
    void exit() override;
    void record();
    void setFramerate(int fr);
    void setFPS(int fps);
    void updateTheme();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void setup();

private:
    int framerate_ = 30;
    int fps_ = 6;
    GifJob* job_ = nullptr;
    RecordMenu* menu_ = nullptr;
};

// Where the temporary video and palette go.
QString gifTempFolder();
