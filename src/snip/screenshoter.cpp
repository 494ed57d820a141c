#include "snip/screenshoter.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPolygon>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include "core/config.h"
#include "core/desktopgrab.h"
#include "core/devicepixels.h"
#include "core/displayinfo.h"
#include "core/imagesaver.h"
#include "core/placement.h"
#include "core/screenlayout.h"
#include "core/windowstack.h"
#include "snip/magnifier.h"
#include "snip/textedit.h"
#include "widgets/imageeditmenu.h"

namespace {

QPen framePen(Qt::PenStyle style, qreal width = 1.0)
{
    return QPen(QBrush(Qt::black, Qt::SolidPattern), width, style, Qt::SquareCap, Qt::BevelJoin);
}

// A pixmap's extent in the logical coordinates it is painted in.
QRect logicalRect(const QPixmap& pixmap)
{
    return QRect(QPoint(0, 0), (QSizeF(pixmap.size()) / pixmap.devicePixelRatio()).toSize());
}

QRect boundingRect(const QVector<QPoint>& points)
{
    if (points.isEmpty())
        return QRect();
    return QPolygon(points).boundingRect();
}

Resizer textBox(const PaintCommand& command)
{
    const QRect r = command.editor() ? command.editor()->geometry().adjusted(-5, -5, 5, 5) : QRect();
    Resizer box;
    box.setRect(r);
    box.borderWidth = 5;
    return box;
}

const QCursor& rotateCursor()
{
    static const QCursor cursor(
        QPixmap(QStringLiteral(":/icon/res/rotate")).scaled(22, 22, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        11, 11);
    return cursor;
}

} // namespace

ScreenShoter::ScreenShoter(QWidget* parent)
    : Selector(parent)
{
    // The overlay paints its own canvas from the grab taken in start().
    paintsCanvas = true;

    menu_ = new ImageEditMenu(this);
    menu_->hide();
    menu_->adjustSize();
    magnifier_ = new Magnifier(this);
    circleCursor_ = new CircleCursor(20, this);
    canvas_ = QPixmap(size());

    connect(menu_, &ImageEditMenu::save, this, &ScreenShoter::save);
    connect(menu_, &ImageEditMenu::ok, this, &ScreenShoter::copy);
    connect(menu_, &ImageEditMenu::fix, this, &ScreenShoter::pin);
    connect(menu_, &ImageEditMenu::exit, this, &ScreenShoter::exit);
    connect(menu_, &ImageEditMenu::undo, this, &ScreenShoter::undo);
    connect(menu_, &ImageEditMenu::redo, this, &ScreenShoter::redo);
    connect(menu_, &ImageEditMenu::paint, this, &ScreenShoter::selectTool);
    connect(menu_, &ImageEditMenu::changed, this, &ScreenShoter::changeOption);
    connect(menu_, &ImageEditMenu::dialogOpening, this, &ScreenShoter::openingColorDialog);

    connect(&undo_, &CommandStack::increased, this, [this] {
        if (restoring_)
            return;
        current_ = undo_.top();
        lastFootprint_ = footprint(current_);
        requestCanvas(DRAW_COMMAND, lastFootprint_);
    });
    connect(&undo_, &CommandStack::decreased, this, [this] {
        if (!restoring_)
            requestFullRepaint(REDRAW_ALL);
    });
    connect(&undo_, &CommandStack::emptied, this, [this](bool empty) {
        if (restoring_)
            return;
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
    connect(&redo_, &CommandStack::emptied, menu_, &ImageEditMenu::disableRedo);

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
    add(QKeySequence(Qt::Key_PageUp), [this] {
        const int count = int(history_.size());
        if (historyIndex_ < 0 || historyIndex_ >= count)
            return;
        restoreHistory(historyIndex_);
        if (historyIndex_ > 0)
            --historyIndex_;
    });
    add(QKeySequence(Qt::Key_PageDown), [this] {
        const int count = int(history_.size());
        if (historyIndex_ < 0 || historyIndex_ >= count)
            return;
        restoreHistory(historyIndex_);
        if (historyIndex_ < count - 1)
            ++historyIndex_;
    });
    add(QKeySequence(Qt::CTRL | Qt::Key_C), [this] {
        if (Selector::status > SELECTING)
            return;
        qInfo() << "CTRL + C";
        QGuiApplication::clipboard()->setText(magnifier_->colorName());
    });
    add(QKeySequence(Qt::Key_Delete), [this] { deleteCurrent(); });
}

void ScreenShoter::start()
{
    if (Selector::status != IDLE)
        return;
    // The last grab goes before the new one is made (the history has its
    // own copy), so two desktops are never held at once.
    screenshot_ = QPixmap();
    canvas_ = QPixmap();
    screenshot_ = grabDesktop(QRect(QPoint(0, 0), size()));
    if (screenshot_.isNull()) {
        qCritical() << "the desktop could not be grabbed";
        screenshot_ = QPixmap(size());
        screenshot_.fill(Qt::black);
    } else if (const QRegion unshown = DisplayInfo::unshownArea(); !unshown.isEmpty()) {
        // Between monitors the grab holds pixels nobody has seen; a snip
        // that reaches there shows what the overlay showed.
        QPainter p(&screenshot_);
        for (const QRect& r : unshown)
            p.fillRect(r, Qt::black);
    }
    requestFullRepaint(REDRAW_ALL);
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
    for (const Command& command : undo_.commands()) {
        if (command->editor())
            command->editor()->hide();
    }
    if (QWidget* grabber = QWidget::keyboardGrabber(); grabber && grabber != this && isAncestorOf(grabber))
        grabber->releaseKeyboard();
    undo_.clear();
    redo_.clear();
    menu_->reset();
    menu_->hide();
    current_.reset();
    hovered_.reset();
    hoverCode_ = Resizer::OUTSIDE;
    flags_ = 0;
    magnifier_->hide();
    unsetCursor();
    circleWidth_ = hoverCursorCode_ = -1;
    Selector::exit();
    // Only the grab outlives the overlay; the canvas is made again from it.
    canvas_ = QPixmap();
}

QRect ScreenShoter::snippedRect() const
{
    return box.rect();
}

QRect ScreenShoter::snippedDeviceRect() const
{
    return devicepixels::toDevice(box.rect(), screenshot_.devicePixelRatio());
}

QPixmap ScreenShoter::snippedImage()
{
    // A click that drew nothing leaves no dot in the result.
    if (current_ && !current_->isValid())
        setCurrent(nullptr);
    // A copy may come before the overlay had a chance to paint.
    updateCanvas();
    QPixmap snip = canvas_.copy(devicepixels::toDevice(box.rect(), canvas_.devicePixelRatio()));
    // one image pixel per device pixel, whatever shows it later
    snip.setDevicePixelRatio(1);
    return snip;
}

void ScreenShoter::snipped()
{
    const QRect r = box.rect();
    ImageSaver::copy(snippedImage().toImage(), snippedDeviceRect().topLeft());

    HistoryEntry entry{ PackedImage(screenshot_.toImage()), screenshot_.cacheKey(), r, undo_.commands() };
    entry.ratio = screenshot_.devicePixelRatio();
    entry.screenshot.pack();
    history_.push_back(std::move(entry));
    while (int(history_.size()) > HISTORY_LIMIT)
        history_.erase(history_.begin());
    historyIndex_ = int(history_.size()) - 1;
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
    QString name;
    QString filter;
    if (saveName_) {
        name = saveName_(ImageSaver::proposedName(), &filter);
    } else {
        QFileDialog dialog(this, tr("Save Image"), ImageSaver::proposedName(), ImageSaver::filters());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The toolkit's own dialog: a desktop's native one could not be kept above the overlay.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        beginDialog(&dialog);
        const bool accepted = dialog.exec() == QDialog::Accepted;
        endDialog(&dialog);
        if (accepted) {
            name = dialog.selectedFiles().value(0);
            filter = dialog.selectedNameFilter();
        }
    }
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

void ScreenShoter::openingColorDialog(QDialog* dialog)
{
    // Like the save dialog, it owns the input until it closes.
    dialog->setWindowModality(Qt::ApplicationModal);
    beginDialog(dialog);
    connect(dialog, &QDialog::finished, this, &ScreenShoter::colorDialogFinished, Qt::UniqueConnection);
}

void ScreenShoter::colorDialogFinished()
{
    if (auto* dialog = qobject_cast<QDialog*>(sender()))
        endDialog(dialog);
}

void ScreenShoter::beginDialog(QDialog* dialog)
{
    if (dialogs_.contains(dialog))
        return;
    dialogs_.append(dialog);
    magnifier_->hide();
    // The overlay, or a text box being edited, holds the keyboard: typed keys
    // and Escape must reach the dialog.
    if (QWidget* grabber = QWidget::keyboardGrabber(); grabber && (grabber == this || isAncestorOf(grabber)))
        grabber->releaseKeyboard();
    if (QWidget* grabber = QWidget::mouseGrabber(); grabber && (grabber == this || isAncestorOf(grabber)))
        grabber->releaseMouse();
    dialog->installEventFilter(this);
    // The window manager may put the dialog's frame anywhere in the stack
    // when it maps it; look again a little later.
    for (int ms : { 100, 400, 1200 })
        QTimer::singleShot(ms, dialog, [this] { stackUnderDialog(); });
}

void ScreenShoter::endDialog(QDialog* dialog)
{
    dialog->removeEventFilter(this);
    dialogs_.removeAll(dialog);
    if (dialogOpen() || !isVisible())
        return;
    raise();
    menu_->raise();
    for (Graph t : ImageEditMenu::tools()) {
        if (menu_->optionMenu(t)->isVisible())
            menu_->optionMenu(t)->raise();
    }
    restoreKeyboard(50);
}

void ScreenShoter::restoreKeyboard(int triesLeft)
{
    if (!isVisible() || dialogOpen())
        return;
    activateWindow();
    TextEdit* editor = current_ ? current_->editor() : nullptr;
    if (editor && editor->isVisible()) {
        editor->setFocus(Qt::OtherFocusReason);
        editor->grabKeyboard();
    } else {
        grabKeyboard();
    }
    // The server refuses the grab while the dialog's window is still going away.
    if (windowHandle() && !windowHandle()->setKeyboardGrabEnabled(true) && triesLeft > 0)
        QTimer::singleShot(20, this, [this, triesLeft] { restoreKeyboard(triesLeft - 1); });
}

void ScreenShoter::stackUnderDialog()
{
    QDialog* dialog = dialogs_.isEmpty() ? nullptr : dialogs_.last().data();
    if (!dialog || !dialog->isVisible() || !isVisible())
        return;
    // bottom first: each goes right under the dialog, over the one before
    stackBelow(this, dialog);
    stackBelow(menu_, dialog);
    for (Graph t : ImageEditMenu::tools())
        stackBelow(menu_->optionMenu(t), dialog);
}

bool ScreenShoter::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) && !dialogs_.isEmpty()
        && watched == dialogs_.last())
        stackUnderDialog();
    return Selector::eventFilter(watched, event);
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

void ScreenShoter::redo()
{
    if (redo_.empty())
        return;
    undo_.push(redo_.top());
    redo_.pop();
}

void ScreenShoter::updateTheme()
{
    Selector::updateTheme(Config::instance().selectorTheme(Config::Snip));
}

void ScreenShoter::modified(PaintType type)
{
    const auto command = qobject_cast<PaintCommand*>(sender());
    if (!command || !current_ || command != current_.get() || type == REFRESH) {
        requestFullRepaint(type);
        return;
    }
    if (type == DRAW_INCREMENT) {
        const int m = current_->pen().width() / 2 + 3;
        QRect r = boundingRect(current_->pendingPoints());
        if (!current_->points().isEmpty())
            r |= QRect(current_->points().last(), QSize(1, 1));
        requestCanvas(type, r.adjusted(-m, -m, m, m));
        return;
    }
    requestCanvas(type, QRegion(lastFootprint_) | footprint(current_));
}

void ScreenShoter::requestCanvas(PaintType type, const QRegion& area)
{
    // Later kinds of the same turn must not cancel a full redraw: it is what
    // takes a dropped command off the canvas.
    if (type == REDRAW_ALL)
        redrawPending_ = true;
    kind_ = type;
    canvasPending_ = true;
    canvasArea_ |= area;
    update(area);
}

void ScreenShoter::requestFullRepaint(PaintType type)
{
    requestCanvas(type, QRegion(rect()) | QRegion(logicalRect(canvas_)));
}

QRect ScreenShoter::footprint(const Command& command) const
{
    if (!command)
        return QRect();
    const int m = command->pen().width() / 2 + 6;
    QRect r;
    switch (command->type()) {
    case TEXT:
        r = command->editor() ? command->editor()->geometry().adjusted(-8, -26, 8, 8) : QRect();
        return r;
    case PENCIL:
    case MOSAIC:
    case ERASER:
        r = boundingRect(command->points()) | boundingRect(command->pendingPoints());
        break;
    case ARROW:
        r = command->rect() | boundingRect(command->points());
        break;
    default:
        r = command->rect();
        break;
    }
    return r.adjusted(-m, -m, m, m);
}

void ScreenShoter::updateCanvas()
{
    if (!canvasPending_)
        return;
    const QRegion area = canvasArea_;
    const bool redraw = redrawPending_ || kind_ == REDRAW_ALL;
    canvasPending_ = false;
    redrawPending_ = false;
    canvasArea_ = QRegion();

    if (redraw) {
        // A command still being dragged out is drawn over the canvas, not into it.
        redrawCanvas(area, kind_ == PREVIEW ? current_.get() : nullptr);
        // the current command was drawn whole with the rest
        if (kind_ != DRAW_INCREMENT)
            return;
    }
    switch (kind_) {
    case DRAW_INCREMENT:
    case DRAW_COMMAND: {
        if (!current_) {
            qCritical() << "nullptr";
            return;
        }
        QPainter p(&canvas_);
        current_->draw(&p, kind_ == DRAW_INCREMENT);
        break;
    }
    default:
        break;
    }
}

void ScreenShoter::redrawCanvas(const QRegion& area, const PaintCommand* skip)
{
    const std::vector<Command> commands = undo_.commands();
    const bool whole = area.contains(logicalRect(canvas_)) || canvas_.size() != screenshot_.size()
        || canvas_.devicePixelRatio() != screenshot_.devicePixelRatio();
    if (whole && commands.empty()) {
        // Shares the grab's pixels until the first mark is drawn.
        canvas_ = screenshot_;
        return;
    }
    if (canvas_.size() != screenshot_.size() || canvas_.devicePixelRatio() != screenshot_.devicePixelRatio()) {
        canvas_ = QPixmap(screenshot_.size());
        // marks are drawn in logical coordinates, at full resolution
        canvas_.setDevicePixelRatio(screenshot_.devicePixelRatio());
    }
    QPainter p(&canvas_);
    if (!whole)
        p.setClipRegion(area);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (whole) {
        p.drawPixmap(0, 0, screenshot_);
    } else {
        const qreal ratio = screenshot_.devicePixelRatio();
        for (const QRect& r : area)
            p.drawPixmap(QRectF(r), screenshot_, devicepixels::sourceRect(r, ratio));
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const Command& command : commands) {
        if (command.get() != skip)
            command->draw(&p, false);
    }
}

void ScreenShoter::paintEvent(QPaintEvent* event)
{
    updateCanvas();

    painter.begin(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const qreal ratio = canvas_.devicePixelRatio();
    for (const QRect& r : event->region())
        painter.drawPixmap(QRectF(r), canvas_, devicepixels::sourceRect(r, ratio));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (kind_ == PREVIEW && current_)
        current_->draw(&painter, true);
    if (current_) {
        painter.save();
        drawEditFrame(&painter, current_);
        painter.restore();
    }
    painter.end();
    lastFootprint_ = footprint(current_);

    Selector::paintEvent(event);
}

void ScreenShoter::drawEditFrame(QPainter* p, const Command& command)
{
    switch (command->type()) {
    case RECTANGLE:
    case ELLIPSE:
        drawSelector(p, command->resizer());
        break;
    case LINE:
    case ARROW: {
        const Resizer& g = command->resizer();
        p->setRenderHint(QPainter::Antialiasing, true);
        p->setBrush(Qt::NoBrush);
        p->setPen(framePen(Qt::DashLine));
        p->drawLine(g.x1, g.y1, g.x2, g.y2);
        p->setPen(framePen(Qt::SolidLine));
        p->drawRect(QRect(g.x1 - 2, g.y1 - 2, 5, 5));
        p->drawRect(QRect(g.x2 - 2, g.y2 - 2, 5, 5));
        break;
    }
    case TEXT: {
        const Resizer box = textBox(*command);
        const QRect r = box.rect();
        p->save();
        p->setPen(QPen(QBrush(QColor("#333")), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        p->setBrush(QBrush(Qt::white, Qt::SolidPattern));
        p->setRenderHint(QPainter::Antialiasing, true);
        const QPoint knob((box.x1 + box.x2) / 2, box.minY() - 10);
        p->drawEllipse(QRect(knob.x() - 4, knob.y() - 4, 9, 9));
        p->restore();
        p->setRenderHint(QPainter::Antialiasing, false);
        p->setBrush(Qt::NoBrush);
        p->setPen(framePen(Qt::DashLine));
        p->drawRect(r);
        p->setPen(framePen(Qt::SolidLine));
        for (const QPoint& c : { r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight() })
            p->drawRect(QRect(c.x() - 2, c.y() - 2, 5, 5));
        break;
    }
    default:
        break;
    }
}

void ScreenShoter::setCurrent(const Command& command)
{
    if (current_ && current_ != command) {
        const Command old = current_;
        emit old->modified(REFRESH);
        if (!old->isValid())
            undo_.remove(old.get());
    }
    current_ = command;
    lastFootprint_ = footprint(current_);
    TextEdit* editor = command ? command->editor() : nullptr;
    // The overlay holds the keyboard; while a text is edited its box gets the keys.
    if (editor) {
        editor->show();
        editor->setFocus(Qt::OtherFocusReason);
        if (isVisible())
            editor->grabKeyboard();
    } else {
        takeKeyboardBack();
    }
    if (command)
        emit command->modified(REFRESH);
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
    const QPoint pos = pointerPixel(event);
    setCurrent(nullptr);
    // Dropping an empty command may have emptied the stack and freed the
    // selection: this press then only ends the edit.
    if (Selector::status != LOCKED)
        return;
    if (hovered_) {
        const auto commands = undo_.commands();
        if (std::find(commands.begin(), commands.end(), hovered_) == commands.end()) {
            hovered_.reset();
            hoverCode_ = Resizer::OUTSIDE;
        }
    }

    const int c = hoverCode_;
    if (hovered_ && (c & 0xF)) {
        lastMovePoint_ = pos;
        setCurrent(hovered_);
        flags_ |= OP_MOVING;
    } else if (hovered_ && (c & 0xFF0)) {
        lastResizePoint_ = pos;
        setCurrent(hovered_);
        flags_ |= OP_RESIZING;
    } else if (hovered_ && c == Resizer::ROTATE_ANCHOR) {
        setCurrent(hovered_);
        flags_ |= OP_ROTATING;
    } else {
        const Graph t = Graph(flags_ & TOOL_MASK);
        QPen pen = menu_->pen(t);
        const bool fill = menu_->fill(t);
        Command command;
        switch (t) {
        case RECTANGLE:
        case ELLIPSE:
        case LINE:
        case PENCIL:
        case ARROW:
            command = std::make_shared<PaintCommand>(t, pen, fill, pos);
            break;
        case MOSAIC:
            pen.setBrush(QBrush(pixelate(canvas_.toImage())));
            command = std::make_shared<PaintCommand>(t, pen, false, pos);
            break;
        case ERASER:
            pen.setBrush(QBrush(screenshot_));
            command = std::make_shared<PaintCommand>(t, pen, false, pos);
            break;
        case TEXT:
            command = std::make_shared<PaintCommand>(t, pen, false, pos, this);
            command->setFont(menu_->font(TEXT));
            break;
        default:
            qCritical() << "Error type:" << int(t);
            break;
        }
        if (command) {
            hovered_ = command;
            setCurrent(command);
            undo_.push(command);
            redo_.clear();
            connect(command.get(), &PaintCommand::modified, this, &ScreenShoter::modified);
            requestCanvas(PREVIEW, footprint(command));
            flags_ |= OP_CREATING;
        }
    }
    Selector::mousePressEvent(event);
}

void ScreenShoter::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = pointerPixel(event);
    if (event->buttons() & Qt::LeftButton) {
        if (Selector::status == LOCKED && hovered_) {
            if (flags_ & OP_CREATING) {
                hovered_->addPoint(pos);
            } else if (flags_ & OP_MOVING) {
                hovered_->move(pos - lastMovePoint_);
                lastMovePoint_ = pos;
            } else if (flags_ & OP_RESIZING) {
                hovered_->resize(hoverCode_, pos - lastResizePoint_);
                lastResizePoint_ = pos;
            }
        } else if (Selector::status == MOVING) {
            // Commands undone before the move no longer fit the region.
            redo_.clear();
            undo_.clear();
        }
    }

    const Graph tool = Graph(flags_ & TOOL_MASK);
    if (tool == MOSAIC || tool == ERASER) {
        setCircleCursor(qMin(menu_->pen(tool).width(), CircleCursor::MAX_WIDTH));
    } else if (!event->buttons() && Selector::status == LOCKED) {
        hitTest(pos);
        setHoverCursor();
    }

    switch (Selector::status) {
    case CAPTURED:
    case MOVING:
    case LOCKED:
        magnifier_->hide();
        break;
    default: {
        // the pixels around the device pixel under the pointer
        magnifier_->setPixmap(Magnifier::cut(screenshot_, pointerDevicePixel(event)));
        // Kept on the cursor's monitor near its right and bottom edges.
        const QRect screen = screenlayout::screenAt(DisplayInfo::screenRects(), pos);
        magnifier_->move(placement::magnifier(pos, magnifier_->size(), screen));
        magnifier_->show();
        break;
    }
    }

    Selector::mouseMoveEvent(event);
}

void ScreenShoter::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && Selector::status == LOCKED) {
        if ((flags_ & OP_MASK) == OP_CREATING && current_) {
            // A stroke is already on the canvas; only its last points are due.
            if (PaintCommand::isStroke(current_->type()))
                modified(DRAW_INCREMENT);
            else
                requestCanvas(DRAW_COMMAND, QRegion(lastFootprint_) | footprint(current_));
        }
        flags_ &= ~OP_MASK;
    }
    Selector::mouseReleaseEvent(event);
}

void ScreenShoter::wheelEvent(QWheelEvent* event)
{
    const int n = event->angleDelta().y() / 120;
    const int tool = flags_ & TOOL_MASK;
    Graph t = Graph(0);
    if (tool == ERASER)
        t = ERASER;
    else if (tool == MOSAIC)
        t = MOSAIC;
    if (t)
        menu_->setWidth(t, qMin(menu_->pen(t).width() + n, CircleCursor::MAX_WIDTH));
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

void ScreenShoter::hitTest(const QPoint& p)
{
    hoverCode_ = 0;
    hovered_.reset();
    for (const Command& command : undo_.commands()) {
        const Resizer& g = command->resizer();
        bool hit = false;
        switch (command->type()) {
        case RECTANGLE: {
            const int c = g.position(p);
            hoverCode_ = c;
            hit = c & 0x1FFF;
            break;
        }
        case ELLIPSE: {
            const QRect r = command->rect();
            if (QRegion(r.adjusted(-2, -2, 2, 2), QRegion::Ellipse).contains(p)
                && !QRegion(r.adjusted(2, 2, -2, -2), QRegion::Ellipse).contains(p)) {
                hoverCode_ = 15;
                hit = true;
            } else {
                const int c = g.position(p);
                hoverCode_ = c;
                hit = c & 0xFF0;
            }
            break;
        }
        case LINE:
        case ARROW: {
            const QRect s(g.x1 - 2, g.y1 - 2, 5, 5);
            const QRect e(g.x2 - 2, g.y2 - 2, 5, 5);
            if (s.contains(p)) {
                hoverCode_ = Resizer::ANCHOR_X1Y1;
                hit = true;
            } else if (e.contains(p)) {
                hoverCode_ = Resizer::ANCHOR_X2Y2;
                hit = true;
            } else if (QPolygon({ s.topLeft(), s.bottomRight(), e.bottomRight(), e.topLeft() })
                           .containsPoint(p, Qt::OddEvenFill)) {
                hoverCode_ = 15;
                hit = true;
            }
            break;
        }
        case TEXT: {
            Resizer box = textBox(*command);
            box.rotatable = true;
            int c = box.position(p);
            if (c == Resizer::ANCHOR_X1 || c == Resizer::ANCHOR_X2 || c == Resizer::ANCHOR_Y1
                || c == Resizer::ANCHOR_Y2 || c == Resizer::INSIDE)
                c = 15;
            hoverCode_ = c;
            hit = (c & 0x1FFF) || c == Resizer::ROTATE_ANCHOR;
            break;
        }
        default:
            break;
        }
        if (hit) {
            hovered_ = command;
            return;
        }
    }
}

Qt::CursorShape ScreenShoter::cursorShapeFor(int code)
{
    switch (code) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 15:
        return Qt::SizeAllCursor;
    case 16:
    case 32:
        return Qt::SizeHorCursor;
    case 64:
    case 128:
        return Qt::SizeVerCursor;
    case 256:
    case 2048:
        return Qt::SizeFDiagCursor;
    case 512:
    case 1024:
        return Qt::SizeBDiagCursor;
    case Resizer::ROTATE_ANCHOR:
        return Qt::BitmapCursor;
    default:
        return Qt::CrossCursor;
    }
}

void ScreenShoter::setHoverCursor()
{
    const int code = hovered_ ? hoverCode_ : 0;
    if (code == hoverCursorCode_)
        return;
    hoverCursorCode_ = code;
    circleWidth_ = -1;
    const Qt::CursorShape shape = cursorShapeFor(code);
    if (shape == Qt::BitmapCursor)
        setCursor(rotateCursor());
    else
        setCursor(shape);
}

void ScreenShoter::setCircleCursor(int width)
{
    if (width == circleWidth_)
        return;
    circleWidth_ = width;
    hoverCursorCode_ = -1;
    circleCursor_->setWidth(width);
    const QPixmap image = circleCursor_->pixmap();
    setCursor(QCursor(image, image.width() / 2, image.height() / 2));
}

void ScreenShoter::selectTool(Graph t)
{
    if (t != 0) {
        flags_ = int(t) | TOOL_ACTIVE;
        Selector::status = LOCKED;
        emit locked();
    } else {
        flags_ = 0;
        if (undo_.empty()) {
            Selector::status = CAPTURED;
            emit captured();
        }
    }
    current_.reset();
    takeKeyboardBack();
    lastFootprint_ = QRect();
    if (t == MOSAIC || t == ERASER) {
        setCircleCursor(qMin(menu_->pen(t).width(), CircleCursor::MAX_WIDTH));
    } else {
        circleWidth_ = hoverCursorCode_ = -1;
        setCursor(Qt::CrossCursor);
    }
    update();
}

void ScreenShoter::changeOption(Graph t)
{
    if (current_ && current_->type() == t && t != MOSAIC && t != ERASER) {
        current_->setPen(menu_->pen(t));
        emit current_->modified(REDRAW_ALL);
        current_->setFill(menu_->fill(t));
        emit current_->modified(REDRAW_ALL);
    }
    if (t == MOSAIC || t == ERASER)
        setCircleCursor(qMin(menu_->pen(t).width(), CircleCursor::MAX_WIDTH));
    if (current_ && current_->type() == t && t == TEXT)
        current_->setFont(menu_->font(TEXT));
}

void ScreenShoter::deleteCurrent()
{
    if (Selector::status < CAPTURED || !current_)
        return;
    const Command command = current_;
    emit command->modified(REFRESH);
    if (command->editor())
        command->editor()->hide();
    current_.reset();
    takeKeyboardBack();
    if (hovered_ == command)
        hovered_.reset();
    undo_.remove(command.get());
}

void ScreenShoter::restoreHistory(int index)
{
    if (index < 0 || index >= int(history_.size()))
        return;
    const HistoryEntry entry = history_[size_t(index)];
    if (entry.screenshotKey != screenshot_.cacheKey() || screenshot_.isNull()) {
        screenshot_ = QPixmap::fromImage(entry.screenshot.toImage());
        screenshot_.setDevicePixelRatio(entry.ratio);
    }
    box.x1 = entry.rect.left();
    box.y1 = entry.rect.top();
    box.x2 = entry.rect.right();
    box.y2 = entry.rect.bottom();

    for (const Command& command : undo_.commands()) {
        if (command->editor())
            command->editor()->hide();
    }
    current_.reset();
    takeKeyboardBack();
    hovered_.reset();
    restoring_ = true;
    undo_.clear();
    for (const Command& command : entry.commands)
        undo_.push(command);
    restoring_ = false;
    emit undo_.changed(undo_.size());
    emit undo_.emptied(undo_.empty());
    redo_.clear();

    requestFullRepaint(REDRAW_ALL);
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
