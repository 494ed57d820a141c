#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

// Which desktop Klipora runs on, decided once at start-up from the toolkit's
// platform plugin and the session's environment. One Linux binary serves X11
// and Wayland; the services below pick their implementation from this.
namespace platform {

enum class Desktop {
    X11,
    Windows,
    // sway and other wlroots compositors: grim, wf-recorder, sway's IPC
    Wlroots,
    // KDE Plasma's KWin: ScreenShot2, scripts and kglobalaccel over D-Bus
    Kde,
    // GNOME Shell: the portals and Mutter's screen cast over D-Bus
    Gnome,
    // a Wayland compositor Klipora has no backend for
    OtherWayland,
    // offscreen, minimal and the like: no desktop to talk to
    Headless,
};

// From QGuiApplication::platformName() and the environment.
Desktop detectDesktop(const QString& qpaPlatform, const QProcessEnvironment& env);

// The desktop of the running application (detected on first use).
Desktop currentDesktop();
// Tests run the Wayland code paths on their own terms.
void setCurrentDesktop(Desktop desktop);

bool isWayland(Desktop desktop);

// The platform plugin to ask for before the application object exists: empty
// to leave the toolkit's choice, "wayland" when there is a Wayland session
// and no X display (the toolkit would otherwise fail to start), or when the
// user asked for it with QT_QPA_PLATFORM already (then empty as well).
QByteArray preferredQpaPlatform(const QProcessEnvironment& env);

const char* desktopName(Desktop desktop);

} // namespace platform
