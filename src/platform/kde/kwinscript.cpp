#include "platform/kde/kwinscript.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDebug>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QTemporaryDir>
#include <QThread>
#include <QWaitCondition>

#include <algorithm>
#include <atomic>
#include <memory>

namespace kwinscript {

namespace {

const QString KWIN = QStringLiteral("org.kde.KWin");
const QString SCRIPTING_PATH = QStringLiteral("/Scripting");
const QString SCRIPTING = QStringLiteral("org.kde.kwin.Scripting");
const QString REPORT_PATH = QStringLiteral("/org/klipora/KWinReport");
const QString REPORT_INTERFACE = QStringLiteral("org.klipora.KWinReport");

// Receives the scripts' reports in a thread of its own, so that a caller on
// the GUI thread can wait for one without running the event loop.
class Receiver : public ReportSource
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.klipora.KWinReport")
public:
    void expect(int id)
    {
        QMutexLocker lock(&mutex_);
        waiting_.insert(id, QByteArray());
    }

    void forget(int id)
    {
        QMutexLocker lock(&mutex_);
        waiting_.remove(id);
    }

    bool wait(int id, int timeoutMs, QByteArray* report)
    {
        QMutexLocker lock(&mutex_);
        QDeadlineTimer deadline(timeoutMs);
        while (waiting_.value(id).isNull()) {
            if (!arrived_.wait(&mutex_, deadline))
                break;
        }
        *report = waiting_.take(id);
        return !report->isNull();
    }

public slots:
    Q_SCRIPTABLE void report(const QString& json)
    {
        const QByteArray bytes = json.toUtf8();
        const int id = reportId(bytes);
        {
            QMutexLocker lock(&mutex_);
            if (waiting_.contains(id)) {
                waiting_.insert(id, bytes);
                arrived_.wakeAll();
            }
        }
        emit reported(bytes);
    }

private:
    QMutex mutex_;
    QWaitCondition arrived_;
    QHash<int, QByteArray> waiting_;
};

class ReceiverThread : public QThread
{
public:
    ~ReceiverThread() override
    {
        QDBusConnection::sessionBus().unregisterObject(REPORT_PATH);
        quit();
        wait();
        delete receiver;
    }
    Receiver* receiver = nullptr;
};

struct Channel
{
    ReceiverThread* thread = nullptr;
    QString service;
    QString problem;
};

Channel& channel()
{
    static Channel c;
    if (c.thread || !c.problem.isEmpty())
        return c;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        c.problem = QStringLiteral("there is no session bus to reach KWin on");
        return c;
    }
    auto* thread = new ReceiverThread;
    thread->receiver = new Receiver;
    thread->receiver->moveToThread(thread);
    thread->start();
    if (!bus.registerObject(REPORT_PATH, thread->receiver, QDBusConnection::ExportScriptableSlots)) {
        c.problem = QStringLiteral("the report object could not be put on the bus: %1").arg(bus.lastError().message());
        delete thread;
        return c;
    }
    // stopped with the application, before the bus connection goes
    if (QCoreApplication::instance())
        thread->setParent(QCoreApplication::instance());
    c.thread = thread;
    c.service = bus.baseService();
    return c;
}

QTemporaryDir& scriptDir()
{
    static QTemporaryDir dir;
    return dir;
}

std::atomic<int> lastId{0};
std::atomic<int> lastName{0};

QDBusMessage callScripting(const QString& method, const QVariantList& args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(KWIN, SCRIPTING_PATH, SCRIPTING, method);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, CALL_TIMEOUT_MS);
}

QString failure(const QDBusMessage& reply)
{
    if (reply.type() == QDBusMessage::ErrorMessage)
        return reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
    return QStringLiteral("no reply");
}

QString reportCall(const ReportTarget& target, const QString& payload)
{
    return QStringLiteral("callDBus(%1, %2, %3, %4, %5);")
        .arg(jsString(target.service), jsString(target.path), jsString(target.interface), jsString(target.method),
             payload);
}

} // namespace

