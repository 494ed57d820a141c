#pragma once

#include <QString>
#include <QStringList>

// A command's end of the line to the running instance (see InstanceServer).
// Everything here blocks, with bounded waits: a command line has nothing
// else to do meanwhile.
class InstanceClient
{
public:
    enum Result { DONE, NOT_RUNNING, NO_ANSWER };

    // Sends one request and waits up to timeoutMs for its reply.
    static Result send(const QStringList& args, int timeoutMs, int* status, QString* message, QString* error);

    // Starts Klipora in the background (it stays in the tray) and waits until
    // it answers.
    static bool startInstance(const QString& program, int timeoutMs, QString* error);
};
