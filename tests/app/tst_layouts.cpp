// klipora-test: x11 --layout side
// klipora-test: x11 --layout stacked
// klipora-test: x11 --layout primary-right
// klipora-test: x11 --layout offset
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QScreen>
#include <QtTest>

#include <functional>
#include <memory>

#include "core/config.h"
#include "core/displayinfo.h"
#include "core/imagewindow.h"
#include "core/qpointformat.h"
#include "core/resources.h"
#include "core/screenlayout.h"
#include "klipora.h"
#include "recordingutil.h"
#include "snip/screenshoter.h"
#include "pixelcheck.h"
#include "testutil.h"
#include "video/recordmenu.h"
#include "video/screenrecorder.h"
#include "video/videojob.h"
#include "widgets/imageeditmenu.h"

// The whole road of a snip, a pin and a recording, from outside, on two
// monitors placed as the session says: a 1920x1080 primary and a 1280x1024
// second monitor side by side, stacked, with the primary on the right, or
// with the primary 300 rows lower.

using testutil::clipboardAs;
using testutil::differences;
using testutil::near;
using testutil::xdo;

namespace {

struct Layout
{
    QRect primary;
    QRect second;
};

Layout expectedLayout(const QString& name)
{
    if (name == QLatin1String("stacked"))
        return { QRect(0, 0, 1920, 1080), QRect(0, 1080, 1280, 1024) };
    if (name == QLatin1String("primary-right"))
        return { QRect(1280, 0, 1920, 1080), QRect(0, 0, 1280, 1024) };
    if (name == QLatin1String("offset"))
        return { QRect(0, 300, 1920, 1080), QRect(1920, 0, 1280, 1024) };
    return { QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024) };
}

// Blocks of distinct colours: any shift shows at their edges, and they
// survive video compression.
QColor patternAt(int x, int y)
{
    const int bx = x / 48;
    const int by = y / 48;
    return QColor((bx * 97 + 40) % 256, (by * 89 + 20) % 256, ((bx + by) * 61 + 10) % 256);
}

QString num(int v)
{
    return QString::number(v);
}


// A user's drag, through XTEST; the button goes up once the overlay has
// followed the pointer to the end.
bool realDrag(Selector* overlay, const QPoint& from, const QPoint& to)
{
    const QPoint mid = (from + to) / 2;
    if (!testutil::movePointer(from) || !xdo({ "mousedown", "1" }) || !testutil::movePointer(mid)
        || !testutil::movePointer(to))
        return false;
    const bool followed = QTest::qWaitFor(
        [overlay, to] { return QPoint(overlay->selection().x2, overlay->selection().y2) == to; }, 30000);
    if (!followed)
        qWarning() << "the overlay did not follow the drag: status" << overlay->currentStatus() << "selection"
                   << overlay->selectedRect() << "pointer" << QCursor::pos() << "overlay window" << Qt::hex
                   << overlay->winId() << "under the pointer:"
                   << testutil::run(QStringLiteral("xdotool"), { "getmouselocation" }).out;
    return xdo({ "mouseup", "1" }) && followed;
}




} // namespace

class TestLayouts : public QObject
{
    Q_OBJECT

    QString layoutName_;
    Layout layout_;
    QVector<QRect> screens_;
    QRect desktop_;
    std::unique_ptr<testutil::PatternWindow> pattern_;
    std::unique_ptr<Klipora> app_;
    ScreenShoter* shoter_ = nullptr;

    // What the user sees before the overlay: the real screen, read from outside.
    QImage reference()
    {
        pattern_->repaint();
        QApplication::processEvents();
        return testutil::rootScreenshot();
    }

    bool startOverlay()
    {
        if (!testutil::pressKeys(QStringLiteral("F1")))
            return false;
        return QTest::qWaitFor([this] { return shoter_->isVisible() && shoter_->currentStatus() == Selector::STARTED; },
                               30000)
            && QTest::qWaitForWindowExposed(shoter_, 30000);
    }

    bool overlayClosed()
    {
        return QTest::qWaitFor([this] { return !shoter_->isVisible(); }, 30000);
    }

