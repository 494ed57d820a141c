#include "snip/magnifier.h"

#include <QCursor>
#include <QPainter>

#include <algorithm>
#include <cmath>

// The enlarged pixels with the cross-hair and the frame. Opaque whenever the
// pixels cover it, so that moving the panel repaints nothing of the overlay
// beneath it but what it uncovers.
class MagnifierView : public QWidget
{
public:
    explicit MagnifierView(QWidget* parent)
        : QWidget(parent)
    {
    }

    void setImage(const QImage& image, const QColor& centre)
    {
        image_ = image;
        centre_ = centre;
        bool opaque = image_.size() == size();
        if (opaque && image_.hasAlphaChannel()) {
            for (int y = 0; y < image_.height() && opaque; ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
                opaque = image_.depth() == 32
                    && std::all_of(line, line + image_.width(), [](QRgb p) { return qAlpha(p) == 255; });
            }
        }
        if (opaque != testAttribute(Qt::WA_OpaquePaintEvent))
            setAttribute(Qt::WA_OpaquePaintEvent, opaque);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const int w = width();
        const int h = height();
        QPainter painter(this);
        painter.drawImage(0, 0, image_);

        // The cross-hair: five-pixel bars as filled rectangles, which the
        // engine blends row by row where a wide pen would be stroked. The
        // centre square, in the colour under the cursor, covers the crossing.
        const QColor bar(0, 100, 250, 200);
        painter.fillRect(QRect(0, h / 2 - 2, w, 5), bar);
        painter.fillRect(QRect(w / 2 - 2, 0, 5, h / 2 - 2), bar);
        painter.fillRect(QRect(w / 2 - 2, h / 2 + 3, 5, h - h / 2 - 3), bar);
        painter.fillRect(QRect(w / 2 - 2, h / 2 - 2, 5, 5), centre_);

        painter.setPen(Qt::white);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(0, 0, w - 1, h - 1);
    }

private:
    QImage image_;
    QColor centre_{ Qt::black };
};

// The colour's name under the enlarged pixels. The text is laid out and
// drawn once per new colour into a translucent picture; the panel moves with
// the mouse and repaints on every move.
class ColourText : public QWidget
{
public:
    explicit ColourText(QWidget* parent)
        : QWidget(parent)
    {
        setFont(QFont(QStringLiteral("Consolas"), 9));
    }

    void setText(const QString& text)
    {
        if (text == text_)
            return;
        text_ = text;
        picture_ = QPixmap();
        update();
    }
    QString text() const { return text_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const qreal ratio = devicePixelRatioF();
        if (picture_.isNull() || picture_.devicePixelRatio() != ratio || picture_.size() != size() * ratio) {
            picture_ = QPixmap(size() * ratio);
            picture_.setDevicePixelRatio(ratio);
            picture_.fill(Qt::transparent);
            QPainter p(&picture_);
            p.setFont(font());
            p.setPen(Qt::white);
            p.drawText(QRect(QPoint(0, 0), size()), Qt::AlignCenter, text_);
        }
        QPainter painter(this);
        painter.drawPixmap(0, 0, picture_);
    }

private:
    QString text_;
    QPixmap picture_;
};

Magnifier::Magnifier(QWidget* parent)
    : QWidget(parent)
{
    // No window type: it stays a child of the overlay.
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    displaySize_ = QSize(int(std::lround(sourceSize_.width() * double(scale_))),
                         int(std::lround(sourceSize_.height() * double(scale_))));

    view_ = new MagnifierView(this);
    view_->setGeometry(0, 0, displaySize_.width(), displaySize_.height());

    label_ = new ColourText(this);
    label_->setGeometry(0, displaySize_.height(), displaySize_.width(), 30);

    setFixedSize(displaySize_.width(), displaySize_.height() + label_->height());
    hide();
}

