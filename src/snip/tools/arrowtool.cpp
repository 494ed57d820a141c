#include "snip/tools/arrowtool.h"

#include <QPainter>
#include <QPolygon>

#include <cmath>

#include "widgets/arroweditmenu.h"

QString ArrowTool::icon() const { return QStringLiteral(":/icon/res/arrow"); }
const char* ArrowTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Arrow"); }
EditMenu* ArrowTool::createMenu(QWidget* parent) const { return new ArrowEditMenu(parent); }

QVector<QPoint> ArrowTool::polygon(const QPoint& tail, const QPoint& tip)
{
    const double theta = std::atan2(double(tip.y() - tail.y()), double(tip.x() - tail.x()));
    const double c = 0.5235987666666666; // 3.1415926 / 6
    const auto t = [](double v) { return int(v); }; // toward zero, each product alone
    const int x2 = tip.x();
    const int y2 = tip.y();
    return {
        tail,
        { x2 + t(-9 * std::cos(theta)) - t(10 * std::cos(theta + c)),
          y2 + t(-9 * std::sin(theta)) - t(10 * std::sin(theta + c)) },
        { x2 - t(27 * std::cos(theta + c)), y2 - t(27 * std::sin(theta + c)) },
        tip,
        { x2 - t(27 * std::cos(theta - c)), y2 - t(27 * std::sin(theta - c)) },
        { x2 + t(-9 * std::cos(theta)) - t(10 * std::cos(theta - c)),
          y2 + t(-9 * std::sin(theta)) - t(10 * std::sin(theta - c)) },
    };
}

void ArrowTool::rebuild(PaintCommand& command)
{
    const Resizer& g = command.resizer();
    command.strokePoints() = polygon({ g.x1, g.y1 }, { g.x2, g.y2 });
}

bool ArrowTool::addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers) const
{
    command.geometry().x2 = point.x();
    command.geometry().y2 = point.y();
    rebuild(command);
    emit command.modified(PREVIEW);
    return true;
}

void ArrowTool::draw(PaintCommand& command, QPainter* painter, bool) const
{
    const QVector<QPoint>& points = command.points();
    if (points.size() != 6)
        return;
    painter->save();
    painter->setPen(command.pen());
    if (command.fill())
        painter->setBrush(QBrush(command.pen().color(), Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->drawPolygon(points.constData(), points.size(), Qt::OddEvenFill);
    painter->restore();
}

void ArrowTool::move(PaintCommand& command, const QPoint& delta) const
{
    LineTool::move(command, delta);
    rebuild(command);
}

void ArrowTool::resize(PaintCommand& command, int handle, const QPoint& delta) const
{
    LineTool::resize(command, handle, delta);
    rebuild(command);
}

QRect ArrowTool::coveredRect(const PaintCommand& command) const
{
    QRect r = LineTool::coveredRect(command);
    if (!command.points().isEmpty())
        r |= QPolygon(command.points()).boundingRect().adjusted(-2, -2, 2, 2);
    return r;
}
