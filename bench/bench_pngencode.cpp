// PNG encoding of a real image at the toolkit's default settings and at each
// quality setting: the reference for how fast a copy or a save can be served
// and how large the file gets.
//   bench_pngencode image.png [runs]
//   bench_pngencode --ui WxH [runs]    a desktop of ordinary windows: text,
//                                      lists, a table, buttons on a flat background
// Prints one line per setting: quality, best ms of the runs, size in bytes.
#include <QBuffer>
#include <QElapsedTimer>
#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QImage>
#include <QImageWriter>

#include "core/pngencoder.h"

#include <cstdio>
#include <cstring>
#include <limits>

namespace {

struct Result
{
    double ms = std::numeric_limits<double>::max();
    qint64 bytes = 0;
};

Result encode(const QImage& image, int quality, int runs, int compression = -1)
{
    Result r;
    for (int i = 0; i < runs; ++i) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setQuality(quality);
        if (compression >= 0)
            writer.setCompression(compression);
        QElapsedTimer t;
        t.start();
        if (!writer.write(image))
            return Result {};
        r.ms = std::min(r.ms, t.nsecsElapsed() / 1e6);
        r.bytes = buffer.size();
    }
    return r;
}

// Screens are mostly windows, text and flat colour, which deflate far better
// than the noisy wallpaper the outside benchmark uses.
QImage desktopOfWindows(const QSize& size)
{
    QWidget desk;
    desk.setFixedSize(size);
    desk.setStyleSheet("background: #3a6ea5");
    auto* grid = new QGridLayout(&desk);
    grid->setContentsMargins(40, 40, 40, 80);
    grid->setSpacing(30);
    auto* text = new QPlainTextEdit;
    QString body;
    for (int i = 0; i < 200; ++i)
        body += QString("%1  void PngEncoder::encode(const QImage& image, int level) -> %2 bytes, row %3\n")
                    .arg(i, 4).arg(i * 7919 % 100000).arg(i * 31 % 1080);
    text->setPlainText(body);
    text->setStyleSheet("background: white; color: black");
    auto* tree = new QTreeWidget;
    tree->setHeaderLabels({"Name", "Size", "Modified"});
    for (int i = 0; i < 120; ++i)
        tree->addTopLevelItem(new QTreeWidgetItem({QString("Klipora_picture_2026%1.png").arg(i * 4241 % 99999, 5, 10, QChar('0')),
                                                   QString("%1 KiB").arg(i * 37 % 4000), QString("12-%1 09:%2").arg(i % 28 + 1).arg(i % 60, 2, 10, QChar('0'))}));
    tree->setStyleSheet("background: #f4f4f4; color: #222");
    auto* table = new QTableWidget(60, 8);
    for (int r = 0; r < 60; ++r)
        for (int c = 0; c < 8; ++c)
            table->setItem(r, c, new QTableWidgetItem(QString::number((r + 1) * (c + 3) * 0.37, 'f', 2)));
    table->setStyleSheet("background: white; color: #111; gridline-color: #ccc");
    grid->addWidget(text, 0, 0, 2, 1);
    grid->addWidget(tree, 0, 1);
    grid->addWidget(table, 1, 1);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(QString("Button %1").arg(i));
        b->setStyleSheet("background: #e0e0e0; color: black");
        grid->addWidget(b, 2 + i / 2, i % 2);
    }
    return desk.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: bench_pngencode image.png [runs]\n");
        return 2;
    }
    const bool ui = !strcmp(argv[1], "--ui");
    if (ui && argc < 3) {
        fprintf(stderr, "usage: bench_pngencode --ui WxH [runs]\n");
        return 2;
    }
    const int runsArg = ui ? 3 : 2;
    const int runs = argc > runsArg ? std::max(1, atoi(argv[runsArg])) : 3;
    QImage image;
    if (ui) {
        int w = 0, h = 0;
        if (sscanf(argv[2], "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) {
            fprintf(stderr, "bad size %s\n", argv[2]);
            return 2;
        }
        image = desktopOfWindows(QSize(w, h));
    } else {
        image = QImage(QString::fromLocal8Bit(argv[1]));
    }
    if (image.isNull()) {
        fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    // what a grab of the screen is: 32-bit, no alpha
    image = image.convertToFormat(QImage::Format_RGB32);
    printf("IMAGE %dx%d\n", image.width(), image.height());
    for (int quality : {-1, 0, 10, 30, 50, 70, 80, 90, 100}) {
        const Result r = encode(image, quality, runs);
        if (r.bytes == 0) {
            fprintf(stderr, "encoding at quality %d failed\n", quality);
            return 1;
        }
        printf("QUALITY %d MS %.1f BYTES %lld\n", quality, r.ms, static_cast<long long>(r.bytes));
    }
    // the toolkit's writer asked for zlib level 1 (it still tries every filter)
    const Result level1 = encode(image, -1, runs, 1);
    printf("QT_COMPRESSION 1 MS %.1f BYTES %lld\n", level1.ms, static_cast<long long>(level1.bytes));
    const char* names[] = {"none", "sub", "up", "average", "paeth", "adaptive"};
    for (int f = 0; f <= 5; ++f) {
        for (int level : {1, 2, 4}) {
            double best = std::numeric_limits<double>::max();
            QByteArray png;
            for (int i = 0; i < runs; ++i) {
                QElapsedTimer t;
                t.start();
                png = PngEncoder::encode(image, level, PngEncoder::RowFilter(f));
                best = std::min(best, t.nsecsElapsed() / 1e6);
            }
            // a fast file is worth nothing unless it holds the same pixels
            const bool same = QImage::fromData(png, "png").convertToFormat(QImage::Format_RGB32) == image;
            printf("FILTER %s LEVEL %d MS %.1f BYTES %d%s\n", names[f], level, best, png.size(), same ? "" : " WRONG");
            if (!same)
                return 1;
        }
    }
    return 0;
}
