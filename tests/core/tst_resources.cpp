#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include "core/resources.h"

// Catches a missing, misnamed or badly drawn file in the resource tree before
// a user meets a blank toolbar button or an unstyled window.
class TestResources : public QObject
{
    Q_OBJECT

    // The paths exactly as the code writes them (most without the suffix).
    static QStringList iconPaths()
    {
        return {
            // tray icon, window icon and tray menu
            ":/icon/res/icon.png", ":/icon/res/screenshot", ":/icon/res/sr", ":/icon/res/gif",
            ":/icon/res/setting", ":/icon/res/exit",
            // annotation toolbar and its option menus
            ":/icon/res/rectangle", ":/icon/res/circle", ":/icon/res/arrow", ":/icon/res/line",
            ":/icon/res/feather", ":/icon/res/text", ":/icon/res/mosaic", ":/icon/res/eraser",
            ":/icon/res/counter", ":/icon/res/highlighter", ":/icon/res/blur",
            ":/icon/res/undo", ":/icon/res/redo", ":/icon/res/pin", ":/icon/res/save",
            ":/icon/res/wrong", ":/icon/res/right", ":/icon/res/fill",
            // overlay cursor, recording bar, settings title bar
            ":/icon/res/rotate", ":/icon/res/red_circle.png", ":/icon/res/stop.png",
            ":/icon/res/icon", ":/icon/res/close",
            // style sheet images and the About page
            ":/icon/res/microphone.png", ":/icon/res/microphone-mute.png",
            ":/icon/res/arrow_down.png", ":/icon/res/arrow_up.png", ":/icon/res/spin_up.png",
            ":/icon/res/spin_down.png", ":/icon/res/qqgroup.png",
        };
    }

    // Painted by the toolbar and the title bar as one-colour silhouettes of
    // their alpha channel.
    static QStringList silhouettePaths()
    {
        return {":/icon/res/rectangle", ":/icon/res/circle", ":/icon/res/arrow",
                ":/icon/res/line",      ":/icon/res/feather", ":/icon/res/text",
                ":/icon/res/mosaic",    ":/icon/res/eraser", ":/icon/res/counter",
                ":/icon/res/highlighter", ":/icon/res/blur", ":/icon/res/undo",
                ":/icon/res/redo",      ":/icon/res/pin",     ":/icon/res/save",
                ":/icon/res/wrong",     ":/icon/res/right",   ":/icon/res/fill",
                ":/icon/res/close"};
    }

    static QStringList styleSheets()
    {
        return {":/qss/menu/menu.qss", ":/qss/klipora.qss", ":/qss/setting/settingswindow.qss"};
    }

private slots:
    void initTestCase() { initResources(); }

