#include "snip/textedit.h"

#include <QTextCursor>

TextEdit::TextEdit(QWidget* parent)
    : QTextEdit(parent)
{
    // No window type: it stays a child of the overlay.
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFrameStyle(QFrame::NoFrame);
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAutoFillBackground(false);
    setTextColour(QColor(0, 0, 0, 0));
    document()->setDocumentMargin(2);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::NoWrap);
    refit();

    connect(this, &QTextEdit::textChanged, this, &TextEdit::refit);
    connect(document(), &QTextDocument::modificationChanged, this, &TextEdit::refit);
}

void TextEdit::refit()
{
    setFixedSize(document()->size().toSize());
}

void TextEdit::setTextFont(const QFont& font)
{
    setFont(font);
    emit textChanged();
}

void TextEdit::setTextColour(const QColor& colour)
{
    if (!document()->isEmpty()) {
        QTextCursor all(document());
        all.select(QTextCursor::Document);
        QTextCharFormat format;
        format.setForeground(colour);
        all.mergeCharFormat(format);
    }
    setTextColor(colour);
    // The palette covers text whose character format was reset (all deleted).
    QPalette p = palette();
    p.setColor(QPalette::Text, colour);
    setPalette(p);
}

void TextEdit::focusInEvent(QFocusEvent* event)
{
    emit focus(true);
    QTextEdit::focusInEvent(event);
}

void TextEdit::focusOutEvent(QFocusEvent* event)
{
    emit focus(false);
    hide();
    QTextEdit::focusOutEvent(event);
}
