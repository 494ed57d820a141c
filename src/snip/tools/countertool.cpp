#include "snip/tools/countertool.h"

#include <QPainter>

#include "widgets/lineeditmenu.h"

namespace {

struct CounterState : ToolState
{
    int number = 1;
};

} // namespace

QString CounterTool::icon() const { return QStringLiteral(":/icon/res/counter"); }
const char* CounterTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Counter"); }
EditMenu* CounterTool::createMenu(QWidget* parent) const { return new LineEditMenu(parent); }

std::shared_ptr<PaintCommand> CounterTool::create(const ToolInput& input) const
{
    int next = 1;
    for (const auto& command : input.commands)
        next += command && command->type() == COUNTER;
    auto command = std::make_shared<PaintCommand>(type(), input.pen, true, input.pos);
    auto state = std::make_unique<CounterState>();
    state->number = next;
    command->setState(std::move(state));
    return command;
}

int CounterTool::number(const PaintCommand& command)
{
    const auto* state = dynamic_cast<const CounterState*>(command.state());
    return state ? state->number : 0;
}

bool CounterTool::addPoint(PaintCommand& command, const QPoint& point, Qt::KeyboardModifiers) const
{
    Resizer& g = command.geometry();
    g.x1 = g.x2 = point.x();
    g.y1 = g.y2 = point.y();
    emit command.modified(PREVIEW);
    return true;
}

QRect CounterTool::disc(const PaintCommand& command)
{
    const int r = radius(command.pen().width());
    const Resizer& g = command.resizer();
    return QRect(g.x1 - r, g.y1 - r, 2 * r + 1, 2 * r + 1);
}

void CounterTool::draw(PaintCommand& command, QPainter* painter, bool) const
{
    const QRect d = disc(command);
    const QColor colour = command.pen().color();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    painter->drawEllipse(d);
    // white digits on dark discs, black ones on light discs
    painter->setPen(qGray(colour.rgb()) > 160 ? Qt::black : Qt::white);
    QFont font = painter->font();
    font.setBold(true);
    const QString text = QString::number(number(command));
    font.setPixelSize(qMax(6, d.height() * (text.size() > 1 ? 9 : 11) / 20));
    painter->setFont(font);
    painter->drawText(d, Qt::AlignCenter, text);
    painter->restore();
}

QRect CounterTool::coveredRect(const PaintCommand& command) const
{
    return disc(command).adjusted(-1, -1, 1, 1);
}

int CounterTool::hitTest(const PaintCommand& command, const QPoint& p) const
{
    const QPoint d = p - disc(command).center();
    const int r = radius(command.pen().width());
    return d.x() * d.x() + d.y() * d.y() <= r * r ? int(Resizer::BORDERS) : 0;
}

void CounterTool::drawFrame(const PaintCommand& command, QPainter* p) const
{
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setBrush(Qt::NoBrush);
    p->setPen(framePen(Qt::DashLine));
    p->drawRect(disc(command).adjusted(-2, -2, 2, 2));
}

QRect CounterTool::frameRect(const PaintCommand& command) const
{
    return disc(command).adjusted(-3, -3, 3, 3);
}
