// Finding text by the outline's rules: the one form shown text takes to be searched, and finding in a document.
#pragma once

#include <QString>
#include <QStringView>
#include <QTextCursor>

#include <vector>

class QTextDocument;

namespace finding {

// Where each character of a searchable text came from: character i was made from the shown characters
// from[i] up to (not including) to[i].
struct SourceMap
{
    std::vector<qsizetype> from;
    std::vector<qsizetype> to;
};

// The text find matches against, made from text as it is shown. The outline's index, the tool, the
// editor's selection and the query all go through this one function, so whatever the outline's find
// counts the editor selects:
// - every run of white space is one space: spaces, tabs, line and paragraph breaks (CR LF included),
//   the boundaries of table cells and frames, no-break and other Unicode spaces;
// - format characters are left out: the optional (soft) hyphen, zero-width spaces and joiners,
//   direction marks; so is the stand-in character of a picture;
// - a non-breaking hyphen is a hyphen;
// - letters are fully case-folded (Unicode CaseFolding.txt, mappings C and F): "ß" and "ẞ" are "ss",
//   "ﬁ" is "fi", "Σ" and "ς" are "σ"; "İ" is "i". Accents stay: "é" is not "e".
// map, when given, receives where each character came from.
QString searchable(QStringView shown, SourceMap *map = nullptr);

// A cursor selecting the first occurrence of query at or after document position from, or a null cursor.
// The document is searched as searchable() makes its text, a table's cells and the document's blocks
// included; the selection covers the shown characters the match was made from.
QTextCursor find(const QTextDocument &document, const QString &query, int from = 0);

} // namespace finding
