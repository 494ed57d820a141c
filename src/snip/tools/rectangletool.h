#pragma once

#include "snip/tools/tool.h"

// A rectangle outline, filled when its menu says so; moved by its border strip.
class RectangleTool : public Tool
{
public:
    Graph type() const override { return RECTANGLE; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    void draw(PaintCommand& command, QPainter* painter, bool incremental) const override;
};
