#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "privatebus.h"

#include "platform/linux/portalscreenshotgrabber.h"

// A stand-in for the desktop portal on a private bus: it answers each
// Screenshot call the way the current mode says, on the Request path the
// caller is meant to listen on.
class StubPortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    enum Mode { Answer, Cancel, Fail, Silent, WrongPath, OwnPath, BeforeReply, Refuse };

    StubPortal(const QDBusConnection& bus, QObject* parent = nullptr)
        : QObject(parent)
        , bus_(bus)
    {
    }

    Mode mode = Answer;
    QString uri;
    int calls = 0;
    QVariantMap lastOptions;
    QString lastParent;

public slots:
    QDBusObjectPath Screenshot(const QString& parentWindow, const QVariantMap& options, const QDBusMessage& message)
    {
        ++calls;
        lastParent = parentWindow;
        lastOptions = options;
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        QString path = portalRequestPath(message.service(), token);
        if (mode == Refuse) {
            message.setDelayedReply(true);
            bus_.send(message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotAllowed"),
                                               QStringLiteral("screenshots are not allowed")));
            return QDBusObjectPath();
        }
        if (mode == OwnPath) {
            // as older portals do: a path of their own, named in the reply
            path = QStringLiteral("/org/freedesktop/portal/desktop/request/old/%1").arg(calls);
        }
        if (mode == WrongPath) {
            // an answer to somebody else's request
            const QString other = portalRequestPath(QStringLiteral(":1.999"), token);
            QTimer::singleShot(20, this, [this, other] { respond(other, 0); });
        } else if (mode == BeforeReply) {
            // answered before the call's reply goes out
            respond(path, 0);
        } else if (mode != Silent) {
            QTimer::singleShot(20, this, [this, path] { respond(path, mode == Cancel ? 1 : mode == Fail ? 2 : 0); });
        }
        return QDBusObjectPath(path);
    }

private:
    void respond(const QString& path, uint code)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                         QStringLiteral("Response"));
        QVariantMap results;
        if (code == 0)
            results.insert(QStringLiteral("uri"), uri);
        signal << QVariant::fromValue(code) << results;
        bus_.send(signal);
    }

    QDBusConnection bus_;
};

namespace {

// A desktop of two screens' worth of colours: every pixel tells where it is.
QImage desktopPicture(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 40 + (y / 256)));
    return image;
}

} // namespace

class TestPortalScreenshot : public QObject
{
    Q_OBJECT

private:
    testutil::PrivateBus bus_;
    QString address_;
    std::unique_ptr<QTemporaryDir> dir_;
    StubPortal* portal_ = nullptr;
    const QSize desktopSize_{640, 300};

    QDBusConnection client() { return QDBusConnection(QStringLiteral("client")); }

    QString writeShot(const QString& name, const QImage& image)
    {
        const QString file = dir_->filePath(name);
        if (!image.save(file, "PNG"))
            return QString();
        return file;
    }

