#include "platform/linux/portalscreenshotgrabber.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QRandomGenerator>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

#include "core/devicepixels.h"
#include "core/displayinfo.h"

namespace {

const QString PORTAL_SERVICE = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PORTAL_PATH = QStringLiteral("/org/freedesktop/portal/desktop");
const QString SCREENSHOT_INTERFACE = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString REQUEST_INTERFACE = QStringLiteral("org.freedesktop.portal.Request");

QString canonicalFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}

} // namespace

QString portalRequestPath(const QString& uniqueName, const QString& token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return PORTAL_PATH + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

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
    , timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] {
        finish(QImage(), tr("the screenshot portal did not answer within %1 s").arg(timeoutMs_ / 1000.0));
    });
}

void PortalScreenshotRequest::subscribe(const QString& path)
{
    unsubscribe();
    path_ = path;
    // any sender: a portal started by this very call has no owner yet that a
    // match on its name could follow; the path holds our name and token
    bus_.connect(QString(), path_, REQUEST_INTERFACE, QStringLiteral("Response"), this,
                 SLOT(onResponse(uint, QVariantMap)));
}

void PortalScreenshotRequest::unsubscribe()
{
    if (path_.isEmpty())
        return;
    bus_.disconnect(QString(), path_, REQUEST_INTERFACE, QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap)));
    path_.clear();
}

void PortalScreenshotRequest::start()
{
    if (!bus_.isConnected()) {
        QTimer::singleShot(0, this, [this] { finish(QImage(), tr("there is no session bus to reach the portal")); });
        return;
    }
    const QString token =
        QStringLiteral("klipora%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    subscribe(portalRequestPath(bus_.baseService(), token));
    timer_->start(timeoutMs_);

    QDBusMessage call =
        QDBusMessage::createMethodCall(PORTAL_SERVICE, PORTAL_PATH, SCREENSHOT_INTERFACE, QStringLiteral("Screenshot"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("interactive"), false},
                              {QStringLiteral("modal"), false}};
    call << QString() << options;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, timeoutMs_), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (done_)
            return;
        QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            finish(QImage(), tr("the screenshot portal refused the call: %1").arg(reply.error().message()));
            return;
        }
        // older portals pick their own path: listen there instead
        const QString handle = reply.value().path();
        if (!handle.isEmpty() && handle != path_) {
            qInfo().noquote() << "the portal answers on" << handle;
            subscribe(handle);
        }
    });
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
    timer_->stop();
    unsubscribe();
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