QString jsString(const QString& text)
{
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    // ["..."] without its brackets
    QString literal = QString::fromUtf8(json.mid(1, json.size() - 2));
    // JSON allows these two inside strings; older JavaScript ends the line there
    literal.replace(QChar(0x2028), QLatin1String("\\u2028"));
    literal.replace(QChar(0x2029), QLatin1String("\\u2029"));
    return literal;
}

QString windowReportScript(const ReportTarget& target, int requestId)
{
    return QStringLiteral(R"((function () {
    var windows = [];
    var clients = workspace.clientList();
    for (var i = 0; i < clients.length; ++i) {
        var c = clients[i];
        var g = c.frameGeometry;
        windows.push({x: g.x, y: g.y, width: g.width, height: g.height, pid: c.pid,
            caption: "" + c.caption, resourceClass: "" + c.resourceClass, stacking: c.stackingOrder,
            minimized: !!c.minimized, keepAbove: !!c.keepAbove,
            onCurrentDesktop: !!(c.onAllDesktops || c.desktop == workspace.currentDesktop),
            desktopWindow: !!c.desktopWindow});
    }
    %1
})();
)")
        .arg(reportCall(target, QStringLiteral("JSON.stringify({id: %1, windows: windows})").arg(requestId)));
}

QString keepAboveScript(qint64 pid, const QString& caption, const QRect& frame, bool activate,
                        const ReportTarget& target, int requestId)
{
    return QStringLiteral(R"((function () {
    var done = false;
    function apply(c) {
        if (done || c.pid != %1 || c.caption != %2)
            return;
        done = true;
        c.keepAbove = true;
        c.onAllDesktops = true;
        var moved = true;
        try {
            c.frameGeometry = {x: %3, y: %4, width: %5, height: %6};
        } catch (e) {
            moved = false;
        }
        if (%7)
            workspace.activeClient = c;
        %8
    }
    function watch(c) {
        if (c.pid != %1)
            return;
        // the caption may come after the window
        c.captionChanged.connect(function () { apply(c); });
        apply(c);
    }
    var clients = workspace.clientList();
    for (var i = 0; i < clients.length; ++i)
        watch(clients[i]);
    if (!done)
        workspace.clientAdded.connect(watch);
})();
)")
        // all at once: a caption holding "%3" must stay as it is
        .arg(QString::number(pid), jsString(caption), QString::number(frame.x()), QString::number(frame.y()),
             QString::number(frame.width()), QString::number(frame.height()),
             activate ? QStringLiteral("true") : QStringLiteral("false"),
             reportCall(target, QStringLiteral("JSON.stringify({id: %1, placed: true, moved: moved})").arg(requestId)));
}

int reportId(const QByteArray& json)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return -1;
    const QJsonValue id = doc.object().value(QStringLiteral("id"));
    return id.isDouble() ? id.toInt(-1) : -1;
}

bool reportsPlaced(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object().value(QStringLiteral("placed")).toBool();
}

QVector<Window> parseWindowReport(const QByteArray& json, int requestId)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject() || reportId(json) != requestId)
        return {};
    const QJsonValue list = doc.object().value(QStringLiteral("windows"));
    if (!list.isArray())
        return {};
    QVector<Window> windows;
    for (const QJsonValue& value : list.toArray()) {
        if (!value.isObject())
            continue;
        const QJsonObject o = value.toObject();
        const auto integer = [&o](const char* key) {
            // KWin's geometry is in floating point; frames sit on whole pixels
            return int(qBound(-1e9, o.value(QLatin1String(key)).toDouble(), 1e9));
        };
        Window w;
        w.frame = QRect(integer("x"), integer("y"), integer("width"), integer("height"));
        w.pid = qint64(o.value(QStringLiteral("pid")).toDouble());
        w.caption = o.value(QStringLiteral("caption")).toString();
        w.resourceClass = o.value(QStringLiteral("resourceClass")).toString();
        w.stacking = integer("stacking");
        w.minimized = o.value(QStringLiteral("minimized")).toBool();
        w.keepAbove = o.value(QStringLiteral("keepAbove")).toBool();
        w.onCurrentDesktop = o.value(QStringLiteral("onCurrentDesktop")).toBool(true);
        w.desktopWindow = o.value(QStringLiteral("desktopWindow")).toBool();
        windows.append(w);
    }
    // the same stacking keeps the listed order
    std::stable_sort(windows.begin(), windows.end(),
                     [](const Window& a, const Window& b) { return a.stacking > b.stacking; });
    return windows;
}

