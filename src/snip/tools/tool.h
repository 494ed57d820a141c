#pragma once

#include <QFont>
#include <QImage>
#include <QPen>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "snip/paintcommand.h"

class EditMenu;
class QPainter;
class QWidget;

// What a press hands to a tool to start a new command with.
struct ToolInput
{
    QPoint pos;
    QPen pen;
    bool fill = false;
    QFont font;
    // Text boxes live in this widget.
    QWidget* parent = nullptr;
    // The canvas as it is now, annotations included; made only when asked.
    std::function<QImage()> canvas;
    // The unannotated grab.
    QPixmap screenshot;
    // The commands already on the picture, oldest first.
    std::vector<std::shared_ptr<PaintCommand>> commands;
};

// Per-command data that only one kind needs (a counter's number, a blur's
// source pixels); each kind derives its own.
struct ToolState
{
    virtual ~ToolState() = default;
};

// One kind of annotation. Every decision that depends on the kind lives
// here, so a new kind is one subclass and one registry line. The defaults
// are those of a shape dragged out between two corners.
class Tool
{
public:
    virtual ~Tool() = default;

    virtual Graph type() const = 0;
    // Resource path of the toolbar icon.
    virtual QString icon() const = 0;
    // Untranslated tooltip; translated in the toolbar's context.
    virtual const char* tip() const = 0;
    // The tool's option row, owned by parent.
    virtual EditMenu* createMenu(QWidget* parent) const = 0;
    // Fill flag of new commands, as the option row gives it.
    virtual bool fill(const EditMenu* menu) const;

    // A new command at the press.
    virtual std::shared_ptr<PaintCommand> create(const ToolInput& input) const;
    // Run by the command's constructor.
    virtual void init(PaintCommand& command, const QPoint& start, QWidget* parent) const;
    virtual bool addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers modifiers) const;
    // Whether the command is drawn into the canvas piece by piece while it
    // is created (strokes), rather than previewed and drawn once.
    virtual bool incremental() const { return false; }
    virtual void draw(PaintCommand& command, QPainter* painter, bool incremental) const = 0;
    virtual void move(PaintCommand& command, const QPoint& delta) const;
    virtual void resize(PaintCommand& command, int handle, const QPoint& delta) const;
    virtual bool isValid(const PaintCommand& command) const;
    // What the command paints, without its edit frame.
    virtual QRect coveredRect(const PaintCommand& command) const;
    // The hover code at p (Resizer codes), or 0 when p does not hit it.
    virtual int hitTest(const PaintCommand& command, const QPoint& p) const;
    // Frame and handles of the command being edited.
    virtual void drawFrame(const PaintCommand& command, QPainter* painter) const;
    // What the edit frame adds around the covered rectangle.
    virtual QRect frameRect(const PaintCommand& command) const;

    // Takes a changed option row into the current command of this kind.
    virtual void applyOptions(PaintCommand& command, const EditMenu* menu) const;
    // Tools that paint with a round brush show it as the cursor, and the
    // wheel changes its width.
    virtual bool brushCursor() const { return false; }

    // The 1-pixel black pens of all edit frames.
    static QPen framePen(Qt::PenStyle style, qreal width = 1.0);
    // The dashed rectangle with its eight handles.
    static void drawBoxFrame(QPainter* painter, const Resizer& box);
};
