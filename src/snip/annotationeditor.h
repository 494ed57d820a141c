#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <functional>
#include <memory>
#include <vector>

#include "core/resizer.h"
#include "snip/commandstack.h"
#include "snip/paintcommand.h"
#include "snip/tools/tool.h"

class QWidget;

// The marks on a snip as the user edits them: the undo and redo stacks, the
// command being edited and the one under the mouse. Presses, drags and
// releases become new, moved and resized commands; what that changes on the
// canvas, on the emptiness of the picture and on who should have the
// keyboard goes out by signals. The canvas, the keyboard and the toolbar are
// the overlay's.
class AnnotationEditor : public QObject
{
    Q_OBJECT
public:
    using Command = std::shared_ptr<PaintCommand>;

    // Tool flags: the active tool in the low bits, then the drag operation.
    enum ToolFlags {
        TOOL_MASK = 0xFFFF,
        TOOL_ACTIVE = 1 << 16,
        OP_CREATING = 1 << 20,
        OP_MOVING = 1 << 21,
        OP_RESIZING = 1 << 22,
        OP_ROTATING = 1 << 23,
        OP_MASK = OP_CREATING | OP_MOVING | OP_RESIZING | OP_ROTATING,
    };

    // What a new command of a tool starts from besides its place and the
    // commands before it: the toolbar's pen, fill and font, the widget its
    // text box lives in, the canvas and the grab. Asked only when a command
    // is made.
    using InputSource = std::function<ToolInput(Graph tool)>;

    explicit AnnotationEditor(InputSource input, QObject* parent = nullptr);

    const CommandStack& undoStack() const { return undo_; }
    const CommandStack& redoStack() const { return redo_; }
    Command current() const { return current_; }
    Command hovered() const { return hovered_; }
    int hoverCode() const { return hoverCode_; }
    int toolFlags() const { return flags_; }
    const Tool* activeTool() const;
    // Graph(0) puts no tool in use.
    void setTool(Graph tool);

    // Hit test of the commands at p, oldest first; sets the hovered command
    // and hover code.
    void hitTest(const QPoint& p);
    // Makes command the one being edited, or none. The one it takes over
    // from is dropped when it drew nothing.
    void setCurrent(const Command& command);
    // Nothing is edited any more; nothing is dropped either.
    void forgetCurrent();

    // The left button, once the edit before it has ended: grabs the hovered
    // command by its border, handle or rotation anchor, or starts a new one
    // with the active tool.
    void press(const QPoint& pos);
    void drag(const QPoint& pos, Qt::KeyboardModifiers modifiers);
    void release();
    // The current command as just painted: its next change repaints over
    // this.
    void painted();

    void undo();
    void redo();
    void deleteCurrent();
    // Drops every command, done and undone.
    void clearCommands();
    // Nothing edited, hovered or in use.
    void reset();
    // Text boxes of commands kept elsewhere must not show up again.
    void hideEditors();
    // The commands of an earlier snip in place of these; none is edited.
    void restore(const std::vector<Command>& commands);

    // A command changed: only the current one's own changes are redrawn
    // where it was and is; anything else redraws the whole canvas.
    void commandModified(const PaintCommand* command, PaintType type);

signals:
    void canvasRequested(PaintType type, const QRegion& area);
    void fullRepaintRequested(PaintType type);
    // The picture lost its last command or got its first; not told for the
    // steps of a restore, only for its end.
    void emptied(bool empty);
    void redoEmptied(bool empty);
    // Who should get the keys: the text box of the command being edited, or
    // the overlay again (nullptr).
    void keyboardWanted(QWidget* editor);

private:
    void create(const QPoint& pos);

    InputSource input_;
    CommandStack undo_;
    CommandStack redo_;
    Command current_;
    Command hovered_;
    int hoverCode_ = Resizer::OUTSIDE;
    int flags_ = 0;
    QPoint lastMovePoint_;
    QPoint lastResizePoint_;
    // Where the current command was when last painted.
    QRect lastFootprint_;
    bool restoring_ = false;
};
