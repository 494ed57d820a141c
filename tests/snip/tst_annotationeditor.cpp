#include <QApplication>
#include <QtTest>

#include <memory>

#include "core/displayinfo.h"
#include "core/resizer.h"
#include "snip/annotationeditor.h"
#include "snip/snipcanvas.h"
#include "snip/textedit.h"

namespace {

using Command = std::shared_ptr<PaintCommand>;

QString kind(PaintType type)
{
    switch (type) {
    case REFRESH: return QStringLiteral("REFRESH");
    case PREVIEW: return QStringLiteral("PREVIEW");
    case DRAW_INCREMENT: return QStringLiteral("DRAW_INCREMENT");
    case DRAW_COMMAND: return QStringLiteral("DRAW_COMMAND");
    case REDRAW_ALL: return QStringLiteral("REDRAW_ALL");
    }
    return QString::number(int(type));
}

// What the editor tells the overlay, in the order it says it.
struct EditorLog
{
    QStringList events;
    QRegion area; // of every canvas request since the last take()
    QWidget* keyboard = nullptr;

    explicit EditorLog(AnnotationEditor& e)
    {
        QObject::connect(&e, &AnnotationEditor::canvasRequested, [this](PaintType type, const QRegion& r) {
            events << "canvas " + kind(type);
            area |= r;
        });
        QObject::connect(&e, &AnnotationEditor::fullRepaintRequested,
                         [this](PaintType type) { events << "full " + kind(type); });
        QObject::connect(&e, &AnnotationEditor::emptied,
                         [this](bool empty) { events << QStringLiteral("emptied %1").arg(empty); });
        QObject::connect(&e, &AnnotationEditor::redoEmptied,
                         [this](bool empty) { events << QStringLiteral("redoEmptied %1").arg(empty); });
        QObject::connect(&e, &AnnotationEditor::keyboardWanted, [this](QWidget* w) {
            keyboard = w;
            events << (w ? "keys to the text box" : "keys to the overlay");
        });
    }
    QStringList take()
    {
        area = QRegion();
        return std::exchange(events, {});
    }
};

} // namespace

class TestAnnotationEditor : public QObject
{
    Q_OBJECT

    QWidget host; // text boxes live here
    std::unique_ptr<AnnotationEditor> editor;
    std::unique_ptr<EditorLog> log;
    QList<Graph> asked; // the tools a new command was made for

    // A drag with the active tool, as the overlay feeds it: the edit before
    // it ends with the press.
    Command dragOut(const QPoint& from, const QPoint& to)
    {
        editor->setCurrent(nullptr);
        editor->press(from);
        editor->drag(to, Qt::NoModifier);
        editor->release();
        return editor->current();
    }

private slots:
    void initTestCase()
    {
        // as at start-up: the commands' move bounds are the desktop size
        QVERIFY(!DisplayInfo::instance()->maxSize().isEmpty());
    }

    void init()
    {
        asked.clear();
        editor = std::make_unique<AnnotationEditor>([this](Graph t) {
            asked << t;
            ToolInput input;
            input.pen = QPen(Qt::red, 3);
            input.parent = &host;
            input.canvas = [] { return QImage(400, 300, QImage::Format_ARGB32_Premultiplied); };
            QPixmap grab(400, 300);
            grab.fill(Qt::blue);
            input.screenshot = grab;
            return input;
        });
        log = std::make_unique<EditorLog>(*editor);
    }

    void cleanup()
    {
        log.reset();
        editor.reset();
    }

