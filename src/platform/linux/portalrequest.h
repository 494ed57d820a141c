#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class QTimer;

// One call to a desktop portal method that answers later, on a Request
// object of its own. The Response signal is subscribed to before the call,
// because a fast backend may answer before the call's reply arrives; an
// older portal that names another path in its reply is followed there.
// Exactly one of answered() and failed() comes, from the event loop.
class PortalRequest : public QObject
{
    Q_OBJECT
public:
    enum class Failure {
        NoBus,
        Refused,
        TimedOut,
    };
    Q_ENUM(Failure)

    explicit PortalRequest(const QDBusConnection& bus, QObject* parent = nullptr);

    void setTimeout(int ms) { timeoutMs_ = ms; }
    int timeout() const { return timeoutMs_; }
    // Calls `method` of the portal's `interface` with `args` followed by
    // `options`, to which a handle_token of ours is added.
    void start(const QString& interface, const QString& method, const QVariantList& args, QVariantMap options);

    // A token no other request of this process uses.
    static QString newToken();

signals:
    // The portal's response: 0 success, 1 cancelled by the user, 2 other.
    void answered(uint response, const QVariantMap& results);
    // No response: `detail` is the bus's error message for Refused.
    void failed(PortalRequest::Failure failure, const QString& detail);

private slots:
    void onResponse(uint response, const QVariantMap& results);

private:
    void subscribe(const QString& path);
    void unsubscribe();
    void fail(Failure failure, const QString& detail);

    QDBusConnection bus_;
    QTimer* timer_ = nullptr;
    QString path_;
    int timeoutMs_ = 30000;
    bool done_ = false;
};

// The Request object the portal answers on for this caller and token: the
// caller's unique name without its ':' and with '.' as '_'.
QString portalRequestPath(const QString& uniqueName, const QString& token);
