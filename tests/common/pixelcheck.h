#pragma once

#include <QByteArray>
#include <QImage>
#include <QRegion>
#include <QString>
#include <QStringList>

#include <functional>

// Looking at what a user sees from outside: pixels of a screenshot against
// what they should be, the clipboard as another program reads it, and the
// pointer and keys as another program drives them.
namespace testutil {

// Whether each channel of a and b lies within tolerance.
bool near(QRgb a, QRgb b, int tolerance);

// Pixels of `shot` in `where` (shot coordinates) that differ from
// `expected`; the first few are described in *report.
int differences(const QImage& shot, const std::function<QRgb(int, int)>& expected, const QRegion& where,
                int tolerance, QString* report);

// The bounding rectangle of the pixels that differ between two images of
// one size.
QRect changedArea(const QImage& before, const QImage& after);

// The clipboard's content of one type, read by xclip.
QByteArray clipboardAs(const QString& type);

// xdotool with these arguments; true when it succeeded.
bool xdo(const QStringList& args);

} // namespace testutil
