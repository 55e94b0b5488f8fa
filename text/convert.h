// Converts a document (RTF or plain text) to plain text, HTML or RTF, as the command-line tool does.
#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace convert {

enum class Format { Text, Html, Rtf };

// Parses "text", "html" or "rtf"; returns false for anything else.
bool parseFormat(const QString &name, Format &format);

// Plain text in UTF-8: one line per paragraph, table cells separated by tabs.
QString plainText(const QTextDocument &document);

// Replaces the document's content by the bytes, read as the editor reads them: RTF when they
// begin with "{\rtf" after optional white space, otherwise plain text.
void readDocument(const QByteArray &input, QTextDocument &document);

// Reads the bytes as the editor does and writes them in the format.
QByteArray convertBytes(QByteArray input, Format format);

} // namespace convert
