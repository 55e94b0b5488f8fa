// The RTF reader's state: what each group carries, the tables the document declares, and the reader
// itself, whose work is spread over one source file per concern.
#pragma once

#include "text/rtf/readerkeywords.h"
#include "text/rtf/tokenizer.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QTextCursor>
#include <QTextFormat>
#include <QTextListFormat>

#include <unordered_map>
#include <vector>

class QTextDocument;
class QTextList;
class QTextTable;

namespace rtf::detail {

// Groups nested deeper than this share the state of the deepest kept group.
constexpr int MaxDepth = 1000;
// A document holds at most this many table cells; later rows are read as tab-separated text.
constexpr int MaxTableCells = 100000;
constexpr int MaxTableColumns = 64;
// Merged cells of one document beyond this many stay apart: each merge costs a pass over the table.
constexpr int MaxMerges = 2000;
// Paragraph measures in twips are clamped to +-22 inches.
constexpr int MaxTwips = 31680;
// Stand-ins of pictures that cannot be shown are drawn for this many kinds and sizes; later ones share.
constexpr size_t MaxPlaceholders = 32;

enum class Dest : unsigned char {
    Text,      // the document body
    Skip,      // ignored, with all nested groups
    FontTable,
    ColorTable,
    ListTable,
    List,
    ListLevel,
    LevelText, // a list level's number text: its bullet, or what stands around the number
    OverrideTable,
    Override,
    Field,     // the \field group itself: bare text there is not shown
    FieldInst, // the field instruction, collected as text
    Pict,
    Pn,        // old-style paragraph numbering properties
    Upr,       // \upr: only its \ud alternative is read
    Note,      // a footnote or endnote: read after the text
};

enum class PnKind : unsigned char { None, Bullet, Body, Level, Cont };
enum class NumStyle : unsigned char {
    Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman, Bullet, Circle, Square,
    None, // a level without a number: its paragraphs are plain ones
};

struct CharProps
{
    int font = -1; // -1: the document's default font
    int fs = 24;   // half points
    int fg = -1;
    int bg = -1;
    int href = -1;
    bool bold = false;
    bool italic = false;
    unsigned char underline = 0; // 1 single, 2 double, 3 words only
    bool strike = false;
    bool hidden = false;
    unsigned char vertical = 0; // 1 superscript, 2 subscript

    bool operator==(const CharProps &o) const
    {
        return font == o.font && fs == o.fs && fg == o.fg && bg == o.bg && href == o.href && bold == o.bold &&
               italic == o.italic && underline == o.underline && strike == o.strike && hidden == o.hidden &&
               vertical == o.vertical;
    }
    bool operator!=(const CharProps &o) const { return !(*this == o); }
};

struct CharPropsHash
{
    size_t operator()(const CharProps &c) const
    {
        size_t h = size_t(c.font) * 1000003u;
        h ^= size_t(c.fs) * 7919u + size_t(c.fg) * 104729u + size_t(c.bg) * 1299709u + size_t(c.href) * 15485863u;
        h ^= size_t(c.bold) | size_t(c.italic) << 1 | size_t(c.strike) << 2 | size_t(c.hidden) << 3 |
             size_t(c.vertical) << 4 | size_t(c.underline) << 6;
        return h;
    }
};

struct ParaProps
{
    int align = 0; // 0 left, 1 right, 2 centre, 3 justify
    int li = 0;
    int ri = 0;
    int fi = 0;
    int sb = 0;
    int sa = 0;
    int itap = 0;
    bool intbl = false;
    int ls = -1; // the list override of \ls, -1 for none
    int ilvl = 0;
    PnKind pnKind = PnKind::None;
    NumStyle pnStyle = NumStyle::Decimal;
    bool pnStyleSet = false;
    int pnLevel = 0;
    bool pageBreakBefore = false; // \pagebb
};

struct State
{
    Dest dest = Dest::Text;
    Dest outer = Dest::Text; // where a field result or an \ud alternative goes
    bool inUpr = false;
    int uc = 1;
    int field = -1;
    CharProps chr;
    ParaProps para;
};

struct FontInfo
{
    QByteArray nameBytes;
    QString name;
    int charset = -1;
    int cpg = 0;
};

struct ListLevelInfo
{
    int nfc = 0;
    int start = 1;
    std::vector<int> text; // the level text as read: characters, and bytes b as -(b + 1)
    NumStyle style = NumStyle::Decimal;
    QString prefix; // around the number, as the level text has it
    QString suffix = QStringLiteral(".");
};

struct ListDef
{
    int id = 0;
    std::vector<ListLevelInfo> levels;
};

// A cell of a row definition: its right boundary and how it merges with its neighbours.
enum class Merge : unsigned char { None, First, Next };
struct CellDef
{
    int right = 0; // twips from the row's left edge
    Merge across = Merge::None;
    Merge down = Merge::None;
};

// Where a cell of the table stands: its top-left cell and how many rows and columns it spans.
struct CellRect
{
    int row = 0;
    int column = 0;
    int rows = 1;
    int columns = 1;
};

// A footnote or endnote: where its group's content stands in the input, and the number of its mark.
struct NoteInfo
{
    qsizetype start = 0;
    qsizetype end = -1;
    QString label; // the mark's automatic number; empty when the note has a mark of the author's making
    bool endnote = false;
};

struct FieldInfo
{
    QString inst;
    QString href;
    bool hrefParsed = false;
    qint64 shownBefore = 0; // characters shown before the field began
};

struct PictInfo
{
    QByteArray data;
    int nibble = -1;
    int kind = 0; // 1 PNG, 2 JPEG, 3 device-dependent bitmap, 4 WMF, 5 EMF, 6 DIB
    QByteArray words; // the words of its kind and size, as written
    int picw = 0;
    int pich = 0;
    int wgoal = 0;
    int hgoal = 0;
    int scalex = 100;
    int scaley = 100;
};

bool isSymbolFontName(const QString &name);
// The character a SYMBOL field stands for, or 0 if none.
char16_t symbolFieldCharacter(const QString &inst, int codePage);
// The target of a HYPERLINK field instruction.
QString hyperlinkTarget(const QString &inst);
int clampTwips(int v);

class Reader
{
public:
    Reader(const QByteArray &bytes, QTextDocument &doc);

