#pragma once

#include <QPoint>

// Where the pointer is in device pixels, as the window system last reported
// it. Under scaling the toolkit rounds pointer positions to logical pixels,
// which loses which of two device pixels the pointer is on; a selection
// ending there would be one device pixel too large.
namespace devicepointer {

// Starts watching the window system's pointer events; once is enough.
void install();

// The last reported position; false when none is known.
bool last(QPoint* device);

} // namespace devicepointer
