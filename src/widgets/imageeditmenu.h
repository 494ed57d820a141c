#pragma once

#include <QDialog>
#include <QFont>
#include <QMap>
#include <QPen>

#include "snip/paintcommand.h"
#include "widgets/editmenu.h"
#include "widgets/retranslatable.h"

class ButtonGroup;
class IconButton;

// The annotation toolbar: the registered tools, each with its option menu,
// then undo and redo, pin and save, cancel and accept. It answers which pen, fill and
// font a tool has and announces every tool and option change.
class ImageEditMenu : public EditMenu, public Retranslatable
{
    Q_OBJECT
public:
    explicit ImageEditMenu(QWidget* parent = nullptr);

    // The tooltips follow a language change at once.
    void retranslate() override;

    QPen pen(Graph t) const;
    bool fill(Graph t) const;
    QFont font(Graph t) const;
    void setWidth(Graph t, int w);
    // Unchecks every tool (their option menus hide).
    void reset();

    void setSubmenusAbove(bool above) { submenusAbove_ = above; }
    bool submenusAbove() const { return submenusAbove_; }

    // The tools in toolbar order.
    static const QVector<Graph>& tools();
    IconButton* toolButton(Graph t) const { return toolButtons_.value(t); }
    EditMenu* optionMenu(Graph t) const { return menus_.value(t); }
    IconButton* undoButton() const { return undo_; }
    IconButton* redoButton() const { return redo_; }
    IconButton* pinButton() const { return pin_; }
    IconButton* saveButton() const { return save_; }
    IconButton* exitButton() const { return exit_; }
    IconButton* okButton() const { return ok_; }

    using EditMenu::fill;
    using EditMenu::pen;
    using EditMenu::setWidth;

signals:
    void save();
    void fix();
    void ok();
    void exit();
    void paint(Graph t);
    void undo();
    void redo();
    void changed(Graph t);
    // A colour dialog of an option menu is about to open.
    void dialogOpening(QDialog* dialog);

public slots:
    void disableUndo(bool val);
    void disableRedo(bool val);

protected:
    void moveEvent(QMoveEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    IconButton* makeButton(const QString& icon, bool checkable);
    void placeOptionMenu(EditMenu* menu) const;

    IconButton* undo_ = nullptr;
    IconButton* redo_ = nullptr;
    IconButton* pin_ = nullptr;
    IconButton* save_ = nullptr;
    IconButton* exit_ = nullptr;
    IconButton* ok_ = nullptr;
    QMap<Graph, EditMenu*> menus_;
    QMap<Graph, IconButton*> toolButtons_;
    QMap<IconButton*, const char*> tips_;
    ButtonGroup* group_ = nullptr;
    bool submenusAbove_ = false;
};
