#include "video/activewindow.h"

#include <windows.h>

namespace activewindow {

quintptr current()
{
    return quintptr(GetForegroundWindow());
}

void restore(quintptr window)
{
    if (window)
        SetForegroundWindow(HWND(window));
}

void skipTaskbar(quintptr)
{
    // a tool window has no taskbar button here
}

} // namespace activewindow
