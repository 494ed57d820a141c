// klipora-test: x11
#include <QApplication>
#include <QBuffer>
#include <QColorDialog>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QImageReader>
#include <QMenu>
#include <QScreen>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "core/packedimage.h"
#include "core/resources.h"
#include "klipora.h"
#include "snip/magnifier.h"
#include "snip/screenshoter.h"
#include "snip/textedit.h"
#include "snip/tools/countertool.h"
#include "testutil.h"
#include "widgets/colordialogbutton.h"
#include "widgets/erasemenu.h"
#include "widgets/iconbutton.h"
#include "widgets/imageeditmenu.h"
#include "widgets/widthbutton.h"

Q_DECLARE_METATYPE(QSystemTrayIcon::MessageIcon)

namespace {

// A colour for every desktop pixel that differs from its neighbours, so a
// pixel of a snip tells where on the screen it came from.
QColor patternAt(int x, int y)
{
    return QColor(x % 256, y % 256, ((x / 256) * 40 + (y / 256) * 30) % 256);
}

QString num(int v)
{
    return QString::number(v);
}

// Real input through XTEST, as a user's mouse and keyboard give it.
bool xdo(const QStringList& args)
{
    return testutil::run(QStringLiteral("xdotool"), args).exitCode == 0;
}

bool realDrag(const QPoint& from, const QPoint& to)
{
    const QPoint mid = (from + to) / 2;
    return xdo({ "mousemove", num(from.x()), num(from.y()), "mousedown", "1", "mousemove", num(mid.x()),
                 num(mid.y()), "mousemove", num(to.x()), num(to.y()), "mouseup", "1" });
}

bool realClick(QWidget* w)
{
    const QPoint c = w->mapToGlobal(w->rect().center());
    return xdo({ "mousemove", num(c.x()), num(c.y()), "click", "1" });
}

// Synthetic input straight to the overlay for the finer cases.
void mouse(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButtons buttons,
           Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void hover(QWidget* w, const QPoint& p)
{
    mouse(w, QEvent::MouseMove, p, Qt::NoButton);
}

void drag(QWidget* w, const QPoint& from, const QPoint& to, int steps = 4)
{
    hover(w, from); // a real press always follows a move to its place
    mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= steps; ++i)
        mouse(w, QEvent::MouseMove, from + (to - from) * i / steps, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton, Qt::LeftButton);
}

void click(QWidget* w, const QPoint& p)
{
    mouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, p, Qt::NoButton, Qt::LeftButton);
}

void wheel(QWidget* w, int notches)
{
    const QPoint p(400, 400);
    QWheelEvent e(QPointF(p), QPointF(w->mapToGlobal(p)), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

QByteArray clipboardAs(const QString& type)
{
    return testutil::run(QStringLiteral("xclip"), { "-selection", "clipboard", "-t", type, "-o" }).out;
}

QImage canvasImage(ScreenShoter& s)
{
    return s.canvas().toImage().convertToFormat(QImage::Format_RGB32);
}

// The overlay's faint tint inside the selection may move a channel by one.
bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 && qAbs(a.blue() - b.blue()) <= 2;
}

bool isRed(const QColor& c)
{
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

// How much of a window the screen really shows: its own rendering against
// the pixels at its place on the root window.
double shareOnScreen(QWidget* w)
{
    const QRect g = w->geometry();
    const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, g.x(), g.y(), g.width(), g.height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    int same = 0, all = 0;
    for (int y = 0; y < own.height() && y < screen.height(); y += 4)
        for (int x = 0; x < own.width() && x < screen.width(); x += 4, ++all)
            same += own.pixel(x, y) == screen.pixel(x, y);
    return all ? double(same) / all : 0.0;
}

QFileDialog* visibleFileDialog()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QFileDialog*>(top); d && d->isVisible())
            return d;
    return nullptr;
}

} // namespace

class TestScreenShoter : public QObject
{
    Q_OBJECT

    std::unique_ptr<testutil::PatternWindow> background;
    std::unique_ptr<ScreenShoter> shoter;
    QStringList asked;
    QString answer;
    QString filter;

    // Starts a capture and drags out the selection with synthetic input.
    void startWithSelection(const QRect& r)
    {
        startOverlay();
        drag(shoter.get(), r.topLeft(), r.bottomRight());
        QCOMPARE(shoter->currentStatus(), int(Selector::CAPTURED));
        QCOMPARE(shoter->selectedRect(), r);
    }

    // The known content is this process's own window: it must have painted
    // again where the last overlay was before the next grab.
    void startOverlay()
    {
        QApplication::processEvents();
        background->repaint();
        shoter->start();
        QTRY_VERIFY_WITH_TIMEOUT(shoter->isVisible(), 5000);
        QTest::qWait(200); // the keyboard grab is taken once the window is viewable
    }

    void chooseTool(Graph t)
    {
        IconButton* b = shoter->menu()->toolButton(t);
        if (!b->isChecked())
            b->click();
        QVERIFY(b->isChecked());
    }

private slots:
    void initTestCase()
    {
        initResources();
        qRegisterMetaType<QSystemTrayIcon::MessageIcon>();
        QVERIFY(testutil::haveX11());
        background = std::make_unique<testutil::PatternWindow>(patternAt);
        background->show();
        QVERIFY(QTest::qWaitForWindowExposed(background.get(), 10000));
        QTest::qWait(300);
    }

    void init()
    {
        shoter = std::make_unique<ScreenShoter>();
        asked.clear();
        answer.clear();
        filter.clear();
        shoter->setSaveNameProvider([this](const QString& proposed, QString* chosenFilter) {
            asked << proposed;
            *chosenFilter = filter;
            return answer;
        });
    }

    void cleanup()
    {
        if (shoter && shoter->isVisible())
            shoter->exit();
        shoter.reset();
    }

    void wholeRoadWithRealInput()
    {
        // Through the application object, as the tray entry starts it.
        shoter.reset();
        Klipora app;
        ScreenShoter* s = app.screenShoter();
        QVERIFY(s);
        QAction* snip = app.trayMenu()->actions().first();
        QCOMPARE(snip->text(), QStringLiteral("Snip"));
        snip->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s->isVisible(), 5000);
        QTest::qWait(300);

        QVERIFY(realDrag(QPoint(120, 45), QPoint(520, 345)));
        QTRY_COMPARE_WITH_TIMEOUT(s->currentStatus(), int(Selector::CAPTURED), 5000);
        QCOMPARE(s->selectedRect(), QRect(QPoint(120, 45), QPoint(520, 345)));
        QTRY_VERIFY_WITH_TIMEOUT(s->menu()->isVisible(), 5000);
        // Right-aligned under the selection, unless that would push it off the
        // screen's left edge.
        QVERIFY(s->menu()->width() > 401);
        QCOMPARE(s->menu()->x(), 0);
        QCOMPARE(s->menu()->y(), 345 + 3);

