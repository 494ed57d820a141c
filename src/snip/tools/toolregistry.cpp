#include "snip/tools/toolregistry.h"

#include "snip/tools/arrowtool.h"
#include "snip/tools/blurtool.h"
#include "snip/tools/countertool.h"
#include "snip/tools/ellipsetool.h"
#include "snip/tools/erasertool.h"
#include "snip/tools/highlightertool.h"
#include "snip/tools/linetool.h"
#include "snip/tools/mosaictool.h"
#include "snip/tools/penciltool.h"
#include "snip/tools/rectangletool.h"
#include "snip/tools/texttool.h"

const std::vector<const Tool*>& toolregistry::tools()
{
    static const RectangleTool rectangle;
    static const EllipseTool ellipse;
    static const ArrowTool arrow;
    static const LineTool line;
    static const PencilTool pencil;
    static const TextTool text;
    static const MosaicTool mosaic;
    static const EraserTool eraser;
    static const CounterTool counter;
    static const HighlighterTool highlighter;
    static const BlurTool blur;
    static const std::vector<const Tool*> order{ &rectangle, &ellipse, &arrow,   &line,        &pencil, &text,
                                                 &mosaic,    &eraser,  &counter, &highlighter, &blur };
    return order;
}

const Tool* toolregistry::find(Graph type)
{
    for (const Tool* tool : tools()) {
        if (tool->type() == type)
            return tool;
    }
    return nullptr;
}
