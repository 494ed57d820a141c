#pragma once

#include <QImage>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <thread>

#include "platform/desktopgrabber.h"

// Grabs through KWin's ScreenShot2 interface over D-Bus: KWin writes the raw
// pixels into a pipe we hand it and describes them in its reply. KWin answers
// only callers that a .desktop file authorises for the interface (ours names
// it in X-KDE-DBUS-Restricted-Interfaces).
class KWinScreenShotGrabber : public DesktopGrabber
{
    Q_OBJECT
public:
    using DesktopGrabber::DesktopGrabber;
    ~KWinScreenShotGrabber() override;

    // `rect` in device pixels; KWin is asked for the logical area around it
    // at native resolution.
    QImage grabRect(const QRect& rect) override;
    // One CaptureScreen per output, in a worker thread.
    void grab() override;

private:
    std::thread worker_;
    bool busy_ = false;
};

namespace kwinshot {

// How long KWin may take to answer one capture, and then to finish writing
// its pixels. Captures take 0.02-0.3 s on a small machine.
constexpr int CALL_TIMEOUT_MS = 5000;
constexpr int READ_TIMEOUT_MS = 5000;

struct Capture
{
    QImage image;
    // KWin's device pixels per logical pixel for this image
    qreal scale = 1;
    // why there is no image
    QString error;
};

// Runs one ScreenShot2 method ("CaptureArea", "CaptureScreen", ...) with
// these leading arguments; the options and the pipe are added. Blocks for
// CALL_TIMEOUT_MS + READ_TIMEOUT_MS at most, whatever KWin does; safe to run
// from any thread.
Capture capture(const QString& method, const QVariantList& args);

// The options every capture sends: device pixels, no cursor.
QVariantMap captureOptions();

// The image that a reply's metadata ("type", "width", "height", "stride",
// "format" as a QImage::Format value) describes in `pixels`, as
// Format_RGB32; null with the reason in `error` when the metadata is not a
// raw 32-bit image or the pixels do not hold it.
QImage decodeRaw(const QVariantMap& reply, const QByteArray& pixels, QString* error);

// The byte count the reply promises (stride * height), 0 when it promises
// nothing sensible.
qint64 expectedBytes(const QVariantMap& reply);

// A user's explanation of a D-Bus error that KWin or the bus sent back.
QString explainError(const QString& name, const QString& message);

} // namespace kwinshot
