#include "widgets/imageeditmenu.h"

#include <QMoveEvent>

#include "core/displayinfo.h"
#include "core/placement.h"
#include "core/screenlayout.h"

#include "snip/tools/tool.h"
#include "snip/tools/toolregistry.h"
#include "widgets/buttongroup.h"
#include "widgets/colordialogbutton.h"
#include "widgets/fontmenu.h"
#include "widgets/iconbutton.h"

const QVector<Graph>& ImageEditMenu::tools()
{
    static const QVector<Graph> order = [] {
        QVector<Graph> types;
        for (const Tool* tool : toolregistry::tools())
            types.append(tool->type());
        return types;
    }();
    return order;
}

ImageEditMenu::ImageEditMenu(QWidget* parent)
    : EditMenu(parent)
{
    group_ = new ButtonGroup(this);
    for (const Tool* tool : toolregistry::tools()) {
        const Graph t = tool->type();
        EditMenu* menu = tool->createMenu(this);
        menu->hide();
        menus_.insert(t, menu);

        IconButton* button = makeButton(tool->icon(), true);
        tips_.insert(button, tool->tip());
        addButton(button);
        toolButtons_.insert(t, button);
        group_->addButton(button);

        connect(button, &QAbstractButton::toggled, this, [this, t, menu](bool on) {
            if (on) {
                emit paint(t);
                placeOptionMenu(menu);
                menu->show();
                menu->raise();
            } else {
                menu->hide();
            }
        });
        connect(menu, &EditMenu::changed, this, [this, t] { emit changed(t); });
        for (ColorDialogButton* colour : menu->findChildren<ColorDialogButton*>())
            connect(colour, &ColorDialogButton::dialogOpening, this, &ImageEditMenu::dialogOpening);
    }
    connect(group_, &ButtonGroup::uncheckedAll, this, [this] { emit paint(Graph(0)); });

    addSeparator();
    undo_ = makeButton(QStringLiteral(":/icon/res/undo"), false);
    undo_->setEnabled(false);
    addButton(undo_);
    connect(undo_, &QAbstractButton::clicked, this, &ImageEditMenu::undo);
    redo_ = makeButton(QStringLiteral(":/icon/res/redo"), false);
    redo_->setEnabled(false);
    addButton(redo_);
    connect(redo_, &QAbstractButton::clicked, this, &ImageEditMenu::redo);

    addSeparator();
    pin_ = makeButton(QStringLiteral(":/icon/res/pin"), false);
    addButton(pin_);
    connect(pin_, &QAbstractButton::clicked, this, [this] {
        emit fix();
        reset();
    });
    save_ = makeButton(QStringLiteral(":/icon/res/save"), false);
    addButton(save_);
    connect(save_, &QAbstractButton::clicked, this, [this] {
        emit save();
        reset();
    });

    addSeparator();
    exit_ = makeButton(QStringLiteral(":/icon/res/wrong"), false);
    exit_->normalForeground = exit_->currentForeground = exit_->hoverForeground = QColor("#ee0000");
    exit_->hoverBackground = QColor("#d0d0d5");
    addWidget(exit_);
    connect(exit_, &QAbstractButton::clicked, this, [this] {
        emit exit();
        reset();
    });
    ok_ = makeButton(QStringLiteral(":/icon/res/right"), false);
    ok_->normalForeground = ok_->currentForeground = ok_->hoverForeground = QColor("#07b913");
    ok_->hoverBackground = QColor("#d0d0d5");
    addWidget(ok_);
    connect(ok_, &QAbstractButton::clicked, this, [this] {
        emit ok();
        reset();
    });
    retranslate();
}

void ImageEditMenu::retranslate()
{
    for (auto it = tips_.cbegin(); it != tips_.cend(); ++it)
        it.key()->setToolTip(tr(it.value()));
}

IconButton* ImageEditMenu::makeButton(const QString& icon, bool checkable)
{
    return new IconButton(QPixmap(icon), QSize(height_, height_), QSize(iconSize_, iconSize_), checkable, this);
}

void ImageEditMenu::placeOptionMenu(EditMenu* menu) const
{
    const QRect screen = screenlayout::screenFor(DisplayInfo::screenRects(), geometry());
    const QSize row = menu->isVisible() ? menu->size() : menu->sizeHint();
    menu->move(placement::optionRow(pos(), size(), row, submenusAbove_, screen));
}

void ImageEditMenu::moveEvent(QMoveEvent* event)
{
    // An open option menu stays attached when the toolbar moves.
    for (EditMenu* menu : menus_) {
        if (menu->isVisible())
            placeOptionMenu(menu);
    }
    EditMenu::moveEvent(event);
}

void ImageEditMenu::hideEvent(QHideEvent* event)
{
    // The option menus are windows of their own: they would stay behind.
    for (EditMenu* menu : menus_)
        menu->hide();
    EditMenu::hideEvent(event);
}

QPen ImageEditMenu::pen(Graph t) const
{
    const EditMenu* menu = menus_.value(t);
    return menu ? menu->pen() : QPen();
}

bool ImageEditMenu::fill(Graph t) const
{
    const Tool* tool = toolregistry::find(t);
    return tool && tool->fill(menus_.value(t));
}

QFont ImageEditMenu::font(Graph t) const
{
    if (const auto* fonts = qobject_cast<const FontMenu*>(menus_.value(t)))
        return fonts->font();
    return QFont();
}

void ImageEditMenu::setWidth(Graph t, int w)
{
    if (EditMenu* menu = menus_.value(t))
        menu->setWidth(qMax(w, 1));
    emit changed(t);
}

void ImageEditMenu::reset()
{
    group_->uncheckAll();
}

void ImageEditMenu::disableUndo(bool val)
{
    undo_->setEnabled(!val);
}

void ImageEditMenu::disableRedo(bool val)
{
    redo_->setEnabled(!val);
}
