#pragma once

#include <QFont>
#include <QImage>
#include <QObject>
#include <QPen>
#include <QPointer>
#include <QVector>

#include <memory>

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
    COUNTER = 256,
    HIGHLIGHTER = 512,
    BLUR = 1024,
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

class Tool;
struct ToolState;

// One mark on a screenshot. It keeps its own geometry and pen, draws itself
// whole or (strokes) only what was added since the last draw, and reports
// every change through modified(); it never draws on its own initiative.
// What a kind does is its Tool's business; a type no tool is registered for
// makes an inert command. Held by std::shared_ptr only (make_shared).
class PaintCommand : public QObject
{
    Q_OBJECT
public:
    PaintCommand(Graph type, const QPen& pen, bool fill, const QPoint& start,
                 QWidget* parent = nullptr);
    ~PaintCommand() override;

    void draw(QPainter* painter, bool incremental);
    // Shift asks kinds that know a straight form for it.
    bool addPoint(const QPoint& point, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void move(const QPoint& delta);
    void resize(int handle, const QPoint& delta);
    void setFont(const QFont& font);
    bool isValid() const;
    QRect rect() const { return resizer_.rect(); }
    // Everything the command paints.
    QRect coveredRect() const;
    // The hover code at p, 0 when p misses the command.
    int hitTest(const QPoint& p) const;

    Graph type() const { return type_; }
    const Tool* tool() const { return tool_; }
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

    // For the tools: the parts a kind shapes.
    Resizer& geometry() { return resizer_; }
    QVector<QPoint>& strokePoints() { return points_; }
    QVector<QPoint>& strokePending() { return pending_; }
    void setEditor(TextEdit* editor) { editor_ = editor; }
    ToolState* state() const { return state_.get(); }
    void setState(std::unique_ptr<ToolState> state);

    // The six-point arrow polygon from the tail to the tip.
    static QVector<QPoint> arrowPolygon(const QPoint& tail, const QPoint& tip);

signals:
    void modified(PaintType type);

private:
    Graph type_;
    const Tool* tool_ = nullptr;
    QPen pen_;
    QFont font_;
    bool fill_;
    QVector<QPoint> points_;
    QVector<QPoint> pending_;
    // The editor's parent widget may delete it first; never follow a dangling one.
    QPointer<TextEdit> editor_;
    Resizer resizer_;
    std::unique_ptr<ToolState> state_;
};

// A 9-pixel block mosaic of the image, same size.
QImage pixelate(const QImage& image);
