#pragma once

#include <QString>

#include "platform/windowhints.h"

// KWin places Wayland windows itself and ignores the toolkit's stay-on-top
// flag there: a script keeps a pin above the others and moves it to its
// place once KWin knows the window.
class KWinWindowHints : public WindowHints
{
public:
    bool placesWindows() const override { return false; }
    void keepOnTop(QWidget* window, const QPoint& place) override;
    // The overlay spans the outputs from their top-left, above all, with
    // the keyboard.
    void coverDesktop(QWidget* overlay, const QPoint& desktopTopLeft) override;

    // How long a script waits for its window before it is unloaded.
    static constexpr int PLACE_TIMEOUT_MS = 15000;

private:
    void placeAbove(QWidget* window, const QString& titlePrefix, const QPoint& topLeft, bool activate);
};
