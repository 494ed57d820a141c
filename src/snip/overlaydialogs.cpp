#include "snip/overlaydialogs.h"

#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "core/imagesaver.h"
#include "core/windowstack.h"

OverlayDialogs::OverlayDialogs(QWidget* overlay, std::function<QList<QWidget*>()> windows,
                               std::function<QWidget*()> editor)
    : QObject(overlay)
    , overlay_(overlay)
    , windows_(std::move(windows))
    , editor_(std::move(editor))
{
}

bool OverlayDialogs::isOpen()
{
    dialogs_.removeAll(nullptr);
    return !dialogs_.isEmpty();
}

QString OverlayDialogs::askSaveName(const QString& title, QString* filter)
{
    if (saveName_)
        return saveName_(ImageSaver::proposedName(), filter);
    QFileDialog dialog(overlay_, title, ImageSaver::proposedName(), ImageSaver::filters());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The toolkit's own dialog: a desktop's native one could not be kept above the overlay.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    begin(&dialog);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    end(&dialog);
    if (!accepted)
        return QString();
    *filter = dialog.selectedNameFilter();
    return dialog.selectedFiles().value(0);
}

void OverlayDialogs::watch(QDialog* dialog)
{
    // Like the save dialog, it owns the input until it closes.
    dialog->setWindowModality(Qt::ApplicationModal);
    begin(dialog);
    connect(dialog, &QDialog::finished, this, [this, d = QPointer<QDialog>(dialog)] {
        if (d)
            end(d);
    }, Qt::UniqueConnection);
}

void OverlayDialogs::begin(QDialog* dialog)
{
    if (dialogs_.contains(dialog))
        return;
    dialogs_.append(dialog);
    emit opened();
    // The overlay, or a text box being edited, holds the keyboard: typed keys
    // and Escape must reach the dialog.
    if (QWidget* grabber = QWidget::keyboardGrabber();
        grabber && (grabber == overlay_ || overlay_->isAncestorOf(grabber)))
        grabber->releaseKeyboard();
    if (QWidget* grabber = QWidget::mouseGrabber(); grabber && (grabber == overlay_ || overlay_->isAncestorOf(grabber)))
        grabber->releaseMouse();
    dialog->installEventFilter(this);
    // Pins stay on top of other windows; in their layer, the dialog and the
    // overlay right under it are not hidden behind one.
    if (!dialog->isVisible())
        dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // The window manager may put the dialog's frame anywhere in the stack
    // when it maps it; look again a little later.
    for (int ms : { 100, 400, 1200 })
        QTimer::singleShot(ms, dialog, [this] { stackUnder(); });
}

void OverlayDialogs::end(QDialog* dialog)
{
    dialog->removeEventFilter(this);
    dialogs_.removeAll(dialog);
    if (isOpen() || !overlay_->isVisible())
        return;
    overlay_->raise();
    for (QWidget* w : windows_()) {
        if (w->isVisible())
            w->raise();
    }
    restoreKeyboard(50);
}

void OverlayDialogs::restoreKeyboard(int triesLeft)
{
    if (!overlay_->isVisible() || isOpen())
        return;
    overlay_->activateWindow();
    QWidget* editor = editor_();
    if (editor && editor->isVisible()) {
        editor->setFocus(Qt::OtherFocusReason);
        editor->grabKeyboard();
    } else {
        overlay_->grabKeyboard();
    }
    // The server refuses the grab while the dialog's window is still going away.
    QWindow* window = overlay_->windowHandle();
    if (window && !window->setKeyboardGrabEnabled(true) && triesLeft > 0)
        QTimer::singleShot(20, this, [this, triesLeft] { restoreKeyboard(triesLeft - 1); });
}

void OverlayDialogs::stackUnder()
{
    QDialog* dialog = dialogs_.isEmpty() ? nullptr : dialogs_.last().data();
    if (!dialog || !dialog->isVisible() || !overlay_->isVisible())
        return;
    // bottom first: each goes right under the dialog, over the one before
    stackBelow(overlay_, dialog);
    for (QWidget* w : windows_())
        stackBelow(w, dialog);
}

bool OverlayDialogs::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) && !dialogs_.isEmpty()
        && watched == dialogs_.last())
        stackUnder();
    return QObject::eventFilter(watched, event);
}
