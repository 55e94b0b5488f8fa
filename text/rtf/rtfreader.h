// Reads RTF into a QTextDocument.
#pragma once

#include <QByteArray>

class QTextDocument;

namespace rtf {

// Replaces the document's content by the RTF in bytes. Any byte sequence is accepted:
// damaged or truncated input reads as far as it goes.
void read(const QByteArray &bytes, QTextDocument &document);

} // namespace rtf
