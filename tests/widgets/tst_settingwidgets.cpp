// klipora-test: x11
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

#include "testutil.h"
#include "widgets/apptabbar.h"
#include "widgets/apptabcontrol.h"
#include "widgets/iconbutton.h"
#include "widgets/shortcutinput.h"
#include "widgets/titlebar.h"
#include "core/resources.h"

class TestSettingWidgets : public QObject
{
    Q_OBJECT

    static void send(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint global)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, w->mapFromGlobal(global), global, button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }

private slots:
    void initTestCase()
    {
        initResources();
    }

    void titleBarReportsLeftDragsAsDeltas()
    {
        TitleBar bar;
        bar.resize(600, 50);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy moved(&bar, &TitleBar::moved);
        const QPoint origin = bar.mapToGlobal(QPoint(300, 25));

        // moving without a press does nothing
        send(&bar, QEvent::MouseMove, Qt::NoButton, origin + QPoint(5, 5));
        QCOMPARE(moved.count(), 0);

        send(&bar, QEvent::MouseButtonPress, Qt::LeftButton, origin);
        send(&bar, QEvent::MouseMove, Qt::LeftButton, origin + QPoint(10, -4));
        send(&bar, QEvent::MouseMove, Qt::LeftButton, origin + QPoint(25, 6));
        send(&bar, QEvent::MouseButtonRelease, Qt::LeftButton, origin + QPoint(25, 6));
        send(&bar, QEvent::MouseMove, Qt::NoButton, origin + QPoint(90, 90));
        QCOMPARE(moved.count(), 2);
        QCOMPARE(moved.at(0).at(0).toPoint(), QPoint(10, -4));
        QCOMPARE(moved.at(1).at(0).toPoint(), QPoint(15, 10));

        send(&bar, QEvent::MouseButtonPress, Qt::RightButton, origin);
        send(&bar, QEvent::MouseMove, Qt::RightButton, origin + QPoint(40, 40));
        send(&bar, QEvent::MouseButtonRelease, Qt::RightButton, origin + QPoint(40, 40));
        send(&bar, QEvent::MouseButtonPress, Qt::MiddleButton, origin);
        send(&bar, QEvent::MouseMove, Qt::MiddleButton, origin + QPoint(40, 40));
        QCOMPARE(moved.count(), 2);
    }

    void titleBarCloseButton()
    {
        TitleBar bar;
        bar.resize(600, 50);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QVERIFY(bar.titleLabel()->text().isEmpty());
        QCOMPARE(bar.titleLabel()->width(), 175);
        QCOMPARE(bar.closeButton()->size(), QSize(50, 50));
        QCOMPARE(bar.closeButton()->currentForeground, QColor(QStringLiteral("#afafaf")));
        QCOMPARE(bar.closeButton()->hoverForeground, QColor(QStringLiteral("#409eff")));
        // the button sits at the right end
        QCOMPARE(bar.closeButton()->geometry().right(), bar.width() - 1);

        QSignalSpy closed(&bar, &TitleBar::close);
        QTest::mouseClick(bar.closeButton(), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        // dragging over the rest of the bar never closes
        QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(300, 25));
        QCOMPARE(closed.count(), 1);
    }

    void shortcutInputStartsReadOnlyAndCentred()
    {
        ShortcutInput fromSequence(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QCOMPARE(fromSequence.text(), QStringLiteral("Ctrl+Alt+V"));
        QVERIFY(fromSequence.isReadOnly());
        QVERIFY(fromSequence.alignment() & Qt::AlignHCenter);

        ShortcutInput fromText(QStringLiteral("F3"));
        QCOMPARE(fromText.text(), QStringLiteral("F3"));
        QVERIFY(fromText.isReadOnly());

        ShortcutInput empty;
        QVERIFY(empty.text().isEmpty());
        QVERIFY(empty.isReadOnly());
    }

    void shortcutInputTakesCombinationsAndFunctionKeys()
    {
        ShortcutInput input(QKeySequence(QStringLiteral("F1")));
        input.show();
        QVERIFY(QTest::qWaitForWindowExposed(&input));
        QSignalSpy spy(&input, &ShortcutInput::changed);

        QTest::keyClick(&input, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(input.text(), QStringLiteral("Ctrl+Shift+A"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QKeySequence>(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));

        QTest::keyClick(&input, Qt::Key_F5);
        QCOMPARE(input.text(), QStringLiteral("F5"));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).value<QKeySequence>(), QKeySequence(Qt::Key_F5));

        QTest::keyClick(&input, Qt::Key_F12, Qt::AltModifier);
        QCOMPARE(input.text(), QStringLiteral("Alt+F12"));
        QCOMPARE(spy.count(), 3);
    }

    void shortcutInputIgnoresEditingKeysAndLoneModifiers()
    {
        ShortcutInput input(QKeySequence(QStringLiteral("Ctrl+Alt+G")));
        input.show();
        QVERIFY(QTest::qWaitForWindowExposed(&input));
        QSignalSpy spy(&input, &ShortcutInput::changed);

        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers mods;
        } ignored[] = {
            {Qt::Key_Shift, Qt::ShiftModifier}, {Qt::Key_Control, Qt::ControlModifier},
            {Qt::Key_Alt, Qt::AltModifier},     {Qt::Key_Escape, Qt::NoModifier},
            {Qt::Key_Backspace, Qt::NoModifier}, {Qt::Key_Delete, Qt::NoModifier},
            {Qt::Key_Return, Qt::NoModifier},   {Qt::Key_Tab, Qt::NoModifier},
            {Qt::Key_Left, Qt::ControlModifier}, {Qt::Key_PageDown, Qt::NoModifier},
            {Qt::Key_CapsLock, Qt::NoModifier}, {Qt::Key_Super_L, Qt::MetaModifier},
        };
        for (const auto& k : ignored) {
            QTest::keyClick(&input, k.key, k.mods);
            QCOMPARE(input.text(), QStringLiteral("Ctrl+Alt+G"));
        }
        QCOMPARE(spy.count(), 0);

        // typed characters do not edit the text either: they replace it
        QTest::keyClicks(&input, QStringLiteral("xy"));
        QCOMPARE(input.text(), QStringLiteral("Y"));
        QCOMPARE(spy.count(), 2);
    }

    void shortcutInputKeyTable()
    {
        QVERIFY(!ShortcutInput::acceptsKey(Qt::Key_Escape));
        QVERIFY(!ShortcutInput::acceptsKey(0x0100002f));
        QVERIFY(ShortcutInput::acceptsKey(Qt::Key_F1));
        QVERIFY(ShortcutInput::acceptsKey(Qt::Key_F35));
        QVERIFY(ShortcutInput::acceptsKey(Qt::Key_Space));
        QVERIFY(ShortcutInput::acceptsKey(Qt::Key_Z));
        QVERIFY(ShortcutInput::acceptsKey(Qt::Key_Menu));
        QVERIFY(!ShortcutInput::acceptsKey(Qt::Key_unknown));
        QVERIFY(!ShortcutInput::acceptsKey(0));
        QVERIFY(!ShortcutInput::acceptsKey(Qt::Key_AltGr));
    }

    void westTabColumnIsFixedSizeWithUprightLabels()
    {
        AppTabControl tabs(45, 225);
        QCOMPARE(tabs.tabPosition(), QTabWidget::West);
        QCOMPARE(tabs.tabBar(), static_cast<QTabBar*>(tabs.appTabBar()));
        QCOMPARE(tabs.tabBar()->cursor().shape(), Qt::PointingHandCursor);
        const QStringList names = {QStringLiteral("General"), QStringLiteral("Screenshot"),
                                   QStringLiteral("Screen recording")};
        for (const QString& name : names)
            tabs.addTab(new QLabel(name), name);
        tabs.resize(850, 500);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));

        QCOMPARE(tabs.tabBar()->width(), 225);
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(tabs.tabBar()->tabRect(i).size(), QSize(225, 45));
        QCOMPARE(tabs.tabBar()->tabRect(1).top(), tabs.tabBar()->tabRect(0).bottom() + 1);

        // Upright labels: the ink of "Screen recording" spreads across the tab
        // much further than it rises, as horizontal text does.
        const QImage image = tabs.tabBar()->grab().toImage();
        const QRect tab = tabs.tabBar()->tabRect(2);
        const QColor background = image.pixelColor(tab.right() - 2, tab.bottom() - 2);
        int left = tab.right(), right = tab.left(), top = tab.bottom(), bottom = tab.top();
        for (int y = tab.top() + 2; y < tab.bottom() - 2; ++y)
            for (int x = tab.left() + 8; x < tab.right() - 2; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (qAbs(c.lightness() - background.lightness()) > 80) {
                    left = qMin(left, x);
                    right = qMax(right, x);
                    top = qMin(top, y);
                    bottom = qMax(bottom, y);
                }
            }
        QVERIFY2(right > left && bottom > top, "no label drawn");
        QVERIFY2(right - left > 3 * (bottom - top),
                 qPrintable(QStringLiteral("label ink %1x%2").arg(right - left).arg(bottom - top)));
        // and whole, not cut down to the width of a tab on its side
        const int full = tabs.tabBar()->fontMetrics().horizontalAdvance(names[2]);
        QVERIFY2(right - left >= full * 8 / 10,
                 qPrintable(QStringLiteral("label ink %1 wide, text %2").arg(right - left).arg(full)));
        QVERIFY(bottom - top < 45);
    }

    void longTabLabelsStayInsideTheColumn()
    {
        // with the settings look, whose tabs have no padding
        AppTabControl tabs(45, 225);
        tabs.setObjectName(QStringLiteral("firstmenu"));
        tabs.tabBar()->setObjectName(QStringLiteral("fristtab"));
        tabs.setStyleSheet(readResourceText(QStringLiteral(":/qss/setting/settingswindow.qss")));
        tabs.addTab(new QLabel, QStringLiteral("Short"));
        tabs.addTab(new QLabel, QStringLiteral("A label far too long for the column of tabs on the left"));
        tabs.resize(850, 300);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        const QImage image = tabs.tabBar()->grab().toImage();
        const QRect tab = tabs.tabBar()->tabRect(1);
        const QColor background = image.pixelColor(tab.center().x(), tab.top() + 4);
        // a few columns in from each side of the long tab carry no ink
        for (int y = tab.top() + 4; y < tab.bottom() - 4; ++y) {
            for (int x : {tab.left() + 6, tab.left() + 7, tab.right() - 3, tab.right() - 4}) {
                const QColor c = image.pixelColor(x, y);
                QVERIFY2(qAbs(c.lightness() - background.lightness()) < 60,
                         qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
            }
        }
    }

    void defaultTabControlHasNoFixedSize()
    {
        AppTabControl tabs;
        QCOMPARE(tabs.tabPosition(), QTabWidget::West);
        QVERIFY(tabs.appTabBar() != nullptr);
    }
};

QTEST_MAIN(TestSettingWidgets)
#include "tst_settingwidgets.moc"
