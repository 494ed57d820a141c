#include "snip/tools/rectangletool.h"

#include <QPainter>

#include "widgets/graphmenu.h"

QString RectangleTool::icon() const { return QStringLiteral(":/icon/res/rectangle"); }
const char* RectangleTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Rectangle"); }
EditMenu* RectangleTool::createMenu(QWidget* parent) const { return new GraphMenu(parent); }

void RectangleTool::draw(PaintCommand& command, QPainter* painter, bool) const
{
    painter->save();
    painter->setPen(command.pen());
    if (command.fill())
        painter->setBrush(QBrush(command.pen().color(), Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->drawRect(command.rect());
    painter->restore();
}
