#pragma once

#include <QObject>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QVector>

class QScreen;

// The one place that knows the screens. The virtual desktop is the smallest
// rectangle from (0, 0) that holds every screen where it really is, so
// stacked and offset monitors are covered too; what lies between them is
// shown by no monitor.
class DisplayInfo : public QObject
{
    Q_OBJECT
public:
    static DisplayInfo* instance(QObject* parent = nullptr);
    static QSize maxSize();
    static QRect desktopRect();
    // The desktop in device pixels, as the window system, grabs and
    // recordings count them; desktopRect() itself is in logical pixels.
    static QRect deviceDesktopRect();
    // Each screen's geometry, in the toolkit's order (primary first).
    static QVector<QRect> screenRects();
    // The parts of the desktop that no monitor shows.
    static QRegion unshownArea();

signals:
    void changed();
    void added(QScreen* screen);
    void removed(QScreen* screen);

public slots:
    void update();

private:
    explicit DisplayInfo(QObject* parent);
    void watch(QScreen* screen);
};
