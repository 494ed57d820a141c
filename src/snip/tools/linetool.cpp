#include "snip/tools/linetool.h"

#include <QPainter>
#include <QPolygon>

#include "widgets/lineeditmenu.h"

QString LineTool::icon() const { return QStringLiteral(":/icon/res/line"); }
const char* LineTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Line"); }
EditMenu* LineTool::createMenu(QWidget* parent) const { return new LineEditMenu(parent); }

void LineTool::draw(PaintCommand& command, QPainter* painter, bool) const
{
    const Resizer& g = command.resizer();
    painter->save();
    painter->setPen(command.pen());
    if (command.fill())
        painter->setBrush(QBrush(command.pen().color(), Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->drawLine(g.x1, g.y1, g.x2, g.y2);
    painter->restore();
}

int LineTool::hitTest(const PaintCommand& command, const QPoint& p) const
{
    const Resizer& g = command.resizer();
    const QRect s = Resizer::square(g.x1, g.y1);
    const QRect e = Resizer::square(g.x2, g.y2);
    if (s.contains(p))
        return Resizer::ANCHOR_X1Y1;
    if (e.contains(p))
        return Resizer::ANCHOR_X2Y2;
    if (QPolygon({ s.topLeft(), s.bottomRight(), e.bottomRight(), e.topLeft() }).containsPoint(p, Qt::OddEvenFill))
        return Resizer::BORDERS;
    return 0;
}

void LineTool::drawFrame(const PaintCommand& command, QPainter* p) const
{
    const Resizer& g = command.resizer();
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setBrush(Qt::NoBrush);
    p->setPen(framePen(Qt::DashLine));
    p->drawLine(g.x1, g.y1, g.x2, g.y2);
    p->setPen(framePen(Qt::SolidLine));
    p->drawRect(Resizer::square(g.x1, g.y1));
    p->drawRect(Resizer::square(g.x2, g.y2));
}
