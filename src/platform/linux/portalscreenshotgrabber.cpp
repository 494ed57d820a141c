#include "platform/linux/portalscreenshotgrabber.h"

#include <QDBusMessage>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

#include "core/devicepixels.h"
#include "core/displayinfo.h"

namespace {

const QString SCREENSHOT_INTERFACE = QStringLiteral("org.freedesktop.portal.Screenshot");

QString canonicalFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}

} // namespace

QString portalShotFile(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile())
        return QString();
    const QString file = url.toLocalFile();
    return QFileInfo(file).isAbsolute() ? QDir::cleanPath(file) : QString();
}

bool isScratchShot(const QString& file, const QStringList& scratchFolders)
{
    const QFileInfo info(file);
    // a link could point anywhere: only a plain file of our own is removed
    if (!info.isFile() || info.isSymLink() || info.ownerId() != ::getuid())
        return false;
    const QString folder = canonicalFolder(info.absolutePath());
    for (const QString& scratch : scratchFolders) {
        if (scratch.isEmpty())
            continue;
        const QString root = canonicalFolder(scratch);
        if (folder == root || folder.startsWith(root + QLatin1Char('/')))
            return true;
    }
    return false;
}

QStringList defaultScratchFolders()
{
    QStringList folders{QDir::tempPath(), QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        folders << runtime;
    return folders;
}

QImage cropDesktopShot(const QImage& shot, const QRect& desktop, const QRect& rect)
{
    if (shot.isNull() || desktop.isEmpty() || rect.isEmpty())
        return QImage();
    const QRect inside = rect & desktop;
    if (inside.isEmpty())
        return QImage();
    // the portal's pixels may come at another scale than ours
    const qreal sx = qreal(shot.width()) / desktop.width();
    const qreal sy = qreal(shot.height()) / desktop.height();
    const QRect from = inside.translated(-desktop.topLeft());
    const QRectF source(from.x() * sx, from.y() * sy, from.width() * sx, from.height() * sy);
    QImage part(rect.size(), QImage::Format_RGB32);
    // what lies beyond the desktop stays black, as on X11
    part.fill(Qt::black);
    QPainter painter(&part);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, sx != 1 || sy != 1);
    painter.drawImage(QRectF(inside.translated(-rect.topLeft())), shot, source);
    painter.end();
    return part;
}

PortalScreenshotRequest::PortalScreenshotRequest(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus)
{
}

void PortalScreenshotRequest::start()
{
    auto* request = new PortalRequest(bus_, this);
    request->setTimeout(timeoutMs_);
    connect(request, &PortalRequest::answered, this, &PortalScreenshotRequest::onResponse);
    connect(request, &PortalRequest::failed, this, [this](PortalRequest::Failure failure, const QString& detail) {
        switch (failure) {
        case PortalRequest::Failure::NoBus:
            finish(QImage(), tr("there is no session bus to reach the portal"));
            break;
        case PortalRequest::Failure::Refused:
            finish(QImage(), tr("the screenshot portal refused the call: %1").arg(detail));
            break;
        case PortalRequest::Failure::TimedOut:
            finish(QImage(), tr("the screenshot portal did not answer within %1 s").arg(timeoutMs_ / 1000.0));
            break;
        }
    });
    const QVariantMap options{{QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}};
    request->start(SCREENSHOT_INTERFACE, QStringLiteral("Screenshot"), {QString()}, options);
}

void PortalScreenshotRequest::onResponse(uint response, const QVariantMap& results)
{
    if (done_)
        return;
    if (response == 1) {
        finish(QImage(), tr("the screenshot was cancelled"));
        return;
    }
    if (response != 0) {
        finish(QImage(), tr("the screenshot portal failed (response %1)").arg(response));
        return;
    }
    const QString uri = results.value(QStringLiteral("uri")).toString();
    const QString file = portalShotFile(uri);
    if (file.isEmpty()) {
        finish(QImage(), tr("the screenshot portal gave no local file but \"%1\"").arg(uri.left(200)));
        return;
    }
    QImage image;
    if (!image.load(file)) {
        finish(QImage(), tr("the screenshot portal's file %1 cannot be read as a picture").arg(file));
        return;
    }
    if (isScratchShot(file, scratch_)) {
        if (!QFile::remove(file))
            qWarning().noquote() << "cannot remove the portal's shot" << file;
    }
    finish(image, QString());
}

void PortalScreenshotRequest::finish(const QImage& image, const QString& error)
{
    if (done_)
        return;
    done_ = true;
    emit finished(image, error);
}

PortalScreenshotGrabber::PortalScreenshotGrabber(QObject* parent)
    : PortalScreenshotGrabber(QDBusConnection::sessionBus(), parent)
{
}

PortalScreenshotGrabber::PortalScreenshotGrabber(const QDBusConnection& bus, QObject* parent)
    : DesktopGrabber(parent)
    , bus_(bus)
    , scratch_(defaultScratchFolders())
{
}

QRect PortalScreenshotGrabber::desktopRect() const
{
    if (!desktop_.isNull())
        return desktop_;
    DisplayInfo::instance();
    return DisplayInfo::deviceDesktopRect();
}

QImage PortalScreenshotGrabber::grabRect(const QRect& rect)
{
    if (rect.isEmpty())
        return QImage();
    if (grabbing_) {
        qWarning() << "a portal screenshot is already being taken";
        return QImage();
    }
    grabbing_ = true;
    QElapsedTimer clock;
    clock.start();
    QImage shot;
    QString error;
    bool answered = false;
    QEventLoop loop;
    auto* request = new PortalScreenshotRequest(bus_, this);
    request->setTimeout(timeoutMs_);
    request->setScratchFolders(scratch_);
    connect(request, &PortalScreenshotRequest::finished, &loop, [&](const QImage& image, const QString& why) {
        shot = image;
        error = why;
        answered = true;
        loop.quit();
    });
    request->start();
    // the request's own timer ends the wait; this one guards against a lost one
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(timeoutMs_ + 2000);
    if (!answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    request->disconnect(&loop);
    request->deleteLater();
    grabbing_ = false;
    if (shot.isNull()) {
        qWarning().noquote() << "portal screenshot failed:" << (error.isEmpty() ? tr("no answer") : error);
        return QImage();
    }
    QImage part = cropDesktopShot(shot, desktopRect(), rect);
    qInfo() << "portal grabbed" << rect << "in" << clock.elapsed() << "ms";
    if (part.isNull())
        qWarning() << "the portal's shot" << shot.size() << "does not cover" << rect;
    return part;
}

void PortalScreenshotGrabber::grab()
{
    if (grabbing_)
        return;
    grabbing_ = true;
    auto* request = new PortalScreenshotRequest(bus_, this);
    request->setTimeout(timeoutMs_);
    request->setScratchFolders(scratch_);
    connect(request, &PortalScreenshotRequest::finished, this, [this, request](const QImage& shot, const QString& error) {
        request->deleteLater();
        grabbing_ = false;
        if (shot.isNull()) {
            qWarning().noquote() << "portal screenshot failed:" << error;
            emit failed(error);
            return;
        }
        const QRect desktop = desktopRect();
        const qreal factor = devicepixels::desktopFactor();
        QVector<OutputImage> outputs;
        for (QScreen* screen : QGuiApplication::screens()) {
            const QImage part = cropDesktopShot(shot, desktop, devicepixels::toDevice(screen->geometry(), factor));
            if (part.isNull()) {
                emit failed(tr("the portal's shot does not cover the screen %1").arg(screen->name()));
                return;
            }
            outputs.append({screen->geometry(), part});
        }
        emit grabbed(outputs);
    });
    request->start();
}
