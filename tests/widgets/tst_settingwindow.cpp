// klipora-test: x11
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <functional>
#include <memory>

#include "core/config.h"
#include "core/resources.h"
#include "klipora.h"
#include "video/gifcapturer.h"
#include "video/screenrecorder.h"
#include "qxt/qxtglobalshortcut.h"
#include "snip/screenshoter.h"
#include "widgets/imageeditmenu.h"
#include "testutil.h"
#include "widgets/apptabcontrol.h"
#include "widgets/autorun.h"
#include "widgets/colordialogbutton.h"
#include "widgets/iconbutton.h"
#include "widgets/retranslatable.h"
#include "widgets/settingwindow.h"
#include "widgets/shortcutinput.h"
#include "widgets/titlebar.h"

namespace {

enum Page { GENERAL, SCREENSHOT, RECORDING, GIF, SHORTCUTS, ABOUT };

Config& config()
{
    return Config::instance();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The document and the file before an action, to check afterwards that the
// action changed exactly one key and that the file followed at once.
struct Snapshot
{
    json doc = config().doc();
    QByteArray file = readFile(config().filePath());
};

// Checks that only `path` (a JSON pointer) differs from the snapshot, that it
// now holds `value`, and that the file on disk already holds the new document.
bool onlyChanged(const Snapshot& before, const std::string& path, const json& value)
{
    const json patch = json::diff(before.doc, config().doc());
    if (patch.size() != 1 || patch[0]["path"] != path) {
        qWarning().noquote() << "expected one change at" << QString::fromStdString(path) << "got"
                             << QString::fromStdString(patch.dump());
        return false;
    }
    if (config().doc().at(json::json_pointer(path)) != value) {
        qWarning().noquote() << QString::fromStdString(path) << "holds"
                             << QString::fromStdString(config().doc().at(json::json_pointer(path)).dump());
        return false;
    }
    const QByteArray file = readFile(config().filePath());
    if (file == before.file || file != serializeConfig(config().doc())) {
        qWarning() << "the file on disk did not follow";
        return false;
    }
    return true;
}

QGridLayout* grid(SettingWindow& window, Page page)
{
    QWidget* widget = window.tabs()->widget(page);
    if (page == ABOUT)
        return qobject_cast<QGridLayout*>(widget->layout()->itemAt(0)->layout());
    return qobject_cast<QGridLayout*>(widget->layout());
}

template<typename T>
T* cell(SettingWindow& window, Page page, int row, int column)
{
    QLayoutItem* item = grid(window, page)->itemAtPosition(row, column);
    return item ? qobject_cast<T*>(item->widget()) : nullptr;
}

// The row of an output page that holds the folder field and its "..." button;
// the video page has its sound rows above it.
int pathRow(SettingWindow& window, Page page)
{
    for (int row = 0; row < grid(window, page)->rowCount(); ++row)
        if (cell<QLineEdit>(window, page, row, 2) && cell<QPushButton>(window, page, row, 3))
            return row;
    return -1;
}

// Runs `act` on the first visible top-level of type T once it shows up; for
// modal dialogs that the code under test opens and waits on.
template<typename T>
void whenShown(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<T*>(w); found && found->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(found);
                return;
            }
        }
        if (++*tries > 400) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(25);
}

QString entryPath()
{
    return autorun::desktopEntryPath();
}

} // namespace

// Receives what the window hands to the desktop's URL handler.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestSettingWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<SettingWindow> window;

    SettingWindow& shown()
    {
        if (!window) {
            window = std::make_unique<SettingWindow>();
            window->show();
            if (!QTest::qWaitForWindowExposed(window.get()))
                qWarning() << "window not exposed";
        }
        return *window;
    }

