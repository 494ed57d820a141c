#include "snip/tools/texttool.h"

#include <QPainter>

#include "snip/textedit.h"
#include "widgets/fontmenu.h"

QString TextTool::icon() const { return QStringLiteral(":/icon/res/text"); }
const char* TextTool::tip() const { return QT_TRANSLATE_NOOP("ImageEditMenu", "Text"); }
EditMenu* TextTool::createMenu(QWidget* parent) const { return new FontMenu(parent); }

std::shared_ptr<PaintCommand> TextTool::create(const ToolInput& input) const
{
    auto command = std::make_shared<PaintCommand>(type(), input.pen, false, input.pos, input.parent);
    command->setFont(input.font);
    return command;
}

void TextTool::init(PaintCommand& command, const QPoint& start, QWidget* parent) const
{
    auto* editor = new TextEdit(parent);
    command.setEditor(editor);
    QObject::connect(editor, &QTextEdit::textChanged, &command, [c = &command] { emit c->modified(REDRAW_ALL); });
    editor->setTextColour(command.pen().color());
    editor->setFocus(Qt::OtherFocusReason);
    editor->move(start);
    editor->show();
}

void TextTool::draw(PaintCommand& command, QPainter* painter, bool) const
{
    TextEdit* editor = command.editor();
    if (!editor)
        return;
    painter->save();
    painter->setPen(command.pen());
    // In the editor's pixels, not the canvas's: a point size would come out
    // larger or smaller wherever the two DPIs differ.
    QFont font = editor->font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(editor->font()).pixelSize());
    painter->setFont(font);
    painter->drawText(editor->geometry().adjusted(2, 2, 0, 0), Qt::TextWordWrap, editor->toPlainText());
    painter->restore();
}

void TextTool::move(PaintCommand& command, const QPoint& delta) const
{
    if (TextEdit* editor = command.editor())
        editor->move(editor->pos() + delta);
}

bool TextTool::isValid(const PaintCommand& command) const
{
    return command.editor() && !command.editor()->toPlainText().isEmpty();
}

QRect TextTool::coveredRect(const PaintCommand& command) const
{
    return command.editor() ? command.editor()->geometry() : QRect();
}

Resizer TextTool::box(const PaintCommand& command)
{
    Resizer box;
    box.setRect(command.editor() ? command.editor()->geometry().adjusted(-5, -5, 5, 5) : QRect());
    box.borderWidth = 5;
    return box;
}

int TextTool::hitTest(const PaintCommand& command, const QPoint& p) const
{
    if (!command.editor())
        return 0;
    Resizer b = box(command);
    b.rotatable = true;
    int c = b.position(p);
    // the box moves from its middle handles and its inside too
    if (c == Resizer::ANCHOR_X1 || c == Resizer::ANCHOR_X2 || c == Resizer::ANCHOR_Y1 || c == Resizer::ANCHOR_Y2
        || c == Resizer::INSIDE)
        c = Resizer::BORDERS;
    return (c & Resizer::GRABBED) ? c : 0;
}

void TextTool::drawFrame(const PaintCommand& command, QPainter* p) const
{
    const Resizer b = box(command);
    const QRect r = b.rect();
    p->save();
    p->setPen(QPen(QBrush(QColor("#333")), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    p->setBrush(QBrush(Qt::white, Qt::SolidPattern));
    p->setRenderHint(QPainter::Antialiasing, true);
    const QPoint knob((b.x1 + b.x2) / 2, b.minY() - 10);
    p->drawEllipse(QRect(knob.x() - 4, knob.y() - 4, 9, 9));
    p->restore();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setBrush(Qt::NoBrush);
    p->setPen(framePen(Qt::DashLine));
    p->drawRect(r);
    p->setPen(framePen(Qt::SolidLine));
    for (const QPoint& c : { r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight() })
        p->drawRect(Resizer::square(c.x(), c.y()));
}

QRect TextTool::frameRect(const PaintCommand& command) const
{
    // the box 5 pixels out, its handles and the knob above it
    return command.editor() ? command.editor()->geometry().adjusted(-8, -20, 8, 8) : QRect();
}

void TextTool::applyOptions(PaintCommand& command, const EditMenu* menu) const
{
    Tool::applyOptions(command, menu);
    if (auto* fonts = qobject_cast<const FontMenu*>(menu))
        command.setFont(fonts->font());
}
