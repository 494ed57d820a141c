#pragma once

class QPainter;
class QPixmap;
class QRegion;

// Copies `source` (device pixels, its ratio set) onto each rectangle of
// `region` (logical), replacing what is there. Each copy runs under a clip of
// its rectangle alone: against the whole dirty region the raster engine
// would blend span by span instead of copying rows. Leaves the painter
// without a clip of its own and in SourceOver mode.
void blitRegion(QPainter* painter, const QRegion& region, const QPixmap& source);