private slots:
    void initTestCase()
    {
        QGuiApplication::setQuitOnLastWindowClosed(false);
        initResources();
        trs::initLanguages();
        QFile::remove(entryPath());
        config().set(Config::AutoRun, false);
        config().set(Config::Language, QStringLiteral("zh_CN"));
    }

    void windowIsFramelessOnTopAndFixedSize()
    {
        SettingWindow& w = shown();
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(w.size(), QSize(850, 600));
        QCOMPARE(w.minimumSize(), QSize(850, 600));
        QCOMPARE(w.maximumSize(), QSize(850, 600));
        QCOMPARE(w.titleBar()->titleLabel()->text(), QStringLiteral("Settings"));
        QVERIFY(w.findChild<QWidget*>(QStringLiteral("settings-mainwindow")));
        QCOMPARE(w.tabs()->objectName(), QStringLiteral("firstmenu"));

        const QStringList names = {QStringLiteral("General"),   QStringLiteral("Screenshot"),
                                   QStringLiteral("Screen recording"), QStringLiteral("Gif recording"),
                                   QStringLiteral("Shortcuts"), QStringLiteral("About")};
        QTabBar* bar = w.tabs()->tabBar();
        QCOMPARE(bar->objectName(), QStringLiteral("fristtab"));
        QCOMPARE(bar->count(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(bar->tabText(i), names[i]);
            QCOMPARE(bar->tabRect(i).size(), QSize(225, 45));
        }
        QCOMPARE(bar->width(), 225);

        // the style sheet reaches the tabs: the current one carries the accent
        // stripe on its left edge
        w.tabs()->setCurrentIndex(SHORTCUTS);
        const QRect tab = bar->tabRect(SHORTCUTS);
        QTRY_COMPARE(bar->grab().toImage().pixelColor(tab.left() + 2, tab.center().y()), QColor("#409eff"));
        QVERIFY(bar->grab().toImage().pixelColor(bar->tabRect(GENERAL).left() + 2, bar->tabRect(GENERAL).center().y())
                != QColor("#409eff"));

        // first shown in the middle of the screen
        const QRect screen = w.screen()->availableGeometry();
        QVERIFY2(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 2,
                 qPrintable(QStringLiteral("at %1").arg(w.x())));
    }

    void spinBoxesWriteOnEveryStep()
    {
        SettingWindow& w = shown();
        const struct {
            Page page;
            int row;
            std::string path;
        } spins[] = {
            {SCREENSHOT, 1, "/snip/selector/border/width"}, {RECORDING, 1, "/record/selector/border/width"},
            {GIF, 1, "/gif/selector/border/width"},         {RECORDING, 7, "/record/framerate"},
            {GIF, 7, "/gif/framerate"},
        };
        for (const auto& s : spins) {
            w.tabs()->setCurrentIndex(s.page);
            auto* spin = cell<QSpinBox>(w, s.page, s.row, 2);
            QVERIFY2(spin, s.path.c_str());
            const int start = config().doc().at(json::json_pointer(s.path)).get<int>();
            QCOMPARE(spin->value(), start);
            QSignalSpy changed(&config(), &Config::changed);

            Snapshot up;
            QTest::keyClick(spin, Qt::Key_Up);
            QVERIFY(onlyChanged(up, s.path, start + 1));
            Snapshot again;
            QTest::keyClick(spin, Qt::Key_Up);
            QVERIFY(onlyChanged(again, s.path, start + 2));
            Snapshot down;
            QTest::keyClick(spin, Qt::Key_Down);
            QVERIFY(onlyChanged(down, s.path, start + 1));
            QCOMPARE(changed.count(), 3);
        }

        // the longest scrolling screenshot steps by a thousand pixels, within its range
        w.tabs()->setCurrentIndex(SHORTCUTS);
        auto* length = cell<QSpinBox>(w, SHORTCUTS, 6, 2);
        QVERIFY(length);
        const int start = config().doc().at(json::json_pointer("/scroll/maxlength")).get<int>();
        QCOMPARE(length->value(), start);
        Snapshot up;
        QTest::keyClick(length, Qt::Key_Up);
        QVERIFY(onlyChanged(up, "/scroll/maxlength", start + 1000));
        length->setValue(10);
        QCOMPARE(config().integer(Config::ScrollMaxLength), Config::minimum(Config::ScrollMaxLength));
    }

    void framerateNeverDropsToZero()
    {
        SettingWindow& w = shown();
        w.tabs()->setCurrentIndex(GIF);
        auto* spin = cell<QSpinBox>(w, GIF, 7, 2);
        QVERIFY(spin);
        spin->setValue(1);
        QTest::keyClick(spin, Qt::Key_Down);
        QCOMPARE(spin->value(), 1);
        QCOMPARE(config().integer(Config::GifFramerate), 1);
        spin->setValue(6);
    }

    void colourButtonsWriteArgbNames()
    {
        SettingWindow& w = shown();
        const struct {
            Page page;
            int row;
            std::string path;
        } buttons[] = {
            {SCREENSHOT, 2, "/snip/selector/border/color"}, {SCREENSHOT, 4, "/snip/selector/mask/color"},
            {RECORDING, 2, "/record/selector/border/color"}, {RECORDING, 4, "/record/selector/mask/color"},
            {GIF, 2, "/gif/selector/border/color"},          {GIF, 4, "/gif/selector/mask/color"},
        };
        int n = 0;
        for (const auto& b : buttons) {
            w.tabs()->setCurrentIndex(b.page);
            auto* button = cell<ColorDialogButton>(w, b.page, b.row, 2);
            QVERIFY2(button, b.path.c_str());
            QColor stored;
            stored.setNamedColor(QString::fromStdString(config().doc().at(json::json_pointer(b.path)).get<std::string>()));
            QCOMPARE(button->color(), stored);

            QTest::mouseClick(button, Qt::LeftButton);
            QTRY_VERIFY(button->dialog()->isVisible());
            const QColor chosen(10 + n, 20, 30, 40 + n);
            button->dialog()->setCurrentColor(chosen);
            Snapshot before;
            button->dialog()->accept();
            QVERIFY(onlyChanged(before, b.path, chosen.name(QColor::HexArgb).toStdString()));
            QCOMPARE(QString::fromStdString(config().doc().at(json::json_pointer(b.path)).get<std::string>()),
                     QString::asprintf("#%02x%02x141e", 40 + n, 10 + n));
            ++n;
        }

        // a dialog closed without choosing changes nothing
        auto* button = cell<ColorDialogButton>(w, GIF, 2, 2);
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(button->dialog()->isVisible());
        button->dialog()->setCurrentColor(Qt::green);
        QSignalSpy changed(&config(), &Config::changed);
        button->dialog()->reject();
        QCOMPARE(changed.count(), 0);
    }

    void penStyleComboWritesTheStyleNumber()
    {
        SettingWindow& w = shown();
        const struct {
            Page page;
            std::string path;
        } combos[] = {
            {SCREENSHOT, "/snip/selector/border/style"},
            {RECORDING, "/record/selector/border/style"},
            {GIF, "/gif/selector/border/style"},
        };
        for (const auto& c : combos) {
            w.tabs()->setCurrentIndex(c.page);
            auto* combo = cell<QComboBox>(w, c.page, 3, 2);
            QVERIFY(combo);
            QCOMPARE(combo->count(), 7);
            QCOMPARE(combo->itemText(0), QStringLiteral("NoPen"));
            QCOMPARE(combo->itemText(6), QStringLiteral("CustomDashLine"));
            const int start = config().doc().at(json::json_pointer(c.path)).get<int>();
            QCOMPARE(combo->currentIndex(), start);

            Snapshot before;
            QTest::keyClick(combo, Qt::Key_Down);
            QVERIFY(onlyChanged(before, c.path, start + 1));
            Snapshot first;
            QTest::keyClick(combo, Qt::Key_Home);
            QVERIFY(onlyChanged(first, c.path, 0));
        }
    }

    void microphoneAndSoundSourceAreSavedAtOnce()
    {
        SettingWindow& w = shown();
        w.tabs()->setCurrentIndex(RECORDING);
        QCheckBox* mic = w.microphoneBox();
        QVERIFY(mic);
        QCOMPARE(mic->objectName(), QStringLiteral("MicrophoneButton"));
        QVERIFY(!mic->isChecked());
        Snapshot before;
        mic->click();
        QVERIFY(onlyChanged(before, "/record/microphone", true));

        // no sound server here: only the default input is offered, and chosen
        QComboBox* source = w.audioSourceBox();
        QVERIFY(source);
        QCOMPARE(source->itemText(0), QStringLiteral("Default input"));
        QCOMPARE(source->currentIndex(), 0);
        // a saved source that has gone stays chosen, and says so
        config().set(Config::RecordAudioSource, QStringLiteral("gone.monitor"));
        w.hide();
        w.show();
        QCOMPARE(source->currentText(), QStringLiteral("gone.monitor (not available)"));
        Snapshot chosen;
        QTest::keyClick(source, Qt::Key_Home);
        QVERIFY(onlyChanged(chosen, "/record/audiosource", ""));

        // switched on the recording bar meanwhile: the page follows when shown again
        config().set(Config::RecordMicrophone, false);
        w.hide();
        w.show();
        QVERIFY(!mic->isChecked());
    }

    void folderChoosersWriteTheirOwnPath()
    {
        SettingWindow& w = shown();
        const QString videos = testutil::tempDir() + QStringLiteral("/new videos");
        const QString gifs = testutil::tempDir() + QStringLiteral("/动图");
        QVERIFY(QDir().mkpath(videos));
        QVERIFY(QDir().mkpath(gifs));

        w.tabs()->setCurrentIndex(RECORDING);
        auto* videoEdit = cell<QLineEdit>(w, RECORDING, 12, 2);
        auto* videoButton = cell<QPushButton>(w, RECORDING, 12, 3);
        QVERIFY(videoEdit && videoButton);
        QCOMPARE(videoButton->objectName(), QStringLiteral("sub-selectpath"));
        QCOMPARE(videoEdit->text(), config().videoPath());

        Snapshot before;
        QString caption;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            caption = dialog->windowTitle();
            dialog->setDirectory(videos);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(videoButton, Qt::LeftButton);
        QTRY_VERIFY(onlyChanged(before, "/record/path", videos.toStdString()));
        QCOMPARE(caption, QStringLiteral("Select Path..."));
        QCOMPARE(videoEdit->text(), videos);
        QCOMPARE(config().videoPath(), videos);

        w.tabs()->setCurrentIndex(GIF);
        auto* gifEdit = cell<QLineEdit>(w, GIF, 10, 2);
        auto* gifButton = cell<QPushButton>(w, GIF, 10, 3);
        QVERIFY(gifEdit && gifButton);
        Snapshot beforeGif;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            dialog->setDirectory(gifs);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(gifButton, Qt::LeftButton);
        QTRY_VERIFY(onlyChanged(beforeGif, "/gif/path", gifs.toStdString()));
        QCOMPARE(gifEdit->text(), gifs);
        QCOMPARE(videoEdit->text(), videos);

        // cancelled: nothing moves
        QSignalSpy changed(&config(), &Config::changed);
        bool rejected = false;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            dialog->setDirectory(QDir::tempPath());
            dialog->reject();
            rejected = true;
        });
        QTest::mouseClick(gifButton, Qt::LeftButton);
        QTRY_VERIFY(rejected);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(gifEdit->text(), gifs);
        QCOMPARE(config().gifPath(), gifs);
    }

    void keyFieldsWriteTheirOwnHotkey()
    {
        SettingWindow& w = shown();
        w.tabs()->setCurrentIndex(SHORTCUTS);
        const struct {
            int row;
            QString label;
            std::string path;
            Qt::Key key;
            QString text;
        } fields[] = {
            {1, QStringLiteral("Screenshot"), "/snip/hotkey", Qt::Key_F7, QStringLiteral("F7")},
            {2, QStringLiteral("Paste"), "/pin/hotkey", Qt::Key_P, QStringLiteral("Ctrl+Alt+P")},
            {3, QStringLiteral("Video recording"), "/record/hotkey", Qt::Key_R, QStringLiteral("Ctrl+Alt+R")},
            {4, QStringLiteral("Gif recording"), "/gif/hotkey", Qt::Key_F9, QStringLiteral("Shift+F9")},
            {5, QStringLiteral("Scrolling screenshot"), "/scroll/hotkey", Qt::Key_J, QStringLiteral("Ctrl+Alt+J")},
        };
        for (const auto& f : fields) {
            auto* label = cell<QLabel>(w, SHORTCUTS, f.row, 1);
            auto* input = cell<ShortcutInput>(w, SHORTCUTS, f.row, 2);
            QVERIFY(label && input);
            QCOMPARE(label->text(), f.label);
            QCOMPARE(input->text(), QString::fromStdString(config().doc().at(json::json_pointer(f.path)).get<std::string>()));

            const Qt::KeyboardModifiers mods = f.text.startsWith(QStringLiteral("Ctrl")) ? Qt::ControlModifier | Qt::AltModifier
                : f.text.startsWith(QStringLiteral("Shift")) ? Qt::ShiftModifier : Qt::NoModifier;
            Snapshot before;
            QTest::mouseClick(input, Qt::LeftButton);
            QTest::keyClick(input, f.key, mods);
            QCOMPARE(input->text(), f.text);
            QVERIFY(onlyChanged(before, f.path, f.text.toStdString()));
        }
    }

    void languageComboStoresTheCode()
    {
        SettingWindow& w = shown();
        w.tabs()->setCurrentIndex(GENERAL);
        auto* combo = cell<QComboBox>(w, GENERAL, 1, 1);
        QVERIFY(combo);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("Chinese"));
        QCOMPARE(combo->itemData(0).toString(), QStringLiteral("zh_CN"));
        QCOMPARE(combo->itemText(1), QStringLiteral("English"));
        QCOMPARE(combo->currentIndex(), 0);

        Snapshot before;
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(combo->currentIndex(), 1);
        QVERIFY(onlyChanged(before, "/language", "en_US"));

        // an entry without a code falls back to Chinese
        combo->addItem(QStringLiteral("Unknown"));
        Snapshot fallback;
        combo->setCurrentIndex(2);
        QVERIFY(onlyChanged(fallback, "/language", "zh_CN"));
        combo->removeItem(2);

        auto* file = cell<QLineEdit>(w, GENERAL, 2, 1);
        QVERIFY(file);
        QCOMPARE(file->text(), config().filePath());
        QCOMPARE(file->focusPolicy(), Qt::NoFocus);
    }

    void languageOutsideTheTableShowsTheFirstItem()
    {
        config().set(Config::Language, QStringLiteral("fr_FR"));
        {
            SettingWindow other;
            auto* combo = cell<QComboBox>(other, GENERAL, 1, 1);
            QCOMPARE(combo->currentIndex(), 0);
            QCOMPARE(config().string(Config::Language), QStringLiteral("fr_FR"));
        }
        config().set(Config::Language, QStringLiteral("en_US"));
        SettingWindow english;
        QCOMPARE(cell<QComboBox>(english, GENERAL, 1, 1)->currentIndex(), 1);
    }

    void languageSwitchReachesEveryOpenWindowAtOnce()
    {
        Klipora app;
        SettingWindow* w = app.settingWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* combo = cell<QComboBox>(*w, GENERAL, 1, 1);
        QVERIFY(combo);
        QAction* snip = app.trayMenu()->actions().first();
        QAbstractButton* rectangle = app.screenShoter()->menu()->toolButton(RECTANGLE);
        auto* style = cell<QComboBox>(*w, SCREENSHOT, 3, 2);
        QVERIFY(style);

        struct Expected {
            int index;
            QString snip, appearance, pin, solid, rectangle, tab, ok, red;
        } const languages[] = {
            {0, QStringLiteral("截图"), QStringLiteral("外观："), QStringLiteral("贴图"), QStringLiteral("实线"),
             QStringLiteral("矩形"), QStringLiteral("截图"), QStringLiteral("确定"), QStringLiteral("红(&R)：")},
            {1, QStringLiteral("Snip"), QStringLiteral("Appearance:"), QStringLiteral("Pin"), QStringLiteral("Solid line"),
             QStringLiteral("Rectangle"), QStringLiteral("Screenshot"), QStringLiteral("OK"), QStringLiteral("&Red:")},
        };
        for (const Expected& e : languages) {
            combo->setCurrentIndex(e.index == 0 ? 1 : 0);
            combo->setCurrentIndex(e.index);
            // already built windows and menus, without a restart
            QCOMPARE(snip->text(), e.snip);
            QCOMPARE(cell<QLabel>(*w, SCREENSHOT, 0, 1)->text(), e.appearance);
            QCOMPARE(cell<QLabel>(*w, SHORTCUTS, 2, 1)->text(), e.pin);
            QCOMPARE(style->itemText(Qt::SolidLine), e.solid);
            QCOMPARE(style->count(), 7);
            QCOMPARE(rectangle->toolTip(), e.rectangle);
            QCOMPARE(w->tabs()->tabText(SCREENSHOT), e.tab);

            // the toolkit's own texts follow too
            QString ok;
            whenShown<QMessageBox>([&](QMessageBox* box) {
                ok = box->button(QMessageBox::Ok)->text().remove(QLatin1Char('&'));
                box->button(QMessageBox::Ok)->click();
            });
            QTest::mouseClick(cell<QPushButton>(*w, ABOUT, 2, 1), Qt::LeftButton);
            QTRY_VERIFY(!ok.isEmpty());
            QVERIFY2(ok.startsWith(e.ok), qPrintable(ok));
            auto* colour = cell<ColorDialogButton>(*w, SCREENSHOT, 2, 2);
            QVERIFY(colour);
            QStringList labels;
            for (QLabel* label : colour->dialog()->findChildren<QLabel*>())
                labels << label->text();
            QVERIFY2(labels.contains(e.red), qPrintable(labels.join(QLatin1Char('|'))));
        }
    }

    void folderChooserOpensAtTheCurrentFolder()
    {
        SettingWindow& w = shown();
        for (Page page : {RECORDING, GIF}) {
            w.tabs()->setCurrentIndex(page);
            auto* edit = cell<QLineEdit>(w, page, pathRow(w, page), 2);
            auto* button = cell<QPushButton>(w, page, pathRow(w, page), 3);
            QVERIFY(edit && button);
            QVERIFY(QDir(edit->text()).exists());
            QVERIFY(QDir(edit->text()) != QDir::current());
            QString opened;
            whenShown<QFileDialog>([&](QFileDialog* dialog) {
                opened = dialog->directory().absolutePath();
                dialog->reject();
            });
            QTest::mouseClick(button, Qt::LeftButton);
            QTRY_VERIFY(!opened.isEmpty());
            QCOMPARE(opened, QDir(edit->text()).absolutePath());
        }
    }

    void appearancePagesLineUp()
    {
        SettingWindow& w = shown();
        // the same rows of the three pages start at the same place and have the same width
        for (int row = 0; row < 5; ++row) {
            QList<QRect> labels, controls;
            for (Page page : {SCREENSHOT, RECORDING, GIF}) {
                w.tabs()->setCurrentIndex(page);
                QApplication::processEvents();
                QWidget* label = cell<QWidget>(w, page, row, 1);
                QVERIFY(label);
                labels << label->geometry();
                if (QWidget* control = cell<QWidget>(w, page, row, 2))
                    controls << control->geometry();
            }
            QCOMPARE(labels[1].x(), labels[0].x());
            QCOMPARE(labels[2].x(), labels[0].x());
            if (!controls.isEmpty()) {
                QCOMPARE(controls.size(), 3);
                QCOMPARE(controls[1].x(), controls[0].x());
                QCOMPARE(controls[1].width(), controls[0].width());
                QCOMPARE(controls[2], controls[1]);
            }
        }
    }

    void runOnStartupKeepsTheLoginEntry()
    {
        SettingWindow& w = shown();
        w.tabs()->setCurrentIndex(GENERAL);
        auto* box = cell<QCheckBox>(w, GENERAL, 0, 0);
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("Run on startup"));
        QVERIFY(!box->isChecked());
        QFile::remove(entryPath());
        const QString program = QCoreApplication::applicationFilePath();

        QSignalSpy changed(&config(), &Config::changed);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QVERIFY(box->isChecked());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(config().boolean(Config::AutoRun), true);
        const QByteArray on = readFile(entryPath());
        QVERIFY2(on.contains("\nExec=" + program.toUtf8() + "\n"), on.constData());
        QVERIFY(!on.contains("Hidden=true"));
        QVERIFY(readFile(config().filePath()).contains("\"kliporaautorun\": true"));

        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QVERIFY(!box->isChecked());
        QCOMPARE(changed.count(), 2);
        QCOMPARE(config().boolean(Config::AutoRun), false);
        const QByteArray off = readFile(entryPath());
        QVERIFY2(off.contains("\nHidden=true\n"), off.constData());
        QVERIFY(off.contains("\nExec=" + program.toUtf8() + "\n"));
        QVERIFY(readFile(config().filePath()).contains("\"kliporaautorun\": false"));
    }

    void buildingTheWindowAppliesTheStoredChoiceOnce()
    {
        // stored on, entry left disabled (say, by an older run): building the
        // window turns the entry back on, with one change announced
        config().set(Config::AutoRun, true);
        QVERIFY(autorun::apply(false, QStringLiteral("/old/place/klipora")));
        QSignalSpy changed(&config(), &Config::changed);
        {
            SettingWindow built;
            QCOMPARE(changed.count(), 1);
            QVERIFY(cell<QCheckBox>(built, GENERAL, 0, 0)->isChecked());
            const QByteArray entry = readFile(entryPath());
            QVERIFY(!entry.contains("Hidden=true"));
            QVERIFY(entry.contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + "\n"));
        }
        config().set(Config::AutoRun, false);
        QCOMPARE(changed.count(), 2);
        {
            SettingWindow built;
            QCOMPARE(changed.count(), 3);
            QVERIFY(!cell<QCheckBox>(built, GENERAL, 0, 0)->isChecked());
            QVERIFY(readFile(entryPath()).contains("\nHidden=true\n"));
        }
    }

    void failedLoginEntryIsNotShownAsOn()
    {
        SettingWindow& w = shown();
        w.tabs()->setCurrentIndex(GENERAL);
        auto* box = cell<QCheckBox>(w, GENERAL, 0, 0);
        const QString folder = QFileInfo(entryPath()).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        box->setChecked(false);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QVERIFY(!box->isChecked());
        QCOMPARE(config().boolean(Config::AutoRun), false);
        QVERIFY(QFile::remove(folder));
    }

    void updateButtonShowsItsFixedMessage()
    {
        SettingWindow& w = shown();
        w.tabs()->setCurrentIndex(ABOUT);
        auto* version = cell<QLineEdit>(w, ABOUT, 0, 1);
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral("1.0.1.1932"));
        auto* update = cell<QPushButton>(w, ABOUT, 2, 1);
        QVERIFY(update);
        QCOMPARE(update->text(), QStringLiteral("check update"));

        QString title, text;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        QTest::mouseClick(update, Qt::LeftButton);
        QTRY_COMPARE(text, QStringLiteral("No need to update the current version!"));
        QCOMPARE(title, QStringLiteral("update tips"));
    }

    void aboutLinksOpenInTheDesktopHandler()
    {
        SettingWindow& w = shown();
        w.tabs()->setCurrentIndex(ABOUT);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");

        auto* home = cell<QLabel>(w, ABOUT, 4, 1);
        auto* community = cell<QLabel>(w, ABOUT, 6, 1);
        auto* code = cell<QLabel>(w, ABOUT, 7, 1);
        QVERIFY(home && community && code);
        QCOMPARE(home->objectName(), QStringLiteral("sub-linkurl"));
        QCOMPARE(community->objectName(), QStringLiteral("sub-qqlinkurl"));
        QCOMPARE(code->size(), QSize(48, 48));
        QVERIFY(!code->pixmap(Qt::ReturnByValue).isNull());

        QTRY_VERIFY(home->isVisible());
        QTest::mouseClick(home, Qt::LeftButton, {}, QPoint(6, home->height() / 2));
        QTRY_COMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls[0], QUrl(QString::fromLatin1(SettingWindow::homeUrl())));
        QTest::mouseClick(community, Qt::LeftButton, {}, QPoint(6, community->height() / 2));
        QTRY_COMPARE(catcher.urls.size(), 2);
        QCOMPARE(catcher.urls[1], QUrl(QString::fromLatin1(SettingWindow::communityUrl())));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

        auto* copyright = w.findChild<QLabel*>(QStringLiteral("copyright-label"));
        QVERIFY(copyright);
        QVERIFY(copyright->text().contains(QStringLiteral("Klipora")));
    }

    void titleBarDragsWithTheLeftButtonOnly()
    {
        SettingWindow& w = shown();
        // where the X server has the window, as the user sees it
        const auto placed = [&w] {
            const auto r = testutil::run(QStringLiteral("xdotool"),
                                         {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
                                          QString::number(w.winId())});
            int x = -1, y = -1;
            for (const QByteArray& line : r.out.split('\n')) {
                if (line.startsWith("X="))
                    x = line.mid(2).toInt();
                else if (line.startsWith("Y="))
                    y = line.mid(2).toInt();
            }
            return QPoint(x, y);
        };
        const QPoint start = placed();
        QVERIFY(start.x() >= 0);
        const QPoint grip = start + w.titleBar()->mapTo(&w, QPoint(300, 25));
        const auto xdo = [](const QStringList& args) {
            const auto r = testutil::run(QStringLiteral("xdotool"), args);
            return r.finished && r.exitCode == 0;
        };
        // right button first: it must leave the window where it is, which the
        // left drag after it shows by landing at exactly its own delta
        QVERIFY(xdo({QStringLiteral("mousemove"), QString::number(grip.x()), QString::number(grip.y()),
                     QStringLiteral("mousedown"), QStringLiteral("3"), QStringLiteral("mousemove"),
                     QString::number(grip.x() + 100), QString::number(grip.y() + 80), QStringLiteral("mouseup"),
                     QStringLiteral("3")}));
        QVERIFY(xdo({QStringLiteral("mousemove"), QString::number(grip.x()), QString::number(grip.y()),
                     QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove"),
                     QString::number(grip.x() - 60), QString::number(grip.y() + 40), QStringLiteral("mouseup"),
                     QStringLiteral("1")}));
        QTRY_COMPARE_WITH_TIMEOUT(placed(), start + QPoint(-60, 40), 10000);
    }

    void closeButtonHidesAndTrayEntryShows()
    {
        Klipora app;
        SettingWindow* settings = app.settingWindow();
        QVERIFY(settings);
        QVERIFY(!settings->isVisible());
        QAction* entry = nullptr;
        for (QAction* a : app.trayMenu()->actions())
            if (a->text() == QStringLiteral("Settings"))
                entry = a;
        QVERIFY(entry);
        entry->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(settings));

        QTest::mouseClick(settings->titleBar()->closeButton(), Qt::LeftButton);
        QTRY_VERIFY(!settings->isVisible());
        entry->trigger();
        QTRY_VERIFY(settings->isVisible());
    }

    void recordingSettingsApplyAtOnce()
    {
        Klipora app;
        SettingWindow* settings = app.settingWindow();
        settings->show();
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        ScreenRecorder* recorder = app.screenRecorder();
        GifCapturer* gif = app.gifCapturer();

        settings->tabs()->setCurrentIndex(RECORDING);
        auto* framerate = cell<QSpinBox>(*settings, RECORDING, 7, 2);
        QVERIFY(framerate);
        const int rate = framerate->value();
        QCOMPARE(recorder->framerate(), rate);
        QTest::keyClick(framerate, Qt::Key_Up);
        QCOMPARE(recorder->framerate(), rate + 1);

        auto* width = cell<QSpinBox>(*settings, RECORDING, 1, 2);
        QTest::keyClick(width, Qt::Key_Up);
        QCOMPARE(recorder->borderPen().width(), width->value());

        auto* style = cell<QComboBox>(*settings, RECORDING, 3, 2);
        QTest::keyClick(style, Qt::Key_Home);
        QCOMPARE(recorder->borderPen().style(), Qt::NoPen);
        QTest::keyClick(style, Qt::Key_Down);
        QCOMPARE(recorder->borderPen().style(), Qt::SolidLine);

        auto* mask = cell<ColorDialogButton>(*settings, RECORDING, 4, 2);
        QTest::mouseClick(mask, Qt::LeftButton);
        QTRY_VERIFY(mask->dialog()->isVisible());
        mask->dialog()->setCurrentColor(QColor(1, 2, 3, 100));
        mask->dialog()->accept();
        QCOMPARE(recorder->currentMaskColor(), QColor(1, 2, 3, 100));

        settings->tabs()->setCurrentIndex(GIF);
        auto* gifRate = cell<QSpinBox>(*settings, GIF, 7, 2);
        QTest::keyClick(gifRate, Qt::Key_Down);
        QCOMPARE(gif->framerate(), gifRate->value());
        auto* gifBorder = cell<ColorDialogButton>(*settings, GIF, 2, 2);
        QTest::mouseClick(gifBorder, Qt::LeftButton);
        QTRY_VERIFY(gifBorder->dialog()->isVisible());
        gifBorder->dialog()->setCurrentColor(QColor(200, 100, 50));
        gifBorder->dialog()->accept();
        QCOMPARE(gif->borderPen().color(), QColor(200, 100, 50));
        // the other recorder keeps its own look
        QVERIFY(recorder->borderPen().color() != QColor(200, 100, 50));
    }

    void changedHotkeyWorksAndTheOldOneNoLonger()
    {
        // no window of ours may hold the focus: a key no longer grabbed
        // would land in one of its fields
        window.reset();
        config().set(Config::SnipHotkey, QStringLiteral("F1"));
        config().set(Config::PinHotkey, QStringLiteral("F3"));
        config().set(Config::RecordHotkey, QStringLiteral("Ctrl+Alt+V"));
        config().set(Config::GifHotkey, QStringLiteral("Ctrl+Alt+G"));
        Klipora app;
        QxtGlobalShortcut* snip = nullptr;
        QxtGlobalShortcut* gif = nullptr;
        QxtGlobalShortcut* pin = nullptr;
        for (QxtGlobalShortcut* hotkey : app.findChildren<QxtGlobalShortcut*>()) {
            if (hotkey->shortcut() == QKeySequence(Qt::Key_F1))
                snip = hotkey;
            else if (hotkey->shortcut() == QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_G))
                gif = hotkey;
            else if (hotkey->shortcut() == QKeySequence(Qt::Key_F3))
                pin = hotkey;
        }
        QVERIFY(snip && gif && pin);
        QSignalSpy pinned(pin, &QxtGlobalShortcut::activated);
        QSignalSpy snipped(snip, &QxtGlobalShortcut::activated);
        QSignalSpy gifs(gif, &QxtGlobalShortcut::activated);
        const auto press = [](const QString& keys) {
            const auto r = testutil::run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
            return r.finished && r.exitCode == 0;
        };

        // the stored keys work before anything changes
        QVERIFY(press(QStringLiteral("F1")));
        QTRY_COMPARE(snipped.count(), 1);

        // the user types new keys into the Shortcuts page
        SettingWindow* settings = app.settingWindow();
        settings->show();
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        settings->tabs()->setCurrentIndex(SHORTCUTS);
        auto* snipField = cell<ShortcutInput>(*settings, SHORTCUTS, 1, 2);
        auto* gifField = cell<ShortcutInput>(*settings, SHORTCUTS, 4, 2);
        QVERIFY(snipField && gifField);
        QTest::keyClick(snipField, Qt::Key_F8);
        QTest::keyClick(gifField, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(config().string(Config::SnipHotkey), QStringLiteral("F8"));
        QCOMPARE(config().string(Config::GifHotkey), QStringLiteral("Ctrl+Shift+K"));
        QTRY_VERIFY(readFile(config().filePath()).contains("\"hotkey\": \"Ctrl+Shift+K\""));
        // keys pressed now must reach no field of the window
        settings->close();
        QTRY_VERIFY(!settings->isVisible());

        QVERIFY(press(QStringLiteral("F8")));
        QTRY_COMPARE(snipped.count(), 2);
        QVERIFY(press(QStringLiteral("ctrl+shift+k")));
        QTRY_COMPARE(gifs.count(), 1);
        // The old keys are free again. The unchanged pin key pressed after
        // them is the barrier: once it has arrived, so would they have.
        QVERIFY(press(QStringLiteral("F1")));
        QVERIFY(press(QStringLiteral("ctrl+alt+g")));
        QVERIFY(press(QStringLiteral("F3")));
        QTRY_COMPARE(pinned.count(), 1);
        QCOMPARE(snipped.count(), 2);
        QCOMPARE(gifs.count(), 1);
    }

    void cleanupTestCase()
    {
        window.reset();
    }
};

QTEST_MAIN(TestSettingWindow)
#include "tst_settingwindow.moc"
