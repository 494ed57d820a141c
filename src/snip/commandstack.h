#pragma once

#include <QObject>

#include <memory>
#include <vector>

class PaintCommand;

// The undo or redo stack of annotation commands, oldest first. Commands are
// shared with the other stack, the overlay and the snip history.
class CommandStack : public QObject
{
    Q_OBJECT
public:
    using Command = std::shared_ptr<PaintCommand>;

    explicit CommandStack(QObject* parent = nullptr);

    void push(const Command& command);
    void pop();
    Command top() const;
    void remove(const PaintCommand* command);
    std::vector<Command> commands() const { return commands_; }

    bool empty() const { return commands_.empty(); }
    size_t size() const { return commands_.size(); }

signals:
    void increased();
    void decreased();
    void changed(size_t size);
    void pushed();
    void poped();
    void removed();
    void emptied(bool empty);

public slots:
    void clear();

private:
    std::vector<Command> commands_;
};
