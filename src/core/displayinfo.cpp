#include "core/displayinfo.h"

#include "core/devicepixels.h"
#include "core/screenlayout.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>

namespace {
QSize desktopSize(0, 0);
QVector<QRect> screenGeometries;
QRegion unshown;
}

DisplayInfo* DisplayInfo::instance(QObject* parent)
{
    static DisplayInfo info(parent);
    return &info;
}

QSize DisplayInfo::maxSize()
{
    return desktopSize;
}

QRect DisplayInfo::desktopRect()
{
    return QRect(QPoint(0, 0), desktopSize);
}

QRect DisplayInfo::deviceDesktopRect()
{
    return devicepixels::toDevice(desktopRect());
}

QVector<QRect> DisplayInfo::screenRects()
{
    return screenGeometries;
}

QRegion DisplayInfo::unshownArea()
{
    return unshown;
}

DisplayInfo::DisplayInfo(QObject* parent)
    : QObject(parent)
{
    connect(qApp, &QGuiApplication::screenAdded, [this](QScreen* screen) {
        watch(screen);
        emit added(screen);
        emit changed();
    });
    connect(qApp, &QGuiApplication::screenRemoved, [this](QScreen* screen) {
        emit removed(screen);
        emit changed();
    });
    // Connected first, so every other receiver of changed() sees the new size.
    connect(this, &DisplayInfo::changed, this, &DisplayInfo::update);
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    update();
}

void DisplayInfo::watch(QScreen* screen)
{
    // A monitor moved in the display settings changes the desktop as much
    // as one plugged in.
    connect(screen, &QScreen::geometryChanged, this, [this]() { emit changed(); });
}

void DisplayInfo::update()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    qInfo().nospace() << "Screen Number: " << screens.size();
    screenGeometries.clear();
    for (QScreen* screen : screens) {
        const QRect geometry = screen->geometry();
        qInfo() << "\t" << geometry << "DPR:" << screen->devicePixelRatio() << "DPI" << screen->logicalDotsPerInch();
        screenGeometries.append(geometry);
    }
    desktopSize = screenlayout::desktopBounds(screenGeometries).size();
    unshown = screenlayout::unshownArea(screenGeometries);
    qInfo().nospace() << "Max Size: " << desktopSize;
}
