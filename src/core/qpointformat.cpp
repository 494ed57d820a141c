#include "core/qpointformat.h"

#include <QtEndian>

const char* const QPOINT_MIME = "application/qpoint";

QByteArray encodeQPoint(const QPoint& pos)
{
    QByteArray data(8, '\0');
    qToLittleEndian<qint32>(pos.x(), data.data());
    qToLittleEndian<qint32>(pos.y(), data.data() + 4);
    return data;
}

bool decodeQPoint(const QByteArray& data, QPoint* pos)
{
    if (data.size() < 8)
        return false;
    pos->setX(qFromLittleEndian<qint32>(data.constData()));
    pos->setY(qFromLittleEndian<qint32>(data.constData() + 4));
    return true;
}
