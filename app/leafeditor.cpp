#include "app/leafeditor.h"

LeafEditor::LeafEditor(QWidget *parent) : QTextEdit(parent)
{
}
