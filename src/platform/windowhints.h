#pragma once

class QPoint;
class QWidget;

// What a window needs from the desktop beyond the toolkit's flags: whether
// translucent pixels blend, and keeping a pinned image above the others.
class WindowHints
{
public:
    virtual ~WindowHints() = default;
    // Translucent pixels show what is below (a compositor runs); without it
    // they come out black and windows draw opaque instead.
    virtual bool translucencyShown() const { return true; }
    // The toolkit can place top-level windows itself (not so on Wayland).
    virtual bool placesWindows() const { return true; }
    // A pinned image stays above other windows, on every workspace where the
    // desktop allows it; called once it is shown. `place` is its frame's
    // wanted top-left in desktop coordinates.
    virtual void keepOnTop(QWidget* window, const QPoint& place);
    // The capture overlay, just shown, covers the whole desktop from its
    // top-left corner, above everything else.
    virtual void coverDesktop(QWidget* overlay, const QPoint& desktopTopLeft);
};
