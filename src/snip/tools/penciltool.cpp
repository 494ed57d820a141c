#include "snip/tools/penciltool.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QPolygon>

#include "widgets/lineeditmenu.h"

namespace {

// A stroke's outline for whole draws.
struct OutlineState : ToolState
{
    QPainterPath path;
    QVector<QPoint> stroke;
    QPen pen;
};

} // namespace

QString PencilTool::icon() const { return QStringLiteral(":/icon/res/feather"); }
const char* PencilTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Pencil"); }
EditMenu* PencilTool::createMenu(QWidget* parent) const { return new LineEditMenu(parent); }

void PencilTool::init(PaintCommand& command, const QPoint& start, QWidget*) const
{
    addPoint(command, start, Qt::NoModifier);
}

bool PencilTool::addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers) const
{
    command.strokePending().append(point);
    emit command.modified(DRAW_INCREMENT);
    return true;
}

QVector<QPoint> PencilTool::wholeStroke(const PaintCommand& command)
{
    // The drawn part repeats every joint, and the pending points start with
    // the joint it ends with.
    QVector<QPoint> stroke;
    stroke.reserve(command.points().size() + command.pendingPoints().size());
    for (const QVector<QPoint>* part : { &command.points(), &command.pendingPoints() }) {
        for (const QPoint& p : *part) {
            if (stroke.isEmpty() || stroke.last() != p)
                stroke.append(p);
        }
    }
    return stroke;
}

const QPainterPath& PencilTool::outline(PaintCommand& command, const QVector<QPoint>& stroke)
{
    auto* state = dynamic_cast<OutlineState*>(command.state());
    if (!state) {
        command.setState(std::make_unique<OutlineState>());
        state = static_cast<OutlineState*>(command.state());
    }
    if (state->path.isEmpty() || state->stroke != stroke || state->pen != command.pen()) {
        QPainterPath path(stroke.first());
        for (int i = 1; i < stroke.size(); ++i)
            path.lineTo(stroke[i]);
        state->path = QPainterPathStroker(command.pen()).createStroke(path).simplified();
        state->stroke = stroke;
        state->pen = command.pen();
    }
    return state->path;
}

namespace {

// The toolkit maps a fill's texture of a high-resolution pixmap one to one,
// but stretches it by its pixel ratio under a pen: a stroke of the mosaic or
// eraser would show the desktop enlarged and shifted on a scaled screen.
QPen strokePen(const QPen& pen)
{
    QBrush brush = pen.brush();
    if (brush.style() != Qt::TexturePattern)
        return pen;
    const qreal ratio = brush.textureImage().devicePixelRatio();
    if (ratio == 1 || ratio <= 0)
        return pen;
    brush.setTransform(brush.transform() * QTransform::fromScale(1 / ratio, 1 / ratio));
    QPen scaled = pen;
    scaled.setBrush(brush);
    return scaled;
}

} // namespace

void PencilTool::draw(PaintCommand& command, QPainter* painter, bool incremental) const
{
    painter->save();
    painter->setPen(strokePen(command.pen()));
    if (command.fill())
        painter->setBrush(QBrush(command.pen().color(), Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, true);
    drawStroke(command, painter, incremental);
    painter->restore();
}

void PencilTool::drawStroke(PaintCommand& command, QPainter* painter, bool incremental) const
{
    QVector<QPoint>& points = command.strokePoints();
    QVector<QPoint>& pending = command.strokePending();
    if (!incremental) {
        // Points not yet drawn piece by piece belong to the stroke as well.
        const QVector<QPoint> stroke = wholeStroke(command);
        if (stroke.isEmpty())
            return;
        const QPen pen = command.pen();
        if (stroke.size() == 1) {
            painter->drawPoint(stroke.first());
        } else if (pen.isCosmetic() || pen.widthF() <= 0) {
            painter->drawPolyline(stroke.constData(), stroke.size());
        } else {
            // Full redraws replay every stroke at every paint; filling a cached,
            // simplified outline is about three times cheaper than stroking
            // the polyline with its doubled joints again.
            painter->fillPath(outline(command, stroke), pen.brush());
        }
        return;
    }
    if (pending.size() == 1 && points.size() <= 1) {
        // A press without a drag yet leaves a dot of the brush. This state
        // only exists before the first drag, so only previews redraw it.
        painter->drawPoint(pending.first());
        if (points.isEmpty())
            points.append(pending.first());
        return;
    }
    // Only the joint with the previous segment is left: nothing new to draw.
    // Taking it again would grow the stroke by a copy at every repaint.
    if (pending.size() < 2)
        return;
    painter->drawPolyline(pending.constData(), pending.size());
    points += pending;
    pending.clear();
    pending.append(points.last());
}

bool PencilTool::isValid(const PaintCommand& command) const
{
    return wholeStroke(command).size() > 1;
}

QRect PencilTool::coveredRect(const PaintCommand& command) const
{
    const QVector<QPoint> stroke = wholeStroke(command);
    if (stroke.isEmpty())
        return QRect();
    const int m = command.pen().width() / 2 + 1;
    return QPolygon(stroke).boundingRect().adjusted(-m, -m, m, m);
}
