// Known formatting facts of documents and how they are checked, shared by the parts of the
// formatting-facts benchmark.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTextCursor>

#include <vector>

class QTextDocument;

namespace facts {

enum class Kind {
    Text,
    Bold,
    Italic,
    Underline,
    Strike,
    Align,
    Family,
    Size,
    Colour,
    List,
    ListStyle,
    ListLevel,
    Link,
    Cell,
    PageBreak,
    NoteMark,
    NoteText,
    Count
};

inline const char *const KindNames[] = {"text",       "bold",       "italic", "underline", "strike-out", "alignment",
                                 "font family", "size",      "colour", "list item", "list style", "list level",
                                 "link",       "table cell", "page break", "note mark", "note text"};

// One thing a word processor shows about a piece of text. The text names the run or the paragraph
// (its first occurrence); the value is what it must be:
//   bold/italic/underline/strike-out "1" or "0"; alignment left|center|right|justify; family a name;
//   size in points; colour #rrggbb; list item none|bullet|number; list style disc|circle|square|
//   decimal|lower-roman|upper-roman|lower-alpha|upper-alpha; list level 1-based; link the href;
//   table cell "ROWSxCOLUMNS" spanned or "none"; page break "1" or "0"; note mark the mark right after
//   the text; note text: the text of the body the note's text must follow.
struct Fact {
    Kind kind;
    QString text;
    QString value;
};

enum class Source { Html, Fodt, Rtf };

struct Sample {
    QString name;
    Source source;
    QByteArray content;
    std::vector<Fact> facts = {};
    bool fromCorpus = false;
};

// Facts of a text with no character formatting of its own.
void plain(std::vector<Fact> &facts, const QString &text);

// The first occurrence of text, any run of spaces matching any other: HTML collapses them.
QTextCursor findText(const QTextDocument &doc, const QString &text);

// Whether the fact holds in doc; seen gets what the document has instead.
bool holds(const QTextDocument &doc, const Fact &fact, QString *seen);

// Runs of at least a few letters whose text occurs once in the document, with their bold, italic,
// underline and strike-out; paragraphs with their list kind and table cell.
std::vector<Fact> factsOf(const QTextDocument &doc);

// Documents written as HTML and flat ODF, to be turned into RTF by LibreOffice.
void addLibreOfficeSamples(std::vector<Sample> &samples);

// RTF written by hand in the manner of other producers.
void addHandSamples(std::vector<Sample> &samples);

} // namespace facts
