#include "recordingutil.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPalette>
#include <QTest>
#include <QWidget>

#include "testutil.h"

#include <csignal>
#include "core/selector.h"
#include "video/ffmpegrun.h"

namespace testutil {

QJsonObject probeMedia(const QString& file)
{
    const ProcessResult r = run(QStringLiteral("ffprobe"),
                                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_streams"),
                                 QStringLiteral("-show_format"), QStringLiteral("-of"), QStringLiteral("json"), file});
    if (r.exitCode != 0)
        return QJsonObject();
    return QJsonDocument::fromJson(r.out).object();
}

QJsonObject mediaStream(const QJsonObject& info, const QString& type)
{
    for (const QJsonValue& s : info.value(QStringLiteral("streams")).toArray())
        if (s.toObject().value(QStringLiteral("codec_type")).toString() == type)
            return s.toObject();
    return QJsonObject();
}

double mediaDuration(const QJsonObject& info)
{
    return info.value(QStringLiteral("format")).toObject().value(QStringLiteral("duration")).toString().toDouble();
}

QImage frameAt(const QString& media, double seconds)
{
    const QString png = media + QStringLiteral(".frame.png");
    QFile::remove(png);
    run(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-ss"),
                                   QString::number(seconds), QStringLiteral("-i"), media,
                                   QStringLiteral("-frames:v"), QStringLiteral("1"), png});
    return QImage(png);
}

bool waitUntilGrabbing(const FfmpegRun* run, int timeoutMs)
{
    const auto grabbing = [run] { return run->lastErrorLine().startsWith(QLatin1String("frame=")); };
    if (QTest::qWaitFor(grabbing, timeoutMs))
        return true;
    qWarning() << "ffmpeg is not grabbing; its last line:" << run->lastErrorLine();
    return false;
}

bool dragSelection(Selector* overlay, QPoint from, QPoint to)
{
    // a loaded X server can take seconds to map the overlay again
    if (!QTest::qWaitForWindowExposed(overlay, 30000))
        return false;
    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(overlay, (from + to) / 2);
    QTest::mouseMove(overlay, to);
    const bool followed = QTest::qWaitFor(
        [overlay, to] { return QPoint(overlay->selection().x2, overlay->selection().y2) == to; }, 30000);
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, to);
    return followed;
}

QString writeFakeFfmpeg(const QString& folder)
{
    static const char script[] = R"(#!/bin/bash
out="${@: -1}"
echo $$ >> "$FAKE_PIDS"
[ "$FAKE_MODE" = hang ] && trap '' TERM INT
while :; do
  printf 'frame=    1 fps=30 q=0.0 size=0kB time=00:00:00.03\r' >&2
  if IFS= read -r -t 0.2 -n 1 c && [ "$c" = q ]; then
    case "$FAKE_MODE" in
      slow) sleep 6; cp "$FAKE_SOURCE" "$out"; exit 0 ;;
      junk) head -c 48 /dev/zero > "$out"; exit 0 ;;
    esac
  fi
done
)";
    if (!QDir().mkpath(folder))
        return QString();
    QFile fake(QDir(folder).filePath(QStringLiteral("ffmpeg")));
    if (!fake.open(QIODevice::WriteOnly) || fake.write(script) < 0)
        return QString();
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

QList<qint64> pidsIn(const QString& file)
{
    QList<qint64> pids;
    QFile f(file);
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                pids << line.trimmed().toLongLong();
    return pids;
}

bool processAlive(qint64 pid)
{
#ifdef Q_OS_UNIX
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
#else
    // the recording tests that ask run on X11 only
    Q_UNUSED(pid);
    return false;
#endif
}

bool colorNear(const QColor& a, const QColor& b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

QWidget* makeColourPatch(const QColor& colour, const QRect& geometry)
{
    auto* patch =
        new QWidget(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    patch->setAutoFillBackground(true);
    QPalette pal = patch->palette();
    pal.setColor(QPalette::Window, colour);
    patch->setPalette(pal);
    patch->setGeometry(geometry);
    return patch;
}

int MessageLog::paths() const
{
    int n = 0;
    for (const TrayMessage& m : list)
        n += m.text.startsWith(QStringLiteral("Path: "));
    return n;
}

TickWatch::TickWatch()
{
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        const qint64 now = clock_.elapsed();
        longest_ = qMax(longest_, now - last_);
        last_ = now;
        ++ticks_;
    });
}

void TickWatch::start()
{
    ticks_ = 0;
    last_ = longest_ = 0;
    clock_.start();
    timer_.start(10);
}

void TickWatch::stop()
{
    timer_.stop();
}

} // namespace testutil
