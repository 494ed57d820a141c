#include "platform/nativedesktopgrabber.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "core/desktopgrab.h"

QImage NativeDesktopGrabber::grabRect(const QRect& rect)
{
    if (rect.isEmpty())
        return QImage();
    QImage image = nativeGrabDesktop(rect);
    if (!image.isNull())
        return image;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        qWarning() << "no screen to grab";
        return QImage();
    }
    // The desktop window's id takes global coordinates, across all screens.
    return screen->grabWindow(QApplication::desktop()->winId(), rect.x(), rect.y(), rect.width(), rect.height())
        .toImage();
}

void NativeDesktopGrabber::grab()
{
    QVector<OutputImage> outputs;
    for (QScreen* screen : QGuiApplication::screens())
        outputs.append({screen->geometry(), grabRect(screen->geometry())});
    // answered from the event loop, as the compositors' grabs are
    QTimer::singleShot(0, this, [this, outputs] {
        for (const OutputImage& output : outputs) {
            if (output.image.isNull()) {
                emit failed(tr("the screen could not be read"));
                return;
            }
        }
        emit grabbed(outputs);
    });
}
