#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

#include "video/ffmpegargs.h"

// The program that captures the screen into a file, and how it is stopped
// so that the file stays playable. The GIF's palette passes always run
// ffmpeg on the captured video.
class RecorderBackend
{
public:
    enum class Stop {
        // "q" on its input once the first frame is out (ffmpeg)
        QuitKey,
        // SIGINT (wf-recorder)
        Interrupt,
    };

    virtual ~RecorderBackend() = default;

    // Some desktops hand out a stream of the region first (a screen cast
    // session): prepare() sets it up and calls `done` once, maybe later from
    // the event loop, with an empty reason on success; the arguments below
    // then name that stream. cleanup() ends it after the take, and may be
    // called when there is nothing to end.
    virtual void prepare(const QRect& region, std::function<void(const QString& reason)> done)
    {
        Q_UNUSED(region);
        done(QString());
    }
    virtual void cleanup() {}
    // Descriptors the capture program reads the stream from (fd= in its
    // arguments): kept open in it. Valid from a successful prepare() until
    // cleanup().
    virtual QVector<int> inheritedFds() const { return {}; }

    virtual QString program() const = 0;
    virtual Stop stop() const = 0;
    // MP4 of the region; sound first when an input device is given.
    virtual QStringList recordArgs(const ffmpeg::Grab& grab, const QString& audioDevice,
                                   const QString& output) const = 0;
    // The GIF's first pass: the region into a temporary video.
    virtual QStringList gifCaptureArgs(const ffmpeg::Grab& grab, const QString& video) const = 0;
};

// ffmpeg's own screen input (x11grab, gdigrab).
class FfmpegRecorder : public RecorderBackend
{
public:
    QString program() const override { return QStringLiteral("ffmpeg"); }
    Stop stop() const override { return Stop::QuitKey; }
    QStringList recordArgs(const ffmpeg::Grab& grab, const QString& audioDevice, const QString& output) const override
    {
        return ffmpeg::recordArgs(ffmpeg::hostPlatform(), grab, audioDevice, output);
    }
    QStringList gifCaptureArgs(const ffmpeg::Grab& grab, const QString& video) const override
    {
        return ffmpeg::gifCaptureArgs(ffmpeg::hostPlatform(), grab, video);
    }
};
