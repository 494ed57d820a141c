#include "snip/paintcommand.h"

#include "snip/textedit.h"
#include "snip/tools/arrowtool.h"
#include "snip/tools/tool.h"
#include "snip/tools/toolregistry.h"

PaintCommand::PaintCommand(Graph type, const QPen& pen, bool fill, const QPoint& start,
                           QWidget* parent)
    : type_(type)
    , tool_(toolregistry::find(type))
    , pen_(pen)
    , fill_(fill)
    , resizer_(start.x(), start.y(), start.x(), start.y())
{
    static const int registered = (qRegisterMetaType<Graph>(), qRegisterMetaType<PaintType>(), 0);
    Q_UNUSED(registered)
    if (tool_)
        tool_->init(*this, start, parent);
}

PaintCommand::~PaintCommand()
{
    delete editor_.data();
}

QVector<QPoint> PaintCommand::arrowPolygon(const QPoint& tail, const QPoint& tip)
{
    return ArrowTool::polygon(tail, tip);
}

bool PaintCommand::addPoint(const QPoint& point, Qt::KeyboardModifiers modifiers)
{
    return tool_ && tool_->addPoint(*this, point, modifiers);
}

void PaintCommand::draw(QPainter* painter, bool incremental)
{
    if (tool_)
        tool_->draw(*this, painter, incremental);
}

void PaintCommand::move(const QPoint& delta)
{
    if (tool_)
        tool_->move(*this, delta);
    emit modified(REDRAW_ALL);
}

void PaintCommand::resize(int handle, const QPoint& delta)
{
    if (tool_)
        tool_->resize(*this, handle, delta);
    emit modified(REDRAW_ALL);
}

void PaintCommand::setPen(const QPen& pen)
{
    pen_ = pen;
    if (editor_ && editor_->textColor() != pen.color())
        editor_->setTextColour(pen.color());
}

void PaintCommand::setFont(const QFont& font)
{
    font_ = font;
    if (editor_)
        editor_->setTextFont(font);
    emit modified(REDRAW_ALL);
}

bool PaintCommand::isValid() const
{
    return tool_ && tool_->isValid(*this);
}

QRect PaintCommand::coveredRect() const
{
    return tool_ ? tool_->coveredRect(*this) : QRect();
}

int PaintCommand::hitTest(const QPoint& p) const
{
    return tool_ ? tool_->hitTest(*this, p) : 0;
}

void PaintCommand::setState(std::unique_ptr<ToolState> state)
{
    state_ = std::move(state);
}
