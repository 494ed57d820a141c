#include "snip/screenshoter.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QShortcut>
#include <QWheelEvent>

#include "core/config.h"
#include "core/devicepixels.h"
#include "core/displayinfo.h"
#include "core/imagesaver.h"
#include "core/placement.h"
#include "core/regionblit.h"
#include "core/screenlayout.h"
#include "snip/magnifier.h"
#include "snip/tools/tool.h"
#include "snip/tools/toolregistry.h"
#include "widgets/imageeditmenu.h"

ScreenShoter::ScreenShoter(QWidget* parent)
    : Selector(parent)
    , editor_([this](Graph t) {
        ToolInput input;
        input.pen = menu_->pen(t);
        input.fill = menu_->fill(t);
        input.font = menu_->font(t);
        input.parent = this;
        input.canvas = [this] { return canvas_.pixmap().toImage(); };
        input.screenshot = canvas_.screenshot();
        return input;
    })
    , cursor_(this)
{
    // The overlay paints its own canvas from the grab taken in start(),
    // every pixel of it: an opaque window, which spares the toolkit clearing
    // a desktop-sized buffer for each first paint and lets the grab keep the
    // pad byte the X server left in it.
    paintsCanvas = true;
    setAttribute(Qt::WA_TranslucentBackground, false);

    menu_ = new ImageEditMenu(this);
    menu_->hide();
    menu_->adjustSize();
    magnifier_ = new Magnifier(this);
    connect(&canvas_, &SnipCanvas::repaintNeeded, this, [this](const QRegion& area) { update(area); });
    dialogs_ = new OverlayDialogs(
        this,
        [this] {
            QList<QWidget*> windows{ menu_ };
            for (Graph t : ImageEditMenu::tools())
                windows.append(menu_->optionMenu(t));
            return windows;
        },
        [this]() -> QWidget* { return editor_.current() ? editor_.current()->editor() : nullptr; });
    connect(dialogs_, &OverlayDialogs::opened, magnifier_, &QWidget::hide);

    connect(menu_, &ImageEditMenu::save, this, &ScreenShoter::save);
    connect(menu_, &ImageEditMenu::ok, this, &ScreenShoter::copy);
    connect(menu_, &ImageEditMenu::fix, this, &ScreenShoter::pin);
    connect(menu_, &ImageEditMenu::exit, this, &ScreenShoter::exit);
    connect(menu_, &ImageEditMenu::undo, this, &ScreenShoter::undo);
    connect(menu_, &ImageEditMenu::redo, this, &ScreenShoter::redo);
    connect(menu_, &ImageEditMenu::paint, this, &ScreenShoter::selectTool);
    connect(menu_, &ImageEditMenu::changed, this, &ScreenShoter::changeOption);
    connect(menu_, &ImageEditMenu::dialogOpening, dialogs_, &OverlayDialogs::watch);

    connectEditor();

    connect(this, &Selector::captured, this, [this] {
        // it belongs to picking the region, not to annotating it
        magnifier_->hide();
        menu_->show();
        // above the overlay, which was raised when it started
        menu_->raise();
        moveMenu();
    });
    connect(this, &Selector::moved, this, &ScreenShoter::moveMenu);
    connect(this, &Selector::resized, this, &ScreenShoter::moveMenu);

    registerShortcuts();
}

void ScreenShoter::connectEditor()
{
    connect(&editor_, &AnnotationEditor::canvasRequested, &canvas_, &SnipCanvas::request);
    connect(&editor_, &AnnotationEditor::fullRepaintRequested, this,
            [this](PaintType type) { canvas_.requestAll(type, rect()); });
    connect(&editor_, &AnnotationEditor::emptied, this, [this](bool empty) {
        if (empty) {
            Selector::status = CAPTURED;
            emit captured();
        } else {
            Selector::status = LOCKED;
            emit locked();
        }
        menu_->disableUndo(empty);
        if (empty)
            menu_->reset();
    });
    connect(&editor_, &AnnotationEditor::redoEmptied, menu_, &ImageEditMenu::disableRedo);
    // The overlay holds the keyboard; while a text is edited its box gets the keys.
    connect(&editor_, &AnnotationEditor::keyboardWanted, this, [this](QWidget* editor) {
        if (!editor)
            takeKeyboardBack();
        else if (isVisible())
            editor->grabKeyboard();
    });
}

