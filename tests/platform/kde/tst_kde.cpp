// klipora-test: kde
#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <QtTest>

#include "platform/desktop.h"
#include "platform/desktopgrabber.h"
#include "platform/kde/kwinscript.h"
#include "platform/services.h"
#include "platform/windowhints.h"
#include "platform/windowlocator.h"
#include "testutil.h"

// Klipora on headless KWin (scripts/with-kwin.sh): two outputs of 1280x720
// side by side, no X server. The test shows its own windows, finds them
// through KWin's scripting, reads them back through ScreenShot2 and drives
// global shortcuts through kglobalaccel.
namespace {

const QString PROGRAM = QStringLiteral(KLIPORA_BIN_DIR "/klipora");
const QSize DESKTOP(2560, 720);
const QSize PATTERN(400, 300);

// Four solid quarters and a bar: exact colours survive KWin's compositing.
QImage pattern()
{
    QImage image(PATTERN, QImage::Format_RGB32);
    QPainter p(&image);
    const int w = PATTERN.width() / 2;
    const int h = PATTERN.height() / 2;
    p.fillRect(0, 0, w, h, QColor(255, 0, 0));
    p.fillRect(w, 0, w, h, QColor(0, 255, 0));
    p.fillRect(0, h, w, h, QColor(0, 0, 255));
    p.fillRect(w, h, w, h, QColor(250, 200, 10));
    p.fillRect(20, 20, 7, 260, QColor(17, 34, 51));
    p.end();
    return image;
}

class Painted : public QWidget
{
public:
    Painted(const QImage& image, const QString& title) : image_(image)
    {
        setWindowFlag(Qt::FramelessWindowHint);
        setWindowTitle(title);
        setFixedSize(image.size());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, 0, image_);
    }

private:
    QImage image_;
};

QImage opaque(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// Our window with this caption as KWin reports it; a default one when none.
kwinscript::Window kwinWindow(const QString& caption)
{
    for (const kwinscript::Window& w : kwinscript::queryWindows(5000)) {
        if (w.pid == QCoreApplication::applicationPid() && w.caption == caption)
            return w;
    }
    return kwinscript::Window();
}

QDBusMessage kglobalaccel(const QString& path, const QString& interface, const QString& method,
                          const QVariantList& args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.kglobalaccel"), path, interface, method);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
}

QList<int> intList(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QList<int>>(value.value<QDBusArgument>());
    return value.value<QList<int>>();
}

QString describe(const testutil::ProcessResult& r)
{
    return QStringLiteral("exit %1, stderr: %2").arg(r.exitCode).arg(QString::fromLocal8Bit(r.err));
}

} // namespace

