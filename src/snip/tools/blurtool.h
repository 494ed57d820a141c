#pragma once

#include "snip/tools/tool.h"

// A rectangle whose inside shows the canvas at the press blurred, strongly
// enough that text under it cannot be read. The width in its menu sets how
// strong.
class BlurTool : public Tool
{
public:
    Graph type() const override { return BLUR; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    bool fill(const EditMenu*) const override { return false; }
    std::shared_ptr<PaintCommand> create(const ToolInput& input) const override;
    void draw(PaintCommand& command, QPainter* painter, bool incremental) const override;
    QRect coveredRect(const PaintCommand& command) const override { return command.rect(); }

    // The box radius of the three passes for a pen width of the menu; never
    // below what makes 16-pixel text unreadable.
    static int radius(int penWidth) { return 4 + qMax(penWidth, 1) / 2; }
    // Three box blurs in a row: close to a Gaussian of about the radius.
    static QImage blurred(const QImage& image, int radius);
};
