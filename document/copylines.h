// Moves a leaf's text between a record's line list and a rich-text document.
#pragma once

#include "document/tvclasses.h"

class QTextDocument;

// Record to editor: the lines' bytes are read as RTF, or as plain text when they are not RTF.
// Throws AppError("Failed to Load Stream") when neither works.
void CopyLines(const LineList &source, QTextDocument &destination);

// Editor to record: the document written as RTF, split into lines.
// Throws AppError("Failed to Save Stream") when it cannot be written.
void CopyLines(const QTextDocument &source, LineList &destination);
