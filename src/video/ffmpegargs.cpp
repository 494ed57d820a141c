#include "ffmpegargs.h"

#include <QDir>

#include <algorithm>

namespace ffmpeg {

namespace {

const QString SCALE_EVEN = QStringLiteral("scale=trunc(iw/2)*2:trunc(ih/2)*2");

QString sizeText(const QRect& r)
{
    return QStringLiteral("%1x%2").arg(r.width()).arg(r.height());
}

// The screen input; everything that follows it is shared by both platforms.
QStringList screenInput(Platform platform, const Grab& grab)
{
    const QRect& r = grab.region;
    // Without this ffmpeg spends the first seconds guessing a rate it was
    // given, and a short take ends before a single frame is written.
    const QStringList noProbe{QStringLiteral("-fpsprobesize"), QStringLiteral("0")};
    if (platform == Platform::Windows) {
        return noProbe + QStringList{QStringLiteral("-f"), QStringLiteral("gdigrab"),
                QStringLiteral("-framerate"), QString::number(grab.framerate),
                QStringLiteral("-offset_x"), QString::number(r.left()),
                QStringLiteral("-offset_y"), QString::number(r.top()),
                QStringLiteral("-video_size"), sizeText(r),
                QStringLiteral("-i"), QStringLiteral("desktop")};
    }
    // x11grab takes the offset in the input name: ":0+10,20".
    const QString display = grab.display.isEmpty() ? QStringLiteral(":0") : grab.display;
    return noProbe + QStringList{QStringLiteral("-f"), QStringLiteral("x11grab"),
            QStringLiteral("-framerate"), QString::number(grab.framerate),
            QStringLiteral("-video_size"), sizeText(r),
            QStringLiteral("-i"), QStringLiteral("%1+%2,%3").arg(display).arg(r.left()).arg(r.top())};
}

// The output runs at exactly the grab's rate: one stored frame per grabbed
// one, duplicated or dropped to keep time, never a guessed rate.
QStringList constantRate(const Grab& grab)
{
    return {QStringLiteral("-r"), QString::number(grab.framerate), QStringLiteral("-fps_mode"), QStringLiteral("cfr")};
}

} // namespace

Platform hostPlatform()
{
#ifdef _WIN32
    return Platform::Windows;
#else
    return Platform::X11;
#endif
}

QRect regionFromCorners(int x1, int y1, int x2, int y2)
{
    const int left = std::min(x1, x2);
    const int top = std::min(y1, y2);
    const int right = std::max(x1, x2);
    const int bottom = std::max(y1, y2);
    return QRect(left, top, right - left + 1, bottom - top + 1);
}

QString timeStamp(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyyMMdd_hhmmss_zzz"));
}

QString outputFile(const QString& folder, const QString& prefix, const QString& stamp, const QString& extension)
{
    return folder + QDir::separator() + prefix + stamp + extension;
}

GifFiles gifFiles(const QString& gifFolder, const QString& tempFolder, const QString& stamp)
{
    const QString gifPrefix = QStringLiteral("Klipora_gif_");
    return {outputFile(gifFolder, gifPrefix, stamp, QStringLiteral(".gif")),
            outputFile(tempFolder, gifPrefix, stamp, QStringLiteral(".mp4")),
            outputFile(tempFolder, QStringLiteral("Klipora_palette_"), stamp, QStringLiteral(".png"))};
}

QStringList recordArgs(Platform platform, const Grab& grab, const QString& audioDevice, const QString& output)
{
    // never overwrite, so ffmpeg can never stop to ask on its input
    QStringList args{QStringLiteral("-n")};
    const bool audio = !audioDevice.isEmpty();
    if (audio && platform == Platform::Windows) {
        args << QStringLiteral("-f") << QStringLiteral("dshow") << QStringLiteral("-i")
             << QStringLiteral("audio=") + audioDevice;
    } else if (audio) {
        // Two live inputs in one mux: deeper queues keep either from dropping.
        args << QStringLiteral("-thread_queue_size") << QStringLiteral("1024") << QStringLiteral("-f")
             << QStringLiteral("pulse") << QStringLiteral("-i") << audioDevice
             << QStringLiteral("-thread_queue_size") << QStringLiteral("1024");
    }
    args << screenInput(platform, grab) << constantRate(grab);
    args << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p") << QStringLiteral("-vf") << SCALE_EVEN;
    if (audio)
        args << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-b:a") << QStringLiteral("128k");
    args << output;
    return args;
}

QStringList gifCaptureArgs(Platform platform, const Grab& grab, const QString& video)
{
    return QStringList{QStringLiteral("-n")} + screenInput(platform, grab) + constantRate(grab) << video;
}

QStringList paletteArgs(const QString& video, int gifRate, const QString& palette)
{
    return {QStringLiteral("-y"), QStringLiteral("-i"), video, QStringLiteral("-vf"),
            QStringLiteral("fps=%1,palettegen").arg(gifRate), palette};
}

QStringList paletteUseArgs(const QString& video, const QString& palette, int gifRate, const QString& gif)
{
    return {QStringLiteral("-i"), video, QStringLiteral("-i"), palette, QStringLiteral("-filter_complex"),
            QStringLiteral("fps=%1,paletteuse").arg(gifRate), gif};
}

} // namespace ffmpeg
