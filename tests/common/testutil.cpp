#include "testutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QProcess>
#include <QCursor>
#include <QRegularExpression>

namespace testutil {

ProcessResult run(const QString& program, const QStringList& args, int timeoutMs, const QByteArray& input)
{
    ProcessResult result;
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000))
        return result;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    QElapsedTimer timer;
    timer.start();
    while (process.state() != QProcess::NotRunning && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        process.waitForFinished(10);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        return result;
    }
    result.finished = true;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString tempDir()
{
    const QString dir = qEnvironmentVariable("KLIPORA_TEST_TMP");
    return dir.isEmpty() ? QDir::tempPath() : dir;
}

bool haveX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

struct PulseServer::Private
{
    QProcess process;
};

PulseServer::PulseServer()
    : d(new Private)
{
}

PulseServer::~PulseServer()
{
    stop();
    delete d;
}

bool PulseServer::start()
{
    // Foreground, so the PID is ours; only what the tests need is loaded.
    d->process.setProgram(QStringLiteral("pulseaudio"));
    d->process.setArguments({QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                             QStringLiteral("-n"), QStringLiteral("--load=module-native-protocol-unix"),
                             QStringLiteral("--load=module-always-sink")});
    d->process.setStandardOutputFile(QProcess::nullDevice());
    d->process.setStandardErrorFile(QDir(tempDir()).filePath(QStringLiteral("pulseaudio.log")));
    d->process.start();
    if (!d->process.waitForStarted(10000))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 15000 && d->process.state() == QProcess::Running) {
        if (run(QStringLiteral("pactl"), {QStringLiteral("info")}, 5000).exitCode == 0)
            return true;
        d->process.waitForFinished(100);
    }
    return false;
}

void PulseServer::stop()
{
    if (d->process.state() == QProcess::NotRunning)
        return;
    d->process.terminate();
    if (!d->process.waitForFinished(5000)) {
        d->process.kill();
        d->process.waitForFinished(5000);
    }
}

bool PulseServer::addNullSink(const QString& name)
{
    return run(QStringLiteral("pactl"),
               {QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + name})
               .exitCode
        == 0;
}

bool pressKeys(const QString& keys)
{
    const ProcessResult r = run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    return r.finished && r.exitCode == 0;
}

namespace {

// "xset q" prints e.g. "00: Caps Lock:   off    01: Num Lock:    on ..."
int lockState(const char* name)
{
    const ProcessResult r = run(QStringLiteral("xset"), {QStringLiteral("q")});
    if (!r.finished || r.exitCode != 0)
        return -1;
    const QString out = QString::fromLocal8Bit(r.out);
    const int at = out.indexOf(QLatin1String(name));
    if (at < 0)
        return -1;
    const QString rest = out.mid(at + int(qstrlen(name))).trimmed();
    return rest.startsWith(QLatin1String("on")) ? 1 : rest.startsWith(QLatin1String("off")) ? 0 : -1;
}

bool setLock(const char* name, const char* keysym, bool on)
{
    const int state = lockState(name);
    if (state < 0)
        return false;
    if (state != int(on) && !pressKeys(QString::fromLatin1(keysym)))
        return false;
    return lockState(name) == int(on);
}

} // namespace

bool setNumLock(bool on)
{
    return setLock("Num Lock:", "Num_Lock", on);
}

bool setCapsLock(bool on)
{
    return setLock("Caps Lock:", "Caps_Lock", on);
}

} // namespace testutil

