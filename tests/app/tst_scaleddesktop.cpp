// klipora-test: x11 --scale 2
// klipora-test: x11 --screen-scale 2
// klipora-test: x11 --dpi 192
// klipora-test: x11 --compositor
// klipora-test: x11 --compositor --scale 2
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtTest>

#include <functional>
#include <memory>

#include "core/config.h"
#include "core/devicepixels.h"
#include "core/displayinfo.h"
#include "core/imagewindow.h"
#include "core/qpointformat.h"
#include "core/resources.h"
#include "klipora.h"
#include "recordingutil.h"
#include "snip/magnifier.h"
#include "snip/screenshoter.h"
#include "pixelcheck.h"
#include "testutil.h"
#include "video/screenrecorder.h"
#include "video/videojob.h"
#include "widgets/fontmenu.h"
#include "widgets/imageeditmenu.h"

// The road of a snip, a pin and a recording on a desktop the toolkit scales
// (a 3840x2160 screen at factor 2), seen from outside: everything handed to
// other programs and every pixel grabbed counts device pixels, while the
// overlay's own parts keep their logical size. Without scaling the same
// checks hold at factor 1.

using testutil::clipboardAs;
using testutil::differences;
using testutil::near;
using testutil::xdo;

namespace {

// Every device pixel its own colour: a shift by one shows.
QRgb patternAt(int x, int y)
{
    return qRgb(x & 0xff, y & 0xff, ((x >> 8) * 37 + (y >> 8) * 71 + 40) & 0xff);
}

// An unmanaged window over the desktop that paints patternAt() at device
// resolution, one colour per device pixel.
class DevicePattern : public QWidget
{
public:
    DevicePattern(const QRect& logical, qreal factor)
        : QWidget(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint)
    {
        const QRect device = devicepixels::toDevice(logical, factor);
        image_ = QImage(device.size(), QImage::Format_RGB32);
        // The pad byte zero, as most X clients leave it: the server keeps
        // what they wrote, and a grab of the screen hands it back.
        for (int y = 0; y < device.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
            for (int x = 0; x < device.width(); ++x)
                line[x] = patternAt(device.x() + x, device.y() + y) & 0x00ffffffu;
        }
        image_.setDevicePixelRatio(factor);
        setGeometry(logical);
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

QString num(int v)
{
    return QString::number(v);
}





bool scalingAsked()
{
    return qEnvironmentVariableIsSet("QT_SCALE_FACTOR") || qEnvironmentVariableIsSet("QT_SCREEN_SCALE_FACTORS")
        || qEnvironmentVariableIsSet("QT_AUTO_SCREEN_SCALE_FACTOR");
}

} // namespace

class TestScaledDesktop : public QObject
{
    Q_OBJECT

    qreal factor_ = 1;
    QRect device_;  // the desktop in device pixels
    QRect logical_; // and in logical ones
    std::unique_ptr<DevicePattern> pattern_;
    std::unique_ptr<Klipora> app_;
    ScreenShoter* shoter_ = nullptr;

    // A region in device pixels that starts on a logical pixel: (1200, 1000)
    // to (2199, 1599) on the 3840x2160 screen.
    QRect deviceRegion() const
    {
        return device_.width() >= 3840 ? QRect(1200, 1000, 1000, 600) : QRect(600, 500, 500, 300);
    }

    // Where the toolkit says the pointer is once it stands on a device pixel.
    QPoint seenAt(const QPoint& device) const
    {
        return (QPointF(device) / factor_).toPoint();
    }

    // The real pointer, moved in device pixels as other programs do.
    bool movePointer(const QPoint& device)
    {
        if (!xdo({ "mousemove", num(device.x()), num(device.y()) }))
            return false;
        return QTest::qWaitFor([&] { return QCursor::pos() == seenAt(device); }, 10000);
    }

    // A user's drag over device pixels; the button goes up once the overlay
    // has followed the pointer to the end.
    bool realDrag(Selector* overlay, const QPoint& from, const QPoint& to)
    {
        const QPoint end = devicepixels::toLogical(to, factor_);
        if (!movePointer(from) || !xdo({ "mousedown", "1" }) || !movePointer((from + to) / 2) || !movePointer(to))
            return false;
        const bool followed = QTest::qWaitFor(
            [overlay, end] { return QPoint(overlay->selection().x2, overlay->selection().y2) == end; }, 30000);
        if (!followed)
            qWarning() << "the overlay did not follow the drag: selection" << overlay->selectedRect() << "wanted"
                       << end << "pointer" << QCursor::pos();
        return xdo({ "mouseup", "1" }) && followed;
    }

