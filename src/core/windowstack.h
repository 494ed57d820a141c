#pragma once

class QWidget;

// Puts a window that bypasses the window manager directly below the
// top-level window of `above` (its frame when it has one), and so above
// every other window. Overlays use it to stay visible under their dialogs.
void stackBelow(QWidget* window, QWidget* above);
