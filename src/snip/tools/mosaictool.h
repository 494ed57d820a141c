#pragma once

#include "snip/tools/penciltool.h"

// A stroke that paints a 9-pixel block mosaic of the canvas at the press.
class MosaicTool : public PencilTool
{
public:
    Graph type() const override { return MOSAIC; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    std::shared_ptr<PaintCommand> create(const ToolInput& input) const override;
    // a click without a drag already paints a dot
    bool isValid(const PaintCommand&) const override { return true; }
    void applyOptions(PaintCommand&, const EditMenu*) const override {}
    bool brushCursor() const override { return true; }
};
