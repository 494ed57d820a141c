#include <QtTest>

#include "platform/wayland/grimgrabber.h"
#include "platform/wayland/swaymsg.h"
#include "platform/wayland/swaywindowlocator.h"
#include "platform/wayland/wfrecorder.h"

namespace {

// A get_tree reply cut down to what the locator reads, as sway 1.7 sends it:
// two outputs, a tiled view with a title bar, two floating views (the later
// one on top), a full-screen view on the second output, a view on a
// workspace no output shows and the scratchpad.
const char* const TREE = R"({
  "id": 1, "type": "root", "name": "root", "rect": {"x": 0, "y": 0, "width": 2304, "height": 768},
  "nodes": [
    {"id": 2, "type": "output", "name": "__i3", "nodes": [
      {"id": 3, "type": "workspace", "name": "__i3_scratch", "nodes": [], "floating_nodes": [
        {"id": 4, "type": "floating_con", "app_id": "hidden", "visible": false,
         "rect": {"x": 5, "y": 5, "width": 50, "height": 50}, "deco_rect": {"x": 0, "y": 0, "width": 0, "height": 0},
         "nodes": [], "floating_nodes": []}]}]},
    {"id": 5, "type": "output", "name": "HEADLESS-1", "rect": {"x": 0, "y": 0, "width": 1280, "height": 720}, "nodes": [
      {"id": 6, "type": "workspace", "name": "1", "nodes": [
        {"id": 7, "type": "con", "app_id": "foot", "visible": true, "fullscreen_mode": 0,
         "rect": {"x": 0, "y": 24, "width": 1280, "height": 696},
         "deco_rect": {"x": 0, "y": 0, "width": 1280, "height": 24}, "nodes": [], "floating_nodes": []}],
       "floating_nodes": [
        {"id": 8, "type": "floating_con", "app_id": "lower", "visible": true,
         "rect": {"x": 100, "y": 100, "width": 300, "height": 200},
         "deco_rect": {"x": 0, "y": 0, "width": 0, "height": 0}, "nodes": [], "floating_nodes": []},
        {"id": 9, "type": "floating_con", "app_id": null, "window_properties": {"class": "xterm"}, "visible": true,
         "rect": {"x": 150, "y": 150, "width": 300, "height": 200},
         "deco_rect": {"x": 0, "y": 0, "width": 300, "height": 20}, "nodes": [], "floating_nodes": []}]},
      {"id": 10, "type": "workspace", "name": "2", "nodes": [
        {"id": 11, "type": "con", "app_id": "elsewhere", "visible": false,
         "rect": {"x": 0, "y": 0, "width": 1280, "height": 720},
         "deco_rect": {"x": 0, "y": 0, "width": 0, "height": 0}, "nodes": [], "floating_nodes": []}],
       "floating_nodes": []}]},
    {"id": 12, "type": "output", "name": "HEADLESS-2", "rect": {"x": 1280, "y": 0, "width": 1024, "height": 768}, "nodes": [
      {"id": 13, "type": "workspace", "name": "3", "nodes": [
        {"id": 14, "type": "con", "name": "split", "layout": "splith", "nodes": [
          {"id": 15, "type": "con", "app_id": "video", "visible": true, "fullscreen_mode": 1,
           "rect": {"x": 1280, "y": 0, "width": 1024, "height": 768},
           "deco_rect": {"x": 0, "y": 0, "width": 0, "height": 0}, "nodes": [], "floating_nodes": []}],
         "floating_nodes": []}],
       "floating_nodes": []}]}
  ]
})";

} // namespace

class TestSwayCommands : public QObject
{
    Q_OBJECT

private slots:
    void grimArgumentsAskForPpm()
    {
        QCOMPARE(grimRegionArgs(QRect(1280, 10, 300, 200)),
                 (QStringList{"-t", "ppm", "-g", "1280,10 300x200", "-"}));
        QCOMPARE(grimOutputArgs("HEADLESS-2"), (QStringList{"-t", "ppm", "-o", "HEADLESS-2", "-"}));
    }

    void grimOutputIsDecodedOrRefused()
    {
        QByteArray ppm = "P6\n2 1\n255\n";
        ppm += QByteArray("\xff\x00\x00\x00\x00\xff", 6);
        const QImage image = decodeGrimOutput(ppm);
        QCOMPARE(image.size(), QSize(2, 1));
        QCOMPARE(image.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(1, 0), qRgb(0, 0, 255));
        QVERIFY(decodeGrimOutput(QByteArray()).isNull());
        QVERIFY(decodeGrimOutput("grim: no outputs\n").isNull());
        // cut short (a killed grim): refused, not read past its end
        QVERIFY(decodeGrimOutput(ppm.left(ppm.size() - 4)).isNull());
    }

