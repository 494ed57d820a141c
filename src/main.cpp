#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QLoggingCategory>
#include <QProcessEnvironment>
#include <QTimer>

#include <cstdio>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "commandrunner.h"
#include "core/commandline.h"
#include "core/config.h"
#include "core/displayinfo.h"
#include "core/instanceclient.h"
#include "core/instanceserver.h"
#include "core/resources.h"
#include "core/terminationsignals.h"
#include "klipora.h"
#include "platform/desktop.h"
#include "widgets/retranslatable.h"

namespace {

void printErr(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

void printOut(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void setUpLogging()
{
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} (%{type}) %{file}:%{line}] %{message}"));
}

void loadLanguage()
{
    const QString language = Config::instance().string(Config::Language);
    qInfo().noquote().nospace() << "LANGUAGE: " << language;
    trs::initLanguages();
    trs::loadLanguage(language);
}

// A message from the running instance, or about it, on stderr.
int report(int status, const QString& message)
{
    if (!message.isEmpty())
        printErr((status == 0 ? QString() : QStringLiteral("klipora: ")) + message + QLatin1Char('\n'));
    if (status == 2)
        printErr(QStringLiteral("\n") + usageText());
    return status;
}

// Every command but a plain start and `shot --path`: talks to the running
// instance, starting one in the background when there is none. Needs no
// display of its own.
int runClient(int argc, char* argv[], const ParsedCommandLine& parsed)
{
    QCoreApplication app(argc, argv);
    setUpLogging();
    // a command's stderr is for the user: the instance's chatter stays there
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
    loadLanguage();

    if (parsed.status != 0)
        return report(parsed.status, parsed.error);
    if (parsed.line.command == CommandLine::HELP) {
        printOut(usageText());
        return 0;
    }
    if (parsed.line.command == CommandLine::VERSION) {
        printOut(versionText());
        return 0;
    }

    const QStringList args = withAbsolutePaths(parsed.line, QDir::currentPath()).toArguments();
    // a delayed command answers once its countdown is over
    const int timeoutMs = parsed.line.delayMs + 60000;
    int status = 1;
    QString message;
    QString error;
    InstanceClient::Result result = InstanceClient::send(args, timeoutMs, &status, &message, &error);
    if (result == InstanceClient::NOT_RUNNING) {
        if (!InstanceClient::startInstance(QCoreApplication::applicationFilePath(), 30000, &error))
            return report(1, CommandLine::tr("cannot start Klipora: %1").arg(error));
        result = InstanceClient::send(args, timeoutMs, &status, &message, &error);
    }
    if (result != InstanceClient::DONE)
        return report(1, CommandLine::tr("the running Klipora did not answer: %1").arg(error));
    return report(status, message);
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const ParsedCommandLine parsed = parseCommandLine(args);
    const CommandLine& line = parsed.line;
    const bool localShot = parsed.status == 0 && line.command == CommandLine::SHOT && !line.clipboard;
    if (parsed.status != 0 || (line.command != CommandLine::START && !localShot))
        return runClient(argc, argv, parsed);

#ifdef __GLIBC__
    // Desktop-sized buffers come and go with every capture. A fixed threshold
    // keeps them in their own mappings, returned to the system when freed;
    // glibc would otherwise raise it to their size and keep them resident.
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
#endif
    // Plain raster windows: an OpenGL-capable surface would load the GL
    // driver stack (tens of MB resident) on the overlay's first show, and
    // nothing here draws with OpenGL.
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    // A Wayland session without an X server: the toolkit would look for X.
    const QByteArray qpa = platform::preferredQpaPlatform(QProcessEnvironment::systemEnvironment());
    if (!qpa.isEmpty())
        qputenv("QT_QPA_PLATFORM", qpa);
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    setUpLogging();

    if (localShot) {
        // A file needs no tray: the capture runs here, with or without an
        // instance.
        QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
        DisplayInfo::instance();
        loadLanguage();
        CommandRunner runner(nullptr);
        const CommandLine absolute = withAbsolutePaths(line, QDir::currentPath());
        QTimer::singleShot(0, &runner, [&runner, absolute] {
            runner.run(absolute, [](int status, const QString& message) {
                report(status, message);
                QCoreApplication::exit(status);
            });
        });
        return app.exec();
    }

    // One instance per user: a second start tells the first one and leaves.
    InstanceServer server;
    QString claimError;
    const InstanceServer::Claim claim = server.claim(&claimError);
    if (claim == InstanceServer::RUNNING) {
        int status = 1;
        QString message;
        QString error;
        if (InstanceClient::send({}, 10000, &status, &message, &error) != InstanceClient::DONE)
            return report(1, CommandLine::tr("Klipora is already running, but does not answer: %1").arg(error));
        return report(status, message);
    }
    if (claim == InstanceServer::FAILED)
        qWarning().noquote() << "commands cannot reach this instance:" << claimError;

    DisplayInfo::instance();
    qInfo() << "desktop:" << platform::desktopName(platform::currentDesktop());

    initResources();
    const QString menuSheet = readResourceText(QStringLiteral(":/qss/menu/menu.qss"));
    if (!menuSheet.isEmpty())
        app.setStyleSheet(menuSheet);

    loadLanguage();

    quitOnTerminationSignals();
    Klipora klipora;
    CommandRunner runner(&klipora);
    server.setHandler([&runner](const QStringList& request, InstanceServer::Done done) {
        runner.runArguments(request, std::move(done));
    });
    trs::retranslateAll();
    return app.exec();
}
