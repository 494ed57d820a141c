#include "platform/wayland/wfrecorder.h"

QString wfGeometry(const QRect& region)
{
    const int width = region.width() & ~1;
    const int height = region.height() & ~1;
    if (width <= 0 || height <= 0)
        return QString();
    return QStringLiteral("%1,%2 %3x%4").arg(region.x()).arg(region.y()).arg(width).arg(height);
}

QStringList WfRecorder::recordArgs(const ffmpeg::Grab& grab, const QString& audioDevice, const QString& output) const
{
    QStringList args;
    // the device must be glued to the option: a separate word would be the next option
    if (!audioDevice.isEmpty())
        args << QStringLiteral("--audio=") + audioDevice;
    args << gifCaptureArgs(grab, output);
    return args;
}

QStringList WfRecorder::gifCaptureArgs(const ffmpeg::Grab& grab, const QString& video) const
{
    return {QStringLiteral("-D"), QStringLiteral("-x"), QStringLiteral("yuv420p"), QStringLiteral("-g"),
            wfGeometry(grab.region), QStringLiteral("-f"), video};
}
