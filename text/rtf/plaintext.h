// The text a document shows, as one line of plain text, read without building a QTextDocument.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace rtf {

// The text the RTF reader would show for the bytes: formatting runs joined, \'hh decoded in the code
// page of the run's font (or \ansicpg), \uN with its \ucN fallback skipped, field results kept, hidden
// text and skipped destinations left out. Paragraph, line and page breaks become one space each and
// tabs stay tabs, so a phrase can be found across a line break. Nesting is kept on a bounded stack.
QString plainText(QByteArrayView bytes);

} // namespace rtf

namespace richtext {

// The shown text of a leaf's bytes as plain text: RTF through rtf::plainText, anything else decoded as
// the editor decodes plain text, with line breaks as spaces.
QString shownText(const QByteArray &bytes);

} // namespace richtext
