#include "platform/nativedesktopgrabber.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "core/desktopgrab.h"
#include "core/devicepixels.h"

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
    // The toolkit grabs in logical coordinates; the desktop window's id takes
    // global ones, across all screens.
    const qreal factor = devicepixels::desktopFactor();
    const QRect logical = devicepixels::toLogical(rect, factor);
    image = screen->grabWindow(QApplication::desktop()->winId(), logical.x(), logical.y(), logical.width(),
                               logical.height())
                .toImage();
    if (image.isNull())
        return image;
    // the logical pixels round outward: cut away what lies beyond rect
    const QPoint offset = rect.topLeft() - devicepixels::toDevice(logical.topLeft(), factor);
    image = image.copy(QRect(offset, rect.size()));
    image.setDevicePixelRatio(1);
    return image;
}

void NativeDesktopGrabber::grab()
{
    QVector<OutputImage> outputs;
    const qreal factor = devicepixels::desktopFactor();
    for (QScreen* screen : QGuiApplication::screens())
        outputs.append({screen->geometry(), grabRect(devicepixels::toDevice(screen->geometry(), factor))});
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
