#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Helpers shared by the tests: running other processes the way a user's
// other programs would (xclip, xdotool, ffprobe), and the private folders.
namespace testutil {

struct ProcessResult
{
    int exitCode = -1;
    bool finished = false;
    QByteArray out;
    QByteArray err;
};

// Runs a program to completion (generous timeout) while the event loop keeps
// turning, so this process can still answer X clipboard requests.
ProcessResult run(const QString& program, const QStringList& args, int timeoutMs = 30000,
                  const QByteArray& input = QByteArray());

// The private per-test folder set up by the test scripts.
QString tempDir();

// Whether a real X server is there (tests that need one skip otherwise).
bool haveX11();

// A private PulseAudio server for the length of a test, started and stopped
// by its own PID, with a null sink whose monitor is a real capture source.
class PulseServer
{
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // False when pulseaudio is not installed or did not come up.
    bool start();
    void stop();
    // Loads a null sink; its source is "<name>.monitor".
    bool addNullSink(const QString& name);

private:
    struct Private;
    Private* d;
};

// Presses keys the way another program would (xdotool key, e.g. "ctrl+alt+v").
bool pressKeys(const QString& keys);
// Switches Num Lock or Caps Lock on or off from outside; true when the X
// server then reports that state.
bool setNumLock(bool on);
bool setCapsLock(bool on);

} // namespace testutil

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <functional>

namespace testutil {

// The rectangle the user sees of a managed top-level window, frame included
// and right/bottom inclusive, read from outside with xwininfo and xprop.
QRect x11FrameRect(QWidget* window);

// Moves the real pointer (XTEST through xdotool) and waits until this process
// sees it there.
bool movePointer(const QPoint& globalPos);

// Known content under an overlay: an unmanaged window over the whole primary
// screen (or the given rectangle), each pixel coloured by colourAt(x, y) of
// its desktop position.
class PatternWindow : public QWidget
{
public:
    explicit PatternWindow(const std::function<QColor(int, int)>& colourAt, const QRect& geometry = QRect());

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap pattern;
};

} // namespace testutil

namespace testutil {

// One pixel of the root window as another program sees it (ImageMagick).
QColor screenPixel(const QPoint& globalPos);
// The whole root window, the same way; null when it could not be read.
QImage rootScreenshot();

} // namespace testutil

namespace testutil {

// A real, decodable grey PNG of any size, compressed to a few hundred bytes
// per megapixel: what a hostile program can offer as a tiny file. With
// headerOnly its pixel data is cut short: it announces the size and no more.
QByteArray bigPng(int width, int height, bool headerOnly = false);

} // namespace testutil
