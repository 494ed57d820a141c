#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>
#include <QVector>

// One monitor's pixels and where that monitor sits on the desktop.
struct OutputImage
{
    QRect geometry;
    QImage image;
};

// Reads the desktop's pixels. On X11 this is a local read; Wayland
// compositors answer over IPC, hence the asynchronous grab.
class DesktopGrabber : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Blocking: the rectangle (global coordinates) in one image, null when it
    // cannot be read.
    virtual QImage grabRect(const QRect& rect) = 0;
    // One image per output; grabbed() or failed() follows from the event loop.
    virtual void grab() = 0;

signals:
    void grabbed(const QVector<OutputImage>& outputs);
    void failed(const QString& reason);
};

// The outputs drawn at their places into one image of `area` (global
// coordinates); what no output covers stays black.
QImage composeOutputs(const QVector<OutputImage>& outputs, const QRect& area);
