// klipora-test: x11
#include <QApplication>
#include <QClipboard>
#include <QDesktopWidget>
#include <QImageReader>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "core/imagewindow.h"
#include "core/qpointformat.h"
#include "core/resources.h"
#include "widgets/iconbutton.h"
#include "klipora.h"
#include "testutil.h"

namespace {

// Generous: the X server, the window manager and this process share two
// busy cores with whatever else runs.
constexpr int WAIT_MS = 30000;

// Every pixel different, so a shifted or scaled copy cannot pass for the original.
QImage patternImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 40 + (y / 256) * 80 + 7));
    return image;
}

// Geometry of a window as the X server has it, asked from another process.
QRect xGeometry(WId id)
{
    const testutil::ProcessResult r = testutil::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(id)});
    if (!r.finished || r.exitCode != 0)
        return QRect();
    const QString out = QString::fromLocal8Bit(r.out);
    const auto field = [&out](const char* name) {
        const QRegularExpression re(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name)));
        return re.match(out).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
}

bool xdotool(const QStringList& args)
{
    const testutil::ProcessResult r = testutil::run(QStringLiteral("xdotool"), args);
    return r.finished && r.exitCode == 0;
}

// The window XTEST keys go to, asked from another process: the toolkit may
// call a window active before the window manager has handed it the focus.
WId xFocus()
{
    const testutil::ProcessResult r = testutil::run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
    return r.finished && r.exitCode == 0 ? WId(QString::fromLatin1(r.out).trimmed().toULongLong()) : WId(0);
}

bool pointAt(const QPoint& p)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
}

bool wheel(int button, int notches)
{
    return xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(notches), QStringLiteral("--delay"),
                    QStringLiteral("15"), QString::number(button)});
}

bool key(const QString& keys)
{
    return xdotool({QStringLiteral("key"), keys});
}

QPointF centreOf(const QRect& r)
{
    return QPointF(r.x() + r.width() / 2.0, r.y() + r.height() / 2.0);
}

bool near(const QPointF& a, const QPointF& b)
{
    return std::abs(a.x() - b.x()) <= 1.0 && std::abs(a.y() - b.y()) <= 1.0;
}

QImage rgb(const QPixmap& p)
{
    return p.toImage().convertToFormat(QImage::Format_RGB32);
}

// What a window asked the tray to tell the user.
struct Message
{
    QString title;
    QString text;
    QSystemTrayIcon::MessageIcon icon;
};

QList<Message>* recordMessages(ImageWindow* w)
{
    auto* list = new QList<Message>;
    QObject::connect(w, &ImageWindow::SHOW_MESSAGE, w,
                     [list](QString title, QString text, QSystemTrayIcon::MessageIcon icon, int) {
                         list->append({title, text, icon});
                     });
    QObject::connect(w, &QObject::destroyed, [list] { delete list; });
    return list;
}

// Fills in the next file dialog that opens, as a user would: notes what it
// shows, picks `path` and accepts. Polls, since the dialog opens in its own
// event loop some time after the key press.
struct DialogSeen
{
    QString title;
    QStringList filters;
    QString proposed;
};

void answerNextFileDialog(const QString& path, DialogSeen* seen, const QString& filter = QString())
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    // only the dialog first seen is answered: one opened later belongs to
    // the next answer, and typing this path into it too would race that one
    auto found = std::make_shared<bool>(false);
    auto answered = std::make_shared<QPointer<QFileDialog>>();
    QObject::connect(timer, &QTimer::timeout, [timer, tries, found, answered, path, seen, filter] {
        QFileDialog* dialog = nullptr;
        if (*found) {
            dialog = answered->data();
        } else {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(top); d && d->isVisible())
                    dialog = d;
        }
        if (!dialog || !dialog->isVisible()) {
            // done once the dialog we answered has gone, or after a long wait;
            // stopped at once, as a later deletion may let another tick run
            if (*found || ++*tries > 3 * WAIT_MS / 50) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        if (!*found) {
            *found = true;
            *answered = dialog;
            seen->title = dialog->windowTitle();
            seen->filters = dialog->nameFilters();
            seen->proposed = dialog->selectedFiles().value(0);
            if (!filter.isEmpty())
                dialog->selectNameFilter(filter);
        }
        // Type the path as a user would (selectFile() leaves a focused name
        // field alone); answer once the dialog reads it back.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        if (dialog->selectedFiles().value(0) == path)
            static_cast<QDialog*>(dialog)->accept();
    });
    timer->start(50);
}

