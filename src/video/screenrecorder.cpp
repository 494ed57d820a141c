#include "screenrecorder.h"

#include "core/config.h"
#include "core/devices/devices.h"
#include "video/videojob.h"

ScreenRecorder::ScreenRecorder(QWidget* parent)
    : RecordSelector(new VideoJob(), Config::Record, parent)
{
}

VideoJob* ScreenRecorder::job() const
{
    return static_cast<VideoJob*>(recordJob());
}

QString ScreenRecorder::outputPath() const
{
    return job()->outputPath();
}

void ScreenRecorder::start()
{
    listCaptureDevices();
    Selector::start();
}

void ScreenRecorder::mute(bool v)
{
    mute_ = v;
}

bool ScreenRecorder::beginJob(const QRect& region)
{
    const DeviceList devices = audioCaptureDevices();
    const QString audio = !devices.empty() && !mute_ ? devices.front().first : QString();
    return job()->begin(region, framerate(), audio, Config::instance().videoPath());
}