    void run();

private:
    void readTokens();
    void finishText();
    State &top() { return stack_.back(); }

    // groups and tokens (rtfreader.cpp)
    void groupOpen();
    void groupClose();
    void word(const Token &t);
    bool destinationWord(int kw);
    bool characterWord(int kw, const Token &t);
    void textWord(int kw);
    void symbol(char c);
    void text(QByteArrayView bytes);
    void hexByte(unsigned char b);

    // fonts, colours and code pages (readerfonts.cpp)
    bool documentWord(int kw, int p);
    void fontTableWord(int kw, int p);
    void fontTableText(QByteArrayView bytes);
    void colorTableWord(int kw, int p);
    void colorTableText(QByteArrayView bytes);
    int codePageOf(int font);
    const FontInfo *fontAt(int font);
    void decodePending();
    QTextCharFormat charFormat(const CharProps &c);

    // runs and paragraphs (readerparagraphs.cpp)
    void appendBytes(QByteArrayView bytes);
    void appendChar(char16_t c);
    void startRun();
    void flushRun();
    void prepareContent();
    void endParagraph(bool withBreak);
    void applyBlockFormat(const ParaProps &p);
    void pageBreak();
    bool paragraphWord(int kw, const Token &t);

    // lists (readerlists.cpp)
    // Where a paragraph stands in the lists, if anywhere.
    struct ListPlace
    {
        bool isList = false;
        NumStyle style = NumStyle::Decimal;
        int level = 0;
        qint64 key = -1;
        const ListLevelInfo *definition = nullptr; // the list of \ls and level, or -1 for old-style numbering
    };
    bool listWord(int kw, int p);
    void pnWord(int kw, int p);
    void closePn(const State &closed, State &parent);
    void levelText(int unit);
    void closeListLevel(const State &closed);
    ListPlace listPlaceOf(const ParaProps &p) const;
    void applyList(QTextBlockFormat bf, const ParaProps &p, const ListPlace &place);

    // tables (readertables.cpp)
    void startTable();
    void leaveTable();
    void enterCell();
    void cell();
    void row();
    bool tableWord(int kw, int p);
    void layoutRow();
    int columnEndingAt(int right);
    void insertGridColumn(size_t at, int right);
    void mergeCells();

    // footnotes and endnotes (readernotes.cpp)
    bool noteWord(int kw, const Token &t);
    void endnoteMark();
    void closeNote(const State &closed, const State &parent);
    void footnoteMark();
    void readNotes();
    void readNote(const NoteInfo &note);

