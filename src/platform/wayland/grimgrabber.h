#pragma once

#include <QStringList>

#include "platform/desktopgrabber.h"

class QProcess;

// Grabs through grim, which reads wlroots' screen copy. A child process
// costs 0.1-0.2 s per 1080p frame here, most of it the compositor's copy;
// grim writes uncompressed PPM so that no PNG encoding is paid on top.
class GrimGrabber : public DesktopGrabber
{
    Q_OBJECT
public:
    using DesktopGrabber::DesktopGrabber;

    QImage grabRect(const QRect& rect) override;
    // One grim per output, all at once.
    void grab() override;

private:
    void finishOne();

    struct Pending
    {
        QProcess* process = nullptr;
        QRect geometry;
        QString name;
    };
    QVector<Pending> pending_;
    int left_ = 0;
    int generation_ = 0;
};

// grim's arguments for a region (global coordinates) or, with a name, one
// output, always written as PPM to standard output.
QStringList grimRegionArgs(const QRect& rect);
QStringList grimOutputArgs(const QString& outputName);

// The image in grim's PPM output; null for anything else.
QImage decodeGrimOutput(const QByteArray& data);
