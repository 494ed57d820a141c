// Pinned window costs with a 4K image: from setImage to the window on screen,
// a plain repaint, and one wheel notch of zoom (resize plus repaint).
// Run inside a display, e.g. scripts/with-x.sh --size 3840x2160 -- bench_imagewindow
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QWheelEvent>
#include <QWindow>
#include <cstdio>

#include "core/imagewindow.h"

namespace {

QPixmap desktopLikeImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, Qt::darkBlue);
    g.setColorAt(1, Qt::yellow);
    p.fillRect(image.rect(), g);
    for (int i = 0; i < 200; ++i)
        p.fillRect((i * 97) % w, (i * 53) % h, 120, 40, QColor::fromHsv((i * 7) % 360, 200, 220));
    return QPixmap::fromImage(image);
}

void wheel(ImageWindow* w, int delta)
{
    QWheelEvent e(QPointF(50, 50), w->mapToGlobal(QPoint(50, 50)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int width = argc > 1 ? atoi(argv[1]) : 3840;
    const int height = argc > 2 ? atoi(argv[2]) : 2160;
    const QPixmap image = desktopLikeImage(width, height);
    std::printf("platform %s, image %dx%d\n", qPrintable(QGuiApplication::platformName()), width, height);

    QElapsedTimer t;
    t.start();
    auto* w = new ImageWindow;
    w->move(0, 0);
    w->setImage(image);
    while (!(w->windowHandle() && w->windowHandle()->isExposed()) && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    std::printf("setImage to exposed and painted: %lld ms\n", static_cast<long long>(t.elapsed()));

    const int rounds = 10;
    t.restart();
    for (int i = 0; i < rounds; ++i)
        w->repaint();
    std::printf("repaint at zoom 1.0: %.1f ms\n", t.elapsed() / double(rounds));

    t.restart();
    for (int i = 0; i < rounds; ++i) {
        wheel(w, -120);
        w->repaint();
    }
    std::printf("wheel notch (zoom down, resize, smooth scale, repaint): %.1f ms\n", t.elapsed() / double(rounds));

    t.restart();
    for (int i = 0; i < rounds; ++i)
        w->repaint();
    std::printf("repaint at zoom %.2f (scaled image cached): %.1f ms\n", w->zoom(), t.elapsed() / double(rounds));

    delete w;
    return 0;
}
