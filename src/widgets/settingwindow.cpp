#include "widgets/settingwindow.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include <iterator>

#include "platform/hotkeybackend.h"
#ifdef KLIPORA_X11
#include "platform/gnome/gnomekeybindings.h"
#endif
#include "platform/services.h"
#include "platform/windowhints.h"

#include "core/config.h"
#include "core/devices/devices.h"
#include "core/resources.h"
#include "widgets/apptabbar.h"
#include "widgets/apptabcontrol.h"
#include "widgets/autorun.h"
#include "widgets/colordialogbutton.h"
#include "widgets/shortcutinput.h"
#include "widgets/titlebar.h"

namespace {

// Without a compositor a translucent window shows black where it should be
// clear, so the shadow margin would become a black frame.
bool windowsBlend()
{
    return platform::windowHints().translucencyShown();
}

QComboBox* newComboBox(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    // a list view takes the style sheet's item rules; the native popup would not
    combo->setView(new QListView(combo));
    QWidget* popup = combo->view()->window();
    popup->setWindowFlags(popup->windowFlags() | Qt::NoDropShadowWindowHint);
    return combo;
}

QLineEdit* newDisplayField(const QString& text, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setFocusPolicy(Qt::NoFocus);
    // read-only too: a drop of text must not make it show what is not stored
    edit->setReadOnly(true);
    edit->setCursorPosition(0);
    return edit;
}

QLabel* newNamedLabel(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

SettingWindow::SettingWindow(QWidget* parent)
    : QWidget(parent)
    , config_(Config::instance())
{
    const QString sheet = readResourceText(QStringLiteral(":/qss/setting/settingswindow.qss"));
    const bool blend = windowsBlend();
    if (blend) {
        if (!sheet.isEmpty())
            setStyleSheet(sheet);
    } else {
        // no shadow to set the window off the desktop: a thin edge instead
        setStyleSheet(sheet + QStringLiteral("\n#settings-mainwindow { border: 1px solid #c8c8cc; }\n"));
    }

    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    keepTranslated([this] { setWindowTitle(tr("Settings")); });
    if (blend)
        setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setFixedSize(850, 600);
    const int margin = blend ? 20 : 0;
    setContentsMargins(margin, margin, margin, margin);

    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* main = new QWidget(this);
    main->setObjectName(QStringLiteral("settings-mainwindow"));
    if (blend) {
        auto* shadow = new QGraphicsDropShadowEffect(main);
        shadow->setBlurRadius(20);
        shadow->setOffset(0, 0);
        shadow->setColor(QColor(0, 0, 0, 50));
        main->setGraphicsEffect(shadow);
    }
    outer->addWidget(main);
    auto* layout = new QVBoxLayout(main);
    layout->setSpacing(0);
    // keep the edge drawn without a compositor clear of the children
    const int edge = blend ? 0 : 1;
    layout->setContentsMargins(edge, edge, edge, edge);

    titleBar_ = new TitleBar(main);
    keepTranslated([this] { titleBar_->titleLabel()->setText(tr("Settings")); });
    connect(titleBar_, &TitleBar::close, this, &QWidget::close);
    connect(titleBar_, &TitleBar::moved, this, [this](QPoint delta) { move(pos() + delta); });
    layout->addWidget(titleBar_);

    tabs_ = new AppTabControl(45, 225, main);
    tabs_->setObjectName(QStringLiteral("firstmenu"));
    QTabBar* bar = tabs_->tabBar();
    bar->setObjectName(QStringLiteral("fristtab"));
    // the bar measured its tabs before it had a name, and the style sheet
    // keeps what it found then: make it look again
    bar->style()->unpolish(bar);
    bar->style()->polish(bar);
    layout->addWidget(tabs_);

    buildGeneral();
    buildAppearance(Config::Snip, QT_TR_NOOP("Screenshot"));
    buildAppearance(Config::Record, QT_TR_NOOP("Screen recording"));
    buildAppearance(Config::Gif, QT_TR_NOOP("Gif recording"));
    buildShortcuts();
    buildAbout();
    alignAppearancePages();
}

void SettingWindow::keepTranslated(std::function<void()> apply)
{
    apply();
    retranslators_.push_back(std::move(apply));
}

QLabel* SettingWindow::newLabel(const char* source, QWidget* page, const char* name)
{
    auto* label = new QLabel(page);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    keepTranslated([label, source] { label->setText(tr(source)); });
    return label;
}

void SettingWindow::alignAppearancePages()
{
    // The three pages share one column of labels and one of controls, so
    // switching between them moves nothing, whatever the longest label.
    int labels = 0;
    for (const QGridLayout* grid : appearanceGrids_) {
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (QLayoutItem* item = grid->itemAtPosition(row, 1); item && item->widget())
                labels = qMax(labels, item->widget()->sizeHint().width());
        }
    }
    for (QGridLayout* grid : appearanceGrids_) {
        grid->setColumnMinimumWidth(1, labels);
        grid->setColumnStretch(2, 1);
        grid->setColumnMinimumWidth(3, selectPathWidth_);
    }
}

void SettingWindow::showEvent(QShowEvent* event)
{
    // The first time, open in the middle of the screen the user works on;
    // afterwards wherever the user left it.
    if (!placed_) {
        placed_ = true;
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame(QPoint(0, 0), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    if (microphone_) {
        // the recording bar may have switched it meanwhile
        const QSignalBlocker quiet(microphone_);
        microphone_->setChecked(config_.boolean(Config::RecordMicrophone));
    }
    refreshAudioSources();
    QWidget::showEvent(event);
}

void SettingWindow::retranslate()
{
    for (const auto& apply : retranslators_)
        apply();
    alignAppearancePages();
}

QString SettingWindow::versionText()
{
    const QList<int> parts = {1, 0, 1, 1932};
    QStringList texts;
    for (int part : parts)
        texts << QString::number(part);
    return texts.join(QLatin1Char('.'));
}

const char* SettingWindow::homeUrl()
{
    return "https://klipora.org/";
}

const char* SettingWindow::communityUrl()
{
    return "https://klipora.org/community";
}

QWidget* SettingWindow::newPage(const char* name, QGridLayout** grid)
{
    auto* page = new QWidget(tabs_);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(35, 10, 35, 15);
    tabs_->addTab(page, QString());
    keepTranslated([this, page, name] { tabs_->setTabText(tabs_->indexOf(page), tr(name)); });
    *grid = layout;
    return page;
}

void SettingWindow::buildGeneral()
{
    QGridLayout* grid = nullptr;
    QWidget* page = newPage(QT_TR_NOOP("General"), &grid);

    autoRun_ = new QCheckBox(page);
    keepTranslated([this] { autoRun_->setText(tr("Run on startup")); });
    autoRun_->setChecked(config_.boolean(Config::AutoRun));
    grid->addWidget(autoRun_, 0, 0, 1, 2);
    // the login entry follows the stored choice every time the window is built
    setAutoRun(autoRun_->checkState());
    connect(autoRun_, &QCheckBox::stateChanged, this, &SettingWindow::setAutoRun);

    grid->addWidget(newLabel(QT_TR_NOOP("Language"), page), 1, 0);
    QComboBox* language = newComboBox(page);
    const QMap<QString, QString>& table = trs::languages();
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        language->addItem(it.key(), it.value());
    const int current = language->findData(config_.string(Config::Language));
    language->setCurrentIndex(current < 0 ? 0 : current);
    grid->addWidget(language, 1, 1, 1, 2);
    connect(language, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this, language](int index) {
        QString code = language->itemData(index).toString();
        if (code.isEmpty())
            code = QStringLiteral("zh_CN");
        config_.set(Config::Language, code);
        trs::setLanguage(code);
    });

    grid->addWidget(newLabel(QT_TR_NOOP("Settings file"), page), 2, 0);
    grid->addWidget(newDisplayField(config_.filePath(), page), 2, 1, 1, 2);

    grid->setRowStretch(3, 1);
}

void SettingWindow::buildAppearance(Config::Section section, const char* name)
{
    QGridLayout* grid = nullptr;
    QWidget* page = newPage(name, &grid);
    appearanceGrids_.push_back(grid);
    const Config::SectionKeys keys = Config::keys(section);
    const bool recording = keys.framerate != Config::KeyCount;

    grid->addWidget(newLabel(QT_TR_NOOP("Apperance:"), page, "sub-title"), 0, 1);

    grid->addWidget(newLabel(QT_TR_NOOP("Border width"), page), 1, 1);
    auto* width = new QSpinBox(page);
    width->setRange(Config::minimum(keys.borderWidth), Config::maximum(keys.borderWidth));
    width->setValue(config_.integer(keys.borderWidth));
    grid->addWidget(width, 1, 2, 1, 2);
    connect(width, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this, key = keys.borderWidth](int value) { config_.set(key, value); });

    auto colorButton = [this, page](Config::Key key) {
        auto* button = new ColorDialogButton(config_.color(key), page);
        connect(button, &ColorDialogButton::changed, this, [this, key](QColor color) { config_.set(key, color); });
        return button;
    };
    grid->addWidget(newLabel(QT_TR_NOOP("Border color"), page), 2, 1);
    grid->addWidget(colorButton(keys.borderColor), 2, 2, 1, 2);

    grid->addWidget(newLabel(QT_TR_NOOP("Line type"), page), 3, 1);
    QComboBox* style = newComboBox(page);
    // item index = pen style
    static const char* const styles[] = {QT_TR_NOOP("NoPen"),       QT_TR_NOOP("SolidLine"),
                                         QT_TR_NOOP("DashLine"),    QT_TR_NOOP("DotLine"),
                                         QT_TR_NOOP("DashDotLine"), QT_TR_NOOP("DashDotDotLine"),
                                         QT_TR_NOOP("CustomDashLine")};
    for (int i = 0; i < int(std::size(styles)); ++i)
        style->addItem(QString());
    keepTranslated([style] {
        for (int i = 0; i < int(std::size(styles)); ++i)
            style->setItemText(i, tr(styles[i]));
    });
    const int pen = config_.integer(keys.borderStyle);
    style->setCurrentIndex(pen >= 0 && pen < style->count() ? pen : 0);
    grid->addWidget(style, 3, 2, 1, 2);
    connect(style, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this, key = keys.borderStyle](int index) { config_.set(key, index); });

