#include "snip/magnifier.h"

#include <QCursor>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cmath>

Magnifier::Magnifier(QWidget* parent)
    : QWidget(parent)
{
    // No window type: it stays a child of the overlay.
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    displaySize_ = QSize(int(std::lround(sourceSize_.width() * double(scale_))),
                         int(std::lround(sourceSize_.height() * double(scale_))));

    label_ = new QLabel(this);
    label_->setGeometry(0, displaySize_.height(), displaySize_.width(), 30);
    label_->setAlignment(Qt::AlignCenter);
    label_->setFont(QFont(QStringLiteral("Consolas"), 9));
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label_->setPalette(palette);

    setFixedSize(displaySize_.width(), displaySize_.height() + label_->height());
    hide();
}

void Magnifier::setPixmap(const QPixmap& pixmap)
{
    pixmap_ = pixmap;
    update();
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
    const QRect wanted = grabRect(cursor);
    QPixmap out(wanted.size());
    out.fill(Qt::black);
    const QRect inside = wanted.intersected(screenshot.rect());
    if (!inside.isEmpty()) {
        QPainter painter(&out);
        painter.drawPixmap(inside.topLeft() - wanted.topLeft(), screenshot, inside);
    }
    return out;
}

void Magnifier::paintEvent(QPaintEvent*)
{
    const int w = displaySize_.width();
    const int h = displaySize_.height();
    const QPixmap scaled = pixmap_.isNull()
        ? QPixmap()
        : pixmap_.scaled(displaySize_, Qt::KeepAspectRatioByExpanding, Qt::FastTransformation);

    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 150));
    painter.drawPixmap(0, 0, scaled);

    painter.setPen(QPen(QColor(0, 100, 250, 200), 5, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    painter.drawLine(0, h / 2, w, h / 2);
    painter.drawLine(w / 2, 0, w / 2, h);

    // Sampled from the enlarged pixels, before the cross-hair covers them. A
    // short source (never from cut()) is sampled at its nearest pixel.
    if (!scaled.isNull()) {
        const QPoint at(std::min(w / 2, scaled.width() - 1), std::min(h / 2, scaled.height() - 1));
        color_ = scaled.copy(QRect(at, QSize(1, 1))).toImage().pixelColor(0, 0);
    } else {
        color_ = QColor(Qt::black);
    }

    painter.setPen(QPen(color_, 5, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    painter.drawLine(w / 2 - 2, h / 2, w / 2 + 3, h / 2);

    painter.setPen(Qt::white);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, w - 1, h - 1);
    painter.end();

    label_->setText(colorName());
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
