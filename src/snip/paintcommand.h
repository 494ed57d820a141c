#pragma once

#include <QFont>
#include <QImage>
#include <QObject>
#include <QPainterPath>
#include <QPen>
#include <QPointer>
#include <QVector>

#include "core/resizer.h"

class QPainter;
#include "snip/textedit.h"

// The annotation tool, and the kind of a command: one bit per tool.
enum Graph {
    RECTANGLE = 1,
    ELLIPSE = 2,
    LINE = 4,
    PENCIL = 8,
    MOSAIC = 16,
    ARROW = 32,
    TEXT = 64,
    ERASER = 128,
};

// How much of the canvas a change of a command needs redrawn; compared for
// equality, not bit by bit.
enum PaintType {
    REFRESH = 1,
    PREVIEW = 16,
    DRAW_INCREMENT = 33,
    DRAW_COMMAND = 65,
    REDRAW_ALL = 353,
};

Q_DECLARE_METATYPE(Graph)
Q_DECLARE_METATYPE(PaintType)

// One mark on a screenshot. It keeps its own geometry and pen, draws itself
// whole or (strokes) only what was added since the last draw, and reports
// every change through modified(); it never draws on its own initiative.
// Held by std::shared_ptr only (make_shared).
class PaintCommand : public QObject
{
    Q_OBJECT
public:
    PaintCommand(Graph type, const QPen& pen, bool fill, const QPoint& start,
                 QWidget* parent = nullptr);
    ~PaintCommand() override;

    void draw(QPainter* painter, bool incremental);
    bool addPoint(const QPoint& point);
    void move(const QPoint& delta);
    void resize(int handle, const QPoint& delta);
    void setFont(const QFont& font);
    bool isValid() const;
    QRect rect() const { return resizer_.rect(); }

    Graph type() const { return type_; }
    QPen pen() const { return pen_; }
    // A text command's editor shows its text in the pen's colour too.
    void setPen(const QPen& pen);
    bool fill() const { return fill_; }
    void setFill(bool fill) { fill_ = fill; }
    QFont font() const { return font_; }
    TextEdit* editor() const { return editor_; }
    const Resizer& resizer() const { return resizer_; }
    const QVector<QPoint>& points() const { return points_; }
    const QVector<QPoint>& pendingPoints() const { return pending_; }

    static bool isStroke(Graph type) { return type == PENCIL || type == MOSAIC || type == ERASER; }

    // The six-point arrow polygon from the tail to the tip.
    static QVector<QPoint> arrowPolygon(const QPoint& tail, const QPoint& tip);

signals:
    void modified(PaintType type);

private:
    void drawStroke(QPainter* painter, bool incremental);
    void rebuildArrow();

    Graph type_;
    QPen pen_;
    QFont font_;
    bool fill_;
    QVector<QPoint> points_;
    QVector<QPoint> pending_;
    // The editor's parent widget may delete it first; never follow a dangling one.
    QPointer<TextEdit> editor_;
    Resizer resizer_;
    // A stroke's outline for whole draws, rebuilt when its points or pen change.
    QPainterPath outline_;
    bool outlineDirty_ = true;
};

// A 9-pixel block mosaic of the image, same size.
QImage pixelate(const QImage& image);