    grid->addWidget(newLabel(QT_TR_NOOP("Mask color"), page), 4, 1);
    grid->addWidget(colorButton(keys.maskColor), 4, 2, 1, 2);

    if (!recording) {
        grid->setRowStretch(5, 1);
        return;
    }

    grid->addWidget(new QLabel(page), 5, 1);
    grid->addWidget(newLabel(QT_TR_NOOP("Params:"), page, "sub-title"), 6, 1);

    grid->addWidget(newLabel(QT_TR_NOOP("Framerate"), page), 7, 1);
    auto* framerate = new QSpinBox(page);
    // zero frames a second would only make the recorder fail: the range says
    framerate->setRange(Config::minimum(keys.framerate), Config::maximum(keys.framerate));
    framerate->setValue(config_.integer(keys.framerate));
    grid->addWidget(framerate, 7, 2, 1, 2);
    connect(framerate, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this, key = keys.framerate](int value) { config_.set(key, value); });

    const bool video = section == Config::Record;
    int row = 8;
    if (video) {
        grid->addWidget(newLabel(QT_TR_NOOP("Microphone"), page), row, 1);
        microphone_ = new QCheckBox(page);
        microphone_->setObjectName(QStringLiteral("MicrophoneButton"));
        microphone_->setChecked(config_.boolean(Config::RecordMicrophone));
        grid->addWidget(microphone_, row++, 2, 1, 2);
        connect(microphone_, &QCheckBox::toggled, this,
                [this](bool on) { config_.set(Config::RecordMicrophone, on); });

        grid->addWidget(newLabel(QT_TR_NOOP("Sound source"), page), row, 1);
        audioSource_ = newComboBox(page);
        grid->addWidget(audioSource_, row++, 2, 1, 2);
        connect(audioSource_, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
            config_.set(Config::RecordAudioSource, audioSource_->itemData(index).toString());
        });
    }

    grid->addWidget(new QLabel(page), row++, 1);
    grid->addWidget(newLabel(video ? QT_TR_NOOP("Video Output:") : QT_TR_NOOP("GIF Output:"), page, "sub-outputpath"),
                    row++, 1);

    grid->addWidget(newLabel(QT_TR_NOOP("Path"), page), row, 1);
    QLineEdit* path = newDisplayField(video ? config_.videoPath() : config_.gifPath(), page);
    grid->addWidget(path, row, 2);
    auto* select = new QPushButton(QStringLiteral("..."), page);
    select->setObjectName(QStringLiteral("sub-selectpath"));
    select->resize(30, 20);
    selectPathWidth_ = qMax(selectPathWidth_, select->sizeHint().width());
    grid->addWidget(select, row++, 3);
    connect(select, &QPushButton::clicked, this, [this, path, video] {
        if (video)
            selectVideoPath(path);
        else
            selectGifPath(path);
    });

    grid->setRowStretch(row, 1);
}

