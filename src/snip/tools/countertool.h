#pragma once

#include "snip/tools/tool.h"

// A numbered disc: each click places the next number of the snip, 1, 2, 3...
// The number is one more than the counters already on the picture, so an
// undone number is given again by the next click.
class CounterTool : public Tool
{
public:
    Graph type() const override { return COUNTER; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    bool fill(const EditMenu*) const override { return true; }
    std::shared_ptr<PaintCommand> create(const ToolInput& input) const override;
    // dragging before the release carries the disc along
    bool addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers modifiers) const override;
    void draw(PaintCommand& command, QPainter* painter, bool incremental) const override;
    void resize(PaintCommand&, int, const QPoint&) const override {}
    bool isValid(const PaintCommand&) const override { return true; }
    QRect coveredRect(const PaintCommand& command) const override;
    int hitTest(const PaintCommand& command, const QPoint& p) const override;
    void drawFrame(const PaintCommand& command, QPainter* painter) const override;
    QRect frameRect(const PaintCommand& command) const override;

    // The number a command shows, 0 for other kinds.
    static int number(const PaintCommand& command);
    // The disc's radius for a pen width of the option menu.
    static int radius(int penWidth) { return 8 + qMax(penWidth, 1); }

private:
    static QRect disc(const PaintCommand& command);
};