    void dragsOutACommandWithTheActiveTool()
    {
        editor->setTool(RECTANGLE);
        QCOMPARE(editor->activeTool()->type(), RECTANGLE);
        QCOMPARE(editor->toolFlags() & AnnotationEditor::TOOL_MASK, int(RECTANGLE));

        editor->press(QPoint(20, 20));
        QCOMPARE(asked, QList<Graph>{ RECTANGLE });
        QCOMPARE(int(editor->undoStack().size()), 1);
        const Command made = editor->undoStack().top();
        QCOMPARE(editor->current(), made);
        QCOMPARE(editor->hovered(), made);
        QVERIFY(editor->toolFlags() & AnnotationEditor::OP_CREATING);
        // the first mark locks the selection; it is previewed, not drawn in, while dragged
        const QStringList pressed = log->take();
        QVERIFY2(pressed.contains("emptied 0"), qPrintable(pressed.join(", ")));
        QCOMPARE(pressed.last(), QStringLiteral("canvas PREVIEW"));

        editor->drag(QPoint(80, 60), Qt::NoModifier);
        QCOMPARE(made->rect(), QRect(QPoint(20, 20), QPoint(80, 60)));
        QCOMPARE(log->events, QStringList{ "canvas PREVIEW" });
        QVERIFY(log->area.contains(QPoint(80, 60)));
        log->take();

        // the release draws it in where it was and is, once
        editor->release();
        QCOMPARE(log->events, QStringList{ "canvas DRAW_COMMAND" });
        QVERIFY(QRegion(SnipCanvas::footprint(made.get())).subtracted(log->area).isEmpty());
        QCOMPARE(editor->toolFlags() & AnnotationEditor::OP_MASK, 0);
        QCOMPARE(editor->current(), made);

        // the next press ends that edit and starts another command
        const Command second = dragOut(QPoint(150, 150), QPoint(250, 200));
        QVERIFY(second && second != made);
        QCOMPARE(int(editor->undoStack().size()), 2);

        // without a tool a press makes nothing
        editor->setTool(Graph(0));
        QVERIFY(!editor->activeTool());
        QCOMPARE(editor->toolFlags(), 0);
        log->take();
        QTest::ignoreMessage(QtCriticalMsg, "Error type: 0");
        editor->setCurrent(nullptr);
        editor->press(QPoint(300, 250));
        QCOMPARE(int(editor->undoStack().size()), 2);
        QVERIFY(!editor->current());
        QVERIFY(!log->events.contains("canvas PREVIEW"));
    }

    void aStrokeIsNotDrawnWholeAgainWhenReleased()
    {
        editor->setTool(PENCIL);
        editor->press(QPoint(50, 50));
        log->take();
        const Command stroke = editor->current();
        editor->drag(QPoint(90, 60), Qt::NoModifier);
        // only the new piece is drawn in, around its points
        QCOMPARE(log->events, QStringList{ "canvas DRAW_INCREMENT" });
        QVERIFY(log->area.contains(QPoint(90, 60)));
        QVERIFY(!log->area.contains(QPoint(200, 200)));
        log->take();
        editor->release();
        const QStringList released = log->take();
        QVERIFY2(!released.isEmpty() && released.last().endsWith("DRAW_INCREMENT"), qPrintable(released.join(", ")));
        QVERIFY(!released.contains("canvas DRAW_COMMAND"));
        QCOMPARE(editor->current(), stroke);
    }

    void movesAndResizesTheHoveredCommand()
    {
        editor->setTool(RECTANGLE);
        const Command box = dragOut(QPoint(100, 100), QPoint(200, 200));
        const Command other = dragOut(QPoint(300, 50), QPoint(350, 90));
        editor->setCurrent(nullptr);

        // the border grabs a rectangle, its inside does not
        editor->hitTest(QPoint(150, 150));
        QVERIFY(!editor->hovered());
        QCOMPARE(editor->hoverCode(), 0);
        editor->hitTest(QPoint(101, 130));
        QCOMPARE(editor->hovered(), box);
        QVERIFY(editor->hoverCode() & Resizer::BORDERS);

        const QRect before = SnipCanvas::footprint(box.get());
        log->take();
        editor->press(QPoint(101, 130));
        QCOMPARE(editor->current(), box);
        QVERIFY(editor->toolFlags() & AnnotationEditor::OP_MOVING);
        QCOMPARE(int(editor->undoStack().size()), 2);
        log->take();
        editor->drag(QPoint(121, 140), Qt::NoModifier);
        QCOMPARE(box->rect(), QRect(QPoint(120, 110), QPoint(220, 210)));
        // the canvas is redrawn where it was and where it is, not everywhere
        QCOMPARE(log->events, QStringList{ "canvas REDRAW_ALL" });
        QVERIFY(QRegion(before).subtracted(log->area).isEmpty());
        QVERIFY(QRegion(SnipCanvas::footprint(box.get())).subtracted(log->area).isEmpty());
        QVERIFY(!log->area.intersects(SnipCanvas::footprint(other.get())));
        editor->painted();
        editor->release();
        QCOMPARE(editor->toolFlags() & AnnotationEditor::OP_MASK, 0);
        QCOMPARE(box->rect(), QRect(QPoint(120, 110), QPoint(220, 210)));

        // a corner handle resizes
        editor->setCurrent(nullptr);
        editor->hitTest(QPoint(220, 210));
        QCOMPARE(editor->hoverCode(), int(Resizer::ANCHOR_X2Y2));
        editor->press(QPoint(220, 210));
        QVERIFY(editor->toolFlags() & AnnotationEditor::OP_RESIZING);
        editor->drag(QPoint(230, 215), Qt::NoModifier);
        editor->drag(QPoint(240, 230), Qt::NoModifier);
        editor->release();
        QCOMPARE(box->rect(), QRect(QPoint(120, 110), QPoint(240, 230)));
        QCOMPARE(int(editor->undoStack().size()), 2);

        // a hovered command that is gone by the press is not grabbed
        editor->setCurrent(nullptr);
        editor->hitTest(QPoint(300, 70));
        QCOMPARE(editor->hovered(), other);
        editor->undo();
        QCOMPARE(int(editor->redoStack().size()), 1);
        editor->press(QPoint(300, 70));
        QVERIFY(editor->current() != other);
        QCOMPARE(other->rect(), QRect(QPoint(300, 50), QPoint(350, 90)));
        QVERIFY(editor->toolFlags() & AnnotationEditor::OP_CREATING);
    }