    void treeGivesTheVisibleViewsTopmostFirst()
    {
        const QVector<QRect> rects = parseSwayTree(TREE);
        QCOMPARE(rects, (QVector<QRect>{
                            QRect(1280, 0, 1024, 768), // full screen
                            QRect(150, 130, 300, 220), // floating, on top, with its title bar
                            QRect(100, 100, 300, 200), // floating below it
                            QRect(0, 0, 1280, 720),    // tiled, title bar included
                        }));
    }

    void badTreesGiveNoWindows_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not json") << QByteArray("No matching node.");
        QTest::newRow("an array") << QByteArray(R"([{"success": false}])");
        QTest::newRow("cut short") << QByteArray(TREE).left(900);
        QTest::newRow("wrong types") << QByteArray(R"({"nodes": "x", "floating_nodes": 3})");
        QTest::newRow("view without a rect")
            << QByteArray(R"({"nodes": [{"type": "con", "app_id": "a", "nodes": [], "floating_nodes": []}]})");
    }

    void badTreesGiveNoWindows()
    {
        QFETCH(QByteArray, json);
        QVERIFY(parseSwayTree(json).isEmpty());
    }

    void deepTreesAreNotFollowedForever()
    {
        // nested far beyond any real layout: the view at the bottom is ignored
        QByteArray json = R"({"type": "con", "app_id": "deep", "nodes": [], "floating_nodes": [],
                             "rect": {"x": 1, "y": 1, "width": 5, "height": 5}})";
        for (int i = 0; i < 200; ++i)
            json = R"({"type": "con", "nodes": [)" + json + R"(]})";
        QVERIFY(parseSwayTree(json).isEmpty());
    }

    void wfRecorderRecordsTheRegion()
    {
        const WfRecorder recorder;
        const ffmpeg::Grab grab{QRect(100, 50, 640, 360), 30, QString()};
        QCOMPARE(recorder.recordArgs(grab, QString(), "/tmp/out.mp4"),
                 (QStringList{"-D", "-x", "yuv420p", "-g", "100,50 640x360", "-f", "/tmp/out.mp4"}));
        // the sound source is glued to its option, which takes an optional value
        QCOMPARE(recorder.recordArgs(grab, "alsa_input.usb", "/tmp/out.mp4").first(),
                 QStringLiteral("--audio=alsa_input.usb"));
        QCOMPARE(recorder.gifCaptureArgs(grab, "/tmp/take.mp4"),
                 (QStringList{"-D", "-x", "yuv420p", "-g", "100,50 640x360", "-f", "/tmp/take.mp4"}));
        QCOMPARE(recorder.stop(), RecorderBackend::Stop::Interrupt);
    }

    void wfGeometryHasEvenSides()
    {
        QCOMPARE(wfGeometry(QRect(1280, 0, 1024, 768)), QStringLiteral("1280,0 1024x768"));
        QCOMPARE(wfGeometry(QRect(-3, 7, 101, 51)), QStringLiteral("-3,7 100x50"));
        QVERIFY(wfGeometry(QRect(0, 0, 1, 300)).isEmpty());
        QVERIFY(wfGeometry(QRect()).isEmpty());
    }

    void criteriaMatchOneWindowLiterally()
    {
        QCOMPARE(swaymsg::criteria(42, "Klipora pin 1"), QStringLiteral("[pid=42 title=\"^Klipora\\ pin\\ 1$\"]"));
        // a title cannot end the quoted value or act as a pattern
        const QString tricky = swaymsg::criteria(7, "a\"] kill; [title=.*");
        QVERIFY(tricky.startsWith(QLatin1String("[pid=7 title=\"^")));
        QVERIFY(tricky.endsWith(QLatin1String("$\"]")));
        QCOMPARE(tricky.count(QLatin1Char('"')), 2);
        QCOMPARE(swaymsg::criteria(7, "say \"hi\""), QStringLiteral("[pid=7 title=\"^say\\ .hi.$\"]"));
    }

    void repliesAreJudgedPartByPart()
    {
        QVERIFY(swaymsg::succeeded(R"([{"success": true}])"));
        QVERIFY(swaymsg::succeeded(R"([{"success": true}, {"success": true}])"));
        QVERIFY(!swaymsg::succeeded(R"([{"success": true}, {"success": false, "error": "No matching node."}])"));
        QVERIFY(!swaymsg::succeeded(R"([])"));
        QVERIFY(!swaymsg::succeeded("Error: no socket"));
        QVERIFY(!swaymsg::succeeded(QByteArray()));
    }
};

QTEST_GUILESS_MAIN(TestSwayCommands)
#include "tst_swaycommands.moc"