        QVERIFY(realClick(s->menu()->toolButton(RECTANGLE)));
        QTRY_COMPARE_WITH_TIMEOUT(s->currentStatus(), int(Selector::LOCKED), 5000);
        QVERIFY(realDrag(QPoint(200, 100), QPoint(300, 200)));
        QTRY_COMPARE_WITH_TIMEOUT(int(s->undoStack().size()), 1, 5000);

        QVERIFY(realClick(s->menu()->toolButton(ARROW)));
        QTRY_VERIFY_WITH_TIMEOUT(s->menu()->toolButton(ARROW)->isChecked(), 5000);
        QVERIFY(realDrag(QPoint(250, 250), QPoint(400, 300)));
        QTRY_COMPARE_WITH_TIMEOUT(int(s->undoStack().size()), 2, 5000);

        QVERIFY(xdo({ "key", "Return" }));
        QTRY_VERIFY_WITH_TIMEOUT(!s->isVisible(), 5000);
        QCOMPARE(s->currentStatus(), int(Selector::IDLE));

        const QImage image = QImage::fromData(clipboardAs("image/png"), "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(401, 301));
        // Untouched pixels are the screen's, exactly.
        for (int y = 0; y < 301; y += 20) {
            for (int x = 0; x < 401; x += 25) {
                const QPoint g(120 + x, 45 + y);
                if (QRect(190, 90, 120, 120).contains(g) || QRect(240, 220, 170, 100).contains(g))
                    continue;
                QCOMPARE(image.pixelColor(x, y), patternAt(g.x(), g.y()));
            }
        }
        // The rectangle's edges and the arrow's head are red; the rectangle is not filled.
        QVERIFY(isRed(image.pixelColor(200 - 120, 150 - 45)));
        QVERIFY(isRed(image.pixelColor(250 - 120, 100 - 45)));
        QVERIFY(isRed(image.pixelColor(300 - 120, 150 - 45)));
        QCOMPARE(image.pixelColor(250 - 120, 150 - 45), patternAt(250, 150));
        QVERIFY(isRed(image.pixelColor(389 - 120, 296 - 45)));
        QVERIFY(isRed(image.pixelColor(325 - 120, 275 - 45))); // on the shaft

        QCOMPARE(clipboardAs("application/qpoint").toHex(' '), QByteArray("78 00 00 00 2d 00 00 00"));

        // The application object took its own snip as a positioned entry.
        QTRY_VERIFY_WITH_TIMEOUT(!app.history().empty(), 5000);
        QCOMPARE(app.history().back().position, QPoint(120, 45));
        QCOMPARE(app.history().back().image.size(), QSize(401, 301));
        QCOMPARE(int(s->history().size()), 1);
    }