QMenu* visibleMenu(QWidget* owner)
{
    for (QMenu* m : owner->findChildren<QMenu*>())
        if (m->isVisible())
            return m;
    return nullptr;
}

// Clicks a widget's centre with the real pointer.
bool clickOn(QWidget* widget, int button = 1)
{
    const QPoint p = widget->mapToGlobal(widget->rect().center());
    return testutil::movePointer(p) && xdotool({QStringLiteral("click"), QString::number(button)});
}

} // namespace

class TestImageWindow : public QObject
{
    Q_OBJECT

    QList<QPointer<ImageWindow>> windows_;

    // A window placed the way the application object places one.
    ImageWindow* pin(const QImage& image, const QPoint& at)
    {
        auto* w = new ImageWindow;
        windows_ << w;
        w->move(at - QPoint(ImageWindow::MARGIN, ImageWindow::MARGIN));
        if (!w->setImage(QPixmap::fromImage(image)))
            return nullptr;
        if (!QTest::qWaitForWindowExposed(w, WAIT_MS))
            return nullptr;
        return w;
    }

    // Gives a window the keyboard focus for key presses from another process.
    bool focus(ImageWindow* w)
    {
        QElapsedTimer t;
        t.start();
        // asked again now and then: a window manager busy with a closing
        // dialog may drop one activation request
        // the toolkit's active window (w or its toolbar) really has the keys
        const auto focused = [w] {
            const WId x = xFocus(); // may turn the event loop
            const QWidget* active = QApplication::activeWindow();
            return w->isActiveWindow() && active && x == active->winId();
        };
        for (int i = 0; !focused() && t.elapsed() < WAIT_MS; ++i) {
            if (i % 10 == 0) {
                w->raise();
                w->activateWindow();
            }
            QTest::qWait(50);
        }
        return focused();
    }

