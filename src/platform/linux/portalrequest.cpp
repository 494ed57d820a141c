#include "platform/linux/portalrequest.h"

#include <QAtomicInt>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <QRandomGenerator>
#include <QTimer>

namespace {

const QString PORTAL_SERVICE = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PORTAL_PATH = QStringLiteral("/org/freedesktop/portal/desktop");
const QString REQUEST_INTERFACE = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

QString portalRequestPath(const QString& uniqueName, const QString& token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return PORTAL_PATH + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

QString PortalRequest::newToken()
{
    // the counter keeps two requests of one moment apart
    static QAtomicInt counter;
    return QStringLiteral("klipora%1_%2")
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
        .arg(counter.fetchAndAddRelaxed(1));
}

PortalRequest::PortalRequest(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus)
    , timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] { fail(Failure::TimedOut, QString()); });
}

void PortalRequest::subscribe(const QString& path)
{
    unsubscribe();
    path_ = path;
    // any sender: a portal started by this very call has no owner yet that a
    // match on its name could follow; the path holds our name and token
    bus_.connect(QString(), path_, REQUEST_INTERFACE, QStringLiteral("Response"), this,
                 SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::unsubscribe()
{
    if (path_.isEmpty())
        return;
    bus_.disconnect(QString(), path_, REQUEST_INTERFACE, QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap)));
    path_.clear();
}

void PortalRequest::start(const QString& interface, const QString& method, const QVariantList& args,
                          QVariantMap options)
{
    if (!bus_.isConnected()) {
        QTimer::singleShot(0, this, [this] { fail(Failure::NoBus, QString()); });
        return;
    }
    const QString token = newToken();
    options.insert(QStringLiteral("handle_token"), token);
    subscribe(portalRequestPath(bus_.baseService(), token));
    timer_->start(timeoutMs_);

    QDBusMessage call = QDBusMessage::createMethodCall(PORTAL_SERVICE, PORTAL_PATH, interface, method);
    call.setArguments(QVariantList(args) << options);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, timeoutMs_), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (done_)
            return;
        QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            fail(Failure::Refused, reply.error().message());
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

void PortalRequest::onResponse(uint response, const QVariantMap& results)
{
    if (done_)
        return;
    done_ = true;
    timer_->stop();
    unsubscribe();
    emit answered(response, results);
}

void PortalRequest::fail(Failure failure, const QString& detail)
{
    if (done_)
        return;
    done_ = true;
    timer_->stop();
    unsubscribe();
    emit failed(failure, detail);
}