    void newToolsWithRealInput()
    {
        startOverlay();
        QVERIFY(realDrag(QPoint(100, 100), QPoint(600, 450)));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::CAPTURED), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shoter->menu()->isVisible(), 5000);

        // counters: 1, 2; undo the 2, and the next click is a 2 again
        QVERIFY(realClick(shoter->menu()->toolButton(COUNTER)));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::LOCKED), 5000);
        QVERIFY(xdo({ "mousemove", "150", "150", "click", "1" }));
        QTRY_COMPARE_WITH_TIMEOUT(int(shoter->undoStack().size()), 1, 5000);
        QVERIFY(xdo({ "mousemove", "220", "150", "click", "1" }));
        QTRY_COMPARE_WITH_TIMEOUT(int(shoter->undoStack().size()), 2, 5000);
        QVERIFY(xdo({ "key", "ctrl+z" }));
        QTRY_COMPARE_WITH_TIMEOUT(int(shoter->undoStack().size()), 1, 5000);
        QVERIFY(xdo({ "mousemove", "300", "150", "click", "1" }));
        QTRY_COMPARE_WITH_TIMEOUT(int(shoter->undoStack().size()), 2, 5000);
        QCOMPARE(CounterTool::number(*shoter->undoStack().top()), 2);

        // a highlighter stroke across, and a blur over the pattern's seam at x = 512
        QVERIFY(realClick(shoter->menu()->toolButton(HIGHLIGHTER)));
        QTRY_VERIFY_WITH_TIMEOUT(shoter->menu()->toolButton(HIGHLIGHTER)->isChecked(), 5000);
        QVERIFY(realDrag(QPoint(150, 250), QPoint(450, 250)));
        QTRY_COMPARE_WITH_TIMEOUT(int(shoter->undoStack().size()), 3, 5000);
        QVERIFY(realClick(shoter->menu()->toolButton(BLUR)));
        QTRY_VERIFY_WITH_TIMEOUT(shoter->menu()->toolButton(BLUR)->isChecked(), 5000);
        QVERIFY(realDrag(QPoint(450, 320), QPoint(580, 430)));
        QTRY_COMPARE_WITH_TIMEOUT(int(shoter->undoStack().size()), 4, 5000);
        // the overlay shows them as they will be copied
        QTRY_VERIFY_WITH_TIMEOUT(isRed(testutil::screenPixel(QPoint(143, 150))), 5000);

        QVERIFY(xdo({ "key", "Return" }));
        QTRY_VERIFY_WITH_TIMEOUT(!shoter->isVisible(), 5000);
        const QImage image = QImage::fromData(clipboardAs("image/png"), "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(501, 351));
        if (const QString dir = qEnvironmentVariable("KLIPORA_TEST_SHOTS"); !dir.isEmpty())
            image.save(QDir(dir).filePath("new-tools.png"));
        const auto at = [&](int x, int y) { return image.pixelColor(x - 100, y - 100); };

        // discs where clicked, none where the undone one was
        QVERIFY(isRed(at(143, 150)));
        QVERIFY(isRed(at(293, 150)));
        QCOMPARE(at(213, 150), patternAt(213, 150));
        QCOMPARE(at(150, 175), patternAt(150, 175));

        // the marker multiplies: red stays, blue drops to about a third
        for (int x = 200; x <= 400; x += 50) {
            const QColor was = patternAt(x, 250);
            const QColor now = at(x, 250);
            QVERIFY(qAbs(now.red() - was.red()) <= 3);
            QVERIFY(now.green() <= was.green() + 2);
            QVERIFY2(now.blue() < was.blue() / 2 + 6, qPrintable(QString::number(x)));
        }
        QCOMPARE(at(300, 280), patternAt(300, 280));

        // the seam, a step of 255 in red, is smoothed out; away from the blur it stays
        QCOMPARE(patternAt(511, 380).red() - patternAt(512, 380).red(), 255);
        QVERIFY2(qAbs(at(511, 380).red() - at(512, 380).red()) < 40,
                 qPrintable(QString::number(at(511, 380).red() - at(512, 380).red())));
        QCOMPARE(at(511, 440), patternAt(511, 440));
        QCOMPARE(int(shoter->history().back().commands.size()), 4);
    }

    void clicksThatDrawNothingLeaveNoMarks()
    {
        startOverlay();
        QVERIFY(realDrag(QPoint(100, 100), QPoint(600, 500)));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::CAPTURED), 5000);
        // the magnifier went with the release, before any further move
        QTRY_VERIFY_WITH_TIMEOUT(!shoter->magnifier()->isVisible(), 5000);
        QVERIFY(realClick(shoter->menu()->toolButton(RECTANGLE)));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::LOCKED), 5000);
        QVERIFY(realDrag(QPoint(150, 150), QPoint(250, 250)));
        QTRY_COMPARE_WITH_TIMEOUT(int(shoter->undoStack().size()), 1, 5000);

        // three clicks in place: each leaves a one-pixel command until the next press drops it
        const QPoint spots[] = { QPoint(400, 200), QPoint(450, 300), QPoint(500, 400) };
        for (const QPoint& p : spots) {
            QVERIFY(xdo({ "mousemove", num(p.x()), num(p.y()), "click", "1" }));
            QTRY_VERIFY_WITH_TIMEOUT(shoter->current() && shoter->current()->rect().topLeft() == p, 5000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(int(shoter->undoStack().size()), 2, 5000);
        // what the overlay shows: no dot at the earlier spots
        QTRY_VERIFY_WITH_TIMEOUT(near(testutil::screenPixel(spots[0]), patternAt(400, 200)), 5000);
        QVERIFY(near(testutil::screenPixel(spots[1]), patternAt(450, 300)));

        QVERIFY(xdo({ "key", "Return" }));
        QTRY_VERIFY_WITH_TIMEOUT(!shoter->isVisible(), 5000);
        const QImage image = QImage::fromData(clipboardAs("image/png"), "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(501, 401));
        for (const QPoint& p : spots) {
            for (const QPoint& d : { QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(-1, 0), QPoint(0, -1) }) {
                const QPoint g = p + d;
                QCOMPARE(image.pixelColor(g - QPoint(100, 100)), patternAt(g.x(), g.y()));
            }
        }
        // the real rectangle is there
        QVERIFY(isRed(image.pixelColor(150 - 100, 200 - 100)));
        // the last click's empty command went with the copy
        QCOMPARE(int(shoter->history().back().commands.size()), 1);
    }

    void escapeAndShortcutsWhileAnnotating()
    {
        QVERIFY(testutil::run("xclip", { "-selection", "clipboard", "-i" }, 10000, "before").exitCode == 0);
        QTRY_COMPARE_WITH_TIMEOUT(clipboardAs("UTF8_STRING"), QByteArray("before"), 5000);

        QSignalSpy fixes(shoter.get(), &ScreenShoter::FIX_IMAGE);
        answer = QDir(testutil::tempDir()).filePath("never.png");
        startOverlay();
        QVERIFY(realDrag(QPoint(300, 300), QPoint(700, 600)));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::CAPTURED), 5000);
        QVERIFY(realClick(shoter->menu()->toolButton(PENCIL)));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::LOCKED), 5000);
        QVERIFY(realDrag(QPoint(350, 350), QPoint(500, 420)));
        QTRY_COMPARE_WITH_TIMEOUT(int(shoter->undoStack().size()), 1, 5000);

        // Save and pin keys belong to the captured state only.
        QVERIFY(xdo({ "key", "ctrl+s", "p" }));
        QTest::qWait(500);
        QVERIFY(asked.isEmpty());
        QCOMPARE(fixes.count(), 0);
        QVERIFY(shoter->isVisible());

        QVERIFY(xdo({ "key", "Escape" }));
        QTRY_VERIFY_WITH_TIMEOUT(!shoter->isVisible(), 5000);
        QCOMPARE(clipboardAs("UTF8_STRING"), QByteArray("before"));
        QVERIFY(shoter->history().empty());
        QVERIFY(shoter->undoStack().commands().empty());
        QVERIFY(!shoter->menu()->isVisible());
    }

    void keysInCapturedStateAndToolbarButtons()
    {
        QSignalSpy fixes(shoter.get(), &ScreenShoter::FIX_IMAGE);
        QSignalSpy messages(shoter.get(), &ScreenShoter::SHOW_MESSAGE);

        // P in the captured state pins.
        startWithSelection(QRect(QPoint(10, 20), QPoint(109, 69)));
        QVERIFY(xdo({ "key", "p" }));
        QTRY_COMPARE_WITH_TIMEOUT(fixes.count(), 1, 5000);
        QCOMPARE(fixes.count(), 1);
        QCOMPARE(fixes.last().at(1).toPoint(), QPoint(10, 20));
        QCOMPARE(fixes.last().at(0).value<QPixmap>().size(), QSize(100, 50));
        QVERIFY(!shoter->isVisible());

        // The toolbar's pin works while annotating.
        startWithSelection(QRect(QPoint(200, 200), QPoint(399, 299)));
        chooseTool(RECTANGLE);
        drag(shoter.get(), QPoint(220, 220), QPoint(260, 260));
        QTest::mouseClick(shoter->menu()->pinButton(), Qt::LeftButton);
        QCOMPARE(fixes.count(), 2);
        const QImage pinned = fixes.last().at(0).value<QPixmap>().toImage();
        QCOMPARE(pinned.size(), QSize(200, 100));
        QVERIFY(isRed(pinned.pixelColor(20, 40)));
        QVERIFY(!shoter->isVisible());
        QVERIFY(!shoter->menu()->toolButton(RECTANGLE)->isChecked());

        // The toolbar's save works while annotating.
        answer = QDir(testutil::tempDir()).filePath("toolbar.png");
        startWithSelection(QRect(QPoint(50, 50), QPoint(149, 149)));
        chooseTool(ELLIPSE);
        drag(shoter.get(), QPoint(60, 60), QPoint(120, 120));
        QTest::mouseClick(shoter->menu()->saveButton(), Qt::LeftButton);
        QCOMPARE(asked.size(), 1);
        QVERIFY(QFileInfo(asked.first()).fileName().startsWith("Klipora_picture_"));
        QVERIFY(asked.first().endsWith(".png"));
        QCOMPARE(QImage(answer).size(), QSize(100, 100));
        QCOMPARE(messages.last().at(1).toString(), QStringLiteral("Path: ") + answer);
        QVERIFY(!shoter->isVisible());

        // Ctrl+S in the captured state saves; a cancelled dialog leaves the overlay as it was.
        answer.clear();
        startWithSelection(QRect(QPoint(50, 50), QPoint(149, 149)));
        QVERIFY(xdo({ "key", "ctrl+s" }));
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 2, 5000);
        QVERIFY(shoter->isVisible());
        QCOMPARE(shoter->currentStatus(), int(Selector::CAPTURED));
        QCOMPARE(int(shoter->history().size()), 3);
    }

    void hoverAndMoveCommands()
    {
        startWithSelection(QRect(QPoint(0, 0), QPoint(999, 799)));
        ScreenShoter* s = shoter.get();
        chooseTool(RECTANGLE);
        drag(s, QPoint(100, 100), QPoint(200, 200));
        chooseTool(ELLIPSE);
        drag(s, QPoint(300, 100), QPoint(400, 200));
        chooseTool(LINE);
        drag(s, QPoint(100, 300), QPoint(300, 300));
        const auto commands = s->undoStack().commands();
        QCOMPARE(int(commands.size()), 3);
        const auto rect = commands[0], ellipse = commands[1], line = commands[2];

        // Rectangle: the border strip, not the inside.
        hover(s, QPoint(150, 150));
        QVERIFY(!s->hovered());
        QCOMPARE(s->cursor().shape(), Qt::CrossCursor);
        hover(s, QPoint(101, 130));
        QCOMPARE(s->hovered(), rect);
        QVERIFY(s->hoverCode() & 0xF);
        QCOMPARE(s->cursor().shape(), Qt::SizeAllCursor);
        drag(s, QPoint(101, 130), QPoint(121, 140));
        QCOMPARE(rect->rect(), QRect(QPoint(120, 110), QPoint(220, 210)));
        QCOMPARE(int(s->undoStack().size()), 3); // moved, nothing created
        // A corner handle resizes.
        hover(s, QPoint(220, 210));
        QCOMPARE(s->hoverCode(), int(Resizer::ANCHOR_X2Y2));
        QCOMPARE(s->cursor().shape(), Qt::SizeFDiagCursor);
        drag(s, QPoint(220, 210), QPoint(240, 230));
        QCOMPARE(rect->rect(), QRect(QPoint(120, 110), QPoint(240, 230)));

        // Ellipse: the ring around its outline.
        hover(s, QPoint(350, 150));
        QVERIFY(!s->hovered());
        hover(s, QPoint(301, 150));
        QCOMPARE(s->hovered(), ellipse);
        QCOMPARE(s->hoverCode(), 15);
        drag(s, QPoint(301, 150), QPoint(311, 150));
        QCOMPARE(ellipse->rect(), QRect(QPoint(310, 100), QPoint(410, 200)));

        // Line: the band between its end squares.
        hover(s, QPoint(200, 310));
        QVERIFY(!s->hovered());
        hover(s, QPoint(200, 301));
        QCOMPARE(s->hovered(), line);
        QCOMPARE(s->hoverCode(), 15);
        drag(s, QPoint(200, 301), QPoint(200, 341));
        QCOMPARE(line->rect(), QRect(QPoint(100, 340), QPoint(300, 340)));
        hover(s, QPoint(300, 340));
        QCOMPARE(s->hoverCode(), int(Resizer::ANCHOR_X2Y2));

        // Overlapping rectangles sharing a left edge: the older one moves.
        chooseTool(RECTANGLE);
        drag(s, QPoint(500, 100), QPoint(600, 200));
        drag(s, QPoint(650, 250), QPoint(520, 120));
        const auto all = s->undoStack().commands();
        QCOMPARE(int(all.size()), 5);
        hover(s, QPoint(600, 120)); // on the right edge of the first and the top edge of the second
        QCOMPARE(s->hovered(), all[3]);
        drag(s, QPoint(600, 120), QPoint(580, 120));
        QCOMPARE(all[3]->rect(), QRect(QPoint(480, 100), QPoint(580, 200)));
        QCOMPARE(all[4]->rect(), QRect(QPoint(520, 120), QPoint(650, 250)));

        // What the canvas shows follows the moves: the old place is clean again.
        const QImage canvas = canvasImage(*s);
        QCOMPARE(canvas.pixelColor(100, 150), patternAt(100, 150));
        QVERIFY(isRed(canvas.pixelColor(120, 150)));
        QVERIFY(isRed(canvas.pixelColor(480, 150)));
    }

    void undoRedoAndTextCommands()
    {
        startWithSelection(QRect(QPoint(0, 0), QPoint(899, 699)));
        ScreenShoter* s = shoter.get();
        const QImage captured = canvasImage(*s);
        chooseTool(RECTANGLE);
        drag(s, QPoint(100, 100), QPoint(200, 200));
        QVERIFY(s->menu()->undoButton()->isEnabled());
        QVERIFY(canvasImage(*s) != captured);

        // Undo to empty: the captured state, no tool, the grab as it was.
        s->undo();
        QVERIFY(s->undoStack().commands().empty());
        QCOMPARE(int(s->redoStack().size()), 1);
        QCOMPARE(s->currentStatus(), int(Selector::CAPTURED));
        QVERIFY(!s->menu()->toolButton(RECTANGLE)->isChecked());
        QVERIFY(!s->menu()->undoButton()->isEnabled());
        QVERIFY(s->menu()->redoButton()->isEnabled());
        s->repaint();
        QCOMPARE(canvasImage(*s), captured);

        QVERIFY(xdo({ "key", "ctrl+shift+z" }));
        QTRY_COMPARE_WITH_TIMEOUT(int(s->undoStack().size()), 1, 5000);
        QCOMPARE(s->currentStatus(), int(Selector::LOCKED));
        QVERIFY(!s->menu()->redoButton()->isEnabled());
        s->repaint();
        QVERIFY(isRed(canvasImage(*s).pixelColor(100, 150)));

        // An empty text box disappears when another place is clicked.
        chooseTool(TEXT);
        click(s, QPoint(300, 300));
        QCOMPARE(int(s->undoStack().size()), 2);
        const auto firstText = s->current();
        QVERIFY(firstText && firstText->editor());
        QCOMPARE(firstText->editor()->pos(), QPoint(300, 300));
        hover(s, QPoint(500, 500));
        click(s, QPoint(500, 500));
        const auto afterClick = s->undoStack().commands();
        QCOMPARE(int(afterClick.size()), 2);
        QVERIFY(afterClick[1] != firstText);
        QCOMPARE(afterClick[1]->editor()->pos(), QPoint(500, 500));

        // Undo with an empty text on top drops just that command: the
        // rectangle beneath stays and nothing can be redone.
        QCOMPARE(s->current(), afterClick[1]);
        s->undo();
        QCOMPARE(int(s->undoStack().size()), 1);
        QCOMPARE(s->undoStack().top(), afterClick[0]);
        QVERIFY(s->redoStack().commands().empty());

        // A typed text stays when another place is clicked.
        click(s, QPoint(400, 400));
        QVERIFY(xdo({ "type", "Hello" })); // real keys reach the text box, not the overlay
        QTRY_COMPARE_WITH_TIMEOUT(s->current()->editor()->toPlainText(), QStringLiteral("Hello"), 5000);
        QVERIFY(s->current()->isValid());
        hover(s, QPoint(700, 600));
        click(s, QPoint(700, 600));
        QCOMPARE(int(s->undoStack().size()), 3);
        s->undo(); // only the new, empty text goes
        QCOMPARE(int(s->undoStack().size()), 2);
        QCOMPARE(s->undoStack().top()->editor()->toPlainText(), QStringLiteral("Hello"));
        QVERIFY(s->redoStack().commands().empty());
        s->repaint();
        bool drawn = false;
        const QImage withText = canvasImage(*s);
        for (int y = 400; y < 420 && !drawn; ++y)
            for (int x = 400; x < 440 && !drawn; ++x)
                drawn = isRed(withText.pixelColor(x, y));
        QVERIFY(drawn);

        // Delete removes the current command for good.
        hover(s, QPoint(101, 130));
        QVERIFY(s->hovered());
        click(s, QPoint(101, 130));
        QCOMPARE(s->current(), afterClick[0]);
        QVERIFY(xdo({ "key", "Delete" }));
        QTRY_COMPARE_WITH_TIMEOUT(int(s->undoStack().size()), 1, 5000);
        QVERIFY(!s->current());
        QVERIFY(s->redoStack().commands().empty());
    }

    void movingTheSelectionDropsUndoneCommands()
    {
        // wider than the toolbar, so it can stay right-aligned
        startWithSelection(QRect(QPoint(100, 100), QPoint(799, 399)));
        ScreenShoter* s = shoter.get();
        chooseTool(LINE);
        drag(s, QPoint(150, 150), QPoint(300, 200));
        s->undo();
        QCOMPARE(int(s->redoStack().size()), 1);
        QCOMPARE(s->currentStatus(), int(Selector::CAPTURED));

        // Resizing keeps what can be redone.
        drag(s, QPoint(799, 250), QPoint(849, 250));
        QCOMPARE(s->selectedRect(), QRect(QPoint(100, 100), QPoint(849, 399)));
        QCOMPARE(int(s->redoStack().size()), 1);
        // The toolbar follows the selection.
        QCOMPARE(s->menu()->geometry().right(), 849);

        // Moving drops it.
        drag(s, QPoint(300, 300), QPoint(320, 310));
        QCOMPARE(s->selectedRect(), QRect(QPoint(120, 110), QPoint(869, 409)));
        QVERIFY(s->redoStack().commands().empty());
        QVERIFY(s->undoStack().commands().empty());
        QVERIFY(!s->menu()->redoButton()->isEnabled());
        s->redo();
        QVERIFY(s->undoStack().commands().empty());
    }

    void mosaicEraserAndWheel()
    {
        startWithSelection(QRect(QPoint(0, 0), QPoint(999, 799)));
        ScreenShoter* s = shoter.get();

        // Mosaic over the pattern: blocks of equal pixels where every pixel differed.
        chooseTool(MOSAIC);
        drag(s, QPoint(100, 200), QPoint(400, 200), 10);
        QImage canvas = canvasImage(*s);
        int equal = 0;
        for (int x = 150; x < 350; ++x)
            equal += canvas.pixel(x, 200) == canvas.pixel(x + 1, 200);
        QVERIFY2(equal > 150, qPrintable(QString::number(equal)));
        QCOMPARE(canvas.pixelColor(250, 240), patternAt(250, 240)); // outside the 15-pixel stroke

        // A pencil stroke, then the eraser over it gives the grab back.
        chooseTool(PENCIL);
        drag(s, QPoint(100, 500), QPoint(400, 500), 10);
        canvas = canvasImage(*s);
        QVERIFY(isRed(canvas.pixelColor(250, 500)));
        chooseTool(ERASER);
        drag(s, QPoint(100, 500), QPoint(400, 500), 10);
        canvas = canvasImage(*s);
        for (int x = 120; x < 380; x += 7)
            QCOMPARE(canvas.pixelColor(x, 500), patternAt(x, 500));
        // Undo the eraser: the stroke is back.
        s->undo();
        s->repaint();
        QVERIFY(isRed(canvasImage(*s).pixelColor(250, 500)));
        chooseTool(ERASER);

        // The wheel widens the eraser one per notch, up to 49.
        auto eraseMenu = static_cast<EraseMenu*>(s->menu()->optionMenu(ERASER));
        QCOMPARE(s->menu()->pen(ERASER).width(), 15);
        wheel(s, 1);
        QCOMPARE(s->menu()->pen(ERASER).width(), 16);
        wheel(s, 40);
        QCOMPARE(s->menu()->pen(ERASER).width(), 49);
        QCOMPARE(eraseMenu->widthButton()->value(), 25);
        QCOMPARE(s->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(s->cursor().pixmap().size(), QSize(51, 51));
        wheel(s, -60);
        QCOMPARE(s->menu()->pen(ERASER).width(), 1);

        chooseTool(MOSAIC);
        wheel(s, 2);
        QCOMPARE(s->menu()->pen(MOSAIC).width(), 17);

        // Other tools ignore the wheel.
        for (Graph t : { RECTANGLE, PENCIL, TEXT }) {
            chooseTool(t);
            const QPen before = s->menu()->pen(t);
            wheel(s, 3);
            QCOMPARE(s->menu()->pen(t), before);
        }
        QCOMPARE(s->menu()->pen(MOSAIC).width(), 17);
        QCOMPARE(s->menu()->pen(ERASER).width(), 1);
    }

    void historyPaging()
    {
        const QRect first(QPoint(10, 10), QPoint(209, 109));
        const QRect second(QPoint(300, 300), QPoint(449, 379));
        startWithSelection(first);
        chooseTool(RECTANGLE);
        drag(shoter.get(), QPoint(20, 20), QPoint(80, 80));
        QTest::keyClick(shoter.get(), Qt::Key_Return);
        QVERIFY(!shoter->isVisible());
        startWithSelection(second);
        QTest::keyClick(shoter.get(), Qt::Key_Enter);
        QCOMPARE(int(shoter->history().size()), 2);
        QCOMPARE(shoter->historyIndex(), 1);

        startOverlay();
        QVERIFY(xdo({ "key", "Page_Up" }));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->selectedRect(), second, 5000);
        QVERIFY(shoter->undoStack().commands().empty());
        QVERIFY(xdo({ "key", "Page_Up" }));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->selectedRect(), first, 5000);
        QCOMPARE(int(shoter->undoStack().size()), 1);
        QCOMPARE(shoter->currentStatus(), int(Selector::LOCKED));
        QVERIFY(shoter->menu()->isVisible());
        QVERIFY(shoter->menu()->undoButton()->isEnabled());
        shoter->repaint();
        QVERIFY(isRed(canvasImage(*shoter).pixelColor(20, 50)));
        // A change of direction shows the same entry again.
        QVERIFY(xdo({ "key", "Page_Down" }));
        QTest::qWait(300);
        QCOMPARE(shoter->selectedRect(), first);
        QVERIFY(xdo({ "key", "Page_Down" }));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->selectedRect(), second, 5000);

        // Copying the restored snip gives its image again.
        QTest::keyClick(shoter.get(), Qt::Key_Return);
        QCOMPARE(int(shoter->history().size()), 3);
    }

    void historyIsBounded()
    {
        for (int i = 0; i < ScreenShoter::HISTORY_LIMIT + 3; ++i) {
            startWithSelection(QRect(i, i, 50, 50));
            QTest::keyClick(shoter.get(), Qt::Key_Return);
        }
        QCOMPARE(int(shoter->history().size()), ScreenShoter::HISTORY_LIMIT);
        QCOMPARE(shoter->history().front().rect, QRect(3, 3, 50, 50));
        QCOMPARE(shoter->historyIndex(), ScreenShoter::HISTORY_LIMIT - 1);
    }

    void historyGivesBackExactPixelsOnceCompressed()
    {
        // A coloured square somewhere else on the desktop for every snip.
        QWidget marker(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
        marker.setAutoFillBackground(true);
        const QColor colours[] = { Qt::red, Qt::green, Qt::blue, Qt::yellow };
        std::vector<QImage> grabs;
        std::vector<QRect> rects;
        for (int i = 0; i < 4; ++i) {
            QPalette palette = marker.palette();
            palette.setColor(QPalette::Window, colours[i]);
            marker.setPalette(palette);
            marker.setGeometry(600 + 150 * i, 500, 120, 120);
            marker.show();
            QVERIFY(QTest::qWaitForWindowExposed(&marker, 10000));
            marker.repaint();
            QTest::qWait(200);
            const QRect r(QPoint(50 + 10 * i, 50), QPoint(349 + 10 * i, 249));
            startWithSelection(r);
            grabs.push_back(shoter->screenshot().toImage());
            rects.push_back(r);
            QCOMPARE(grabs.back().pixelColor(660 + 150 * i, 560), colours[i]);
            if (i == 1) {
                chooseTool(RECTANGLE);
                drag(shoter.get(), QPoint(100, 100), QPoint(200, 200));
            }
            QTest::keyClick(shoter.get(), Qt::Key_Return);
            QVERIFY(!shoter->isVisible());
            marker.hide();
        }
        QVERIFY(PackedImage::waitForPending(30000));
        QCOMPARE(int(shoter->history().size()), 4);
        for (const auto& entry : shoter->history())
            QVERIFY(entry.screenshot.isPacked());
        // the overlay keeps only its grab once it is gone
        QVERIFY(shoter->canvas().isNull());
        QVERIFY(!shoter->screenshot().isNull());

        startOverlay();
        for (int i = 3; i >= 0; --i) {
            QVERIFY(xdo({ "key", "Page_Up" }));
            QTRY_COMPARE_WITH_TIMEOUT(shoter->selectedRect(), rects[size_t(i)], 5000);
            QCOMPARE(shoter->screenshot().toImage(), grabs[size_t(i)]);
            QCOMPARE(int(shoter->undoStack().size()), i == 1 ? 1 : 0);
            shoter->repaint();
            QCOMPARE(canvasImage(*shoter).pixelColor(660 + 150 * i, 560), colours[i]);
        }
        // and forward again, the first shown twice
        for (int i : { 0, 1, 2, 3 }) {
            QVERIFY(xdo({ "key", "Page_Down" }));
            QTRY_COMPARE_WITH_TIMEOUT(shoter->selectedRect(), rects[size_t(i)], 5000);
            QCOMPARE(shoter->screenshot().toImage(), grabs[size_t(i)]);
        }
        // a restored snip taken again gives its own pixels to the clipboard
        QTest::keyClick(shoter.get(), Qt::Key_Return);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 grabs[3].copy(rects[3]));
    }

    void destroyedWhileTheHistoryIsCompressed()
    {
        const QRect r(QPoint(10, 10), QPoint(700, 500));
        startWithSelection(r);
        QTest::keyClick(shoter.get(), Qt::Key_Return);
        const QImage first = shoter->screenshot().toImage();
        const PackedImage kept = shoter->history().back().screenshot;
        startWithSelection(r.translated(5, 5));
        QTest::keyClick(shoter.get(), Qt::Key_Return);
        // both compressions may still be queued or running
        shoter.reset();
        QVERIFY(PackedImage::waitForPending(30000));
        QVERIFY(kept.isPacked());
        QCOMPARE(kept.toImage(), first);
    }

    void saveFormats()
    {
        QSignalSpy messages(shoter.get(), &ScreenShoter::SHOW_MESSAGE);
        const QDir dir(testutil::tempDir());
        const struct
        {
            const char* name;
            const char* filter;
            const char* written;
            QByteArray format;
        } cases[] = { { "a.png", "", "a.png", "png" },
                      { "b.jpg", "PNG(*.png)", "b.jpg", "jpeg" },
                      { "c.jpeg", "", "c.jpeg", "jpeg" },
                      { "d.bmp", "", "d.bmp", "bmp" },
                      { "E.PNG", "JPEG(*.jpg *.jpeg)", "E.PNG", "png" },
                      { "noext", "", "noext.png", "png" },
                      // the chosen filter gives a bare name its extension
                      { "shot", "JPEG(*.jpg *.jpeg)", "shot.jpg", "jpeg" },
                      { "pic", "BMP(*.bmp)", "pic.bmp", "bmp" },
                      { "my.notes", "BMP(*.bmp)", "my.notes.bmp", "bmp" } };
        for (const auto& c : cases) {
            answer = dir.filePath(QString::fromLatin1(c.name));
            filter = QString::fromLatin1(c.filter);
            startWithSelection(QRect(QPoint(40, 30), QPoint(340, 230)));
            shoter->save();
            const QString written = dir.filePath(QString::fromLatin1(c.written));
            QImageReader reader(written);
            reader.setDecideFormatFromContent(true);
            QCOMPARE(reader.format(), c.format);
            QCOMPARE(reader.size(), QSize(301, 201));
            QVERIFY(!shoter->isVisible());
            QCOMPARE(messages.last().at(0).toString(), QStringLiteral("Klipora<PICTURE>"));
            QCOMPARE(messages.last().at(1).toString(), QStringLiteral("Path: ") + written);
            QCOMPARE(messages.last().at(2).toInt(), int(QSystemTrayIcon::Information));
            QCOMPARE(messages.last().at(3).toInt(), 10000);
        }
        QVERIFY(!QFile::exists(dir.filePath("shot.png")));
        QVERIFY(!QFile::exists(dir.filePath(".png")));
        // The PNG holds the screen's pixels.
        const QImage png = QImage(dir.filePath("a.png")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(png.pixelColor(0, 0), patternAt(40, 30));
        QCOMPARE(png.pixelColor(300, 200), patternAt(340, 230));
    }

    void saveDialogShowsAboveTheOverlay()
    {
        // Qt's own dialog, with the real save path instead of the provider.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        shoter->setSaveNameProvider({});
        // The stand-in desktop bypasses the window manager too; a real one
        // sits below every window.
        background->lower();
        // A pin left on the screen stays on top of other windows: it must
        // cover neither the dialog nor the overlay under it.
        const QColor pinColour(255, 0, 255);
        QWidget pin(nullptr, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        pin.setAutoFillBackground(true);
        QPalette palette = pin.palette();
        palette.setColor(QPalette::Window, pinColour);
        pin.setPalette(palette);
        const QRect screenRect = QGuiApplication::primaryScreen()->geometry();
        pin.setGeometry(QRect(QPoint(0, 0), screenRect.size() * 3 / 4).translated(screenRect.width() / 8, screenRect.height() / 8));
        pin.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pin, 10000));
        // on the screen, not only mapped
        const QPoint pinCentre = pin.geometry().center();
        QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::primaryScreen()
                                         ->grabWindow(0, pinCentre.x(), pinCentre.y(), 1, 1)
                                         .toImage()
                                         .pixelColor(0, 0)
                                     == pinColour,
                                 10000);
        startWithSelection(QRect(QPoint(40, 30), QPoint(340, 230)));

        const QString path = QDir(testutil::tempDir()).filePath(QStringLiteral("from-dialog.png"));
        double shown = -1;
        int pinPixels = -1;
        QString title;
        // The dialog runs its own loop inside the key press: look at it from
        // a timer, as the user would, then answer it.
        QTimer look;
        QElapsedTimer since;
        since.start();
        connect(&look, &QTimer::timeout, [&] {
            QFileDialog* dialog = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(top); d && d->isVisible())
                    dialog = d;
            if (!dialog)
                return;
            title = dialog->windowTitle();
            // What the screen shows where the dialog is must be the dialog.
            const QRect g = dialog->geometry();
            const QImage own = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QImage screen = QGuiApplication::primaryScreen()
                                      ->grabWindow(0, g.x(), g.y(), g.width(), g.height())
                                      .toImage()
                                      .convertToFormat(QImage::Format_RGB32);
            int same = 0, all = 0;
            for (int y = 0; y < own.height() && y < screen.height(); y += 4)
                for (int x = 0; x < own.width() && x < screen.width(); x += 4, ++all)
                    same += own.pixel(x, y) == screen.pixel(x, y);
            shown = all ? double(same) / all : 0.0;
            // The frozen desktop holds the pin too, but dimmed outside the
            // selection: its own colour shows there only where the live pin
            // is on top.
            const QRect p = pin.geometry();
            const QImage pinArea = QGuiApplication::primaryScreen()
                                       ->grabWindow(0, p.x(), p.y(), p.width(), p.height())
                                       .toImage()
                                       .convertToFormat(QImage::Format_RGB32);
            pinPixels = 0;
            for (int y = 0; y < pinArea.height(); y += 4)
                for (int x = 0; x < pinArea.width(); x += 4)
                    pinPixels += !dialog->frameGeometry().contains(p.topLeft() + QPoint(x, y))
                        && !shoter->selectedRect().contains(p.topLeft() + QPoint(x, y))
                        && pinArea.pixelColor(x, y) == pinColour;
            if ((shown < 0.9 || pinPixels > 0) && since.elapsed() < 10000)
                return; // not painted yet, or covered: look again
            look.stop();
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(path);
            if (shown >= 0.9)
                static_cast<QDialog*>(dialog)->accept();
            else
                dialog->reject();
        });
        look.start(100);
        QVERIFY(xdo({ "key", "ctrl+s" }));
        QTRY_VERIFY_WITH_TIMEOUT(!look.isActive(), 20000);
        QCOMPARE(title, QStringLiteral("Save Image"));
        QVERIFY2(shown >= 0.9, qPrintable(QStringLiteral("share of the dialog seen on screen: %1").arg(shown)));
        QCOMPARE(pinPixels, 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 10000);
        QCOMPARE(QImage(path).size(), QSize(301, 201));
        QTRY_VERIFY_WITH_TIMEOUT(!shoter->isVisible(), 10000);
    }

    void saveDialogOwnsTheInputWhileATextIsEdited()
    {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        shoter->setSaveNameProvider({});
        background->lower(); // a real desktop sits below every window
        startOverlay();
        // the toolbar and the font menu land where the dialog opens
        QVERIFY(realDrag(QPoint(500, 200), QPoint(1100, 480)));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::CAPTURED), 5000);
        QVERIFY(realClick(shoter->menu()->toolButton(TEXT)));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::LOCKED), 5000);
        QVERIFY(xdo({ "mousemove", "600", "300", "click", "1" }));
        QTRY_VERIFY_WITH_TIMEOUT(shoter->current() && shoter->current()->editor(), 5000);
        TextEdit* editor = shoter->current()->editor();
        QVERIFY(xdo({ "type", "Hi" }));
        QTRY_COMPARE_WITH_TIMEOUT(editor->toPlainText(), QStringLiteral("Hi"), 5000);
        QVERIFY(shoter->menu()->optionMenu(TEXT)->isVisible());

        // Escape in the dialog closes the dialog, not the overlay under it.
        double shown = -1;
        bool keyboardFree = false, magnifierHidden = false, overlayShown = false;
        QElapsedTimer since;
        since.start();
        QTimer look;
        connect(&look, &QTimer::timeout, [&] {
            QFileDialog* dialog = visibleFileDialog();
            if (!dialog)
                return;
            shown = shareOnScreen(dialog);
            if (shown < 0.9 && since.elapsed() < 10000)
                return;
            look.stop();
            QWidget* grabber = QWidget::keyboardGrabber();
            keyboardFree = !grabber || grabber == dialog || dialog->isAncestorOf(grabber);
            magnifierHidden = !shoter->magnifier()->isVisible();
            // the frozen, dimmed desktop is still there around the dialog
            const QColor outside = testutil::screenPixel(QPoint(50, 1000));
            overlayShown = !near(outside, patternAt(50, 1000)) && outside.green() < patternAt(50, 1000).green();
            xdo({ "key", "Escape" });
        });
        look.start(100);
        QVERIFY(realClick(shoter->menu()->saveButton()));
        QTRY_VERIFY_WITH_TIMEOUT(!look.isActive() && !visibleFileDialog(), 20000);
        QVERIFY2(shown >= 0.9, qPrintable(QStringLiteral("share of the dialog seen on screen: %1").arg(shown)));
        QVERIFY(keyboardFree);
        QVERIFY(magnifierHidden);
        QVERIFY(overlayShown);
        QVERIFY(shoter->isVisible());
        QVERIFY(!shoter->dialogOpen());
        QCOMPARE(int(shoter->undoStack().size()), 1);
        // the text stays; the toolbar's save ended the edit, so the keys are the overlay's again
        QCOMPARE(editor->toPlainText(), QStringLiteral("Hi"));
        QTRY_COMPARE_WITH_TIMEOUT(QWidget::keyboardGrabber(), static_cast<QWidget*>(shoter.get()), 5000);

        // Typed into the dialog: a bare name with the JPEG filter.
        const QString path = QDir(testutil::tempDir()).filePath(QStringLiteral("typed"));
        since.restart();
        QTimer typeName;
        connect(&typeName, &QTimer::timeout, [&] {
            QFileDialog* dialog = visibleFileDialog();
            if (!dialog || (shareOnScreen(dialog) < 0.9 && since.elapsed() < 10000))
                return;
            typeName.stop();
            dialog->selectNameFilter(QStringLiteral("JPEG(*.jpg *.jpeg)"));
            xdo({ "key", "ctrl+a" });
            xdo({ "type", path });
            xdo({ "key", "Return" });
        });
        typeName.start(100);
        QVERIFY(realClick(shoter->menu()->saveButton()));
        QTRY_VERIFY_WITH_TIMEOUT(!shoter->isVisible(), 20000);
        QVERIFY(!QFile::exists(path));
        QImageReader reader(path + QStringLiteral(".jpg"));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), QSize(601, 281));
        const QImage saved = reader.read();
        int red = 0;
        for (int y = 95; y < 125; ++y)
            for (int x = 95; x < 140; ++x)
                red += isRed(saved.pixelColor(x, y));
        QVERIFY2(red > 5, qPrintable(QString::number(red))); // the typed text is in the file
    }

    void colorDialogOwnsTheInputWhileOpen()
    {
        background->lower();
        startOverlay();
        QVERIFY(realDrag(QPoint(500, 200), QPoint(1100, 480)));
        QTRY_COMPARE_WITH_TIMEOUT(shoter->currentStatus(), int(Selector::CAPTURED), 5000);
        QVERIFY(realClick(shoter->menu()->toolButton(RECTANGLE)));
        QTRY_VERIFY_WITH_TIMEOUT(shoter->menu()->optionMenu(RECTANGLE)->isVisible(), 5000);
        auto* colour = shoter->menu()->optionMenu(RECTANGLE)->findChild<ColorDialogButton*>();
        QVERIFY(colour);
        QVERIFY(realClick(colour));
        QTRY_VERIFY_WITH_TIMEOUT(colour->dialog()->isVisible(), 5000);
        QVERIFY(shoter->dialogOpen());
        QTRY_VERIFY_WITH_TIMEOUT(shareOnScreen(colour->dialog()) >= 0.9, 10000);
        QVERIFY(shoter->isVisible());
        const QColor outside = testutil::screenPixel(QPoint(50, 1000));
        QVERIFY(!near(outside, patternAt(50, 1000)) && outside.green() < patternAt(50, 1000).green());
        QWidget* grabber = QWidget::keyboardGrabber();
        QVERIFY(!grabber || !shoter->isAncestorOf(grabber));

        // Escape goes to the dialog; once it is gone the overlay has the keys again
        QVERIFY(xdo({ "key", "Escape" }));
        QTRY_VERIFY_WITH_TIMEOUT(!colour->dialog()->isVisible(), 5000);
        QVERIFY(shoter->isVisible());
        QVERIFY(!shoter->dialogOpen());
        QVERIFY(xdo({ "key", "Escape" }));
        QTRY_VERIFY_WITH_TIMEOUT(!shoter->isVisible(), 5000);
    }

    void failedSaveKeepsTheWork()
    {
        QSignalSpy messages(shoter.get(), &ScreenShoter::SHOW_MESSAGE);
        QFile blocker(QDir(testutil::tempDir()).filePath("plainfile"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QStringList bad{ QDir(testutil::tempDir()).filePath("missing/dir/x.png"), blocker.fileName() + "/x.png" };

        startWithSelection(QRect(QPoint(40, 30), QPoint(340, 230)));
        chooseTool(RECTANGLE);
        drag(shoter.get(), QPoint(60, 60), QPoint(100, 100));
        for (const QString& name : bad) {
            answer = name;
            QTest::mouseClick(shoter->menu()->saveButton(), Qt::LeftButton);
            QVERIFY(!QFile::exists(name));
            QCOMPARE(messages.last().at(2).toInt(), int(QSystemTrayIcon::Critical));
            const QString msg = messages.last().at(1).toString();
            QVERIFY2(msg.contains(name), qPrintable(msg));
            QVERIFY(!msg.startsWith("Path: "));
            QVERIFY2(msg.length() > name.length() + 12, qPrintable(msg)); // a reason follows
            // Still open, with the annotation.
            QVERIFY(shoter->isVisible());
            QCOMPARE(int(shoter->undoStack().size()), 1);
            QVERIFY(shoter->history().empty());
        }
        // A later good save still works.
        answer = QDir(testutil::tempDir()).filePath("after.png");
        shoter->save();
        QVERIFY(QFile::exists(answer));
        QCOMPARE(messages.last().at(1).toString(), QStringLiteral("Path: ") + answer);
    }

    void hoverCursorTable()
    {
        for (int c : { 1, 2, 4, 8, 15 })
            QCOMPARE(ScreenShoter::cursorShapeFor(c), Qt::SizeAllCursor);
        QCOMPARE(ScreenShoter::cursorShapeFor(16), Qt::SizeHorCursor);
        QCOMPARE(ScreenShoter::cursorShapeFor(128), Qt::SizeVerCursor);
        QCOMPARE(ScreenShoter::cursorShapeFor(2048), Qt::SizeFDiagCursor);
        QCOMPARE(ScreenShoter::cursorShapeFor(512), Qt::SizeBDiagCursor);
        QCOMPARE(ScreenShoter::cursorShapeFor(4096), Qt::BitmapCursor);
        QCOMPARE(ScreenShoter::cursorShapeFor(0x10000), Qt::CrossCursor);
        QCOMPARE(ScreenShoter::cursorShapeFor(0), Qt::CrossCursor);
    }
};

QTEST_MAIN(TestScreenShoter)
#include "tst_screenshoter.moc"