    QString tmp(const QString& name) const { return QDir(testutil::tempDir()).filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        initResources();
        // Qt's own dialogs, so the test can fill them in like a user.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    void cleanup()
    {
        for (const QPointer<ImageWindow>& w : windows_)
            delete w.data();
        windows_.clear();
        QTest::qWait(50);
    }

    void snipIsPinnedWhereItWasTaken()
    {
        Klipora klipora;
        const QImage image = patternImage(200, 150);
        const QPoint at(300, 200);
        auto* mime = new QMimeData;
        mime->setImageData(image);
        mime->setData(QString::fromLatin1(QPOINT_MIME), encodeQPoint(at));
        QGuiApplication::clipboard()->setMimeData(mime);
        QTRY_COMPARE_WITH_TIMEOUT(klipora.history().size(), size_t(1), WAIT_MS);

        klipora.pinLastImage();
        klipora.pinLastImage(); // the entry stays: a second press pins again
        const QList<ImageWindow*> pinned = klipora.findChildren<ImageWindow*>();
        QCOMPARE(pinned.size(), 2);
        ImageWindow* w = pinned.first();
        QVERIFY(QTest::qWaitForWindowExposed(w, WAIT_MS));
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()), QRect(at - QPoint(10, 10), QSize(220, 170)), WAIT_MS);
        QCOMPARE(w->windowFlags() & (Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
                 Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

        // the glow is painted in the margin, the image inside it
        const QImage painted = w->grab().toImage();
        QCOMPARE(painted.size(), QSize(220, 170));
        const QRgb glow = painted.pixel(5, 85);
        QVERIFY(qAlpha(glow) > 10); // opaque over white where nothing composites
        QVERIFY(qBlue(glow) > qRed(glow));
        QCOMPARE(painted.pixel(10, 10) | 0xff000000, image.pixel(0, 0));
        QCOMPARE(painted.pixel(209, 159) | 0xff000000, image.pixel(199, 149));

        // the image's pixels are on the screen exactly where they were taken
        QTest::qWait(200);
        const QImage onScreen = QGuiApplication::primaryScreen()
                                    ->grabWindow(QApplication::desktop()->winId(), at.x(), at.y(), 200, 150)
                                    .toImage()
                                    .convertToFormat(QImage::Format_RGB32);
        QCOMPARE(onScreen, image);
    }

    void pinningANullImageOpensNothing()
    {
        Klipora klipora;
        klipora.pinImage(QPixmap(), QPoint(10, 10));
        QTRY_COMPARE_WITH_TIMEOUT(klipora.findChildren<ImageWindow*>().size(), 0, WAIT_MS);
    }

    void wheelZoomsAboutTheCentreAndCtrlWheelFades()
    {
        ImageWindow* w = pin(patternImage(200, 150), QPoint(500, 400));
        QVERIFY(w);
        const QRect start = xGeometry(w->winId());
        QCOMPARE(start, QRect(490, 390, 220, 170));
        const QPointF centre = centreOf(start);
        QVERIFY(pointAt(centre.toPoint()));

        QVERIFY(wheel(4, 10));
        QTRY_VERIFY_WITH_TIMEOUT(qFuzzyCompare(w->zoom(), 1.10), WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()).size(), QSize(240, 185), WAIT_MS);
        QVERIFY(near(centreOf(xGeometry(w->winId())), centre));

        // far past the floor: stops at 1%, centre still in place
        QVERIFY(wheel(5, 130));
        QTRY_COMPARE_WITH_TIMEOUT(w->zoom(), ImageWindow::MIN_ZOOM, WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()).size(), QSize(22, 22), WAIT_MS);
        QVERIFY2(near(centreOf(xGeometry(w->winId())), centre), qPrintable(QStringLiteral("%1 %2 vs %3 %4 qt %5,%6").arg(centreOf(xGeometry(w->winId())).x()).arg(centreOf(xGeometry(w->winId())).y()).arg(centre.x()).arg(centre.y()).arg(w->geometry().x()).arg(w->geometry().y())));

        QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl")}));
        const bool turned = wheel(5, 120);
        QVERIFY(xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl")}));
        QVERIFY(turned);
        QTRY_COMPARE_WITH_TIMEOUT(w->opacity(), ImageWindow::MIN_OPACITY, WAIT_MS);
        QVERIFY(std::abs(w->windowOpacity() - 0.01) < 1.0 / 255); // kept in 8 bits
        QCOMPARE(w->zoom(), ImageWindow::MIN_ZOOM); // Ctrl + wheel leaves the zoom alone

        // the menu reads both back, and Recover restores both in one step
        QMenu* menu = w->createContextMenu();
        QStringList texts;
        for (QAction* a : menu->actions())
            texts << a->text();
        QVERIFY(texts.contains(QStringLiteral("Zoom : 1%")));
        QVERIFY(texts.contains(QStringLiteral("Opacity : 1%")));
        QAction* recover = menu->actions().at(10);
        QCOMPARE(recover->text(), QStringLiteral("Recover"));
        recover->trigger();
        delete menu;
        QCOMPARE(w->zoom(), 1.0);
        QCOMPARE(w->opacity(), 1.0);
        QCOMPARE(w->windowOpacity(), 1.0);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()), start, WAIT_MS);
    }

    void contextMenuShowsEntriesAndReadouts()
    {
        ImageWindow* w = pin(patternImage(300, 200), QPoint(200, 150));
        QVERIFY(w);
        // a fine-grained wheel: 0.234 in one event
        QWheelEvent turn(QPointF(50, 50), w->mapToGlobal(QPoint(50, 50)), QPoint(), QPoint(0, 2808), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &turn);
        QVERIFY(qFuzzyCompare(w->zoom(), 1.234));
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()).size(), QSize(370 + 20, 247 + 20), WAIT_MS);

        const QRect g = xGeometry(w->winId());
        QVERIFY(pointAt(g.center()));
        QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("3")}));
        QTRY_VERIFY_WITH_TIMEOUT(visibleMenu(w), WAIT_MS);
        QMenu* menu = visibleMenu(w);
        QStringList texts;
        for (QAction* a : menu->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(texts, QStringList({"Copy image", "Paste image", "-", "Edit", "-", "Open image...", "Save as...", "-",
                                     "Zoom : 123%", "Opacity : 100%", "Recover", "-", "Close"}));
        // opened at the cursor
        QVERIFY((menu->pos() - g.center()).manhattanLength() <= 2);

        // the menu goes away with Escape and is not kept
        QPointer<QMenu> shown = menu;
        QVERIFY(key(QStringLiteral("Escape")));
        QTRY_VERIFY_WITH_TIMEOUT(shown.isNull(), WAIT_MS);
        QVERIFY(!w->findChild<QMenu*>());
        QVERIFY(w->isVisible()); // Escape went to the menu, not the window

        QPointer<ImageWindow> alive = w;
        QMenu* again = w->createContextMenu();
        again->actions().last()->trigger(); // "Close"
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), WAIT_MS);
    }

    void doubleClickFoldsToAThumbnailAndBack()
    {
        const QImage image = patternImage(400, 300);
        ImageWindow* w = pin(image, QPoint(300, 250));
        QVERIFY(w);
        const QRect start = xGeometry(w->winId());
        QCOMPARE(start.size(), QSize(420, 320));
        QVERIFY(pointAt(start.center()));
        QVERIFY(wheel(4, 5));
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()).size(), QSize(440, 335), WAIT_MS);
        const QRect zoomed = xGeometry(w->winId());

        QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                         QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")}));
        QTRY_VERIFY_WITH_TIMEOUT(w->isThumbnail(), WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()).size(), QSize(145, 145), WAIT_MS);
        QVERIFY(near(centreOf(xGeometry(w->winId())), centreOf(zoomed)));

        // the central 125 x 125 of the zoomed image, at (10, 10)
        const QImage scaled = image.scaled(420, 315, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QImage shown = rgb(w->grab());
        QCOMPARE(shown.pixel(10, 10), scaled.pixel(210 - 62, 157 - 62));
        QCOMPARE(shown.pixel(134, 134), scaled.pixel(210 + 62, 157 + 62));

        // Recover does nothing here, and neither does the wheel: its notches
        // come before the double-click back, so they are handled by the time
        // the thumbnail is left
        w->recover();
        QCOMPARE(xGeometry(w->winId()).size(), QSize(145, 145));
        QVERIFY(wheel(4, 3));
        QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                         QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")}));
        QTRY_VERIFY_WITH_TIMEOUT(!w->isThumbnail(), WAIT_MS);
        QVERIFY(qFuzzyCompare(w->zoom(), 1.05));
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()).size(), QSize(440, 335), WAIT_MS);
        QVERIFY(near(centreOf(xGeometry(w->winId())), centreOf(zoomed)));
    }

    void anyButtonDragsTheWindow()
    {
        ImageWindow* w = pin(patternImage(200, 150), QPoint(400, 300));
        QVERIFY(w);
        const QRect start = xGeometry(w->winId());
        for (const char* button : {"2", "1"}) {
            const QRect before = xGeometry(w->winId());
            QVERIFY(pointAt(before.center()));
            QVERIFY(xdotool({QStringLiteral("mousedown"), QLatin1String(button)}));
            QTest::qWait(50);
            QVERIFY(xdotool({QStringLiteral("mousemove_relative"), QStringLiteral("--"), QStringLiteral("25"),
                             QStringLiteral("15")}));
            QTest::qWait(50);
            QVERIFY(xdotool({QStringLiteral("mousemove_relative"), QStringLiteral("--"), QStringLiteral("15"),
                             QStringLiteral("15")}));
            QTest::qWait(50);
            QVERIFY(xdotool({QStringLiteral("mouseup"), QLatin1String(button)}));
            QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()), before.translated(40, 30), WAIT_MS);
        }
        QCOMPARE(xGeometry(w->winId()), start.translated(80, 60));
        QCOMPARE(w->zoom(), 1.0);
    }

    void dragEnterTakesOnlyListedSuffixes()
    {
        ImageWindow* w = pin(patternImage(100, 80), QPoint(100, 100));
        QVERIFY(w);
        const auto accepts = [w](const QString& path) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w, &enter);
            return enter.isAccepted();
        };
        QVERIFY(accepts(QStringLiteral("/tmp/a.png")));
        QVERIFY(accepts(QStringLiteral("/tmp/b.JPG")));
        QVERIFY(accepts(QStringLiteral("/tmp/c.d/e.jpeg")));
        QVERIFY(!accepts(QStringLiteral("/tmp/a.Png")));
        QVERIFY(!accepts(QStringLiteral("/tmp/a.gif")));
        QVERIFY(!accepts(QStringLiteral("/tmp/noSuffix")));
        QVERIFY(!accepts(QStringLiteral("/tmp/png")));

        QMimeData text;
        text.setText(QStringLiteral("/tmp/a.png"));
        QDragEnterEvent plain(QPoint(20, 20), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &plain);
        QVERIFY(!plain.isAccepted());
    }

    void droppedFileIsShownAtFullSize()
    {
        ImageWindow* w = pin(patternImage(100, 80), QPoint(150, 120));
        QVERIFY(w);
        QList<Message>& messages = *recordMessages(w);
        QVERIFY(pointAt(xGeometry(w->winId()).center()));
        QVERIFY(wheel(4, 20));
        QTRY_VERIFY_WITH_TIMEOUT(qFuzzyCompare(w->zoom(), 1.2), WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()).size(), QSize(140, 116), WAIT_MS);
        const QPoint topLeft = xGeometry(w->winId()).topLeft();

        const QImage dropped = patternImage(260, 190);
        const QString path = tmp(QStringLiteral("dropped.png"));
        QVERIFY(dropped.save(path));
        const auto drop = [w](const QString& file) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(file)});
            // as in a real drag: the enter makes the window the drop target
            QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w, &enter);
            QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w, &event);
            return event.isAccepted();
        };
        QVERIFY(drop(path));
        QCOMPARE(w->zoom(), 1.0);
        QCOMPARE(rgb(w->image()), dropped);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()), QRect(topLeft, QSize(280, 210)), WAIT_MS);

        // a corrupt file keeps the pinned image and says so
        const QString bad = tmp(QStringLiteral("corrupt.png"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG but not really");
        f.close();
        QVERIFY(!drop(bad));
        QCOMPARE(rgb(w->image()), dropped);
        QCOMPARE(w->imageSize(), QSize(260, 190));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().icon, QSystemTrayIcon::Warning);
        QVERIFY(messages.first().text.contains(QStringLiteral("corrupt.png")));
    }

    void escapeClosesOnlyTheFocusedWindow()
    {
        QPointer<ImageWindow> first = pin(patternImage(120, 90), QPoint(100, 100));
        QPointer<ImageWindow> second = pin(patternImage(120, 90), QPoint(600, 400));
        QVERIFY(first && second);
        QVERIFY(focus(first));
        QVERIFY(key(QStringLiteral("Escape")));
        QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), WAIT_MS);
        QVERIFY(second);
        QVERIFY(second->isVisible());
        const testutil::ProcessResult info =
            testutil::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(second->winId())});
        QVERIFY(info.out.contains("IsViewable"));
    }

    void pasteAndOpenReplaceOnlyWithARealImage()
    {
        ImageWindow* w = pin(patternImage(150, 100), QPoint(300, 300));
        QVERIFY(w);
        QVERIFY(focus(w));
        const QImage original = rgb(w->image());
        const QPoint topLeft = xGeometry(w->winId()).topLeft();

        QShortcut* pasteKey = nullptr;
        for (QShortcut* sc : w->findChildren<QShortcut*>())
            if (sc->key() == QKeySequence(QStringLiteral("Ctrl+V")))
                pasteKey = sc;
        QVERIFY(pasteKey);
        QSignalSpy pastes(pasteKey, &QShortcut::activated);
        QGuiApplication::clipboard()->setText(QStringLiteral("just some words"));
        QVERIFY(key(QStringLiteral("ctrl+v")));
        QTRY_COMPARE_WITH_TIMEOUT(pastes.size(), 1, WAIT_MS);
        QCOMPARE(rgb(w->image()), original);
        QCOMPARE(xGeometry(w->winId()), QRect(topLeft, QSize(170, 120)));

        const QImage pasted = patternImage(90, 60);
        QGuiApplication::clipboard()->setImage(pasted);
        QVERIFY(key(QStringLiteral("ctrl+v")));
        QTRY_COMPARE_WITH_TIMEOUT(w->imageSize(), QSize(90, 60), WAIT_MS);
        QCOMPARE(rgb(w->image()), pasted);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()), QRect(topLeft, QSize(110, 80)), WAIT_MS);

        QList<Message>& messages = *recordMessages(w);
        QVERIFY(!w->openFile(tmp(QStringLiteral("missing.png"))));
        QCOMPARE(rgb(w->image()), pasted);
        QCOMPARE(messages.size(), 1);

        // the open dialog, filled in as a user would
        const QImage opened = patternImage(64, 48);
        const QString path = tmp(QStringLiteral("opened.bmp"));
        QVERIFY(opened.save(path));
        DialogSeen seen;
        answerNextFileDialog(path, &seen);
        QVERIFY(key(QStringLiteral("ctrl+o")));
        QTRY_COMPARE_WITH_TIMEOUT(w->imageSize(), QSize(64, 48), WAIT_MS);
        QCOMPARE(seen.title, QStringLiteral("Open Image"));
        QCOMPARE(seen.filters, QStringList{QStringLiteral("Image Files(*.png *.jpg *.jpeg *.bmp)")});
        QCOMPARE(rgb(w->image()), opened);
    }

    void copyPutsTheUnzoomedImageOnTheClipboard()
    {
        const QImage image = patternImage(180, 120);
        ImageWindow* w = pin(image, QPoint(250, 200));
        QVERIFY(w);
        QVERIFY(pointAt(xGeometry(w->winId()).center()));
        QVERIFY(wheel(4, 15));
        QTRY_VERIFY_WITH_TIMEOUT(qFuzzyCompare(w->zoom(), 1.15), WAIT_MS);
        QVERIFY(focus(w));
        QVERIFY(key(QStringLiteral("ctrl+c")));
        QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::clipboard()->ownsClipboard(), WAIT_MS);

        const testutil::ProcessResult r = testutil::run(
            QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                      QStringLiteral("image/png"), QStringLiteral("-o")});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 0);
        const QImage back = QImage::fromData(r.out, "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(back.size(), QSize(180, 120));
        QCOMPARE(back, image);
    }

    void saveWritesTheChosenFormatAndReportsFailure()
    {
        const QImage image = patternImage(120, 80);
        ImageWindow* w = pin(image, QPoint(200, 200));
        QVERIFY(w);
        QVERIFY(pointAt(xGeometry(w->winId()).center()));
        QVERIFY(wheel(4, 10));
        QTRY_VERIFY_WITH_TIMEOUT(qFuzzyCompare(w->zoom(), 1.1), WAIT_MS);
        QVERIFY(focus(w));

        // Ctrl+S opens the dialog with the proposed name; the user picks JPEG
        const QString jpeg = tmp(QStringLiteral("saved.jpg"));
        DialogSeen seen;
        answerNextFileDialog(jpeg, &seen);
        QVERIFY(key(QStringLiteral("ctrl+s")));
        QTRY_VERIFY2_WITH_TIMEOUT(QFile::exists(jpeg), qPrintable(QStringLiteral("dialog seen: '%1'").arg(seen.title)), WAIT_MS);
        QCOMPARE(seen.title, QStringLiteral("Save Image"));
        QCOMPARE(seen.filters, QStringList({"PNG(*.png)", "JPEG(*.jpg *.jpeg)", "BMP(*.bmp)"}));
        QVERIFY2(QRegularExpression(QStringLiteral("/Klipora_picture_\\d{8}_\\d{6}_\\d{3}\\.png$")).match(seen.proposed).hasMatch(),
                 qPrintable(seen.proposed));
        QImageReader reader(jpeg);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), QSize(120, 80)); // unzoomed

        // a bare name gets the extension of the chosen filter
        const QString bare = tmp(QStringLiteral("bare"));
        DialogSeen again;
        answerNextFileDialog(bare, &again, QStringLiteral("JPEG(*.jpg *.jpeg)"));
        // Ctrl+S itself was seen above; a second XTEST key right after a
        // dialog races the window manager's focus hand-back, so this save
        // comes the way the context menu's "Save as..." calls it
        QMetaObject::invokeMethod(w, "saveAs", Qt::QueuedConnection);
        QTRY_VERIFY2_WITH_TIMEOUT(!again.title.isEmpty(), "no dialog", WAIT_MS);
        QTRY_VERIFY2_WITH_TIMEOUT(QFile::exists(bare + QStringLiteral(".jpg")),
                                  qPrintable(QStringLiteral("dialog seen: '%1'").arg(again.title)), WAIT_MS);
        QVERIFY(!QFile::exists(bare));
        QImageReader bareReader(bare + QStringLiteral(".jpg"));
        QCOMPARE(bareReader.format(), QByteArray("jpeg"));
        QCOMPARE(bareReader.size(), QSize(120, 80));

        QList<Message>& messages = *recordMessages(w);
        QVERIFY(w->saveTo(tmp(QStringLiteral("saved.bmp"))));
        QCOMPARE(QImage(tmp(QStringLiteral("saved.bmp"))).convertToFormat(QImage::Format_RGB32), image);
        QCOMPARE(messages.size(), 0);

        const QString nowhere = tmp(QStringLiteral("no/such/folder/x.png"));
        QVERIFY(!w->saveTo(nowhere));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().title, QStringLiteral("Klipora<PICTURE>"));
        QVERIFY(messages.first().text.contains(QStringLiteral("x.png")));
        QCOMPARE(messages.first().icon, QSystemTrayIcon::Critical);
        QVERIFY(!QFile::exists(nowhere));
    }

    void editShowsTheToolbarUnderTheImageAndBlocksTheMouse()
    {
        // far enough right for the whole toolbar to fit right-aligned under it
        ImageWindow* w = pin(patternImage(300, 200), QPoint(700, 150));
        QVERIFY(w);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(w->winId()), QRect(690, 140, 320, 220), WAIT_MS);

        // "Edit" from the context menu, clicked as a user would
        QVERIFY(pointAt(QPoint(850, 250)));
        QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("3")}));
        QTRY_VERIFY_WITH_TIMEOUT(visibleMenu(w), WAIT_MS);
        QMenu* menu = visibleMenu(w);
        QAction* edit = menu->actions().at(3);
        QCOMPARE(edit->text(), QStringLiteral("Edit"));
        QVERIFY(edit->isEnabled());
        QVERIFY(testutil::movePointer(menu->mapToGlobal(menu->actionGeometry(edit).center())));
        QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));

        ImageEditMenu* bar = w->editMenu();
        QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), WAIT_MS);
        QVERIFY(w->isEditing());
        QVERIFY(bar->width() > 300); // the whole row, not a default-sized box
        // right end one pixel short of the image's right edge (999), top 5
        // pixels under its last row (349)
        const QRect expected(QPoint(1009 - 10 - bar->width(), 359 + 5 - 10), bar->size());
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(bar->winId()), expected, WAIT_MS);
        QVERIFY(!bar->submenusAbove());

        // the wheel and a drag leave the window alone while editing
        QVERIFY(pointAt(QPoint(850, 250)));
        QVERIFY(wheel(4, 5));
        QVERIFY(xdotool({QStringLiteral("mousedown"), QStringLiteral("1")}));
        QVERIFY(pointAt(QPoint(920, 300)));
        QVERIFY(xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}));
        QTest::qWait(300);
        QCOMPARE(w->zoom(), 1.0);
        QCOMPARE(xGeometry(w->winId()), QRect(690, 140, 320, 220));

        // a tool's option menu opens below the toolbar
        QVERIFY(clickOn(bar->toolButton(RECTANGLE)));
        EditMenu* options = bar->optionMenu(RECTANGLE);
        QTRY_VERIFY_WITH_TIMEOUT(options->isVisible(), WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(options->winId()).topLeft(),
                                  expected.topLeft() + QPoint(0, bar->height() + 3), WAIT_MS);

        // moving the window takes the toolbar and its open menu along
        w->move(w->pos() + QPoint(40, 30));
        const QPoint moved = expected.topLeft() + QPoint(40, 30);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(bar->winId()).topLeft(), moved, WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(xGeometry(options->winId()).topLeft(), moved + QPoint(0, bar->height() + 3), WAIT_MS);

        // exit hides the toolbar and gives the mouse back
        QVERIFY(clickOn(bar->exitButton()));
        QTRY_VERIFY_WITH_TIMEOUT(!bar->isVisible(), WAIT_MS);
        QVERIFY(!options->isVisible());
        QVERIFY(!w->isEditing());
        QVERIFY(pointAt(xGeometry(w->winId()).center()));
        QVERIFY(wheel(4, 5));
        QTRY_VERIFY_WITH_TIMEOUT(qFuzzyCompare(w->zoom(), 1.05), WAIT_MS);

        // no toolbar for a thumbnail
        QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("1")}));
        QTRY_VERIFY_WITH_TIMEOUT(w->isThumbnail(), WAIT_MS);
        w->edit();
        QVERIFY(!w->isEditing());
        QTest::qWait(200);
        QVERIFY(!bar->isVisible());
    }

    void toolbarSaveWritesTheImageAndCloseTakesTheToolbar()
    {
        const QImage image = patternImage(160, 90);
        ImageWindow* w = pin(image, QPoint(300, 300));
        QVERIFY(w);
        w->edit();
        ImageEditMenu* bar = w->editMenu();
        QVERIFY(QTest::qWaitForWindowExposed(bar, WAIT_MS));

        const QString png = tmp(QStringLiteral("from-toolbar.png"));
        DialogSeen seen;
        answerNextFileDialog(png, &seen);
        QVERIFY(clickOn(bar->saveButton()));
        QTRY_VERIFY2_WITH_TIMEOUT(QFile::exists(png), qPrintable(seen.title), WAIT_MS);
        QCOMPARE(seen.title, QStringLiteral("Save Image"));
        QTRY_COMPARE_WITH_TIMEOUT(QImage(png).convertToFormat(QImage::Format_RGB32), image, WAIT_MS);
        QVERIFY(w->isEditing()); // saving does not end editing

        // Escape still closes the window, and its toolbar goes with it
        QPointer<ImageWindow> alive = w;
        QVERIFY(focus(w));
        QVERIFY(key(QStringLiteral("Escape")));
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), WAIT_MS);
    }

    void toolbarStaysOnTheScreen()
    {
        using imagewindow::toolbarPlace;
        const QRect screen(0, 0, 1920, 1080);
        const QSize bar(500, 35);
        // room below: under the image, right-aligned, menus below
        auto place = toolbarPlace(QRect(190, 140, 320, 220), QSize(200, 35), screen);
        QCOMPARE(place.pos, QPoint(509 - 10 - 200, 359 - 5));
        QVERIFY(!place.submenusAbove);
        // a full-screen pin: the toolbar moves up onto the screen, menus above
        place = toolbarPlace(QRect(-10, -10, 1940, 1100), bar, screen);
        QCOMPARE(place.pos, QPoint(1929 - 10 - 500, 1080 - 35));
        QVERIFY(place.submenusAbove);
        // a small image near the left edge: the toolbar is not cut off
        place = toolbarPlace(QRect(-5, 100, 120, 80), bar, screen);
        QCOMPARE(place.pos.x(), 0);
        QVERIFY(!place.submenusAbove);
    }

    void failedSaveReachesTheTray()
    {
        Klipora klipora;
        klipora.pinImage(QPixmap::fromImage(patternImage(60, 40)), QPoint(50, 50));
        ImageWindow* w = klipora.findChild<ImageWindow*>();
        QVERIFY(w);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("x\\.png")));
        QVERIFY(!w->saveTo(tmp(QStringLiteral("no/such/x.png"))));
    }
};

QTEST_MAIN(TestImageWindow)
#include "tst_imagewindow.moc"
