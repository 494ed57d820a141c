#include "platform/services.h"

#include <QCoreApplication>

#include <memory>

#include "platform/hotkeybackend.h"
#include "platform/nativedesktopgrabber.h"
#include "platform/recorderbackend.h"
#include "platform/windowhints.h"
#include "platform/windowlocator.h"

#ifdef KLIPORA_X11
#include "platform/kde/kglobalaccelhotkeys.h"
#include "platform/kde/kwinscreenshotgrabber.h"
#include "platform/kde/kwinwindowhints.h"
#include "platform/kde/kwinwindowlocator.h"
#include "platform/gnome/mutterrecorder.h"
#include "platform/linux/portalscreencastrecorder.h"
#include "platform/linux/portalscreenshotgrabber.h"
#include "platform/wayland/grimgrabber.h"
#include "platform/wayland/swaywindowhints.h"
#include "platform/wayland/swaywindowlocator.h"
#include "platform/wayland/wfrecorder.h"
#include "platform/x11/x11windowhints.h"
#endif

namespace platform {

namespace {

struct Services
{
    std::unique_ptr<DesktopGrabber> grabber;
    std::unique_ptr<WindowLocator> locator;
    std::unique_ptr<HotkeyBackend> hotkeys;
    std::unique_ptr<RecorderBackend> recorder;
    std::unique_ptr<WindowHints> hints;
};

Services& services()
{
    static Services s;
    return s;
}

} // namespace

DesktopGrabber& desktopGrabber()
{
    auto& grabber = services().grabber;
    if (!grabber) {
#ifdef KLIPORA_X11
        const Desktop desktop = currentDesktop();
        if (desktop == Desktop::Wlroots)
            grabber = std::make_unique<GrimGrabber>();
        else if (desktop == Desktop::Kde)
            grabber = std::make_unique<KWinScreenShotGrabber>();
        // GNOME lets only the portal read the screen
        else if (desktop == Desktop::Gnome || desktop == Desktop::OtherWayland)
            grabber = std::make_unique<PortalScreenshotGrabber>();
#endif
        if (!grabber)
            grabber = std::make_unique<NativeDesktopGrabber>();
    }
    return *grabber;
}

WindowLocator& windowLocator()
{
    auto& locator = services().locator;
    if (!locator) {
        const Desktop desktop = currentDesktop();
#ifdef KLIPORA_X11
        if (desktop == Desktop::Wlroots && !qEnvironmentVariableIsEmpty("SWAYSOCK"))
            locator = std::make_unique<SwayWindowLocator>();
        else if (desktop == Desktop::Kde)
            locator = std::make_unique<KWinWindowLocator>();
#endif
        if (!locator && isWayland(desktop))
            locator = std::make_unique<NoWindowLocator>();
        if (!locator)
            locator = std::make_unique<NativeWindowLocator>();
    }
    return *locator;
}

HotkeyBackend& hotkeyBackend()
{
    auto& hotkeys = services().hotkeys;
    if (!hotkeys) {
#ifdef KLIPORA_X11
        if (currentDesktop() == Desktop::Kde)
            hotkeys = std::make_unique<KGlobalAccelHotkeys>();
#endif
        if (!hotkeys && isWayland(currentDesktop()))
            hotkeys = std::make_unique<CompositorHotkeyBackend>();
        if (!hotkeys)
            hotkeys = std::make_unique<NativeHotkeyBackend>();
    }
    return *hotkeys;
}

RecorderBackend& recorderBackend()
{
    auto& recorder = services().recorder;
    if (!recorder) {
#ifdef KLIPORA_X11
        if (currentDesktop() == Desktop::Wlroots)
            recorder = std::make_unique<WfRecorder>();
        else if (currentDesktop() == Desktop::Gnome)
            recorder = std::make_unique<MutterRecorder>();
        // ffmpeg cannot read KWin's screen; the portal's screen cast can
        else if (currentDesktop() == Desktop::Kde)
            recorder = std::make_unique<PortalScreenCastRecorder>();
#endif
        if (!recorder)
            recorder = std::make_unique<FfmpegRecorder>();
    }
    return *recorder;
}

WindowHints& windowHints()
{
    auto& hints = services().hints;
    if (!hints) {
#ifdef KLIPORA_X11
        if (currentDesktop() == Desktop::Wlroots && !qEnvironmentVariableIsEmpty("SWAYSOCK"))
            hints = std::make_unique<SwayWindowHints>();
        else if (currentDesktop() == Desktop::Kde)
            hints = std::make_unique<KWinWindowHints>();
        else if (!isWayland(currentDesktop()))
            hints = std::make_unique<X11WindowHints>();
#endif
        if (!hints)
            hints = std::make_unique<WindowHints>();
    }
    return *hints;
}

void setRecorderBackend(std::unique_ptr<RecorderBackend> recorder)
{
    services().recorder = std::move(recorder);
}

void resetServices()
{
    services() = Services();
}

} // namespace platform
