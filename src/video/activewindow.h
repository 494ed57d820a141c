#pragma once

#include <QtGlobal>

// The window that has the keyboard, so that it can have it back once the
// recording overlay is gone: keys typed during a take belong to the program
// being recorded, not to a hidden overlay.
namespace activewindow {

// The active top-level window, 0 when none is known.
quintptr current();
// Asks for that window to be active again; does nothing for 0.
void restore(quintptr window);
// Keeps a window that is about to be shown out of taskbars and pagers.
void skipTaskbar(quintptr window);

} // namespace activewindow
