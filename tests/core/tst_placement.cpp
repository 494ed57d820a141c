#include <QtTest>

#include "core/placement.h"
#include "core/screenlayout.h"
#include "core/windowdetect.h"

namespace {

// The layouts a desktop may have: a 1920x1080 primary and a 1280x1024 one.
const QVector<QRect> sideBySide{ QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024) };
const QVector<QRect> stacked{ QRect(0, 0, 1920, 1080), QRect(0, 1080, 1280, 1024) };
const QVector<QRect> primaryRight{ QRect(1280, 0, 1920, 1080), QRect(0, 0, 1280, 1024) };
const QVector<QRect> offset{ QRect(0, 300, 1920, 1080), QRect(1920, 0, 1280, 1024) };

const QSize bar(500, 35);

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void desktopIsTheBoundingRectangleFromTheOrigin()
    {
        QCOMPARE(screenlayout::desktopBounds(sideBySide), QRect(0, 0, 3200, 1080));
        QCOMPARE(screenlayout::desktopBounds(stacked), QRect(0, 0, 1920, 2104));
        QCOMPARE(screenlayout::desktopBounds(primaryRight), QRect(0, 0, 3200, 1080));
        QCOMPARE(screenlayout::desktopBounds(offset), QRect(0, 0, 3200, 1380));
        QCOMPARE(screenlayout::desktopBounds({ QRect(0, 0, 1920, 1080) }), QRect(0, 0, 1920, 1080));
        QCOMPARE(screenlayout::desktopBounds({}).size(), QSize(0, 0));
        // a monitor that does not start at the origin still gets the root's origin
        QCOMPARE(screenlayout::desktopBounds({ QRect(100, 50, 800, 600) }), QRect(0, 0, 900, 650));
    }

    void unshownAreaIsWhatNoMonitorCovers()
    {
        QCOMPARE(screenlayout::unshownArea({ QRect(0, 0, 1920, 1080) }), QRegion());
        QCOMPARE(screenlayout::unshownArea(sideBySide), QRegion(1920, 1024, 1280, 56));
        QCOMPARE(screenlayout::unshownArea(stacked), QRegion(1280, 1080, 640, 1024));
        QCOMPARE(screenlayout::unshownArea(offset), QRegion(0, 0, 1920, 300) | QRegion(1920, 1024, 1280, 356));
        QVERIFY(screenlayout::fullyShown(offset, QRect(1900, 300, 40, 700)));
        QVERIFY(!screenlayout::fullyShown(offset, QRect(1900, 290, 40, 700)));
    }

    void screenOfAnAreaOrPoint()
    {
        // most of the area decides, ties go to the primary (listed first)
        QCOMPARE(screenlayout::screenFor(sideBySide, QRect(1700, 100, 800, 100)), sideBySide[1]);
        QCOMPARE(screenlayout::screenFor(sideBySide, QRect(1820, 100, 200, 100)), sideBySide[0]);
        QCOMPARE(screenlayout::screenFor(stacked, QRect(1500, 1500, 100, 100)), stacked[1]);
        QCOMPARE(screenlayout::screenAt(primaryRight, QPoint(10, 10)), primaryRight[1]);
        QCOMPARE(screenlayout::screenAt(primaryRight, QPoint(1280, 10)), primaryRight[0]);
        // in a gap between monitors: the nearest one
        QCOMPARE(screenlayout::screenAt(offset, QPoint(1000, 10)), offset[0]);
        QCOMPARE(screenlayout::screenAt(offset, QPoint(1910, 10)), offset[1]);
        QCOMPARE(screenlayout::screenFor({}, QRect(0, 0, 10, 10)), QRect());
    }

    void detectedWindowsAreCutToWhatMonitorsShow()
    {
        const QRect desk = screenlayout::desktopBounds(offset);
        // a window half on the primary, half where no monitor shows
        QCOMPARE(windowRectAt({ QRect(100, 100, 400, 400) }, QPoint(200, 400), desk, offset),
                 QRect(100, 300, 400, 200));
        // straddling both monitors: the bounding box of its shown parts
        QCOMPARE(windowRectAt({ QRect(1800, 200, 300, 200) }, QPoint(1850, 350), desk, offset),
                 QRect(1800, 200, 300, 200));
        // a window no monitor shows is passed over for the one beneath
        const QVector<QRect> windows{ QRect(100, 20, 300, 200), QRect(0, 0, 1920, 1380) };
        QCOMPARE(windowRectAt(windows, QPoint(150, 100), desk, offset), desk);
        QCOMPARE(windowRectAt(windows, QPoint(150, 400), desk, offset), QRect(0, 300, 1920, 1080));
        // on the shorter monitor of a side-by-side pair the dead strip is cut off
        QCOMPARE(windowRectAt({ QRect(2000, 900, 400, 300) }, QPoint(2100, 1000),
                              screenlayout::desktopBounds(sideBySide), sideBySide),
                 QRect(2000, 900, 400, 124));
    }

    void toolbarOnOneMonitorAsBefore()
    {
        const QRect screen(0, 0, 1920, 1080);
        placement::ToolbarPlace p = placement::toolbar(QRect(100, 100, 600, 400), bar, screen);
        QCOMPARE(p.pos, QPoint(200, 502));
        QVERIFY(!p.submenusAbove);
        // no room below: above the selection
        p = placement::toolbar(QRect(100, 600, 600, 470), bar, screen);
        QCOMPARE(p.pos, QPoint(200, 600 - 38));
        QVERIFY(p.submenusAbove);
        // room for the toolbar below but not for its option row: above
        p = placement::toolbar(QRect(100, 600, 600, 1079 - 600 - 73), bar, screen);
        QVERIFY(p.submenusAbove);
        p = placement::toolbar(QRect(100, 600, 600, 1079 - 600 - 74), bar, screen);
        QVERIFY(!p.submenusAbove);
        QCOMPARE(p.pos.y() + 2 * 35 + 3 - 1, 1079);
        // no room either side: inside at the bottom
        p = placement::toolbar(QRect(0, 0, 1920, 1080), bar, screen);
        QCOMPARE(p.pos, QPoint(1420, 1079 - 38));
        QVERIFY(p.submenusAbove);
        // never off the left edge
        QCOMPARE(placement::toolbar(QRect(10, 10, 100, 100), bar, screen).pos.x(), 0);
    }

    void toolbarStaysOnTheSelectionsMonitor()
    {
        // a selection ending at y=995 on the shorter monitor: above it, not at 998
        const QRect shorter = sideBySide[1];
        placement::ToolbarPlace p = placement::toolbar(QRect(2000, 500, 400, 496), bar, shorter);
        QCOMPARE(p.pos, QPoint(1920, 500 - 38));
        QVERIFY(shorter.contains(QRect(p.pos, bar)));
        // the lower of two stacked monitors
        p = placement::toolbar(QRect(100, 1200, 400, 300), bar, stacked[1]);
        QCOMPARE(p.pos, QPoint(0, 1502));
        // the whole stacked desktop selected: inside, on the monitor that holds
        // its bottom-right part, not in the gap beside the lower monitor
        const QRect all = screenlayout::desktopBounds(stacked);
        const QRect screen = placement::screenAtCorner(stacked, all, all.bottomRight());
        QCOMPARE(screen, stacked[0]);
        p = placement::toolbar(all, bar, screen);
        QVERIFY(screen.contains(QRect(p.pos, bar)));
        QCOMPARE(p.pos, QPoint(1420, 1079 - 38));
        // a primary to the right of the other monitor, offset vertically
        p = placement::toolbar(QRect(100, 1100, 300, 250), bar, offset[0]);
        QVERIFY(offset[0].contains(QRect(p.pos, bar)));
        QCOMPARE(p.pos, QPoint(0, 1100 - 38));
        p = placement::toolbar(QRect(1950, 50, 100, 100), bar, offset[1]);
        QCOMPARE(p.pos, QPoint(1920, 152));
        // the option row goes where the toolbar says, within the monitor
        QCOMPARE(placement::optionRow(QPoint(1920, 152), bar, QSize(300, 35), false, offset[1]), QPoint(1920, 190));
        QCOMPARE(placement::optionRow(QPoint(3000, 500), bar, QSize(300, 35), true, offset[1]), QPoint(2900, 462));
    }

    void sizeLabelKeepsClearOfTheToolbar()
    {
        const QRect screen(0, 0, 1920, 1080);
        const QSize label(100, 24);
        QCOMPARE(placement::sizeLabel(QRect(100, 200, 50, 50), label, screen), QPoint(101, 176));
        // at the top of the monitor: inside
        QCOMPARE(placement::sizeLabel(QRect(100, 10, 50, 50), label, screen), QPoint(101, 11));
        QCOMPARE(placement::sizeLabel(QRect(2000, 10, 50, 50), label, offset[1]), QPoint(2001, 11));
        QCOMPARE(placement::sizeLabel(QRect(100, 310, 50, 50), label, offset[0]), QPoint(101, 311));

        // a narrow selection low on the monitor: the toolbar flips above it,
        // where the label would be; both stay visible
        const QRect low(300, 900, 120, 150);
        const placement::ToolbarPlace p = placement::toolbar(low, bar, screen);
        QVERIFY(p.submenusAbove);
        const QRect band = placement::toolbarBand(p, bar);
        QCOMPARE(band, QRect(0, 900 - 38 - 38, 500, 73));
        const QRect at(placement::sizeLabel(low, label, screen, band), label);
        QVERIFY(!at.intersects(band));
        QVERIFY(screen.contains(at));
        QCOMPARE(at.topLeft(), QPoint(301, 901));

        // a small monitor: the toolbar inside a selection too short for the
        // label inside as well; the label goes beside the toolbar
        const QRect tiny(0, 0, 800, 100);
        const QRect flat(100, 5, 120, 90);
        const placement::ToolbarPlace q = placement::toolbar(flat, bar, tiny);
        QCOMPARE(q.pos, QPoint(0, 94 - 38));
        const QRect band2 = placement::toolbarBand(q, bar);
        QCOMPARE(placement::sizeLabel(flat, label, tiny, band2), QPoint(503, 18));
        // a toolbar below the selection leaves the label where it always was
        const placement::ToolbarPlace b = placement::toolbar(QRect(100, 200, 50, 50), bar, screen);
        QCOMPARE(placement::sizeLabel(QRect(100, 200, 50, 50), label, screen, placement::toolbarBand(b, bar)),
                 QPoint(101, 176));
    }

    void magnifierFlipsAtTheMonitorsEdge()
    {
        const QSize panel(155, 155);
        QCOMPARE(placement::magnifier(QPoint(100, 100), panel, sideBySide[0]), QPoint(110, 110));
        // at the right edge of the first monitor, not of the desktop
        QCOMPARE(placement::magnifier(QPoint(1900, 100), panel, sideBySide[0]), QPoint(1900 - 165, 110));
        // at the bottom of the shorter monitor
        QCOMPARE(placement::magnifier(QPoint(2000, 1000), panel, sideBySide[1]), QPoint(2010, 1000 - 165));
        // the lower stacked monitor: below the upper one's bottom is fine
        QCOMPARE(placement::magnifier(QPoint(100, 1075), panel, stacked[0]), QPoint(110, 1075 - 165));
        QCOMPARE(placement::magnifier(QPoint(100, 1085), panel, stacked[1]), QPoint(110, 1095));
    }

    void pinnedImagesStayOnAMonitor()
    {
        const QPoint cursor(2500, 500);
        // a snip stays exactly where it was taken, across monitors too
        QCOMPARE(placement::pinnedImage(QRect(2000, 100, 300, 200), offset, cursor), QRect(2000, 100, 300, 200));
        QCOMPARE(placement::pinnedImage(QRect(1800, 400, 300, 200), offset, cursor), QRect(1800, 400, 300, 200));
        // text rendered at the cursor that would run off the monitor
        QCOMPARE(placement::pinnedImage(QRect(3000, 500, 400, 100), offset, cursor), QRect(2800, 500, 400, 100));
        // partly where no monitor shows: onto the monitor holding most of it
        QCOMPARE(placement::pinnedImage(QRect(1000, 250, 200, 100), offset, cursor), QRect(1000, 300, 200, 100));
        // nowhere on a monitor: onto the cursor's
        QCOMPARE(placement::pinnedImage(QRect(100, 10, 200, 100), offset, cursor), QRect(1920, 10, 200, 100));
        // larger than every monitor: from the top-left of the one holding most,
        // or from its own corner where that is on it
        const QRect all = screenlayout::desktopBounds(stacked);
        QCOMPARE(placement::pinnedImage(all, stacked, cursor), all);
        QCOMPARE(placement::pinnedImage(QRect(5, 5, 3000, 50), { QRect(0, 0, 1920, 1080) }, cursor),
                 QRect(5, 5, 3000, 50));
        // wider than its monitor, from the cursor: the corner stays on the monitor
        QCOMPARE(placement::pinnedImage(QRect(950, 530, 4116, 61), { QRect(0, 0, 1920, 1080) }, cursor),
                 QRect(950, 530, 4116, 61));
        QCOMPARE(placement::pinnedImage(QRect(-300, 530, 4116, 61), { QRect(0, 0, 1920, 1080) }, cursor),
                 QRect(0, 530, 4116, 61));
    }
};

QTEST_APPLESS_MAIN(TestPlacement)
#include "tst_placement.moc"
