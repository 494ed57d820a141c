#include "core/displayinfo.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>

namespace {
QSize desktopSize(0, 0);
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

DisplayInfo::DisplayInfo(QObject* parent)
    : QObject(parent)
{
    connect(qApp, &QGuiApplication::screenAdded, [this](QScreen* screen) {
        emit added(screen);
        emit changed();
    });
    connect(qApp, &QGuiApplication::screenRemoved, [this](QScreen* screen) {
        emit removed(screen);
        emit changed();
    });
    // Connected first, so every other receiver of changed() sees the new size.
    connect(this, &DisplayInfo::changed, this, &DisplayInfo::update);
    update();
}

void DisplayInfo::update()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    qInfo().nospace() << "Screen Number: " << screens.size();
    desktopSize = QSize(0, 0);
    for (QScreen* screen : screens) {
        const QRect geometry = screen->geometry();
        qInfo() << "\t" << geometry << "DPR:" << screen->devicePixelRatio() << "DPI" << screen->logicalDotsPerInch();
        desktopSize.setWidth(desktopSize.width() + geometry.width());
        if (geometry.height() > desktopSize.height())
            desktopSize.setHeight(geometry.height());
    }
    qInfo().nospace() << "Max Size: " << desktopSize;
}