namespace testutil {

QRect x11FrameRect(QWidget* window)
{
    const QString id = QString::number(window->winId());
    const ProcessResult info = run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), id });
    const ProcessResult extents = run(QStringLiteral("xprop"), { QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS") });
    if (info.exitCode != 0)
        return QRect();
    auto field = [&info](const char* name) {
        const QRegularExpression re(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name)));
        const QRegularExpressionMatch m = re.match(QString::fromUtf8(info.out));
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    };
    int left = 0, right = 0, top = 0, bottom = 0;
    const QRegularExpressionMatch e = QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"))
                                          .match(QString::fromUtf8(extents.out));
    if (e.hasMatch()) {
        left = e.captured(1).toInt();
        right = e.captured(2).toInt();
        top = e.captured(3).toInt();
        bottom = e.captured(4).toInt();
    }
    // xwininfo's upper-left is already the outside of the border.
    const int border = field("Border width");
    return QRect(field("Absolute upper-left X") - left, field("Absolute upper-left Y") - top,
                 field("Width") + 2 * border + left + right, field("Height") + 2 * border + top + bottom);
}

bool movePointer(const QPoint& globalPos)
{
    const ProcessResult r = run(QStringLiteral("xdotool"),
                                { QStringLiteral("mousemove"), QString::number(globalPos.x()),
                                  QString::number(globalPos.y()) });
    if (r.exitCode != 0)
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        if (QCursor::pos() == globalPos)
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return false;
}

} // namespace testutil

namespace testutil {

QColor screenPixel(const QPoint& p)
{
    const ProcessResult r = run(QStringLiteral("/usr/bin/import"),
                                { QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"),
                                  QStringLiteral("1x1+%1+%2").arg(p.x()).arg(p.y()), QStringLiteral("-depth"),
                                  QStringLiteral("8"), QStringLiteral("txt:-") });
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("#([0-9A-Fa-f]{6})")).match(QString::fromUtf8(r.out));
    return m.hasMatch() ? QColor(QStringLiteral("#") + m.captured(1)) : QColor();
}

QImage rootScreenshot()
{
    const ProcessResult r = run(QStringLiteral("/usr/bin/import"),
                                { QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-") });
    QImage image;
    if (r.exitCode == 0)
        image.loadFromData(r.out, "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace testutil

namespace testutil {

PatternWindow::PatternWindow(const std::function<QColor(int, int)>& colourAt, const QRect& geometry)
    : QWidget(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint)
{
    const QRect place = geometry.isEmpty() ? QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->size()) : geometry;
    QImage image(place.size(), QImage::Format_RGB32);
    for (int y = 0; y < place.height(); ++y) {
        auto line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < place.width(); ++x)
            line[x] = colourAt(place.x() + x, place.y() + y).rgb();
    }
    pattern = QPixmap::fromImage(image);
    setGeometry(place);
}

void PatternWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, pattern);
}

} // namespace testutil

#include <QtEndian>
#include <zlib.h>

namespace testutil {

namespace {

void appendChunk(QByteArray* png, const char* type, const QByteArray& data)
{
    char length[4];
    qToBigEndian<quint32>(quint32(data.size()), length);
    png->append(length, 4);
    QByteArray body(type, 4);
    body += data;
    png->append(body);
    char crc[4];
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))),
                          crc);
    png->append(crc, 4);
}

} // namespace

QByteArray bigPng(int width, int height, bool headerOnly)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(width), header.data());
    qToBigEndian<quint32>(quint32(height), header.data() + 4);
    header[8] = 8; // bit depth; colour type 0 (grey), no interlace
    appendChunk(&png, "IHDR", header);
    if (headerOnly) {
        // a reader learns the size on reaching the first data chunk
        appendChunk(&png, "IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8));
        appendChunk(&png, "IEND", QByteArray());
        return png;
    }
    z_stream z{};
    deflateInit(&z, 9);
    const QByteArray row(width + 1, '\0'); // filter byte, then black pixels
    QByteArray compressed;
    char out[65536];
    for (int y = 0; y <= height; ++y) {
        const bool last = y == height;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.constData()));
        z.avail_in = last ? 0 : uInt(row.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(out);
            z.avail_out = sizeof out;
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(out, int(sizeof out - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    appendChunk(&png, "IDAT", compressed);
    appendChunk(&png, "IEND", QByteArray());
    return png;
}

} // namespace testutil
