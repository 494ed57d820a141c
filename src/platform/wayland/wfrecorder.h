#pragma once

#include "platform/recorderbackend.h"

// wlroots' screen copy through wf-recorder. It asks the compositor for every
// frame (-D), as x11grab does, so a still screen still gives a steady video;
// SIGINT makes it finish the file.
class WfRecorder : public RecorderBackend
{
public:
    QString program() const override { return QStringLiteral("wf-recorder"); }
    Stop stop() const override { return Stop::Interrupt; }
    QStringList recordArgs(const ffmpeg::Grab& grab, const QString& audioDevice, const QString& output) const override;
    QStringList gifCaptureArgs(const ffmpeg::Grab& grab, const QString& video) const override;
};

// "X,Y WxH" of the region, cut to even sides (the encoder's 4:2:0 pixels
// come in pairs); empty when nothing of it is left.
QString wfGeometry(const QRect& region);
