#include "snip/commandstack.h"

#include <QtDebug>

#include <algorithm>

#include "snip/paintcommand.h"

CommandStack::CommandStack(QObject* parent)
    : QObject(parent)
{
    static const int registered = (qRegisterMetaType<size_t>("size_t"), 0);
    Q_UNUSED(registered)
}

void CommandStack::push(const Command& command)
{
    if (commands_.empty())
        emit emptied(false);
    commands_.push_back(command);
    emit changed(commands_.size());
    emit pushed();
    emit increased();
}

void CommandStack::pop()
{
    if (commands_.empty()) {
        qCritical() << "pop on an empty stack";
        return;
    }
    commands_.pop_back();
    if (commands_.empty())
        emit emptied(true);
    emit changed(commands_.size());
    emit poped();
    emit decreased();
}

CommandStack::Command CommandStack::top() const
{
    return commands_.empty() ? nullptr : commands_.back();
}

void CommandStack::remove(const PaintCommand* command)
{
    commands_.erase(std::remove_if(commands_.begin(), commands_.end(),
                                   [command](const Command& c) { return c.get() == command; }),
                    commands_.end());
    // Reported even when the command was not there: the overlay redraws on it.
    if (commands_.empty())
        emit emptied(true);
    emit changed(commands_.size());
    emit removed();
    emit decreased();
}

void CommandStack::clear()
{
    if (commands_.empty())
        return;
    // Receivers still see the commands while they hear of the clear.
    emit changed(0);
    emit emptied(true);
    emit decreased();
    commands_.clear();
}
