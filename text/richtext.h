// The editor end of text transfer: a QTextDocument read from and written to bytes.
#pragma once

#include <QByteArray>

class QTextDocument;

namespace richtext {

// True when the bytes, after optional white space, begin with "{\rtf".
bool isRtf(const QByteArray &bytes);

// Replaces the document's content by the bytes: RTF when isRtf(), otherwise plain text
// (decoded by encoding::decodePlainText) in the document's default font.
void loadBytes(QTextDocument &document, const QByteArray &bytes);

// The whole document as RTF, ending in "}" CR LF.
QByteArray saveBytes(const QTextDocument &document);

} // namespace richtext
