#include "pixelcheck.h"

#include <QColor>

#include "testutil.h"

namespace testutil {

bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

int differences(const QImage& shot, const std::function<QRgb(int, int)>& expected, const QRegion& where,
                int tolerance, QString* report)
{
    int count = 0;
    for (const QRect& r : where) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
            for (int x = r.left(); x <= r.right(); ++x) {
                const QRgb want = expected(x, y);
                if (near(line[x], want, tolerance))
                    continue;
                if (++count <= 3)
                    *report += QStringLiteral(" (%1,%2) is %3, not %4;")
                                   .arg(x)
                                   .arg(y)
                                   .arg(QColor(line[x]).name(), QColor(want).name());
            }
        }
    }
    return count;
}

QRect changedArea(const QImage& before, const QImage& after)
{
    QRect r;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                r |= QRect(x, y, 1, 1);
    return r;
}

QByteArray clipboardAs(const QString& type)
{
    return run(QStringLiteral("xclip"), { QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                          QStringLiteral("-t"), type, QStringLiteral("-o") })
        .out;
}

bool xdo(const QStringList& args)
{
    return run(QStringLiteral("xdotool"), args).exitCode == 0;
}

} // namespace testutil