void ScreenShoter::warmUp()
{
    if (Selector::status != IDLE || isVisible())
        return;
    Selector::warmUp();
    // The toolbar and its option menus are windows of their own.
    menu_->winId();
    for (Graph t : ImageEditMenu::tools())
        menu_->optionMenu(t)->winId();
    // Rendered once, the toolbar has its icons decoded and its font loaded.
    QImage scratch(menu_->size(), QImage::Format_ARGB32_Premultiplied);
    menu_->render(&scratch);
}

void ScreenShoter::registerShortcuts()
{
    auto add = [this](const QKeySequence& keys, std::function<void()> action) {
        auto shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, std::move(action));
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_S), [this] {
        if (Selector::status == CAPTURED)
            save();
    });
    add(QKeySequence(Qt::Key_P), [this] {
        if (Selector::status == CAPTURED)
            pin();
    });
    add(QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { undo(); });
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { redo(); });
    add(QKeySequence(Qt::Key_PageUp), [this] { restoreHistory(history_.stepBack()); });
    add(QKeySequence(Qt::Key_PageDown), [this] { restoreHistory(history_.stepForward()); });
    add(QKeySequence(Qt::CTRL | Qt::Key_C), [this] {
        if (Selector::status > SELECTING)
            return;
        qInfo() << "CTRL + C";
        QGuiApplication::clipboard()->setText(magnifier_->colorName());
    });
    add(QKeySequence(Qt::Key_Delete), [this] {
        if (Selector::status >= CAPTURED)
            editor_.deleteCurrent();
    });
}

void ScreenShoter::start()
{
    if (Selector::status != IDLE)
        return;
    canvas_.grab(QRect(QPoint(0, 0), size()));
    canvas_.requestAll(REDRAW_ALL, rect());
    Selector::start();
}

void ScreenShoter::exit()
{
    // Closing under an open dialog would leave it alone over the desktop
    // with nothing to save.
    if (dialogOpen()) {
        qInfo() << "a dialog is open: the overlay stays";
        return;
    }
    // Text boxes of commands kept by the history must not show up again.
    editor_.hideEditors();
    if (QWidget* grabber = QWidget::keyboardGrabber(); grabber && grabber != this && isAncestorOf(grabber))
        grabber->releaseKeyboard();
    editor_.clearCommands();
    menu_->reset();
    menu_->hide();
    editor_.reset();
    magnifier_->hide();
    unsetCursor();
    cursor_.forget();
    Selector::exit();
    canvas_.dropCanvas();
}

QRect ScreenShoter::snippedRect() const
{
    return box.rect();
}

QRect ScreenShoter::snippedDeviceRect() const
{
    return devicepixels::toDevice(box.rect(), canvas_.screenshot().devicePixelRatio());
}

QPixmap ScreenShoter::snippedImage()
{
    // A click that drew nothing leaves no dot in the result.
    if (editor_.current() && !editor_.current()->isValid())
        editor_.setCurrent(nullptr);
    // A copy may come before the overlay had a chance to paint.
    updateCanvas();
    const QPixmap& picture = canvas_.pixmap();
    QPixmap snip = picture.copy(devicepixels::toDevice(box.rect(), picture.devicePixelRatio()));
    // one image pixel per device pixel, whatever shows it later
    snip.setDevicePixelRatio(1);
    return snip;
}

void ScreenShoter::snipped()
{
    const QRect r = box.rect();
    ImageSaver::copy(snippedImage().toImage(), snippedDeviceRect().topLeft());
    history_.add(canvas_.screenshot(), r, editor_.undoStack().commands());
}

void ScreenShoter::copy()
{
    snipped();
    exit();
}

