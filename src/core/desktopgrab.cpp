#include "core/desktopgrab.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QGuiApplication>
#include <QScreen>

QPixmap grabDesktop(const QRect& rect)
{
    if (rect.isEmpty())
        return QPixmap();
    QImage image = nativeGrabDesktop(rect);
    if (!image.isNull())
        return QPixmap::fromImage(std::move(image));
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        qWarning() << "no screen to grab";
        return QPixmap();
    }
    // The desktop window's id takes global coordinates, across all screens.
    return screen->grabWindow(QApplication::desktop()->winId(), rect.x(), rect.y(), rect.width(), rect.height());
}