    QImage reference()
    {
        pattern_->repaint();
        QApplication::processEvents();
        return testutil::rootScreenshot().convertToFormat(QImage::Format_RGB32);
    }

    bool startOverlay()
    {
        if (!testutil::pressKeys(QStringLiteral("F1")))
            return false;
        return QTest::qWaitFor([this] { return shoter_->isVisible() && shoter_->currentStatus() == Selector::STARTED; },
                               30000)
            && QTest::qWaitForWindowExposed(shoter_, 30000);
    }

    bool overlayClosed()
    {
        return QTest::qWaitFor([this] { return !shoter_->isVisible(); }, 30000);
    }

    // A top-level window's rectangle as the X server has it (device pixels).
    static QRect onScreen(QWidget* w)
    {
        const testutil::ProcessResult r =
            testutil::run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), num(int(w->winId())) });
        const QString out = QString::fromUtf8(r.out);
        auto field = [&out](const char* name) {
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name))).match(out);
            return m.hasMatch() ? m.captured(1).toInt() : -1;
        };
        return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
    }

    // Kept for a look by hand when KLIPORA_KEEP_SHOTS names a folder.
    static void keep(const QImage& shot, const QString& name)
    {
        const QString folder = qEnvironmentVariable("KLIPORA_KEEP_SHOTS");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        const QString tag = QString::fromLatin1(QTest::currentTestFunction());
        shot.save(QDir(folder).filePath(QStringLiteral("%1-%2-%3.png")
                                            .arg(QString::number(factor()), tag, name)));
    }
    static qreal factor() { return devicepixels::desktopFactor(); }

    // The text is drawn whole inside the label.
    static bool textFits(const QLabel* label)
    {
        const QFontMetrics metrics(label->font());
        const QRect text = metrics.boundingRect(label->text());
        return text.width() <= label->contentsRect().width() && metrics.height() <= label->contentsRect().height();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testutil::haveX11());
        initResources();
        DisplayInfo::instance();
        factor_ = devicepixels::desktopFactor();
        if (scalingAsked())
            QCOMPARE(factor_, 2.0);
        logical_ = DisplayInfo::desktopRect();
        device_ = DisplayInfo::deviceDesktopRect();
        QCOMPARE(device_.size(), QGuiApplication::primaryScreen()->size() * factor_);
        qInfo() << "factor" << factor_ << "desktop" << logical_ << "device" << device_;

        Config::instance().set(Config::RecordPath, QDir(testutil::tempDir()).filePath(QStringLiteral("videos")));
        pattern_ = std::make_unique<DevicePattern>(logical_, factor_);
        pattern_->show();
        QVERIFY(QTest::qWaitForWindowExposed(pattern_.get(), 30000));
        // It bypasses the window manager, as overlays do; a real desktop
        // lies below every window, pins included.
        pattern_->lower();
        const QImage shot = reference();
        QCOMPARE(shot.size(), device_.size());
        // the pattern really is there at device resolution
        QString report;
        QCOMPARE(differences(shot, patternAt, QRegion(QRect(1000, 700, 64, 64)), 0, &report), 0);

        app_ = std::make_unique<Klipora>();
        QTRY_VERIFY_WITH_TIMEOUT(app_->isFullyBuilt(), 30000);
        shoter_ = app_->screenShoter();
    }

    void cleanupTestCase()
    {
        app_.reset();
        pattern_.reset();
    }

    void cleanup()
    {
        if (shoter_->currentStatus() != Selector::IDLE)
            shoter_->exit();
        ScreenRecorder* recorder = app_->screenRecorder();
        if (recorder->currentStatus() != Selector::IDLE)
            recorder->exit();
        qDeleteAll(app_->findChildren<ImageWindow*>());
        QTRY_VERIFY_WITH_TIMEOUT(!shoter_->isVisible() && !recorder->isVisible(), 30000);
    }

    // The frozen desktop is the real screen at full resolution, dimmed
    // outside the window under the pointer, which is proposed.
    void frozenOverlayIsTheSharpDesktopDimmed()
    {
        QWidget target;
        target.setWindowTitle(QStringLiteral("target"));
        target.setGeometry(QRect(QPoint(300, 200), QSize(400, 300)));
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target, 30000));
        QRect frame; // device pixels, as the window manager placed it
        QTRY_VERIFY_WITH_TIMEOUT(!(frame = testutil::x11FrameRect(&target)).isEmpty(), 30000);
        const QPoint pointer = frame.topLeft() + QPoint(60, 60);
        QVERIFY(movePointer(pointer));

        const QImage before = reference();
        QVERIFY(startOverlay());
        QCOMPARE(shoter_->geometry(), logical_);
        QCOMPARE(onScreen(shoter_), device_);
        QTRY_COMPARE_WITH_TIMEOUT(shoter_->selectedRect(), devicepixels::toLogical(frame, factor_), 30000);
        const QRect proposed = devicepixels::toDevice(shoter_->selectedRect(), factor_);
        QVERIFY(proposed.contains(frame));
        const int alpha = shoter_->currentMaskColor().alpha();
        QVERIFY(alpha > 50);

        // Left out: the border and handles, the size label and where the
        // magnifier may come up around the pointer.
        const int pad = int(6 * factor_);
        QRegion keptOut = QRegion(proposed.adjusted(-pad, -pad, pad, pad)) - QRegion(proposed.adjusted(pad, pad, -pad, -pad));
        keptOut |= QRegion(devicepixels::toDevice(shoter_->sizeInfo()->geometry(), factor_).adjusted(-4, -4, 4, 4));
        const int reach = int(180 * factor_);
        keptOut |= QRegion(QRect(pointer - QPoint(reach, reach), QSize(2 * reach, 2 * reach)));
        const QRegion dimmed = QRegion(device_) - QRegion(proposed) - keptOut;
        const QRegion inside = QRegion(proposed) - keptOut;
        QVERIFY(!inside.isEmpty());
        auto dim = [&](int x, int y) {
            const QRgb c = before.pixel(x, y);
            return qRgb(qRed(c) * (255 - alpha) / 255, qGreen(c) * (255 - alpha) / 255,
                        qBlue(c) * (255 - alpha) / 255);
        };
        QString report;
        int wrong = -1;
        QImage shot;
        // the overlay paints in its own time: look until it has
        (void)QTest::qWaitFor(
            [&] {
                shot = testutil::rootScreenshot().convertToFormat(QImage::Format_RGB32);
                if (shot.size() != device_.size())
                    return false;
                report.clear();
                wrong = differences(shot, dim, dimmed, 3, &report)
                    + differences(shot, [&](int x, int y) { return before.pixel(x, y); }, inside, 2, &report);
                return wrong == 0;
            },
            30000);
        keep(shot, QStringLiteral("overlay"));
        QVERIFY2(wrong == 0, qPrintable(QString::number(wrong) + QStringLiteral(" pixels wrong:") + report));
        // the mask tells the pattern from its dimmed self
        const QPoint far = device_.bottomRight() - QPoint(100, 100);
        QVERIFY(!near(before.pixel(far), dim(far.x(), far.y()), 3));

        // the magnifier keeps its logical size and enlarges device pixels
        Magnifier* magnifier = shoter_->magnifier();
        QVERIFY(movePointer(pointer + QPoint(4, 2)));
        QTRY_VERIFY_WITH_TIMEOUT(magnifier->isVisible(), 30000);
        QCOMPARE(magnifier->size(), QSize(155, 155));
        QTRY_COMPARE_WITH_TIMEOUT(magnifier->colorName(),
                                  QColor(before.pixel(pointer + QPoint(4, 2))).name(), 30000);
        QVERIFY(testutil::pressKeys(QStringLiteral("Escape")));
        QVERIFY(overlayClosed());
    }

    // A drag over device pixels copies exactly those pixels with their
    // place; the size label names them and shows its text whole.
    void dragCopiesTheDevicePixels()
    {
        const QRect r = deviceRegion();
        const QImage before = reference();
        QVERIFY(startOverlay());
        QVERIFY(realDrag(shoter_, r.topLeft(), r.bottomRight()));
        QTRY_COMPARE_WITH_TIMEOUT(shoter_->currentStatus(), int(Selector::CAPTURED), 30000);
        QCOMPARE(shoter_->snippedDeviceRect(), r);

        const auto* label = shoter_->sizeInfo()->findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("%1 x %2").arg(r.width()).arg(r.height()));
        QVERIFY2(textFits(label), qPrintable(QStringLiteral("label %1x%2, font height %3")
                                                 .arg(label->width())
                                                 .arg(label->height())
                                                 .arg(QFontMetrics(label->font()).height())));
        // the toolbar at its logical size, whole on the screen
        ImageEditMenu* bar = shoter_->menu();
        QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), 30000);
        QRect barRect;
        QTRY_VERIFY_WITH_TIMEOUT(device_.contains(barRect = onScreen(bar)) && !barRect.isEmpty(), 30000);
        QCOMPARE(barRect.size(), devicepixels::toDevice(bar->size(), factor_));
        keep(testutil::rootScreenshot(), QStringLiteral("selection"));

        QVERIFY(testutil::pressKeys(QStringLiteral("Return")));
        QVERIFY(overlayClosed());
        QPoint pos(-1, -1);
        QTRY_VERIFY_WITH_TIMEOUT(decodeQPoint(clipboardAs(QStringLiteral("application/qpoint")), &pos), 30000);
        QCOMPARE(pos, r.topLeft());
        QImage copied;
        QVERIFY(copied.loadFromData(clipboardAs(QStringLiteral("image/png")), "PNG"));
        QCOMPARE(copied.size(), r.size());
        QString report;
        const int wrong = differences(copied.convertToFormat(QImage::Format_RGB32),
                                      [&](int x, int y) { return before.pixel(x + r.left(), y + r.top()); },
                                      QRegion(QRect(QPoint(0, 0), r.size())), 0, &report);
        QVERIFY2(wrong == 0, qPrintable(QString::number(wrong) + QStringLiteral(" pixels wrong:") + report));
    }

    void selectAllCopiesTheWholeDesktop()
    {
        const QImage before = reference();
        QVERIFY(startOverlay());
        QVERIFY(testutil::pressKeys(QStringLiteral("ctrl+a")));
        QTRY_COMPARE_WITH_TIMEOUT(shoter_->currentStatus(), int(Selector::CAPTURED), 30000);
        QCOMPARE(shoter_->snippedDeviceRect(), device_);
        QVERIFY(testutil::pressKeys(QStringLiteral("Return")));
        QVERIFY(overlayClosed());

        QPoint pos(-1, -1);
        QTRY_VERIFY_WITH_TIMEOUT(decodeQPoint(clipboardAs(QStringLiteral("application/qpoint")), &pos), 30000);
        QCOMPARE(pos, QPoint(0, 0));
        QImage copied;
        QVERIFY(copied.loadFromData(clipboardAs(QStringLiteral("image/png")), "PNG"));
        copied = copied.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied.size(), device_.size());
        QCOMPARE(copied, before);
    }

    // A pin shows its pixels one to one where they were taken.
    void pinnedSnipShowsWhereItWasTaken()
    {
        const QRect whole = deviceRegion();
        const QRect r = whole.adjusted(whole.width() / 5, whole.height() / 6, -whole.width() * 3 / 10, -whole.height() / 3);
        const QImage before = reference();
        QVERIFY(startOverlay());
        QVERIFY(realDrag(shoter_, r.topLeft(), r.bottomRight()));
        QTRY_COMPARE_WITH_TIMEOUT(shoter_->currentStatus(), int(Selector::CAPTURED), 30000);
        QVERIFY(testutil::pressKeys(QStringLiteral("p")));
        QVERIFY(overlayClosed());
        QList<ImageWindow*> pins;
        QTRY_VERIFY_WITH_TIMEOUT((pins = app_->findChildren<ImageWindow*>()).size() == 1, 30000);
        ImageWindow* pin = pins.first();
        QVERIFY(QTest::qWaitForWindowExposed(pin, 30000));
        QCOMPARE(pin->image().size(), r.size());
        QString report;
        int wrong = -1;
        QImage shot;
        (void)QTest::qWaitFor(
            [&] {
                shot = testutil::rootScreenshot().convertToFormat(QImage::Format_RGB32);
                report.clear();
                wrong = differences(shot, [&](int x, int y) { return before.pixel(x, y); }, QRegion(r), 0, &report);
                return wrong == 0;
            },
            30000);
        keep(shot, QStringLiteral("pin"));
        QVERIFY2(wrong == 0, qPrintable(QString::number(wrong) + QStringLiteral(" pixels wrong:") + report));
        const int margin = int(ImageWindow::MARGIN * factor_);
        QCOMPARE(testutil::x11FrameRect(pin).topLeft(), r.topLeft() - QPoint(margin, margin));
        pin->close();
        QTRY_VERIFY_WITH_TIMEOUT(app_->findChildren<ImageWindow*>().isEmpty(), 30000);
    }

    // The text tool's font boxes show their text whole.
    void fontBoxesFitTheirText()
    {
        auto* fonts = qobject_cast<FontMenu*>(shoter_->menu()->optionMenu(TEXT));
        QVERIFY(fonts);
        fonts->ensurePolished();
        for (QComboBox* box : { fonts->familyBox(), fonts->styleBox(), fonts->sizeBox() }) {
            box->ensurePolished();
            QStyleOptionComboBox option;
            option.initFrom(box);
            option.rect = QRect(QPoint(0, 0), box->size());
            const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
            const QFontMetrics metrics = box->fontMetrics();
            QVERIFY2(metrics.height() <= field.height(),
                     qPrintable(QStringLiteral("font height %1 in a field %2 high").arg(metrics.height()).arg(field.height())));
            QVERIFY(box->height() <= fonts->height());
        }
        const QComboBox* sizes = fonts->sizeBox();
        QStyleOptionComboBox option;
        option.initFrom(sizes);
        option.rect = QRect(QPoint(0, 0), sizes->size());
        const QRect field = sizes->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, sizes);
        QVERIFY(sizes->fontMetrics().horizontalAdvance(QStringLiteral("72")) <= field.width());
    }

    // ffmpeg is given the region in device pixels.
    void recordingHasTheDevicePixels()
    {
        ScreenRecorder* recorder = app_->screenRecorder();
        testutil::MessageLog log(recorder);
        const QRect r = deviceRegion();
        const QImage before = reference();
        QVERIFY(testutil::pressKeys(QStringLiteral("ctrl+alt+v")));
        QTRY_COMPARE_WITH_TIMEOUT(recorder->currentStatus(), int(Selector::STARTED), 30000);
        QVERIFY(QTest::qWaitForWindowExposed(recorder, 30000));
        QVERIFY(realDrag(recorder, r.topLeft(), r.bottomRight()));
        QTRY_COMPARE_WITH_TIMEOUT(recorder->currentStatus(), int(Selector::CAPTURED), 30000);
        QVERIFY(testutil::pressKeys(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(recorder->currentStatus(), int(Selector::LOCKED), 30000);
        QVERIFY(testutil::waitUntilGrabbing(recorder->job()->run()));
        QVERIFY(testutil::pressKeys(QStringLiteral("ctrl+alt+v")));
        QTRY_COMPARE_WITH_TIMEOUT(log.paths(), 1, 60000);

        const QString file = recorder->outputPath();
        const QJsonObject video = testutil::mediaStream(testutil::probeMedia(file), QStringLiteral("video"));
        QCOMPARE(video.value(QStringLiteral("width")).toInt(), r.width());
        QCOMPARE(video.value(QStringLiteral("height")).toInt(), r.height());
        const QImage frame = testutil::frameAt(file, 0.0).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(frame.size(), r.size());
        // lossy, but the place shows: the pattern's blue steps every 256 pixels
        QString report;
        int checked = 0;
        for (int y = 40; y < r.height() - 40; y += 97) {
            for (int x = 40; x < r.width() - 40; x += 131) {
                ++checked;
                const QRgb want = before.pixel(r.left() + x, r.top() + y);
                const QRgb got = frame.pixel(x, y);
                if (!near(got, want, testutil::FRAME_TOLERANCE))
                    report += QStringLiteral(" (%1,%2) is %3, not %4;").arg(x).arg(y).arg(QColor(got).name(), QColor(want).name());
            }
        }
        QVERIFY(checked >= 12);
        QVERIFY2(report.isEmpty(), qPrintable(report));
    }
};

QTEST_MAIN(TestScaledDesktop)
#include "tst_scaleddesktop.moc"