void SettingWindow::refreshAudioSources()
{
    if (!audioSource_)
        return;
    const QString saved = config_.string(Config::RecordAudioSource);
    audioSource_->clear();
    audioSource_->addItem(tr("Default input"), QString());
    bool found = saved.isEmpty();
    // listed now, not at start-up: sources come and go with devices
    for (const AudioSource& source : listAudioSources()) {
        audioSource_->addItem(source.description, source.name);
        found = found || source.name == saved;
    }
    // a source that is gone stays chosen, and says so
    if (!found)
        audioSource_->addItem(tr("%1 (not available)").arg(saved), saved);
    audioSource_->setCurrentIndex(audioSource_->findData(saved));
}

void SettingWindow::buildShortcuts()
{
    QGridLayout* grid = nullptr;
    QWidget* page = newPage(QT_TR_NOOP("Shortcuts"), &grid);
    grid->setVerticalSpacing(10);

    static const struct {
        const char* label;
        Config::Key key;
        const char* command;
    } rows[] = {
        {QT_TR_NOOP("Screenshot"), Config::SnipHotkey, "snip"},
        {QT_TR_NOOP("Paste"), Config::PinHotkey, "pin"},
        {QT_TR_NOOP("Video recording"), Config::RecordHotkey, "record"},
        {QT_TR_NOOP("Gif recording"), Config::GifHotkey, "record --gif"},
        {QT_TR_NOOP("Scrolling screenshot"), Config::ScrollHotkey, "scroll"},
    };
    int row = 1;
    const auto currentHotkeys = [this] {
        QVector<HotkeyCommand> hotkeys;
        for (const auto& r : rows)
            hotkeys.append({QString::fromLatin1(r.command), config_.hotkey(r.key)});
        return hotkeys;
    };
    bool editable = platform::hotkeyBackend().grabsKeys();
#ifdef KLIPORA_X11
    if (platform::currentDesktop() == platform::Desktop::Gnome) {
        // GNOME binds the keys; Klipora writes them there only when asked to
        editable = true;
        auto* hint = new QLabel(tr("GNOME binds global keys. Choose the combinations below, then add them to "
                                   "GNOME's keyboard shortcuts; your other shortcuts stay as they are."),
                                page);
        hint->setWordWrap(true);
        grid->addWidget(hint, row++, 1, 1, 4);
        auto* add = new QPushButton(tr("Add to GNOME keyboard shortcuts"), page);
        add->setObjectName(QStringLiteral("addGnomeShortcuts"));
        grid->addWidget(add, row, 1, 1, 2);
        auto* status = new QLabel(page);
        status->setObjectName(QStringLiteral("gnomeShortcutsStatus"));
        status->setWordWrap(true);
        grid->addWidget(status, row++, 3, 1, 2);
        auto* writer = new GnomeKeybindingWriter(add);
        connect(add, &QPushButton::clicked, writer, [add, writer, status, currentHotkeys] {
            if (!writer->write(currentHotkeys(), gnomekeys::programForCommands()))
                return;
            add->setEnabled(false);
            status->setText(tr("Writing the shortcuts..."));
        });
        connect(writer, &GnomeKeybindingWriter::finished, status, [add, status](bool ok, const QString& message) {
            add->setEnabled(true);
            status->setText(ok ? message : tr("The shortcuts could not be added: %1").arg(message));
        });
    } else
#endif
    if (!editable) {
        // The compositor owns the keys: what to add to its configuration.
        const QVector<HotkeyCommand> hotkeys = currentHotkeys();
        auto* hint = new QLabel(tr("The compositor binds global keys. Add these lines to the sway configuration "
                                   "and reload it:"),
                                page);
        hint->setWordWrap(true);
        grid->addWidget(hint, row++, 1, 1, 4);
        auto* lines = new QPlainTextEdit(page);
        lines->setObjectName(QStringLiteral("bindsymLines"));
        lines->setReadOnly(true);
        lines->setPlainText(bindsymLines(hotkeys).join(QLatin1Char('\n')));
        grid->addWidget(lines, row++, 1, 1, 4);
        auto* copy = new QPushButton(tr("Copy"), page);
        copy->setObjectName(QStringLiteral("copyBindsymLines"));
        // set from the click: Wayland takes the clipboard only after input
        connect(copy, &QPushButton::clicked, lines,
                [lines] { QGuiApplication::clipboard()->setText(lines->toPlainText() + QLatin1Char('\n')); });
        grid->addWidget(copy, row++, 4);
    }
    for (const auto& r : rows) {
        if (!editable)
            break;
        const Config::Key key = r.key;
        grid->addWidget(newLabel(r.label, page), row, 1);
        auto* input = new ShortcutInput(config_.hotkey(key), page);
        grid->addWidget(input, row, 2, 1, 3);
        connect(input, &ShortcutInput::changed, this,
                [this, key](QKeySequence sequence) { config_.set(key, sequence); });
        ++row;
    }

    grid->addWidget(new QLabel(tr("Longest scrolling screenshot"), page), row, 1);
    auto* length = new QSpinBox(page);
    length->setObjectName(QStringLiteral("scrollMaxLength"));
    length->setRange(Config::minimum(Config::ScrollMaxLength), Config::maximum(Config::ScrollMaxLength));
    length->setSingleStep(1000);
    length->setSuffix(tr(" px"));
    length->setValue(config_.integer(Config::ScrollMaxLength));
    grid->addWidget(length, row, 2, 1, 3);
    connect(length, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this](int value) { config_.set(Config::ScrollMaxLength, value); });
    ++row;
    grid->setRowStretch(row, 1);
}

