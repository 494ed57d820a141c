#pragma once

#include <QString>

#include "video/recordselector.h"

class GifJob;

// Records a rectangle of the screen to an animated GIF: ffmpeg captures a
// temporary video, then makes a palette and converts the video with it.
class GifCapturer : public RecordSelector
{
    Q_OBJECT
public:
    explicit GifCapturer(QWidget* parent = nullptr);

    int fps() const { return fps_; }
    QString gifPath() const;
    GifJob* job() const;

public slots:
    void setFPS(int fps);

protected:
    bool beginJob(const QRect& region) override;

private:
    int fps_ = 6;
};

// Where the temporary video and palette go.
QString gifTempFolder();
