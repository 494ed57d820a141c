#pragma once

#include <QPoint>
#include <Qt>

#include <memory>

// Turns the mouse wheel of the window under a point as if the user did, so
// that a capture can scroll another program's content. Each platform has its
// own way of injecting input (XTEST on X11).
class ScrollInjector
{
public:
    virtual ~ScrollInjector() = default;

    // Puts the pointer at the global position and sends clicks wheel steps:
    // down for Vertical, right for Horizontal. False when the input could not
    // be sent.
    virtual bool scroll(const QPoint& globalPos, Qt::Orientation orientation, int clicks) = 0;

    // The platform's injector; null where input cannot be injected.
    static std::unique_ptr<ScrollInjector> create();
};
