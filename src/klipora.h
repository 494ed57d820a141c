#pragma once

#include <QKeySequence>
#include <QPixmap>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QWidget>

#include <deque>

#include "core/packedimage.h"
#include "widgets/retranslatable.h"

class ActionRegistry;
class GifCapturer;
class QAction;
class QMenu;
class QMimeData;
class ScreenRecorder;
class ScrollCapturer;
class SettingWindow;
class ScreenShoter;
class QxtGlobalShortcut;

// The one application object: a hidden widget that owns the tray icon, the
// capture tools, the settings window and the hotkeys, and keeps the short
// clipboard history that the pin hotkey pins from.
class Klipora : public QWidget, public Retranslatable
{
    Q_OBJECT
public:
    // The newest entry is the one the pin hotkey uses and stays as it is;
    // older ones are held compressed.
    struct HistoryEntry
    {
        PackedImage image;
        QPoint position;
    };

    explicit Klipora(QWidget* parent = nullptr);
    ~Klipora() override;

    void retranslate() override;

    const std::deque<HistoryEntry>& history() const { return history_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }
    QMenu* trayMenu() const { return menu_; }
    // The named commands that the tray menu, the hotkeys and the command line run.
    ActionRegistry* actions() const { return actions_; }
    // Built just after the tray icon shows, or here if asked for sooner.
    SettingWindow* settingWindow();
    ScreenShoter* screenShoter();
    ScreenRecorder* screenRecorder();
    GifCapturer* gifCapturer();
    ScrollCapturer* scrollCapturer();
    // Whether the start-up work left for the event loop is done.
    bool isFullyBuilt() const { return settings_ && warmedUp_; }

    static constexpr int HISTORY_SIZE = 10;

public slots:
    void pinImage(QPixmap image, QPoint pos);
    void pinLastImage();
    void updateConfig();
    void showMessage(QString title, QString msg, QSystemTrayIcon::MessageIcon icon, int msecs);
    void showMessage(QString title, QString msg, QSystemTrayIcon::MessageIcon icon);
    void showMessage(QString title, QString msg);
    void clipboardChanged();
    // A scrolling screenshot: the result is copied and pinned, or, with a
    // path, copied and saved there.
    void scrollCapture(const QString& savePath = QString());

private:
    void registerActions();
    void buildTrayMenu();
    void buildTools();
    void buildSettings();
    // Runs the next piece of start-up work, one per turn of the event loop.
    void continueStartup();
    void applyToolSettings();
    void append(const QImage& image, const QPoint& pos);
    void scrollFinished(const QImage& image, const QPoint& pos);
    // The clipboard's image within the pixel budget; a too large one is
    // reported once and not read.
    bool boundedImage(const QMimeData* mime, bool own, QImage* image);

    // Lets a recording in progress finish its file before the program ends.
    void finishRecordings();

    ScreenShoter* screenShoter_ = nullptr;
    ScreenRecorder* recorder_ = nullptr;
    GifCapturer* gifCapturer_ = nullptr;
    ScrollCapturer* scrollCapturer_ = nullptr;
    QString scrollSavePath_;
    ActionRegistry* actions_ = nullptr;
    std::deque<HistoryEntry> history_;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* snipAction_ = nullptr;
    QAction* scrollAction_ = nullptr;
    QAction* recordAction_ = nullptr;
    QAction* gifAction_ = nullptr;
    QAction* settingsAction_ = nullptr;
    QAction* quitAction_ = nullptr;
    SettingWindow* settings_ = nullptr;
    QxtGlobalShortcut* snipHotkey_ = nullptr;
    QxtGlobalShortcut* pinHotkey_ = nullptr;
    QxtGlobalShortcut* gifHotkey_ = nullptr;
    QxtGlobalShortcut* recordHotkey_ = nullptr;
    QxtGlobalShortcut* scrollHotkey_ = nullptr;

    // What each hotkey (in the order above) was last asked to hold.
    static constexpr int HOTKEY_COUNT = 5;
    struct HotkeyState
    {
        QKeySequence sequence;
        bool registered = false;
        bool failed = false;
    };
    HotkeyState hotkeyStates_[HOTKEY_COUNT];
    bool warmedUp_ = false;
    QSize rejectedSize_;
};

// Off-screen renderings of clipboard text for the pin history, capped so that
// a huge copy can neither exhaust memory nor stall the tray.
QPixmap renderClipboardHtml(const QString& html);
QPixmap renderClipboardText(const QString& text);
// Where an image of this size lands when centred on the first screen.
QPoint centredOnFirstScreen(const QSize& size);
// The zoom (at most 1) at which an image fits in the area.
double zoomToFit(const QSize& image, const QSize& area);
// A pin's top-left corner on one of the screens: kept when it is on one,
// otherwise moved onto the nearest, with as much of the image as fits.
QPoint placeOnScreens(const QPoint& pos, const QSize& size, const QVector<QRect>& screens);
