#pragma once

#include "snip/tools/linetool.h"

// A filled six-point arrow from the press to the tip, handled like a line.
class ArrowTool : public LineTool
{
public:
    Graph type() const override { return ARROW; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    // always filled, whatever the menu says
    bool fill(const EditMenu*) const override { return true; }
    bool addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers modifiers) const override;
    void draw(PaintCommand& command, QPainter* painter, bool incremental) const override;
    void move(PaintCommand& command, const QPoint& delta) const override;
    void resize(PaintCommand& command, int handle, const QPoint& delta) const override;
    QRect coveredRect(const PaintCommand& command) const override;

    // The polygon tail, inner barb, outer barb, tip, outer barb, inner barb.
    static QVector<QPoint> polygon(const QPoint& tail, const QPoint& tip);

private:
    static void rebuild(PaintCommand& command);
};