void ScreenShoter::save()
{
    // one dialog at a time
    if (dialogOpen())
        return;
    QString filter;
    QString name = dialogs_->askSaveName(tr("Save Image"), &filter);
    if (name.isEmpty() || !isVisible())
        return;
    name = ImageSaver::withSuffix(name, filter);

    QString error;
    if (!ImageSaver::save(snippedImage().toImage(), name, &error)) {
        // The overlay stays open so the work is not lost.
        emit SHOW_MESSAGE(QStringLiteral("Klipora<PICTURE>"), ImageSaver::failureMessage(name, error),
                          QSystemTrayIcon::Critical);
        return;
    }
    emit SHOW_MESSAGE(QStringLiteral("Klipora<PICTURE>"), tr("Path: ") + name);
    snipped();
    exit();
}

void ScreenShoter::pin()
{
    const QPixmap image = snippedImage();
    const QPoint pos = snippedDeviceRect().topLeft();
    snipped();
    emit FIX_IMAGE(image, pos);
    exit();
}

void ScreenShoter::undo()
{
    editor_.undo();
}

void ScreenShoter::redo()
{
    editor_.redo();
}

void ScreenShoter::updateTheme()
{
    Selector::updateTheme(Config::instance().selectorTheme(Config::Snip));
}

void ScreenShoter::modified(PaintType type)
{
    editor_.commandModified(qobject_cast<PaintCommand*>(sender()), type);
}

const QPixmap& ScreenShoter::canvas()
{
    updateCanvas();
    return canvas_.pixmap();
}

void ScreenShoter::updateCanvas()
{
    canvas_.apply(editor_.undoStack(), editor_.current().get());
}

void ScreenShoter::paintEvent(QPaintEvent* event)
{
    updateCanvas();

    const Command current = editor_.current();
    // Without marks the outside of the selection is copied ready-dimmed.
    QRegion plain = event->region();
    if (!current && canvas_.sharesGrab() && dimsFrom(canvas_.pixmap()))
        plain &= QRegion(selectedRect());
    painter.begin(this);
    blitRegion(&painter, plain, canvas_.pixmap());
    if (canvas_.kind() == PREVIEW && current)
        current->draw(&painter, true);
    if (current && current->tool()) {
        painter.save();
        current->tool()->drawFrame(*current, &painter);
        painter.restore();
    }
    painter.end();
    editor_.painted();

    Selector::paintEvent(event);
}

void ScreenShoter::takeKeyboardBack()
{
    QWidget* grabber = QWidget::keyboardGrabber();
    if (isVisible() && grabber && grabber != this && isAncestorOf(grabber))
        grabKeyboard();
}

void ScreenShoter::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (Selector::status != LOCKED) {
        Selector::mousePressEvent(event);
        return;
    }
    // What the last mark still owes the canvas goes there before the next
    // one takes over as the current command.
    updateCanvas();
    const QPoint pos = pointerPixel(event);
    editor_.setCurrent(nullptr);
    // Dropping an empty command may have emptied the stack and freed the
    // selection: this press then only ends the edit.
    if (Selector::status != LOCKED)
        return;
    editor_.press(pos);
    Selector::mousePressEvent(event);
}

void ScreenShoter::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = pointerPixel(event);
    if (event->buttons() & Qt::LeftButton) {
        if (Selector::status == LOCKED) {
            editor_.drag(pos, event->modifiers());
        } else if (Selector::status == MOVING) {
            // Commands undone before the move no longer fit the region.
            editor_.clearCommands();
        }
    }
    updateCursor(pos, event->buttons());

    switch (Selector::status) {
    case CAPTURED:
    case MOVING:
    case LOCKED:
        magnifier_->hide();
        break;
    default: {
        // the pixels around the device pixel under the pointer
        magnifier_->setPixmap(Magnifier::cut(canvas_.screenshot(), pointerDevicePixel(event)));
        // Kept on the cursor's monitor near its right and bottom edges.
        const QRect screen = screenlayout::screenAt(DisplayInfo::screenRects(), pos);
        magnifier_->move(placement::magnifier(pos, magnifier_->size(), screen));
        magnifier_->show();
        break;
    }
    }

    Selector::mouseMoveEvent(event);
}

