#include "commandrunner.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDebug>
#include <QGuiApplication>
#include <QImageReader>
#include <QPointer>
#include <QTimer>

#include "core/actionregistry.h"
#include "core/desktopgrab.h"
#include "core/displayinfo.h"
#include "core/imagesaver.h"
#include "klipora.h"
#include "snip/screenshoter.h"
#include "video/gifcapturer.h"
#include "video/screenrecorder.h"
#include "widgets/countdown.h"

CommandRunner::CommandRunner(Klipora* app, QObject* parent)
    : QObject(parent)
    , app_(app)
{
}

bool CommandRunner::captureRect(const CommandLine& line, const QSize& desktop, QRect* rect, QString* error)
{
    const QRect whole(QPoint(0, 0), desktop);
    if (!line.hasRegion) {
        *rect = whole;
        return true;
    }
    if (!whole.contains(line.region)) {
        *error = tr("the region %1,%2,%3,%4 does not lie within the desktop of %5x%6")
                     .arg(line.region.x())
                     .arg(line.region.y())
                     .arg(line.region.width())
                     .arg(line.region.height())
                     .arg(desktop.width())
                     .arg(desktop.height());
        return false;
    }
    *rect = line.region;
    return true;
}

void CommandRunner::runArguments(const QStringList& args, Done done)
{
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (parsed.status != 0) {
        done(2, parsed.error);
        return;
    }
    run(parsed.line, std::move(done));
}

void CommandRunner::afterDelay(int ms, std::function<void()> then, Done done)
{
    if (ms <= 0) {
        then();
        return;
    }
    auto* countdown = new Countdown(ms, app_);
    connect(countdown, &Countdown::finished, this, [countdown, then] {
        countdown->deleteLater();
        then();
    });
    connect(countdown, &Countdown::cancelled, this, [countdown, done] {
        countdown->deleteLater();
        done(1, tr("cancelled"));
    });
    countdown->start();
}

void CommandRunner::run(const CommandLine& line, Done done)
{
    if (line.command == CommandLine::SHOT) {
        shot(line, std::move(done));
        return;
    }
    if (!app_) {
        done(1, tr("Klipora is not running"));
        return;
    }
    ActionRegistry* actions = app_->actions();
    switch (line.command) {
    case CommandLine::START: {
        const QString text = tr("Klipora is already running.");
        app_->showMessage(QStringLiteral("Klipora"), text, QSystemTrayIcon::Information, 10000);
        done(0, text);
        break;
    }
    case CommandLine::SNIP: {
        QPointer<Klipora> app(app_);
        afterDelay(line.delayMs, [app, done] {
            if (!app)
                return;
            app->actions()->trigger(QStringLiteral("snip"));
            done(0, QString());
        }, done);
        break;
    }
    case CommandLine::PIN:
        pin(line, std::move(done));
        break;
    case CommandLine::RECORD:
        record(line, std::move(done));
        break;
    case CommandLine::SCROLL:
        if (line.path.isEmpty())
            actions->trigger(QStringLiteral("scroll"));
        else
            app_->scrollCapture(line.path);
        done(0, QString());
        break;
    case CommandLine::SETTINGS:
        actions->trigger(QStringLiteral("settings"));
        done(0, QString());
        break;
    case CommandLine::QUIT:
        // the reply goes out before the event loop ends
        done(0, QString());
        QTimer::singleShot(0, app_, [actions] { actions->trigger(QStringLiteral("quit")); });
        break;
    case CommandLine::SHOT:
    case CommandLine::HELP:
    case CommandLine::VERSION:
        // answered by the command itself, never sent
        done(2, tr("not a command for the running Klipora"));
        break;
    }
}

void CommandRunner::shot(const CommandLine& line, Done done)
{
    QRect rect;
    QString error;
    // regions are in device pixels, as other programs count them
    if (!captureRect(line, DisplayInfo::deviceDesktopRect().size(), &rect, &error)) {
        done(1, error);
        return;
    }
    afterDelay(line.delayMs, [line, rect, done] {
        const QImage image = grabDevicePixels(rect);
        if (image.isNull() || image.size() != rect.size()) {
            done(1, tr("the capture failed"));
            return;
        }
        if (line.clipboard) {
            ImageSaver::copy(image, rect.topLeft());
            qInfo() << "shot to the clipboard" << rect;
            done(0, QString());
            return;
        }
        QString why;
        if (!ImageSaver::save(image, line.path, &why)) {
            done(1, tr("cannot write %1: %2").arg(line.path, why));
            return;
        }
        qInfo().noquote() << "shot written to" << line.path;
        done(0, QString());
    }, done);
}

void CommandRunner::pin(const CommandLine& line, Done done)
{
    if (line.files.isEmpty()) {
        if (app_->history().empty()) {
            done(1, tr("nothing to pin: nothing was copied since Klipora started"));
            return;
        }
        app_->actions()->trigger(QStringLiteral("pin"));
        done(0, QString());
        return;
    }
    // every file is read before any is pinned: a bad one pins none
    QList<QPixmap> images;
    for (const QString& file : line.files) {
        QImageReader reader(file);
        reader.setAutoTransform(true);
        const QImage image = reader.read();
        if (image.isNull()) {
            done(1, tr("cannot open %1: %2").arg(file, reader.errorString()));
            return;
        }
        images << QPixmap::fromImage(image);
    }
    QPoint at = QCursor::pos();
    for (const QPixmap& image : images) {
        app_->pinImage(image, at);
        at += QPoint(24, 24);
    }
    done(0, QString());
}

void CommandRunner::record(const CommandLine& line, Done done)
{
    RecordSelector* recorder = line.gif ? static_cast<RecordSelector*>(app_->gifCapturer())
                                        : static_cast<RecordSelector*>(app_->screenRecorder());
    if (!line.hasRegion || recorder->currentStatus() != Selector::IDLE) {
        // a running recording stops whatever region was asked for
        app_->actions()->trigger(line.gif ? QStringLiteral("gif") : QStringLiteral("record"));
        done(0, QString());
        return;
    }
    QRect rect;
    QString error;
    if (!captureRect(line, DisplayInfo::deviceDesktopRect().size(), &rect, &error)) {
        done(1, error);
        return;
    }
    if (!recorder->recordRegion(rect)) {
        done(1, tr("the recording could not start"));
        return;
    }
    done(0, QString());
}
