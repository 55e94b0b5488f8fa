// A text-only pass over RTF: the words the reader would show, without formats, tables or pictures.
#include "text/rtf/plaintext.h"

#include "text/encoding.h"
#include "text/richtext.h"
#include "text/rtf/readerkeywords.h"
#include "text/rtf/tokenizer.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtf {

namespace {

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

// The destinations the reader skips or reads for formats only: none shows text.
const std::unordered_map<std::string_view, WordInfo> &words()
{
    static const std::unordered_map<std::string_view, WordInfo> table = [] {
        std::unordered_map<std::string_view, WordInfo> m;
        // Destinations the reader reads for formats only show no text either.
        for (const char *w : skippedDestinations()) {
            m.emplace(w, WordInfo{WSkipDest});
        }
        for (const char *w : {"colortbl", "listtable", "listoverridetable", "list", "listlevel", "listoverride",
                              "fldinst", "pict", "pn", "leveltext"}) {
            m.emplace(w, WordInfo{WSkipDest});
        }
        const std::pair<const char *, WordInfo> known[] = {
            {"fonttbl", {WFonttbl}}, {"field", {WField}}, {"fldrslt", {WFldrslt}}, {"upr", {WUpr}},
            {"ud", {WUd}}, {"shppict", {WTransparent}}, {"shprslt", {WTransparent}}, {"object", {WTransparent}},
            {"result", {WTransparent}}, {"nonshppict", {WNonshppict}}, {"ansicpg", {WAnsicpg}}, {"mac", {WMac}},
            {"pc", {WPc}}, {"pca", {WPca}}, {"deff", {WDeff}}, {"f", {WF}}, {"fcharset", {WFcharset}},
            {"cpg", {WCpg}}, {"plain", {WPlain}}, {"v", {WV}}, {"uc", {WUc}}, {"u", {WU}}, {"bin", {WBin}},
            {"par", {WBreak}}, {"sect", {WBreak}}, {"page", {WBreak}}, {"column", {WBreak}}, {"line", {WBreak}},
            {"row", {WBreak}}, {"nestrow", {WBreak}}, {"footnote", {WFootnote}}, {"ftnalt", {WFtnalt}},
            {"chftn", {WChftn}}, {"ftnstart", {WFtnstart}}, {"aftnstart", {WAftnstart}}, {"cell", {WTab}}, {"nestcell", {WTab}}, {"tab", {WTab}},
            {"lquote", {WChar, 0x2018}}, {"rquote", {WChar, 0x2019}}, {"ldblquote", {WChar, 0x201C}},
            {"rdblquote", {WChar, 0x201D}}, {"bullet", {WChar, 0x2022}}, {"endash", {WChar, 0x2013}},
            {"emdash", {WChar, 0x2014}}, {"enspace", {WChar, 0x2002}}, {"emspace", {WChar, 0x2003}},
            {"qmspace", {WChar, 0x2005}}, {"zwj", {WChar, 0x200D}}, {"zwnj", {WChar, 0x200C}},
        };
        for (const auto &[w, info] : known) {
            m[w] = info;
        }
        for (const std::string &w : noteNumberingWords()) {
            m[w] = WordInfo{WNoteNumbering};
        }
        return m;
    }();
    return table;
}

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

QString Collector::run()
{
    stack_.reserve(64);
    stack_.emplace_back();
    readTokens();
    flushBytes();
    lastParagraphMark_ = -1;
    inNotes_ = true;
    for (const bool endnotes : {false, true}) {
        for (const Note &note : notes_) {
            if (note.endnote == endnotes && note.end >= note.start) {
                readNote(note);
            }
        }
    }
    return out_;
}

// A note follows the text as a paragraph of its own, under its mark's number.
void Collector::readNote(const Note &note)
{
    if (!out_.isEmpty() && out_.size() != breakEnd_) {
        out_ += QLatin1Char(' ');
    }
    const qsizetype at = out_.size();
    stack_.assign(2, State());
    overflow_ = 0;
    skip_ = 0;
    starPending_ = false;
    ended_ = false;
    noteLabel_ = note.label;
    noteMarkShown_ = false;
    tok_ = Tokenizer(bytes_.sliced(note.start, note.end - note.start));
    readTokens();
    flushBytes();
    if (!noteMarkShown_ && !note.label.isEmpty() && out_.size() > at) {
        out_.insert(at, note.label + QLatin1Char(' '));
    }
}

void Collector::readTokens()
{
    while (!ended_) {
        const Token t = tok_.next();
        switch (t.kind) {
        case Token::End:
            return;
        case Token::GroupOpen:
            groupOpen();
            break;
        case Token::GroupClose:
            groupClose();
            break;
        case Token::Word:
            word(t);
            break;
        case Token::Symbol:
            symbol(t.symbol);
            break;
        case Token::HexByte:
            starPending_ = false;
            if (skip_ > 0) {
                --skip_;
            } else if (top().dest == Dest::Text) {
                const char c = char(t.byte);
                shownBytes(QByteArrayView(&c, 1));
            }
            break;
        case Token::Text: {
            starPending_ = false;
            QByteArrayView text = t.text;
            if (skip_ > 0) {
                const qsizetype n = std::min<qsizetype>(skip_, text.size());
                text = text.sliced(n);
                skip_ -= int(n);
            }
            if (top().dest == Dest::FontTable) {
                // A font entry ends at its ';'; its name is of no interest here.
                if (text.contains(';')) {
                    fontEntry_ = -1;
                }
            } else if (top().dest == Dest::Text && !text.isEmpty() &&
                       !(stack_.size() == 1 && text.trimmed().isEmpty())) {
                shownBytes(text);
            }
            break;
        }
        }
    }
}

// \chftn: the automatic number of a note's mark, in the text and at the start of the note itself.
void Collector::mark()
{
    if (top().hidden) {
        return;
    }
    const QString label = inNotes_ ? noteLabel_ : noteLabel(footnoteStart_ + marks_++, footnoteNumbering_);
    noteMarkShown_ = noteMarkShown_ || inNotes_;
    flushBytes();
    if (!inNotes_) {
        lastMark_ = out_.size();
        lastMarkLength_ = label.size();
    }
    out_ += label;
}

void Collector::groupOpen()
{
    skip_ = 0;
    starPending_ = false;
    if (int(stack_.size()) >= MaxDepth) {
        ++overflow_;
        return;
    }
    State s = stack_.back();
    if (s.dest == Dest::Upr) {
        s.dest = Dest::Skip;
        s.inUpr = true;
    }
    stack_.push_back(s);
}

void Collector::groupClose()
{
    skip_ = 0;
    starPending_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (stack_.size() <= 1) {
        return;
    }
    if (stack_.size() == 2 && tok_.position() <= lastParagraphMark_) {
        return; // a brace too many: paragraphs still follow, so the document goes on
    }
    if (stack_.back().dest == Dest::Note && stack_[stack_.size() - 2].dest != Dest::Note && !notes_.empty() &&
        notes_.back().end < 0) {
        notes_.back().end = tok_.position() - 1;
    }
    if (stack_.back().dest == Dest::FontTable && stack_[stack_.size() - 2].dest != Dest::FontTable) {
        fontEntry_ = -1;
    }
    stack_.pop_back();
    // Whatever follows the brace that closes the document's group is not part of it.
    ended_ = stack_.size() == 1;
}

int Collector::codePageOf(int font)
{
    if (font == cachedFont_) {
        return cachedCp_;
    }
    int cp = 0;
    const auto it = fonts_.find(font < 0 ? deff_ : font);
    if (it != fonts_.end()) {
        cp = it->second.codePage();
    }
    cachedFont_ = font;
    cachedCp_ = cp == 0 ? ansiCpg_ : cp;
    return cachedCp_;
}

void Collector::flushBytes()
{
    if (pending_.isEmpty()) {
        return;
    }
    if (pendingCp_ == SymbolCodePage) {
        for (const char b : std::as_const(pending_)) {
            const auto u = static_cast<unsigned char>(b);
            out_ += u < 0x20 ? QChar(u) : QChar(char16_t(0xF000 + u));
        }
    } else if (pendingCp_ != 1200 && pendingCp_ != 1201 &&
               std::all_of(pending_.cbegin(), pending_.cend(), [](char c) { return uchar(c) < 0x80; })) {
        // ASCII reads the same in every single-byte and ASCII-based code page, and is most of most documents.
        out_ += QLatin1StringView(pending_);
    } else {
        out_ += encoding::decodeCodePage(QByteArrayView(pending_), pendingCp_);
    }
    pending_.clear();
}

void Collector::shownBytes(QByteArrayView bytes)
{
    if (top().hidden) {
        return;
    }
    const int cp = codePageOf(top().font);
    if (cp != pendingCp_) {
        flushBytes();
        pendingCp_ = cp;
    }
    pending_.append(bytes.data(), bytes.size());
}

void Collector::shownChar(char16_t c)
{
    if (top().hidden) {
        return;
    }
    flushBytes();
    out_ += QChar(c);
}

void Collector::symbol(char c)
{
    if (c == '*') {
        starPending_ = true;
        return;
    }
    starPending_ = false;
    if (skip_ > 0) {
        --skip_;
        return;
    }
    if (top().dest != Dest::Text) {
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        shownBytes(QByteArrayView(&c, 1));
        break;
    case '~':
        shownChar(0x00A0);
        break;
    case '_':
        shownChar(0x2011);
        break;
    case '\t':
        shownChar(u'\t');
        break;
    case '-':
        shownChar(0x00AD);
        break;
    default:
        break;
    }
}

void Collector::word(const Token &t)
{
    const auto &table = words();
    const auto found = table.find(std::string_view(t.word.data(), size_t(t.word.size())));
    const WordInfo info = found == table.end() ? WordInfo() : found->second;
    const bool star = starPending_;
    starPending_ = false;
    State &s = top();
    const int p = t.param;

    if (info.word == WBin) {
        tok_.takeBinary(t.hasParam ? p : 0);
        if (skip_ > 0) {
            --skip_;
        }
        return;
    }
    if (info.word == WU) {
        int v = t.hasParam ? p : 0;
        if (v < 0) {
            v += 65536;
        }
        skip_ = 0;
        if (v > 0 && v <= 0xFFFF && s.dest == Dest::Text) {
            shownChar(char16_t(v));
        }
        skip_ = s.uc;
        return;
    }
    if (skip_ > 0) {
        --skip_;
        return;
    }
    const bool readDestination = info.word == WFonttbl || info.word == WField || info.word == WFldrslt ||
                                 info.word == WUpr || info.word == WUd || info.word == WTransparent ||
                                 info.word == WNonshppict || info.word == WFootnote;
    if (star && !readDestination && info.word != WSkipDest) {
        s.dest = Dest::Skip;
        return;
    }
    if (s.dest == Dest::Note) {
        if (info.word == WFtnalt && !notes_.empty() && !notes_.back().endnote) {
            // An endnote: its mark, shown as the next footnote's, takes the next endnote's number.
            Note &note = notes_.back();
            note.endnote = true;
            if (!note.label.isEmpty()) {
                notedMarks_ = --marks_;
                note.label = noteLabel(endnoteStart_ + endnotes_++, endnoteNumbering_);
                if (lastMark_ >= 0) {
                    out_.replace(lastMark_, lastMarkLength_, note.label);
                }
            }
            lastMark_ = -1;
        }
        return;
    }
    if (s.dest == Dest::Skip) {
        if (info.word == WUd && s.inUpr) {
            s.dest = s.outer;
            s.inUpr = false;
        }
        return;
    }
    switch (info.word) {
    case WSkipDest:
    case WNonshppict:
        s.dest = Dest::Skip;
        return;
    case WFonttbl:
        s.dest = Dest::FontTable;
        return;
    case WField:
        s.outer = s.dest;
        s.dest = Dest::Field;
        return;
    case WFldrslt:
        if (s.dest == Dest::Field) {
            s.dest = s.outer;
        } else if (s.dest != Dest::Text) {
            s.dest = Dest::Skip;
        }
        return;
    case WUpr:
        s.outer = s.dest;
        s.dest = Dest::Upr;
        return;
    case WFootnote:
        if (s.dest == Dest::Text && !inNotes_ && notes_.size() < 10000) {
            // A note without an automatic mark of its own since the last one has a mark the author wrote.
            // A note without an automatic mark of its own since the last one has a mark the author wrote.
            const bool marked = marks_ > notedMarks_;
            notes_.push_back(Note{tok_.position(), -1,
                                  marked ? noteLabel(footnoteStart_ + marks_ - 1, footnoteNumbering_) : QString(), false});
            notedMarks_ = marks_;
            if (!marked) {
                lastMark_ = -1;
            }
            s.dest = Dest::Note;
        } else {
            s.dest = Dest::Skip;
        }
        return;
    default:
        break;
    }
    if (s.dest == Dest::FontTable) {
        if (info.word == WF) {
            fontEntry_ = p;
            if (fonts_.size() < MaxFonts) {
                fonts_[p] = FontCodePage();
            }
            cachedFont_ = -2;
        } else if ((info.word == WFcharset || info.word == WCpg) && fontEntry_ >= 0) {
            const auto it = fonts_.find(fontEntry_);
            if (it != fonts_.end()) {
                (info.word == WFcharset ? it->second.charset : it->second.cpg) = p;
            }
            cachedFont_ = -2;
        }
        return;
    }
    switch (info.word) {
    case WAnsicpg:
        ansiCpg_ = (p > 0 && encoding::isKnownCodePage(p)) ? p : 1252;
        cachedFont_ = -2;
        return;
    case WMac:
        ansiCpg_ = 10000;
        cachedFont_ = -2;
        return;
    case WPc:
        ansiCpg_ = 437;
        cachedFont_ = -2;
        return;
    case WPca:
        ansiCpg_ = 850;
        cachedFont_ = -2;
        return;
    case WDeff:
        deff_ = p;
        cachedFont_ = -2;
        return;
    case WNoteNumbering: {
        bool endnotes = false;
        NoteNumbering numbering = NoteNumbering::Arabic;
        if (noteNumberingOf(t.word, &endnotes, &numbering)) {
            (endnotes ? endnoteNumbering_ : footnoteNumbering_) = numbering;
        }
        return;
    }
    case WFtnstart:
        footnoteStart_ = std::max(1, std::min(p, 9999));
        return;
    case WAftnstart:
        endnoteStart_ = std::max(1, std::min(p, 9999));
        return;
    case WF:
        s.font = t.hasParam ? p : -1;
        return;
    case WUc:
        s.uc = static_cast<unsigned char>(std::max(0, std::min(16, p)));
        return;
    case WPlain:
        s.hidden = false;
        s.font = -1;
        return;
    case WV:
        s.hidden = !t.hasParam || p != 0;
        return;
    default:
        break;
    }
    if (s.dest != Dest::Text) {
        return;
    }
    switch (info.word) {
    case WBreak:
        shownChar(u' ');
        breakEnd_ = out_.size();
        return;
    case WTab:
        shownChar(u'\t');
        return;
    case WChar:
        shownChar(info.ch);
        return;
    case WChftn:
        mark();
        return;
    default:
        return;
    }
}

} // namespace

QString plainText(QByteArrayView bytes)
{
    Collector collector(bytes);
    return collector.run();
}

} // namespace rtf

namespace richtext {

QString shownText(const QByteArray &bytes)
{
    if (isRtf(bytes)) {
        return rtf::plainText(QByteArrayView(bytes).trimmed());
    }
    QString text = encoding::decodePlainText(bytes);
    for (QChar &c : text) {
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = u' ';
        }
    }
    return text;
}

} // namespace richtext
