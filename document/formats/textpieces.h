// A leaf's text cut into pieces each short enough for one text layout, for printing texts of any length.
#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

class QTextDocument;
class QTextTable;

namespace formats {

// The text layout places lines in 26.6 fixed point, so a document laid out taller than about 8.4 million
// pixels never finishes. A piece is kept to a quarter of that by an estimate that errs on the tall side.
constexpr qreal MaxPieceHeight = 2'000'000;

// A run of a document: the positions from and to (the last character, not the block separator after it),
// or, with table set, the rows firstRow to lastRow of a table too tall for one piece.
struct TextPiece
{
    int from = 0;
    int to = 0;
    QTextTable *table = nullptr;
    int firstRow = 0;
    int lastRow = 0;
};

// The pieces of document in order, each estimated at most maxHeight pixels tall when laid out width pixels
// wide at dpi dots per inch. A document short enough comes back as one piece of everything. Cuts fall
// between paragraphs (outside lists where one is near), between table rows, and within a paragraph only
// when it alone is too tall.
std::vector<TextPiece> textPieces(const QTextDocument &document, qreal width, qreal dpi,
                                  qreal maxHeight = MaxPieceHeight);

// True when piece covers the whole of document (it can then be laid out as it is, without a copy).
bool isWholeDocument(const QTextDocument &document, const TextPiece &piece);

// A new document holding piece of source with its formats, its pictures (looked up in source, which must
// outlive the copy) and source's default font. The copy has no layout yet and a document margin of 0.
std::unique_ptr<QTextDocument> copyPiece(QTextDocument &source, const TextPiece &piece);

} // namespace formats
