#pragma once

#include <QByteArray>
#include <QString>

// Starting the program at login. On Linux a freedesktop autostart entry does
// it; on Windows a value under the user's Run key.
namespace autorun {

// $XDG_CONFIG_HOME/autostart/klipora.desktop
QString desktopEntryPath();

// The autostart entry for the program; a disabled entry stays in place with
// Hidden=true, so the choice survives and the file is not lost.
QByteArray desktopEntry(const QString& program, bool enabled);

// The program as one argument of a desktop entry's Exec key: quoted where it
// holds reserved characters, with the value's own escapes applied.
QString execArgument(const QString& program);

// The Windows Run value: the quoted native path when on, empty when off (the
// value stays). Quoting keeps a path with spaces from being split.
QString runValue(const QString& program, bool enabled);

// Writes the platform's setting; false when it could not be written. Turning
// it off when nothing was ever written leaves nothing behind.
bool apply(bool enabled, const QString& program);

} // namespace autorun
