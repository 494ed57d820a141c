#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include "core/imagebudget.h"
#include "core/imagewindow.h"
#include "testutil.h"

Q_DECLARE_METATYPE(QSystemTrayIcon::MessageIcon)

using imagebudget::Failure;

class TestImageBudget : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& data)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
            return QString();
        return path;
    }

private slots:
    void initTestCase() { qRegisterMetaType<QSystemTrayIcon::MessageIcon>(); }

    void sizesAreCheckedBeforeDecoding()
    {
        // a real 9000 x 5000 PNG of 45 megapixels is a few kilobytes
        const QByteArray big = testutil::bigPng(9000, 5000);
        QVERIFY(big.size() < 200 * 1024);
        QElapsedTimer timer;
        timer.start();
        imagebudget::Result r = imagebudget::readData(big);
        QCOMPARE(r.failure, Failure::TooLarge);
        QCOMPARE(r.size, QSize(9000, 5000));
        QVERIFY(r.image.isNull());
        QVERIFY2(timer.elapsed() < 2000, "refused without decoding");

        // the same within a larger budget decodes, so it is a real image
        r = imagebudget::readData(big, 50 * 1000 * 1000);
        QCOMPARE(r.failure, Failure::None);
        QCOMPARE(r.image.size(), QSize(9000, 5000));
        QCOMPARE(r.image.pixelColor(4500, 2500), QColor(Qt::black));

        r = imagebudget::readData(testutil::bigPng(20000, 20000, true));
        QCOMPARE(r.failure, Failure::TooLarge);
        QCOMPARE(r.size, QSize(20000, 20000));

        r = imagebudget::readData(testutil::bigPng(640, 480));
        QCOMPARE(r.failure, Failure::None);
        QCOMPARE(r.image.size(), QSize(640, 480));

        QCOMPARE(imagebudget::readData("not an image at all").failure, Failure::NotAnImage);
        QCOMPARE(imagebudget::readData(QByteArray()).failure, Failure::NotAnImage);
        QVERIFY(imagebudget::fits(QSize(8000, 5000)));
        QVERIFY(!imagebudget::fits(QSize(65536, 65536)));
    }

    void filesMustBeRegular()
    {
        const QString png = write(QStringLiteral("small.png"), testutil::bigPng(30, 20));
        QVERIFY(!png.isEmpty());
        QCOMPARE(imagebudget::readFile(png).image.size(), QSize(30, 20));
        // a link to a file, as a download folder may hold, is fine
        const QString link = dir.filePath(QStringLiteral("link.png"));
        QVERIFY(QFile::link(png, link));
        QCOMPARE(imagebudget::readFile(link).image.size(), QSize(30, 20));

#ifdef Q_OS_UNIX
        const QString fifo = dir.filePath(QStringLiteral("x.png"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(imagebudget::readFile(fifo).failure, Failure::NotRegularFile);
        const QString fifoLink = dir.filePath(QStringLiteral("fifo-link.png"));
        QVERIFY(QFile::link(fifo, fifoLink));
        QCOMPARE(imagebudget::readFile(fifoLink).failure, Failure::NotRegularFile);
        QVERIFY(timer.elapsed() < 2000);
#endif

        QCOMPARE(imagebudget::readFile(dir.path()).failure, Failure::NotRegularFile);
        QCOMPARE(imagebudget::readFile(dir.filePath(QStringLiteral("missing.png"))).failure, Failure::Unreadable);
        const QString huge = write(QStringLiteral("huge.png"), testutil::bigPng(20000, 20000, true));
        QCOMPARE(imagebudget::readFile(huge).failure, Failure::TooLarge);
    }

    void pinnedWindowRefusesWhatItCannotOpen()
    {
        ImageWindow window;
        QPixmap green(40, 30);
        green.fill(Qt::green);
        QVERIFY(window.setImage(green));
        QSignalSpy messages(&window, &ImageWindow::SHOW_MESSAGE);
        const QString huge = write(QStringLiteral("pin-huge.png"), testutil::bigPng(12000, 12000));
        QVERIFY(!window.openFile(huge));
        QCOMPARE(messages.count(), 1);
        QVERIFY(messages.at(0).at(1).toString().contains(QStringLiteral("too large")));

#ifdef Q_OS_UNIX
        const QString fifo = dir.filePath(QStringLiteral("pin.png"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!window.openFile(fifo));
        QCOMPARE(messages.count(), 2);
#endif
        // what was pinned stays
        QCOMPARE(window.image().size(), QSize(40, 30));

        QVERIFY(window.openFile(write(QStringLiteral("pin-small.png"), testutil::bigPng(64, 48))));
        QCOMPARE(window.image().size(), QSize(64, 48));
    }
};

QTEST_MAIN(TestImageBudget)
#include "tst_imagebudget.moc"
