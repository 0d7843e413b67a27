#include "platform/ContainedTextEdit.h"

#include "platform/ContainedText.h"

#include <QMimeData>

ContainedTextEdit::ContainedTextEdit(QWidget *parent) : QTextEdit(parent)
{
    // Owned by the editor, and replaced only here, before anything is typed.
    setDocument(new ContainedTextDocument(this));
}

void ContainedTextEdit::insertFromMimeData(const QMimeData *source)
{
    // Pasted HTML that nests tables beyond reason comes in as its plain words.
    if (source && source->hasHtml() &&
        ContainedText::tableDepth(source->html()) > ContainedText::kMaxTableDepth) {
        QMimeData plain;
        plain.setText(source->hasText() ? source->text() : QString());
        QTextEdit::insertFromMimeData(&plain);
        return;
    }
    QTextEdit::insertFromMimeData(source);
}
