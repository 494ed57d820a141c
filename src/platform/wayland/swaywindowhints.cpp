#include "platform/wayland/swaywindowhints.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "platform/wayland/swaymsg.h"

namespace {

constexpr int RETRY_MS = 100;
// sway maps a new window within a few frames; this is generous
constexpr int ATTEMPTS = 50;

int windowCount = 0;

} // namespace

void SwayWindowHints::keepOnTop(QWidget* window, const QPoint& place)
{
    whenMapped(window, QStringLiteral("Klipora pin"),
               QStringLiteral("floating enable, sticky enable, border none, move absolute position %1 %2")
                   .arg(place.x())
                   .arg(place.y()));
}

void SwayWindowHints::coverDesktop(QWidget* overlay, const QPoint& desktopTopLeft)
{
    whenMapped(overlay, QStringLiteral("Klipora overlay"),
               QStringLiteral("floating enable, border none, move absolute position %1 %2, focus")
                   .arg(desktopTopLeft.x())
                   .arg(desktopTopLeft.y()));
}

void SwayWindowHints::whenMapped(QWidget* window, const QString& titlePrefix, const QString& command)
{
    if (!window)
        return;
    // criteria need a title no other window of ours has; a window keeps its own
    QString title = window->property("klipora-sway-title").toString();
    if (title.isEmpty()) {
        title = QStringLiteral("%1 %2").arg(titlePrefix).arg(++windowCount);
        window->setProperty("klipora-sway-title", title);
        window->setWindowTitle(title);
    }
    const QString full = swaymsg::criteria(QCoreApplication::applicationPid(), title) + QLatin1Char(' ') + command;
    auto* timer = new QTimer(window);
    timer->setInterval(RETRY_MS);
    auto attempts = std::make_shared<int>(0);
    const auto tryOnce = [timer, full, attempts] {
        if (!timer->isActive())
            return;
        QByteArray reply;
        swaymsg::run({QStringLiteral("-r"), full}, &reply);
        if (swaymsg::succeeded(reply)) {
            qInfo().noquote() << "sway placed the window:" << full;
        } else if (++*attempts < ATTEMPTS) {
            return;
        } else {
            qWarning().noquote() << "sway did not place the window:" << full << reply.trimmed();
        }
        timer->stop();
        timer->deleteLater();
    };
    QObject::connect(timer, &QTimer::timeout, timer, tryOnce);
    timer->start();
    // the first try needs no wait: the window may be mapped already
    QTimer::singleShot(0, timer, tryOnce);
}
