#include "gifcapturer.h"

#include <QStandardPaths>

#include "core/config.h"
#include "video/gifjob.h"

QString gifTempFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::TempLocation);
}

GifCapturer::GifCapturer(QWidget* parent)
    : RecordSelector(new GifJob(), Config::Gif, parent)
{
}

GifJob* GifCapturer::job() const
{
    return static_cast<GifJob*>(recordJob());
}

QString GifCapturer::gifPath() const
{
    return job()->files().gif;
}

void GifCapturer::setFPS(int fps)
{
    fps_ = fps;
}

bool GifCapturer::beginJob(const QRect& region)
{
    return job()->begin(region, framerate(), fps_, Config::instance().gifPath(), gifTempFolder());
}