QVector<QRect> visibleFrames(const QVector<Window>& windows)
{
    QVector<QRect> frames;
    for (const Window& w : windows) {
        if (w.minimized || w.desktopWindow || !w.onCurrentDesktop || w.frame.isEmpty())
            continue;
        frames.append(w.frame);
    }
    return frames;
}

ReportSource* reportSource()
{
    Channel& c = channel();
    return c.thread ? c.thread->receiver : nullptr;
}

ReportTarget reportTarget()
{
    return {channel().service, REPORT_PATH, REPORT_INTERFACE, QStringLiteral("report")};
}

int newRequestId()
{
    return ++lastId;
}

QString uniqueName(const char* purpose)
{
    return QStringLiteral("klipora-%1-%2-%3")
        .arg(QLatin1String(purpose))
        .arg(QCoreApplication::applicationPid())
        .arg(++lastName);
}

bool loadScript(const QString& text, const QString& name, QString* error)
{
    QTemporaryDir& dir = scriptDir();
    if (!dir.isValid()) {
        *error = QStringLiteral("no folder for KWin scripts: %1").arg(dir.errorString());
        return false;
    }
    const QString path = dir.filePath(name + QStringLiteral(".js"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0) {
        *error = QStringLiteral("the KWin script could not be written to %1").arg(path);
        return false;
    }
    file.close();
    // loadScript is overloaded; two strings pick the one that names the script
    const QDBusMessage loaded = callScripting(QStringLiteral("loadScript"), {path, name});
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty()) {
        *error = QStringLiteral("KWin did not load the script: %1").arg(failure(loaded));
        QFile::remove(path);
        return false;
    }
    if (loaded.arguments().first().toInt() < 0) {
        *error = QStringLiteral("KWin refused the script %1").arg(name);
        QFile::remove(path);
        return false;
    }
    const QDBusMessage started = callScripting(QStringLiteral("start"), {});
    if (started.type() != QDBusMessage::ReplyMessage) {
        *error = QStringLiteral("KWin did not start the script: %1").arg(failure(started));
        unloadScript(name);
        return false;
    }
    return true;
}

void unloadScript(const QString& name)
{
    const QDBusMessage reply = callScripting(QStringLiteral("unloadScript"), {name});
    if (reply.type() != QDBusMessage::ReplyMessage)
        qWarning().noquote() << "KWin did not unload the script" << name << failure(reply);
    if (scriptDir().isValid())
        QFile::remove(scriptDir().filePath(name + QStringLiteral(".js")));
}

QByteArray runForReport(const ScriptBuilder& build, int timeoutMs, QString* error)
{
    QString problem;
    QByteArray report;
    Channel& c = channel();
    if (!c.thread) {
        problem = c.problem;
    } else {
        const int id = newRequestId();
        const QString name = uniqueName("report");
        c.thread->receiver->expect(id);
        if (loadScript(build(reportTarget(), id), name, &problem)) {
            if (!c.thread->receiver->wait(id, timeoutMs, &report))
                problem = QStringLiteral("KWin's script did not report within %1 ms").arg(timeoutMs);
            unloadScript(name);
        } else {
            c.thread->receiver->forget(id);
        }
    }
    if (error)
        *error = problem;
    return report;
}

QVector<Window> queryWindows(int timeoutMs, QString* error)
{
    int id = -1;
    const QByteArray report = runForReport(
        [&id](const ReportTarget& target, int requestId) {
            id = requestId;
            return windowReportScript(target, requestId);
        },
        timeoutMs, error);
    return parseWindowReport(report, id);
}

} // namespace kwinscript

#include "kwinscript.moc"
