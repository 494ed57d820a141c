#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "core/displayinfo.h"
#include "snip/commandstack.h"
#include "snip/paintcommand.h"
#include "snip/snipcanvas.h"
#include "snip/tools/tool.h"
#include "snip/tools/toolregistry.h"
#include "pixelcheck.h"

namespace {

using Command = std::shared_ptr<PaintCommand>;

// A colour of its own for every device pixel, so a pixel tells where it
// was taken from.
QColor patternAt(int x, int y)
{
    return QColor((x * 7) % 256, (y * 5) % 256, (x / 37 * 40 + y / 29 * 30) % 256);
}

QPixmap patternGrab(const QSize& device, qreal ratio = 1)
{
    QImage image(device, QImage::Format_RGB32);
    for (int y = 0; y < device.height(); ++y)
        for (int x = 0; x < device.width(); ++x)
            image.setPixelColor(x, y, patternAt(x, y));
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

// As the overlay starts: the grab, and a full redraw asked for at once.
void start(SnipCanvas& canvas, const QPixmap& grab, const CommandStack& marks)
{
    canvas.setScreenshot(grab);
    canvas.requestAll(REDRAW_ALL, QRect(QPoint(0, 0), grab.size() / grab.devicePixelRatio()));
    canvas.apply(marks, nullptr);
}

QImage image(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

Command rectangle(const QPoint& a, const QPoint& b, const QColor& colour = Qt::red, int width = 3)
{
    auto c = std::make_shared<PaintCommand>(RECTANGLE, QPen(colour, width), false, a);
    c->addPoint(b);
    return c;
}

bool isRed(const QColor& c)
{
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

// The device pixels of area (logical) that differ from the pattern.
int changedPixels(const QImage& picture, const QRect& area, qreal ratio = 1)
{
    int changed = 0;
    const QRect device(area.topLeft() * ratio, area.size() * ratio);
    for (int y = device.top(); y <= device.bottom(); ++y)
        for (int x = device.left(); x <= device.right(); ++x)
            changed += picture.pixelColor(x, y) != patternAt(x, y);
    return changed;
}

} // namespace

using testutil::changedArea;

class TestSnipCanvas : public QObject
{
    Q_OBJECT

private slots:
    // as at start-up: the commands' move bounds are the desktop size
    void initTestCase() { QVERIFY(!DisplayInfo::instance()->maxSize().isEmpty()); }

    void sharesTheGrabUntilTheFirstMark()
    {
        SnipCanvas canvas;
        CommandStack marks;
        const QPixmap grab = patternGrab(QSize(200, 150));
        canvas.setScreenshot(grab);
        canvas.requestAll(REDRAW_ALL, QRect(0, 0, 200, 150));
        canvas.apply(marks, nullptr);
        // no copy of the desktop is made for an unmarked picture
        QVERIFY(canvas.sharesGrab());
        QCOMPARE(canvas.pixmap().cacheKey(), grab.cacheKey());

        // the first mark goes into a canvas of its own, not into the grab
        const Command mark = rectangle(QPoint(20, 20), QPoint(80, 60));
        marks.push(mark);
        canvas.request(DRAW_COMMAND, SnipCanvas::footprint(mark.get()));
        canvas.apply(marks, mark.get());
        QVERIFY(!canvas.sharesGrab());
        QVERIFY(isRed(image(canvas.pixmap()).pixelColor(20, 40)));
        QCOMPARE(image(canvas.screenshot()).pixelColor(20, 40), patternAt(20, 40));
        QCOMPARE(changedPixels(image(canvas.screenshot()), QRect(0, 0, 200, 150)), 0);

        // taken off again, the picture is the grab again
        marks.pop();
        canvas.requestAll(REDRAW_ALL, QRect(0, 0, 200, 150));
        canvas.apply(marks, nullptr);
        QVERIFY(canvas.sharesGrab());

        // only the grab outlives the overlay; a redraw makes the canvas from it
        canvas.dropCanvas();
        QVERIFY(canvas.pixmap().isNull());
        QCOMPARE(canvas.screenshot().cacheKey(), grab.cacheKey());
        canvas.requestAll(REDRAW_ALL, QRect(0, 0, 200, 150));
        canvas.apply(marks, nullptr);
        QCOMPARE(canvas.pixmap().cacheKey(), grab.cacheKey());
    }

    void aFullRedrawSurvivesALaterKindOfTheSameTurn()
    {
        SnipCanvas canvas;
        CommandStack marks;
        start(canvas, patternGrab(QSize(300, 200)), marks);
        const QRect view(0, 0, 300, 200);
        const Command kept = rectangle(QPoint(200, 20), QPoint(280, 80));
        const Command dropped = rectangle(QPoint(20, 20), QPoint(80, 80));
        for (const Command& c : { kept, dropped }) {
            marks.push(c);
            canvas.request(DRAW_COMMAND, SnipCanvas::footprint(c.get()));
            canvas.apply(marks, c.get());
        }
        QVERIFY(isRed(image(canvas.pixmap()).pixelColor(20, 50)));

        // A click drops the empty command and starts a new one being dragged
        // out, before anything is painted: the redraw that takes the dropped
        // one off must not give way to the preview.
        marks.remove(dropped.get());
        canvas.requestAll(REDRAW_ALL, view);
        const Command dragged = rectangle(QPoint(100, 120), QPoint(180, 180));
        marks.push(dragged);
        canvas.request(DRAW_COMMAND, SnipCanvas::footprint(dragged.get()));
        canvas.request(PREVIEW, SnipCanvas::footprint(dragged.get()));
        canvas.apply(marks, dragged.get());

        QCOMPARE(canvas.kind(), PREVIEW);
        const QImage after = image(canvas.pixmap());
        QCOMPARE(changedPixels(after, QRect(10, 10, 80, 80)), 0);
        QVERIFY(isRed(after.pixelColor(200, 50)));
        // a preview is drawn over the canvas when it is painted, not into it
        QCOMPARE(changedPixels(after, QRect(95, 115, 90, 70)), 0);

        // the release draws it in, once
        canvas.request(DRAW_COMMAND, SnipCanvas::footprint(dragged.get()));
        canvas.apply(marks, dragged.get());
        QVERIFY(isRed(image(canvas.pixmap()).pixelColor(100, 150)));

        // a stroke's increment after a full redraw of the same turn: both are done
        auto stroke = std::make_shared<PaintCommand>(PENCIL, QPen(Qt::blue, 5), false, QPoint(20, 150));
        marks.push(stroke);
        marks.remove(dragged.get());
        canvas.requestAll(REDRAW_ALL, view);
        stroke->addPoint(QPoint(60, 150));
        canvas.request(DRAW_INCREMENT, SnipCanvas::pendingArea(*stroke));
        canvas.apply(marks, stroke.get());
        const QImage stroked = image(canvas.pixmap());
        QCOMPARE(changedPixels(stroked, QRect(95, 115, 90, 70)), 0);
        QCOMPARE(stroked.pixelColor(40, 150), QColor(Qt::blue));
        QVERIFY(isRed(stroked.pixelColor(200, 50)));
        // the increment took the new points in; only the joint is left for the next one
        QCOMPARE(stroke->pendingPoints(), QVector<QPoint>{ QPoint(60, 150) });
    }

    void workIsDoneOnce()
    {
        SnipCanvas canvas;
        CommandStack marks;
        start(canvas, patternGrab(QSize(200, 150)), marks);
        const Command faint = rectangle(QPoint(20, 20), QPoint(80, 60), QColor(255, 0, 0, 100), 5);
        marks.push(faint);
        canvas.request(DRAW_COMMAND, SnipCanvas::footprint(faint.get()));
        canvas.apply(marks, faint.get());
        const QColor once = image(canvas.pixmap()).pixelColor(20, 40);
        // blended, so a second draw would show
        QVERIFY2(once.red() > patternAt(20, 40).red() + 20 && once.red() < 250, qPrintable(once.name()));
        // the overlay asks for the canvas at every paint and before every press
        canvas.apply(marks, faint.get());
        canvas.apply(marks, faint.get());
        QCOMPARE(image(canvas.pixmap()).pixelColor(20, 40), once);
    }

    void workWaitsUntilThePictureIsNeeded()
    {
        SnipCanvas canvas;
        CommandStack marks;
        start(canvas, patternGrab(QSize(300, 200)), marks);
        const Command mark = rectangle(QPoint(20, 20), QPoint(80, 80));
        marks.push(mark);
        QSignalSpy repaints(&canvas, &SnipCanvas::repaintNeeded);
        const QRect area = SnipCanvas::footprint(mark.get());
        canvas.request(DRAW_COMMAND, area);
        // the overlay is told what to repaint; the picture is not touched yet
        QCOMPARE(repaints.count(), 1);
        QCOMPARE(repaints.first().first().value<QRegion>(), QRegion(area));
        QVERIFY(canvas.sharesGrab());
        QCOMPARE(changedPixels(image(canvas.pixmap()), QRect(0, 0, 300, 200)), 0);
        canvas.apply(marks, mark.get());
        QVERIFY(isRed(image(canvas.pixmap()).pixelColor(20, 50)));
        QCOMPARE(repaints.count(), 1);
    }

    void aScaledDesktopKeepsItsResolution()
    {
        // 400x300 device pixels shown as 200x150 logical ones
        SnipCanvas canvas;
        CommandStack marks;
        const QPixmap grab = patternGrab(QSize(400, 300), 2);
        canvas.setScreenshot(grab);
        QSignalSpy repaints(&canvas, &SnipCanvas::repaintNeeded);
        canvas.requestAll(REDRAW_ALL, QRect(0, 0, 100, 100));
        // the whole canvas in logical pixels, not in device pixels
        QCOMPARE(repaints.last().first().value<QRegion>(), QRegion(QRect(0, 0, 100, 100)));
        canvas.apply(marks, nullptr);
        canvas.requestAll(REDRAW_ALL, QRect(0, 0, 100, 100));
        QCOMPARE(repaints.last().first().value<QRegion>(), QRegion(QRect(0, 0, 200, 150)));
        canvas.apply(marks, nullptr);
        QVERIFY(canvas.sharesGrab());

        // a mark at logical (20, 20)-(60, 60) lands on device (40, 40)-(120, 120)
        const Command mark = rectangle(QPoint(20, 20), QPoint(60, 60), Qt::red, 2);
        marks.push(mark);
        canvas.request(DRAW_COMMAND, SnipCanvas::footprint(mark.get()));
        canvas.apply(marks, mark.get());
        QCOMPARE(canvas.pixmap().size(), QSize(400, 300));
        QCOMPARE(canvas.pixmap().devicePixelRatio(), 2.0);
        QImage marked = image(canvas.pixmap());
        QVERIFY(isRed(marked.pixelColor(40, 80)));
        QVERIFY(isRed(marked.pixelColor(120, 80)));
        QCOMPARE(marked.pixelColor(80, 80), patternAt(80, 80));

        // taken off again, each logical pixel shows its own device pixels of the grab
        const Command other = rectangle(QPoint(100, 100), QPoint(150, 140), Qt::red, 2);
        marks.push(other);
        canvas.request(DRAW_COMMAND, SnipCanvas::footprint(other.get()));
        canvas.apply(marks, other.get());
        marks.remove(mark.get());
        canvas.request(REDRAW_ALL, SnipCanvas::footprint(mark.get()));
        canvas.apply(marks, nullptr);
        QCOMPARE(canvas.pixmap().devicePixelRatio(), 2.0);
        marked = image(canvas.pixmap());
        QCOMPARE(changedPixels(marked, QRect(10, 10, 60, 60), 2), 0);
        QVERIFY(isRed(marked.pixelColor(200, 240)));
    }

    void aRedrawOfPartOfTheCanvasTouchesOnlyThatPart()
    {
        // Moving one mark redraws its old and new place, not the whole
        // desktop with every mark on it.
        SnipCanvas canvas;
        CommandStack marks;
        start(canvas, patternGrab(QSize(300, 200)), marks);
        const Command left = rectangle(QPoint(20, 20), QPoint(80, 80));
        const Command right = rectangle(QPoint(200, 100), QPoint(260, 160));
        marks.push(left);
        marks.push(right);
        canvas.requestAll(REDRAW_ALL, QRect(0, 0, 300, 200));
        canvas.apply(marks, nullptr);
        QVERIFY(isRed(image(canvas.pixmap()).pixelColor(200, 130)));

        // a change the partial redraw must not pick up: it lies outside
        right->setPen(QPen(Qt::blue, 3));
        const QRect before = SnipCanvas::footprint(left.get());
        left->move(QPoint(30, 10));
        canvas.request(REDRAW_ALL, QRegion(before) | SnipCanvas::footprint(left.get()));
        canvas.apply(marks, nullptr);
        const QImage moved = image(canvas.pixmap());
        QVERIFY(isRed(moved.pixelColor(200, 130)));
        // within the area, the picture is as a whole redraw makes it
        QCOMPARE(moved.pixelColor(20, 50), patternAt(20, 50));
        QVERIFY(isRed(moved.pixelColor(50, 60)));
        QCOMPARE(changedPixels(moved, QRect(0, 0, 10, 10)), 0);

        canvas.requestAll(REDRAW_ALL, QRect(0, 0, 300, 200));
        canvas.apply(marks, nullptr);
        const QImage whole = image(canvas.pixmap());
        QCOMPARE(whole.pixelColor(200, 130), QColor(Qt::blue));
        for (const QRect& r : QRegion(before) | SnipCanvas::footprint(left.get()))
            QCOMPARE(moved.copy(r), whole.copy(r));
    }

    void pendingAreaHoldsWhatAStrokeAdds()
    {
        // what a stroke adds between two paints is repainted from pendingArea alone
        QPixmap blue(200, 150);
        blue.fill(Qt::blue);
        // stripes, so that a mosaic of them differs from them
        QImage before(200, 150, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x)
                before.setPixel(x, y, (x / 2 + y / 3) % 2 ? 0xff000000u : 0xffffffffu);
        for (const Tool* tool : toolregistry::tools()) {
            if (!tool->incremental())
                continue;
            ToolInput input;
            input.pos = QPoint(30, 30);
            input.pen = QPen(Qt::red, 15, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            input.canvas = [before] { return before; };
            input.screenshot = blue;
            const Command stroke = tool->create(input);
            QVERIFY(stroke);
            QImage picture = before;
            const QVector<QPoint> path{ QPoint(31, 30), QPoint(90, 40), QPoint(150, 120), QPoint(160, 60) };
            for (const QPoint& p : path) {
                stroke->addPoint(p);
                const QRect area = SnipCanvas::pendingArea(*stroke);
                const QImage was = picture;
                QPainter painter(&picture);
                stroke->draw(&painter, true);
                painter.end();
                const QRect changed = changedArea(was, picture);
                QVERIFY2(!changed.isEmpty(), tool->tip());
                QVERIFY2(area.contains(changed), tool->tip());
            }
        }
    }
};

QTEST_MAIN(TestSnipCanvas)
#include "tst_snipcanvas.moc"
