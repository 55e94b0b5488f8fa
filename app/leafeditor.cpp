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
    if (onExit) {
        onExit();
    }
}

void LeafEditor::keyPressEvent(QKeyEvent *event)
{
    if (onKeyPress) {
        event->setAccepted(false);
        onKeyPress(event);
        if (event->isAccepted()) {
            return;
        }
        event->setAccepted(true);
    }
    QTextEdit::keyPressEvent(event);
}

void LeafEditor::keyReleaseEvent(QKeyEvent *event)
{
    QTextEdit::keyReleaseEvent(event);
    if (onKeyUp) {
        onKeyUp(event);
    }
}
