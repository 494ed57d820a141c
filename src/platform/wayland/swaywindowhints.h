#pragma once

#include <QString>

#include "platform/windowhints.h"

// sway has no stay-on-top for ordinary windows: a pin is made floating and
// sticky through IPC once sway knows about it. Users who want it without IPC
// can add `for_window [app_id="klipora" title="^Klipora pin"] floating enable,
// sticky enable` to their configuration.
class SwayWindowHints : public WindowHints
{
public:
    bool placesWindows() const override { return false; }
    void keepOnTop(QWidget* window, const QPoint& place) override;
    // Floating windows may span outputs: the overlay is one such window.
    void coverDesktop(QWidget* overlay, const QPoint& desktopTopLeft) override;

private:
    // Runs the command on the window once sway has mapped it.
    void whenMapped(QWidget* window, const QString& titlePrefix, const QString& command);
};
