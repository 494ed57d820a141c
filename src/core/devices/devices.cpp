#include "devices.h"

#include <QList>

DeviceList& videoCaptureDevices()
{
    static DeviceList list;
    return list;
}

DeviceList& audioCaptureDevices()
{
    static DeviceList list;
    return list;
}

DeviceList parsePulseSources(const QByteArray& listing, const QString& defaultSource)
{
    DeviceList result;
    const QList<QByteArray> lines = listing.split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        if (fields.size() < 2 || fields[1].isEmpty())
            continue;
        bool isIndex = false;
        fields[0].toUInt(&isIndex);
        if (!isIndex)
            continue;
        const QString name = QString::fromUtf8(fields[1]);
        const QString driver = fields.size() > 2 ? QString::fromUtf8(fields[2]) : QString();
        DeviceEntry entry(name, driver);
        if (!defaultSource.isEmpty() && name == defaultSource)
            result.insert(result.begin(), entry);
        else
            result.push_back(entry);
    }
    return result;
}
