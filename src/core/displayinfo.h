#pragma once

#include <QObject>
#include <QSize>

class QScreen;

// The one place that knows the screens: the virtual desktop is taken as the
// screens side by side from (0, 0), as wide as their widths added and as high
// as the tallest.
class DisplayInfo : public QObject
{
    Q_OBJECT
public:
    static DisplayInfo* instance(QObject* parent = nullptr);
    static QSize maxSize();

signals:
    void changed();
    void added(QScreen* screen);
    void removed(QScreen* screen);

public slots:
    void update();

private:
    explicit DisplayInfo(QObject* parent);
};
