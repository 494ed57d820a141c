#pragma once

#include "snip/tools/penciltool.h"

// A wide translucent marker. It multiplies its colour into the picture, so
// dark text under it stays dark; with Shift held the stroke is straight from
// the press. Drawn once, whole, when released: a stroke laid down in pieces
// would darken where the pieces overlap.
class HighlighterTool : public PencilTool
{
public:
    Graph type() const override { return HIGHLIGHTER; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    void init(PaintCommand& command, const QPoint& start, QWidget* parent) const override;
    bool addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers modifiers) const override;
    bool incremental() const override { return false; }
    void draw(PaintCommand& command, QPainter* painter, bool incremental) const override;

    // How much of the colour a stroke lays over the picture.
    static constexpr int ALPHA = 170;
};
