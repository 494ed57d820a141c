// klipora-test: x11
#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include "core/config.h"
#include "core/displayinfo.h"
#include "core/imagewindow.h"
#include "core/packedimage.h"
#include "core/qpointformat.h"
#include "core/resources.h"
#include "core/imagesaver.h"
#include "klipora.h"
#include "snip/screenshoter.h"
#include "snip/scrollcapturer.h"
#include "video/screenrecorder.h"
#include "widgets/settingwindow.h"
#include "testutil.h"
#include "widgets/retranslatable.h"

namespace {

QStringList g_messages;
QtMessageHandler g_previous = nullptr;

void collect(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    g_messages << msg;
    if (g_previous)
        g_previous(type, context, msg);
}

QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, Qt::red);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::blue);
    return image;
}

// Another process that owns the clipboard with several formats at once, as a
// browser or another capture tool would.
int ownClipboard(const QString& kind)
{
    auto* mime = new QMimeData;
    if (kind == QLatin1String("image+html")) {
        mime->setImageData(pattern(40, 30));
        mime->setHtml(QStringLiteral("<img src=\"x.png\">"));
    } else if (kind == QLatin1String("image+qpoint")) {
        mime->setImageData(pattern(50, 20));
        mime->setData(QString::fromLatin1(QPOINT_MIME), encodeQPoint(QPoint(120, 45)));
    } else if (kind == QLatin1String("image+shortqpoint")) {
        mime->setImageData(pattern(50, 20));
        mime->setData(QString::fromLatin1(QPOINT_MIME), QByteArray("\x78\x00\x00", 3));
    } else if (kind == QLatin1String("image")) {
        mime->setImageData(pattern(10, 10));
    }
    QGuiApplication::clipboard()->setMimeData(mime);
    return QCoreApplication::exec();
}

} // namespace

class TestKlipora : public QObject
{
    Q_OBJECT

    QProcess owner;

