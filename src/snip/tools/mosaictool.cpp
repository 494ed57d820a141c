#include "snip/tools/mosaictool.h"

#include "widgets/erasemenu.h"

QString MosaicTool::icon() const { return QStringLiteral(":/icon/res/mosaic"); }
const char* MosaicTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Mosaic"); }
EditMenu* MosaicTool::createMenu(QWidget* parent) const { return new EraseMenu(parent); }

std::shared_ptr<PaintCommand> MosaicTool::create(const ToolInput& input) const
{
    QPen pen = input.pen;
    // what is on the canvas now, annotations included
    pen.setBrush(QBrush(pixelate(input.canvas ? input.canvas() : QImage())));
    return std::make_shared<PaintCommand>(type(), pen, false, input.pos);
}

QImage pixelate(const QImage& image)
{
    if (image.isNull())
        return image;
    // Images narrower than a block still become one block, not a null image.
    const QSize small(std::max(1, image.width() / 9), std::max(1, image.height() / 9));
    return image.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
