#include "snip/tools/tool.h"

#include <QPainter>

#include "widgets/editmenu.h"

QPen Tool::framePen(Qt::PenStyle style, qreal width)
{
    return QPen(QBrush(Qt::black, Qt::SolidPattern), width, style, Qt::SquareCap, Qt::BevelJoin);
}

void Tool::drawBoxFrame(QPainter* p, const Resizer& box)
{
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setBrush(Qt::NoBrush);
    p->setPen(framePen(Qt::DashLine));
    p->drawRect(box.rect());
    p->setPen(framePen(Qt::SolidLine));
    p->drawRects(box.anchors());
}

bool Tool::fill(const EditMenu* menu) const
{
    return menu && menu->fill();
}

std::shared_ptr<PaintCommand> Tool::create(const ToolInput& input) const
{
    return std::make_shared<PaintCommand>(type(), input.pen, input.fill, input.pos);
}

void Tool::init(PaintCommand&, const QPoint&, QWidget*) const
{
}

bool Tool::addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers) const
{
    command.geometry().x2 = point.x();
    command.geometry().y2 = point.y();
    emit command.modified(PREVIEW);
    return true;
}

void Tool::move(PaintCommand& command, const QPoint& delta) const
{
    command.geometry().move(delta.x(), delta.y());
}

void Tool::resize(PaintCommand& command, int handle, const QPoint& delta) const
{
    Resizer& g = command.geometry();
    const int dx = delta.x();
    const int dy = delta.y();
    switch (handle) {
    case Resizer::ANCHOR_X1: g.x1 += dx; break;
    case Resizer::ANCHOR_X2: g.x2 += dx; break;
    case Resizer::ANCHOR_Y1: g.y1 += dy; break;
    case Resizer::ANCHOR_Y2: g.y2 += dy; break;
    case Resizer::ANCHOR_X1Y1: g.x1 += dx; g.y1 += dy; break;
    case Resizer::ANCHOR_X1Y2: g.x1 += dx; g.y2 += dy; break;
    case Resizer::ANCHOR_X2Y1: g.x2 += dx; g.y1 += dy; break;
    case Resizer::ANCHOR_X2Y2: g.x2 += dx; g.y2 += dy; break;
    default: break;
    }
}

bool Tool::isValid(const PaintCommand& command) const
{
    return command.rect().size() != QSize(1, 1);
}

QRect Tool::coveredRect(const PaintCommand& command) const
{
    const int m = command.pen().width() / 2 + 1;
    return command.rect().adjusted(-m, -m, m, m);
}

int Tool::hitTest(const PaintCommand& command, const QPoint& p) const
{
    // the edge strips and the handles, not the inside
    const int c = command.resizer().position(p);
    return (c & Resizer::GRABBED) ? c : 0;
}

void Tool::drawFrame(const PaintCommand& command, QPainter* painter) const
{
    drawBoxFrame(painter, command.resizer());
}

QRect Tool::frameRect(const PaintCommand& command) const
{
    // handles reach 2 pixels past the corners, the antialiased pen one more
    return command.rect().adjusted(-3, -3, 3, 3);
}

void Tool::applyOptions(PaintCommand& command, const EditMenu* menu) const
{
    command.setPen(menu->pen());
    emit command.modified(REDRAW_ALL);
    command.setFill(fill(menu));
    emit command.modified(REDRAW_ALL);
}
