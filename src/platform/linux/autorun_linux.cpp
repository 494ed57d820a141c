#include "widgets/autorun.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace autorun {

bool apply(bool enabled, const QString& program)
{
    const QString path = desktopEntryPath();
    if (!enabled && !QFile::exists(path))
        return true;
    const QByteArray text = desktopEntry(program, enabled);
    {
        // Checked at every start: an entry that is already right is left
        // alone, so only a moved program or a changed choice writes.
        QFile current(path);
        if (current.open(QIODevice::ReadOnly) && current.size() == text.size() && current.readAll() == text)
            return true;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        qWarning() << "cannot create" << folder;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "cannot write" << path << file.errorString();
        return false;
    }
    if (file.write(text) != text.size() || !file.commit()) {
        qWarning() << "cannot write" << path << file.errorString();
        return false;
    }
    return true;
}

} // namespace autorun
