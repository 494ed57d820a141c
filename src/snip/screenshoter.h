#pragma once

#include <QPixmap>
#include <QPoint>
#include <QSystemTrayIcon>

#include <memory>
#include <vector>

#include "core/selector.h"
#include "snip/annotationeditor.h"
#include "snip/commandstack.h"
#include "snip/overlaycursor.h"
#include "snip/overlaydialogs.h"
#include "snip/paintcommand.h"
#include "snip/sniphistory.h"
#include "snip/snipcanvas.h"

class ImageEditMenu;
class Magnifier;
class Tool;

// The screenshot overlay: freezes the desktop, lets the user pick a region,
// annotate it with the toolbar's tools, then copy, save or pin the result.
// Earlier snips stay in a bounded history that Page Up / Page Down page
// through.
class ScreenShoter : public Selector
{
    Q_OBJECT
public:
    using Command = std::shared_ptr<PaintCommand>;

    using HistoryEntry = SnipHistory::Entry;

    // Tool flags: the active tool in the low bits, then the drag operation.
    using ToolFlags = AnnotationEditor::ToolFlags;

    static constexpr int HISTORY_LIMIT = SnipHistory::LIMIT;

    explicit ScreenShoter(QWidget* parent = nullptr);

    void warmUp() override;

    // The canvas cut to the selection, right and bottom edges included.
    QPixmap snippedImage();
    QRect snippedRect() const;
    // The selection in device pixels: where the snip's pixels were taken.
    QRect snippedDeviceRect() const;

    // Asks where to save; returns an empty string when the user cancels and
    // may set the chosen filter. Tests put their own answer here instead of
    // the file dialog.
    using SaveNameProvider = OverlayDialogs::SaveNameProvider;
    void setSaveNameProvider(SaveNameProvider provider) { dialogs_->setSaveNameProvider(std::move(provider)); }
    // Whether a dialog of the overlay is open (the overlay then leaves the
    // input to it and cannot close).
    bool dialogOpen() { return dialogs_->isOpen(); }

    ImageEditMenu* menu() const { return menu_; }
    Magnifier* magnifier() const { return magnifier_; }
    const CommandStack& undoStack() const { return editor_.undoStack(); }
    const CommandStack& redoStack() const { return editor_.redoStack(); }
    const std::vector<HistoryEntry>& history() const { return history_.entries(); }
    int historyIndex() const { return history_.index(); }
    Command current() const { return editor_.current(); }
    Command hovered() const { return editor_.hovered(); }
    int hoverCode() const { return editor_.hoverCode(); }
    int toolFlags() const { return editor_.toolFlags(); }
    // The canvas with every pending change applied.
    const QPixmap& canvas();
    const QPixmap& screenshot() const { return canvas_.screenshot(); }

    // Hit test of the commands at p, oldest first; sets the hovered command
    // and hover code.
    void hitTest(const QPoint& p) { editor_.hitTest(p); }
    static Qt::CursorShape cursorShapeFor(int hoverCode) { return OverlayCursor::shapeFor(hoverCode); }

signals:
    void FIX_IMAGE(QPixmap image, QPoint pos);
    void SHOW_MESSAGE(QString title, QString msg,
                      QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information, int msecs = 10000);

public slots:
    void start() override;
    void exit() override;
    void save();
    void copy();
    void pin();
    void snipped();
    void undo();
    void redo();
    void updateTheme();
    void modified(PaintType type);

private slots:
    void moveMenu();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool mergesMoves(const QMouseEvent& event) const override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    QRect sizeInfoObstacle() const override;

private:
    void connectEditor();
    void registerShortcuts();
    void updateCanvas();
    void takeKeyboardBack();
    void selectTool(Graph t);
    void changeOption(Graph t);
    void restoreHistory(int index);
    // The cursor for the active tool, or for what is under the mouse.
    void updateCursor(const QPoint& pos, Qt::MouseButtons buttons);

    ImageEditMenu* menu_ = nullptr;
    Magnifier* magnifier_ = nullptr;
    SnipCanvas canvas_;
    AnnotationEditor editor_;
    SnipHistory history_;
    OverlayDialogs* dialogs_ = nullptr;
    OverlayCursor cursor_;
};
