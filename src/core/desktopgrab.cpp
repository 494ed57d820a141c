#include "core/desktopgrab.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QGuiApplication>
#include <QScreen>

void makeOpaque(quint32* pixels, size_t count)
{
    // a plain loop: the compiler turns it into vector code
    for (size_t i = 0; i < count; ++i)
        pixels[i] |= 0xff000000u;
}

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
