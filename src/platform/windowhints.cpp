#include "platform/windowhints.h"

#include <QPoint>

void WindowHints::keepOnTop(QWidget*, const QPoint&)
{
    // the window's own stay-on-top flag does it
}

void WindowHints::coverDesktop(QWidget*, const QPoint&)
{
    // the overlay bypasses the window manager and is placed by its owner
}
