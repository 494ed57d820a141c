#include "framereader.h"

#include <QString>
#include <QtEndian>

namespace {

constexpr char MAGIC[4] = {'K', 'L', 'P', '1'};

} // namespace

QByteArray FrameReader::encode(const QByteArray& payload)
{
    QByteArray frame(MAGIC, 4);
    char length[4];
    qToBigEndian<quint32>(quint32(payload.size()), length);
    frame.append(length, 4);
    frame.append(payload);
    return frame;
}

FrameReader::Result FrameReader::feed(const QByteArray& bytes)
{
    if (bad_)
        return BAD;
    buffer_.append(bytes);
    // the magic is checked as soon as its bytes arrive, so garbage is
    // dropped without waiting for a length that never comes
    const int magicSeen = qMin(buffer_.size(), 4);
    if (memcmp(buffer_.constData(), MAGIC, size_t(magicSeen)) != 0) {
        bad_ = true;
        error_ = QStringLiteral("not a Klipora message");
        buffer_.clear();
        return BAD;
    }
    if (buffer_.size() < HEADER_SIZE)
        return NEED_MORE;
    const quint32 length = qFromBigEndian<quint32>(buffer_.constData() + 4);
    if (length > quint32(MAX_PAYLOAD)) {
        bad_ = true;
        error_ = QStringLiteral("message of %1 bytes is over the limit of %2").arg(length).arg(MAX_PAYLOAD);
        buffer_.clear();
        return BAD;
    }
    if (buffer_.size() < HEADER_SIZE + int(length))
        return NEED_MORE;
    frame_ = buffer_.mid(HEADER_SIZE, int(length));
    buffer_.remove(0, HEADER_SIZE + int(length));
    return FRAME;
}

QByteArray FrameReader::take()
{
    QByteArray frame = frame_;
    frame_ = QByteArray();
    return frame;
}
