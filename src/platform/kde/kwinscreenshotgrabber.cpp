#include "platform/kde/kwinscreenshotgrabber.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusUnixFileDescriptor>
#include <QDebug>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "core/desktopgrab.h"
#include "core/devicepixels.h"

namespace kwinshot {

namespace {

const QString SERVICE = QStringLiteral("org.kde.KWin");
const QString PATH = QStringLiteral("/org/kde/KWin/ScreenShot2");
const QString INTERFACE = QStringLiteral("org.kde.KWin.ScreenShot2");

// More than eight 8K outputs side by side: no reply of KWin's means this.
constexpr qint64 MAX_BYTES = qint64(1) << 30;
constexpr int MAX_SIDE = 32768;
// How often the reader looks whether it may stop.
constexpr int POLL_SLICE_MS = 50;

// Reads the pipe in a thread of its own while the call is pending: KWin
// fills the pipe before it replies, and a full pipe would stall it.
struct PipeReader
{
    int fd = -1;
    // bytes to read before stopping, once the reply says; -1 until then
    std::atomic<qint64> wanted{-1};
    std::atomic<bool> abandoned{false};
    QByteArray data;
    QString problem;

    void run(const QElapsedTimer& clock, int deadlineMs)
    {
        char buffer[1 << 16];
        for (;;) {
            if (abandoned.load())
                return;
            const qint64 want = wanted.load();
            if (want >= 0 && data.size() >= want)
                return;
            const qint64 left = deadlineMs - clock.elapsed();
            if (left <= 0) {
                problem = QStringLiteral("KWin did not finish writing the pixels within %1 ms").arg(deadlineMs);
                return;
            }
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, int(qMin<qint64>(left, POLL_SLICE_MS)));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0) {
                problem = QStringLiteral("the pipe could not be watched: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
                return;
            }
            if (ready == 0)
                continue;
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n < 0) {
                problem = QStringLiteral("the pipe could not be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
                return;
            }
            if (n == 0)
                return; // KWin closed its end
            if (data.size() + n > MAX_BYTES) {
                problem = QStringLiteral("KWin sent more than any screen holds");
                return;
            }
            data.append(buffer, int(n));
        }
    }
};

QVariantMap replyMap(const QDBusMessage& reply)
{
    const QVariantList args = reply.arguments();
    if (args.isEmpty())
        return {};
    const QVariant first = args.first();
    if (first.canConvert<QDBusArgument>()) {
        const QDBusArgument arg = first.value<QDBusArgument>();
        if (arg.currentSignature() != QLatin1String("a{sv}"))
            return {};
        return qdbus_cast<QVariantMap>(arg);
    }
    return first.toMap();
}

bool isRaw32(int format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

struct Layout
{
    qint64 width = 0;
    qint64 height = 0;
    qint64 stride = 0;
    int format = 0;
};

bool readLayout(const QVariantMap& reply, Layout* layout, QString* error)
{
    const auto number = [&reply](const char* key, qint64* value) {
        bool ok = false;
        *value = reply.value(QLatin1String(key)).toLongLong(&ok);
        return ok;
    };
    const QString type = reply.value(QStringLiteral("type")).toString();
    if (type != QLatin1String("raw")) {
        *error = QStringLiteral("KWin sent an image of type '%1', not raw pixels").arg(type);
        return false;
    }
    qint64 format = 0;
    if (!number("width", &layout->width) || !number("height", &layout->height) || !number("stride", &layout->stride)
        || !number("format", &format)) {
        *error = QStringLiteral("KWin's reply lacks the image's size, stride or format");
        return false;
    }
    layout->format = int(format);
    if (layout->width <= 0 || layout->height <= 0 || layout->width > MAX_SIDE || layout->height > MAX_SIDE) {
        *error = QStringLiteral("KWin sent an image of %1x%2 pixels").arg(layout->width).arg(layout->height);
        return false;
    }
    if (format != layout->format || !isRaw32(layout->format)) {
        *error = QStringLiteral("KWin sent pixels in format %1, which Klipora does not read").arg(format);
        return false;
    }
    if (layout->stride < layout->width * 4 || layout->stride % 4 != 0 || layout->stride * layout->height > MAX_BYTES) {
        *error = QStringLiteral("KWin sent rows of %1 bytes for %2 pixels").arg(layout->stride).arg(layout->width);
        return false;
    }
    return true;
}

} // namespace

QVariantMap captureOptions()
{
    return {{QStringLiteral("native-resolution"), true}, {QStringLiteral("include-cursor"), false}};
}

qint64 expectedBytes(const QVariantMap& reply)
{
    Layout layout;
    QString ignored;
    if (!readLayout(reply, &layout, &ignored))
        return 0;
    return layout.stride * layout.height;
}

QImage decodeRaw(const QVariantMap& reply, const QByteArray& pixels, QString* error)
{
    QString problem;
    Layout layout;
    QImage image;
    if (readLayout(reply, &layout, &problem)) {
        // the last row need not be padded out to the stride
        const qint64 needed = layout.stride * (layout.height - 1) + layout.width * 4;
        if (pixels.size() < needed) {
            problem = QStringLiteral("KWin sent %1 of the %2 bytes of a %3x%4 image")
                          .arg(pixels.size())
                          .arg(needed)
                          .arg(layout.width)
                          .arg(layout.height);
        } else {
            const QImage view(reinterpret_cast<const uchar*>(pixels.constData()), int(layout.width),
                              int(layout.height), int(layout.stride), QImage::Format(layout.format));
            // a conversion to the same format would share the caller's bytes
            if (view.format() == QImage::Format_RGB32) {
                image = view.copy();
                makeOpaque(reinterpret_cast<quint32*>(image.bits()), size_t(image.sizeInBytes() / 4));
            } else {
                image = view.convertToFormat(QImage::Format_RGB32);
            }
        }
    }
    if (error)
        *error = problem;
    return image;
}

QString explainError(const QString& name, const QString& message)
{
    if (name.endsWith(QLatin1String(".NoAuthorized"))) {
        return QStringLiteral(
                   "KWin refused the screenshot (%1). KWin answers only programs that an installed .desktop "
                   "file authorises: klipora.desktop in share/applications, with Exec naming this executable "
                   "and X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2. Install Klipora's package, "
                   "or copy that file to ~/.local/share/applications with Exec set to this program's path.")
            .arg(message);
    }
    if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")) {
        return QStringLiteral("KWin offers no ScreenShot2 interface here (is its screenshot effect off?): %1")
            .arg(message);
    }
    if (name == QLatin1String("org.freedesktop.DBus.Error.NoReply")
        || name == QLatin1String("org.freedesktop.DBus.Error.Timeout")) {
        return QStringLiteral("KWin did not answer the screenshot request within %1 ms").arg(CALL_TIMEOUT_MS);
    }
    if (name.endsWith(QLatin1String(".Cancelled")))
        return QStringLiteral("the screenshot was cancelled");
    return QStringLiteral("KWin's screenshot failed: %1: %2").arg(name, message);
}

