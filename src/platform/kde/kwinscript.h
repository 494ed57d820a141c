#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QVector>

#include <functional>

#include <QObject>

// KWin runs JavaScript that a client loads over D-Bus (org.kde.kwin.Scripting).
// A script cannot return anything; ours call back with callDBus() into an
// object Klipora exports on its own bus connection. Every call has a timeout,
// so a KWin that does not answer costs at most that and never hangs Klipora.
namespace kwinscript {

// What a window report tells about one window.
struct Window
{
    QRect frame;
    qint64 pid = 0;
    QString caption;
    QString resourceClass;
    // higher is further up
    int stacking = 0;
    bool minimized = false;
    bool keepAbove = false;
    // shown on the current virtual desktop
    bool onCurrentDesktop = true;
    // the desktop background or a similar window no one picks
    bool desktopWindow = false;
};

// Where a script sends its report: a method of an object on Klipora's own
// connection, reached by the connection's unique name.
struct ReportTarget
{
    QString service;
    QString path;
    QString interface;
    QString method;
};

// A string as a JavaScript literal, quotes included.
QString jsString(const QString& text);

// The script that reports every window's frame and identity, with the
// request's id.
QString windowReportScript(const ReportTarget& target, int requestId);

// The script that keeps this program's window with this caption above the
// others, on every virtual desktop, with its frame at `frame`, now or as
// soon as the window appears, and with the keyboard when `activate`; it
// reports "placed" with the id once done.
QString keepAboveScript(qint64 pid, const QString& caption, const QRect& frame, bool activate,
                        const ReportTarget& target, int requestId);

// A report's windows in KWin's stacking order, topmost first; none for a
// report that is not one or that answers another request.
QVector<Window> parseWindowReport(const QByteArray& json, int requestId);

// The frames worth proposing, topmost first: shown, not minimized, not the
// desktop itself, on the current virtual desktop.
QVector<QRect> visibleFrames(const QVector<Window>& windows);

// The request id a report answers; -1 for anything else.
int reportId(const QByteArray& json);
// Whether a report says its script is done ("placed").
bool reportsPlaced(const QByteArray& json);

// Runs the script that `build` writes for the receiving object and a new
// request id, and waits up to timeoutMs for its report. Null when the script
// could not be loaded or did not report in time (the reason in `error`).
// The script is unloaded afterwards.
using ScriptBuilder = std::function<QString(const ReportTarget& target, int requestId)>;
QByteArray runForReport(const ScriptBuilder& build, int timeoutMs, QString* error);

// The receiver of reports, for those who wait without blocking: its signal
// comes from a thread of its own.
class ReportSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
signals:
    void reported(const QByteArray& json);
};

// Null when there is no bus to hear reports on.
ReportSource* reportSource();
ReportTarget reportTarget();
int newRequestId();

// The windows KWin shows, or none (with the reason) when KWin does not
// answer within timeoutMs.
QVector<Window> queryWindows(int timeoutMs, QString* error = nullptr);

// Loads a script that stays loaded until unloadScript(name); false with the
// reason when KWin refused it.
bool loadScript(const QString& text, const QString& name, QString* error);
void unloadScript(const QString& name);

// A script name of this process that no other script of it has.
QString uniqueName(const char* purpose);

// How long one call to KWin's scripting may take.
constexpr int CALL_TIMEOUT_MS = 2000;

} // namespace kwinscript
