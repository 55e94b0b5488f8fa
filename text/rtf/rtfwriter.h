// Writes a QTextDocument as RTF.
#pragma once

#include <QByteArray>
#include <QStringView>

class QTextDocument;

namespace rtf {

// A 7-bit clean RTF 1.x document ending in "}" CR LF.
QByteArray write(const QTextDocument &document);

// What write() gives for a document in fontSource's default font whose content is text set as plain text
// (QTextDocument::setPlainText), without building that document: a line a paragraph.
QByteArray writePlainText(const QTextDocument &fontSource, QStringView text);

} // namespace rtf
