#pragma once

#include "snip/tools/mosaictool.h"

// A stroke that paints the unannotated screenshot back.
class EraserTool : public MosaicTool
{
public:
    Graph type() const override { return ERASER; }
    QString icon() const override;
    const char* tip() const override;
    std::shared_ptr<PaintCommand> create(const ToolInput& input) const override;
};
