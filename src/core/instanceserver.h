#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalServer;
class QLocalSocket;

// The running instance's end of the command line: a local socket in the
// user's runtime folder, reachable by that user alone. Each connection
// carries one framed request {"args": [...]} and gets one framed reply
// {"status": n, "message": "..."}; anything else is dropped and logged.
class InstanceServer : public QObject
{
    Q_OBJECT
public:
    enum Claim { CLAIMED, RUNNING, FAILED };
    using Done = std::function<void(int status, const QString& message)>;
    using Handler = std::function<void(const QStringList& args, Done done)>;

    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    // The socket's path; empty when there is no private runtime folder.
    static QString socketPath(QString* error = nullptr);

    // Listens, unless another instance already answers there (RUNNING).
    // Two starts at the same moment are serialised by a lock file, and a
    // socket left behind by a crashed instance is replaced.
    Claim claim(QString* error);
    bool isListening() const;

    void setHandler(Handler handler) { handler_ = std::move(handler); }

    // A connection that has not sent a whole request by then is dropped.
    static constexpr int REQUEST_TIMEOUT_MS = 10000;

private:
    void accept();
    void serve(QLocalSocket* socket);

    QLocalServer* server_ = nullptr;
    Handler handler_;
};

// The reply payload and its reading, shared with the client.
QByteArray encodeRequest(const QStringList& args);
bool decodeRequest(const QByteArray& payload, QStringList* args);
QByteArray encodeReply(int status, const QString& message);
bool decodeReply(const QByteArray& payload, int* status, QString* message);