class TestKde : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qDBusRegisterMetaType<QList<int>>();
        QVERIFY2(qEnvironmentVariableIsEmpty("DISPLAY"), "the session must have no X display");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        QCOMPARE(platform::currentDesktop(), platform::Desktop::Kde);
        QCOMPARE(QGuiApplication::screens().size(), 2);

        window_ = new Painted(pattern(), QStringLiteral("Klipora pattern"));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_, 30000));
        // Qt cannot tell where KWin put it; KWin's script can
        QTRY_VERIFY_WITH_TIMEOUT(!(frame_ = kwinWindow(QStringLiteral("Klipora pattern")).frame).isEmpty(), 30000);
        QCOMPARE(frame_.size(), PATTERN);
    }

    void cleanupTestCase()
    {
        delete window_;
        delete pin_;
        delete other_;
        log_ += instance_.readAll();
        if (!log_.isEmpty())
            qInfo().noquote() << "Klipora's log:\n" << log_;
        if (instance_.state() == QProcess::NotRunning)
            return;
        testutil::run(PROGRAM, {QStringLiteral("quit")}, 30000);
        if (!instance_.waitForFinished(30000)) {
            instance_.kill();
            instance_.waitForFinished(5000);
        }
    }

    void grabRectReadsTheWindowsPixels()
    {
        // the window's own pixels, wherever KWin placed it
        QTRY_COMPARE_WITH_TIMEOUT(opaque(platform::desktopGrabber().grabRect(frame_)), pattern(), 30000);
        // a part of it, off the pattern's origin
        const QRect part(frame_.x() + 190, frame_.y() + 140, 30, 20);
        QCOMPARE(opaque(platform::desktopGrabber().grabRect(part)), pattern().copy(190, 140, 30, 20));
        // the desktop's full width, across both outputs
        QCOMPARE(platform::desktopGrabber().grabRect(QRect(QPoint(0, 0), DESKTOP)).size(), DESKTOP);
        // nothing shows there: no image, and no hang
        QElapsedTimer clock;
        clock.start();
        QVERIFY(platform::desktopGrabber().grabRect(QRect(5000, 5000, 10, 10)).isNull());
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(platform::desktopGrabber().grabRect(QRect()).isNull());
    }

    void grabGivesEachOutput()
    {
        DesktopGrabber& grabber = platform::desktopGrabber();
        QObject receiver;
        QVector<QVector<OutputImage>> grabbed;
        QStringList failed;
        connect(&grabber, &DesktopGrabber::grabbed, &receiver, [&grabbed](const QVector<OutputImage>& o) { grabbed << o; });
        connect(&grabber, &DesktopGrabber::failed, &receiver, [&failed](const QString& why) { failed << why; });
        grabber.grab();
        QTRY_COMPARE_WITH_TIMEOUT(grabbed.size() + failed.size(), 1, 30000);
        QVERIFY2(failed.isEmpty(), qPrintable(failed.join('\n')));
        const QVector<OutputImage> outputs = grabbed.first();
        QCOMPARE(outputs.size(), 2);
        QVector<QRect> geometries;
        for (const OutputImage& output : outputs) {
            geometries << output.geometry;
            QCOMPARE(output.image.size(), QSize(1280, 720));
        }
        std::sort(geometries.begin(), geometries.end(), [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
        QCOMPARE(geometries, (QVector<QRect>{QRect(0, 0, 1280, 720), QRect(1280, 0, 1280, 720)}));
        const QImage desktop = composeOutputs(outputs, QRect(QPoint(0, 0), DESKTOP));
        QCOMPARE(desktop.copy(frame_), pattern());
    }

    void locatorProposesTheWindow()
    {
        const QVector<QRect> rects = platform::windowLocator().windowRects();
        QVERIFY(!rects.isEmpty());
        // the topmost frame under the window's middle is the window
        const auto under = std::find_if(rects.begin(), rects.end(), [this](const QRect& r) { return r.contains(frame_.center()); });
        QVERIFY(under != rects.end());
        QCOMPARE(*under, frame_);
    }

    void pinIsKeptAboveAtItsPlace()
    {
        QImage small(120, 80, QImage::Format_RGB32);
        small.fill(QColor(200, 0, 200));
        pin_ = new Painted(small, QStringLiteral("pin"));
        pin_->show();
        QVERIFY(QTest::qWaitForWindowExposed(pin_, 30000));
        platform::windowHints().keepOnTop(pin_, QPoint(30, 40));
        const QString caption = pin_->windowTitle();
        QVERIFY(caption.startsWith(QStringLiteral("Klipora pin")));
        QTRY_VERIFY_WITH_TIMEOUT(kwinWindow(caption).keepAbove, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(kwinWindow(caption).frame, QRect(30, 40, 120, 80), 30000);

        // a window shown later, over the pin's place, stays below it
        QImage big(500, 400, QImage::Format_RGB32);
        big.fill(QColor(0, 120, 120));
        other_ = new Painted(big, QStringLiteral("Klipora later window"));
        other_->show();
        other_->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(other_, 30000));
        QTRY_VERIFY_WITH_TIMEOUT(!kwinWindow(other_->windowTitle()).frame.isEmpty(), 30000);
        QVERIFY(kwinWindow(caption).stacking > kwinWindow(other_->windowTitle()).stacking);
        QTRY_COMPARE_WITH_TIMEOUT(opaque(platform::desktopGrabber().grabRect(QRect(30, 40, 120, 80))), small, 30000);
        delete other_;
        other_ = nullptr;
    }

    void instanceStartsWithKdeHotkeys()
    {
        // another program holds Ctrl+Alt+G before Klipora asks for it
        const QStringList squatter = {QStringLiteral("squatter"), QStringLiteral("grab"), QStringLiteral("Squatter"),
                                      QStringLiteral("Grab")};
        const QString root = QStringLiteral("/kglobalaccel");
        const QString iface = QStringLiteral("org.kde.KGlobalAccel");
        QCOMPARE(kglobalaccel(root, iface, QStringLiteral("doRegister"), {squatter}).type(), QDBusMessage::ReplyMessage);
        const int ctrlAltG = int(Qt::CTRL | Qt::ALT | Qt::Key_G);
        const QDBusMessage squat = kglobalaccel(root, iface, QStringLiteral("setShortcut"),
                                                {squatter, QVariant::fromValue(QList<int>{ctrlAltG}), 2u | 4u});
        QCOMPARE(squat.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(intList(squat.arguments().first()), QList<int>{ctrlAltG});

        instance_.setProgram(PROGRAM);
        instance_.setProcessChannelMode(QProcess::MergedChannels);
        instance_.start();
        QVERIFY(instance_.waitForStarted(30000));
        QTRY_VERIFY_WITH_TIMEOUT((log_ += instance_.readAll(), log_.contains("ready.")), 60000);
        QVERIFY2(log_.contains("desktop: KDE"), log_.constData());
        // the taken combination is reported as on any desktop
        // (in the interface's language: the balloon's line in the log)
        const QRegularExpression failure(QStringLiteral("\\(critical\\) [^\\n]*<Ctrl\\+Alt\\+G>"));
        QTRY_VERIFY_WITH_TIMEOUT((log_ += instance_.readAll(), QString::fromUtf8(log_).contains(failure)), 30000);
        QCOMPARE(QString::fromUtf8(log_).count(failure), 1);
        // the others are Klipora's in kglobalaccel
        const QStringList snip = {QStringLiteral("klipora"), QStringLiteral("snip"), QStringLiteral("Klipora"),
                                  QStringLiteral("Snip")};
        const QDBusMessage keys = kglobalaccel(root, iface, QStringLiteral("shortcut"), {snip});
        QCOMPARE(keys.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(intList(keys.arguments().first()), QList<int>{int(Qt::Key_F1)});
        const QStringList pin = {QStringLiteral("klipora"), QStringLiteral("pin"), QStringLiteral("Klipora"),
                                 QStringLiteral("Pin")};
        QCOMPARE(intList(kglobalaccel(root, iface, QStringLiteral("shortcut"), {pin}).arguments().value(0)),
                 QList<int>{int(Qt::Key_F3)});
        instanceUp_ = true;
    }

    void invokedShortcutRunsTheAction()
    {
        if (!instanceUp_)
            QSKIP("needs the instance of instanceStartsWithKdeHotkeys");
        const QDBusMessage component = kglobalaccel(QStringLiteral("/kglobalaccel"), QStringLiteral("org.kde.KGlobalAccel"),
                                                    QStringLiteral("getComponent"), {QStringLiteral("klipora")});
        QCOMPARE(component.type(), QDBusMessage::ReplyMessage);
        const QString path = qdbus_cast<QDBusObjectPath>(component.arguments().first()).path();
        // what a press of F3 does: kglobalaccel tells Klipora, which pins
        const QDBusMessage invoked = kglobalaccel(path, QStringLiteral("org.kde.kglobalaccel.Component"),
                                                  QStringLiteral("invokeShortcut"), {QStringLiteral("pin")});
        QCOMPARE(invoked.type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT((log_ += instance_.readAll(), log_.contains("action pin")), 30000);
        QVERIFY(log_.contains("kglobalaccel pressed pin"));
    }

    void shotCommandGivesWhatKWinShows()
    {
        if (!instanceUp_)
            QSKIP("needs the instance of instanceStartsWithKdeHotkeys");
        const QString path = QDir(testutil::tempDir()).filePath(QStringLiteral("shot.png"));
        const QImage expected = opaque(platform::desktopGrabber().grabRect(QRect(QPoint(0, 0), DESKTOP)));
        QCOMPARE(expected.size(), DESKTOP);
        const testutil::ProcessResult r = testutil::run(PROGRAM, {QStringLiteral("shot"), QStringLiteral("--path"), path}, 60000);
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        const QImage shot = opaque(QImage(path));
        QCOMPARE(shot.size(), DESKTOP);
        QCOMPARE(shot, expected);
        QCOMPARE(shot.copy(frame_), pattern());

        // a region across both outputs
        const QString part = QDir(testutil::tempDir()).filePath(QStringLiteral("part.png"));
        const testutil::ProcessResult p = testutil::run(
            PROGRAM, {QStringLiteral("shot"), QStringLiteral("--region"), QStringLiteral("1200,100,200,50"),
                      QStringLiteral("--path"), part},
            60000);
        QVERIFY2(p.exitCode == 0, qPrintable(describe(p)));
        QCOMPARE(opaque(QImage(part)), expected.copy(1200, 100, 200, 50));
    }

    void onlyAnAuthorisedProgramGetsPixels()
    {
        // a KWin of its own that checks, as a user's does: it reads the
        // desktop entries as it starts
        const auto session = [](const QString& dataDir, QByteArray* out, QByteArray* err) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("KLIPORA_KWIN_STRICT"), QStringLiteral("1"));
            if (!dataDir.isEmpty())
                env.insert(QStringLiteral("XDG_DATA_DIRS"), dataDir + QStringLiteral(":/usr/local/share:/usr/share"));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(KLIPORA_SOURCE_DIR "/scripts/with-kwin.sh"),
                    {QStringLiteral("--"), PROGRAM, QStringLiteral("shot"), QStringLiteral("--path"),
                     QDir(testutil::tempDir()).filePath(QStringLiteral("strict.png"))});
            if (!p.waitForStarted(30000) || !p.waitForFinished(120000))
                return -1;
            *out = p.readAllStandardOutput();
            *err = p.readAllStandardError();
            return p.exitCode();
        };
        const QString shotPath = QDir(testutil::tempDir()).filePath(QStringLiteral("strict.png"));
        QByteArray out;
        QByteArray err;
        const int refused = session(QString(), &out, &err);
        if (refused == 77)
            QSKIP("a second KWin cannot start here");
        QCOMPARE(refused, 1);
        QVERIFY(!QFile::exists(shotPath));
        // the warning says what to install
        QVERIFY2(err.contains("X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2"), err.constData());

        // the package's entry, naming this build's program
        const QString data = QDir(testutil::tempDir()).filePath(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(data + QStringLiteral("/applications")));
        QFile source(QStringLiteral(KLIPORA_SOURCE_DIR "/resources/desktop/klipora.desktop"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray entry = source.readAll();
        entry.replace("\nExec=klipora\n", "\nExec=" + PROGRAM.toUtf8() + "\n");
        QFile installed(data + QStringLiteral("/applications/klipora.desktop"));
        QVERIFY(installed.open(QIODevice::WriteOnly));
        QVERIFY(installed.write(entry) == entry.size());
        installed.close();
        const int served = session(data, &out, &err);
        QVERIFY2(served == 0, err.constData());
        QCOMPARE(QImage(shotPath).size(), DESKTOP);
    }

    // last: the overlay stays up until the instance quits
    void snipOverlayCoversBothOutputs()
    {
        if (!instanceUp_)
            QSKIP("needs the instance of instanceStartsWithKdeHotkeys");
        const testutil::ProcessResult r = testutil::run(PROGRAM, {QStringLiteral("snip")}, 60000);
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        const qint64 pid = instance_.processId();
        const auto overlay = [pid] {
            for (const kwinscript::Window& w : kwinscript::queryWindows(5000)) {
                if (w.pid == pid && w.caption.startsWith(QStringLiteral("Klipora overlay")))
                    return w;
            }
            return kwinscript::Window();
        };
        // KWin puts it over the whole desktop and above everything, ours too
        QTRY_COMPARE_WITH_TIMEOUT(overlay().frame, QRect(QPoint(0, 0), DESKTOP), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(overlay().keepAbove, 30000);
        QVERIFY(overlay().stacking > kwinWindow(pin_->windowTitle()).stacking);
        // placed there by Klipora's script, not by chance
        QTRY_VERIFY_WITH_TIMEOUT((log_ += instance_.readAll(), log_.contains("KWin keeps the window above")), 30000);
    }

private:
    QWidget* window_ = nullptr;
    QWidget* pin_ = nullptr;
    QWidget* other_ = nullptr;
    QRect frame_;
    QProcess instance_;
    QByteArray log_;
    bool instanceUp_ = false;
};

int main(int argc, char** argv)
{
    // the session has no X server; the toolkit's default would look for one
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    TestKde test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kde.moc"
