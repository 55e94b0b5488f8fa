// Moves a leaf's text between a record's line list and a rich-text document.
#include "document/copylines.h"

#include "text/richtext.h"

void CopyLines(const LineList &source, QTextDocument &destination)
{
    richtext::loadBytes(destination, joinLines(source));
}

void CopyLines(const QTextDocument &source, LineList &destination)
{
    destination = splitLines(richtext::saveBytes(source));
}
