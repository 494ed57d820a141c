#include "platform/linux/gstpipeline.h"

#include <QProcess>

namespace {

bool gstHas(const QString& element)
{
    QProcess inspect;
    inspect.start(QStringLiteral("gst-inspect-1.0"), {QStringLiteral("--exists"), element});
    inspect.closeWriteChannel();
    if (!inspect.waitForFinished(5000)) {
        inspect.kill();
        inspect.waitForFinished(1000);
        return false;
    }
    return inspect.exitStatus() == QProcess::NormalExit && inspect.exitCode() == 0;
}

} // namespace

QString gstH264Encoder(const QStringList& available)
{
    for (const QString& element : {QStringLiteral("x264enc"), QStringLiteral("openh264enc")}) {
        if (available.contains(element))
            return element;
    }
    return QString();
}

QString gstInstalledEncoder()
{
    static const QString encoder = [] {
        QStringList available;
        for (const QString& element : {QStringLiteral("x264enc"), QStringLiteral("openh264enc")}) {
            if (gstHas(element))
                available << element;
        }
        return gstH264Encoder(available);
    }();
    return encoder;
}

QStringList gstRecordArgs(const GstSource& source, int framerate, const QString& encoder, const QString& output)
{
    const int rate = qMax(1, framerate);
    QStringList args{QStringLiteral("-e"), QStringLiteral("pipewiresrc")};
    if (source.fd >= 0)
        args << QStringLiteral("fd=%1").arg(source.fd);
    args << QStringLiteral("path=%1").arg(source.node) << QStringLiteral("do-timestamp=true")
         // a still screen sends no frames: repeat the last one
         << QStringLiteral("keepalive-time=%1").arg(qMax(10, 1000 / rate)) << QStringLiteral("resend-last=true")
         << QStringLiteral("!") << QStringLiteral("videorate") << QStringLiteral("!")
         << QStringLiteral("video/x-raw,framerate=%1/1").arg(rate) << QStringLiteral("!");
    if (!source.crop.isNull()) {
        args << QStringLiteral("videocrop") << QStringLiteral("left=%1").arg(qMax(0, source.crop.left()))
             << QStringLiteral("top=%1").arg(qMax(0, source.crop.top()))
             << QStringLiteral("right=%1").arg(qMax(0, source.crop.right()))
             << QStringLiteral("bottom=%1").arg(qMax(0, source.crop.bottom())) << QStringLiteral("!");
    }
    args << QStringLiteral("videoconvert") << QStringLiteral("!") << QStringLiteral("video/x-raw,format=I420")
         << QStringLiteral("!") << QStringLiteral("queue") << QStringLiteral("!");
    if (encoder == QLatin1String("x264enc"))
        args << encoder << QStringLiteral("speed-preset=ultrafast") << QStringLiteral("key-int-max=%1").arg(rate * 2);
    else
        args << encoder;
    args << QStringLiteral("!") << QStringLiteral("mp4mux") << QStringLiteral("!") << QStringLiteral("filesink")
         << QStringLiteral("location=") + output;
    return args;
}

QStringList gstRecordArgs(quint32 node, int framerate, const QString& encoder, const QString& output)
{
    GstSource source;
    source.node = node;
    return gstRecordArgs(source, framerate, encoder, output);
}

QRect evenArea(const QRect& region)
{
    const int width = region.width() & ~1;
    const int height = region.height() & ~1;
    if (width <= 0 || height <= 0)
        return QRect();
    return QRect(region.topLeft(), QSize(width, height));
}
