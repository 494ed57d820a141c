#pragma once

#include <QString>

#include "video/recordselector.h"

class VideoJob;

// Records a rectangle of the screen to an MP4 through ffmpeg: the user picks
// it with the selector, Return starts the recording, the control bar's stop
// button or record() again ends it. With the microphone on, the sound of the
// chosen source ("record" / "audiosource", empty for the default input)
// goes with it.
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
    // The source a take records from; empty, reported once, when none can be.
    QString chooseSource();

    bool mute_ = true;
    bool missingReported_ = false;
    QString missingName_;
};
