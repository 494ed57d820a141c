#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// sway's IPC through its own client, swaymsg: short commands, each bounded
// in time so that a compositor that does not answer cannot hang Klipora.
namespace swaymsg {

// Runs `swaymsg ARGS`; false when it could not run, timed out or exited
// non-zero. Its output lands in `output`.
bool run(const QStringList& args, QByteArray* output = nullptr, int timeoutMs = 3000);

// A criteria string matching the windows of a process with this title, e.g.
// [pid=42 title="^Klipora pin 1$"]; the title is matched literally.
QString criteria(qint64 pid, const QString& title);

// True when a reply to a command reports success for every part of it.
bool succeeded(const QByteArray& reply);

} // namespace swaymsg
