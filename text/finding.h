// Finding a query in an editor's document by the rules of the outline's find: letter case folded, breaks as spaces.
#pragma once

#include <QString>
#include <QTextCursor>

class QTextDocument;

namespace finding {

// The document's text as finding sees it, one character per document position: paragraph and line
// breaks (and table boundaries) are spaces, letters case-folded.
QString foldedText(const QTextDocument &document);

// A cursor selecting the first occurrence of query at or after position from, or a null cursor.
QTextCursor find(const QTextDocument &document, const QString &query, int from = 0);

} // namespace finding
