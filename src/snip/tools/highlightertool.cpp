#include "snip/tools/highlightertool.h"

#include <QPainter>
#include <QPainterPathStroker>

#include "widgets/lineeditmenu.h"

QString HighlighterTool::icon() const { return QStringLiteral(":/icon/res/highlighter"); }
const char* HighlighterTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Highlighter"); }

EditMenu* HighlighterTool::createMenu(QWidget* parent) const
{
    auto* menu = new LineEditMenu(parent);
    // a marker: wide, flat ends, yellow
    menu->setStart(18, QColor(255, 230, 0));
    return menu;
}

void HighlighterTool::init(PaintCommand& command, const QPoint& start, QWidget*) const
{
    command.strokePoints() = { start };
}

bool HighlighterTool::addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers modifiers) const
{
    QVector<QPoint>& points = command.strokePoints();
    if (points.isEmpty())
        points.append(point);
    else if (modifiers & Qt::ShiftModifier)
        points = { points.first(), point };
    else if (points.last() != point)
        points.append(point);
    emit command.modified(PREVIEW);
    return true;
}

void HighlighterTool::draw(PaintCommand& command, QPainter* painter, bool) const
{
    const QVector<QPoint> stroke = wholeStroke(command);
    if (stroke.size() < 2)
        return;
    QPen pen = command.pen();
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (pen.widthF() <= 0)
        pen.setWidth(1);
    QColor colour = pen.color();
    colour.setAlpha(ALPHA);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    // One fill of the whole outline: no part of the stroke is laid twice.
    QPainterPath path(stroke.first());
    for (int i = 1; i < stroke.size(); ++i)
        path.lineTo(stroke[i]);
    const QPainterPath outline = QPainterPathStroker(pen).createStroke(path).simplified();
    painter->setCompositionMode(QPainter::CompositionMode_Multiply);
    painter->fillPath(outline, colour);
    painter->restore();
}
