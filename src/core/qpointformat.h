#pragma once

#include <QByteArray>
#include <QPoint>

// The clipboard format "application/qpoint": x then y of an image's top-left
// corner on the desktop, each a 32-bit signed little-endian integer.
extern const char* const QPOINT_MIME;

QByteArray encodeQPoint(const QPoint& pos);
// False (and pos untouched) when the data are too short to hold a point:
// another program may put anything under this name.
bool decodeQPoint(const QByteArray& data, QPoint* pos);
