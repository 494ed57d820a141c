#include "snip/tools/erasertool.h"

QString EraserTool::icon() const { return QStringLiteral(":/icon/res/eraser"); }
const char* EraserTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Eraser"); }

std::shared_ptr<PaintCommand> EraserTool::create(const ToolInput& input) const
{
    QPen pen = input.pen;
    // Textures are anchored at the canvas origin: the grab comes back pixel
    // for pixel.
    pen.setBrush(QBrush(input.screenshot));
    return std::make_shared<PaintCommand>(type(), pen, false, input.pos);
}