void SettingWindow::buildAbout()
{
    auto* page = new QWidget(tabs_);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(35, 10, 35, 15);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);

    grid->addWidget(newLabel(QT_TR_NOOP("Version"), page), 0, 0);
    QLineEdit* version = newDisplayField(versionText(), page);
    version->setAlignment(Qt::AlignCenter);
    grid->addWidget(version, 0, 1, 1, 2);

    auto* update = new QPushButton(page);
    keepTranslated([update] { update->setText(tr("check update")); });
    update->setObjectName(QStringLiteral("sub-update"));
    update->resize(150, 20);
    grid->addWidget(update, 2, 1);
    connect(update, &QPushButton::clicked, this, &SettingWindow::executeUpdate);

    grid->addWidget(new QLabel(page), 3, 0);

    auto link = [this, page](const char* url, const char* text, const char* name) {
        auto* label = newNamedLabel(QString(), name, page);
        // the address itself is shown as it is
        keepTranslated([label, url, text] {
            const QString shown = text ? tr(text) : QString::fromLatin1(url);
            label->setText(
                QStringLiteral("<a href=\"%1\">%2</a>").arg(QString::fromLatin1(url), shown.toHtmlEscaped()));
        });
        label->setTextFormat(Qt::RichText);
        label->setTextInteractionFlags(Qt::TextBrowserInteraction);
        label->setOpenExternalLinks(false);
        return label;
    };
    grid->addWidget(newLabel(QT_TR_NOOP("Home Web:"), page, "sub-homeweb"), 4, 0);
    QLabel* home = link(homeUrl(), nullptr, "sub-linkurl");
    grid->addWidget(home, 4, 1);
    connect(home, &QLabel::linkActivated, this, &SettingWindow::openmainUrl);

    grid->addWidget(new QLabel(page), 5, 0);

    grid->addWidget(newLabel(QT_TR_NOOP("QQ Group:"), page, "sub-qqgroup"), 6, 0);
    QLabel* community = link(communityUrl(), QT_TR_NOOP("Join the Klipora community"), "sub-qqlinkurl");
    grid->addWidget(community, 6, 1);
    connect(community, &QLabel::linkActivated, this, &SettingWindow::openQQUrl);

    auto* code = newNamedLabel(QString(), "sub-qqqrcodeimage", page);
    code->setPixmap(QPixmap(QStringLiteral(":/icon/res/qqgroup.png")));
    code->setScaledContents(true);
    code->setFixedSize(48, 48);
    grid->addWidget(code, 7, 1);

    layout->addStretch();
    auto* copyright = newLabel(QT_TR_NOOP("Copyright © 2024-2026 The Klipora developers. All rights reserved."), page,
                               "copyright-label");
    copyright->setAlignment(Qt::AlignCenter);
    copyright->setWordWrap(true);
    layout->addWidget(copyright);

    tabs_->addTab(page, QString());
    keepTranslated([this, page] { tabs_->setTabText(tabs_->indexOf(page), tr("About")); });
}

