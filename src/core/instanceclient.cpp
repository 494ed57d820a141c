#include "instanceclient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include "core/framereader.h"
#include "core/instanceserver.h"

InstanceClient::Result InstanceClient::send(const QStringList& args, int timeoutMs, int* status, QString* message,
                                            QString* error)
{
    const QString path = InstanceServer::socketPath(error);
    if (path.isEmpty())
        return NOT_RUNNING;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(2000)) {
        *error = socket.errorString();
        return NOT_RUNNING;
    }
    QDeadlineTimer deadline(timeoutMs);
    socket.write(FrameReader::encode(encodeRequest(args)));
    if (!socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())))) {
        *error = socket.errorString();
        return NO_ANSWER;
    }
    FrameReader reader;
    for (;;) {
        FrameReader::Result result = reader.feed(socket.readAll());
        if (result == FrameReader::FRAME) {
            if (!decodeReply(reader.take(), status, message)) {
                *error = QStringLiteral("the running Klipora sent an unreadable reply");
                return NO_ANSWER;
            }
            return DONE;
        }
        if (result == FrameReader::BAD) {
            *error = QStringLiteral("the running Klipora sent an unreadable reply");
            return NO_ANSWER;
        }
        if (deadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState) {
            *error = socket.state() == QLocalSocket::ConnectedState ? QStringLiteral("no reply in time")
                                                                     : QStringLiteral("the connection closed");
            return NO_ANSWER;
        }
        socket.waitForReadyRead(int(qBound<qint64>(1, deadline.remainingTime(), 1000)));
    }
}

bool InstanceClient::startInstance(const QString& program, int timeoutMs, QString* error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments({});
    // A shell that waits for the command's output must not wait for the
    // tray's lifetime.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        *error = process.errorString();
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    const QString path = InstanceServer::socketPath(error);
    while (!deadline.hasExpired()) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(500))
            return true;
        QThread::msleep(50);
    }
    *error = QStringLiteral("Klipora did not start within %1 s").arg(timeoutMs / 1000);
    return false;
}
