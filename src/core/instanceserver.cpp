#include "instanceserver.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

#include "core/framereader.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

QByteArray encodeRequest(const QStringList& args)
{
    QJsonObject object;
    object.insert(QStringLiteral("args"), QJsonArray::fromStringList(args));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool decodeRequest(const QByteArray& payload, QStringList* args)
{
    const QJsonDocument doc = QJsonDocument::fromJson(payload);
    if (!doc.isObject() || !doc.object().value(QStringLiteral("args")).isArray())
        return false;
    QStringList list;
    for (const QJsonValue& value : doc.object().value(QStringLiteral("args")).toArray()) {
        if (!value.isString())
            return false;
        list << value.toString();
    }
    *args = list;
    return true;
}

QByteArray encodeReply(int status, const QString& message)
{
    QJsonObject object;
    object.insert(QStringLiteral("status"), status);
    object.insert(QStringLiteral("message"), message);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool decodeReply(const QByteArray& payload, int* status, QString* message)
{
    const QJsonDocument doc = QJsonDocument::fromJson(payload);
    if (!doc.isObject())
        return false;
    const QJsonValue s = doc.object().value(QStringLiteral("status"));
    const QJsonValue m = doc.object().value(QStringLiteral("message"));
    if (!s.isDouble() || !m.isString())
        return false;
    *status = s.toInt();
    *message = m.toString();
    return true;
}

InstanceServer::InstanceServer(QObject* parent)
    : QObject(parent)
{
}

InstanceServer::~InstanceServer() = default;

QString InstanceServer::socketPath(QString* error)
{
    // Qt makes this folder (0700, ours) when XDG_RUNTIME_DIR is not set.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QFileInfo info(dir);
    QString problem;
    if (dir.isEmpty() || !info.isDir())
        problem = QStringLiteral("there is no runtime folder");
    else if (info.permissions() & (QFile::WriteGroup | QFile::WriteOther | QFile::ReadOther | QFile::ExeOther))
        problem = QStringLiteral("the runtime folder %1 is open to other users").arg(dir);
#ifdef Q_OS_UNIX
    else if (info.ownerId() != ::getuid())
        problem = QStringLiteral("the runtime folder %1 belongs to another user").arg(dir);
#endif
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return QString();
    }
    return dir + QStringLiteral("/klipora.socket");
}

bool InstanceServer::isListening() const
{
    return server_ && server_->isListening();
}

InstanceServer::Claim InstanceServer::claim(QString* error)
{
    const QString path = socketPath(error);
    if (path.isEmpty())
        return FAILED;
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(15000)) {
        *error = QStringLiteral("another Klipora is starting and holds %1").arg(path + QStringLiteral(".lock"));
        return FAILED;
    }
    {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(2000))
            return RUNNING;
    }
    // nobody answers: what is left there is a dead instance's
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        *error = server_->errorString();
        delete server_;
        server_ = nullptr;
        return FAILED;
    }
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::accept);
    qInfo().noquote() << "listening on" << path;
    return CLAIMED;
}

void InstanceServer::accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection())
        serve(socket);
}

void InstanceServer::serve(QLocalSocket* socket)
{
    struct State
    {
        FrameReader reader;
        bool answered = false;
    };
    auto state = std::make_shared<State>();
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);

    const auto drop = [socket](const QString& why) {
        qWarning().noquote() << "dropped a command connection:" << why;
        socket->abort();
        socket->deleteLater();
    };
    QTimer::singleShot(REQUEST_TIMEOUT_MS, socket, [state, drop] {
        if (!state->answered)
            drop(QStringLiteral("no whole request in time"));
    });

    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, state, drop] {
        const QByteArray bytes = socket->readAll();
        if (state->answered)
            return; // one request per connection
        const FrameReader::Result result = state->reader.feed(bytes);
        if (result == FrameReader::NEED_MORE)
            return;
        state->answered = true;
        if (result == FrameReader::BAD) {
            drop(state->reader.errorString());
            return;
        }
        QStringList args;
        if (!decodeRequest(state->reader.take(), &args)) {
            drop(QStringLiteral("not a request"));
            return;
        }
        qInfo().noquote() << "command:" << (args.isEmpty() ? QStringLiteral("(start)") : args.join(QLatin1Char(' ')));
        QPointer<QLocalSocket> guard(socket);
        Done done = [guard](int status, const QString& message) {
            if (!guard)
                return; // the caller went away; what was done stays done
            guard->write(FrameReader::encode(encodeReply(status, message)));
            guard->flush();
            guard->disconnectFromServer();
        };
        if (handler_)
            handler_(args, done);
        else
            done(1, QStringLiteral("Klipora is not ready"));
    });
}
