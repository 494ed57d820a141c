#pragma once

#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QRegion>

#include "snip/paintcommand.h"

class CommandStack;

// The picture the overlay shows and snips: the frozen desktop with the marks
// drawn on it. Work on it is recorded as it is asked for and done once, when
// the picture is next needed; drawing a mark twice would only make its
// antialiased edges darker. Areas are in the overlay's logical coordinates;
// on a scaled desktop the picture keeps the grab's full resolution.
class SnipCanvas : public QObject
{
    Q_OBJECT
public:
    explicit SnipCanvas(QObject* parent = nullptr);

    // Grabs the desktop under area; what no monitor shows is black, and so is
    // all of it when the grab fails. The canvas is made again from it.
    void grab(const QRect& area);
    // The unannotated grab.
    const QPixmap& screenshot() const { return screenshot_; }
    void setScreenshot(const QPixmap& screenshot) { screenshot_ = screenshot; }
    // Only the grab outlives the overlay; the canvas is made again from it.
    void dropCanvas() { canvas_ = QPixmap(); }

    // The canvas as it is, pending work not done.
    const QPixmap& pixmap() const { return canvas_; }
    // Until the first mark is drawn the canvas is the grab itself.
    bool sharesGrab() const { return canvas_.cacheKey() == screenshot_.cacheKey(); }
    // The kind last asked for. A preview is not drawn into the canvas; the
    // overlay draws it over the canvas when it paints.
    PaintType kind() const { return kind_; }

    // Records work of the given kind over area, and asks for area to be
    // repainted.
    void request(PaintType type, const QRegion& area);
    // The same over all of view and of the canvas.
    void requestAll(PaintType type, const QRect& view);
    // Does the pending work. marks: the commands on the picture, oldest
    // first; current: the one being edited, whose draws and previews are due.
    void apply(const CommandStack& marks, PaintCommand* current);

    // The area a command covers on the widget, frame and handles included.
    static QRect footprint(const PaintCommand* command);
    // What a stroke's points not yet drawn cover, with its pen.
    static QRect pendingArea(const PaintCommand& command);

signals:
    void repaintNeeded(const QRegion& area);

private:
    // The grab with every mark but skip drawn on it, within area.
    void redraw(const QRegion& area, const CommandStack& marks, const PaintCommand* skip);

    QPixmap screenshot_;
    QPixmap canvas_;
    PaintType kind_ = REFRESH;
    bool pending_ = false;
    // Later kinds of the same turn must not cancel a full redraw: it is what
    // takes a dropped command off the canvas.
    bool redrawPending_ = false;
    QRegion area_;
};
