#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include "platform/hotkeybackend.h"

class QProcess;
class QTimer;

// GNOME binds global keys itself: its media-keys settings hold a list of
// custom keybindings (paths), each with a name, a command and a binding.
// Klipora's own entries live under recognisable paths, so writing them again
// replaces them and leaves the user's other bindings alone.
namespace gnomekeys {

extern const char* const MEDIA_KEYS_SCHEMA;
extern const char* const CUSTOM_SCHEMA;

// GTK's accelerator spelling: "<Control><Alt>v", "F1", "<Super>Print";
// empty for an empty or unusable sequence.
QString accelerator(const QKeySequence& keys);

// The path of Klipora's entry for a command, e.g.
// ".../custom-keybindings/klipora-record-gif/" for "record --gif".
QString bindingPath(const QString& command);
bool isKliporaPath(const QString& path);

// The user's list with Klipora's old entries replaced by `ours`, in order,
// without duplicates.
QStringList mergeBindingPaths(const QStringList& existing, const QStringList& ours);

// GVariant text of strings and string arrays, as gsettings reads and prints
// them. parseStringList() accepts "@as []", "[]" and "['a', "b"]"; false
// for anything else.
QString gvariantString(const QString& text);
QString gvariantStringList(const QStringList& items);
bool parseStringList(const QString& text, QStringList* items);

// The gsettings argument lists that write the hotkeys over the existing
// list: one entry per bound hotkey, a reset for Klipora's entries that lost
// their combination, and the list itself last, so that GNOME never sees a
// path before its binding is complete.
QVector<QStringList> writeCommands(const QStringList& existing, const QVector<HotkeyCommand>& hotkeys,
                                   const QString& program);

// The program GNOME should run: the bare name when that finds this very
// executable on the PATH, else its full path.
QString programForCommands();

} // namespace gnomekeys

// Writes Klipora's hotkeys into GNOME's keyboard shortcuts with gsettings,
// one process at a time, each bounded by a timeout. finished() tells once
// whether all of it worked, with a sentence for the user.
class GnomeKeybindingWriter : public QObject
{
    Q_OBJECT
public:
    explicit GnomeKeybindingWriter(QObject* parent = nullptr);

    void setTimeout(int ms) { timeoutMs_ = ms; }
    bool busy() const { return busy_; }
    // False when a write is still running.
    bool write(const QVector<HotkeyCommand>& hotkeys, const QString& program);

signals:
    void finished(bool ok, const QString& message);

private:
    void run(const QStringList& args);
    void onDone(int exitCode, bool crashed);
    void finish(bool ok, const QString& message);

    QProcess* process_ = nullptr;
    QTimer* timer_ = nullptr;
    QVector<HotkeyCommand> hotkeys_;
    QString program_;
    QVector<QStringList> queue_;
    QStringList current_;
    int timeoutMs_ = 5000;
    bool listing_ = false;
    bool busy_ = false;
};