bool ScreenShoter::mergesMoves(const QMouseEvent& event) const
{
    // a stroke is drawn through every point the mouse reported
    return !(Selector::status == LOCKED && (event.buttons() & Qt::LeftButton));
}

void ScreenShoter::updateCursor(const QPoint& pos, Qt::MouseButtons buttons)
{
    const Tool* tool = editor_.activeTool();
    if (tool && tool->brushCursor()) {
        cursor_.showBrush(qMin(menu_->pen(tool->type()).width(), CircleCursor::MAX_WIDTH));
    } else if (!buttons && Selector::status == LOCKED) {
        editor_.hitTest(pos);
        cursor_.showHover(editor_.hovered() ? editor_.hoverCode() : 0);
    }
}

void ScreenShoter::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && Selector::status == LOCKED)
        editor_.release();
    Selector::mouseReleaseEvent(event);
}

void ScreenShoter::wheelEvent(QWheelEvent* event)
{
    // the round brushes only
    const int n = event->angleDelta().y() / 120;
    const Tool* tool = editor_.activeTool();
    if (tool && tool->brushCursor())
        menu_->setWidth(tool->type(), qMin(menu_->pen(tool->type()).width() + n, CircleCursor::MAX_WIDTH));
}

void ScreenShoter::keyPressEvent(QKeyEvent* event)
{
    if (dialogOpen()) {
        event->ignore();
        return;
    }
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && Selector::status >= CAPTURED) {
        snipped();
        exit();
    } else if (key == Qt::Key_Escape) {
        exit();
    }
    QWidget::keyPressEvent(event);
}

void ScreenShoter::selectTool(Graph t)
{
    editor_.setTool(t);
    if (t != 0) {
        Selector::status = LOCKED;
        emit locked();
    } else if (editor_.undoStack().empty()) {
        Selector::status = CAPTURED;
        emit captured();
    }
    editor_.forgetCurrent();
    const Tool* tool = editor_.activeTool();
    if (tool && tool->brushCursor())
        cursor_.showBrush(qMin(menu_->pen(t).width(), CircleCursor::MAX_WIDTH));
    else
        cursor_.showCross();
    update();
}

void ScreenShoter::changeOption(Graph t)
{
    const Tool* tool = toolregistry::find(t);
    if (!tool)
        return;
    if (const Command current = editor_.current(); current && current->type() == t)
        tool->applyOptions(*current, menu_->optionMenu(t));
    if (tool->brushCursor())
        cursor_.showBrush(qMin(menu_->pen(t).width(), CircleCursor::MAX_WIDTH));
}

void ScreenShoter::restoreHistory(int index)
{
    if (index < 0 || index >= int(history_.entries().size()))
        return;
    const HistoryEntry entry = history_.entries()[size_t(index)];
    canvas_.setScreenshot(SnipHistory::screenshotOf(entry, canvas_.screenshot()));
    box.x1 = entry.rect.left();
    box.y1 = entry.rect.top();
    box.x2 = entry.rect.right();
    box.y2 = entry.rect.bottom();

    editor_.restore(entry.commands);
    canvas_.requestAll(REDRAW_ALL, rect());
    Selector::status = CAPTURED;
    emit captured();
    Selector::status = LOCKED;
    emit locked();
}

void ScreenShoter::moveMenu()
{
    const QRect r = box.rect();
    const QRect screen = placement::screenAtCorner(DisplayInfo::screenRects(), r, r.bottomRight());
    const placement::ToolbarPlace place = placement::toolbar(r, menu_->size(), screen);
    menu_->setSubmenusAbove(place.submenusAbove);
    menu_->move(mapToGlobal(place.pos));
    // the label had its place before the toolbar had this one
    placeSizeInfo();
}

QRect ScreenShoter::sizeInfoObstacle() const
{
    if (!menu_->isVisible())
        return QRect();
    placement::ToolbarPlace place;
    place.pos = mapFromGlobal(menu_->pos());
    place.submenusAbove = menu_->submenusAbove();
    return placement::toolbarBand(place, menu_->size());
}