    std::unique_ptr<PortalScreenshotGrabber> grabber(int timeoutMs = 5000)
    {
        auto g = std::make_unique<PortalScreenshotGrabber>(client());
        g->setTimeout(timeoutMs);
        g->setDesktopRect(QRect(QPoint(0, 0), desktopSize_));
        g->setScratchFolders({dir_->path() + QStringLiteral("/scratch")});
        return g;
    }

private slots:
    void initTestCase()
    {
        QString reason;
        if (!bus_.start(&reason))
            QSKIP(qPrintable(reason));
        address_ = bus_.address();
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("scratch")));

        QDBusConnection service = QDBusConnection::connectToBus(address_, QStringLiteral("service"));
        QVERIFY(service.isConnected());
        portal_ = new StubPortal(service, this);
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), portal_,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        QVERIFY(QDBusConnection::connectToBus(address_, QStringLiteral("client")).isConnected());
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("lonely"));
    }

    void init() { portal_->mode = StubPortal::Answer; }

    void requestPathFollowsTheCallersName()
    {
        QCOMPARE(portalRequestPath(":1.42", "klipora1"),
                 QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/klipora1"));
        QCOMPARE(portalRequestPath(":2.0.7", "t"), QStringLiteral("/org/freedesktop/portal/desktop/request/2_0_7/t"));
    }

    void onlyLocalFilesAreShots()
    {
        QCOMPARE(portalShotFile("file:///tmp/out.png"), QStringLiteral("/tmp/out.png"));
        QCOMPARE(portalShotFile("file:///home/u/Pictures/Screenshot%20from%20now.png"),
                 QStringLiteral("/home/u/Pictures/Screenshot from now.png"));
        QVERIFY(portalShotFile("").isEmpty());
        QVERIFY(portalShotFile("https://example.org/a.png").isEmpty());
        QVERIFY(portalShotFile("/tmp/out.png").isEmpty());
        QVERIFY(portalShotFile("file:").isEmpty());
        QVERIFY(portalShotFile("not a uri at all %%").isEmpty());
    }

    void croppingFollowsTheDesktop()
    {
        const QImage shot = desktopPicture(QSize(400, 200));
        // a desktop that starts left of the primary screen
        const QImage part = cropDesktopShot(shot, QRect(-100, 0, 400, 200), QRect(0, 10, 30, 20));
        QCOMPARE(part.size(), QSize(30, 20));
        QCOMPARE(part.pixel(0, 0), shot.pixel(100, 10));
        QCOMPARE(part.pixel(29, 19), shot.pixel(129, 29));
        // reaching beyond the desktop: the rest is black, nothing shifts
        const QImage edge = cropDesktopShot(shot, QRect(0, 0, 400, 200), QRect(390, 190, 20, 20));
        QCOMPARE(edge.size(), QSize(20, 20));
        QCOMPARE(edge.pixel(0, 0), shot.pixel(390, 190));
        QCOMPARE(edge.pixel(15, 15), qRgb(0, 0, 0));
        QVERIFY(cropDesktopShot(shot, QRect(0, 0, 400, 200), QRect(500, 0, 10, 10)).isNull());
        QVERIFY(cropDesktopShot(QImage(), QRect(0, 0, 400, 200), QRect(0, 0, 10, 10)).isNull());
        // a shot at twice the desktop's pixels is cut at the same place
        QImage doubled(800, 400, QImage::Format_RGB32);
        doubled.fill(Qt::red);
        for (int y = 200; y < 400; ++y)
            for (int x = 0; x < 800; ++x)
                doubled.setPixel(x, y, qRgb(0, 0, 255));
        const QImage half = cropDesktopShot(doubled, QRect(0, 0, 400, 200), QRect(0, 90, 10, 20));
        QCOMPARE(half.size(), QSize(10, 20));
        QCOMPARE(half.pixel(5, 2), qRgb(255, 0, 0));
        QCOMPARE(half.pixel(5, 17), qRgb(0, 0, 255));
    }

    void scratchShotsAreOursToRemoveOnlyInScratchFolders()
    {
        const QString scratch = dir_->filePath(QStringLiteral("scratch"));
        QVERIFY(QDir(scratch).mkpath(QStringLiteral("deeper")));
        const QString inside = scratch + QStringLiteral("/deeper/s.png");
        const QString outside = dir_->filePath(QStringLiteral("scratch-not/s.png"));
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("scratch-not")));
        for (const QString& f : {inside, outside}) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
        QVERIFY(isScratchShot(inside, {scratch}));
        // a folder whose name merely starts like the scratch folder is not it
        QVERIFY(!isScratchShot(outside, {scratch}));
        QVERIFY(!isScratchShot(inside, {}));
        QVERIFY(!isScratchShot(scratch + QStringLiteral("/missing.png"), {scratch}));
        const QString link = scratch + QStringLiteral("/link.png");
        QVERIFY(QFile::link(outside, link));
        QVERIFY(!isScratchShot(link, {scratch}));
    }

    void answeredShotIsCutAndScratchCopyRemoved()
    {
        const QImage desktop = desktopPicture(desktopSize_);
        const QString file = writeShot(QStringLiteral("scratch/shot.png"), desktop);
        QVERIFY(!file.isEmpty());
        portal_->uri = QUrl::fromLocalFile(file).toString();
        const int before = portal_->calls;
        auto g = grabber();
        const QImage image = g->grabRect(QRect(300, 50, 120, 80));
        QCOMPARE(portal_->calls, before + 1);
        QCOMPARE(portal_->lastOptions.value("interactive").toBool(), false);
        QCOMPARE(portal_->lastOptions.value("modal").toBool(), false);
        QVERIFY(portal_->lastParent.isEmpty());
        QCOMPARE(image.size(), QSize(120, 80));
        QCOMPARE(image, desktop.copy(QRect(300, 50, 120, 80)).convertToFormat(QImage::Format_RGB32));
        QVERIFY(!QFile::exists(file));
    }

    void shotOutsideScratchFoldersIsKept()
    {
        const QString file = writeShot(QStringLiteral("Screenshot.png"), desktopPicture(desktopSize_));
        portal_->uri = QUrl::fromLocalFile(file).toString();
        QVERIFY(!grabber()->grabRect(QRect(0, 0, 10, 10)).isNull());
        QVERIFY(QFile::exists(file));
    }

    void answerOnThePortalsOwnPathArrives()
    {
        const QImage desktop = desktopPicture(desktopSize_);
        portal_->uri = QUrl::fromLocalFile(writeShot(QStringLiteral("old.png"), desktop)).toString();
        portal_->mode = StubPortal::OwnPath;
        QCOMPARE(grabber()->grabRect(QRect(10, 20, 30, 40)), desktop.copy(10, 20, 30, 40));
    }

    void answerBeforeTheReplyIsNotMissed()
    {
        const QImage desktop = desktopPicture(desktopSize_);
        portal_->uri = QUrl::fromLocalFile(writeShot(QStringLiteral("early.png"), desktop)).toString();
        portal_->mode = StubPortal::BeforeReply;
        QElapsedTimer clock;
        clock.start();
        const QImage image = grabber()->grabRect(QRect(0, 0, 640, 300));
        QCOMPARE(image, desktop);
        QVERIFY2(clock.elapsed() < 4000, "waited for the timeout instead of the early answer");
    }

    void failuresGiveNoImage_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("said");
        QTest::newRow("cancelled") << int(StubPortal::Cancel) << QString() << "cancelled";
        QTest::newRow("other error") << int(StubPortal::Fail) << QString() << "response 2";
        QTest::newRow("call refused") << int(StubPortal::Refuse) << QString() << "not allowed";
        QTest::newRow("malformed uri") << int(StubPortal::Answer) << "file//no-scheme" << "no local file";
        QTest::newRow("web uri") << int(StubPortal::Answer) << "https://example.org/x.png" << "no local file";
        QTest::newRow("missing file") << int(StubPortal::Answer) << "file:///nonexistent/klipora.png"
                                      << "cannot be read";
        QTest::newRow("not a picture") << int(StubPortal::Answer) << "notapicture" << "cannot be read";
    }

    void failuresGiveNoImage()
    {
        QFETCH(int, mode);
        QFETCH(QString, uri);
        QFETCH(QString, said);
        if (uri == QLatin1String("notapicture")) {
            const QString file = dir_->filePath(QStringLiteral("scratch/garbage.png"));
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is no PNG");
            f.close();
            uri = QUrl::fromLocalFile(file).toString();
        }
        portal_->mode = StubPortal::Mode(mode);
        portal_->uri = uri;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("portal screenshot failed:.*" + said));
        QVERIFY(grabber()->grabRect(QRect(0, 0, 10, 10)).isNull());
    }

    void silentPortalTimesOut()
    {
        for (int mode : {int(StubPortal::Silent), int(StubPortal::WrongPath)}) {
            portal_->mode = StubPortal::Mode(mode);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("portal screenshot failed:.*did not answer"));
            QElapsedTimer clock;
            clock.start();
            QVERIFY(grabber(700)->grabRect(QRect(0, 0, 10, 10)).isNull());
            QVERIFY2(clock.elapsed() >= 600, "gave up before the timeout");
            QVERIFY2(clock.elapsed() < 10000, "the wait was not bounded by the timeout");
        }
    }

    void asynchronousGrabSplitsTheScreens()
    {
        const QRect virtualDesktop = QGuiApplication::primaryScreen()->virtualGeometry();
        const QImage desktop = desktopPicture(virtualDesktop.size());
        portal_->uri = QUrl::fromLocalFile(writeShot(QStringLiteral("async.png"), desktop)).toString();
        auto g = grabber();
        g->setDesktopRect(virtualDesktop);
        QVector<OutputImage> outputs;
        QStringList failures;
        int answers = 0;
        connect(g.get(), &DesktopGrabber::grabbed, this, [&](const QVector<OutputImage>& o) {
            outputs = o;
            ++answers;
        });
        connect(g.get(), &DesktopGrabber::failed, this, [&](const QString& why) {
            failures << why;
            ++answers;
        });
        g->grab();
        QTRY_COMPARE_WITH_TIMEOUT(answers, 1, 10000);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(", ")));
        QCOMPARE(outputs.size(), QGuiApplication::screens().size());
        for (const OutputImage& output : outputs) {
            QCOMPARE(output.image.size(), output.geometry.size());
            const QPoint corner = output.geometry.topLeft() - virtualDesktop.topLeft();
            QCOMPARE(output.image.pixel(0, 0), desktop.pixel(corner));
            QCOMPARE(output.image.pixel(output.image.width() - 1, output.image.height() - 1),
                     desktop.pixel(corner + QPoint(output.image.width() - 1, output.image.height() - 1)));
        }

        portal_->mode = StubPortal::Cancel;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("portal screenshot failed:.*cancelled"));
        g->grab();
        QTRY_COMPARE_WITH_TIMEOUT(answers, 2, 10000);
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures.first().contains("cancelled"));
    }

    // last: the stub portal leaves the bus
    void missingPortalFailsQuickly()
    {
        QDBusConnection lonely = QDBusConnection::connectToBus(address_, QStringLiteral("lonely"));
        QVERIFY(lonely.isConnected());
        QDBusConnection(QStringLiteral("service")).unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        PortalScreenshotGrabber g(lonely);
        g.setTimeout(20000);
        g.setDesktopRect(QRect(0, 0, 100, 100));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("portal screenshot failed:.*refused"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(g.grabRect(QRect(0, 0, 10, 10)).isNull());
        QVERIFY(clock.elapsed() < 10000);
    }
};

QTEST_MAIN(TestPortalScreenshot)
#include "tst_portalscreenshot.moc"
