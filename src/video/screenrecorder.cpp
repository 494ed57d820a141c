#include "screenrecorder.h"

#include "core/config.h"
#include "core/devices/devices.h"
#include "video/recordmenu.h"
#include "video/videojob.h"

ScreenRecorder::ScreenRecorder(QWidget* parent)
    : RecordSelector(new VideoJob(), Config::Record, parent)
{
    controlBar()->setMicrophoneShown(true);
    controlBar()->setMicrophone(!mute_);
    // the switch on the bar is the setting itself, saved at once
    connect(controlBar(), &RecordMenu::microphoneToggled, this, [this](bool on) {
        mute(!on);
        Config::instance().set(Config::RecordMicrophone, on);
    });
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
    if (currentStatus() != IDLE || recording())
        return;
    listCaptureDevices();
    RecordSelector::start();
}

void ScreenRecorder::mute(bool v)
{
    mute_ = v;
    controlBar()->setMicrophone(!v);
}

QString ScreenRecorder::chooseSource()
{
    if (mute_)
        return QString();
    // a take started without the selector has not looked yet
    if (audioCaptureDevices().empty())
        listCaptureDevices();
    const QString wanted = Config::instance().string(Config::RecordAudioSource);
    const DeviceList& devices = audioCaptureDevices();
    for (const DeviceEntry& device : devices) {
        // the default input comes first
        if (wanted.isEmpty() || device.first == wanted) {
            missingReported_ = false;
            return device.first;
        }
    }
    // Said once, not before every take, until the source is back.
    if (!missingReported_ || missingName_ != wanted) {
        missingReported_ = true;
        missingName_ = wanted;
        emit SHOW_MESSAGE(QStringLiteral("Klipora<VIDEO>"),
                          wanted.isEmpty() ? tr("No sound source was found; recording without sound.")
                                           : tr("The sound source %1 is not available; recording without sound.")
                                                 .arg(wanted),
                          QSystemTrayIcon::Warning, 10000);
    }
    return QString();
}

bool ScreenRecorder::beginJob(const QRect& region)
{
    return job()->begin(region, framerate(), chooseSource(), Config::instance().videoPath());
}
