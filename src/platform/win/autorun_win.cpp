#include "widgets/autorun.h"

#include <QDebug>
#include <QSettings>

namespace autorun {

bool apply(bool enabled, const QString& program)
{
    QSettings run(QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
                  QSettings::NativeFormat);
    run.setValue(QStringLiteral("klipora_run"), runValue(program, enabled));
    run.sync();
    if (run.status() != QSettings::NoError) {
        qWarning() << "cannot write the Run value";
        return false;
    }
    return true;
}

} // namespace autorun
