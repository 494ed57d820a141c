#include <QLineEdit>
#include <QTextCursor>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <memory>

#include "core/displayinfo.h"
#include "snip/commandstack.h"
#include "snip/paintcommand.h"
#include "snip/textedit.h"

namespace {

using Command = std::shared_ptr<PaintCommand>;

QImage blank(int w = 200, int h = 200, const QColor& c = Qt::white)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(c);
    return image;
}

void drawOn(QImage& image, PaintCommand& command, bool incremental)
{
    QPainter painter(&image);
    command.draw(&painter, incremental);
}

QPen pen(const QColor& c, int width)
{
    return QPen(QBrush(c), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QColor at(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

// Records the stack's signals in the order they arrive.
struct StackLog
{
    QStringList events;
    explicit StackLog(CommandStack& s)
    {
        QObject::connect(&s, &CommandStack::increased, [this] { events << "increased"; });
        QObject::connect(&s, &CommandStack::decreased, [this] { events << "decreased"; });
        QObject::connect(&s, &CommandStack::changed,
                         [this](size_t n) { events << QStringLiteral("changed(%1)").arg(n); });
        QObject::connect(&s, &CommandStack::pushed, [this] { events << "pushed"; });
        QObject::connect(&s, &CommandStack::poped, [this] { events << "poped"; });
        QObject::connect(&s, &CommandStack::removed, [this] { events << "removed"; });
        QObject::connect(&s, &CommandStack::emptied, [this](bool e) {
            events << QStringLiteral("emptied(%1)").arg(e ? "true" : "false");
        });
    }
    QStringList take() { return std::exchange(events, {}); }
};

Command make(Graph type, const QPoint& start, const QPen& p = pen(Qt::red, 3), bool fill = false,
             QWidget* parent = nullptr)
{
    return std::make_shared<PaintCommand>(type, p, fill, start, parent);
}

} // namespace

class TestPaintCommand : public QObject
{
    Q_OBJECT

private slots:
    // As at start-up: the commands' move bounds are the desktop size.
    void initTestCase() { QVERIFY(!DisplayInfo::instance()->maxSize().isEmpty()); }

    void arrowPolygon()
    {
        using P = QVector<QPoint>;
        QCOMPARE(PaintCommand::arrowPolygon({ 0, 0 }, { 100, 0 }),
                 P({ { 0, 0 }, { 83, -4 }, { 77, -13 }, { 100, 0 }, { 77, 13 }, { 83, 4 } }));
        QCOMPARE(PaintCommand::arrowPolygon({ 0, 0 }, { 0, 100 }),
                 P({ { 0, 0 }, { 4, 83 }, { 13, 77 }, { 0, 100 }, { -13, 77 }, { -4, 83 } }));

        // A diagonal one against the formula, each product truncated alone.
        const QPoint tail(10, 20), tip(70, -40);
        const double th = std::atan2(-60.0, 60.0);
        const double c = 3.1415926 / 6;
        const auto t = [](double v) { return int(std::trunc(v)); };
        const P expected{ tail,
                          { 70 + t(-9 * cos(th)) - t(10 * cos(th + c)), -40 + t(-9 * sin(th)) - t(10 * sin(th + c)) },
                          { 70 - t(27 * cos(th + c)), -40 - t(27 * sin(th + c)) },
                          tip,
                          { 70 - t(27 * cos(th - c)), -40 - t(27 * sin(th - c)) },
                          { 70 + t(-9 * cos(th)) - t(10 * cos(th - c)), -40 + t(-9 * sin(th)) - t(10 * sin(th - c)) } };
        QCOMPARE(PaintCommand::arrowPolygon(tail, tip), expected);
        QCOMPARE(expected[2], QPoint(70 - 26, -40 + 6)); // spot check: 27 px back at -15 degrees

        // The command keeps its polygon in step with its corners.
        auto arrow = make(ARROW, { 0, 0 });
        QVERIFY(arrow->points().isEmpty());
        QVERIFY(arrow->addPoint({ 100, 0 }));
        QCOMPARE(arrow->points().size(), 6);
        QCOMPARE(arrow->points()[1], QPoint(83, -4));
        arrow->move({ 5, 50 });
        QCOMPARE(arrow->points(), PaintCommand::arrowPolygon({ 5, 50 }, { 105, 50 }));
        arrow->resize(Resizer::ANCHOR_X2Y2, { 0, 100 });
        QCOMPARE(arrow->points(), PaintCommand::arrowPolygon({ 5, 50 }, { 105, 150 }));
    }

    void addPointSignalsPerKind()
    {
        for (Graph g : { RECTANGLE, ELLIPSE, LINE, ARROW }) {
            auto c = make(g, { 10, 10 });
            QSignalSpy spy(c.get(), &PaintCommand::modified);
            QVERIFY(c->addPoint({ 40, 30 }));
            QCOMPARE(spy.count(), 1);
            QCOMPARE(spy.at(0).at(0).value<PaintType>(), PREVIEW);
            QCOMPARE(c->rect(), QRect(QPoint(10, 10), QPoint(40, 30)));
        }
        for (Graph g : { PENCIL, MOSAIC, ERASER }) {
            auto c = make(g, { 10, 10 });
            QCOMPARE(c->pendingPoints(), QVector<QPoint>({ { 10, 10 } }));
            QSignalSpy spy(c.get(), &PaintCommand::modified);
            QVERIFY(c->addPoint({ 40, 30 }));
            QCOMPARE(spy.at(0).at(0).value<PaintType>(), DRAW_INCREMENT);
            QCOMPARE(c->pendingPoints().size(), 2);
        }
        QWidget parent;
        auto text = make(TEXT, { 10, 10 }, pen(Qt::red, 3), false, &parent);
        QSignalSpy spy(text.get(), &PaintCommand::modified);
        QVERIFY(!text->addPoint({ 40, 30 }));
        QCOMPARE(spy.count(), 0);
        QCOMPARE(text->rect().size(), QSize(1, 1));
    }

    void rectangleOutlineAndFilled()
    {
        auto outline = make(RECTANGLE, { 40, 40 }, pen(Qt::red, 3));
        outline->addPoint({ 20, 20 }); // dragged up-left: same rectangle
        QImage image = blank();
        drawOn(image, *outline, false);
        QCOMPARE(at(image, 30, 20), QColor(Qt::red));
        QCOMPARE(at(image, 20, 30), QColor(Qt::red));
        QCOMPARE(at(image, 40, 30), QColor(Qt::red));
        QCOMPARE(at(image, 30, 30), QColor(Qt::white));
        QCOMPARE(at(image, 30, 45), QColor(Qt::white));

        // Filled, with a cosmetic one-pixel outline.
        auto filled = make(RECTANGLE, { 20, 20 }, pen(Qt::blue, 0), true);
        filled->addPoint({ 40, 40 });
        image = blank();
        drawOn(image, *filled, false);
        QCOMPARE(at(image, 30, 30), QColor(Qt::blue));
        QCOMPARE(at(image, 20, 30).blue(), 255);
        QCOMPARE(at(image, 30, 42), QColor(Qt::white));
        QCOMPARE(at(image, 18, 30), QColor(Qt::white));
    }

    void ellipseAndLine()
    {
        auto ellipse = make(ELLIPSE, { 20, 20 }, pen(Qt::red, 3));
        ellipse->addPoint({ 120, 80 });
        QImage image = blank();
        drawOn(image, *ellipse, false);
        QCOMPARE(at(image, 20, 50), QColor(Qt::red)); // leftmost point of the rim
        QCOMPARE(at(image, 70, 20), QColor(Qt::red)); // top of the rim
        QCOMPARE(at(image, 70, 50), QColor(Qt::white)); // not filled
        QCOMPARE(at(image, 22, 22), QColor(Qt::white)); // a rectangle would cover this

        auto line = make(LINE, { 10, 10 }, pen(Qt::red, 3));
        line->addPoint({ 100, 100 });
        image = blank();
        drawOn(image, *line, false);
        QCOMPARE(at(image, 55, 55), QColor(Qt::red));
        QCOMPARE(at(image, 100, 100), QColor(Qt::red));
        QCOMPARE(at(image, 55, 10), QColor(Qt::white));
        QCOMPARE(at(image, 10, 100), QColor(Qt::white));
    }

    void pencilIncrementalEqualsWhole()
    {
        const QPoint p0(20, 20), p1(80, 30), p2(120, 90), p3(60, 150);
        auto pencil = make(PENCIL, p0, pen(Qt::black, 5));
        QImage incremental = blank();
        for (const QPoint& p : { p1, p2, p3 }) {
            pencil->addPoint(p);
            drawOn(incremental, *pencil, true);
        }
        QCOMPARE(pencil->points(), QVector<QPoint>({ p0, p1, p1, p2, p2, p3 }));
        QCOMPARE(pencil->pendingPoints(), QVector<QPoint>({ p3 }));

        // Repaints with nothing new change neither the stroke nor the image.
        const QImage before = incremental;
        drawOn(incremental, *pencil, true);
        drawOn(incremental, *pencil, true);
        QCOMPARE(pencil->points().size(), 6);
        QCOMPARE(incremental, before);

        QImage whole = blank();
        drawOn(whole, *pencil, false);
        // Same path. Around the vertices (caps and joints) antialiased edge
        // pixels may differ by a shade: the incremental segments overlap there
        // and the whole stroke's round parts are flattened differently.
        int inked = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x) {
                const int a = qGray(incremental.pixel(x, y));
                const int b = qGray(whole.pixel(x, y));
                bool nearVertex = false;
                for (const QPoint& p : { p0, p1, p2, p3 })
                    nearVertex |= (QPoint(x, y) - p).manhattanLength() <= 6;
                QVERIFY2(std::abs(a - b) <= (nearVertex ? 96 : 16),
                         qPrintable(QStringLiteral("%1,%2: %3 vs %4").arg(x).arg(y).arg(a).arg(b)));
                inked += b < 128;
            }
        QVERIFY(inked > 300);
        QCOMPARE(at(whole, 50, 25), QColor(Qt::black)); // on p0-p1
        QCOMPARE(at(whole, 90, 120), QColor(Qt::black)); // on p2-p3

        // A whole draw follows later points and a new pen.
        const QPoint p4(180, 180);
        pencil->addPoint(p4);
        drawOn(incremental, *pencil, true);
        pencil->setPen(pen(Qt::red, 5));
        whole = blank();
        drawOn(whole, *pencil, false);
        QCOMPARE(at(whole, 120, 165), QColor(Qt::red)); // on p3-p4
        QCOMPARE(at(whole, 50, 25), QColor(Qt::red));
    }

    void validityPerKind()
    {
        auto rect = make(RECTANGLE, { 10, 10 });
        QVERIFY(!rect->isValid());
        rect->addPoint({ 10, 10 });
        QVERIFY(!rect->isValid());
        rect->addPoint({ 11, 10 });
        QVERIFY(rect->isValid());

        for (Graph g : { ELLIPSE, LINE, ARROW }) {
            auto c = make(g, { 5, 5 });
            QVERIFY(!c->isValid());
            c->addPoint({ 5, 9 });
            QVERIFY(c->isValid());
        }

        // A click without a drag: mosaic and eraser stay, a pencil dot does not,
        // however often the preview repaints it.
        QImage image = blank();
        for (Graph g : { MOSAIC, ERASER, PENCIL }) {
            auto c = make(g, { 50, 50 }, pen(Qt::black, 9));
            for (int i = 0; i < 3; ++i)
                drawOn(image, *c, true);
            QCOMPARE(c->isValid(), g != PENCIL);
            QCOMPARE(c->points().size(), 1);
        }
        QCOMPARE(at(image, 50, 50), QColor(Qt::black)); // the click shows as a dot
        auto pencil = make(PENCIL, { 5, 5 });
        pencil->addPoint({ 9, 9 });
        drawOn(image, *pencil, true);
        QVERIFY(pencil->isValid());

        QWidget parent;
        auto text = make(TEXT, { 10, 10 }, pen(Qt::red, 3), false, &parent);
        QVERIFY(!text->isValid());
        text->editor()->setPlainText(QStringLiteral("hello"));
        QVERIFY(text->isValid());
        text->editor()->clear();
        QVERIFY(!text->isValid());
    }

    void moveAndResize()
    {
        auto rect = make(RECTANGLE, { 10, 10 });
        rect->addPoint({ 50, 40 });
        QSignalSpy spy(rect.get(), &PaintCommand::modified);
        rect->move({ -30, 5 });
        QCOMPARE(rect->rect(), QRect(QPoint(0, 15), QPoint(40, 45)));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<PaintType>(), REDRAW_ALL);
        rect->move({ -1, -100 });
        QCOMPARE(rect->rect(), QRect(QPoint(0, 0), QPoint(40, 30)));
        const QSize desktop = DisplayInfo::maxSize();
        rect->move({ 100000, 100000 });
        QCOMPARE(rect->rect(), QRect(QPoint(desktop.width() - 41, desktop.height() - 31), QSize(41, 31)));
        rect->move({ -100000, -100000 });
        QCOMPARE(rect->rect(), QRect(QPoint(0, 0), QPoint(40, 30)));

        rect->resize(Resizer::ANCHOR_X1Y1, { 3, 4 }); // x1, y1 are the press corner
        QCOMPARE(rect->resizer().x1, 3);
        QCOMPARE(rect->resizer().y1, 4);
        rect->resize(Resizer::ANCHOR_Y2, { 100, 7 });
        QCOMPARE(rect->resizer().x2, 40);
        QCOMPARE(rect->resizer().y2, 37);
        rect->resize(Resizer::ANCHOR_X1Y2, { -10, -10 });
        QCOMPARE(rect->rect(), QRect(QPoint(-7, 4), QPoint(40, 27))); // resizing is not clamped
        const QRect before = rect->rect();
        spy.clear();
        rect->resize(Resizer::INSIDE, { 10, 10 });
        QCOMPARE(rect->rect(), before);
        QCOMPARE(spy.count(), 1);

        // Strokes do not move; text moves freely.
        auto pencil = make(PENCIL, { 10, 10 });
        pencil->addPoint({ 20, 20 });
        QImage image = blank();
        drawOn(image, *pencil, true);
        pencil->move({ 50, 50 });
        QCOMPARE(pencil->points(), QVector<QPoint>({ { 10, 10 }, { 20, 20 } }));

        QWidget parent;
        parent.resize(300, 200);
        auto text = make(TEXT, { 5, 5 }, pen(Qt::red, 3), false, &parent);
        QCOMPARE(text->editor()->pos(), QPoint(5, 5));
        QSignalSpy textSpy(text.get(), &PaintCommand::modified);
        text->move({ -20, -30 });
        QCOMPARE(text->editor()->pos(), QPoint(-15, -25));
        QCOMPARE(textSpy.count(), 1);
        QCOMPARE(textSpy.at(0).at(0).value<PaintType>(), REDRAW_ALL);
    }

    void mosaicShowsBlocksOfTheCanvasWithEarlierMarks()
    {
        // Canvas: a fine gradient, with an earlier red rectangle on it.
        QImage canvas(180, 180, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 180; ++y)
            for (int x = 0; x < 180; ++x)
                canvas.setPixelColor(x, y, QColor(x, y, (x * 7 + y * 3) % 256));
        auto mark = make(RECTANGLE, { 54, 54 }, pen(Qt::red, 0), true);
        mark->addPoint({ 89, 89 });
        drawOn(canvas, *mark, false);
        const QImage original = canvas;

        QPen brushPen = pen(Qt::transparent, 40);
        brushPen.setBrush(QBrush(pixelate(canvas)));
        auto mosaic = make(MOSAIC, { 10, 72 }, brushPen);
        mosaic->addPoint({ 170, 72 });
        drawOn(canvas, *mosaic, true);

        // Inside the stroke (y 56..88 away from its edges), 9 x 9 blocks of one colour.
        for (int by = 63; by < 81; by += 9)
            for (int bx = 18; bx < 162; bx += 9) {
                const QRgb first = canvas.pixel(bx, by);
                for (int y = by; y < by + 9; ++y)
                    for (int x = bx; x < bx + 9; ++x)
                        QVERIFY2(canvas.pixel(x, y) == first, qPrintable(QStringLiteral("block %1,%2 at %3,%4").arg(bx).arg(by).arg(x).arg(y)));
            }
        // The red mark shows through as red blocks; the gradient as its average.
        QCOMPARE(at(canvas, 72, 72), QColor(Qt::red));
        QVERIFY(at(canvas, 120, 64) != at(original, 120, 64));
        QVERIFY(std::abs(at(canvas, 121, 67).red() - 121) <= 5);
        // Outside the stroke nothing changed.
        QCOMPARE(at(canvas, 100, 20), at(original, 100, 20));
        QCOMPARE(at(canvas, 100, 150), at(original, 100, 150));
    }

    void eraserRevealsTheScreenshot()
    {
        QImage screenshot(200, 100, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                screenshot.setPixelColor(x, y, QColor(x, 2 * y, 100));
        QImage canvas = screenshot;
        auto mark = make(RECTANGLE, { 20, 20 }, pen(Qt::red, 0), true);
        mark->addPoint({ 180, 80 });
        drawOn(canvas, *mark, false);

        QPen brushPen = pen(Qt::transparent, 20);
        brushPen.setBrush(QBrush(screenshot));
        auto eraser = make(ERASER, { 40, 50 }, brushPen);
        eraser->addPoint({ 160, 50 });
        drawOn(canvas, *eraser, true);

        for (int x = 40; x <= 160; x += 10)
            for (int y = 44; y <= 56; y += 4)
                QCOMPARE(at(canvas, x, y), at(screenshot, x, y));
        QCOMPARE(at(canvas, 100, 30), QColor(Qt::red));
        QCOMPARE(at(canvas, 25, 50), QColor(Qt::red));
    }

    void textDrawnWhereItsEditorIs()
    {
        QWidget overlay;
        overlay.resize(400, 300);
        overlay.show();
        QVERIFY(QTest::qWaitForWindowExposed(&overlay));
        auto text = make(TEXT, { 120, 80 }, pen(QColor(0, 0, 255), 3), false, &overlay);
        TextEdit* editor = text->editor();
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->parentWidget(), &overlay);
        QCOMPARE(editor->textColor(), QColor(0, 0, 255));
        const QSize empty = editor->size();

        QSignalSpy spy(text.get(), &PaintCommand::modified);
        QTest::keyClicks(editor, QStringLiteral("Klipora MMM"));
        QVERIFY(spy.count() >= 1);
        QCOMPARE(spy.last().at(0).value<PaintType>(), REDRAW_ALL);
        QVERIFY(editor->width() > empty.width() + 40);
        QCOMPARE(editor->toPlainText(), QStringLiteral("Klipora MMM"));

        const auto inkedBox = [](const QImage& image) {
            QRect box;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y).blue() > 200 && image.pixelColor(x, y).red() < 100)
                        box |= QRect(x, y, 1, 1);
            return box;
        };
        QImage canvas = blank(400, 300);
        drawOn(canvas, *text, false);
        const QRect ink = inkedBox(canvas);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(editor->geometry().contains(ink), qPrintable(QStringLiteral("ink %1,%2 %3x%4")
                 .arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        QVERIFY(ink.width() > 40);

        // A canvas of another resolution gets the text at the editor's size.
        QImage dense = blank(400, 300);
        dense.setDotsPerMeterX(dense.dotsPerMeterX() * 2);
        dense.setDotsPerMeterY(dense.dotsPerMeterY() * 2);
        drawOn(dense, *text, false);
        QCOMPARE(inkedBox(dense), ink);

        text->move({ -100, 50 });
        canvas = blank(400, 300);
        drawOn(canvas, *text, false);
        QCOMPARE(inkedBox(canvas), ink.translated(-100, 50));

        // A new pen recolours what was typed and what comes next.
        text->setPen(pen(QColor(0, 160, 0), 3));
        QTextCursor cursor(editor->document());
        cursor.setPosition(3);
        QCOMPARE(cursor.charFormat().foreground().color(), QColor(0, 160, 0));
        QTest::keyClicks(editor, QStringLiteral("!"));
        cursor.movePosition(QTextCursor::End);
        QCOMPARE(cursor.charFormat().foreground().color(), QColor(0, 160, 0));
        canvas = blank(400, 300);
        drawOn(canvas, *text, false);
        QVERIFY(inkedBox(canvas).isEmpty()); // no blue left
    }

    void setFontRefitsTheEditor()
    {
        QWidget overlay;
        overlay.resize(400, 300);
        auto text = make(TEXT, { 10, 10 }, pen(Qt::red, 3), false, &overlay);
        text->editor()->setPlainText(QStringLiteral("some words"));
        const QSize small = text->editor()->size();

        QSignalSpy spy(text.get(), &PaintCommand::modified);
        QFont font = text->editor()->font();
        font.setPointSize(font.pointSize() * 3);
        text->setFont(font);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).value<PaintType>(), REDRAW_ALL);
        QCOMPARE(spy.at(1).at(0).value<PaintType>(), REDRAW_ALL);
        QCOMPARE(text->font(), font);
        QCOMPARE(text->editor()->font().pointSize(), font.pointSize());
        QVERIFY(text->editor()->width() > small.width() * 2);
        QVERIFY(text->editor()->height() > small.height() * 2);
    }

    void editorFocusAndOwnership()
    {
        QWidget overlay;
        overlay.resize(400, 300);
        overlay.show();
        QVERIFY(QTest::qWaitForWindowActive(&overlay));
        auto text = make(TEXT, { 10, 10 }, pen(Qt::red, 3), false, &overlay);
        TextEdit* editor = text->editor();
        QTRY_VERIFY_WITH_TIMEOUT(editor->hasFocus(), 5000);
        QSignalSpy focus(editor, &TextEdit::focus);
        QLineEdit other(&overlay);
        other.show();
        other.setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(!editor->isVisible(), 5000);
        QCOMPARE(focus.count(), 1);
        QCOMPARE(focus.at(0).at(0).toBool(), false);

        // The command deletes its editor...
        QPointer<TextEdit> guard(editor);
        text.reset();
        QVERIFY(guard.isNull());

        // ...unless the overlay got there first.
        auto orphan = make(TEXT, { 10, 10 }, pen(Qt::red, 3), false, &overlay);
        orphan->editor()->setPlainText(QStringLiteral("x"));
        delete orphan->editor();
        QCOMPARE(orphan->editor(), nullptr);
        QVERIFY(!orphan->isValid());
        QImage canvas = blank();
        drawOn(canvas, *orphan, false);
        orphan->move({ 1, 1 });
        orphan->setFont(QFont());
        orphan.reset();
    }

    void pixelateMakesNineBlocks()
    {
        QImage image(90, 45, QImage::Format_RGB32);
        for (int y = 0; y < 45; ++y)
            for (int x = 0; x < 90; ++x)
                image.setPixel(x, y, qRgb(x * 2, y * 5, 0));
        const QImage blocks = pixelate(image);
        QCOMPARE(blocks.size(), image.size());
        QCOMPARE(blocks.pixel(0, 0), blocks.pixel(8, 8));
        QVERIFY(blocks.pixel(8, 0) != blocks.pixel(9, 0));
        QCOMPARE(blocks.pixel(81, 36), blocks.pixel(89, 44));

        // Smaller than one block: one block, never a null image.
        const QImage tiny = pixelate(image.copy(0, 0, 5, 3));
        QCOMPARE(tiny.size(), QSize(5, 3));
        QCOMPARE(tiny.pixel(0, 0), tiny.pixel(4, 2));
        QVERIFY(pixelate(QImage()).isNull());
    }

    void stackPushPopOrder()
    {
        CommandStack stack;
        StackLog log(stack);
        QSignalSpy changed(&stack, &CommandStack::changed);
        auto a = make(RECTANGLE, { 0, 0 });
        auto b = make(LINE, { 0, 0 });

        stack.push(a);
        QCOMPARE(log.take(), QStringList({ "emptied(false)", "changed(1)", "pushed", "increased" }));
        stack.push(b);
        QCOMPARE(log.take(), QStringList({ "changed(2)", "pushed", "increased" }));
        QCOMPARE(stack.top(), b);
        QCOMPARE(stack.commands(), std::vector<Command>({ a, b }));
        QCOMPARE(log.take(), QStringList());

        stack.pop();
        QCOMPARE(log.take(), QStringList({ "changed(1)", "poped", "decreased" }));
        stack.pop();
        QCOMPARE(log.take(), QStringList({ "emptied(true)", "changed(0)", "poped", "decreased" }));
        QCOMPARE(changed.count(), 4);
        QCOMPARE(changed.last().at(0).value<size_t>(), size_t(0));

        // Popping an empty stack is refused quietly.
        QTest::ignoreMessage(QtCriticalMsg, "pop on an empty stack");
        stack.pop();
        QCOMPARE(log.take(), QStringList());
        QCOMPARE(stack.top(), nullptr);
    }

    void stackRemoveAndClearOrder()
    {
        CommandStack stack;
        StackLog log(stack);
        auto a = make(RECTANGLE, { 0, 0 });
        auto b = make(LINE, { 0, 0 });
        auto absent = make(ELLIPSE, { 0, 0 });
        stack.push(a);
        stack.push(b);
        stack.push(a);
        log.take();

        stack.remove(a.get()); // every occurrence
        QCOMPARE(log.take(), QStringList({ "changed(1)", "removed", "decreased" }));
        QCOMPARE(stack.commands(), std::vector<Command>({ b }));

        stack.remove(absent.get());
        QCOMPARE(log.take(), QStringList({ "changed(1)", "removed", "decreased" }));
        stack.remove(b.get());
        QCOMPARE(log.take(), QStringList({ "emptied(true)", "changed(0)", "removed", "decreased" }));
        stack.remove(absent.get());
        QCOMPARE(log.take(), QStringList({ "emptied(true)", "changed(0)", "removed", "decreased" }));

        stack.clear();
        QCOMPARE(log.take(), QStringList());

        stack.push(a);
        stack.push(b);
        log.take();
        // The commands are still there while the signals go out.
        size_t seen = 0;
        connect(&stack, &CommandStack::decreased, this, [&] { seen = stack.commands().size(); });
        stack.clear();
        QCOMPARE(log.take(), QStringList({ "changed(0)", "emptied(true)", "decreased" }));
        QCOMPARE(seen, size_t(2));
        QVERIFY(stack.commands().empty());
        QCOMPARE(a.use_count(), 1L);
    }
};

QTEST_MAIN(TestPaintCommand)
#include "tst_paintcommand.moc"
