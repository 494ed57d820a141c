// Times the annotation paths that run on a full 4K desktop canvas: a full
// redraw (screenshot plus every command, as after an undo or a move) of 100
// mixed commands, and the mosaic brush's pixelation of the whole canvas.
//
//   bench_annotation [rounds]
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/displayinfo.h"
#include "snip/paintcommand.h"
#include "snip/tools/tool.h"

namespace {

struct Stats
{
    double min, median, mean;
};

template <typename F>
Stats measure(int rounds, F&& body)
{
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    return { ms.front(), ms[ms.size() / 2], sum / ms.size() };
}

void report(const char* what, const Stats& s)
{
    std::printf("%-44s min %8.1f ms   median %8.1f ms   mean %8.1f ms\n", what, s.min, s.median, s.mean);
}

QImage desktop(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor(30, 60, 90));
    g.setColorAt(1, QColor(220, 200, 170));
    p.fillRect(image.rect(), g);
    // Some detail, like windows and text on a real desktop.
    QRandomGenerator rng(7);
    for (int i = 0; i < 400; ++i)
        p.fillRect(rng.bounded(w), rng.bounded(h), rng.bounded(300), rng.bounded(200),
                   QColor::fromRgb(rng.generate()));
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DisplayInfo::instance();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const int w = 3840, h = 2160;

    const QImage screenshotImage = desktop(w, h);
    const QPixmap screenshot = QPixmap::fromImage(screenshotImage);
    QPixmap canvas = screenshot;

    report("pixelate 3840x2160", measure(rounds, [&] { pixelate(screenshotImage); }));
    report("canvas to image + pixelate 3840x2160",
           measure(rounds, [&] { pixelate(canvas.toImage()); }));

    // 100 commands, the eight kinds in turn, spread over the desktop.
    QWidget overlay;
    overlay.resize(w, h);
    QRandomGenerator rng(42);
    const auto point = [&] { return QPoint(rng.bounded(w), rng.bounded(h)); };
    const QImage mosaicTexture = pixelate(screenshotImage);
    const Graph kinds[] = { RECTANGLE, ELLIPSE, LINE, ARROW, PENCIL, TEXT, MOSAIC, ERASER };
    std::vector<std::shared_ptr<PaintCommand>> commands;
    QImage scratch(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < 100; ++i) {
        const Graph kind = kinds[i % 8];
        QPen pen(QColor::fromRgb(rng.generate()), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        if (kind == MOSAIC || kind == ERASER) {
            pen.setWidth(15);
            pen.setBrush(kind == MOSAIC ? QBrush(mosaicTexture) : QBrush(screenshotImage));
        }
        const QPoint start = point();
        auto c = std::make_shared<PaintCommand>(kind, pen, kind == ARROW, start, &overlay);
        if (kind == TEXT) {
            c->editor()->setPlainText(QStringLiteral("annotation %1\nsecond line").arg(i));
        } else if (c->tool() && c->tool()->incremental()) {
            QPoint p = start;
            QPainter sp(&scratch);
            for (int k = 0; k < 60; ++k) {
                p += QPoint(rng.bounded(-40, 41), rng.bounded(-40, 41));
                c->addPoint(p);
                c->draw(&sp, true);
            }
        } else {
            c->addPoint(start + QPoint(rng.bounded(-600, 601), rng.bounded(-400, 401)));
        }
        commands.push_back(c);
    }

    report("full redraw, 100 mixed commands, 3840x2160", measure(rounds, [&] {
               QPainter p(&canvas);
               p.drawPixmap(0, 0, screenshot);
               for (const auto& c : commands)
                   c->draw(&p, false);
           }));
    report("screenshot copy alone (floor of a redraw)", measure(rounds, [&] {
               QPainter p(&canvas);
               p.drawPixmap(0, 0, screenshot);
           }));
    for (Graph kind : kinds) {
        const QByteArray name = "  only the " + QByteArray::number(int(kind)) + " commands (kind)";
        report(name.constData(), measure(rounds, [&] {
                   QPainter p(&canvas);
                   for (const auto& c : commands)
                       if (c->type() == kind)
                           c->draw(&p, false);
               }));
    }
    report("  strokes as the commands draw them", measure(rounds, [&] {
               QPainter p(&canvas);
               for (const auto& c : commands)
                   if (c->tool() && c->tool()->incremental())
                       c->draw(&p, false);
           }));
    return 0;
}
