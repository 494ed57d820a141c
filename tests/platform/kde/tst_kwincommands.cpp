#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include "platform/desktop.h"
#include "platform/hotkeybackend.h"
#include "platform/kde/kglobalaccelhotkeys.h"
#include "platform/kde/kwinscreenshotgrabber.h"
#include "platform/kde/kwinscript.h"
#include "platform/services.h"
#include "platform/windowhints.h"

namespace {

// KWin's reply for an image of this layout.
QVariantMap rawReply(int width, int height, int stride, int format)
{
    return {{"type", "raw"},
            {"width", uint(width)},
            {"height", uint(height)},
            {"stride", uint(stride)},
            {"format", uint(format)},
            {"scale", 1.0}};
}

// Pixels of `width` x `height` 32-bit words, rows padded to `stride` bytes
// with 0xee; each pixel is the word f(x, y).
template<typename F>
QByteArray rawPixels(int width, int height, int stride, F f)
{
    QByteArray data(stride * height, char(0xee));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const quint32 v = f(x, y);
            memcpy(data.data() + y * stride + x * 4, &v, 4);
        }
    }
    return data;
}

const char* const REPORT = R"({"id": 7, "windows": [
  {"x": 10, "y": 20, "width": 300, "height": 200, "pid": 42, "caption": "low", "resourceClass": "a",
   "stacking": 1, "minimized": false, "keepAbove": false, "onCurrentDesktop": true, "desktopWindow": false},
  {"x": 0, "y": 0, "width": 2560, "height": 720, "pid": 1, "caption": "plasma", "resourceClass": "plasmashell",
   "stacking": 0, "minimized": false, "keepAbove": false, "onCurrentDesktop": true, "desktopWindow": true},
  {"x": 340.6, "y": 260.2, "width": 600, "height": 200, "pid": 43, "caption": "top", "resourceClass": "b",
   "stacking": 5, "minimized": false, "keepAbove": true, "onCurrentDesktop": true, "desktopWindow": false},
  {"x": 5, "y": 5, "width": 50, "height": 50, "pid": 44, "caption": "hidden", "resourceClass": "c",
   "stacking": 4, "minimized": true, "keepAbove": false, "onCurrentDesktop": true, "desktopWindow": false},
  {"x": 6, "y": 6, "width": 60, "height": 60, "pid": 45, "caption": "elsewhere", "resourceClass": "d",
   "stacking": 3, "minimized": false, "keepAbove": false, "onCurrentDesktop": false, "desktopWindow": false},
  "not a window",
  {"x": 7, "y": 7, "width": 0, "height": 70, "pid": 46, "caption": "empty", "stacking": 2}
]})";

} // namespace

class TestKWinCommands : public QObject
{
    Q_OBJECT

private slots:
    void rawPixelsBecomeAnOpaqueImage()
    {
        // premultiplied ARGB with padded rows, as KWin sends most outputs
        const auto colour = [](int x, int y) { return 0xff000000u | quint32(x * 40) << 16 | quint32(y * 90) << 8 | 7u; };
        QByteArray data = rawPixels(3, 2, 16, colour);
        QString error;
        const QImage image = kwinshot::decodeRaw(rawReply(3, 2, 16, QImage::Format_ARGB32_Premultiplied), data, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(image.size(), QSize(3, 2));
        QCOMPARE(image.format(), QImage::Format_RGB32);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x)
                QCOMPARE(image.pixel(x, y), QRgb(colour(x, y)));
        }
        // the image owns its pixels: the buffer may go
        data.fill('\0');
        QCOMPARE(image.pixel(2, 1), QRgb(colour(2, 1)));

        // the last row need not carry its padding
        const QByteArray tight = rawPixels(3, 2, 16, colour).left(16 + 12);
        QCOMPARE(kwinshot::decodeRaw(rawReply(3, 2, 16, QImage::Format_ARGB32), tight, &error).pixel(2, 1),
                 QRgb(colour(2, 1)));

