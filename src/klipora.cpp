#include "klipora.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <algorithm>

#include "core/actionregistry.h"
#include "core/config.h"
#include "core/displayinfo.h"
#include "core/htmlshape.h"
#include "core/imagebudget.h"
#include "core/imagewindow.h"
#include "core/imagesaver.h"
#include "core/placement.h"
#include "core/basesizehint.h"
#include "core/devicepixels.h"
#include "core/qpointformat.h"
#include "core/resources.h"
#include "widgets/settingwindow.h"
#include "snip/screenshoter.h"
#include "snip/scrollcapturer.h"
#include "qxt/qxtglobalshortcut.h"
#include "platform/hotkeybackend.h"
#include "platform/services.h"
#include "platform/windowhints.h"
#include "video/gifcapturer.h"
#include "video/screenrecorder.h"

namespace {

// No side of a rendered clipboard text goes beyond this; longer inputs are cut
// before layout, which is what costs time on a multi-megabyte copy.
constexpr int RENDER_MAX_SIDE = 4096;
constexpr int TEXT_MAX_CHARS = 64 * 1024;
constexpr int HTML_MAX_CHARS = 512 * 1024;
constexpr int HTML_FIRST_CHARS = 32 * 1024;

bool isImageSuffix(const QString& suffix)
{
    static const QStringList suffixes = {
        QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"), QStringLiteral("JPG"),
        QStringLiteral("JPEG"), QStringLiteral("PNG"), QStringLiteral("bmp"), QStringLiteral("BMP"),
    };
    return suffixes.contains(suffix); // case-sensitive on purpose: "Png" is not listed
}

// Clipboard HTML is laid out with nothing from outside: an <img> naming a
// local file could be huge or a FIFO, and a remote one would tell a server
// what was copied.
class OfflineDocument : public QTextDocument
{
protected:
    QVariant loadResource(int, const QUrl&) override { return QVariant(); }
};

} // namespace

// Where an image of this many device pixels sits centred on the first
// screen, in device pixels like every position in the history.
QPoint centredOnFirstScreen(const QSize& size)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    const qreal ratio = devicepixels::desktopFactor();
    QRect rect(QPoint(0, 0), ratio == 1 ? size : (QSizeF(size) / ratio).toSize());
    if (!screens.isEmpty())
        rect.moveCenter(screens.first()->geometry().center());
    return devicepixels::toDevice(rect.topLeft(), ratio);
}

double zoomToFit(const QSize& image, const QSize& area)
{
    if (image.isEmpty() || area.isEmpty())
        return 1.0;
    return std::min({1.0, double(area.width()) / image.width(), double(area.height()) / image.height()});
}

QPoint placeOnScreens(const QPoint& pos, const QSize& size, const QVector<QRect>& screens)
{
    for (const QRect& screen : screens) {
        if (screen.contains(pos))
            return pos;
    }
    if (screens.isEmpty())
        return QPoint(0, 0);
    // the nearest screen, measured without overflow from any 32-bit point
    const QRect* best = nullptr;
    qint64 bestDistance = 0;
    for (const QRect& screen : screens) {
        const qint64 dx = std::max<qint64>({qint64(screen.left()) - pos.x(), qint64(pos.x()) - screen.right(), 0});
        const qint64 dy = std::max<qint64>({qint64(screen.top()) - pos.y(), qint64(pos.y()) - screen.bottom(), 0});
        const qint64 distance = dx + dy;
        if (!best || distance < bestDistance) {
            best = &screen;
            bestDistance = distance;
        }
    }
    // as much of the image on it as fits, its top-left corner always
    const int x = qBound(best->left(), pos.x(), std::max(best->left(), best->right() + 1 - size.width()));
    const int y = qBound(best->top(), pos.y(), std::max(best->top(), best->bottom() + 1 - size.height()));
    return QPoint(x, y);
}

