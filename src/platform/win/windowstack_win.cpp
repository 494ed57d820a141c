#include "core/windowstack.h"

#include <QWidget>

#include <windows.h>

void stackBelow(QWidget* window, QWidget* above)
{
    if (!window || !above || !window->isVisible() || !above->isVisible())
        return;
    SetWindowPos(HWND(window->winId()), HWND(above->window()->winId()), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