        // RGB32 words whose alpha byte is junk still give opaque pixels
        QByteArray junk = rawPixels(2, 1, 8, [](int x, int) { return 0x00123456u + quint32(x); });
        const QImage rgb = kwinshot::decodeRaw(rawReply(2, 1, 8, QImage::Format_RGB32), junk, &error);
        QCOMPARE(rgb.pixel(0, 0), qRgb(0x12, 0x34, 0x56));
        QCOMPARE(rgb.pixel(1, 0), qRgb(0x12, 0x34, 0x57));
        junk.fill('\0');
        QCOMPARE(rgb.pixel(1, 0), qRgb(0x12, 0x34, 0x57));
    }

    void repliesThatDescribeNoReadableImageAreRefused()
    {
        const QByteArray data(4 * 4 * 4, char(0xff));
        struct Case
        {
            const char* what;
            QVariantMap reply;
            QByteArray pixels;
        };
        QVariantMap png = rawReply(4, 4, 16, 6);
        png["type"] = "png";
        QVariantMap noStride = rawReply(4, 4, 16, 6);
        noStride.remove("stride");
        QVariantMap words = rawReply(4, 4, 16, 6);
        words["width"] = "four";
        const QVector<Case> cases = {
            {"not raw", png, data},
            {"no stride", noStride, data},
            {"a width that is no number", words, data},
            {"a 16-bit format", rawReply(4, 4, 16, QImage::Format_RGB16), data},
            {"no format at all", rawReply(4, 4, 16, QImage::Format_Invalid), data},
            {"rows shorter than the pixels", rawReply(4, 4, 12, 6), data},
            {"a stride that is no whole pixel", rawReply(4, 4, 18, 6), QByteArray(18 * 4, char(0xff))},
            {"no width", rawReply(0, 4, 16, 6), data},
            {"a negative height", rawReply(4, -4, 16, 6), data},
            {"a side beyond any screen", rawReply(100000, 1, 400000, 6), data},
            {"fewer bytes than the image", rawReply(4, 4, 16, 6), data.left(data.size() - 1)},
            {"no bytes", rawReply(4, 4, 16, 6), QByteArray()},
            {"an empty reply", QVariantMap(), data},
        };
        for (const Case& c : cases) {
            QString error;
            const QImage image = kwinshot::decodeRaw(c.reply, c.pixels, &error);
            QVERIFY2(image.isNull(), c.what);
            QVERIFY2(!error.isEmpty(), c.what);
        }
        // what a reply promises: the reader stops there, not at EOF
        QCOMPARE(kwinshot::expectedBytes(rawReply(1280, 720, 5120, 6)), qint64(5120) * 720);
        QCOMPARE(kwinshot::expectedBytes(png), qint64(0));
        QCOMPARE(kwinshot::expectedBytes(rawReply(4, 4, 12, 6)), qint64(0));
        // 32768 x 32768 words is more than a reply may promise
        QCOMPARE(kwinshot::expectedBytes(rawReply(32768, 32768, 32768 * 4, 6)), qint64(0));
    }

    void capturesAskForDevicePixelsWithoutTheCursor()
    {
        const QVariantMap options = kwinshot::captureOptions();
        QCOMPARE(options.value("native-resolution").toBool(), true);
        QCOMPARE(options.value("include-cursor").toBool(), false);
    }

    void errorsSayWhatToDo()
    {
        const QString refused = kwinshot::explainError("org.kde.KWin.ScreenShot2.Error.NoAuthorized",
                                                       "The process is not authorized to take a screenshot");
        // the fix: the installed entry that authorises the executable
        QVERIFY(refused.contains("X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2"));
        QVERIFY(refused.contains("klipora.desktop"));
        QVERIFY(refused.contains("not authorized"));
        const QString missing = kwinshot::explainError("org.freedesktop.DBus.Error.ServiceUnknown", "no KWin");
        QVERIFY(missing.contains("no ScreenShot2"));
        QVERIFY(!missing.contains("X-KDE"));
        QVERIFY(kwinshot::explainError("org.freedesktop.DBus.Error.NoReply", "")
                    .contains(QString::number(kwinshot::CALL_TIMEOUT_MS)));
        const QString other = kwinshot::explainError("org.kde.KWin.ScreenShot2.Error.InvalidArea", "Invalid area");
        QVERIFY(other.contains("InvalidArea"));
        QVERIFY(other.contains("Invalid area"));
    }

    void stringsAreSafeInScripts()
    {
        const QStringList texts = {"plain", "quote \" and 'apostrophe'", "back\\slash", "line\nbreak",
                                   QString::fromUtf8("Klipora 截图"), QString(QChar(0x2028)) + "sep",
                                   "\"); workspace.clientList()[0].closeWindow(); (\""};
        for (const QString& text : texts) {
            const QString literal = kwinscript::jsString(text);
            QVERIFY2(literal.startsWith('"') && literal.endsWith('"'), qPrintable(literal));
            // one line whatever the text holds: nothing can end the literal early
            QVERIFY(!literal.contains('\n'));
            QVERIFY(!literal.contains(QChar(0x2028)));
            // and it reads back as the text itself
            const QJsonDocument doc = QJsonDocument::fromJson("[" + literal.toUtf8() + "]");
            QVERIFY2(doc.isArray(), qPrintable(literal));
            QCOMPARE(doc.array().at(0).toString(), text);
        }
    }

    void scriptsReportToTheirTarget()
    {
        const kwinscript::ReportTarget target{":1.42", "/org/klipora/KWinReport", "org.klipora.KWinReport", "report"};
        const QString windows = kwinscript::windowReportScript(target, 9);
        QVERIFY(windows.contains(
            "callDBus(\":1.42\", \"/org/klipora/KWinReport\", \"org.klipora.KWinReport\", \"report\", "
            "JSON.stringify({id: 9,"));
        QVERIFY(windows.contains("workspace.clientList()"));
        QVERIFY(windows.contains("frameGeometry"));

        const QString pin =
            kwinscript::keepAboveScript(4711, "Klipora pin \"1\"", QRect(-20, 35, 120, 80), false, target, 10);
        QVERIFY(pin.contains("c.pid != 4711"));
        QVERIFY(pin.contains("c.caption != \"Klipora pin \\\"1\\\"\""));
        // a caption that looks like a placeholder stays as it is
        QVERIFY(kwinscript::keepAboveScript(1, "50%3 %8", QRect(1, 2, 3, 4), false, target, 12)
                    .contains("c.caption != \"50%3 %8\""));
        QVERIFY(pin.contains("c.keepAbove = true"));
        QVERIFY(pin.contains("{x: -20, y: 35, width: 120, height: 80}"));
        QVERIFY(pin.contains("if (false)\n            workspace.activeClient = c;"));
        // the overlay takes the keyboard as well
        QVERIFY(kwinscript::keepAboveScript(4711, "Klipora overlay 1", QRect(0, 0, 2560, 720), true, target, 11)
                    .contains("if (true)\n            workspace.activeClient = c;"));
        QVERIFY(pin.contains("JSON.stringify({id: 10, placed: true"));
        // windows that come later, or get their caption later, are caught
        QVERIFY(pin.contains("workspace.clientAdded.connect"));
        QVERIFY(pin.contains("captionChanged.connect"));
    }

    void windowReportsGiveFramesTopmostFirst()
    {
        const QVector<kwinscript::Window> windows = kwinscript::parseWindowReport(REPORT, 7);
        QCOMPARE(windows.size(), 6);
        QStringList order;
        for (const kwinscript::Window& w : windows)
            order << w.caption;
        QCOMPARE(order, (QStringList{"top", "hidden", "elsewhere", "empty", "low", "plasma"}));
        QCOMPARE(windows.first().frame, QRect(340, 260, 600, 200));
        QCOMPARE(windows.first().pid, qint64(43));
        QCOMPARE(windows.first().resourceClass, QStringLiteral("b"));
        QVERIFY(windows.first().keepAbove);
        QVERIFY(!windows.last().keepAbove);

        // minimised, elsewhere, empty and the desktop are no proposals
        QCOMPARE(kwinscript::visibleFrames(windows), (QVector<QRect>{QRect(340, 260, 600, 200), QRect(10, 20, 300, 200)}));

        // an answer to another request, or none at all
        QVERIFY(kwinscript::parseWindowReport(REPORT, 8).isEmpty());
        QVERIFY(kwinscript::parseWindowReport("", 7).isEmpty());
        QVERIFY(kwinscript::parseWindowReport("{\"id\": 7, \"windows\": 3}", 7).isEmpty());
        QVERIFY(kwinscript::parseWindowReport("[1, 2]", 7).isEmpty());
        QVERIFY(kwinscript::parseWindowReport(QByteArray(REPORT).left(200), 7).isEmpty());
        // absurd numbers stay numbers
        const QVector<kwinscript::Window> huge = kwinscript::parseWindowReport(
            "{\"id\": 1, \"windows\": [{\"x\": 1e300, \"y\": -1e300, \"width\": \"wide\", \"height\": 5}]}", 1);
        QCOMPARE(huge.size(), 1);
        QCOMPARE(huge.first().frame.width(), 0);
        QVERIFY(kwinscript::visibleFrames(huge).isEmpty());
    }

    void reportsAreToldApart()
    {
        QCOMPARE(kwinscript::reportId(REPORT), 7);
        QCOMPARE(kwinscript::reportId("{\"id\": 3, \"placed\": true, \"moved\": false}"), 3);
        QCOMPARE(kwinscript::reportId("{\"id\": \"3\"}"), -1);
        QCOMPARE(kwinscript::reportId("garbage"), -1);
        QVERIFY(kwinscript::reportsPlaced("{\"id\": 3, \"placed\": true, \"moved\": false}"));
        QVERIFY(!kwinscript::reportsPlaced(REPORT));
        QVERIFY(kwinscript::uniqueName("pin") != kwinscript::uniqueName("pin"));
        QVERIFY(kwinscript::uniqueName("pin").startsWith("klipora-pin-"));
    }

    void keysBecomeKGlobalAccelCodes()
    {
        // the codes kglobalaccel answered for these on Plasma 5.27
        QCOMPARE(kglobalaccel::keyCode(QKeySequence("F1")), 0x01000030);
        QCOMPARE(kglobalaccel::keyCode(QKeySequence("Ctrl+Alt+V")), 0x0c000056);
        QCOMPARE(kglobalaccel::keyCode(QKeySequence("Meta+Shift+S")), int(Qt::META | Qt::SHIFT | Qt::Key_S));
        QCOMPARE(kglobalaccel::keyCode(QKeySequence("Print")), int(Qt::Key_Print));
        // only the first combination of a sequence
        QCOMPARE(kglobalaccel::keyCode(QKeySequence("Ctrl+A, B")), int(Qt::CTRL | Qt::Key_A));
        // the keypad flag is part of the key
        QCOMPARE(kglobalaccel::keyCode(QKeySequence(Qt::KeypadModifier | Qt::Key_5)), int(Qt::KeypadModifier | Qt::Key_5));
        // nothing to bind
        QCOMPARE(kglobalaccel::keyCode(QKeySequence()), 0);
        QCOMPARE(kglobalaccel::keyCode(QKeySequence(Qt::CTRL | Qt::Key_Control)), 0);
        QCOMPARE(kglobalaccel::keyCode(QKeySequence(Qt::Key_unknown)), 0);

        QVERIFY(kglobalaccel::granted(0x01000030, {0x01000030}));
        QVERIFY(!kglobalaccel::granted(0x01000030, {}));
        QVERIFY(!kglobalaccel::granted(0x01000030, {0x01000031}));
        // a release asks for nothing and gets it
        QVERIFY(kglobalaccel::granted(0, {}));

        const QStringList id = kglobalaccel::actionId("gif");
        QCOMPARE(id.size(), 4);
        QCOMPARE(id.at(0), QStringLiteral("klipora"));
        QCOMPARE(id.at(1), QStringLiteral("gif"));
        QCOMPARE(id.at(2), QStringLiteral("Klipora"));
        QCOMPARE(id.at(3), QStringLiteral("Record GIF"));
    }

    void plasmaGetsTheKdeServices()
    {
        platform::setCurrentDesktop(platform::Desktop::Kde);
        platform::resetServices();
        // the shortcuts page edits keys as on X11; they are bound by name
        QVERIFY(platform::hotkeyBackend().grabsKeys());
        QVERIFY(platform::hotkeyBackend().bindsActions());
        QVERIFY(qobject_cast<KWinScreenShotGrabber*>(&platform::desktopGrabber()));
        QVERIFY(!platform::windowHints().placesWindows());

        // elsewhere nothing binds by name
        platform::setCurrentDesktop(platform::Desktop::X11);
        platform::resetServices();
        QVERIFY(!platform::hotkeyBackend().bindsActions());
        QVERIFY(!platform::hotkeyBackend().bindAction("snip", QKeySequence("F1")));
        QVERIFY(!qobject_cast<KWinScreenShotGrabber*>(&platform::desktopGrabber()));
        platform::resetServices();
    }
};

QTEST_MAIN(TestKWinCommands)
#include "tst_kwincommands.moc"
