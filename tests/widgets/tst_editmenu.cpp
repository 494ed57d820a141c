#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include "core/resources.h"
#include "widgets/arroweditmenu.h"
#include "widgets/colorpanel.h"
#include "widgets/erasemenu.h"
#include "widgets/fontmenu.h"
#include "widgets/graphmenu.h"
#include "widgets/iconbutton.h"
#include "widgets/imageeditmenu.h"
#include "widgets/lineeditmenu.h"
#include "widgets/widthbutton.h"

namespace {

void roll(QWidget* w, int notches)
{
    const QPoint c = w->rect().center();
    QWheelEvent ev(QPointF(c), QPointF(w->mapToGlobal(c)), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &ev);
}

// Records the toolbar's tool and option announcements in order.
struct Recorder
{
    explicit Recorder(ImageEditMenu* menu)
    {
        QObject::connect(menu, &ImageEditMenu::paint, [this](Graph t) { paints.append(int(t)); });
        QObject::connect(menu, &ImageEditMenu::changed, [this](Graph t) { changes.append(int(t)); });
    }
    QList<int> paints;
    QList<int> changes;
};

} // namespace

class TestEditMenu : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initResources(); }

    void toolbarLayout()
    {
        ImageEditMenu menu;
        menu.show();
        QCOMPARE(menu.height(), 35);
        QCOMPARE(menu.objectName(), QStringLiteral("EditMenu"));
        QVERIFY(menu.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(menu.windowType(), Qt::ToolTip);

        const QStringList tips{ "Rectangle", "Ellipse", "Arrow", "Line",    "Pencil",      "Text",
                                "Mosaic",    "Eraser",  "Counter", "Highlighter", "Blur" };
        QCOMPARE(ImageEditMenu::tools().size(), tips.size());
        int lastX = -1;
        for (int i = 0; i < ImageEditMenu::tools().size(); ++i) {
            IconButton* b = menu.toolButton(ImageEditMenu::tools()[i]);
            QVERIFY(b);
            QCOMPARE(b->toolTip(), tips[i]);
            QVERIFY(b->isCheckable());
            QCOMPARE(b->size(), QSize(35, 35));
            QCOMPARE(b->checkedBackground, QColor("#409eff"));
            QVERIFY(b->x() > lastX); // left to right in toolbar order
            lastX = b->x();
        }
        // The action buttons follow the tools, in this order.
        const QList<IconButton*> actions{ menu.undoButton(), menu.redoButton(), menu.pinButton(), menu.saveButton(),
                                          menu.exitButton(), menu.okButton() };
        for (IconButton* b : actions) {
            QVERIFY(b->x() > lastX);
            lastX = b->x();
            QVERIFY(!b->isCheckable());
            QVERIFY(b->toolTip().isEmpty());
        }
        QVERIFY(!menu.undoButton()->isEnabled());
        QVERIFY(!menu.redoButton()->isEnabled());
        QCOMPARE(menu.exitButton()->currentForeground, QColor("#ee0000"));
        QCOMPARE(menu.okButton()->currentForeground, QColor("#07b913"));
        QCOMPARE(menu.okButton()->hoverForeground, QColor("#07b913"));
        QCOMPARE(menu.okButton()->hoverBackground, QColor("#d0d0d5"));
        // Cancel and accept do not take the checked colours.
        QCOMPARE(menu.okButton()->checkedBackground, QColor(Qt::transparent));

        menu.disableUndo(false);
        QVERIFY(menu.undoButton()->isEnabled());
        menu.disableRedo(false);
        QVERIFY(menu.redoButton()->isEnabled());
        menu.disableUndo(true);
        QVERIFY(!menu.undoButton()->isEnabled());
    }

    void toolSelectionAndOptionMenus()
    {
        ImageEditMenu menu;
        Recorder rec(&menu);
        menu.move(100, 400);
        menu.show();

        QTest::mouseClick(menu.toolButton(RECTANGLE), Qt::LeftButton);
        QVERIFY(menu.optionMenu(RECTANGLE)->isVisible());
        QCOMPARE(menu.optionMenu(RECTANGLE)->pos(), QPoint(100, 400 + 35 + 3));

        QTest::mouseClick(menu.toolButton(ELLIPSE), Qt::LeftButton);
        QVERIFY(!menu.optionMenu(RECTANGLE)->isVisible());
        QVERIFY(menu.optionMenu(ELLIPSE)->isVisible());
        QVERIFY(!menu.toolButton(RECTANGLE)->isChecked());
        QCOMPARE(rec.paints, (QList<int>{ RECTANGLE, ELLIPSE }));

        // The checked tool clicked again: no tool at all.
        QTest::mouseClick(menu.toolButton(ELLIPSE), Qt::LeftButton);
        QVERIFY(!menu.optionMenu(ELLIPSE)->isVisible());
        QCOMPARE(rec.paints, (QList<int>{ RECTANGLE, ELLIPSE, 0 }));

        // Above the toolbar when the overlay says so.
        menu.setSubmenusAbove(true);
        QTest::mouseClick(menu.toolButton(TEXT), Qt::LeftButton);
        QCOMPARE(menu.optionMenu(TEXT)->pos(), QPoint(100, 400 - 35 - 3));
        // An open option menu follows the toolbar.
        menu.move(50, 300);
        QCOMPARE(menu.optionMenu(TEXT)->pos(), QPoint(50, 300 - 35 - 3));
        // Hiding the toolbar takes its option menu along.
        menu.hide();
        QVERIFY(!menu.optionMenu(TEXT)->isVisible());
    }

    void actionButtonsUncheckTools()
    {
        ImageEditMenu menu;
        Recorder rec(&menu);
        menu.show();
        QSignalSpy save(&menu, &ImageEditMenu::save);
        QSignalSpy fix(&menu, &ImageEditMenu::fix);
        QSignalSpy ok(&menu, &ImageEditMenu::ok);
        QSignalSpy exit(&menu, &ImageEditMenu::exit);

        struct Case
        {
            IconButton* button;
            QSignalSpy* spy;
        };
        const Case cases[] = { { menu.pinButton(), &fix }, { menu.saveButton(), &save },
                               { menu.exitButton(), &exit }, { menu.okButton(), &ok } };
        for (const Case& c : cases) {
            rec.paints.clear();
            QTest::mouseClick(menu.toolButton(PENCIL), Qt::LeftButton);
            QTest::mouseClick(c.button, Qt::LeftButton);
            QCOMPARE(c.spy->count(), 1);
            QVERIFY(!menu.toolButton(PENCIL)->isChecked());
            QVERIFY(!menu.optionMenu(PENCIL)->isVisible());
            QCOMPARE(rec.paints, (QList<int>{ PENCIL, 0 }));
        }
        // With nothing checked the reset announces nothing.
        rec.paints.clear();
        QTest::mouseClick(menu.saveButton(), Qt::LeftButton);
        QCOMPARE(save.count(), 2);
        QVERIFY(rec.paints.isEmpty());

        QSignalSpy undo(&menu, &ImageEditMenu::undo);
        QTest::mouseClick(menu.undoButton(), Qt::LeftButton);
        QCOMPARE(undo.count(), 0); // disabled
        menu.disableUndo(false);
        QTest::mouseClick(menu.undoButton(), Qt::LeftButton);
        QCOMPARE(undo.count(), 1);
    }

    void initialPens()
    {
        ImageEditMenu menu;
        for (Graph t : ImageEditMenu::tools()) {
            const QPen p = menu.pen(t);
            if (t == MOSAIC || t == ERASER || t == BLUR) {
                QCOMPARE(p.width(), 15);
                QCOMPARE(p.capStyle(), Qt::RoundCap);
                QCOMPARE(p.brush().color(), QColor(Qt::transparent));
            } else if (t == HIGHLIGHTER) {
                // a wide yellow marker
                QCOMPARE(p.width(), 18);
                QCOMPARE(p.color(), QColor(255, 230, 0));
                QCOMPARE(qobject_cast<LineEditMenu*>(menu.optionMenu(t))->widthButton()->value(), 18);
            } else {
                QCOMPARE(p.color(), QColor(Qt::red)); // every tool starts red
            }
        }
        QCOMPARE(menu.pen(RECTANGLE).width(), 3);
        QCOMPARE(menu.pen(RECTANGLE).capStyle(), Qt::SquareCap);
        QCOMPARE(menu.pen(RECTANGLE).joinStyle(), Qt::MiterJoin);
        QCOMPARE(menu.pen(LINE).capStyle(), Qt::RoundCap);
        QCOMPARE(menu.pen(PENCIL).joinStyle(), Qt::RoundJoin);
        QCOMPARE(menu.pen(ARROW).width(), 1);
        QCOMPARE(menu.pen(ARROW).joinStyle(), Qt::BevelJoin);
        QCOMPARE(menu.pen(TEXT).width(), 1);
        QCOMPARE(menu.pen(Graph(0)), QPen());
        QCOMPARE(menu.pen(Graph(3)), QPen());

        QVERIFY(menu.fill(ARROW));
        QVERIFY(menu.fill(COUNTER)); // a disc, whatever the menu says
        for (Graph t : { RECTANGLE, ELLIPSE, LINE, PENCIL, TEXT, MOSAIC, ERASER, HIGHLIGHTER, BLUR })
            QVERIFY(!menu.fill(t));
        QCOMPARE(menu.font(RECTANGLE), QFont());
        QCOMPARE(menu.font(TEXT).pixelSize(), 16);
    }

    void fillAndWidthExcludeEachOther()
    {
        ImageEditMenu menu;
        Recorder rec(&menu);
        auto graph = static_cast<GraphMenu*>(menu.optionMenu(RECTANGLE));
        QVERIFY(graph->widthButton()->isChecked());

        graph->fillButton()->click();
        QVERIFY(menu.fill(RECTANGLE));
        QCOMPARE(menu.pen(RECTANGLE).width(), 0);
        QVERIFY(!graph->widthButton()->isChecked());
        QVERIFY(!menu.fill(ELLIPSE)); // each shape has its own menu
        QCOMPARE(rec.changes, (QList<int>{ RECTANGLE }));

        // The wheel on the width button turns fill off, the fill button keeps its look.
        roll(graph->widthButton(), 2);
        QVERIFY(!menu.fill(RECTANGLE));
        QCOMPARE(menu.pen(RECTANGLE).width(), 5);
        QVERIFY(graph->fillButton()->isChecked());

        // Fill on, then checking the width button again restores the width.
        graph->fillButton()->click(); // unchecks: fill off
        QVERIFY(!menu.fill(RECTANGLE));
        graph->fillButton()->click();
        QVERIFY(menu.fill(RECTANGLE));
        graph->widthButton()->click();
        QVERIFY(!menu.fill(RECTANGLE));
        QVERIFY(!graph->fillButton()->isChecked());
        QCOMPARE(menu.pen(RECTANGLE).width(), 5);

        // Colour from the panel.
        graph->colorPanel()->setColor(QColor(0, 0, 255));
        QCOMPARE(menu.pen(RECTANGLE).color(), QColor(0, 0, 255));
        QCOMPARE(rec.changes.last(), int(RECTANGLE));
        QCOMPARE(menu.pen(ELLIPSE).color(), QColor(Qt::red));
    }

    void lineAndArrowOptions()
    {
        ImageEditMenu menu;
        Recorder rec(&menu);
        auto line = static_cast<LineEditMenu*>(menu.optionMenu(PENCIL));
        roll(line->widthButton(), 30);
        QCOMPARE(menu.pen(PENCIL).width(), 25); // the button's maximum
        roll(line->widthButton(), -40);
        QCOMPARE(menu.pen(PENCIL).width(), 1);
        QCOMPARE(rec.changes, (QList<int>{ PENCIL, PENCIL }));
        QCOMPARE(menu.pen(LINE).width(), 3);

        auto arrow = static_cast<ArrowEditMenu*>(menu.optionMenu(ARROW));
        arrow->colorPanel()->setColor(QColor(0, 128, 0));
        QCOMPARE(menu.pen(ARROW).color(), QColor(0, 128, 0));
        QCOMPARE(rec.changes.last(), int(ARROW));
        QVERIFY(menu.fill(ARROW));
    }

    void eraserWidthBeyondTheButton()
    {
        ImageEditMenu menu;
        Recorder rec(&menu);
        auto erase = static_cast<EraseMenu*>(menu.optionMenu(ERASER));
        menu.setWidth(ERASER, 40);
        QCOMPARE(menu.pen(ERASER).width(), 40);
        QCOMPARE(erase->widthButton()->value(), 25);
        menu.setWidth(ERASER, 0);
        QCOMPARE(menu.pen(ERASER).width(), 1);
        QCOMPARE(erase->widthButton()->value(), 1);
        QCOMPARE(rec.changes, (QList<int>{ ERASER, ERASER }));
        QCOMPARE(menu.pen(MOSAIC).width(), 15);

        // An unknown tool only announces.
        menu.setWidth(Graph(0), 9);
        QCOMPARE(rec.changes.last(), 0);

        // The button's own wheel reports a change too.
        roll(erase->widthButton(), 3);
        QCOMPARE(menu.pen(ERASER).width(), 4);
    }

    void fontOptions()
    {
        ImageEditMenu menu;
        Recorder rec(&menu);
        auto fonts = static_cast<FontMenu*>(menu.optionMenu(TEXT));
        const QFontDatabase db;
        const QStringList families = db.families();
        QVERIFY(!families.isEmpty());
        const QString expected = families.contains(QStringLiteral("宋体")) ? QStringLiteral("宋体") : families.first();
        QCOMPARE(fonts->familyBox()->currentText(), expected);
        QCOMPARE(fonts->familyBox()->size(), QSize(125, 29));
        QCOMPARE(fonts->styleBox()->size(), QSize(100, 29));
        QCOMPARE(fonts->sizeBox()->size(), QSize(80, 29));
        QCOMPARE(fonts->sizeBox()->currentText(), QStringLiteral("16"));

        QStringList styles;
        for (int i = 0; i < fonts->styleBox()->count(); ++i)
            styles << fonts->styleBox()->itemText(i);
        QCOMPARE(styles, db.styles(expected));
        if (styles.contains(QStringLiteral("Regular")))
            QCOMPARE(fonts->styleBox()->currentText(), QStringLiteral("Regular"));

        fonts->sizeBox()->setCurrentText(QStringLiteral("12"));
        QCOMPARE(menu.font(TEXT).pixelSize(), 12);
        QCOMPARE(rec.changes, (QList<int>{ TEXT }));

        if (families.size() > 1) {
            // A new family refills the styles and counts as one change.
            rec.changes.clear();
            const QString other = families.last();
            fonts->familyBox()->setCurrentText(other);
            QCOMPARE(rec.changes, (QList<int>{ TEXT }));
            QCOMPARE(menu.font(TEXT).family(), other);
            QCOMPARE(fonts->styleBox()->count(), db.styles(other).size());
        }

        fonts->colorPanel()->setColor(QColor(Qt::white));
        QCOMPARE(menu.pen(TEXT).color(), QColor(Qt::white));
    }
};

QTEST_MAIN(TestEditMenu)
#include "tst_editmenu.moc"
