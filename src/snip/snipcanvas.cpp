#include "snip/snipcanvas.h"

#include <QDebug>
#include <QPainter>
#include <QPolygon>

#include "core/desktopgrab.h"
#include "core/devicepixels.h"
#include "core/displayinfo.h"
#include "snip/commandstack.h"
#include "snip/tools/tool.h"

namespace {

// A pixmap's extent in the logical coordinates it is painted in.
QRect logicalRect(const QPixmap& pixmap)
{
    return QRect(QPoint(0, 0), (QSizeF(pixmap.size()) / pixmap.devicePixelRatio()).toSize());
}

QRect boundingRect(const QVector<QPoint>& points)
{
    if (points.isEmpty())
        return QRect();
    return QPolygon(points).boundingRect();
}

} // namespace

SnipCanvas::SnipCanvas(QObject* parent)
    : QObject(parent)
{
}

void SnipCanvas::grab(const QRect& area)
{
    // The last grab goes before the new one is made (the history has its
    // own copy), so two desktops are never held at once.
    screenshot_ = QPixmap();
    canvas_ = QPixmap();
    screenshot_ = grabDesktop(area);
    if (screenshot_.isNull()) {
        qCritical() << "the desktop could not be grabbed";
        screenshot_ = QPixmap(area.size());
        screenshot_.fill(Qt::black);
    } else if (const QRegion unshown = DisplayInfo::unshownArea(); !unshown.isEmpty()) {
        // Between monitors the grab holds pixels nobody has seen; a snip
        // that reaches there shows what the overlay showed.
        QPainter p(&screenshot_);
        for (const QRect& r : unshown)
            p.fillRect(r, Qt::black);
    }
}

void SnipCanvas::request(PaintType type, const QRegion& area)
{
    if (type == REDRAW_ALL)
        redrawPending_ = true;
    kind_ = type;
    pending_ = true;
    area_ |= area;
    emit repaintNeeded(area);
}

void SnipCanvas::requestAll(PaintType type, const QRect& view)
{
    request(type, QRegion(view) | QRegion(logicalRect(canvas_)));
}

QRect SnipCanvas::footprint(const PaintCommand* command)
{
    if (!command || !command->tool())
        return QRect();
    const QRect r = command->coveredRect() | command->tool()->frameRect(*command);
    return r.adjusted(-5, -5, 5, 5);
}

QRect SnipCanvas::pendingArea(const PaintCommand& command)
{
    const int m = command.pen().width() / 2 + 3;
    QRect r = boundingRect(command.pendingPoints());
    if (!command.points().isEmpty())
        r |= QRect(command.points().last(), QSize(1, 1));
    return r.adjusted(-m, -m, m, m);
}

void SnipCanvas::apply(const CommandStack& marks, PaintCommand* current)
{
    if (!pending_)
        return;
    const QRegion area = area_;
    const bool redrawn = redrawPending_ || kind_ == REDRAW_ALL;
    pending_ = false;
    redrawPending_ = false;
    area_ = QRegion();

    if (redrawn) {
        // A command still being dragged out is drawn over the canvas, not into it.
        redraw(area, marks, kind_ == PREVIEW ? current : nullptr);
        // the current command was drawn whole with the rest
        if (kind_ != DRAW_INCREMENT)
            return;
    }
    if (kind_ != DRAW_INCREMENT && kind_ != DRAW_COMMAND)
        return;
    if (!current) {
        qCritical() << "no current command to draw";
        return;
    }
    QPainter p(&canvas_);
    current->draw(&p, kind_ == DRAW_INCREMENT);
}

void SnipCanvas::redraw(const QRegion& area, const CommandStack& marks, const PaintCommand* skip)
{
    const std::vector<std::shared_ptr<PaintCommand>> commands = marks.commands();
    const bool remade = canvas_.size() != screenshot_.size() || canvas_.devicePixelRatio() != screenshot_.devicePixelRatio();
    // (QRegion::contains(QRect) is true for any overlap: not what is meant)
    const bool whole = remade || (QRegion(logicalRect(canvas_)) - area).isEmpty();
    if (whole && commands.empty()) {
        // Shares the grab's pixels until the first mark is drawn.
        canvas_ = screenshot_;
        return;
    }
    if (remade) {
        canvas_ = QPixmap(screenshot_.size());
        // marks are drawn in logical coordinates, at full resolution
        canvas_.setDevicePixelRatio(screenshot_.devicePixelRatio());
    }
    QPainter p(&canvas_);
    if (!whole)
        p.setClipRegion(area);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (whole) {
        p.drawPixmap(0, 0, screenshot_);
    } else {
        const qreal ratio = screenshot_.devicePixelRatio();
        for (const QRect& r : area)
            p.drawPixmap(QRectF(r), screenshot_, devicepixels::sourceRect(r, ratio));
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const auto& command : commands) {
        if (command.get() != skip)
            command->draw(&p, false);
    }
}
