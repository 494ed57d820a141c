#include "platform/kde/kwinwindowhints.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "platform/kde/kwinscript.h"

namespace {

int windowCount = 0;

} // namespace

void KWinWindowHints::keepOnTop(QWidget* window, const QPoint& place)
{
    placeAbove(window, QStringLiteral("Klipora pin"), place, false);
}

void KWinWindowHints::coverDesktop(QWidget* overlay, const QPoint& desktopTopLeft)
{
    placeAbove(overlay, QStringLiteral("Klipora overlay"), desktopTopLeft, true);
}

void KWinWindowHints::placeAbove(QWidget* window, const QString& titlePrefix, const QPoint& topLeft, bool activate)
{
    if (!window)
        return;
    // the script finds the window by our pid and a caption no other window
    // of ours has; a window keeps the one it was given
    QString title = window->property("klipora-kwin-title").toString();
    if (title.isEmpty()) {
        title = QStringLiteral("%1 %2").arg(titlePrefix).arg(++windowCount);
        window->setProperty("klipora-kwin-title", title);
        window->setWindowTitle(title);
    }
    kwinscript::ReportSource* source = kwinscript::reportSource();
    if (!source) {
        qWarning() << "no way to hear from KWin; the window is not kept above";
        return;
    }
    const int id = kwinscript::newRequestId();
    const QString name = kwinscript::uniqueName("pin");
    const QString script =
        kwinscript::keepAboveScript(QCoreApplication::applicationPid(), title, QRect(topLeft, window->size()), activate,
                                    kwinscript::reportTarget(), id);

    QString error;
    if (!kwinscript::loadScript(script, name, &error)) {
        qWarning().noquote() << "KWin does not keep the window above:" << error;
        return;
    }
    // unloaded once it reports, when its window never comes, or goes
    auto* guard = new QObject(window);
    auto unloaded = std::make_shared<bool>(false);
    const auto finish = [name, unloaded] {
        if (*unloaded)
            return;
        *unloaded = true;
        kwinscript::unloadScript(name);
    };
    QObject::connect(source, &kwinscript::ReportSource::reported, guard, [guard, id, finish](const QByteArray& json) {
        if (kwinscript::reportId(json) != id)
            return;
        qInfo().noquote() << "KWin keeps the window above:" << json;
        finish();
        guard->deleteLater();
    });
    QTimer::singleShot(PLACE_TIMEOUT_MS, guard, [guard, finish] {
        qWarning() << "KWin did not show the window within" << PLACE_TIMEOUT_MS << "ms; it is not kept above";
        finish();
        guard->deleteLater();
    });
    QObject::connect(guard, &QObject::destroyed, finish);
}