    void undoRedoAndEmptyCommands()
    {
        editor->setTool(RECTANGLE);
        const Command first = dragOut(QPoint(10, 10), QPoint(60, 60));
        const Command second = dragOut(QPoint(100, 10), QPoint(160, 60));
        log->take();

        // the current, drawn command goes to the redo stack
        editor->undo();
        QVERIFY(!editor->current());
        QCOMPARE(editor->undoStack().top(), first);
        QCOMPARE(editor->redoStack().top(), second);
        QStringList events = log->take();
        QVERIFY2(events.contains("redoEmptied 0") && events.contains("full REDRAW_ALL"), qPrintable(events.join(", ")));
        QVERIFY(!events.contains("emptied 1"));

        editor->undo();
        QVERIFY(editor->undoStack().empty());
        QCOMPARE(int(editor->redoStack().size()), 2);
        QVERIFY(log->take().contains("emptied 1"));

        // a redone command is the one edited, its frame shown
        editor->redo();
        QCOMPARE(editor->undoStack().top(), first);
        QCOMPARE(editor->current(), first);
        events = log->take();
        QVERIFY(events.contains("emptied 0"));
        QVERIFY(events.contains("canvas DRAW_COMMAND"));

        // a click that drew nothing is simply dropped by undo: nothing to redo
        editor->setCurrent(nullptr);
        editor->press(QPoint(300, 200));
        editor->release();
        const Command dot = editor->current();
        QVERIFY(dot && !dot->isValid());
        QCOMPARE(int(editor->undoStack().size()), 2);
        QCOMPARE(int(editor->redoStack().size()), 0); // a new command drops what could be redone
        editor->undo();
        QCOMPARE(int(editor->undoStack().size()), 1);
        QCOMPARE(editor->undoStack().top(), first);
        QVERIFY(editor->redoStack().empty());

        // ending an edit drops an empty command too, and says when that empties the picture
        editor->undo();
        QVERIFY(editor->undoStack().empty());
        log->take();
        editor->setCurrent(nullptr);
        editor->press(QPoint(300, 200));
        editor->release();
        log->take();
        editor->setCurrent(nullptr);
        QVERIFY(editor->undoStack().empty());
        events = log->take();
        QVERIFY2(events.contains("emptied 1"), qPrintable(events.join(", ")));

        // delete takes the current command away for good
        const Command gone = dragOut(QPoint(20, 200), QPoint(120, 280));
        QCOMPARE(int(editor->undoStack().size()), 1);
        editor->deleteCurrent();
        QVERIFY(editor->undoStack().empty());
        QVERIFY(!editor->current());
        QVERIFY(!editor->hovered());
        QVERIFY(editor->redoStack().empty());
        QVERIFY(gone.use_count() == 1); // no stack holds it any more
        // with nothing current, delete does nothing
        log->take();
        editor->deleteCurrent();
        QVERIFY(log->events.isEmpty());
    }