void SettingWindow::setAutoRun(int state)
{
    const bool wanted = state == Qt::Checked;
    bool on = wanted;
    if (!autorun::apply(wanted, QCoreApplication::applicationFilePath())) {
        // keep showing and storing what is really in effect
        qCritical() << "cannot change start at login";
        on = !wanted;
        if (autoRun_) {
            const QSignalBlocker blocker(autoRun_);
            autoRun_->setChecked(on);
        }
    }
    config_.set(Config::AutoRun, on);
}

QString SettingWindow::chooseFolder(const QString& current)
{
    // opens where the output goes now, not in the working directory
    return QFileDialog::getExistingDirectory(this, tr("Select Path..."), current, QFileDialog::ShowDirsOnly);
}

void SettingWindow::selectVideoPath(QLineEdit* editer)
{
    const QString folder = chooseFolder(editer->text());
    if (folder.isEmpty())
        return;
    editer->setText(folder);
    config_.set(Config::RecordPath, folder);
}

void SettingWindow::selectGifPath(QLineEdit* editer)
{
    const QString folder = chooseFolder(editer->text());
    if (folder.isEmpty())
        return;
    editer->setText(folder);
    config_.set(Config::GifPath, folder);
}

void SettingWindow::executeUpdate()
{
    QMessageBox::information(this, tr("update tips"), tr("No need to update the current version!"), QMessageBox::Ok);
}

void SettingWindow::openmainUrl(QString url)
{
    QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

void SettingWindow::openQQUrl(QString url)
{
    QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}
