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

AudioSourceList parsePulseSourceDescriptions(const QByteArray& listing)
{
    AudioSourceList result;
    bool inSource = false;
    for (const QByteArray& raw : listing.split('\n')) {
        // block headers start in the first column, their fields one tab in
        if (!raw.startsWith('\t') && !raw.startsWith(' ')) {
            inSource = raw.startsWith("Source #");
            if (inSource)
                result.push_back(AudioSource());
            continue;
        }
        if (!inSource || raw.startsWith("\t\t"))
            continue;
        const QByteArray line = raw.trimmed();
        if (line.startsWith("Name: "))
            result.back().name = QString::fromUtf8(line.mid(6).trimmed());
        else if (line.startsWith("Description: "))
            result.back().description = QString::fromUtf8(line.mid(13).trimmed());
    }
    AudioSourceList named;
    for (AudioSource& source : result) {
        if (source.name.isEmpty())
            continue;
        if (source.description.isEmpty())
            source.description = source.name;
        named.push_back(source);
    }
    return named;
}
