#include <QtTest>

#include "platform/desktop.h"
#include "platform/desktopgrabber.h"
#include "platform/hotkeybackend.h"
#include "platform/nativedesktopgrabber.h"
#include "platform/recorderbackend.h"
#include "platform/services.h"
#include "platform/windowhints.h"
#include "platform/windowlocator.h"
#ifndef Q_OS_WIN
#include "platform/linux/portalscreenshotgrabber.h"
#endif

using platform::Desktop;

namespace {

QProcessEnvironment env(const QList<QPair<QString, QString>>& values)
{
    QProcessEnvironment e;
    for (const auto& v : values)
        e.insert(v.first, v.second);
    return e;
}

QImage filled(const QSize& size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

Q_DECLARE_METATYPE(Desktop)
Q_DECLARE_METATYPE(QProcessEnvironment)

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void detectsTheDesktop_data()
    {
        QTest::addColumn<QString>("qpa");
        QTest::addColumn<QProcessEnvironment>("environment");
        QTest::addColumn<Desktop>("desktop");
        const auto sway = env({{"WAYLAND_DISPLAY", "wayland-1"}, {"SWAYSOCK", "/run/sway.sock"}});
        QTest::newRow("xcb") << "xcb" << env({{"DISPLAY", ":0"}}) << Desktop::X11;
        // XWayland under sway is still X11 to Klipora: its X paths work there
        QTest::newRow("xcb under sway") << "xcb" << sway << Desktop::X11;
        QTest::newRow("windows") << "windows" << QProcessEnvironment() << Desktop::Windows;
        QTest::newRow("sway socket") << "wayland" << sway << Desktop::Wlroots;
        QTest::newRow("sway by name") << "wayland" << env({{"XDG_CURRENT_DESKTOP", "sway"}}) << Desktop::Wlroots;
        QTest::newRow("wlroots in a list") << "wayland-egl" << env({{"XDG_CURRENT_DESKTOP", "river:wlroots"}})
                                           << Desktop::Wlroots;
        QTest::newRow("KDE") << "wayland" << env({{"XDG_CURRENT_DESKTOP", "KDE"}}) << Desktop::Kde;
        QTest::newRow("GNOME") << "wayland" << env({{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}) << Desktop::Gnome;
        QTest::newRow("KDE under X") << "xcb" << env({{"XDG_CURRENT_DESKTOP", "KDE"}, {"DISPLAY", ":0"}})
                                     << Desktop::X11;
        QTest::newRow("other Wayland") << "wayland" << env({{"XDG_CURRENT_DESKTOP", "Hyprland"}})
                                       << Desktop::OtherWayland;
        // a name that merely contains "sway" is another desktop
        QTest::newRow("not sway") << "wayland" << env({{"XDG_CURRENT_DESKTOP", "swayfx-like:X"}})
                                  << Desktop::OtherWayland;
        QTest::newRow("offscreen") << "offscreen" << sway << Desktop::Headless;
    }

    void detectsTheDesktop()
    {
        QFETCH(QString, qpa);
        QFETCH(QProcessEnvironment, environment);
        QFETCH(Desktop, desktop);
        QCOMPARE(platform::detectDesktop(qpa, environment), desktop);
    }

    void prefersWaylandOnlyWithoutX()
    {
        QCOMPARE(platform::preferredQpaPlatform(env({{"WAYLAND_DISPLAY", "wayland-0"}})), QByteArray("wayland"));
        // with both, the toolkit's own choice (X through XWayland) stays
        QVERIFY(platform::preferredQpaPlatform(env({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}})).isEmpty());
        QVERIFY(platform::preferredQpaPlatform(env({{"DISPLAY", ":1"}})).isEmpty());
        QVERIFY(platform::preferredQpaPlatform(QProcessEnvironment()).isEmpty());
        // the user's own choice is never overridden
        QVERIFY(platform::preferredQpaPlatform(env({{"WAYLAND_DISPLAY", "wayland-0"}, {"QT_QPA_PLATFORM", "offscreen"}}))
                    .isEmpty());
    }

    void servicesFollowTheDesktop()
    {
#ifndef Q_OS_WIN
        platform::setCurrentDesktop(Desktop::Wlroots);
        platform::resetServices();
        QVERIFY(!platform::hotkeyBackend().grabsKeys());
        QCOMPARE(platform::recorderBackend().program(), QStringLiteral("wf-recorder"));
        QCOMPARE(platform::recorderBackend().stop(), RecorderBackend::Stop::Interrupt);
        QVERIFY(!qobject_cast<NativeDesktopGrabber*>(&platform::desktopGrabber()));

        // GNOME: the portal grabs, Mutter's screen cast records, GNOME binds the keys
        platform::setCurrentDesktop(Desktop::Gnome);
        platform::resetServices();
        QVERIFY(qobject_cast<PortalScreenshotGrabber*>(&platform::desktopGrabber()));
        QCOMPARE(platform::recorderBackend().program(), QStringLiteral("gst-launch-1.0"));
        QCOMPARE(platform::recorderBackend().stop(), RecorderBackend::Stop::Interrupt);
        QVERIFY(!platform::hotkeyBackend().grabsKeys());

        platform::setCurrentDesktop(Desktop::OtherWayland);
        platform::resetServices();
        QVERIFY(qobject_cast<PortalScreenshotGrabber*>(&platform::desktopGrabber()));
#endif

        platform::setCurrentDesktop(Desktop::OtherWayland);
        platform::resetServices();
        QVERIFY(!platform::hotkeyBackend().grabsKeys());
        // no way to ask such a compositor: free selection, and no X calls
        QVERIFY(platform::windowLocator().windowRects().isEmpty());
        QCOMPARE(platform::recorderBackend().program(), QStringLiteral("ffmpeg"));

        platform::setCurrentDesktop(Desktop::X11);
        platform::resetServices();
        QVERIFY(platform::hotkeyBackend().grabsKeys());
        QCOMPARE(platform::recorderBackend().program(), QStringLiteral("ffmpeg"));
        QCOMPARE(platform::recorderBackend().stop(), RecorderBackend::Stop::QuitKey);
        QVERIFY(qobject_cast<NativeDesktopGrabber*>(&platform::desktopGrabber()));
        QVERIFY(platform::windowHints().placesWindows());
        platform::resetServices();
    }

    void bindsymLinesBindTheCommands()
    {
        const QVector<HotkeyCommand> hotkeys = {
            {"snip", QKeySequence(Qt::Key_F1)},
            {"pin", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V)},
            {"record --gif", QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_G)},
            {"scroll", QKeySequence()},
            {"record", QKeySequence(Qt::Key_Print)},
        };
        QCOMPARE(bindsymLines(hotkeys), (QStringList{
                                            "bindsym F1 exec klipora snip",
                                            "bindsym Ctrl+Alt+v exec klipora pin",
                                            "bindsym Mod4+Shift+g exec klipora record --gif",
                                            "bindsym Print exec klipora record",
                                        }));
        // the compositor runs the line through the shell
        QCOMPARE(bindsymLines({{"snip", QKeySequence(Qt::Key_F2)}}, "/opt/my apps/klipora"),
                 QStringList{"bindsym F2 exec '/opt/my apps/klipora' snip"});
        QCOMPARE(bindsymLines({{"snip", QKeySequence(Qt::Key_F2)}}, "/opt/it's/klipora"),
                 QStringList{"bindsym F2 exec '/opt/it'\\''s/klipora' snip"});
        QVERIFY(bindsymLines({}).isEmpty());
    }

    void swayKeyNamesAreXkbNames_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("name");
        QTest::newRow("letter") << QKeySequence(Qt::CTRL | Qt::Key_A) << "Ctrl+a";
        QTest::newRow("digit") << QKeySequence(Qt::ALT | Qt::Key_1) << "Alt+1";
        QTest::newRow("escape") << QKeySequence(Qt::Key_Escape) << "Escape";
        QTest::newRow("page up") << QKeySequence(Qt::SHIFT | Qt::Key_PageUp) << "Shift+Prior";
        QTest::newRow("space") << QKeySequence(Qt::META | Qt::Key_Space) << "Mod4+space";
        QTest::newRow("all modifiers") << QKeySequence(Qt::META | Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_F12)
                                       << "Mod4+Ctrl+Alt+Shift+F12";
        QTest::newRow("modifier alone") << QKeySequence(Qt::CTRL) << "";
        QTest::newRow("empty") << QKeySequence() << "";
    }

    void swayKeyNamesAreXkbNames()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, name);
        QCOMPARE(swayKeyName(keys), name);
    }

    void outputsAreComposedAtTheirPlaces()
    {
        // two outputs side by side of different heights, as sway lays them out
        const QVector<OutputImage> outputs = {
            {QRect(0, 0, 4, 2), filled({4, 2}, Qt::red)},
            {QRect(4, 0, 3, 3), filled({3, 3}, Qt::green)},
        };
        const QImage desktop = composeOutputs(outputs, QRect(0, 0, 7, 3));
        QCOMPARE(desktop.size(), QSize(7, 3));
        QCOMPARE(desktop.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(desktop.pixel(3, 1), qRgb(255, 0, 0));
        QCOMPARE(desktop.pixel(4, 0), qRgb(0, 255, 0));
        QCOMPARE(desktop.pixel(6, 2), qRgb(0, 255, 0));
        // below the shorter output nothing was shown
        QCOMPARE(desktop.pixel(0, 2), qRgb(0, 0, 0));
        // a desktop whose corner is not 0,0
        const QImage shifted = composeOutputs({{QRect(-2, 5, 2, 1), filled({2, 1}, Qt::blue)}}, QRect(-2, 5, 3, 1));
        QCOMPARE(shifted.pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(shifted.pixel(2, 0), qRgb(0, 0, 0));
        QVERIFY(composeOutputs(outputs, QRect()).isNull());
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
