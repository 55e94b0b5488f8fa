// The RTF writer's shared parts: the bytes of RTF output (numbers, control words, escaped text) and
// the writer itself, whose work is spread over one source file per concern.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTextFormat>
#include <QTextListFormat>

#include <vector>

class QTextBlock;
class QTextDocument;
class QTextFrame;
class QTextList;
class QTextTable;
class QTextTableCell;

namespace rtf::detail {

// Document units are pixels at 96 dpi; RTF measures in twips (1/1440 inch): 15 twips a pixel.
constexpr int TwipsPerPixel = 15;
// Qt indents a list by 40 pixels a level.
constexpr int ListIndentPixels = 40;
// A list paragraph without a stored hanging indent hangs by one list level, 40 px = 30 pt.
constexpr double DefaultHangingPoints = 30.0;

extern const char HexDigits[];

void appendInt(QByteArray &out, qint64 value);
void appendControl(QByteArray &out, const char *word, qint64 value);
// Measures from a document may be anything; RTF numbers are kept within what readers take.
int roundToInt(double value);
// Text escaped for RTF: \ { } escaped, tab and line break as control words, Windows-1252 as \'hh,
// everything else as \uN?.
void appendText(QByteArray &out, const QChar *chars, qsizetype length);
void appendText(QByteArray &out, const QString &text);
// The RTF font family of a face name, so that a reader without the face picks a similar one.
const char *fontFamilyWord(const QString &name);

// One document's writer: a single pass over blocks and fragments into the body, collecting the
// font and colour tables on the way; the header is put in front at the end.
class Writer
{
public:
    explicit Writer(const QTextDocument &document);

    QByteArray write();
    // What write() gives for the document once its content is text, set as plain text: one unformatted
    // paragraph per line, in the document's default font.
    QByteArray writePlain(QStringView text);

private:
    int fontIndex(const QString &family);

    // The list's entry in the list override table, counted from 1; the parts of a list the reader split
    // share the entry of its first part.
    int listNumber(QTextList *list);

    QTextList *firstPartOf(const QTextList &list) const;

    // The item's number as QTextList::itemText() shows it. The writer meets a list's items in document
    // order, so it counts them rather than have the list search for each one.
    QString itemText(QTextList *list, const QTextBlock &block);

    // One list definition per list of the document, its levels alike, numbered or bulleted as the
    // list is; a paragraph's own indents override the level's.
    void appendListTables(QByteArray &out) const;

    int symbolFont();

    // Index in the colour table; 0 is the reader's automatic colour, so entries count from 1.
    int colourIndex(QRgb rgb);

    QString familyOf(const QTextCharFormat &format) const;

    // "\plain\fN\fsN\b\i... " for a character format; cached by format index, since a document
    // has few distinct formats and many fragments.
    const QByteArray &runPrefix(int formatIndex, const QTextCharFormat &format);

    void writeFrame(const QTextFrame *frame, int tableDepth);

    // Rows of \trowd cell boundaries, cells ended by \cell and rows by \row. A table inside a
    // cell is written as its cells' paragraphs, in order, within the outer cell.
    void writeTable(QTextTable *table, int tableDepth);

    void writeCellContent(const QTextTableCell &cell, int tableDepth);

    // Every paragraph ends with \par, the last one included, as word processors write it; in a
    // table cell \par only separates paragraphs, since \cell ends the last one.
    void writeBlock(const QTextBlock &block, bool inTable);

    void writeParagraphFormat(const QTextBlock &block, bool inTable);

    void writeBlockContent(const QTextBlock &block, bool inTable);

    // A picture read from RTF in its own form, any other as PNG data in hex; pictures the document cannot
    // give are left out.
    void writeImage(const QTextImageFormat &format);
    void appendHex(const QByteArray &data);

    QByteArray assemble();

    struct Prefix
    {
        QByteArray bytes;
        bool ready = false;
    };

    const QTextDocument &document_;
    QString defaultFamily_;
    double defaultPoints_ = 12.0;
    QHash<QString, int> fonts_;
    QStringList fontNames_;
    int symbolFont_ = -1;
    QHash<const QTextList *, int> lists_;
    QList<QTextListFormat> listFormats_;
    QHash<const QTextList *, int> itemsWritten_;
    QHash<QRgb, int> colours_;
    QList<QRgb> colourList_;
    std::vector<Prefix> prefixes_;
    QByteArray scratch_;
    QByteArray body_;
    bool needsBreak_ = false;
    bool raised_ = false; // the last run written was superscript or subscript
};

} // namespace rtf::detail
