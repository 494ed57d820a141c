#include "snip/tools/ellipsetool.h"

#include <QPainter>
#include <QRegion>

#include "widgets/graphmenu.h"

QString EllipseTool::icon() const { return QStringLiteral(":/icon/res/circle"); }
const char* EllipseTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Ellipse"); }
EditMenu* EllipseTool::createMenu(QWidget* parent) const { return new GraphMenu(parent); }

void EllipseTool::draw(PaintCommand& command, QPainter* painter, bool) const
{
    painter->save();
    painter->setPen(command.pen());
    if (command.fill())
        painter->setBrush(QBrush(command.pen().color(), Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->drawEllipse(command.rect());
    painter->restore();
}

int EllipseTool::hitTest(const PaintCommand& command, const QPoint& p) const
{
    const QRect r = command.rect();
    if (QRegion(r.adjusted(-2, -2, 2, 2), QRegion::Ellipse).contains(p)
        && !QRegion(r.adjusted(2, 2, -2, -2), QRegion::Ellipse).contains(p))
        return Resizer::BORDERS;
    const int c = command.resizer().position(p);
    return (c & Resizer::ANCHORS) ? c : 0;
}
