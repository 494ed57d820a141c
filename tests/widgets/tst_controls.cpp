#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

#include "widgets/buttongroup.h"
#include "widgets/colorbutton.h"
#include "widgets/colordialogbutton.h"
#include "widgets/colorpanel.h"
#include "widgets/iconbutton.h"
#include "widgets/widthbutton.h"

namespace {

void wheel(QWidget* w, int delta)
{
    const QPointF pos(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent event(pos, w->mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &event);
}

void enter(QWidget* w)
{
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPoint(1, 1)));
    QCoreApplication::sendEvent(w, &event);
}

void leave(QWidget* w)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(w, &event);
}

bool near(const QColor& a, const QColor& b, int tolerance = 2)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

QString describe(const QColor& c)
{
    return QStringLiteral("(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

QImage shot(QWidget* w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// A 25 x 25 icon: an opaque square in the middle, a half-transparent pixel,
// and fully transparent elsewhere.
QPixmap testIcon()
{
    QImage image(25, 25, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 8; y < 17; ++y)
        for (int x = 8; x < 17; ++x)
            image.setPixelColor(x, y, QColor(255, 0, 0));
    image.setPixelColor(2, 2, QColor(0, 0, 255, 40));
    return QPixmap::fromImage(image);
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QAbstractButton*>(); }

    void widthButtonWheelStaysInRangeAndAlwaysReports()
    {
        WidthButton button(3, 1, 25);
        button.show();
        QCOMPARE(button.size(), QSize(35, 35));
        QVERIFY(button.isCheckable());
        QSignalSpy spy(&button, &WidthButton::changed);

        wheel(&button, 3 * 120);
        QCOMPARE(button.value(), 6);
        wheel(&button, -120);
        QCOMPARE(button.value(), 5);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toInt(), 5);

        button.setValue(1);
        QCOMPARE(spy.count(), 2); // setValue is silent
        wheel(&button, -120);
        QCOMPARE(button.value(), 1);
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.last().at(0).toInt(), 1);

        button.setValue(25);
        wheel(&button, 5 * 120);
        QCOMPARE(button.value(), 25);
        QCOMPARE(spy.count(), 4);
        QCOMPARE(spy.last().at(0).toInt(), 25);

        // Less than one notch (a smooth-scrolling touchpad) changes nothing.
        wheel(&button, 60);
        QCOMPARE(button.value(), 25);

        button.setValue(0);
        QCOMPARE(button.value(), 1);
        button.setValue(40);
        QCOMPARE(button.value(), 25);
    }

    void widthButtonDotFollowsTheValue()
    {
        WidthButton button(3, 1, 25);
        button.normalBackground = button.currentBackground = Qt::white;
        button.normalForeground = button.currentForeground = Qt::black;
        button.show();
        const QPoint c = button.rect().center();

        QImage image = shot(&button);
        QVERIFY(near(image.pixelColor(c), Qt::black));
        QVERIFY(near(image.pixelColor(c + QPoint(8, 0)), Qt::white));

        wheel(&button, 20 * 120);
        QCOMPARE(button.value(), 23);
        image = shot(&button);
        QVERIFY(near(image.pixelColor(c + QPoint(8, 0)), Qt::black));
        QVERIFY(near(image.pixelColor(c + QPoint(15, 15)), Qt::white));
    }

    void iconButtonIsASilhouetteUnderAVeilWhenDisabled()
    {
        const QColor foreground(56, 56, 56);
        IconButton button(testIcon(), QSize(35, 35), QSize(25, 25), false);
        button.normalBackground = button.currentBackground = Qt::white;
        button.show();

        // Icon centred: its pixel (x, y) lands at (5 + x, 5 + y).
        QImage image = shot(&button);
        QVERIFY2(near(image.pixelColor(17, 17), foreground), qPrintable(describe(image.pixelColor(17, 17))));
        QVERIFY(near(image.pixelColor(7, 7), foreground)); // faint pixel becomes solid too
        QVERIFY(near(image.pixelColor(10, 10), Qt::white)); // transparent stays background
        QVERIFY(near(image.pixelColor(1, 1), Qt::white));

        button.setEnabled(false);
        image = shot(&button);
        // 150/255 of (200, 200, 200) over the content.
        const auto veiled = [](int v) { return v + (200 - v) * 150 / 255; };
        const QColor overIcon(veiled(56), veiled(56), veiled(56));
        const QColor overBackground(veiled(255), veiled(255), veiled(255));
        QVERIFY2(near(image.pixelColor(17, 17), overIcon, 3), qPrintable(describe(image.pixelColor(17, 17))));
        QVERIFY2(near(image.pixelColor(1, 1), overBackground, 3), qPrintable(describe(image.pixelColor(1, 1))));
    }

    void hoverAndCheckedColours()
    {
        IconButton button(testIcon(), QSize(35, 35), QSize(25, 25), true);
        button.normalBackground = button.currentBackground = Qt::white;
        button.hoverBackground = QColor("#d0d0d5");
        button.checkedBackground = QColor("#409eff");
        button.checkedForeground = Qt::white;
        button.show();

        enter(&button);
        QCOMPARE(shot(&button).pixelColor(1, 1), QColor("#d0d0d5"));
        leave(&button);
        QCOMPARE(shot(&button).pixelColor(1, 1), QColor(Qt::white));

        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(button.isChecked());
        QCOMPARE(shot(&button).pixelColor(1, 1), QColor("#409eff"));
        QVERIFY(near(shot(&button).pixelColor(17, 17), Qt::white));
        // A checked button keeps its colours while the pointer passes over it.
        enter(&button);
        QCOMPARE(shot(&button).pixelColor(1, 1), QColor("#409eff"));
        leave(&button);
        QCOMPARE(shot(&button).pixelColor(1, 1), QColor("#409eff"));

        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(!button.isChecked());
        QCOMPARE(shot(&button).pixelColor(1, 1), QColor(Qt::white));
    }

    void buttonGroupIsExclusiveAndUncheckable()
    {
        QWidget window;
        ButtonGroup group;
        QVector<IconButton*> buttons;
        for (int i = 0; i < 3; ++i) {
            auto b = new IconButton(testIcon(), QSize(35, 35), QSize(25, 25), true, &window);
            b->move(40 * i, 0);
            group.addButton(b);
            buttons.append(b);
        }
        group.addButton(nullptr);
        QCOMPARE(group.buttons().size(), 3);
        window.show();

        QSignalSpy clicked(&group, qOverload<QAbstractButton*>(&ButtonGroup::buttonClicked));
        QSignalSpy toggled(&group, &ButtonGroup::buttonToggled);
        QSignalSpy none(&group, &ButtonGroup::uncheckedAll);

        group.uncheckAll();
        QCOMPARE(none.count(), 0);

        QTest::mouseClick(buttons[0], Qt::LeftButton);
        QTest::mouseClick(buttons[2], Qt::LeftButton);
        QVERIFY(!buttons[0]->isChecked());
        QVERIFY(buttons[2]->isChecked());
        QCOMPARE(group.checkedButton(), buttons[2]);
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(clicked.last().at(0).value<QAbstractButton*>(), buttons[2]);
        QCOMPARE(none.count(), 0);
        // b0 on, b2 on, b0 off: the new one is checked before the old one lets go.
        QCOMPARE(toggled.count(), 3);
        QCOMPARE(toggled.at(1).at(0).value<QAbstractButton*>(), buttons[2]);
        QCOMPARE(toggled.at(2).at(0).value<QAbstractButton*>(), buttons[0]);
        QCOMPARE(toggled.at(2).at(1).toBool(), false);

        // Clicking the checked button leaves none checked.
        QTest::mouseClick(buttons[2], Qt::LeftButton);
        QVERIFY(!buttons[2]->isChecked());
        QCOMPARE(group.checkedButton(), nullptr);
        QCOMPARE(none.count(), 1);

        QTest::mouseClick(buttons[1], Qt::LeftButton);
        group.uncheckAll();
        QVERIFY(!buttons[1]->isChecked());
        QCOMPARE(group.checkedButton(), nullptr);
        QCOMPARE(none.count(), 2);

        // A button that dies leaves the group.
        QTest::mouseClick(buttons[0], Qt::LeftButton);
        delete buttons[0];
        QCOMPARE(group.buttons().size(), 2);
        QCOMPARE(group.checkedButton(), nullptr);
    }

    void colorButtonShowsHatchThroughTranslucentColours()
    {
        ColorButton clear(QColor(255, 255, 255, 0));
        clear.setFixedSize(20, 20);
        ColorButton solid(QColor(255, 255, 255));
        solid.setFixedSize(20, 20);
        clear.show();
        solid.show();

        const auto blackInside = [](const QImage& image) {
            int n = 0;
            for (int y = 3; y < image.height() - 3; ++y)
                for (int x = 3; x < image.width() - 3; ++x)
                    n += image.pixelColor(x, y) == QColor(Qt::black);
            return n;
        };
        QVERIFY(blackInside(shot(&clear)) > 10);
        QCOMPARE(blackInside(shot(&solid)), 0);

        QCOMPARE(solid.borderColor(), QColor("#bfbfbf"));
        enter(&solid);
        QCOMPARE(solid.borderColor(), QColor("#2080f0"));
        QCOMPARE(shot(&solid).pixelColor(0, 10), QColor("#2080f0"));
        leave(&solid);
        QCOMPARE(solid.borderColor(), QColor("#bfbfbf"));

        QCOMPARE(ColorButton().color(), QColor(Qt::blue));
    }

    void swatchClickSetsThePanelColour()
    {
        ColorPanel panel;
        panel.show();
        QCOMPARE(panel.color(), QColor(Qt::red));
        QCOMPARE(panel.currentButton()->size(), QSize(29, 29));
        QCOMPARE(panel.swatches().size(), 16);
        QCOMPARE(panel.swatches().last()->color(), QColor(128, 255, 128));
        // Columns left to right, two rows each.
        const auto* first = panel.swatches().at(0);
        const auto* below = panel.swatches().at(1);
        const auto* next = panel.swatches().at(2);
        QCOMPARE(below->x(), first->x());
        QVERIFY(below->y() > first->y());
        QVERIFY(next->x() > first->x());
        QCOMPARE(first->size(), QSize(14, 14));

        QSignalSpy spy(&panel, &ColorPanel::changed);
        QTest::mouseClick(panel.swatches().last(), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QColor>(), QColor(128, 255, 128));
        QCOMPARE(panel.color(), QColor(128, 255, 128));
        const QImage image = shot(panel.currentButton());
        QCOMPARE(image.pixelColor(14, 14), QColor(128, 255, 128));

        QTest::mouseClick(panel.swatches().at(4), Qt::LeftButton);
        QCOMPARE(panel.color(), QColor(255, 0, 0));
        QCOMPARE(spy.count(), 2);
    }

    void colourDialogRecoloursThePanel()
    {
        ColorPanel panel;
        panel.show();
        QSignalSpy spy(&panel, &ColorPanel::changed);
        const auto dialogs = [] {
            QList<QColorDialog*> found;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QColorDialog*>(w))
                    found << d;
            return found;
        };
        // built when first opened, not with every colour button
        QCOMPARE(dialogs().size(), 0);
        QTest::mouseClick(panel.currentButton(), Qt::LeftButton);
        QCOMPARE(dialogs().size(), 1);
        QColorDialog* dialog = dialogs().first();
        QCOMPARE(panel.currentButton()->dialog(), dialog);
        QVERIFY(dialog->testOption(QColorDialog::ShowAlphaChannel));
        QVERIFY(dialog->testOption(QColorDialog::DontUseNativeDialog));
        QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 5000);
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->currentColor(), QColor(Qt::red));

        const QColor chosen(10, 200, 30);
        dialog->setCurrentColor(chosen);
        auto box = dialog->findChild<QDialogButtonBox*>();
        QVERIFY(box);
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 5000);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QColor>(), chosen);
        QCOMPARE(panel.color(), chosen);
        QCOMPARE(shot(panel.currentButton()).pixelColor(14, 14), chosen);

        // Cancelling changes nothing.
        QTest::mouseClick(panel.currentButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 5000);
        QCOMPARE(dialog->currentColor(), chosen);
        dialog->setCurrentColor(QColor(1, 2, 3));
        QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 5000);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(panel.color(), chosen);

        // Alpha survives the round trip.
        QTest::mouseClick(panel.currentButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 5000);
        dialog->setCurrentColor(QColor(10, 20, 30, 100));
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 5000);
        QCOMPARE(panel.color().alpha(), 100);
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
