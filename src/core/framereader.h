#pragma once

#include <QByteArray>
#include <QString>

// Framing of the messages between a command and the running instance: the
// magic "KLP1", the payload's length as a 32-bit big-endian number, then the
// payload. A peer that sends anything else, or more than MAX_PAYLOAD, is
// not one of ours.
class FrameReader
{
public:
    enum Result { NEED_MORE, FRAME, BAD };
    static constexpr int MAX_PAYLOAD = 64 * 1024;
    static constexpr int HEADER_SIZE = 8;

    static QByteArray encode(const QByteArray& payload);

    // Adds received bytes; FRAME once a whole frame is there (take() it),
    // BAD for good: the reader keeps nothing more.
    Result feed(const QByteArray& bytes);
    QByteArray take();
    QString errorString() const { return error_; }

private:
    QByteArray buffer_;
    QByteArray frame_;
    bool bad_ = false;
    QString error_;
};
