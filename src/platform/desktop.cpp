#include "platform/desktop.h"

#include <QGuiApplication>

namespace platform {

namespace {

bool detected = false;
Desktop current = Desktop::Headless;

bool mentions(const QString& desktops, const char* name)
{
    // XDG_CURRENT_DESKTOP is a colon-separated list, e.g. "sway:wlroots"
    for (const QString& part : desktops.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (part.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

Desktop detectDesktop(const QString& qpaPlatform, const QProcessEnvironment& env)
{
    if (qpaPlatform == QLatin1String("windows"))
        return Desktop::Windows;
    if (qpaPlatform == QLatin1String("xcb"))
        return Desktop::X11;
    if (qpaPlatform.startsWith(QLatin1String("wayland"))) {
        const QString desktops = env.value(QStringLiteral("XDG_CURRENT_DESKTOP"));
        if (!env.value(QStringLiteral("SWAYSOCK")).isEmpty() || mentions(desktops, "sway")
            || mentions(desktops, "wlroots"))
            return Desktop::Wlroots;
        if (mentions(desktops, "KDE"))
            return Desktop::Kde;
        if (mentions(desktops, "GNOME"))
            return Desktop::Gnome;
        return Desktop::OtherWayland;
    }
    return Desktop::Headless;
}

Desktop currentDesktop()
{
    if (!detected) {
        detected = true;
        current = detectDesktop(QGuiApplication::platformName(), QProcessEnvironment::systemEnvironment());
    }
    return current;
}

void setCurrentDesktop(Desktop desktop)
{
    detected = true;
    current = desktop;
}

bool isWayland(Desktop desktop)
{
    return desktop == Desktop::Wlroots || desktop == Desktop::Kde || desktop == Desktop::Gnome
        || desktop == Desktop::OtherWayland;
}

QByteArray preferredQpaPlatform(const QProcessEnvironment& env)
{
    if (!env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return QByteArray();
    if (env.value(QStringLiteral("DISPLAY")).isEmpty() && !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
        return QByteArrayLiteral("wayland");
    return QByteArray();
}

const char* desktopName(Desktop desktop)
{
    switch (desktop) {
    case Desktop::X11: return "X11";
    case Desktop::Windows: return "Windows";
    case Desktop::Wlroots: return "wlroots";
    case Desktop::Kde: return "KDE";
    case Desktop::Gnome: return "GNOME";
    case Desktop::OtherWayland: return "Wayland";
    case Desktop::Headless: return "headless";
    }
    return "unknown";
}

} // namespace platform
