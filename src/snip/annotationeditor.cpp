#include "snip/annotationeditor.h"

#include <QDebug>

#include <algorithm>

#include "snip/snipcanvas.h"
#include "snip/textedit.h"
#include "snip/tools/toolregistry.h"

AnnotationEditor::AnnotationEditor(InputSource input, QObject* parent)
    : QObject(parent)
    , input_(std::move(input))
{
    connect(&undo_, &CommandStack::increased, this, [this] {
        if (restoring_)
            return;
        current_ = undo_.top();
        lastFootprint_ = SnipCanvas::footprint(current_.get());
        emit canvasRequested(DRAW_COMMAND, lastFootprint_);
    });
    connect(&undo_, &CommandStack::decreased, this, [this] {
        if (!restoring_)
            emit fullRepaintRequested(REDRAW_ALL);
    });
    connect(&undo_, &CommandStack::emptied, this, [this](bool empty) {
        if (!restoring_)
            emit emptied(empty);
    });
    connect(&redo_, &CommandStack::emptied, this, &AnnotationEditor::redoEmptied);
}

const Tool* AnnotationEditor::activeTool() const
{
    return toolregistry::find(Graph(flags_ & TOOL_MASK));
}

void AnnotationEditor::setTool(Graph tool)
{
    flags_ = tool != 0 ? int(tool) | TOOL_ACTIVE : 0;
}

void AnnotationEditor::hitTest(const QPoint& p)
{
    hoverCode_ = 0;
    hovered_.reset();
    for (const Command& command : undo_.commands()) {
        if (const int code = command->hitTest(p)) {
            hoverCode_ = code;
            hovered_ = command;
            return;
        }
    }
}

void AnnotationEditor::setCurrent(const Command& command)
{
    if (current_ && current_ != command) {
        const Command old = current_;
        emit old->modified(REFRESH);
        if (!old->isValid())
            undo_.remove(old.get());
    }
    current_ = command;
    lastFootprint_ = SnipCanvas::footprint(current_.get());
    TextEdit* editor = command ? command->editor() : nullptr;
    // The overlay holds the keyboard; while a text is edited its box gets the keys.
    if (editor) {
        editor->show();
        editor->setFocus(Qt::OtherFocusReason);
    }
    emit keyboardWanted(editor);
    if (command)
        emit command->modified(REFRESH);
}

void AnnotationEditor::forgetCurrent()
{
    current_.reset();
    emit keyboardWanted(nullptr);
    lastFootprint_ = QRect();
}

void AnnotationEditor::press(const QPoint& pos)
{
    if (hovered_) {
        const auto commands = undo_.commands();
        if (std::find(commands.begin(), commands.end(), hovered_) == commands.end()) {
            hovered_.reset();
            hoverCode_ = Resizer::OUTSIDE;
        }
    }

    const int c = hoverCode_;
    if (hovered_ && (c & Resizer::BORDERS)) {
        lastMovePoint_ = pos;
        setCurrent(hovered_);
        flags_ |= OP_MOVING;
    } else if (hovered_ && (c & Resizer::ANCHORS)) {
        lastResizePoint_ = pos;
        setCurrent(hovered_);
        flags_ |= OP_RESIZING;
    } else if (hovered_ && c == Resizer::ROTATE_ANCHOR) {
        setCurrent(hovered_);
        flags_ |= OP_ROTATING;
    } else {
        create(pos);
    }
}

void AnnotationEditor::create(const QPoint& pos)
{
    const Graph t = Graph(flags_ & TOOL_MASK);
    const Tool* tool = activeTool();
    if (!tool) {
        qCritical() << "Error type:" << int(t);
        return;
    }
    ToolInput input = input_(t);
    input.pos = pos;
    input.commands = undo_.commands();
    const Command command = tool->create(input);
    if (!command)
        return;
    hovered_ = command;
    setCurrent(command);
    undo_.push(command);
    redo_.clear();
    connect(command.get(), &PaintCommand::modified, this,
            [this, changed = command.get()](PaintType type) { commandModified(changed, type); });
    emit canvasRequested(PREVIEW, SnipCanvas::footprint(command.get()));
    flags_ |= OP_CREATING;
}

void AnnotationEditor::drag(const QPoint& pos, Qt::KeyboardModifiers modifiers)
{
    if (!hovered_)
        return;
    if (flags_ & OP_CREATING) {
        hovered_->addPoint(pos, modifiers);
    } else if (flags_ & OP_MOVING) {
        hovered_->move(pos - lastMovePoint_);
        lastMovePoint_ = pos;
    } else if (flags_ & OP_RESIZING) {
        hovered_->resize(hoverCode_, pos - lastResizePoint_);
        lastResizePoint_ = pos;
    }
}

void AnnotationEditor::release()
{
    if ((flags_ & OP_MASK) == OP_CREATING && current_) {
        // A stroke is already on the canvas; only its last points are due,
        // and its frame shows now that it is done.
        if (current_->tool() && current_->tool()->incremental())
            emit canvasRequested(DRAW_INCREMENT, QRegion(SnipCanvas::pendingArea(*current_)) | lastFootprint_
                                     | SnipCanvas::footprint(current_.get()));
        else
            emit canvasRequested(DRAW_COMMAND, QRegion(lastFootprint_) | SnipCanvas::footprint(current_.get()));
    }
    flags_ &= ~OP_MASK;
}

void AnnotationEditor::painted()
{
    lastFootprint_ = SnipCanvas::footprint(current_.get());
}

void AnnotationEditor::commandModified(const PaintCommand* command, PaintType type)
{
    if (!command || !current_ || command != current_.get() || type == REFRESH) {
        emit fullRepaintRequested(type);
        return;
    }
    if (type == DRAW_INCREMENT) {
        emit canvasRequested(type, SnipCanvas::pendingArea(*current_));
        return;
    }
    emit canvasRequested(type, QRegion(lastFootprint_) | SnipCanvas::footprint(current_.get()));
}

void AnnotationEditor::undo()
{
    if (undo_.empty())
        return;
    const Command top = undo_.top();
    if (top == current_) {
        const bool valid = top->isValid();
        setCurrent(nullptr);
        // An empty command is simply dropped; the one beneath stays.
        if (!valid)
            return;
    }
    if (!undo_.empty()) {
        redo_.push(top);
        undo_.pop();
    }
}

void AnnotationEditor::redo()
{
    if (redo_.empty())
        return;
    undo_.push(redo_.top());
    redo_.pop();
}

void AnnotationEditor::deleteCurrent()
{
    if (!current_)
        return;
    const Command command = current_;
    emit command->modified(REFRESH);
    if (command->editor())
        command->editor()->hide();
    current_.reset();
    emit keyboardWanted(nullptr);
    if (hovered_ == command)
        hovered_.reset();
    undo_.remove(command.get());
}

void AnnotationEditor::clearCommands()
{
    undo_.clear();
    redo_.clear();
}

void AnnotationEditor::reset()
{
    current_.reset();
    hovered_.reset();
    hoverCode_ = Resizer::OUTSIDE;
    flags_ = 0;
}

void AnnotationEditor::hideEditors()
{
    for (const Command& command : undo_.commands()) {
        if (command->editor())
            command->editor()->hide();
    }
}

void AnnotationEditor::restore(const std::vector<Command>& commands)
{
    hideEditors();
    current_.reset();
    emit keyboardWanted(nullptr);
    hovered_.reset();
    restoring_ = true;
    undo_.clear();
    for (const Command& command : commands)
        undo_.push(command);
    restoring_ = false;
    emit undo_.changed(undo_.size());
    emit undo_.emptied(undo_.empty());
    redo_.clear();
}
