#include "core/devicepixels.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace devicepixels {

namespace {

// Products like 3 * 1.1 miss whole numbers by a hair; that must not tip a
// floor or a ceiling into the next pixel.
constexpr double SLACK = 1e-6;

int floorOf(double v)
{
    return int(std::floor(v + SLACK));
}

int ceilOf(double v)
{
    return int(std::ceil(v - SLACK));
}

bool usable(qreal factor)
{
    return std::isfinite(factor) && factor > 0;
}

} // namespace

qreal desktopFactor()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal factor = screen ? screen->devicePixelRatio() : 1.0;
    return usable(factor) ? factor : 1.0;
}

QPoint pixelAt(const QPointF& logical)
{
    return QPoint(floorOf(logical.x()), floorOf(logical.y()));
}

QPoint toDevice(const QPoint& logical, qreal factor, const QPoint& origin)
{
    if (!usable(factor))
        return logical;
    // Rounded up, as toLogical() rounds down: each device pixel then belongs
    // to exactly one logical pixel, also at fractional factors.
    const QPoint d = logical - origin;
    return origin + QPoint(ceilOf(d.x() * factor), ceilOf(d.y() * factor));
}

QRect toDevice(const QRect& logical, qreal factor, const QPoint& origin)
{
    if (!usable(factor) || logical.isEmpty())
        return logical;
    const QPoint topLeft = toDevice(logical.topLeft(), factor, origin);
    // one past the right and bottom edges, mapped, then back by one
    const QPoint end = logical.bottomRight() + QPoint(1, 1) - origin;
    const QPoint bottomRight = origin + QPoint(ceilOf(end.x() * factor), ceilOf(end.y() * factor)) - QPoint(1, 1);
    return QRect(topLeft, bottomRight);
}

QPoint devicePixelAt(const QPointF& logical, qreal factor, const QPoint& origin)
{
    if (!usable(factor))
        factor = 1;
    const QPointF d = logical - QPointF(origin);
    return origin + QPoint(floorOf(d.x() * factor), floorOf(d.y() * factor));
}

QSize toDevice(const QSize& logical, qreal factor)
{
    if (!usable(factor))
        return logical;
    return QSize(ceilOf(logical.width() * factor), ceilOf(logical.height() * factor));
}

QPoint toLogical(const QPoint& device, qreal factor, const QPoint& origin)
{
    if (!usable(factor))
        return device;
    const QPoint d = device - origin;
    return origin + QPoint(floorOf(d.x() / factor), floorOf(d.y() / factor));
}

QRect toLogical(const QRect& device, qreal factor, const QPoint& origin)
{
    if (!usable(factor) || device.isEmpty())
        return device;
    return QRect(toLogical(device.topLeft(), factor, origin), toLogical(device.bottomRight(), factor, origin));
}

QRectF sourceRect(const QRect& logical, qreal factor)
{
    if (!usable(factor))
        factor = 1;
    return QRectF(logical.x() * factor, logical.y() * factor, logical.width() * factor, logical.height() * factor);
}

QRect toDevice(const QRect& logical)
{
    return toDevice(logical, desktopFactor());
}

QPoint toDevice(const QPoint& logical)
{
    return toDevice(logical, desktopFactor());
}

QRect toLogical(const QRect& device)
{
    return toLogical(device, desktopFactor());
}

QPoint toLogical(const QPoint& device)
{
    return toLogical(device, desktopFactor());
}

} // namespace devicepixels
