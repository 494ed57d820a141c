#pragma once

#include <QString>

#include "video/recordselector.h"

class VideoJob;

// Records a rectangle of the screen to an MP4 through ffmpeg: the user picks
// it with the selector, Return starts the recording, the control bar's stop
// button or record() again ends it.
class ScreenRecorder : public RecordSelector
{
    Q_OBJECT
public:
    explicit ScreenRecorder(QWidget* parent = nullptr);

    bool muted() const { return mute_; }
    QString outputPath() const;
    VideoJob* job() const;

public slots:
    void start() override;
    void mute(bool v);

protected:
    bool beginJob(const QRect& region) override;

private:
    bool mute_ = true;
};
