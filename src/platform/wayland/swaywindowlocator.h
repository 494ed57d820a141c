#pragma once

#include <QByteArray>
#include <QRect>
#include <QVector>

#include "platform/windowlocator.h"

// The views sway shows, from its IPC tree (`swaymsg -t get_tree`).
class SwayWindowLocator : public WindowLocator
{
public:
    QVector<QRect> windowRects() override;
};

// The visible views of a get_tree reply, topmost first: full-screen views,
// then floating ones (the last listed is on top), then tiled ones. Each
// rectangle is inclusive of its border and title bar. A reply that is not a
// tree gives none.
QVector<QRect> parseSwayTree(const QByteArray& json);