Capture capture(const QString& method, const QVariantList& args)
{
    Capture result;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        result.error = QStringLiteral("there is no session bus to reach KWin on");
        return result;
    }
    if (!(bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
        result.error = QStringLiteral("the session bus passes no file descriptors");
        return result;
    }
    int fds[2];
    // close-on-exec: a child started meanwhile must not keep the pipe open
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.error = QStringLiteral("no pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }

    QElapsedTimer clock;
    clock.start();
    PipeReader reader;
    reader.fd = fds[0];
    std::thread thread([&reader, &clock] { reader.run(clock, CALL_TIMEOUT_MS + READ_TIMEOUT_MS); });

    QDBusMessage reply;
    {
        QDBusMessage call = QDBusMessage::createMethodCall(SERVICE, PATH, INTERFACE, method);
        QVariantList all = args;
        all << captureOptions();
        {
            // the descriptor object keeps its own copy of the write end;
            // ours goes now, so that KWin's close is the pipe's end
            const QDBusUnixFileDescriptor pipe(fds[1]);
            ::close(fds[1]);
            all << QVariant::fromValue(pipe);
        }
        call.setArguments(all);
        reply = bus.call(call, QDBus::Block, CALL_TIMEOUT_MS);
    }

    QVariantMap meta;
    if (reply.type() == QDBusMessage::ErrorMessage) {
        result.error = explainError(reply.errorName(), reply.errorMessage());
    } else if (reply.type() != QDBusMessage::ReplyMessage) {
        result.error = QStringLiteral("KWin sent no reply");
    } else {
        meta = replyMap(reply);
        const qint64 wanted = expectedBytes(meta);
        if (wanted > 0)
            reader.wanted.store(wanted);
        else
            decodeRaw(meta, QByteArray(), &result.error);
    }
    if (!result.error.isEmpty())
        reader.abandoned.store(true);
    thread.join();
    ::close(fds[0]);

    if (!result.error.isEmpty())
        return result;
    if (!reader.problem.isEmpty()) {
        result.error = reader.problem;
        return result;
    }
    result.image = decodeRaw(meta, reader.data, &result.error);
    bool ok = false;
    const qreal scale = meta.value(QStringLiteral("scale")).toDouble(&ok);
    result.scale = ok && scale > 0 && scale < 100 ? scale : 1;
    qInfo().noquote() << "KWin's" << method << "gave" << result.image.size() << "at scale" << result.scale << "in"
                      << clock.elapsed() << "ms";
    return result;
}

} // namespace kwinshot

