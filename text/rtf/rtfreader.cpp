// Reads RTF into a QTextDocument: fonts, code pages, character and paragraph formats, lists, tables,
// hyperlinks and pictures. Nesting is kept on an explicit stack, so no input can exhaust the call stack.
// This file walks the tokens and keeps the groups; each concern has a file of its own beside it.
#include "text/rtf/rtfreader.h"

#include "text/encoding.h"
#include "text/richtext.h"
#include "text/rtf/readerkeywords.h"
#include "text/rtf/readerstate.h"

#include <QTextDocument>

namespace rtf {

namespace detail {

Reader::Reader(const QByteArray &bytes, QTextDocument &doc)
    : bytes_(bytes), tok_(bytes), doc_(doc), cursor_(&doc), lastParagraphMark_(bytes.lastIndexOf("\\par"))
{
}

void Reader::run()
{
    stack_.reserve(64);
    stack_.emplace_back();
    cursor_.beginEditBlock();
    appliedBf_ = cursor_.blockFormat();
    nextBf_ = appliedBf_;
    readTokens();
    finishText();
    readNotes();
    cursor_.endEditBlock();
}

void Reader::readTokens()
{
    while (!ended_) {
        const Token t = tok_.next();
        switch (t.kind) {
        case Token::End:
            break;
        case Token::GroupOpen:
            groupOpen();
            continue;
        case Token::GroupClose:
            groupClose();
            continue;
        case Token::Word:
            word(t);
            continue;
        case Token::Symbol:
            symbol(t.symbol);
            continue;
        case Token::HexByte:
            hexByte(t.byte);
            continue;
        case Token::Text:
            text(t.text);
            continue;
        }
        break;
    }
}

// Ends what the input left open: a truncated document's groups (so pending pictures and fields end
// properly), its last paragraph and its table.
void Reader::finishText()
{
    lastParagraphMark_ = -1;
    while (stack_.size() > 1) {
        groupClose();
    }
    flushRun();
    if (paraHasContent_ && !pendingBreak_) {
        applyBlockFormat(hasFinalPara_ ? finalPara_ : top().para);
    }
    if (table_) {
        leaveTable();
    }
}

void Reader::groupOpen()
{
    skip_ = 0;
    starPending_ = false;
    if (int(stack_.size()) >= MaxDepth) {
        ++overflow_;
        return;
    }
    State s = stack_.back();
    // Inside these destinations a nested group without a word of its own is still part of them;
    // nested groups of \upr are its alternatives, of which only \ud is read.
    switch (s.dest) {
    case Dest::Upr:
        s.dest = Dest::Skip;
        s.inUpr = true;
        break;
    case Dest::Override:
    case Dest::Pn:
        s.dest = Dest::Skip;
        break;
    default:
        break;
    }
    stack_.push_back(s);
}

void Reader::groupClose()
{
    skip_ = 0;
    starPending_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (stack_.size() <= 1) {
        return; // an extra closing brace
    }
    if (stack_.size() == 2 && tok_.position() <= lastParagraphMark_) {
        // A brace too many inside the document (some producers write one after a shape): paragraphs
        // still follow, so the document goes on.
        return;
    }
    const State closed = stack_.back();
    stack_.pop_back();
    if (stack_.size() == 1) {
        // The paragraph properties in force when the document's group ends format its last paragraph;
        // whatever follows that brace is not part of the document.
        finalPara_ = closed.para;
        hasFinalPara_ = true;
        ended_ = true;
    }
    State &parent = stack_.back();
    switch (closed.dest) {
    case Dest::Pn:
        closePn(closed, parent);
        break;
    case Dest::Pict:
        closePict(closed, parent);
        break;
    case Dest::ListLevel:
        if (parent.dest != Dest::ListLevel) {
            closeListLevel(closed);
        }
        break;
    case Dest::FontTable:
        if (parent.dest != Dest::FontTable) {
            curFontTableEntry_ = -1;
        }
        break;
    default:
        break;
    }
    closeField(closed, parent);
    closeNote(closed, parent);
}

void Reader::word(const Token &t)
{
    const int kw = keywordOf(t.word);
    const bool star = starPending_;
    starPending_ = false;
    State &s = top();

    if (kw == KwBin) {
        // Binary data counts as one character of a \u fallback.
        const QByteArrayView data = tok_.takeBinary(t.hasParam ? t.param : 0);
        if (skip_ > 0) {
            --skip_;
            return;
        }
        if (s.dest == Dest::Pict && !picts_.empty()) {
            picts_.back().data.append(data.data(), data.size());
        }
        return;
    }
    if (kw == KwU) {
        int v = t.hasParam ? t.param : 0;
        if (v < 0) {
            v += 65536;
        }
        skip_ = 0;
        if (v > 0 && v <= 0xFFFF) {
            if (s.dest == Dest::Text) {
                appendChar(char16_t(v));
            } else if (s.dest == Dest::FieldInst) {
                fieldInstText(QString(QChar(char16_t(v))));
            } else if (s.dest == Dest::LevelText) {
                levelText(v);
            }
        }
        skip_ = s.uc;
        return;
    }
    if (skip_ > 0) {
        --skip_;
        return;
    }
    if (star && !isReadDestination(kw)) {
        s.dest = Dest::Skip;
        return;
    }
    if (s.dest == Dest::Note) {
        if (kw == KwFtnalt) {
            endnoteMark();
        }
        return;
    }
    if (s.dest == Dest::Skip) {
        // \ud is the alternative of \upr that is read.
        if (kw == KwUd && s.inUpr) {
            s.dest = s.outer;
            s.inUpr = false;
        }
        return;
    }

    const int p = t.param;
    if (destinationWord(kw) || listWord(kw, p) || fieldWord(kw) || noteWord(kw, t)) {
        return;
    }
    // Words that only matter in certain destinations.
    switch (s.dest) {
    case Dest::FontTable:
        fontTableWord(kw, p);
        return;
    case Dest::ColorTable:
        colorTableWord(kw, p);
        return;
    case Dest::Pict:
        pictWord(kw, p);
        return;
    case Dest::Pn:
        pnWord(kw, p);
        return;
    default:
        break;
    }
    // Document, character and paragraph words, valid in any destination that keeps formatting.
    if (documentWord(kw, p) || characterWord(kw, t) || paragraphWord(kw, t) || tableWord(kw, p)) {
        return;
    }
    if (s.dest == Dest::Text) {
        textWord(kw);
    }
}

// The words that open a destination of their own; fields, pictures and lists have their own files.
bool Reader::destinationWord(int kw)
{
    State &s = top();
    switch (kw) {
    case KwUnknown:
        return true;
    case KwSkipDest:
        s.dest = Dest::Skip;
        return true;
    case KwFonttbl:
        s.dest = Dest::FontTable;
        return true;
    case KwColortbl:
        s.dest = Dest::ColorTable;
        red_ = green_ = blue_ = -1;
        return true;
    case KwUpr:
        s.outer = s.dest;
        s.dest = Dest::Upr;
        return true;
    case KwUd:
        return true; // only meaningful inside \upr, handled above
    case KwShppict:
    case KwTransparentDest:
        return true;
    case KwNonshppict:
        s.dest = Dest::Skip;
        return true;
    default:
        return false;
    }
}

bool Reader::characterWord(int kw, const Token &t)
{
    State &s = top();
    CharProps &c = s.chr;
    const int p = t.param;
    const bool on = !t.hasParam || t.param != 0;
    switch (kw) {
    case KwF:
        c.font = t.hasParam ? p : -1;
        return true;
    case KwUc:
        s.uc = std::max(0, std::min(16, p));
        return true;
    case KwPlain: {
        const int href = c.href;
        c = CharProps();
        c.href = href;
        return true;
    }
    case KwFs:
        c.fs = (t.hasParam && p > 0) ? std::min(p, 3276) : 24;
        return true;
    case KwB:
        c.bold = on;
        return true;
    case KwI:
        c.italic = on;
        return true;
    case KwUl:
        c.underline = on ? 1 : 0;
        return true;
    case KwUldb:
        c.underline = on ? richtext::DoubleUnderline : 0;
        return true;
    case KwUlw:
        c.underline = on ? richtext::WordUnderline : 0;
        return true;
    case KwUlnone:
        c.underline = 0;
        return true;
    case KwStrike:
        c.strike = on;
        return true;
    case KwCf:
        c.fg = t.hasParam ? p : -1;
        return true;
    case KwCb:
    case KwHighlight:
        c.bg = t.hasParam ? p : -1;
        return true;
    case KwV:
        c.hidden = on;
        return true;
    case KwSuper:
        c.vertical = on ? 1 : 0;
        return true;
    case KwSub:
        c.vertical = on ? 2 : 0;
        return true;
    case KwNosupersub:
        c.vertical = 0;
        return true;
    default:
        return false;
    }
}

// Breaks and special characters of the body text.
void Reader::textWord(int kw)
{
    switch (kw) {
    case KwPar:
        endParagraph(true);
        return;
    case KwSect:
        endParagraph(true);
        sectionBreak_ = true;
        pageBreakPending_ = true; // unless the next section says otherwise
        return;
    case KwPage:
        pageBreak();
        return;
    case KwLine:
        appendChar(QChar::LineSeparator);
        return;
    case KwTab:
    case KwNestcell:
        appendChar(u'\t');
        return;
    case KwCell:
        cell();
        return;
    case KwRow:
        row();
        return;
    case KwNestrow:
        endParagraph(true);
        return;
    case KwChftn:
        footnoteMark();
        return;
    default:
        break;
    }
    static const std::pair<int, char16_t> specials[] = {
        {KwLquote, 0x2018}, {KwRquote, 0x2019}, {KwLdblquote, 0x201C}, {KwRdblquote, 0x201D},
        {KwBullet, 0x2022}, {KwEndash, 0x2013}, {KwEmdash, 0x2014},    {KwEnspace, 0x2002},
        {KwEmspace, 0x2003}, {KwQmspace, 0x2005}, {KwZwj, 0x200D},     {KwZwnj, 0x200C},
    };
    for (const auto &[word, ch] : specials) {
        if (word == kw) {
            appendChar(ch);
            return;
        }
    }
}

void Reader::text(QByteArrayView bytes)
{
    starPending_ = false;
    if (skip_ > 0) {
        const qsizetype n = std::min<qsizetype>(skip_, bytes.size());
        bytes = bytes.sliced(n);
        skip_ -= int(n);
        if (bytes.isEmpty()) {
            return;
        }
    }
    State &s = top();
    if (stack_.size() == 1 && bytes.trimmed().isEmpty()) {
        return; // white space around the document's group
    }
    switch (s.dest) {
    case Dest::Text:
        appendBytes(bytes);
        break;
    case Dest::FontTable:
        fontTableText(bytes);
        break;
    case Dest::ColorTable:
        colorTableText(bytes);
        break;
    case Dest::FieldInst:
        fieldInstText(encoding::decodeCodePage(bytes, codePageOf(s.chr.font)));
        break;
    case Dest::Pict:
        pictText(bytes);
        break;
    case Dest::LevelText:
        for (char c : bytes) {
            levelText(-(static_cast<unsigned char>(c) + 1));
        }
        break;
    default:
        break;
    }
}

void Reader::hexByte(unsigned char b)
{
    starPending_ = false;
    if (skip_ > 0) {
        --skip_;
        return;
    }
    const char c = char(b);
    switch (top().dest) {
    case Dest::Text:
        appendBytes(QByteArrayView(&c, 1));
        break;
    case Dest::FontTable:
        if (curFontTableEntry_ >= 0) {
            FontInfo &f = fonts_[curFontTableEntry_];
            if (f.nameBytes.size() < 256) {
                f.nameBytes += c;
            }
        }
        break;
    case Dest::LevelText:
        levelText(-(b + 1));
        break;
    case Dest::FieldInst:
        fieldInstText(encoding::decodeCodePage(QByteArrayView(&c, 1), codePageOf(top().chr.font)));
        break;
    default:
        break;
    }
}

void Reader::symbol(char c)
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
    State &s = top();
    if (s.dest == Dest::FieldInst) {
        if (c == '\\' || c == '{' || c == '}') {
            fieldInstText(QString(QLatin1Char(c)));
        }
        return;
    }
    if (s.dest == Dest::FontTable && c == ';') {
        return;
    }
    if (s.dest != Dest::Text) {
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        appendBytes(QByteArrayView(&c, 1));
        break;
    case '~':
        appendChar(0x00A0);
        break;
    case '_':
        appendChar(0x2011);
        break;
    case '\t':
        appendChar(u'\t');
        break;
    case '-':
        appendChar(0x00AD); // optional hyphen: shown only where the line breaks
        break;
    default:
        break; // \: index subentry, \| formula: nothing to show
    }
}

} // namespace detail

void read(const QByteArray &bytes, QTextDocument &document)
{
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    {
        detail::Reader reader(bytes, document);
        reader.run();
    }
    document.setUndoRedoEnabled(undo);
}

} // namespace rtf
