// A rich-text editor of leaf text: reports losing the focus and the keys typed and released.
#include "app/leafeditor.h"

#include <QFocusEvent>
#include <QKeyEvent>

LeafEditor::LeafEditor(QWidget *parent) : QTextEdit(parent)
{
}

void LeafEditor::typeKey(QKeyEvent *event)
{
    QTextEdit::keyPressEvent(event);
}

void LeafEditor::focusOutEvent(QFocusEvent *event)
{
    QTextEdit::focusOutEvent(event);
    emit exited();
}

void LeafEditor::keyPressEvent(QKeyEvent *event)
{
    event->setAccepted(false);
    emit keyPressed(event);
    if (event->isAccepted()) {
        return;
    }
    event->setAccepted(true);
    QTextEdit::keyPressEvent(event);
}

void LeafEditor::keyReleaseEvent(QKeyEvent *event)
{
    QTextEdit::keyReleaseEvent(event);
    emit keyReleased(event);
}
