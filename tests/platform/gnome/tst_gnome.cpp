// klipora-test: gnome
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include "core/displayinfo.h"
#include "platform/desktop.h"
#include "platform/gnome/mutterrecorder.h"
#include "platform/services.h"
#include "recordingutil.h"
#include "video/ffmpegrun.h"
#include "video/videojob.h"

// Klipora on headless GNOME Shell (scripts/with-gnome.sh): one virtual
// monitor of 1280x720 and Mutter's screen cast, recorded through PipeWire.
namespace {

const QColor COLOURS[] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(40, 60, 230)};

// A full-screen window that changes colour on a timer: Mutter sends frames
// only when the screen changes.
class Blinker : public QWidget
{
public:
    Blinker()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            ++changes;
            update();
        });
        timer_.start(150);
    }

    int changes = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), COLOURS[changes % 3]);
    }

private:
    QTimer timer_;
};

int nearestColour(const QColor& seen)
{
    for (int i = 0; i < 3; ++i) {
        if (testutil::colorNear(seen, COLOURS[i], 40))
            return i;
    }
    return -1;
}

} // namespace

class TestGnome : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        platform::setCurrentDesktop(platform::Desktop::Gnome);
        platform::resetServices();
        QVERIFY(dynamic_cast<MutterRecorder*>(&platform::recorderBackend()));
    }

    void recordsMovingContentThroughTheScreenCast()
    {
        Blinker blinker;
        blinker.showFullScreen();
        QVERIFY(QTest::qWaitForWindowExposed(&blinker, 20000));

        QTemporaryDir folder;
        VideoJob job;
        testutil::MessageLog messages(&job);
        const QRect region(100, 80, 640, 360);
        QVERIFY(job.begin(region, 10, QString(), folder.path(), QDateTime::currentDateTime()));
        QTRY_VERIFY_WITH_TIMEOUT(job.run()->busy() || messages.count() > 0, 30000);
        QVERIFY2(messages.count() == 0, qPrintable(messages.list.value(0).text));
        // a couple of seconds of changes on the screen
        const int from = blinker.changes;
        QTRY_VERIFY_WITH_TIMEOUT(blinker.changes >= from + 14, 30000);
        job.end();
        QTRY_VERIFY_WITH_TIMEOUT(messages.count() > 0, 60000);
        QCOMPARE(messages.paths(), 1);
        const QString file = messages.list.first().text.section(QStringLiteral(": "), 1);
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));

        const QJsonObject info = testutil::probeMedia(file);
        const QJsonObject video = testutil::mediaStream(info, QStringLiteral("video"));
        QCOMPARE(video.value(QStringLiteral("codec_name")).toString(), QStringLiteral("h264"));
        QCOMPARE(video.value(QStringLiteral("width")).toInt(), 640);
        QCOMPARE(video.value(QStringLiteral("height")).toInt(), 360);
        const double duration = testutil::mediaDuration(info);
        QVERIFY2(duration >= 1.0, qPrintable(QString::number(duration)));
        // the colours change in the recording as they did on the screen
        QSet<int> seen;
        for (double t = 0.1; t < duration; t += 0.25) {
            const QImage frame = testutil::frameAt(file, t);
            if (!frame.isNull())
                seen.insert(nearestColour(frame.pixelColor(frame.width() / 2, frame.height() / 2)));
        }
        seen.remove(-1);
        qInfo().noquote() << file << video.value(QStringLiteral("nb_frames")).toString() << "frames in" << duration
                          << "s," << seen.size() << "colours seen";
        QVERIFY2(seen.size() >= 2, qPrintable(QStringLiteral("%1 colours seen").arg(seen.size())));
    }

    void cleanupTestCase() { platform::resetServices(); }
};

int main(int argc, char** argv)
{
    // the toolkit would try X first, and there is no X here
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    TestGnome test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_gnome.moc"
