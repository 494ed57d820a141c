#include "core/resources.h"

#include <QFile>

void initResources()
{
    Q_INIT_RESOURCE(klipora);
}

QString readResourceText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}
