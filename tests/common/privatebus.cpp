#include "privatebus.h"

#include <QElapsedTimer>
#include <QStandardPaths>

namespace testutil {

PrivateBus::~PrivateBus()
{
    if (daemon_.state() == QProcess::NotRunning)
        return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(5000))
        daemon_.kill();
    daemon_.waitForFinished(2000);
}

bool PrivateBus::start(QString* reason)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
        *reason = QStringLiteral("dbus-daemon is not installed");
        return false;
    }
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    if (!daemon_.waitForStarted(10000)) {
        *reason = daemon_.errorString();
        return false;
    }
    // the address is its first line, once it listens
    QElapsedTimer clock;
    clock.start();
    while (!daemon_.canReadLine() && daemon_.state() == QProcess::Running && clock.elapsed() < 10000)
        daemon_.waitForReadyRead(200);
    address_ = QString::fromLocal8Bit(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) {
        *reason = QStringLiteral("dbus-daemon told no address");
        return false;
    }
    return true;
}

} // namespace testutil
