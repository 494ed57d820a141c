#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "platform/desktopgrabber.h"
#include "platform/linux/portalrequest.h"

// One non-interactive request to the desktop portal's Screenshot interface.
// finished() comes exactly once, from the event loop: the whole desktop, or
// a null image and why.
class PortalScreenshotRequest : public QObject
{
    Q_OBJECT
public:
    explicit PortalScreenshotRequest(const QDBusConnection& bus, QObject* parent = nullptr);

    void setTimeout(int ms) { timeoutMs_ = ms; }
    // Folders whose shots are ours to delete once read.
    void setScratchFolders(const QStringList& folders) { scratch_ = folders; }
    void start();

signals:
    void finished(const QImage& image, const QString& error);

private:
    void onResponse(uint response, const QVariantMap& results);
    void finish(const QImage& image, const QString& error);

    QDBusConnection bus_;
    QStringList scratch_;
    int timeoutMs_ = 30000;
    bool done_ = false;
};

// Grabs through the desktop portal (GNOME, and Wayland desktops Klipora has
// no own backend for). The portal always shoots the whole desktop and hands
// over a file; the rectangle is cut from it.
class PortalScreenshotGrabber : public DesktopGrabber
{
    Q_OBJECT
public:
    explicit PortalScreenshotGrabber(QObject* parent = nullptr);
    PortalScreenshotGrabber(const QDBusConnection& bus, QObject* parent = nullptr);

    void setTimeout(int ms) { timeoutMs_ = ms; }
    void setScratchFolders(const QStringList& folders) { scratch_ = folders; }
    // Where the desktop's top-left device pixel sits (tests).
    void setDesktopRect(const QRect& rect) { desktop_ = rect; }

    // Blocking: waits for the portal in a local event loop, bounded by the
    // timeout. Device pixels.
    QImage grabRect(const QRect& rect) override;
    void grab() override;

private:
    QRect desktopRect() const;

    QDBusConnection bus_;
    QStringList scratch_;
    QRect desktop_;
    int timeoutMs_ = 30000;
    bool grabbing_ = false;
};

// The local file of a portal's "uri" result; empty for anything else.
QString portalShotFile(const QString& uri);

// Whether a shot the portal left in `file` is a scratch copy Klipora may
// delete: it must lie inside one of the folders. A shot in the user's own
// pictures folder stays.
bool isScratchShot(const QString& file, const QStringList& scratchFolders);

// The temporary and cache folders a portal backend writes its scratch shots
// to (the system's temporary folder, the user's cache and runtime folders).
QStringList defaultScratchFolders();

// `rect` (device pixels) cut out of a desktop image whose top-left is the
// desktop's top-left; an image of another size than the desktop (a scaled
// desktop) is cut at the same proportions, and what lies beyond the desktop
// is black. Null when nothing of it is on the desktop.
QImage cropDesktopShot(const QImage& shot, const QRect& desktop, const QRect& rect);
