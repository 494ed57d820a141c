#include "core/terminationsignals.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int wakeFds[2] = {-1, -1};

void onSignal(int sig)
{
    // Only async-signal-safe work here: the event loop does the rest.
    const char c = char(sig);
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[0], &c, 1);
}

} // namespace

void quitOnTerminationSignals()
{
    if (wakeFds[0] != -1)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeFds) != 0) {
        qWarning() << "cannot watch termination signals";
        return;
    }
    auto* notifier = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char c = 0;
        if (::read(wakeFds[1], &c, 1) == 1)
            qInfo() << "signal" << int(c) << "received, quitting";
        QCoreApplication::quit();
    });

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}
