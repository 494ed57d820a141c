#pragma once

#include "platform/desktopgrabber.h"

// The build's own grab (shared memory on X11, the GDI on Windows) with the
// toolkit's screen grab behind it.
class NativeDesktopGrabber : public DesktopGrabber
{
    Q_OBJECT
public:
    using DesktopGrabber::DesktopGrabber;

    QImage grabRect(const QRect& rect) override;
    void grab() override;
};
