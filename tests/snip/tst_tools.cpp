#include <QApplication>
#include <QPainter>
#include <QtTest>

#include <memory>

#include "core/displayinfo.h"
#include "core/resources.h"
#include "snip/commandstack.h"
#include "snip/paintcommand.h"
#include "snip/textedit.h"
#include "snip/tools/tool.h"
#include "snip/tools/toolregistry.h"
#include "widgets/editmenu.h"
#include "widgets/imageeditmenu.h"
#include "pixelcheck.h"

Q_DECLARE_METATYPE(const Tool*)

namespace {

using Command = std::shared_ptr<PaintCommand>;

const QSize PICTURE(240, 180);

// Fine black and white stripes: mosaic and blur visibly change them.
QImage stripes()
{
    QImage image(PICTURE, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (x / 2 + y / 3) % 2 ? 0xff000000u : 0xffffffffu);
    return image;
}

QImage white()
{
    QImage image(PICTURE, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

// The picture with every command drawn whole, as a full redraw does.
QImage redraw(const std::vector<Command>& commands)
{
    QImage image = white();
    QPainter p(&image);
    for (const Command& c : commands)
        c->draw(&p, false);
    return image;
}

QString text(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

using testutil::changedArea;

// Every registered kind goes through what the overlay does with it.
class TestTools : public QObject
{
    Q_OBJECT

    QWidget host; // text boxes live here
    std::unique_ptr<ImageEditMenu> menu;

    Command create(const Tool* tool, const QPoint& at, const std::vector<Command>& existing = {})
    {
        ToolInput input;
        input.pos = at;
        input.pen = menu->pen(tool->type());
        input.fill = menu->fill(tool->type());
        input.font = menu->font(tool->type());
        input.parent = &host;
        input.canvas = [] { return stripes(); };
        QPixmap blue(PICTURE);
        blue.fill(Qt::blue);
        input.screenshot = blue;
        input.commands = existing;
        return tool->create(input);
    }

    // A drag from a to b as the overlay sends it: points while the mouse
    // moves, strokes drawn into the canvas piece by piece.
    void dragOut(const Command& c, const QPoint& a, const QPoint& b, QImage* canvas)
    {
        for (int i = 1; i <= 6; ++i) {
            c->addPoint(a + (b - a) * i / 6);
            if (c->tool()->incremental()) {
                QPainter p(canvas);
                c->draw(&p, true);
            }
        }
        if (c->editor())
            c->editor()->setPlainText(QStringLiteral("Note"));
    }

private slots:
    void initTestCase()
    {
        initResources();
        // as at start-up: the commands' move bounds are the desktop size
        QVERIFY(!DisplayInfo::instance()->maxSize().isEmpty());
        menu = std::make_unique<ImageEditMenu>();
    }

    void registry()
    {
        // the toolbar's order is the registry's, each kind once and findable
        const auto& tools = toolregistry::tools();
        QCOMPARE(int(tools.size()), ImageEditMenu::tools().size());
        QSet<int> seen;
        for (int i = 0; i < int(tools.size()); ++i) {
            QCOMPARE(ImageEditMenu::tools()[i], tools[size_t(i)]->type());
            QVERIFY(!seen.contains(tools[size_t(i)]->type()));
            seen.insert(tools[size_t(i)]->type());
            QCOMPARE(toolregistry::find(tools[size_t(i)]->type()), tools[size_t(i)]);
            QVERIFY2(!QPixmap(tools[size_t(i)]->icon()).isNull(), qPrintable(tools[size_t(i)]->icon()));
            QVERIFY(menu->optionMenu(tools[size_t(i)]->type()));
        }
        QVERIFY(!toolregistry::find(Graph(0)));
        QVERIFY(!toolregistry::find(Graph(3)));
        // a command of no kind is inert, not a crash
        PaintCommand none(Graph(3), QPen(), false, { 5, 5 });
        QVERIFY(!none.addPoint({ 9, 9 }));
        QVERIFY(!none.isValid());
        QImage image = white();
        QPainter p(&image);
        none.draw(&p, false);
        p.end();
        QCOMPARE(image, white());
    }

    void everyKind_data()
    {
        QTest::addColumn<const Tool*>("tool");
        QTest::addColumn<bool>("clickValid"); // a click without a drag is a mark
        QTest::addColumn<bool>("movable");
        QTest::addColumn<QPoint>("grip"); // a point that grabs the mark after the drag below
        // for a drag from (60, 50) to (160, 120)
        const QMap<Graph, std::tuple<bool, bool, QPoint>> expected{
            { RECTANGLE, { false, true, QPoint(60, 80) } },
            { ELLIPSE, { false, true, QPoint(110, 50) } },
            { ARROW, { false, true, QPoint(110, 85) } },
            { LINE, { false, true, QPoint(110, 85) } },
            { PENCIL, { false, false, QPoint() } },
            { TEXT, { false, true, QPoint(62, 52) } },
            { MOSAIC, { true, false, QPoint() } },
            { ERASER, { true, false, QPoint() } },
            { COUNTER, { true, true, QPoint(160, 120) } },
            { HIGHLIGHTER, { false, false, QPoint() } },
            { BLUR, { false, true, QPoint(160, 90) } },
        };
        for (const Tool* tool : toolregistry::tools()) {
            // a new kind must say how it behaves here
            QVERIFY2(expected.contains(tool->type()), tool->tip());
            const auto [clickValid, movable, grip] = expected.value(tool->type());
            QTest::newRow(tool->tip()) << tool << clickValid << movable << grip;
        }
    }

    void everyKind()
    {
        QFETCH(const Tool*, tool);
        QFETCH(bool, clickValid);
        QFETCH(bool, movable);
        QFETCH(QPoint, grip);
        const QPoint a(60, 50), b(160, 120);

        // create
        const Command c = create(tool, a);
        QVERIFY(c);
        QCOMPARE(c->type(), tool->type());
        QCOMPARE(c->tool(), tool);
        QCOMPARE(c->isValid(), clickValid);

        // draw: the drag leaves a visible mark, all of it inside the covered rectangle
        QImage canvas = white();
        dragOut(c, a, b, &canvas);
        QVERIFY(c->isValid());
        const QImage drawn = redraw({ c });
        const QRect changed = changedArea(white(), drawn);
        QVERIFY2(!changed.isEmpty(), "nothing drawn");
        QVERIFY2(c->coveredRect().contains(changed), qPrintable(text(changed) + " outside " + text(c->coveredRect())));
        if (tool->incremental()) {
            // finished piece by piece it is the same mark, give or take antialiased seams
            QPainter p(&canvas);
            c->draw(&p, true);
            p.end();
            QVERIFY(changedArea(white(), canvas).intersects(changed));
            QVERIFY(c->coveredRect().contains(changedArea(white(), canvas)));
        }

        // undo and redo: off the picture and back, pixel for pixel
        CommandStack undo, redo;
        undo.push(c);
        redo.push(undo.top());
        undo.pop();
        QCOMPARE(redraw(undo.commands()), white());
        undo.push(redo.top());
        redo.pop();
        QCOMPARE(redraw(undo.commands()), drawn);

        // hit and move
        const QRect before = c->coveredRect();
        if (movable) {
            QVERIFY2(c->hitTest(grip) != 0, "the grip does not grab it");
            QVERIFY(c->hitTest({ 5, 170 }) == 0);
            QSignalSpy modified(c.get(), &PaintCommand::modified);
            c->move({ 30, 20 });
            QCOMPARE(modified.count(), 1);
            QCOMPARE(modified.first().first().value<PaintType>(), REDRAW_ALL);
            QCOMPARE(c->coveredRect(), before.translated(30, 20));
            const QRect moved = changedArea(white(), redraw({ c }));
            QVERIFY(!moved.isEmpty());
            QVERIFY(c->coveredRect().contains(moved));
            QVERIFY(moved.right() > changed.right()); // it went, it did not only grow
        } else {
            QCOMPARE(c->hitTest(a), 0);
            c->move({ 30, 20 });
            QCOMPARE(c->coveredRect(), before);
        }
        QVERIFY(c->isValid());

        // the edit frame stays inside what the overlay repaints for it
        QImage framed = white();
        QPainter p(&framed);
        tool->drawFrame(*c, &p);
        p.end();
        const QRect frame = changedArea(white(), framed);
        if (!frame.isEmpty())
            QVERIFY((c->coveredRect() | tool->frameRect(*c)).contains(frame));
    }

    void clickWithoutDrag_data() { everyKind_data(); }

    void clickWithoutDrag()
    {
        QFETCH(const Tool*, tool);
        QFETCH(bool, clickValid);
        const Command c = create(tool, { 100, 100 });
        // what a preview paint does to it before the release
        QImage canvas = white();
        QPainter p(&canvas);
        c->draw(&p, true);
        c->draw(&p, false);
        p.end();
        QCOMPARE(c->isValid(), clickValid);
        QVERIFY(c->coveredRect().isValid() || !clickValid);
    }

    void optionsReachTheCurrentCommand_data() { everyKind_data(); }

    void optionsReachTheCurrentCommand()
    {
        QFETCH(const Tool*, tool);
        const Command c = create(tool, { 50, 50 });
        EditMenu* options = menu->optionMenu(tool->type());
        QSignalSpy modified(c.get(), &PaintCommand::modified);
        tool->applyOptions(*c, options);
        if (tool->brushCursor()) {
            // the brush was cut from the picture at the press and stays
            QCOMPARE(modified.count(), 0);
        } else {
            QVERIFY(modified.count() >= 2);
            QCOMPARE(c->pen().color(), options->pen().color());
            QCOMPARE(c->fill(), menu->fill(tool->type()));
        }
    }
};

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
