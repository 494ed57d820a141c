#pragma once

#include "snip/tools/tool.h"

// A straight line between the two corners; its end squares resize it and the
// band between them moves it.
class LineTool : public Tool
{
public:
    Graph type() const override { return LINE; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    void draw(PaintCommand& command, QPainter* painter, bool incremental) const override;
    int hitTest(const PaintCommand& command, const QPoint& p) const override;
    void drawFrame(const PaintCommand& command, QPainter* painter) const override;
};
