// Writes a QTextDocument as RTF.
#pragma once

#include <QByteArray>

class QTextDocument;

namespace rtf {

// A 7-bit clean RTF 1.x document ending in "}" CR LF.
QByteArray write(const QTextDocument &document);

} // namespace rtf
