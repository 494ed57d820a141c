#include "platform/gnome/gnomekeybindings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace gnomekeys {

const char* const MEDIA_KEYS_SCHEMA = "org.gnome.settings-daemon.plugins.media-keys";
const char* const CUSTOM_SCHEMA = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";

namespace {

const QString PATH_PREFIX = QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/klipora-");

} // namespace

QString accelerator(const QKeySequence& keys)
{
    const QString key = xkbKeyName(keys);
    if (key.isEmpty())
        return QString();
    const int combined = keys[0];
    QString text;
    if (combined & Qt::ShiftModifier)
        text += QStringLiteral("<Shift>");
    if (combined & Qt::ControlModifier)
        text += QStringLiteral("<Control>");
    if (combined & Qt::AltModifier)
        text += QStringLiteral("<Alt>");
    if (combined & Qt::MetaModifier)
        text += QStringLiteral("<Super>");
    return text + key;
}

QString bindingPath(const QString& command)
{
    // dconf paths take letters, digits and dashes
    QString slug;
    for (const QChar c : command.toLower()) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            slug += c;
        else if (!slug.isEmpty() && !slug.endsWith(QLatin1Char('-')))
            slug += QLatin1Char('-');
    }
    while (slug.endsWith(QLatin1Char('-')))
        slug.chop(1);
    if (slug.isEmpty())
        slug = QStringLiteral("command");
    return PATH_PREFIX + slug + QLatin1Char('/');
}

bool isKliporaPath(const QString& path)
{
    return path.startsWith(PATH_PREFIX);
}

QStringList mergeBindingPaths(const QStringList& existing, const QStringList& ours)
{
    QStringList merged;
    for (const QString& path : existing) {
        if (!isKliporaPath(path) && !merged.contains(path))
            merged << path;
    }
    for (const QString& path : ours) {
        if (!merged.contains(path))
            merged << path;
    }
    return merged;
}

QString gvariantString(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString gvariantStringList(const QStringList& items)
{
    if (items.isEmpty())
        return QStringLiteral("@as []");
    QStringList quoted;
    for (const QString& item : items)
        quoted << gvariantString(item);
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

bool parseStringList(const QString& text, QStringList* items)
{
    QString s = text.trimmed();
    if (s.startsWith(QLatin1String("@as")))
        s = s.mid(3).trimmed();
    if (!s.startsWith(QLatin1Char('[')) || !s.endsWith(QLatin1Char(']')))
        return false;
    QStringList result;
    int i = 1;
    const int end = s.size() - 1;
    const auto skipSpace = [&] {
        while (i < end && s.at(i).isSpace())
            ++i;
    };
    skipSpace();
    while (i < end) {
        const QChar quote = s.at(i);
        if (quote != QLatin1Char('\'') && quote != QLatin1Char('"'))
            return false;
        ++i;
        QString item;
        bool closed = false;
        while (i < end) {
            const QChar c = s.at(i++);
            if (c == QLatin1Char('\\') && i < end) {
                item += s.at(i++);
            } else if (c == quote) {
                closed = true;
                break;
            } else {
                item += c;
            }
        }
        if (!closed)
            return false;
        result << item;
        skipSpace();
        if (i < end) {
            if (s.at(i) != QLatin1Char(','))
                return false;
            ++i;
            skipSpace();
            if (i >= end)
                return false; // a trailing comma
        }
    }
    *items = result;
    return true;
}

QVector<QStringList> writeCommands(const QStringList& existing, const QVector<HotkeyCommand>& hotkeys,
                                   const QString& program)
{
    const QString media = QString::fromLatin1(MEDIA_KEYS_SCHEMA);
    const QString custom = QString::fromLatin1(CUSTOM_SCHEMA);
    QVector<QStringList> commands;
    QStringList ours;
    for (const HotkeyCommand& hotkey : hotkeys) {
        if (hotkey.command.isEmpty())
            continue;
        const QString path = bindingPath(hotkey.command);
        const QString schema = custom + QLatin1Char(':') + path;
        const QString binding = accelerator(hotkey.keys);
        if (binding.isEmpty()) {
            if (existing.contains(path))
                commands.append({QStringLiteral("reset-recursively"), schema});
            continue;
        }
        ours << path;
        const QString line = shellWord(program) + QLatin1Char(' ') + hotkey.command;
        commands.append({QStringLiteral("set"), schema, QStringLiteral("name"),
                         gvariantString(QStringLiteral("Klipora ") + hotkey.command)});
        commands.append({QStringLiteral("set"), schema, QStringLiteral("command"), gvariantString(line)});
        commands.append({QStringLiteral("set"), schema, QStringLiteral("binding"), gvariantString(binding)});
    }
    commands.append({QStringLiteral("set"), media, QStringLiteral("custom-keybindings"),
                     gvariantStringList(mergeBindingPaths(existing, ours))});
    return commands;
}

QString programForCommands()
{
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString name = QFileInfo(self).fileName();
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty() && QFileInfo(found).canonicalFilePath() == self)
        return name;
    return self;
}

} // namespace gnomekeys