QPixmap renderClipboardHtml(const QString& html)
{
    const QString cut = html.left(HTML_MAX_CHARS);
    const HtmlShape shape = HtmlShape::measure(cut);
    if (!shape.isLayoutSafe()) {
        qWarning() << "HTML too complex to lay out (depth" << shape.depth << "tables" << shape.tableDepth
                   << "elements" << shape.elements << "); shown as plain text";
        return renderClipboardText(
            QCoreApplication::translate("Klipora", "[Shown as plain text: the copied HTML is too complex to lay out.]")
            + QStringLiteral("\n\n") + flattenHtml(cut));
    }
    // Layout costs time with the length, and the picture keeps only its
    // first RENDER_MAX_SIDE rows: lay out a growing prefix until it fills
    // them, so a long web page copied whole does not hold the hotkeys up.
    OfflineDocument document;
    for (int chars = HTML_FIRST_CHARS;; chars *= 2) {
        document.setHtml(cut.left(chars));
        if (chars >= cut.size() || document.size().height() >= RENDER_MAX_SIDE)
            break;
    }
    const QSize size = document.size().toSize().boundedTo(QSize(RENDER_MAX_SIDE, RENDER_MAX_SIDE));
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    document.drawContents(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap renderClipboardText(const QString& text)
{
    QLabel label;
    label.setAttribute(Qt::WA_DontShowOnScreen);
    // plain text stays plain: markup in it is laid out by nobody
    label.setTextFormat(Qt::PlainText);
    label.setText(text.left(TEXT_MAX_CHARS));
    label.setWordWrap(true);
    label.setMargin(10);
    label.setStyleSheet(QStringLiteral("background-color:white"));
    QFont font(QStringLiteral("Consolas"));
    font.setPointSize(12);
    label.setFont(font);
    label.setMaximumSize(RENDER_MAX_SIDE, RENDER_MAX_SIDE);
    label.resize(label.sizeHint().boundedTo(QSize(RENDER_MAX_SIDE, RENDER_MAX_SIDE)));
    return label.grab();
}

Klipora::Klipora(QWidget* parent)
    : QWidget(parent)
{
    qInfo() << "initializing.";
    // before any window of ours is shown
    BaseSizeHint::install();

    const QString sheet = readResourceText(QStringLiteral(":/qss/klipora.qss"));
    if (!sheet.isEmpty())
        setStyleSheet(sheet);

    // Only what the tray icon and the hotkeys need is built before the icon
    // shows; the capture tools and the settings window follow at once from
    // the event loop, or earlier when something asks for them.
    tray_ = new QSystemTrayIcon(this);

    snipHotkey_ = new QxtGlobalShortcut(this);
    pinHotkey_ = new QxtGlobalShortcut(this);
    gifHotkey_ = new QxtGlobalShortcut(this);
    recordHotkey_ = new QxtGlobalShortcut(this);
    scrollHotkey_ = new QxtGlobalShortcut(this);
    registerActions();
    connect(snipHotkey_, &QxtGlobalShortcut::activated, this, [this] { actions_->trigger(QStringLiteral("snip")); });
    connect(pinHotkey_, &QxtGlobalShortcut::activated, this, [this] { actions_->trigger(QStringLiteral("pin")); });
    connect(recordHotkey_, &QxtGlobalShortcut::activated, this,
            [this] { actions_->trigger(QStringLiteral("record")); });
    connect(gifHotkey_, &QxtGlobalShortcut::activated, this, [this] { actions_->trigger(QStringLiteral("gif")); });
    connect(scrollHotkey_, &QxtGlobalShortcut::activated, this,
            [this] { actions_->trigger(QStringLiteral("scroll")); });
    platform::hotkeyBackend().setActionHandler([this](const QString& action) { actions_->trigger(action); });

    connect(&Config::instance(), &Config::changed, this, &Klipora::updateConfig);
    connect(&Config::instance(), &Config::SHOW_MESSAGE, this,
            QOverload<QString, QString, QSystemTrayIcon::MessageIcon, int>::of(&Klipora::showMessage));

    buildTrayMenu();
    updateConfig();

    connect(qApp, &QCoreApplication::aboutToQuit, this, &Klipora::finishRecordings);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &Klipora::clipboardChanged);

    QTimer::singleShot(0, this, &Klipora::continueStartup);
    qInfo() << "initialized.";
}

Klipora::~Klipora()
{
    // the backend outlives us
    platform::hotkeyBackend().setActionHandler({});
}

void Klipora::retranslate()
{
    if (!menu_)
        return;
    snipAction_->setText(tr("Snip"));
    scrollAction_->setText(tr("Scrolling screenshot"));
    recordAction_->setText(tr("Screen Record"));
    gifAction_->setText(tr("GIF Record"));
    settingsAction_->setText(tr("Settings"));
    quitAction_->setText(tr("Quit"));
}

void Klipora::continueStartup()
{
    // Each step is its own turn of the event loop, so the tray icon, its menu
    // and the hotkeys answer between them.
    if (!screenShoter_) {
        buildTools();
    } else if (!warmedUp_) {
        // The one-time costs of a first capture, paid now rather than while
        // the user waits for the overlay. None of it holds a desktop-sized
        // buffer.
        screenShoter_->warmUp();
        recorder_->warmUp();
        gifCapturer_->warmUp();
        scrollCapturer_->warmUp();
        warmedUp_ = true;
    } else if (!settings_) {
        buildSettings();
    }
    if (isFullyBuilt())
        qInfo() << "ready.";
    else
        QTimer::singleShot(0, this, &Klipora::continueStartup);
}

void Klipora::buildTools()
{
    if (screenShoter_)
        return;
    screenShoter_ = new ScreenShoter(this);
    recorder_ = new ScreenRecorder(this);
    gifCapturer_ = new GifCapturer(this);
    scrollCapturer_ = new ScrollCapturer(this);
    connect(scrollCapturer_, &ScrollCapturer::finished, this, &Klipora::scrollFinished);
    connect(scrollCapturer_, &ScrollCapturer::cancelled, this, [this] { scrollSavePath_.clear(); });
    connect(scrollCapturer_, &ScrollCapturer::SHOW_MESSAGE, this,
            QOverload<QString, QString, QSystemTrayIcon::MessageIcon, int>::of(&Klipora::showMessage));
    connect(screenShoter_, &ScreenShoter::FIX_IMAGE, this, &Klipora::pinImage);
    connect(screenShoter_, &ScreenShoter::SHOW_MESSAGE, this,
            QOverload<QString, QString, QSystemTrayIcon::MessageIcon, int>::of(&Klipora::showMessage));
    connect(recorder_, &ScreenRecorder::SHOW_MESSAGE, this,
            QOverload<QString, QString, QSystemTrayIcon::MessageIcon, int>::of(&Klipora::showMessage));
    connect(gifCapturer_, &GifCapturer::SHOW_MESSAGE, this,
            QOverload<QString, QString, QSystemTrayIcon::MessageIcon, int>::of(&Klipora::showMessage));
    applyToolSettings();
}

void Klipora::buildSettings()
{
    if (!settings_)
        settings_ = new SettingWindow(this);
}

ScreenShoter* Klipora::screenShoter()
{
    buildTools();
    return screenShoter_;
}

ScreenRecorder* Klipora::screenRecorder()
{
    buildTools();
    return recorder_;
}

GifCapturer* Klipora::gifCapturer()
{
    buildTools();
    return gifCapturer_;
}

ScrollCapturer* Klipora::scrollCapturer()
{
    buildTools();
    return scrollCapturer_;
}

void Klipora::scrollCapture(const QString& savePath)
{
    ScrollCapturer* capturer = scrollCapturer();
    if (capturer->currentStatus() != Selector::IDLE)
        return;
    scrollSavePath_ = savePath;
    capturer->start();
}

void Klipora::scrollFinished(const QImage& image, const QPoint& pos)
{
    const QString path = scrollSavePath_;
    scrollSavePath_.clear();
    ImageSaver::copy(image, pos);

    if (!path.isEmpty()) {
        QString error;
        if (ImageSaver::save(image, path, &error))
            showMessage(QStringLiteral("Klipora"), tr("Saved to %1").arg(path));
        else
            showMessage(QStringLiteral("Klipora"), tr("Could not save %1: %2").arg(path, error),
                        QSystemTrayIcon::Critical);
        return;
    }

    // A page many screens long is pinned small enough to be seen whole.
    QScreen* screen = QGuiApplication::screenAt(pos);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), image.size());
    const QSize room = area.size() - QSize(2 * ImageWindow::MARGIN, 2 * ImageWindow::MARGIN);
    auto* window = new ImageWindow(this);
    connect(window, &ImageWindow::SHOW_MESSAGE, this,
            qOverload<QString, QString, QSystemTrayIcon::MessageIcon, int>(&Klipora::showMessage));
    const double zoom = zoomToFit(image.size(), room);
    window->setZoom(zoom);
    // placed before it is mapped, so it never shows elsewhere first
    const QSize frame = imagewindow::frameSize(image.size(), zoom, false);
    window->move(imagewindow::centredAt(QRectF(area).center(), frame).topLeft());
    if (!window->setImage(QPixmap::fromImage(image)))
        window->deleteLater();
}

