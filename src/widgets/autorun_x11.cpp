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
    const QByteArray text = desktopEntry(program, enabled);
    if (file.write(text) != text.size() || !file.commit()) {
        qWarning() << "cannot write" << path << file.errorString();
        return false;
    }
    return true;
}

} // namespace autorun
