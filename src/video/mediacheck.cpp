#include "mediacheck.h"

#include <QFile>

namespace media {

namespace {

quint64 readBig(const QByteArray& data, qint64 at, int bytes)
{
    quint64 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | quint8(data.at(int(at + i)));
    return v;
}

// Walks the boxes between begin and end; true when one of this type is there
// whole. Its body is handed back through body/bodyEnd.
bool findBox(const QByteArray& data, qint64 begin, qint64 end, const char* type, qint64* body, qint64* bodyEnd)
{
    qint64 at = begin;
    while (at + 8 <= end) {
        quint64 size = readBig(data, at, 4);
        qint64 header = 8;
        if (size == 1) {
            if (at + 16 > end)
                return false;
            size = readBig(data, at + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = quint64(end - at); // to the end of the file
        }
        if (size < quint64(header) || size > quint64(end - at))
            return false; // cut short: the file was not finished
        if (data.mid(int(at + 4), 4) == QByteArray(type, 4)) {
            *body = at + header;
            *bodyEnd = at + qint64(size);
            return true;
        }
        at += qint64(size);
    }
    return false;
}

QByteArray readAll(const QString& file, qint64 limit)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.read(limit);
}

} // namespace

bool mp4HasTrack(const QByteArray& data)
{
    qint64 body = 0;
    qint64 bodyEnd = 0;
    if (!findBox(data, 0, data.size(), "moov", &body, &bodyEnd))
        return false;
    qint64 trak = 0;
    qint64 trakEnd = 0;
    return findBox(data, body, bodyEnd, "trak", &trak, &trakEnd);
}

bool mp4HasTrack(const QString& file)
{
    // Recordings of an hour are gigabytes: read only the box headers.
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = f.size();
    qint64 at = 0;
    while (at + 8 <= size) {
        f.seek(at);
        const QByteArray head = f.read(16);
        if (head.size() < 8)
            return false;
        quint64 boxSize = readBig(head, 0, 4);
        if (boxSize == 1 && head.size() == 16)
            boxSize = readBig(head, 8, 8);
        else if (boxSize == 0)
            boxSize = quint64(size - at);
        if (boxSize < 8 || boxSize > quint64(size - at))
            return false;
        if (head.mid(4, 4) == "moov") {
            f.seek(at);
            // a moov box of an hour's video is a few megabytes
            return mp4HasTrack(f.read(qint64(boxSize)));
        }
        at += qint64(boxSize);
    }
    return false;
}

bool gifHasFrames(const QByteArray& data)
{
    if (data.size() < 13 || !(data.startsWith("GIF87a") || data.startsWith("GIF89a")))
        return false;
    // after the header and the global colour table: blocks until an image
    int at = 13;
    const quint8 flags = quint8(data.at(10));
    if (flags & 0x80)
        at += 3 * (1 << ((flags & 0x07) + 1));
    while (at < data.size()) {
        const quint8 kind = quint8(data.at(at));
        if (kind == 0x2c)
            return at + 10 <= data.size();
        if (kind != 0x21 || at + 2 > data.size())
            return false;
        at += 2; // extension introducer and label, then sub-blocks
        while (at < data.size() && data.at(at) != 0)
            at += 1 + quint8(data.at(at));
        ++at;
    }
    return false;
}

bool gifHasFrames(const QString& file)
{
    // the first image comes right after the header and the palette
    return gifHasFrames(readAll(file, 1 << 20));
}

} // namespace media
