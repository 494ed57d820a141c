// klipora-test: x11 --compositor
#include <QtTest>
#ifdef KLIPORA_X11
#include <QX11Info>
#endif

#include "core/displayinfo.h"
#include "core/selector.h"
#include "testutil.h"

namespace {

class ProbeSelector : public Selector
{
public:
    using Selector::Selector;
    bool hasFrozenDesktop() const { return !background.isNull(); }
};

bool near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

// With a compositing manager the overlay itself is translucent: no frozen
// grab is taken, and the live desktop shows through the mask.
class TestSelectorComposited : public QObject
{
    Q_OBJECT

private slots:
    void translucentOverLiveDesktop()
    {
#ifndef KLIPORA_X11
        QSKIP("runs under an X compositing manager");
#else
        QVERIFY(testutil::haveX11());
        QTRY_VERIFY_WITH_TIMEOUT(QX11Info::isCompositingManagerRunning(), 10000);
#endif
        DisplayInfo::instance();
        const QPoint outside(1700, 100);
        const QPoint inside(700, 500);
        const QColor desktop = testutil::screenPixel(outside);
        QVERIFY(desktop.isValid());
        QVERIFY(near(testutil::screenPixel(inside), desktop));

        ProbeSelector selector(nullptr);
        selector.setUseDetectWindow(false);
        selector.start();
        QVERIFY(QTest::qWaitForWindowExposed(&selector, 10000));
        QVERIFY(!selector.hasFrozenDesktop());
        QVERIFY(testutil::movePointer(QPoint(600, 400)));
        QVERIFY(testutil::run(QStringLiteral("xdotool"), { QStringLiteral("mousedown"), QStringLiteral("1") }).exitCode == 0);
        QVERIFY(testutil::movePointer(QPoint(800, 600)));
        QVERIFY(testutil::run(QStringLiteral("xdotool"), { QStringLiteral("mouseup"), QStringLiteral("1") }).exitCode == 0);
        QTRY_COMPARE_WITH_TIMEOUT(selector.currentStatus(), int(Selector::CAPTURED), 10000);

        auto dim = [](int v) { return (v * 155 + 127) / 255; };
        const QColor dimmed(dim(desktop.red()), dim(desktop.green()), dim(desktop.blue()));
        QTRY_VERIFY_WITH_TIMEOUT(near(testutil::screenPixel(outside), dimmed), 10000);
        QVERIFY(near(testutil::screenPixel(inside), desktop));
        QVERIFY(near(testutil::screenPixel(QPoint(600, 400)), Qt::cyan));

        selector.exit();
        QTRY_VERIFY_WITH_TIMEOUT(near(testutil::screenPixel(outside), desktop), 10000);
    }
};

QTEST_MAIN(TestSelectorComposited)
#include "tst_selector_composited.moc"
