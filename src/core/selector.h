#pragma once

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include "core/config.h"
#include "core/outlinestrips.h"
#include "core/resizer.h"

class MoveCoalescer;
class QLabel;

// The small read-out of the selection's size.
class SizeInfoWidget : public QWidget
{
    Q_OBJECT
public:
    explicit SizeInfoWidget(QWidget* parent);

    void showSize(const QSize& s);
    QString text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPainter painter;
    QLabel* label = nullptr;
};

// The full-screen overlay on which the user picks a rectangle of the desktop.
// It dims everything outside the selection, proposes the window under the
// cursor, and lets the user drag out, move, resize and nudge the selection.
// What is done with the rectangle is up to the subclasses.
class Selector : public QWidget
{
    Q_OBJECT
public:
    enum Status {
        IDLE = 0,
        STARTED = 1,
        SELECTING = 2,
        CAPTURED = 3,
        MOVING = 4,
        RESIZING = 5,
        LOCKED = 6,
    };

    explicit Selector(QWidget* parent);

    int currentStatus() const { return status; }
    const Resizer& selection() const { return box; }
    QRect selectedRect() const { return box.rect(); }
    SizeInfoWidget* sizeInfo() const { return info; }
    QPen borderPen() const { return pen; }
    QColor currentMaskColor() const { return maskColor; }

    // Pays the one-time costs of a first show (style polish, the native
    // window, fonts) while idle, without holding any desktop-sized buffer.
    virtual void warmUp();

signals:
    void captured();
    void moved();
    void resized();
    void locked();

public slots:
    virtual void start();
    void setBorderColor(const QColor& color);
    void setBorderWidth(int width);
    void setBorderStyle(Qt::PenStyle s);
    void setMaskColor(const QColor& color);
    void setUseDetectWindow(bool use);
    virtual void exit();
    void drawSelector(QPainter* painter, Resizer box);
    void updateTheme(const SelectorTheme& theme);

protected:
    bool event(QEvent* event) override;
    // Whether a move only matters for where it ends, so that moves faster
    // than the screen refreshes may be merged into the newest one. A
    // subclass that draws along every point of a drag says no then.
    virtual bool mergesMoves(const QMouseEvent& event) const;
    MoveCoalescer* moveCoalescer() const { return moves; }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    QPainter painter;
    int status = IDLE;
    int pressCode = Resizer::OUTSIDE;
    QPoint moveStartPoint;
    QPoint moveEndPoint;
    QPoint resizeStartPoint;
    QPoint resizeEndPoint;
    int modified = 0;
    Resizer box;
    SizeInfoWidget* info = nullptr;
    QPen pen;
    QColor maskColor;
    bool useDetectWindow = true;

    // Without a compositing manager X11 draws the translucent overlay black,
    // so the desktop is shown from a frozen grab taken in start(). A subclass
    // that paints a full canvas of its own before the base paint sets
    // paintsCanvas, and no grab is taken for it.
    QPixmap background;
    bool paintsCanvas = false;

    // The logical pixel under the pointer, exact under scaling: the one that
    // shows the device pixel the pointer is on.
    QPoint pointerPixel(const QMouseEvent* event) const;
    // That device pixel, in global device coordinates.
    QPoint pointerDevicePixel(const QMouseEvent* event) const;

    // The desktop with the mask already over it, made once from `base` (the
    // frozen desktop a subclass paints) after the first paint, so that a move
    // copies the dimmed outside instead of blending it again. True when the
    // copy matches `base` and the part of the dirty region outside the
    // selection is left to it.
    bool dimsFrom(const QPixmap& base);
    void dropDimmed();

    // The size label's text and place for the current box.
    void placeSizeInfo();
    // What the size label must not cover (a toolbar beside the selection),
    // in widget coordinates; nothing by default.
    virtual QRect sizeInfoObstacle() const { return QRect(); }

private:
    void addShortcut(const QKeySequence& keys, std::function<void()> action);
    void nudgeEdge(int edge, int delta);
    void dragStep();
    // Repaints only what the last paint and the next one touch: the old and
    // new border and handles, and what went in or out of the mask.
    void requestRepaint();
    QRegion selectionFootprint() const;
    void takeKeyboard(int triesLeft);

    void buildDimmed();
    void handOnMove(const QMouseEvent& held);

    MoveCoalescer* moves = nullptr;

    QRegion lastFootprint;
    QRect lastRect;
    OutlineStrips outline;
    QPixmap dimmedBase;
    QPixmap dimmed;
    bool dimmedInUse = false;
    bool dimmedQueued = false;
};