KWinScreenShotGrabber::~KWinScreenShotGrabber()
{
    // the worker's captures end within their timeouts
    if (worker_.joinable())
        worker_.join();
}

QImage KWinScreenShotGrabber::grabRect(const QRect& rect)
{
    if (rect.isEmpty())
        return QImage();
    // KWin counts logical pixels; native resolution gives its device pixels
    const qreal factor = devicepixels::desktopFactor();
    const QRect logical = devicepixels::toLogical(rect, factor);
    // KWin 5.27 never answers for an area no output shows
    bool shown = false;
    for (const QScreen* screen : QGuiApplication::screens())
        shown = shown || screen->geometry().intersects(logical);
    if (!shown) {
        qWarning() << "no output shows" << logical << "; nothing to grab";
        return QImage();
    }
    const kwinshot::Capture shot =
        kwinshot::capture(QStringLiteral("CaptureArea"), {logical.x(), logical.y(), uint(logical.width()),
                                                         uint(logical.height())});
    if (shot.image.isNull()) {
        qWarning().noquote() << "the desktop could not be read through KWin:" << shot.error;
        return QImage();
    }
    QImage image = shot.image;
    // outputs of another scale than the desktop's are brought to ours
    const QSize device = devicepixels::toDevice(logical.size(), factor);
    if (image.size() != device)
        image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // the logical pixels round outward: cut away what lies beyond rect
    const QPoint offset = rect.topLeft() - devicepixels::toDevice(logical.topLeft(), factor);
    image = image.copy(QRect(offset, rect.size()));
    image.setDevicePixelRatio(1);
    return image;
}

void KWinScreenShotGrabber::grab()
{
    if (busy_) {
        // the grab running already answers this request too
        return;
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) {
        QMetaObject::invokeMethod(this, [this] { emit failed(tr("there is no screen to grab")); }, Qt::QueuedConnection);
        return;
    }
    struct Target
    {
        QString name;
        QRect geometry;
    };
    QVector<Target> targets;
    for (QScreen* screen : screens)
        targets.append({screen->name(), screen->geometry()});
    if (worker_.joinable())
        worker_.join();
    busy_ = true;
    worker_ = std::thread([this, targets] {
        QVector<OutputImage> outputs;
        QString problem;
        for (const Target& target : targets) {
            kwinshot::Capture shot = kwinshot::capture(QStringLiteral("CaptureScreen"), {target.name});
            if (shot.image.isNull()) {
                // the toolkit may know the output by another name than KWin
                const QRect g = target.geometry;
                shot = kwinshot::capture(QStringLiteral("CaptureArea"),
                                         {g.x(), g.y(), uint(g.width()), uint(g.height())});
            }
            if (shot.image.isNull() && problem.isEmpty())
                problem = shot.error;
            outputs.append({target.geometry, shot.image});
        }
        QMetaObject::invokeMethod(
            this,
            [this, outputs, problem] {
                worker_.join();
                busy_ = false;
                if (problem.isEmpty()) {
                    emit grabbed(outputs);
                } else {
                    qWarning().noquote() << "the outputs could not be read through KWin:" << problem;
                    emit failed(problem);
                }
            },
            Qt::QueuedConnection);
    });
}