    void textBoxesGetTheKeys()
    {
        host.resize(400, 300);
        editor->setTool(TEXT);
        editor->press(QPoint(30, 40));
        editor->release();
        const Command empty = editor->current();
        QVERIFY(empty && empty->editor());
        QCOMPARE(log->keyboard, static_cast<QWidget*>(empty->editor()));
        QVERIFY(empty->editor()->isVisibleTo(&host));

        // clicked elsewhere: the empty box goes, the next one has the keys
        editor->setCurrent(nullptr);
        QVERIFY(!log->keyboard);
        editor->press(QPoint(200, 100));
        editor->release();
        const Command typed = editor->current();
        QCOMPARE(int(editor->undoStack().size()), 1);
        QCOMPARE(editor->undoStack().top(), typed);
        QCOMPARE(log->keyboard, static_cast<QWidget*>(typed->editor()));
        typed->editor()->setPlainText(QStringLiteral("Hi"));
        editor->setCurrent(nullptr);
        QVERIFY(!log->keyboard);
        QCOMPARE(int(editor->undoStack().size()), 1);

        // kept boxes are hidden when the snip is put away
        QVERIFY(typed->editor()->isVisibleTo(&host));
        editor->hideEditors();
        QVERIFY(!typed->editor()->isVisibleTo(&host));
    }

    void restoreBringsBackAnEarlierSnip()
    {
        editor->setTool(RECTANGLE);
        const Command a = dragOut(QPoint(10, 10), QPoint(60, 60));
        const Command b = dragOut(QPoint(100, 10), QPoint(160, 60));
        const std::vector<Command> kept = editor->undoStack().commands();
        editor->undo();
        QCOMPARE(int(editor->redoStack().size()), 1);
        editor->setCurrent(a);
        editor->hitTest(QPoint(11, 30));
        QCOMPARE(editor->hovered(), a);
        log->take();

        editor->restore(kept);
        QCOMPARE(editor->undoStack().commands(), kept);
        QVERIFY(editor->redoStack().empty());
        // nothing is edited or hovered, and the keys are the overlay's
        QVERIFY(!editor->current());
        QVERIFY(!editor->hovered());
        QVERIFY(!log->keyboard);
        // the picture is told once, at the end; the overlay repaints all of it itself
        const QStringList events = log->take();
        QCOMPARE(events.count("emptied 0"), 1);
        QVERIFY(!events.contains("emptied 1"));
        for (const QString& e : events)
            QVERIFY2(!e.startsWith("canvas") && !e.startsWith("full"), qPrintable(events.join(", ")));

        // the restored commands are edited as any others: moving one redraws its places
        editor->hitTest(QPoint(101, 30));
        QCOMPARE(editor->hovered(), b);
        editor->press(QPoint(101, 30));
        log->take();
        editor->drag(QPoint(111, 30), Qt::NoModifier);
        QCOMPARE(log->events, QStringList{ "canvas REDRAW_ALL" });

        editor->restore({});
        QVERIFY(editor->undoStack().empty());
        QVERIFY(log->take().contains("emptied 1"));
    }

    void clearingForgetsEverything()
    {
        editor->setTool(ELLIPSE);
        dragOut(QPoint(10, 10), QPoint(60, 60));
        dragOut(QPoint(100, 10), QPoint(160, 60));
        editor->undo();
        editor->hitTest(QPoint(11, 35));
        QVERIFY(editor->hovered());
        log->take();
        editor->clearCommands();
        QVERIFY(editor->undoStack().empty());
        QVERIFY(editor->redoStack().empty());
        const QStringList events = log->take();
        QVERIFY(events.contains("emptied 1") && events.contains("redoEmptied 1"));
        editor->reset();
        QVERIFY(!editor->current());
        QVERIFY(!editor->hovered());
        QCOMPARE(editor->hoverCode(), int(Resizer::OUTSIDE));
        QCOMPARE(editor->toolFlags(), 0);
        QVERIFY(!editor->activeTool());
    }
};

QTEST_MAIN(TestAnnotationEditor)
#include "tst_annotationeditor.moc"
