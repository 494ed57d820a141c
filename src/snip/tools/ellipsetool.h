#pragma once

#include "snip/tools/tool.h"

// An ellipse in the dragged rectangle.
class EllipseTool : public Tool
{
public:
    Graph type() const override { return ELLIPSE; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    void draw(PaintCommand& command, QPainter* painter, bool incremental) const override;
    // a 4-pixel ring around the outline moves it, the handles resize it
    int hitTest(const PaintCommand& command, const QPoint& p) const override;
};