GnomeKeybindingWriter::GnomeKeybindingWriter(QObject* parent)
    : QObject(parent)
    , process_(new QProcess(this))
    , timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    connect(process_, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus status) { onDone(code, status != QProcess::NormalExit); });
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            timer_->stop();
            finish(false, tr("gsettings could not be started; is GLib's gsettings tool installed?"));
        }
    });
    connect(timer_, &QTimer::timeout, this, [this] {
        qWarning().noquote() << "gsettings" << current_.join(QLatin1Char(' ')) << "did not finish; stopping it";
        process_->blockSignals(true);
        process_->kill();
        process_->waitForFinished(1000);
        process_->blockSignals(false);
        finish(false, tr("gsettings did not answer within %1 s.").arg(timeoutMs_ / 1000.0));
    });
}

bool GnomeKeybindingWriter::write(const QVector<HotkeyCommand>& hotkeys, const QString& program)
{
    if (busy_)
        return false;
    busy_ = true;
    hotkeys_ = hotkeys;
    program_ = program;
    queue_.clear();
    listing_ = true;
    run({QStringLiteral("get"), QString::fromLatin1(gnomekeys::MEDIA_KEYS_SCHEMA),
         QStringLiteral("custom-keybindings")});
    return true;
}

void GnomeKeybindingWriter::run(const QStringList& args)
{
    current_ = args;
    timer_->start(timeoutMs_);
    process_->start(QStringLiteral("gsettings"), args);
    process_->closeWriteChannel();
}

void GnomeKeybindingWriter::onDone(int exitCode, bool crashed)
{
    timer_->stop();
    if (!busy_)
        return;
    const QString out = QString::fromLocal8Bit(process_->readAllStandardOutput()).trimmed();
    const QString err = QString::fromLocal8Bit(process_->readAllStandardError()).trimmed();
    if (crashed || exitCode != 0) {
        qWarning().noquote() << "gsettings" << current_.join(QLatin1Char(' ')) << "failed:" << err;
        if (err.contains(QLatin1String("No such schema")) || err.contains(QLatin1String("No schemas installed")))
            finish(false, tr("GNOME's keyboard shortcut settings are not installed here."));
        else
            finish(false, tr("gsettings failed: %1").arg(err.isEmpty() ? tr("exit code %1").arg(exitCode) : err));
        return;
    }
    if (listing_) {
        listing_ = false;
        QStringList existing;
        if (!gnomekeys::parseStringList(out, &existing)) {
            // never overwrite a list we could not read: the user's bindings are in it
            qWarning().noquote() << "unreadable custom-keybindings:" << out;
            finish(false, tr("GNOME's list of custom shortcuts could not be read; nothing was changed."));
            return;
        }
        queue_ = gnomekeys::writeCommands(existing, hotkeys_, program_);
    }
    if (queue_.isEmpty()) {
        int bound = 0;
        for (const HotkeyCommand& hotkey : qAsConst(hotkeys_))
            bound += gnomekeys::accelerator(hotkey.keys).isEmpty() ? 0 : 1;
        finish(true, tr("%n shortcut(s) added to GNOME's keyboard shortcuts.", nullptr, bound));
        return;
    }
    run(queue_.takeFirst());
}

void GnomeKeybindingWriter::finish(bool ok, const QString& message)
{
    if (!busy_)
        return;
    busy_ = false;
    queue_.clear();
    if (ok)
        qInfo().noquote() << message;
    else
        qWarning().noquote() << "writing GNOME shortcuts failed:" << message;
    emit finished(ok, message);
}
