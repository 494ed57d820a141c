// PNG encoding of a real image at the toolkit's default settings and at each
// quality setting: the reference for how fast a copy or a save can be served
// and how large the file gets.
//   bench_pngencode image.png [runs]
// Prints one line per setting: quality, best ms of the runs, size in bytes.
#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include <cstdio>
#include <limits>

namespace {

struct Result
{
    double ms = std::numeric_limits<double>::max();
    qint64 bytes = 0;
};

Result encode(const QImage& image, int quality, int runs)
{
    Result r;
    for (int i = 0; i < runs; ++i) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setQuality(quality);
        QElapsedTimer t;
        t.start();
        if (!writer.write(image))
            return Result {};
        r.ms = std::min(r.ms, t.nsecsElapsed() / 1e6);
        r.bytes = buffer.size();
    }
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: bench_pngencode image.png [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    QImage image(QString::fromLocal8Bit(argv[1]));
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
    return 0;
}