    void startOwner(const QString& kind)
    {
        stopOwner();
        owner.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--own-clipboard"), kind});
        QVERIFY(owner.waitForStarted(10000));
    }
    void stopOwner()
    {
        if (owner.state() != QProcess::NotRunning) {
            owner.terminate();
            owner.waitForFinished(10000);
        }
    }
    static void xclip(const QByteArray& data, const QString& target = QString())
    {
        QStringList args{QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")};
        if (!target.isEmpty())
            args << QStringLiteral("-t") << target;
        // xclip forks a server that stays until another owner takes over
        const auto r = testutil::run(QStringLiteral("xclip"), args, 30000, data);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 0);
    }
    static int tagCount(const QString& tag) { return int(g_messages.count(tag)); }

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        initResources();
        DisplayInfo::instance();
        trs::initLanguages();
        g_previous = qInstallMessageHandler(collect);
    }

    void cleanup() { stopOwner(); }

    void trayMenuInEnglishAndChinese()
    {
        QVERIFY(!trs::loadLanguage(QStringLiteral("xx_XX")));
        QVERIFY(g_messages.contains(QStringLiteral("installTranslator faild")));
        {
            Klipora app;
            const QList<QAction*> actions = app.trayMenu()->actions();
            QStringList texts;
            for (QAction* a : actions)
                texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
            QCOMPARE(texts, (QStringList{QStringLiteral("Snip"), QStringLiteral("Scrolling screenshot"),
                                         QStringLiteral("Screen Record"),
                                         QStringLiteral("GIF Record"), QStringLiteral("-"),
                                         QStringLiteral("Settings"), QStringLiteral("-"), QStringLiteral("Quit")}));
            QCOMPARE(app.trayMenu()->objectName(), QStringLiteral("sys_tray_menu"));
            QCOMPARE(app.trayIcon()->toolTip(), QStringLiteral("Klipora"));
            QVERIFY(app.trayIcon()->isVisible());
            QVERIFY(app.trayIcon()->contextMenu() == app.trayMenu());
            for (QAction* a : actions)
                QVERIFY(a->isSeparator() || !a->icon().isNull());
            QVERIFY(!app.styleSheet().isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        }
        QVERIFY(trs::loadLanguage(QStringLiteral("zh_CN")));
        {
            Klipora app;
            QStringList texts;
            for (QAction* a : app.trayMenu()->actions())
                if (!a->isSeparator())
                    texts << a->text();
            QCOMPARE(texts, (QStringList{QStringLiteral("截图"), QStringLiteral("滚动截图"), QStringLiteral("录屏"),
                                         QStringLiteral("GIF 录制"),
                                         QStringLiteral("设置"), QStringLiteral("退出")}));
        }
        QVERIFY(trs::loadLanguage(QStringLiteral("en_US")));
    }

    void quitEndsTheEventLoopWithZero()
    {
        Klipora app;
        QAction* quit = app.trayMenu()->actions().last();
        QCOMPARE(quit->text(), QStringLiteral("Quit"));
        QTimer::singleShot(0, quit, &QAction::trigger);
        QTimer::singleShot(20000, [] { QCoreApplication::exit(99); }); // guard
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    void trayEntriesWorkBeforeTheEventLoopTurns()
    {
        {
            Klipora app;
            // what the tray icon offers at once must work before the rest of
            // the start-up has had its turn
            app.trayMenu()->actions().at(0)->trigger();
            ScreenShoter* shoter = app.screenShoter();
            QCOMPARE(shoter->currentStatus(), int(Selector::STARTED));
            QVERIFY(!shoter->screenshot().isNull());
            QTRY_VERIFY_WITH_TIMEOUT(shoter->isVisible(), 10000);
            QTRY_VERIFY_WITH_TIMEOUT(app.isFullyBuilt(), 10000);
            QTest::qWait(200);
            // warming up a tool that is in use leaves it as the user sees it
            const QString size = shoter->sizeInfo()->text();
            QCOMPARE(size, QStringLiteral("%1 x %2").arg(shoter->selectedRect().width()).arg(shoter->selectedRect().height()));
            shoter->warmUp();
            QVERIFY(shoter->isVisible());
            QCOMPARE(shoter->currentStatus(), int(Selector::STARTED));
            QCOMPARE(shoter->sizeInfo()->text(), size);
            shoter->exit();
            QVERIFY(!shoter->isVisible());
        }
        {
            Klipora app;
            QAction* settings = app.trayMenu()->actions().at(5);
            QCOMPARE(settings->text(), QStringLiteral("Settings"));
            settings->trigger();
            QVERIFY(app.settingWindow()->isVisible());
            QCOMPARE(app.findChildren<SettingWindow*>().size(), 1);
            app.settingWindow()->close();
        }
    }

    void idleStartUpShowsNothingAndGrabsNothing()
    {
        Config& config = Config::instance();
        const int oldFramerate = config.integer(Config::RecordFramerate);
        const QString oldMask = config.string(Config::SnipMaskColor);
        config.set(Config::RecordFramerate, 17);
        config.set(Config::SnipMaskColor, QStringLiteral("#64102030"));
        Klipora app;
        QTRY_VERIFY_WITH_TIMEOUT(app.isFullyBuilt(), 10000);
        QTest::qWait(200);
        // only the tray icon is on screen
        for (QWidget* w : app.findChildren<QWidget*>())
            QVERIFY2(!w->isVisible(), w->metaObject()->className());
        // no desktop-sized buffer before a capture
        QVERIFY(app.screenShoter()->screenshot().isNull());
        QVERIFY(app.screenShoter()->history().empty());
        // tools built after the configuration was read still follow it
        QCOMPARE(app.screenRecorder()->framerate(), 17);
        QCOMPARE(app.screenShoter()->currentMaskColor(), QColor(0x10, 0x20, 0x30, 0x64));
        QCOMPARE(app.findChildren<ScreenShoter*>().size(), 1);
        QCOMPARE(app.findChildren<SettingWindow*>().size(), 1);
        config.set(Config::RecordFramerate, oldFramerate);
        config.set(Config::SnipMaskColor, oldMask);
    }

    void firstCaptureAfterStartShowsTheFrozenDesktop()
    {
        // a red window under the cursor, on the plain desktop
        QWidget red;
        red.setWindowTitle(QStringLiteral("red"));
        red.setStyleSheet(QStringLiteral("background: #ff0000"));
        red.setGeometry(200, 150, 300, 200);
        red.show();
        QVERIFY(QTest::qWaitForWindowExposed(&red, 10000));
        QVERIFY(testutil::movePointer(QPoint(420, 300)));
        QTest::qWait(300);
        const QPoint onRed(230, 180);
        const QPoint onDesktop(900, 600);
        const QColor desktop = testutil::screenPixel(onDesktop);
        QCOMPARE(testutil::screenPixel(onRed), QColor(Qt::red));

        Klipora app;
        QTRY_VERIFY_WITH_TIMEOUT(app.isFullyBuilt(), 10000);
        ScreenShoter* shoter = app.screenShoter();
        shoter->start();
        QTRY_VERIFY_WITH_TIMEOUT(shoter->isVisible(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(shoter->selectedRect().contains(onRed), 10000);
        QTest::qWait(300);
        // the proposed window shows as it was (under the selection's almost
        // clear brush), the rest of the desktop dimmed
        const auto near = [](const QColor& a, const QColor& b) {
            return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 && qAbs(a.blue() - b.blue()) <= 2;
        };
        const QColor inside = testutil::screenPixel(onRed);
        QVERIFY2(near(inside, Qt::red), qPrintable(inside.name()));
        const QColor mask = shoter->currentMaskColor();
        const auto dim = [&mask](int c, int m) { return (c * (255 - mask.alpha()) + m * mask.alpha()) / 255; };
        const QColor outside = testutil::screenPixel(onDesktop);
        const QColor dimmed(dim(desktop.red(), mask.red()), dim(desktop.green(), mask.green()),
                            dim(desktop.blue(), mask.blue()));
        QVERIFY2(near(outside, dimmed), qPrintable(outside.name() + QStringLiteral(" for ") + dimmed.name()));
        shoter->exit();
    }

    void programPaintsWithoutAGlDriver()
    {
        // A GL driver would cost the first capture tens of milliseconds and
        // the process tens of megabytes, for windows painted in software.
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_XCB_GL_INTEGRATION"));
        program.setProcessEnvironment(env);
        program.setProgram(QStringLiteral(KLIPORA_BIN_DIR "/klipora"));
        program.start();
        QVERIFY(program.waitForStarted(10000));
        QByteArray log;
        // by then the overlays and their toolbars have their windows
        QTRY_VERIFY_WITH_TIMEOUT((log += program.readAllStandardError()).contains("ready."), 20000);
        QFile maps(QStringLiteral("/proc/%1/maps").arg(program.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains("libQt5Widgets"));
        QVERIFY(!mapped.contains("xcbglintegrations"));
        QVERIFY(!mapped.contains("_dri.so"));
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }

    void clipboardBranches()
    {
        Klipora app;
        QCOMPARE(app.history().size(), size_t(0));
        const QList<QWidget*> before = app.findChildren<QWidget*>();
        app.pinLastImage(); // nothing copied yet: nothing happens
        QCOMPARE(app.findChildren<QWidget*>().size(), before.size());

        const QRect first = QGuiApplication::screens().first()->geometry();

        // 1: a browser's image copy (HTML plus image) is the image, centred
        startOwner(QStringLiteral("image+html"));
        QTRY_COMPARE_WITH_TIMEOUT(app.history().size(), size_t(1), 10000);
        QVERIFY(tagCount(QStringLiteral("IAMGE")) >= 1);
        QCOMPARE(app.history().back().image.toImage().convertToFormat(QImage::Format_RGB32), pattern(40, 30));
        QRect centred(0, 0, 40, 30);
        centred.moveCenter(first.center());
        QCOMPARE(app.history().back().position, centred.topLeft());

        // 3: a snip of our own lands where it was taken
        startOwner(QStringLiteral("image+qpoint"));
        QTRY_COMPARE_WITH_TIMEOUT(app.history().size(), size_t(2), 10000);
        const int snips = tagCount(QStringLiteral("SNIP"));
        QVERIFY(snips >= 1);
        QCOMPARE(app.history().back().position, QPoint(120, 45));
        QCOMPARE(app.history().back().image.toImage().convertToFormat(QImage::Format_RGB32), pattern(50, 20));

        // a position too short to hold a point is no position: nothing is read
        // past its end, and a bare image matches no branch
        startOwner(QStringLiteral("image+shortqpoint"));
        startOwner(QStringLiteral("image"));
        QTest::qWait(1500);
        QCOMPARE(app.history().size(), size_t(2));
        QCOMPARE(tagCount(QStringLiteral("SNIP")), snips);
        stopOwner();

        // 2: rich text is rendered as HTML at the cursor
        QCursor::setPos(300, 200);
        QTRY_COMPARE_WITH_TIMEOUT(QCursor::pos(), QPoint(300, 200), 5000);
        xclip("<b>bold</b> and <i>italic</i>", QStringLiteral("text/html"));
        QTRY_COMPARE_WITH_TIMEOUT(app.history().size(), size_t(3), 10000);
        // X may announce one copy twice: the tag can repeat, the entry cannot
        QVERIFY(tagCount(QStringLiteral("HTML")) >= 1);
        QTest::qWait(500);
        QCOMPARE(app.history().size(), size_t(3));
        QCOMPARE(app.history().back().position, QPoint(300, 200));
        QVERIFY(!app.history().back().image.isNull());

        // 4: a file URL with an accepted suffix loads that file
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("shot.png"));
        QVERIFY(pattern(64, 48).save(png));
        xclip(QUrl::fromLocalFile(png).toEncoded() + "\r\n", QStringLiteral("text/uri-list"));
        QTRY_COMPARE_WITH_TIMEOUT(app.history().size(), size_t(4), 10000);
        QVERIFY(tagCount(QStringLiteral("IMAGE URL")) >= 1);
        QCOMPARE(app.history().back().image.size(), QSize(64, 48));
        centred = QRect(0, 0, 64, 48);
        centred.moveCenter(first.center());
        QCOMPARE(app.history().back().position, centred.topLeft());

        // mixed case is not an image suffix: the URL is taken as text instead
        const QString mixed = dir.filePath(QStringLiteral("shot.Png"));
        QVERIFY(QFile::copy(png, mixed));
        int textsBefore = tagCount(QStringLiteral("TEXT"));
        const int urls = tagCount(QStringLiteral("IMAGE URL"));
        xclip(QUrl::fromLocalFile(mixed).toEncoded() + "\r\n", QStringLiteral("text/uri-list"));
        QTRY_VERIFY_WITH_TIMEOUT(tagCount(QStringLiteral("TEXT")) > textsBefore, 10000);
        QTest::qWait(500);
        QCOMPARE(tagCount(QStringLiteral("IMAGE URL")), urls);

        // 5: plain text is rendered at the cursor
        textsBefore = tagCount(QStringLiteral("TEXT"));
        const size_t sizeBefore = app.history().size();
        xclip("hello, pinned world");
        QTRY_VERIFY_WITH_TIMEOUT(tagCount(QStringLiteral("TEXT")) > textsBefore, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(app.history().size(), sizeBefore + 1, 10000);
        QCOMPARE(app.history().back().position, QPoint(300, 200));
        QCOMPARE(app.history().back().image.toImage(), renderClipboardText(QStringLiteral("hello, pinned world")).toImage());

        // the same copy announced again is one entry, not two of the ten
        const int textsOnce = tagCount(QStringLiteral("TEXT"));
        xclip("hello, pinned world");
        QTRY_VERIFY_WITH_TIMEOUT(tagCount(QStringLiteral("TEXT")) > textsOnce, 10000);
        QTest::qWait(500);
        QCOMPARE(app.history().size(), sizeBefore + 1);

        // 6: a colour is logged and not kept
        const size_t sizeBeforeColour = app.history().size();
        xclip(QByteArray("\xff\xff\x00\x00\x00\x00\xff\xff", 8), QStringLiteral("application/x-color"));
        QTRY_VERIFY_WITH_TIMEOUT(tagCount(QStringLiteral("COLOR")) >= 1, 10000);
        QCOMPARE(app.history().size(), sizeBeforeColour);
    }

    void historyKeepsTheLastTen()
    {
        Klipora app;
        for (int i = 1; i <= 12; ++i) {
            const int before = tagCount(QStringLiteral("TEXT"));
            xclip(QStringLiteral("copy number %1").arg(i).toUtf8());
            QTRY_VERIFY_WITH_TIMEOUT(tagCount(QStringLiteral("TEXT")) > before, 10000);
        }
        QCOMPARE(app.history().size(), size_t(10));
        QCOMPARE(app.history().back().image.toImage(),
                 renderClipboardText(QStringLiteral("copy number 12")).toImage());
        QCOMPARE(app.history().front().image.toImage(),
                 renderClipboardText(QStringLiteral("copy number 3")).toImage());
    }

    void olderPinHistoryIsCompressedAndExact()
    {
        Klipora app;
        std::vector<QImage> images;
        const int snipsBefore = tagCount(QStringLiteral("SNIP"));
        for (int i = 0; i < 12; ++i) {
            // busy, different content for every snip, as screenshots have
            QImage image(640, 400, QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    line[x] = qRgb((x * 7 + i * 31) & 0xff, (y * 13 + x * i) & 0xff, (x ^ y ^ (i * 57)) & 0xff);
            }
            images.push_back(image);
            auto* mime = new QMimeData;
            mime->setImageData(image);
            mime->setData(QString::fromLatin1(QPOINT_MIME), encodeQPoint(QPoint(10 * i, 20 + i)));
            QGuiApplication::clipboard()->setMimeData(mime);
            QTRY_VERIFY_WITH_TIMEOUT(tagCount(QStringLiteral("SNIP")) >= snipsBefore + i + 1, 10000);
        }
        QCOMPARE(app.history().size(), size_t(10));
        QVERIFY(PackedImage::waitForPending(30000));
        for (size_t k = 0; k < 10; ++k) {
            const Klipora::HistoryEntry& entry = app.history()[k];
            QCOMPARE(entry.image.isPacked(), k < 9);
            QCOMPARE(entry.image.toImage(), images[k + 2]);
            QCOMPARE(entry.position, QPoint(10 * int(k + 2), 22 + int(k)));
        }
        // the newest shares the clipboard's pixels rather than copying them
        QCOMPARE(app.history().back().image.toImage().cacheKey(), images.back().cacheKey());

        // the pin hotkey's slot pins the newest where it was taken
        app.pinLastImage();
        const QList<ImageWindow*> pins = app.findChildren<ImageWindow*>();
        QCOMPARE(pins.size(), 1);
        QCOMPARE(pins.first()->image().toImage().convertToFormat(QImage::Format_RGB32), images.back());
        QCOMPARE(pins.first()->pos(), QPoint(110, 31) - QPoint(ImageWindow::MARGIN, ImageWindow::MARGIN));
    }

    void scrollingScreenshotIsCopiedAndPinnedOrSaved()
    {
        QCOMPARE(zoomToFit(QSize(400, 8000), QSize(1000, 800)), 0.1);
        QCOMPARE(zoomToFit(QSize(4000, 300), QSize(1000, 800)), 0.25);
        QCOMPARE(zoomToFit(QSize(400, 300), QSize(1000, 800)), 1.0);

        Klipora app;
        ScrollCapturer* capturer = app.scrollCapturer();
        const QImage tall = pattern(300, 5000);
        const int pinnedBefore = app.findChildren<ImageWindow*>().size();
        emit capturer->finished(tall, QPoint(30, 40));

        // copied with the place it came from, readable by other programs
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime && mime->hasFormat(QString::fromLatin1(QPOINT_MIME)));
        QPoint pos;
        QVERIFY(decodeQPoint(mime->data(QString::fromLatin1(QPOINT_MIME)), &pos));
        QCOMPARE(pos, QPoint(30, 40));
        const auto png = testutil::run(QStringLiteral("xclip"),
                                       {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                        QStringLiteral("image/png"), QStringLiteral("-o")});
        QCOMPARE(QImage::fromData(png.out, "PNG").convertToFormat(QImage::Format_RGB32), tall);

        // pinned whole, zoomed out to fit the screen
        const QList<ImageWindow*> pinned = app.findChildren<ImageWindow*>();
        QCOMPARE(pinned.size(), pinnedBefore + 1);
        ImageWindow* window = pinned.last();
        QVERIFY(window->isVisible());
        QCOMPARE(window->image().toImage().convertToFormat(QImage::Format_RGB32), tall);
        QVERIFY(window->zoom() < 1.0);
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(window->geometry()));
        window->close();

        // with a path it is saved there and not pinned
        const QString path = QDir(testutil::tempDir()).filePath(QStringLiteral("scroll.png"));
        app.scrollCapture(path);
        capturer->exit();
        emit capturer->finished(tall, QPoint(0, 0));
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), tall);
        QCOMPARE(app.findChildren<ImageWindow*>().size(), pinned.size());

        // a place that cannot be written is reported; an existing file stays whole
        g_messages.clear();
        app.scrollCapture(QStringLiteral("/nonexistent-folder/scroll.png"));
        capturer->exit();
        emit capturer->finished(tall, QPoint(0, 0));
        QVERIFY(g_messages.filter(QStringLiteral("Could not save /nonexistent-folder/scroll.png")).size() == 1);
        QString error;
        QVERIFY(!ImageSaver::save(QImage(), path, &error));
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), tall);
    }

    void hugeCopiesRenderAtABoundedSize()
    {
        const QString text = QString(QStringLiteral("all work and no play ")).repeated(250000); // ~5 MB
        const QPixmap t = renderClipboardText(text);
        QVERIFY(!t.isNull());
        QVERIFY(t.width() <= 4096 && t.height() <= 4096);
        QString html = QStringLiteral("<p>");
        html += QString(QStringLiteral("<b>x</b>y ")).repeated(400000);
        const QPixmap h = renderClipboardHtml(html);
        QVERIFY(!h.isNull());
        QVERIFY(h.width() <= 4096 && h.height() <= 4096);
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--own-clipboard")
        return ownClipboard(QString::fromLatin1(argv[2]));
    TestKlipora test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_klipora.moc"
