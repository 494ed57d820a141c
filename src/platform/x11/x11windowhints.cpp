#include "platform/x11/x11windowhints.h"

#include <QX11Info>

bool X11WindowHints::translucencyShown() const
{
    // Without a compositor X draws a translucent window's clear pixels black.
    return !QX11Info::isPlatformX11() || QX11Info::isCompositingManagerRunning();
}
