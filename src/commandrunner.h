#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>

#include "core/commandline.h"

class Klipora;

// Carries out a command line: in the running instance for commands that
// come over its socket, or in a process of its own for a `shot` to a file.
// Every command ends with one call of its done function: 0 when done, 1
// with a one-line reason.
class CommandRunner : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(int status, const QString& message)>;

    // Without an application object only `shot` runs.
    explicit CommandRunner(Klipora* app, QObject* parent = nullptr);

    void run(const CommandLine& line, Done done);
    // Arguments sent by another process; they were checked there, and are
    // checked again here.
    void runArguments(const QStringList& args, Done done);

    // Where a region lies on the desktop; false with a reason when it does
    // not lie on it whole. No region means the whole desktop.
    static bool captureRect(const CommandLine& line, const QSize& desktop, QRect* rect, QString* error);

private:
    // Runs then after the countdown, or at once without a delay.
    void afterDelay(int ms, std::function<void()> then, Done done);
    void shot(const CommandLine& line, Done done);
    void pin(const CommandLine& line, Done done);
    void record(const CommandLine& line, Done done);

    Klipora* app_ = nullptr;
};