SettingWindow* Klipora::settingWindow()
{
    buildSettings();
    return settings_;
}

void Klipora::registerActions()
{
    actions_ = new ActionRegistry(this);
    actions_->add(QStringLiteral("snip"), tr("Snip"), QIcon(QStringLiteral(":/icon/res/screenshot")),
                  [this] { screenShoter()->start(); });
    actions_->add(QStringLiteral("scroll"), tr("Scrolling screenshot"), QIcon(QStringLiteral(":/icon/res/screenshot")),
                  [this] { scrollCapture(); });
    actions_->add(QStringLiteral("pin"), tr("Pin"), QIcon(QStringLiteral(":/icon/res/pin")),
                  [this] { pinLastImage(); });
    actions_->add(QStringLiteral("record"), tr("Screen Record"), QIcon(QStringLiteral(":/icon/res/sr")),
                  [this] { screenRecorder()->record(); });
    actions_->add(QStringLiteral("gif"), tr("GIF Record"), QIcon(QStringLiteral(":/icon/res/gif")),
                  [this] { gifCapturer()->record(); });
    actions_->add(QStringLiteral("settings"), tr("Settings"), QIcon(QStringLiteral(":/icon/res/setting")), [this] {
        SettingWindow* settings = settingWindow();
        settings->show();
        settings->raise();
        settings->activateWindow();
    });
    actions_->add(QStringLiteral("quit"), tr("Quit"), QIcon(QStringLiteral(":/icon/res/exit")),
                  [] { QCoreApplication::exit(0); });
}