    void everyIconTheCodeNamesLoads_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& p : iconPaths())
            QTest::newRow(qPrintable(p)) << p;
    }
    void everyIconTheCodeNamesLoads()
    {
        QFETCH(QString, path);
        const QPixmap pixmap(path);
        QVERIFY2(!pixmap.isNull(), qPrintable(path));
        // Menus and buttons go through QIcon, which must find the same file.
        const QPixmap viaIcon = QIcon(path).pixmap(QSize(25, 25));
        QVERIFY2(!viaIcon.isNull(), qPrintable(path));
        QVERIFY(viaIcon.width() <= 25 && viaIcon.height() <= 25);
    }

    void styleSheetsAreThereAndTheirImagesLoad()
    {
        const QRegularExpression url(QStringLiteral("url\\(\\s*([^)\\s]+)\\s*\\)"));
        int images = 0;
        for (const QString& sheet : styleSheets()) {
            const QString text = readResourceText(sheet);
            QVERIFY2(!text.trimmed().isEmpty(), qPrintable(sheet));
            // Unbalanced braces make Qt drop the whole sheet without a word.
            QCOMPARE(text.count(QLatin1Char('{')), text.count(QLatin1Char('}')));
            auto it = url.globalMatch(text);
            while (it.hasNext()) {
                const QString path = it.next().captured(1);
                QVERIFY2(!QImage(path).isNull(), qPrintable(sheet + ": " + path));
                ++images;
            }
        }
        // microphone (x2 states), combo arrows, spin arrows
        QVERIFY(images >= 6);
    }

    void iconSizesSuitWhereTheyAreShown()
    {
        const QImage app(":/icon/res/icon.png");
        QCOMPARE(app.width(), app.height());
        QVERIFY(app.width() >= 128); // tray, title bar and window manager scale it down

        // Drawn at 25 px on the toolbar and 16 px in menus: never upscaled.
        const QStringList square = silhouettePaths() + QStringList{
            ":/icon/res/screenshot", ":/icon/res/sr", ":/icon/res/gif", ":/icon/res/setting",
            ":/icon/res/exit", ":/icon/res/rotate", ":/icon/res/stop.png",
            ":/icon/res/red_circle.png"};
        for (const QString& p : square) {
            const QImage img(p);
            QVERIFY2(img.width() == img.height() && img.width() >= 25, qPrintable(p));
        }

        // The spin box sheet shows these at exactly 20x16.
        QCOMPARE(QImage(":/icon/res/spin_up.png").size(), QSize(20, 16));
        QCOMPARE(QImage(":/icon/res/spin_down.png").size(), QSize(20, 16));
        // The combo drop-down leaves 14 px: a bigger image would be clipped.
        for (const char* p : {":/icon/res/arrow_down.png", ":/icon/res/arrow_up.png"}) {
            const QSize s = QImage(p).size();
            QVERIFY2(s.width() <= 14 && s.height() <= 14, p);
        }
        // Check box indicators are 22x22.
        QCOMPARE(QImage(":/icon/res/microphone.png").size(), QSize(22, 22));
        QCOMPARE(QImage(":/icon/res/microphone-mute.png").size(), QSize(22, 22));

        const QImage qr(":/icon/res/qqgroup.png");
        QVERIFY(qr.width() >= 100 && qr.width() == qr.height());
    }

    void silhouetteIconsHaveClearShapes_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& p : silhouettePaths())
            QTest::newRow(qPrintable(p)) << p;
    }
    void silhouetteIconsHaveClearShapes()
    {
        // An opaque background would turn the silhouette into a solid square;
        // an almost empty image into an invisible button.
        QFETCH(QString, path);
        const QImage img = QImage(path).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!img.isNull());
        int touched = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qAlpha(img.pixel(x, y)) > 0)
                    ++touched;
        const double share = double(touched) / (img.width() * img.height());
        QVERIFY2(share > 0.05 && share < 0.6, qPrintable(QString::number(share)));
        const int w = img.width() - 1, h = img.height() - 1;
        for (const QPoint& corner : {QPoint(0, 0), QPoint(w, 0), QPoint(0, h), QPoint(w, h)})
            QCOMPARE(qAlpha(img.pixel(corner)), 0);
    }

    void renderedIconsMatchTheirDrawings()
    {
        // Every drawing has its PNG in the tree at the pixel size the drawing
        // asks for, and no PNG is left without a drawing.
        const QDir svgDir(QStringLiteral(KLIPORA_SOURCE_DIR "/resources/icon/svg"));
        const QStringList svgs = svgDir.entryList({"*.svg"}, QDir::Files, QDir::Name);
        QCOMPARE(svgs.size(), 35);
        const QRegularExpression sizeRe(
            QStringLiteral("<svg[^>]*\\swidth=\"(\\d+)\"[^>]*\\sheight=\"(\\d+)\""));
        QSet<QString> drawn;
        for (const QString& file : svgs) {
            QFile f(svgDir.filePath(file));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const auto m = sizeRe.match(QString::fromUtf8(f.readAll()));
            QVERIFY2(m.hasMatch(), qPrintable(file));
            const QString name = QFileInfo(file).completeBaseName();
            drawn.insert(name);
            const QImage png(":/icon/res/" + name + ".png");
            QVERIFY2(!png.isNull(), qPrintable(name));
            QCOMPARE(png.size(), QSize(m.captured(1).toInt(), m.captured(2).toInt()));
        }
        const QStringList pngs = QDir(":/icon/res").entryList({"*.png"}, QDir::Files);
        for (const QString& file : pngs)
            QVERIFY2(drawn.contains(QFileInfo(file).completeBaseName()), qPrintable(file));
        QCOMPARE(pngs.size(), svgs.size());
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
