#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

// The dialogs an overlay opens over itself (save, colours). While one is
// open it owns the keyboard and the mouse, the overlay and its toolbars stay
// stacked right under it, and afterwards the keyboard comes back to the
// overlay or to the text box being edited.
class OverlayDialogs : public QObject
{
    Q_OBJECT
public:
    // windows: the overlay's own floating windows, bottom first, that must
    // stay over it; editor: the text box that should get the keyboard back,
    // if any.
    OverlayDialogs(QWidget* overlay, std::function<QList<QWidget*>()> windows,
                   std::function<QWidget*()> editor);

    bool isOpen();

    // Asks where to save an image; empty when the user cancels, and filter
    // may get the chosen filter. Tests put their own answer here instead of
    // the file dialog.
    using SaveNameProvider = std::function<QString(const QString& proposed, QString* filter)>;
    void setSaveNameProvider(SaveNameProvider provider) { saveName_ = std::move(provider); }
    QString askSaveName(const QString& title, QString* filter);

    void begin(QDialog* dialog);
    void end(QDialog* dialog);
    // A dialog that opens and closes by itself (a colour dialog).
    void watch(QDialog* dialog);

signals:
    void opened();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stackUnder();
    void restoreKeyboard(int triesLeft);

    QWidget* overlay_;
    std::function<QList<QWidget*>()> windows_;
    std::function<QWidget*()> editor_;
    QList<QPointer<QDialog>> dialogs_;
    SaveNameProvider saveName_;
};