void Klipora::buildTrayMenu()
{
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("sys_tray_menu"));

    snipAction_ = actions_->addToMenu(menu_, QStringLiteral("snip"));
    scrollAction_ = actions_->addToMenu(menu_, QStringLiteral("scroll"));
    recordAction_ = actions_->addToMenu(menu_, QStringLiteral("record"));
    gifAction_ = actions_->addToMenu(menu_, QStringLiteral("gif"));
    menu_->addSeparator();
    settingsAction_ = actions_->addToMenu(menu_, QStringLiteral("settings"));
    menu_->addSeparator();
    quitAction_ = actions_->addToMenu(menu_, QStringLiteral("quit"));
    retranslate();

    tray_->setContextMenu(menu_);
    const QIcon icon(QStringLiteral(":/icon/res/icon.png"));
    tray_->setIcon(icon);
    setWindowIcon(icon);
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // GNOME, or sway without a bar tray: the command line and the
        // compositor's key bindings still reach this instance
        qInfo() << "no system tray: running without an icon; use `klipora snip` and friends or hotkeys";
    }
    tray_->show();
    tray_->setToolTip(QStringLiteral("Klipora"));
}

void Klipora::showMessage(QString title, QString msg, QSystemTrayIcon::MessageIcon icon, int msecs)
{
    tray_->showMessage(title, msg, icon, msecs);
    if (icon == QSystemTrayIcon::Critical)
        qCritical().noquote() << msg;
}

void Klipora::showMessage(QString title, QString msg, QSystemTrayIcon::MessageIcon icon)
{
    showMessage(title, msg, icon, 10000);
}

void Klipora::showMessage(QString title, QString msg)
{
    showMessage(title, msg, QSystemTrayIcon::Information, 10000);
}

