// klipora-test: wayland
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "core/imagewindow.h"
#include "recordingutil.h"
#include "testutil.h"

// Klipora on headless sway (scripts/with-sway.sh): two outputs side by side,
// no X server. Pixels are checked with grim, the clipboard with wl-paste,
// windows with swaymsg and recordings with ffprobe; keys come from wtype.
namespace {

const QString PROGRAM = QStringLiteral(KLIPORA_BIN_DIR "/klipora");
// both outputs: 1280x720 at 0,0 and 1024x768 at 1280,0
const QSize DESKTOP(2304, 768);

testutil::ProcessResult klipora(const QStringList& args, int timeoutMs = 60000)
{
    return testutil::run(PROGRAM, args, timeoutMs);
}

QString describe(const testutil::ProcessResult& r)
{
    return QStringLiteral("exit %1, stderr: %2").arg(r.exitCode).arg(QString::fromLocal8Bit(r.err));
}

QImage opaque(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// What another program sees on the desktop.
QImage grim()
{
    const testutil::ProcessResult r = testutil::run(QStringLiteral("grim"), {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")});
    if (r.exitCode != 0)
        return QImage();
    return opaque(QImage::fromData(r.out, "PPM"));
}

QImage clipboardPng()
{
    const testutil::ProcessResult r = testutil::run(QStringLiteral("wl-paste"),
                                                    {QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("image/png")}, 10000);
    if (r.exitCode != 0)
        return QImage();
    return opaque(QImage::fromData(r.out, "PNG"));
}

bool wtype(const QStringList& args)
{
    return testutil::run(QStringLiteral("wtype"), args, 10000).exitCode == 0;
}

// Every view in sway's tree whose title starts with the prefix.
QVector<QJsonObject> views(const QString& titlePrefix)
{
    const testutil::ProcessResult r = testutil::run(QStringLiteral("swaymsg"),
                                                    {QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")}, 10000);
    QVector<QJsonObject> found;
    QVector<QJsonObject> todo{QJsonDocument::fromJson(r.out).object()};
    while (!todo.isEmpty()) {
        const QJsonObject node = todo.takeLast();
        if (node.value(QStringLiteral("name")).toString().startsWith(titlePrefix))
            found << node;
        for (const char* key : {"nodes", "floating_nodes"}) {
            for (const QJsonValue& child : node.value(QLatin1String(key)).toArray())
                todo << child.toObject();
        }
    }
    return found;
}

// one read of the tree: the view may vanish between two reads
QJsonObject firstView(const QString& titlePrefix)
{
    const QVector<QJsonObject> found = views(titlePrefix);
    return found.isEmpty() ? QJsonObject() : found.first();
}

bool overlayGone()
{
    const QVector<QJsonObject> overlays = views(QStringLiteral("Klipora overlay"));
    return overlays.isEmpty() || !overlays.first().value(QStringLiteral("visible")).toBool(true);
}

QRect rectOf(const QJsonObject& node)
{
    const QJsonObject r = node.value(QStringLiteral("rect")).toObject();
    return QRect(r.value(QStringLiteral("x")).toInt(), r.value(QStringLiteral("y")).toInt(),
                 r.value(QStringLiteral("width")).toInt(), r.value(QStringLiteral("height")).toInt());
}

bool overlayCoversDesktop()
{
    for (const QJsonObject& view : views(QStringLiteral("Klipora overlay"))) {
        if (rectOf(view) == QRect(QPoint(0, 0), DESKTOP) && view.value(QStringLiteral("focused")).toBool())
            return true;
    }
    return false;
}

// The image of a desktop area at `origin` with what no monitor shows (below
// the shorter output) blacked out: nobody has seen those pixels, and their
// value is neither grim's nor Klipora's to define.
QImage shownPart(QImage image, const QPoint& origin)
{
    QPainter painter(&image);
    painter.fillRect(QRect(0, 720, 1280, DESKTOP.height() - 720).translated(-origin), Qt::black);
    painter.end();
    return image;
}

QStringList videosIn(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, {QStringLiteral("Klipora_video_*.mp4")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsEmpty("DISPLAY"), "the session must have no X display");
        QVERIFY(!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
        const QImage desktop = grim();
        QCOMPARE(desktop.size(), DESKTOP);

        // the instance, started the way a user's session would, with its log kept
        instance_.setProgram(PROGRAM);
        instance_.setProcessChannelMode(QProcess::MergedChannels);
        instance_.start();
        QVERIFY(instance_.waitForStarted(30000));
        QTRY_VERIFY_WITH_TIMEOUT((log_ += instance_.readAll(), log_.contains("ready.")), 60000);
        QVERIFY2(log_.contains("desktop: wlroots"), log_.constData());
        // no swaybar here: no tray, said once, and the instance carries on
        QCOMPARE(log_.count("no system tray"), 1);
    }

    void cleanupTestCase()
    {
        log_ += instance_.readAll();
        qInfo().noquote() << "Klipora's log:\n" << log_;
        if (instance_.state() == QProcess::NotRunning)
            return;
        klipora({QStringLiteral("quit")});
        if (!instance_.waitForFinished(30000)) {
            instance_.kill();
            instance_.waitForFinished(5000);
        }
    }

    void shotToFileIsWhatGrimSees()
    {
        const QString path = QDir(testutil::tempDir()).filePath(QStringLiteral("shot.png"));
        const QImage expected = grim();
        const testutil::ProcessResult r = klipora({QStringLiteral("shot"), QStringLiteral("--path"), path});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        const QImage shot = opaque(QImage(path));
        QCOMPARE(shot.size(), DESKTOP);
        QCOMPARE(shot, expected);

        // a region across both outputs
        const QString part = QDir(testutil::tempDir()).filePath(QStringLiteral("part.png"));
        const testutil::ProcessResult p =
            klipora({QStringLiteral("shot"), QStringLiteral("--region"), QStringLiteral("1200,100,200,50"),
                     QStringLiteral("--path"), part});
        QVERIFY2(p.exitCode == 0, qPrintable(describe(p)));
        QCOMPARE(opaque(QImage(part)), expected.copy(1200, 100, 200, 50));
    }

    void snipSelectAllReturnCopiesBothOutputs()
    {
        const QImage expected = grim();
        QProcess snip;
        snip.start(PROGRAM, {QStringLiteral("snip")});
        QVERIFY(snip.waitForStarted(30000));
        // the overlay is up, over both outputs, and has the keyboard
        QTRY_VERIFY_WITH_TIMEOUT(overlayCoversDesktop(), 30000);
        QVERIFY(wtype({QStringLiteral("-M"), QStringLiteral("ctrl"), QStringLiteral("a"), QStringLiteral("-m"),
                       QStringLiteral("ctrl")}));
        QVERIFY(wtype({QStringLiteral("-k"), QStringLiteral("Return")}));
        QTRY_COMPARE_WITH_TIMEOUT(clipboardPng().size(), DESKTOP, 30000);
        QCOMPARE(clipboardPng(), expected);
        QTRY_VERIFY_WITH_TIMEOUT(overlayGone(),
                                 30000);
        // the command answers once the overlay is up
        QTRY_COMPARE_WITH_TIMEOUT(snip.state(), QProcess::NotRunning, 30000);
        QCOMPARE(snip.exitCode(), 0);
    }

    void keyboardRegionCopiesThosePixels()
    {
        const QImage expected = grim();
        QProcess snip;
        snip.start(PROGRAM, {QStringLiteral("snip")});
        QVERIFY(snip.waitForStarted(30000));
        QTRY_VERIFY_WITH_TIMEOUT(overlayCoversDesktop(), 30000);
        // everything, then the right edge 3 pixels in and the top edge 2 down
        QVERIFY(wtype({QStringLiteral("-M"), QStringLiteral("ctrl"), QStringLiteral("a"), QStringLiteral("-m"),
                       QStringLiteral("ctrl")}));
        for (const char* key : {"Left", "Left", "Left", "Up", "Up"}) {
            QVERIFY(wtype({QStringLiteral("-M"), QStringLiteral("shift"), QStringLiteral("-k"), QLatin1String(key),
                           QStringLiteral("-m"), QStringLiteral("shift")}));
        }
        QVERIFY(wtype({QStringLiteral("-k"), QStringLiteral("Return")}));
        const QRect region(0, 2, DESKTOP.width() - 3, DESKTOP.height() - 2);
        // the clipboard changes hands once the overlay is gone
        QTRY_VERIFY_WITH_TIMEOUT(overlayGone(),
                                 30000);
        const QSize copied = clipboardPng().size();
        QVERIFY2(copied == region.size(), qPrintable(QStringLiteral("copied %1x%2").arg(copied.width()).arg(copied.height())));
        QCOMPARE(shownPart(clipboardPng(), region.topLeft()), shownPart(expected.copy(region), region.topLeft()));
        QTRY_COMPARE_WITH_TIMEOUT(snip.state(), QProcess::NotRunning, 30000);
        snipRegion_ = region;
    }

    void pinFloatsAtTheSnipsPlace()
    {
        if (snipRegion_.isEmpty())
            QSKIP("needs the snip of keyboardRegionCopiesThosePixels");
        const testutil::ProcessResult r = klipora({QStringLiteral("pin")});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        QTRY_COMPARE_WITH_TIMEOUT(views(QStringLiteral("Klipora pin")).size(), 1, 30000);
        // sway puts it where Klipora asked, in its own frame: top edge at the
        // snip's, less the shadow margin
        QRegularExpressionMatch asked;
        QTRY_VERIFY_WITH_TIMEOUT((log_ += instance_.readAll(),
                                  (asked = QRegularExpression(QStringLiteral("sticky enable, border none, move absolute position (-?\\d+) (-?\\d+)"))
                                               .match(QString::fromLocal8Bit(log_)))
                                      .hasMatch()),
                                 30000);
        const QPoint frame(asked.captured(1).toInt(), asked.captured(2).toInt());
        QCOMPARE(frame.y(), snipRegion_.top() - ImageWindow::MARGIN);
        QTRY_VERIFY_WITH_TIMEOUT(firstView(QStringLiteral("Klipora pin")).value(QStringLiteral("sticky")).toBool(),
                                 30000);
        const QJsonObject pin = firstView(QStringLiteral("Klipora pin"));
        QCOMPARE(pin.value(QStringLiteral("type")).toString(), QStringLiteral("floating_con"));
        QCOMPARE(rectOf(pin).topLeft(), frame);
    }

    void recordRegionTwiceGivesThatRegion()
    {
        const QString home = QDir::homePath();
        QCOMPARE(videosIn(home).size(), 0);
        const testutil::ProcessResult start =
            klipora({QStringLiteral("record"), QStringLiteral("--region"), QStringLiteral("100,100,640,360")});
        QVERIFY2(start.exitCode == 0, qPrintable(describe(start)));
        // wf-recorder is at work once it has made its file
        QTRY_VERIFY_WITH_TIMEOUT((log_ += instance_.readAll(), log_.contains("wf-recorder")), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(videosIn(home).size(), 1, 30000);
        const testutil::ProcessResult stop = klipora({QStringLiteral("record")});
        QVERIFY2(stop.exitCode == 0, qPrintable(describe(stop)));
        const QString file = videosIn(home).first();
        // finished once ffprobe can read it; it is the region's size
        QTRY_VERIFY_WITH_TIMEOUT(!testutil::mediaStream(testutil::probeMedia(file), QStringLiteral("video")).isEmpty(), 30000);
        const QJsonObject video = testutil::mediaStream(testutil::probeMedia(file), QStringLiteral("video"));
        QCOMPARE(video.value(QStringLiteral("width")).toInt(), 640);
        QCOMPARE(video.value(QStringLiteral("height")).toInt(), 360);
        QCOMPARE(video.value(QStringLiteral("codec_name")).toString(), QStringLiteral("h264"));
    }

private:
    QProcess instance_;
    QRect snipRegion_;
    QByteArray log_;
};

QTEST_GUILESS_MAIN(TestWayland)
#include "tst_wayland.moc"
