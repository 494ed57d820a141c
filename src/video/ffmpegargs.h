#pragma once

#include <QDateTime>
#include <QRect>
#include <QString>
#include <QStringList>

// Command lines for the ffmpeg runs of the screen recorder and the GIF
// capturer, and the names of the files they write. Pure functions: the
// recorders only gather the inputs.
namespace ffmpeg {

enum class Platform { X11, Windows };

// The platform this build runs on.
Platform hostPlatform();

// The rectangle between two corners as dragged, both corner pixels inside.
QRect regionFromCorners(int x1, int y1, int x2, int y2);

// "yyyyMMdd_hhmmss_zzz" of the given local time.
QString timeStamp(const QDateTime& time);

// folder + native separator + prefix + stamp + extension.
QString outputFile(const QString& folder, const QString& prefix, const QString& stamp, const QString& extension);

// The three files of one GIF recording, sharing one time stamp.
struct GifFiles
{
    QString gif;
    QString video;
    QString palette;
};
GifFiles gifFiles(const QString& gifFolder, const QString& tempFolder, const QString& stamp);

struct Grab
{
    QRect region;
    int framerate = 30;
    // X11 only: the display the program runs on, e.g. ":0".
    QString display;
};

// MP4 recording of the region; audio first when an input device is given.
QStringList recordArgs(Platform platform, const Grab& grab, const QString& audioDevice, const QString& output);

// First GIF pass: the region into a temporary video.
QStringList gifCaptureArgs(Platform platform, const Grab& grab, const QString& video);

// Second pass: a palette from the video at the GIF rate.
QStringList paletteArgs(const QString& video, int gifRate, const QString& palette);

// Third pass: the GIF from the video and the palette.
QStringList paletteUseArgs(const QString& video, const QString& palette, int gifRate, const QString& gif);

} // namespace ffmpeg