void Klipora::pinImage(QPixmap image, QPoint pos)
{
    auto* window = new ImageWindow(this);
    connect(window, &ImageWindow::SHOW_MESSAGE, this,
            qOverload<QString, QString, QSystemTrayIcon::MessageIcon, int>(&Klipora::showMessage));
    // Positions and images count device pixels; windows are placed in
    // logical ones.
    const qreal ratio = devicepixels::desktopFactor();
    pos = devicepixels::toLogical(pos, ratio);
    const QSize shown = ratio == 1 ? image.size() : (QSizeF(image.size()) / ratio).toSize();
    // A position from the clipboard can be anything another program wrote.
    QVector<QRect> screens;
    for (QScreen* screen : QGuiApplication::screens())
        screens << screen->geometry();
    pos = placeOnScreens(pos, shown, screens);
    // Placed before it is mapped, so it never shows at a default spot first;
    // the margin puts the image's top-left pixel where it was captured. An
    // image that would hang off the monitors is moved onto one.
    DisplayInfo::instance();
    const QRect place =
        placement::pinnedImage(QRect(pos, shown), DisplayInfo::screenRects(), QCursor::pos());
    const QPoint frame = place.topLeft() - QPoint(ImageWindow::MARGIN, ImageWindow::MARGIN);
    window->move(frame);
    if (!window->setImage(image))
        window->deleteLater();
    else
        platform::windowHints().keepOnTop(window, frame);
}

void Klipora::pinLastImage()
{
    if (history_.empty())
        return;
    const HistoryEntry& entry = history_.back();
    pinImage(QPixmap::fromImage(entry.image.toImage()), entry.position);
}

void Klipora::updateConfig()
{
    Config& config = Config::instance();
    HotkeyBackend& backend = platform::hotkeyBackend();
    if (!backend.grabsKeys()) {
        // the compositor binds the keys to `klipora` commands
        applyToolSettings();
        return;
    }
    QxtGlobalShortcut* const hotkeys[HOTKEY_COUNT] = {snipHotkey_, pinHotkey_, gifHotkey_, recordHotkey_,
                                                      scrollHotkey_};
    static const char* const actions[HOTKEY_COUNT] = {"snip", "pin", "gif", "record", "scroll"};
    // a desktop's own shortcut service binds by action name
    const auto bind = [&](int i, const QKeySequence& keys) {
        return backend.bindsActions() ? backend.bindAction(QLatin1String(actions[i]), keys)
                                      : hotkeys[i]->setShortcut(keys);
    };
    const Config::Key keys[HOTKEY_COUNT] = {Config::SnipHotkey, Config::PinHotkey, Config::GifHotkey,
                                            Config::RecordHotkey, Config::ScrollHotkey};

    // Every spin-box step ends up here: leave hotkeys that are in effect and
    // unchanged alone. Release all changed ones before registering any, so two
    // hotkeys can swap combinations.
    QKeySequence wanted[HOTKEY_COUNT];
    bool redo[HOTKEY_COUNT];
    for (int i = 0; i < HOTKEY_COUNT; ++i) {
        wanted[i] = config.hotkey(keys[i]);
        HotkeyState& state = hotkeyStates_[i];
        redo[i] = !state.registered || wanted[i] != state.sequence;
        if (redo[i] && state.registered) {
            bind(i, QKeySequence());
            state.registered = false;
        }
    }
    QStringList failed;
    for (int i = 0; i < HOTKEY_COUNT; ++i) {
        if (!redo[i])
            continue;
        HotkeyState& state = hotkeyStates_[i];
        // a failure that is still there is retried, but announced only once
        const bool knownFailure = state.failed && state.sequence == wanted[i];
        state.registered = bind(i, wanted[i]);
        state.failed = !state.registered;
        state.sequence = wanted[i];
        if (state.failed && !knownFailure)
            failed << wanted[i].toString(QKeySequence::PortableText);
    }
    // One balloon: a second one would replace the first before it is read.
    if (failed.size() == 1) {
        showMessage(QStringLiteral("Klipora"), tr("Failed to register shortcut <%1>").arg(failed.first()),
                    QSystemTrayIcon::Critical, 10000);
    } else if (failed.size() > 1) {
        showMessage(QStringLiteral("Klipora"),
                    tr("Failed to register shortcuts %1")
                        .arg(QLatin1Char('<') + failed.join(QStringLiteral(">, <")) + QLatin1Char('>')),
                    QSystemTrayIcon::Critical, 10000);
    }

    applyToolSettings();
}

void Klipora::applyToolSettings()
{
    // tools built later read the settings then
    if (!screenShoter_)
        return;
    Config& config = Config::instance();
    recorder_->setFramerate(config.integer(Config::RecordFramerate));
    recorder_->mute(!config.boolean(Config::RecordMicrophone));
    gifCapturer_->setFramerate(config.integer(Config::GifFramerate));
    scrollCapturer_->setMaxLength(config.integer(Config::ScrollMaxLength));
    screenShoter_->updateTheme();
    scrollCapturer_->updateTheme();
    recorder_->updateTheme();
    gifCapturer_->updateTheme();
}

