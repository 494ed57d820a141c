#pragma once

#include <QPainterPath>

#include "snip/tools/tool.h"

// A free-hand stroke, drawn into the canvas piece by piece while the mouse
// moves. Strokes are never hit, so they cannot be moved.
class PencilTool : public Tool
{
public:
    Graph type() const override { return PENCIL; }
    QString icon() const override;
    const char* tip() const override;
    EditMenu* createMenu(QWidget* parent) const override;
    void init(PaintCommand& command, const QPoint& start, QWidget* parent) const override;
    bool addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers modifiers) const override;
    bool incremental() const override { return true; }
    void draw(PaintCommand& command, QPainter* painter, bool incremental) const override;
    void move(PaintCommand&, const QPoint&) const override {}
    bool isValid(const PaintCommand& command) const override;
    QRect coveredRect(const PaintCommand& command) const override;
    int hitTest(const PaintCommand&, const QPoint&) const override { return 0; }
    void drawFrame(const PaintCommand&, QPainter*) const override {}
    QRect frameRect(const PaintCommand&) const override { return QRect(); }

    // Every point of the stroke, drawn or still pending, without the
    // repeated joints.
    static QVector<QPoint> wholeStroke(const PaintCommand& command);
    // The filled outline of the stroke in the command's pen, kept until the
    // stroke or the pen changes.
    static const QPainterPath& outline(PaintCommand& command, const QVector<QPoint>& stroke);

protected:
    void drawStroke(PaintCommand& command, QPainter* painter, bool incremental) const;
};
