// The editor end of text transfer: a QTextDocument read from and written to bytes.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QTextFormat>

class QTextDocument;

namespace richtext {

// Block property of a list paragraph: the hanging indent of its first line, in points (double).
constexpr int HangingIndentProperty = QTextFormat::UserProperty + 1;
// List property of a part of a long bulleted list that the RTF reader holds in several QTextLists: the object
// index of the list's first part (int). The writer saves the parts as that one list.
constexpr int ListFirstPartProperty = QTextFormat::UserProperty + 2;

// The base font: what new and plain text in the leaf editor takes, and what imported text is written in.
QFont baseFont();

// True when the bytes, after optional white space, begin with "{\rtf".
bool isRtf(const QByteArray &bytes);

// Replaces the document's content by the bytes: RTF when isRtf(), otherwise plain text
// (decoded by encoding::decodePlainText) in the document's default font.
// Throws AppError("Failed to Load Stream") when the bytes can be read neither way.
void loadBytes(QTextDocument &document, const QByteArray &bytes);

// Replaces the document's content by plain text, unformatted, in the document's default font.
void loadPlainText(QTextDocument &document, const QString &text);

// The whole document as RTF, ending in "}" CR LF.
// Throws AppError("Failed to Save Stream") when it cannot be written.
QByteArray saveBytes(const QTextDocument &document);

} // namespace richtext
