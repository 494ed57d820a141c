#pragma once

#include <Qt>

class CircleCursor;
class QWidget;

// The cursor of the annotating overlay: the cross, a shape for the hovered
// command's handle, or the round brush of the brush tools. Sets it only when
// it changes; setting a cursor costs a round trip to the display server.
class OverlayCursor
{
public:
    explicit OverlayCursor(QWidget* widget);

    void showHover(int hoverCode);
    void showBrush(int width);
    void showCross();
    // Forgets what was set, so the next call sets it again.
    void forget();

    static Qt::CursorShape shapeFor(int hoverCode);

private:
    QWidget* widget_;
    CircleCursor* circle_;
    int circleWidth_ = -1;
    int hoverCode_ = -1;
};