    // The rectangle of a top-level window as the X server has it.
    static QRect onScreen(QWidget* w)
    {
        const testutil::ProcessResult r =
            testutil::run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), num(int(w->winId())) });
        const QString out = QString::fromUtf8(r.out);
        auto field = [&out](const char* name) {
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name))).match(out);
            return m.hasMatch() ? m.captured(1).toInt() : -1;
        };
        return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
    }

    bool onOneMonitor(const QRect& r) const
    {
        for (const QRect& s : screens_) {
            if (s.contains(r))
                return true;
        }
        return false;
    }

    // A selection dragged on the overlay, then the toolbar and the size
    // label checked where the user sees them.
    void selectWithToolbarOnAMonitor(const QRect& r)
    {
        QVERIFY(realDrag(shoter_, r.topLeft(), r.bottomRight()));
        QTRY_COMPARE_WITH_TIMEOUT(shoter_->currentStatus(), int(Selector::CAPTURED), 30000);
        QCOMPARE(shoter_->selectedRect(), r);
        ImageEditMenu* bar = shoter_->menu();
        QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), 30000);
        QRect barRect;
        QTRY_VERIFY_WITH_TIMEOUT(onOneMonitor(barRect = onScreen(bar)), 30000);
        QVERIFY2(barRect.size() == bar->size(), qPrintable(QStringLiteral("toolbar %1,%2 %3x%4")
                                                               .arg(barRect.x())
                                                               .arg(barRect.y())
                                                               .arg(barRect.width())
                                                               .arg(barRect.height())));
        const QRect label(shoter_->sizeInfo()->mapToGlobal(QPoint(0, 0)), shoter_->sizeInfo()->size());
        QVERIFY(shoter_->sizeInfo()->isVisible());
        QVERIFY(onOneMonitor(label));
        QVERIFY(!label.intersects(barRect));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        layoutName_ = qEnvironmentVariable("XSESSION_LAYOUT");
        QVERIFY2(!layoutName_.isEmpty(), "run through with-x.sh --layout");
        layout_ = expectedLayout(layoutName_);
        initResources();
        DisplayInfo::instance();
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::screens().size(), 2, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::primaryScreen()->geometry(), layout_.primary, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(DisplayInfo::screenRects().contains(layout_.second), 20000);
        screens_ = DisplayInfo::screenRects();
        desktop_ = layout_.primary.united(layout_.second).united(QRect(0, 0, 1, 1));
        QCOMPARE(DisplayInfo::desktopRect(), desktop_);

        Config::instance().set(Config::RecordPath, QDir(testutil::tempDir()).filePath(QStringLiteral("videos")));

        pattern_ = std::make_unique<testutil::PatternWindow>(patternAt, desktop_);
        pattern_->show();
        QVERIFY(QTest::qWaitForWindowExposed(pattern_.get(), 30000));
        // It bypasses the window manager, as overlays do; a real desktop
        // lies below every window, pins included.
        pattern_->lower();
        app_ = std::make_unique<Klipora>();
        QTRY_VERIFY_WITH_TIMEOUT(app_->isFullyBuilt(), 30000);
        shoter_ = app_->screenShoter();
    }

    void cleanupTestCase()
    {
        app_.reset();
        pattern_.reset();
    }

    void cleanup()
    {
        // a failed case must not leave its overlay over the next one
        if (shoter_->currentStatus() != Selector::IDLE)
            shoter_->exit();
        ScreenRecorder* recorder = app_->screenRecorder();
        if (recorder->currentStatus() != Selector::IDLE)
            recorder->exit();
        qDeleteAll(app_->findChildren<ImageWindow*>());
        QTRY_VERIFY_WITH_TIMEOUT(!shoter_->isVisible() && !recorder->isVisible(), 30000);
    }

    void frozenOverlayIsTheDesktopDimmed()
    {
        // a window on the second monitor, which window detection proposes
        QWidget target;
        target.setWindowTitle(QStringLiteral("target"));
        target.setGeometry(QRect(layout_.second.topLeft() + QPoint(300, 200), QSize(400, 300)));
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target, 30000));
        QRect frame;
        QTRY_VERIFY_WITH_TIMEOUT(layout_.second.contains(frame = testutil::x11FrameRect(&target)), 30000);
        const QPoint pointer = frame.topLeft() + QPoint(30, 30);
        QVERIFY(testutil::movePointer(pointer));

        const QImage before = reference();
        QCOMPARE(before.size(), desktop_.size());
        QVERIFY(startOverlay());
        QCOMPARE(shoter_->geometry(), desktop_);
        QCOMPARE(onScreen(shoter_), desktop_);
        QCOMPARE(shoter_->selectedRect(), frame);
        const QColor mask = shoter_->currentMaskColor();
        QVERIFY(mask.alpha() > 50);

        // Outside the proposed window everything is dimmed by the mask and
        // what no monitor shows is plain mask; inside is the desktop as it
        // was. Left out: the border and handles, the size label, and where
        // a magnifier could come up around the pointer.
        QRegion keptOut = QRegion(frame.adjusted(-4, -4, 4, 4)) - QRegion(frame.adjusted(4, 4, -4, -4));
        keptOut |= QRegion(shoter_->sizeInfo()->geometry().adjusted(-2, -2, 2, 2));
        keptOut |= QRegion(QRect(pointer - QPoint(170, 170), QSize(340, 340)));
        QRegion shown;
        for (const QRect& s : screens_)
            shown |= QRegion(s);
        const QRegion dimmed = shown - QRegion(frame) - keptOut;
        const QRegion inside = QRegion(frame) - keptOut;
        const QRegion unshown = screenlayout::unshownArea(screens_);
        QVERIFY(!inside.isEmpty());
        const int a = mask.alpha();
        auto dim = [&](int x, int y) {
            const QRgb c = before.pixel(x, y);
            return qRgb(qRed(c) * (255 - a) / 255, qGreen(c) * (255 - a) / 255, qBlue(c) * (255 - a) / 255);
        };
        QString report;
        int wrong = -1;
        // the overlay paints in its own time: look until it has
        for (int tries = 0; tries < 20 && wrong != 0; ++tries) {
            QTest::qWait(tries ? 500 : 0);
            const QImage shot = testutil::rootScreenshot();
            QCOMPARE(shot.size(), desktop_.size());
            report.clear();
            wrong = differences(shot, dim, dimmed, 3, &report)
                + differences(shot, [&](int x, int y) { return before.pixel(x, y); }, inside, 2, &report)
                + differences(shot, [](int, int) { return qRgb(0, 0, 0); }, unshown, 0, &report);
        }
        QVERIFY2(wrong == 0, qPrintable(QString::number(wrong) + QStringLiteral(" pixels wrong:") + report));
        // the pattern really was there before, also where no monitor shows,
        // and the mask tells it from its dimmed self
        QVERIFY(!near(before.pixel(frame.center()), dim(frame.center().x(), frame.center().y()), 3));
        for (const QRect& r : unshown)
            QVERIFY(before.pixel(r.center()) != qRgb(0, 0, 0));
        QVERIFY(testutil::pressKeys(QStringLiteral("Escape")));
        QVERIFY(overlayClosed());
    }

    void selectionOnEachMonitorCopiesItsPixels()
    {
        for (int i = 0; i < 2; ++i) {
            const QRect s = i == 0 ? layout_.primary : layout_.second;
            // low on the monitor: no room below for the toolbar there
            const QRect r(s.left() + 230, s.bottom() - 28 - 300, 321, 301);
            const QImage before = reference();
            QVERIFY(startOverlay());
            selectWithToolbarOnAMonitor(r);
            QVERIFY(testutil::pressKeys(QStringLiteral("Return")));
            QVERIFY(overlayClosed());

            QPoint pos;
            QTRY_VERIFY_WITH_TIMEOUT(decodeQPoint(clipboardAs(QStringLiteral("application/qpoint")), &pos), 30000);
            QCOMPARE(pos, r.topLeft());
            QImage copied;
            QVERIFY(copied.loadFromData(clipboardAs(QStringLiteral("image/png")), "PNG"));
            QCOMPARE(copied.convertToFormat(QImage::Format_RGB32), before.copy(r));
        }
    }

    void selectAllCopiesTheWholeDesktop()
    {
        const QImage before = reference();
        QVERIFY(startOverlay());
        QVERIFY(testutil::pressKeys(QStringLiteral("ctrl+a")));
        QTRY_COMPARE_WITH_TIMEOUT(shoter_->currentStatus(), int(Selector::CAPTURED), 30000);
        QCOMPARE(shoter_->selectedRect(), desktop_);
        QTRY_VERIFY_WITH_TIMEOUT(shoter_->menu()->isVisible(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(onOneMonitor(onScreen(shoter_->menu())), 30000);
        QVERIFY(testutil::pressKeys(QStringLiteral("Return")));
        QVERIFY(overlayClosed());

        QPoint pos(-1, -1);
        QTRY_VERIFY_WITH_TIMEOUT(decodeQPoint(clipboardAs(QStringLiteral("application/qpoint")), &pos), 30000);
        QCOMPARE(pos, QPoint(0, 0));
        QImage copied;
        QVERIFY(copied.loadFromData(clipboardAs(QStringLiteral("image/png")), "PNG"));
        copied = copied.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied.size(), desktop_.size());
        QRegion shown;
        for (const QRect& s : screens_)
            shown |= QRegion(s);
        QString report;
        const int wrong = differences(copied, [&](int x, int y) { return before.pixel(x, y); }, shown, 0, &report)
            + differences(copied, [](int, int) { return qRgb(0, 0, 0); }, screenlayout::unshownArea(screens_), 0,
                          &report);
        QVERIFY2(wrong == 0, qPrintable(QString::number(wrong) + QStringLiteral(" pixels wrong:") + report));
    }

    void pinnedSnipShowsWhereItWasTaken()
    {
        const QRect r(layout_.second.left() + 400, layout_.second.top() + 150, 250, 180);
        const QImage before = reference();
        QVERIFY(startOverlay());
        QVERIFY(realDrag(shoter_, r.topLeft(), r.bottomRight()));
        QTRY_COMPARE_WITH_TIMEOUT(shoter_->currentStatus(), int(Selector::CAPTURED), 30000);
        QVERIFY(testutil::pressKeys(QStringLiteral("p")));
        QVERIFY(overlayClosed());
        QList<ImageWindow*> pins;
        QTRY_VERIFY_WITH_TIMEOUT((pins = app_->findChildren<ImageWindow*>()).size() == 1, 30000);
        ImageWindow* pin = pins.first();
        QVERIFY(QTest::qWaitForWindowExposed(pin, 30000));
        // the pattern stays below; the pin's image covers exactly the snip
        QString report;
        int wrong = -1;
        for (int tries = 0; tries < 20 && wrong != 0; ++tries) {
            QTest::qWait(tries ? 500 : 0);
            const QImage shot = testutil::rootScreenshot();
            report.clear();
            wrong = differences(shot, [&](int x, int y) { return before.pixel(x, y); }, QRegion(r), 0, &report);
        }
        QVERIFY2(wrong == 0, qPrintable(QString::number(wrong) + QStringLiteral(" pixels wrong:") + report));
        QCOMPARE(testutil::x11FrameRect(pin).topLeft(), r.topLeft() - QPoint(ImageWindow::MARGIN, ImageWindow::MARGIN));
        pin->close();
        QTRY_VERIFY_WITH_TIMEOUT(app_->findChildren<ImageWindow*>().isEmpty(), 30000);
    }

    void recordingOfTheSecondMonitorShowsIt()
    {
        ScreenRecorder* recorder = app_->screenRecorder();
        testutil::MessageLog log(recorder);
        const QRect r(layout_.second.left() + 96, layout_.second.bottom() - 96 - 300, 400, 300);
        const QImage before = reference();
        QVERIFY(testutil::pressKeys(QStringLiteral("ctrl+alt+v")));
        QTRY_COMPARE_WITH_TIMEOUT(recorder->currentStatus(), int(Selector::STARTED), 30000);
        QVERIFY(QTest::qWaitForWindowExposed(recorder, 30000));
        QCOMPARE(onScreen(recorder), desktop_);
        QVERIFY(realDrag(recorder, r.topLeft(), r.bottomRight()));
        QTRY_COMPARE_WITH_TIMEOUT(recorder->currentStatus(), int(Selector::CAPTURED), 30000);
        QVERIFY(testutil::pressKeys(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(recorder->currentStatus(), int(Selector::LOCKED), 30000);
        QVERIFY(testutil::waitUntilGrabbing(recorder->job()->run()));
        QTest::qWait(1500);
        QVERIFY(testutil::pressKeys(QStringLiteral("ctrl+alt+v")));
        QTRY_COMPARE_WITH_TIMEOUT(log.paths(), 1, 30000);

        const QString file = recorder->outputPath();
        const QJsonObject video = testutil::mediaStream(testutil::probeMedia(file), QStringLiteral("video"));
        QCOMPARE(video.value(QStringLiteral("width")).toInt(), r.width());
        QCOMPARE(video.value(QStringLiteral("height")).toInt(), r.height());
        const QImage frame = testutil::frameAt(file, 0.5).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(frame.size(), r.size());
        // the middle of every block the region holds whole
        int checked = 0;
        QString report;
        for (int y = (r.top() / 48 + 1) * 48 + 24; y + 24 <= r.bottom(); y += 48) {
            for (int x = (r.left() / 48 + 1) * 48 + 24; x + 24 <= r.right(); x += 48) {
                ++checked;
                const QRgb got = frame.pixel(x - r.left(), y - r.top());
                if (!near(got, before.pixel(x, y), testutil::FRAME_TOLERANCE))
                    report += QStringLiteral(" (%1,%2) is %3, not %4;")
                                  .arg(x)
                                  .arg(y)
                                  .arg(QColor(got).name(), QColor(before.pixel(x, y)).name());
            }
        }
        QVERIFY(checked >= 20);
        QVERIFY2(report.isEmpty(), qPrintable(report));
    }
};

QTEST_MAIN(TestLayouts)
#include "tst_layouts.moc"
