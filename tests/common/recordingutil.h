#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

class FfmpegRun;
class QWidget;
class Selector;

// Helpers for the recording tests: what ffprobe and ffmpeg say of a
// written file, the tray messages a recorder sends, and a watch on the
// event loop while ffmpeg works.
namespace testutil {

// ffprobe's streams and format of a file; empty when it is not a media file.
QJsonObject probeMedia(const QString& file);
// The first stream of that type ("video", "audio"); empty when there is none.
QJsonObject mediaStream(const QJsonObject& info, const QString& type);
// Duration in seconds from the format section; 0 when unknown.
double mediaDuration(const QJsonObject& info);
// One frame of a video or GIF at the given time, decoded by ffmpeg.
QImage frameAt(const QString& media, double seconds);

// Waits until ffmpeg reports encoding progress: it is really grabbing, not
// just starting up on a busy machine. On time-out its last words are logged.
bool waitUntilGrabbing(const FfmpegRun* run, int timeoutMs = 60000);

// A user's drag on the overlay; true once the selector has followed it to
// its end. QTest moves the real pointer, whose motion comes back from the X
// server in its own time: the button is released only after it has.
// (QTest reads QPoint(0, 0) as "the centre".)
bool dragSelection(Selector* overlay, QPoint from, QPoint to);

// Writes a stand-in for ffmpeg into folder and returns the folder (empty on
// failure), to be put first on PATH. It reports a frame now and then and
// answers "q" as FAKE_MODE says: "hang" ignores it and SIGTERM, "slow"
// needs 6 s and then copies FAKE_SOURCE to its output, "junk" writes 48
// bytes there. Each one appends its PID to the file FAKE_PIDS.
QString writeFakeFfmpeg(const QString& folder);
// The PIDs listed one per line in a file.
QList<qint64> pidsIn(const QString& file);
bool processAlive(qint64 pid);

// Encoded frames are lossy: a colour within this of another is the same.
constexpr int FRAME_TOLERANCE = 24;
bool colorNear(const QColor& a, const QColor& b, int tolerance = FRAME_TOLERANCE);

// A borderless window of one colour above everything, not yet shown; what
// a recording of that place must contain.
QWidget* makeColourPatch(const QColor& colour, const QRect& geometry);

struct TrayMessage
{
    QString title;
    QString text;
    QSystemTrayIcon::MessageIcon icon;
};

// Every SHOW_MESSAGE an object sends, in order.
class MessageLog
{
public:
    template<typename Sender>
    explicit MessageLog(Sender* sender)
    {
        QObject::connect(sender, &Sender::SHOW_MESSAGE, &context_,
                         [this](QString title, QString msg, QSystemTrayIcon::MessageIcon icon, int) {
                             list << TrayMessage{title, msg, icon};
                         });
    }
    int count() const { return list.size(); }
    // How many announced a finished file.
    int paths() const;

    QList<TrayMessage> list;

private:
    QObject context_;
};

// Counts turns of the event loop on a short timer and the longest gap
// between two: a blocked user interface shows as few ticks.
class TickWatch
{
public:
    TickWatch();
    void start();
    void stop();
    int ticks() const { return ticks_; }
    qint64 longestGap() const { return longest_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    int ticks_ = 0;
};

} // namespace testutil
