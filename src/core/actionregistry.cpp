#include "actionregistry.h"

#include <QAction>
#include <QDebug>
#include <QMenu>

ActionRegistry::ActionRegistry(QObject* parent)
    : QObject(parent)
{
}

void ActionRegistry::add(const QString& name, const QString& label, const QIcon& icon, std::function<void()> run)
{
    for (Action& action : actions_) {
        if (action.name == name) {
            action = Action{name, label, icon, std::move(run)};
            return;
        }
    }
    actions_.push_back(Action{name, label, icon, std::move(run)});
}

const ActionRegistry::Action* ActionRegistry::find(const QString& name) const
{
    for (const Action& action : actions_) {
        if (action.name == name)
            return &action;
    }
    return nullptr;
}

QStringList ActionRegistry::names() const
{
    QStringList list;
    for (const Action& action : actions_)
        list << action.name;
    return list;
}

QAction* ActionRegistry::addToMenu(QMenu* menu, const QString& name)
{
    const Action* action = find(name);
    if (!action)
        return nullptr;
    // the menu entry looks the action up when triggered, so a replaced action
    // is the one that runs
    return menu->addAction(action->icon, action->label, this, [this, name] { trigger(name); });
}

bool ActionRegistry::trigger(const QString& name)
{
    const Action* action = find(name);
    if (!action || !action->run) {
        qWarning().noquote() << "no action named" << name;
        return false;
    }
    qInfo().noquote() << "action" << name;
    // a copy: the action may replace itself while it runs
    const std::function<void()> run = action->run;
    run();
    emit triggered(name);
    return true;
}
