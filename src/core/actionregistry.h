#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QAction;
class QMenu;

// The user's commands by name ("snip", "pin", "record", "gif", "settings",
// "quit"): the tray menu, the hotkeys and the command line all run them from
// here, so each is written once.
class ActionRegistry : public QObject
{
    Q_OBJECT
public:
    struct Action
    {
        QString name;
        QString label;
        QIcon icon;
        std::function<void()> run;
    };

    explicit ActionRegistry(QObject* parent = nullptr);

    // A second action of the same name replaces the first.
    void add(const QString& name, const QString& label, const QIcon& icon, std::function<void()> run);
    const Action* find(const QString& name) const;
    QStringList names() const;

    // Adds a menu entry that runs the named action; nullptr when there is none.
    QAction* addToMenu(QMenu* menu, const QString& name);

public slots:
    // False, and nothing runs, for an unknown name.
    bool trigger(const QString& name);

signals:
    void triggered(const QString& name);

private:
    std::vector<Action> actions_;
};
