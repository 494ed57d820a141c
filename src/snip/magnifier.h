#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QWidget>

class ColourText;
class MagnifierView;

// The panel that follows the mouse while a region is picked: the pixels
// around the cursor five times enlarged, a cross-hair, and the colour under
// the cursor as text.
class Magnifier : public QWidget
{
    Q_OBJECT
public:
    explicit Magnifier(QWidget* parent = nullptr);

    void setPixmap(const QPixmap& pixmap);

    // The source rectangle around the global cursor position.
    QRect grabRect() const;
    static QRect grabRect(const QPoint& cursor);
    // The source pixels for grabRect(cursor), always of the full source size:
    // what lies outside the screenshot (at the desktop's edges) is black, so
    // the centre of the view stays the pixel under the cursor. The cursor is
    // in the screenshot's pixels (device pixels under scaling).
    static QPixmap cut(const QPixmap& screenshot, const QPoint& cursor);

    // Each pixel of a 32-bit image as a scale x scale block; a null image
    // for other depths.
    static QImage enlarge(const QImage& source, int scale);

    // "#rrggbb", lower case.
    QString colorName() const { return color_.name(); }
    QColor color() const { return color_; }

    static constexpr int SCALE = 5;
    static QSize sourceSize() { return { 31, 25 }; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColourText* label_ = nullptr;
    MagnifierView* view_ = nullptr;
    QPixmap pixmap_;
    QImage scaled_;
    int scale_ = SCALE;
    QSize sourceSize_ = sourceSize();
    QSize displaySize_;
    QColor color_{ Qt::black };
};

// The round mouse cursor that shows the brush size of the mosaic and eraser.
class CircleCursor : public QObject
{
    Q_OBJECT
public:
    explicit CircleCursor(int width, QObject* parent = nullptr);

    void draw();
    QPixmap pixmap() const { return pixmap_; }
    int width() const { return width_; }

    static constexpr int MAX_WIDTH = 49;

public slots:
    void setWidth(int val);

private:
    QPixmap pixmap_{ 51, 51 };
    int width_ = 0;
};
