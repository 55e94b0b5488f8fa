// The text-only pass's state: what it knows of groups, fonts and notes while it collects the shown words.
#pragma once

#include "text/rtf/readerkeywords.h"
#include "text/rtf/tokenizer.h"

#include <QByteArrayView>
#include <QString>

#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtf::plain {

// As in the reader: groups nested deeper than this share the state of the deepest kept group.
constexpr int MaxDepth = 1000;
// At most this many fonts are remembered; later entries use the document's code page.
constexpr int MaxFonts = 100000;
enum class Dest : unsigned char {
    Text,      // shown
    Skip,      // not shown, with all nested groups
    FontTable, // font numbers and their character sets
    Field,     // the \field group itself: bare text there is not shown
    Upr,       // \upr: only its \ud alternative is read
    Note,      // a footnote or endnote: read after the text
};

struct State
{
    Dest dest = Dest::Text;
    Dest outer = Dest::Text; // where a field result or an \ud alternative goes
    bool inUpr = false;
    bool hidden = false;
    unsigned char uc = 1;
    int font = -1;
};

enum Word : unsigned char {
    WUnknown, WSkipDest, WFonttbl, WField, WFldrslt, WUpr, WUd, WTransparent, WNonshppict, WAnsicpg, WMac,
    WPc, WPca, WDeff, WF, WFcharset, WCpg, WPlain, WV, WUc, WU, WBin, WBreak, WTab, WChar, WFootnote, WFtnalt,
    WChftn, WNoteNumbering, WFtnstart, WAftnstart,
};

struct WordInfo
{
    Word word = WUnknown;
    char16_t ch = 0; // WChar: the character shown
};

// The control words the pass knows, each with what it does.
const std::unordered_map<std::string_view, WordInfo> &words();

struct FontCodePage
{
    int charset = -1;
    int cpg = 0;
    int codePage() const { return cpg > 0 ? cpg : (charset >= 0 ? charsetCodePage(charset) : 0); }
};

class Collector
{
public:
    explicit Collector(QByteArrayView bytes)
        : bytes_(bytes), tok_(bytes), lastParagraphMark_(bytes.lastIndexOf(QByteArrayView("\\par")))
    {
        out_.reserve(bytes.size() / 2);
    }

    QString run();

private:
    // A footnote or endnote, read after the text as the reader shows it.
    struct Note
    {
        qsizetype start = 0;
        qsizetype end = -1;
        QString label; // empty: the note has a mark of the author's making
        bool endnote = false;
    };

    void readTokens();
    void readNote(const Note &note);
    void mark();
    State &top() { return stack_.back(); }
    void groupOpen();
    void groupClose();
    void word(const Token &t);
    void symbol(char c);
    void shownBytes(QByteArrayView bytes);
    void shownChar(char16_t c);
    void flushBytes();
    int codePageOf(int font);

    QByteArrayView bytes_;
    Tokenizer tok_;
    std::vector<State> stack_;
    int overflow_ = 0;
    qsizetype lastParagraphMark_ = -1;
    bool ended_ = false;
    std::vector<Note> notes_;
    int marks_ = 0;
    int endnotes_ = 0;
    int notedMarks_ = 0;
    NoteNumbering footnoteNumbering_ = NoteNumbering::Arabic;
    NoteNumbering endnoteNumbering_ = NoteNumbering::Arabic;
    int footnoteStart_ = 1;
    int endnoteStart_ = 1;
    qsizetype lastMark_ = -1; // where the last automatic mark stands in the text
    qsizetype lastMarkLength_ = 0;
    bool inNotes_ = false;
    QString noteLabel_;
    bool noteMarkShown_ = false;
    qsizetype breakEnd_ = -1; // where the text stood after its last paragraph break
    int skip_ = 0;
    bool starPending_ = false;
    int ansiCpg_ = 1252;
    int deff_ = 0;
    int fontEntry_ = -1;
    std::unordered_map<int, FontCodePage> fonts_;
    int cachedFont_ = -2;
    int cachedCp_ = 0;
    QByteArray pending_; // shown bytes not yet decoded, all in pendingCp_
    int pendingCp_ = 0;
    QString out_;
};

} // namespace rtf::plain
