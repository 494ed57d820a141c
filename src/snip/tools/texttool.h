#pragma once

#include "snip/tools/tool.h"

// A text box edited in place; its frame carries a rotate knob.
class TextTool : public Tool
{
public:
    Graph type() const override { return TEXT; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    std::shared_ptr<PaintCommand> create(const ToolInput& input) const override;
    void init(PaintCommand& command, const QPoint& start, QWidget* parent) const override;
    bool addPoint(PaintCommand&, const QPoint&, Qt::KeyboardModifiers) const override { return false; }
    void draw(PaintCommand& command, QPainter* painter, bool incremental) const override;
    void move(PaintCommand& command, const QPoint& delta) const override;
    bool isValid(const PaintCommand& command) const override;
    QRect coveredRect(const PaintCommand& command) const override;
    int hitTest(const PaintCommand& command, const QPoint& p) const override;
    void drawFrame(const PaintCommand& command, QPainter* painter) const override;
    QRect frameRect(const PaintCommand& command) const override;
    void applyOptions(PaintCommand& command, const EditMenu* menu) const override;

private:
    static Resizer box(const PaintCommand& command);
};
