#pragma once

#include <memory>

#include "platform/desktop.h"

class DesktopGrabber;
class HotkeyBackend;
class RecorderBackend;
class WindowHints;
class WindowLocator;

// The platform services of the desktop Klipora runs on, made on first use
// from platform::currentDesktop() and kept until the program ends.
namespace platform {

DesktopGrabber& desktopGrabber();
WindowLocator& windowLocator();
HotkeyBackend& hotkeyBackend();
RecorderBackend& recorderBackend();
WindowHints& windowHints();

// Puts a recorder in place of the desktop's own until the next reset
// (tests).
void setRecorderBackend(std::unique_ptr<RecorderBackend> recorder);

// Drops the services made so far, so that the next use follows a desktop
// set with setCurrentDesktop() (tests).
void resetServices();

} // namespace platform