QImage Magnifier::enlarge(const QImage& source, int scale)
{
    // Plain pixel replication, as the toolkit's fast scaling does for a whole
    // factor, without its general transform (a tenth of the work).
    QImage out;
    if (source.depth() != 32 || scale < 1)
        return out;
    out = QImage(source.width() * scale, source.height() * scale, source.format());
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const quint32*>(source.constScanLine(y));
        auto* first = reinterpret_cast<quint32*>(out.scanLine(y * scale));
        for (int x = 0; x < source.width(); ++x)
            std::fill_n(first + x * scale, scale, in[x]);
        for (int k = 1; k < scale; ++k)
            std::copy_n(first, out.width(), reinterpret_cast<quint32*>(out.scanLine(y * scale + k)));
    }
    return out;
}

void Magnifier::setPixmap(const QPixmap& pixmap)
{
    pixmap_ = pixmap;
    // Enlarged and read out here rather than in the paint: the label's new
    // text then joins the same repaint instead of asking for another.
    scaled_ = QImage();
    if (!pixmap_.isNull()) {
        const QImage source = pixmap_.toImage();
        if (source.size() * scale_ == displaySize_)
            scaled_ = enlarge(source, scale_);
        if (scaled_.isNull())
            scaled_ = source.scaled(displaySize_, Qt::KeepAspectRatioByExpanding, Qt::FastTransformation);
    }
    // Sampled from the enlarged pixels, before the cross-hair covers them. A
    // short source (never from cut()) is sampled at its nearest pixel.
    if (!scaled_.isNull()) {
        color_ = scaled_.pixelColor(std::min(displaySize_.width() / 2, scaled_.width() - 1),
                                    std::min(displaySize_.height() / 2, scaled_.height() - 1));
    } else {
        color_ = QColor(Qt::black);
    }
    label_->setText(colorName());
    view_->setImage(scaled_, color_);
}

QRect Magnifier::grabRect(const QPoint& cursor)
{
    const QSize size = sourceSize();
    return { cursor.x() - size.width() / 2, cursor.y() - size.height() / 2, size.width(),
             size.height() };
}

QRect Magnifier::grabRect() const
{
    return grabRect(QCursor::pos());
}

QPixmap Magnifier::cut(const QPixmap& screenshot, const QPoint& cursor)
{
    // Counted in the screenshot's own pixels, which are device pixels: the
    // view enlarges what the screen really shows, not a logical blur of it.
    const QRect wanted = grabRect(cursor);
    const QRect all(QPoint(0, 0), screenshot.size());
    QPixmap out;
    if (all.contains(wanted)) {
        out = screenshot.copy(wanted);
    } else {
        out = QPixmap(wanted.size());
        out.fill(Qt::black);
        const QRect inside = wanted.intersected(all);
        if (!inside.isEmpty()) {
            QPixmap part = screenshot.copy(inside);
            part.setDevicePixelRatio(1);
            QPainter painter(&out);
            painter.drawPixmap(inside.topLeft() - wanted.topLeft(), part);
        }
    }
    out.setDevicePixelRatio(1);
    return out;
}

void Magnifier::paintEvent(QPaintEvent*)
{
    // Shows only under the colour text, and where the pixels leave the view
    // uncovered.
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 150));
}

CircleCursor::CircleCursor(int width, QObject* parent)
    : QObject(parent)
{
    width_ = std::clamp(width, 1, MAX_WIDTH);
    draw();
}

void CircleCursor::setWidth(int val)
{
    // Larger circles would not fit the 51 x 51 cursor image.
    width_ = std::clamp(val, 1, MAX_WIDTH);
    draw();
}

void CircleCursor::draw()
{
    pixmap_.fill(Qt::transparent);
    QPainter painter(&pixmap_);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QBrush(QColor("#888888")), 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(QColor(225, 200, 0, 175));
    const int c = 25;
    painter.drawEllipse(c - width_ / 2, c - width_ / 2, width_, width_);
}
