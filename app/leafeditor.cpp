// A rich-text editor of leaf text: reports losing the focus and the keys typed and released.
#include "app/leafeditor.h"

#include "text/talllayout.h"

#include <QFocusEvent>
#include <QKeyEvent>

LeafEditor::LeafEditor(QWidget *parent) : QTextEdit(parent)
{
    // Text loaded here is laid out lazily when it is too tall for Qt's own layout.
    textlayout::markShown(*document());
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

namespace {

// Ctrl+Y redoes typing in the editor as Ctrl+Shift+Z does; elsewhere in the window it redoes the outline.
bool isRedoKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier;
}

} // namespace

bool LeafEditor::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && !isReadOnly() && isRedoKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QTextEdit::event(event);
}

void LeafEditor::keyPressEvent(QKeyEvent *event)
{
    if (!isReadOnly() && isRedoKey(event)) {
        redo();
        event->accept();
        return;
    }
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