    // fields and pictures (readerfields.cpp)
    bool fieldWord(int kw);
    void closeField(const State &closed, const State &parent);
    void fieldInstText(const QString &s);
    void pictWord(int kw, int p);
    void pictText(QByteArrayView bytes);
    void closePict(const State &closed, const State &parent);
    void insertPicture(const PictInfo &pict);

    QByteArrayView bytes_;
    Tokenizer tok_;
    QTextDocument &doc_;
    QTextCursor cursor_;
    std::vector<State> stack_;
    int overflow_ = 0;
    bool ended_ = false; // the brace closing the document's group was read
    qsizetype lastParagraphMark_ = -1; // where the last \par or \pard stands
    int skip_ = 0; // fallback characters of \uN still to skip
    bool starPending_ = false;

    int ansiCpg_ = 1252;
    int deff_ = -1;
    std::unordered_map<int, FontInfo> fonts_;
    int curFontTableEntry_ = -1;
    int cachedFont_ = -2;
    int cachedCp_ = 1252;

    std::vector<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;

    std::vector<ListDef> lists_;
    std::unordered_map<int, size_t> listById_;
    std::unordered_map<int, int> overrides_; // \ls -> list id
    int overrideListId_ = 0;
    int overrideLs_ = 0;
    // The document deletes a list that loses its last paragraph, so lists are held by guarded pointers.
    std::unordered_map<qint64, QPointer<QTextList>> newLists_;
    std::unordered_map<int, QPointer<QTextList>> pnLists_; // consecutive old-style numbered paragraphs, by level
    std::unordered_map<int, NumStyle> pnListStyles_;

    std::vector<FieldInfo> fields_;
    std::vector<QString> hrefs_;
    std::vector<PictInfo> picts_;
    int imageCount_ = 0;
    std::vector<std::pair<qint64, QImage>> placeholders_; // stand-ins of pictures that cannot be shown
    int footnotes_ = 0; // automatic footnote marks shown so far
    int endnotes_ = 0;
    NoteNumbering footnoteNumbering_ = NoteNumbering::Arabic;
    NoteNumbering endnoteNumbering_ = NoteNumbering::Arabic;
    int footnoteStart_ = 1;
    int endnoteStart_ = 1;
    std::vector<NoteInfo> notes_;
    int notedMarks_ = 0;     // the marks shown when the last note began
    QTextCursor lastMark_;   // the last automatic mark in the text, selected
    QTextCharFormat lastMarkFormat_;
    bool inNotes_ = false;   // reading the notes after the text
    QString noteLabel_;
    bool noteMarkShown_ = false;
    qint64 shown_ = 0; // characters and bytes of text shown so far

    // the pending run of text
    QByteArray pendBytes_;
    int pendCp_ = 1252;
    QString runText_;
    CharProps runProps_;
    bool runActive_ = false;
    std::unordered_map<CharProps, QTextCharFormat, CharPropsHash> formatCache_;
    QTextCharFormat lastCharFormat_;

    // paragraphs
    bool pendingBreak_ = false;
    CharProps blockCharProps_; // the format the current block's mark was given
    bool hasBlockCharProps_ = false;
    ParaProps finalPara_;
    bool hasFinalPara_ = false;
    bool paraHasContent_ = false;
    QTextBlockFormat appliedBf_;
    QTextBlockFormat nextBf_;
    bool pageBreakPending_ = false; // the next paragraph starts a page
    bool blockPageBreak_ = false;   // the current paragraph starts a page
    bool sectionBreak_ = false;     // a section ended; whether it starts a page is told after \sect

    // tables
    QTextTable *table_ = nullptr;
    int row_ = 0;
    int col_ = 0;
    bool rowDone_ = false;
    bool needCellMove_ = false;
    std::vector<CellDef> rowDef_; // the row definition in force
    CellDef cellDef_;             // merge flags read before the next \cellx
    std::vector<int> grid_;       // right boundaries of the table's columns
    std::vector<CellRect> cells_; // every laid-out cell of the table, by rows
    std::vector<int> rowColumns_; // for each \cell of the current row: its first column
    int rowEnd_ = 0;              // the column after the row's defined cells
    std::vector<int> openDown_;   // for each column: the entry a vertical merge continues, or -1
    int tableCells_ = 0;
    int merges_ = 0;
    bool tablesExhausted_ = false;
};

} // namespace rtf::detail