void Klipora::finishRecordings()
{
    if (!recorder_)
        return;
    // Quitting waits for no child longer than this, in all.
    QElapsedTimer clock;
    clock.start();
    constexpr int BUDGET_MS = 9000;
    const bool both = recorder_->recording() && gifCapturer_->recording();
    recorder_->finishNow(both ? BUDGET_MS / 2 : BUDGET_MS);
    gifCapturer_->finishNow(int(qMax<qint64>(500, BUDGET_MS - clock.elapsed())));
}

void Klipora::append(const QImage& image, const QPoint& pos)
{
    // The X clipboard may announce one copy more than once; the same picture
    // at the same place is one entry, not a second slot of the ten.
    if (!history_.empty()) {
        const HistoryEntry& last = history_.back();
        if (last.position == pos && last.image.size() == image.size()) {
            const QImage lastImage = last.image.toImage();
            if (lastImage.cacheKey() == image.cacheKey() || lastImage == image)
                return;
        }
        // no longer the one the pin hotkey takes
        history_.back().image.pack();
    }
    history_.push_back({PackedImage(image), pos});
    while (history_.size() > HISTORY_SIZE)
        history_.pop_front();
}

bool Klipora::boundedImage(const QMimeData* mime, bool own, QImage* image)
{
    const imagebudget::Result read = imagebudget::readMime(mime, own);
    *image = read.image;
    if (read.failure == imagebudget::Failure::TooLarge) {
        // X may announce one copy twice: one balloon
        if (read.size != rejectedSize_ || !read.size.isValid()) {
            rejectedSize_ = read.size;
            showMessage(QStringLiteral("Klipora"),
                        read.size.isValid()
                            ? tr("The copied image (%1 x %2) is too large to pin.")
                                  .arg(read.size.width())
                                  .arg(read.size.height())
                            : tr("The copied image is too large to pin."),
                        QSystemTrayIcon::Warning, 10000);
        }
        return false;
    }
    if (image->isNull()) {
        qWarning() << "the clipboard's image could not be read";
        return false;
    }
    return true;
}

void Klipora::clipboardChanged()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* mime = clipboard->mimeData();
    if (!mime)
        return;
    const bool own = clipboard->ownsClipboard();

    QPoint snipPos;
    const bool hasSnipPos = mime->hasFormat(QString::fromLatin1(QPOINT_MIME))
        && decodeQPoint(mime->data(QString::fromLatin1(QPOINT_MIME)), &snipPos);

    if (mime->hasHtml() && mime->hasImage()) {
        qInfo() << "IAMGE";
        QImage image;
        if (boundedImage(mime, own, &image))
            append(image, centredOnFirstScreen(image.size()));
    } else if (mime->hasHtml()) {
        qInfo() << "HTML";
        append(renderClipboardHtml(mime->html()).toImage(), devicepixels::toDevice(QCursor::pos()));
    } else if (hasSnipPos && mime->hasImage()) {
        qInfo() << "SNIP";
        // shares the pixels the overlay put on the clipboard
        QImage image;
        if (boundedImage(mime, own, &image))
            append(image, snipPos);
    } else if (mime->hasUrls() && isImageSuffix(QFileInfo(mime->urls().first().fileName()).suffix())) {
        qInfo() << "IMAGE URL";
        const QString path = mime->urls().first().toLocalFile();
        const imagebudget::Result read = imagebudget::readFile(path);
        if (read.failure == imagebudget::Failure::TooLarge && read.size != rejectedSize_) {
            rejectedSize_ = read.size;
            showMessage(QStringLiteral("Klipora"),
                        tr("The copied image is too large to pin: %1").arg(QDir::toNativeSeparators(path)),
                        QSystemTrayIcon::Warning, 10000);
        }
        if (!read.image.isNull())
            append(read.image, centredOnFirstScreen(read.image.size()));
    } else if (mime->hasText()) {
        qInfo() << "TEXT";
        append(renderClipboardText(mime->text()).toImage(), devicepixels::toDevice(QCursor::pos()));
    } else if (mime->hasColor()) {
        qWarning() << "COLOR";
    }
}
