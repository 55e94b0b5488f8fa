// A text-only pass over RTF: the words the reader would show, without formats, tables or pictures.
#include "text/rtf/plaintext.h"

#include "text/encoding.h"
#include "text/richtext.h"
#include "text/rtf/plaintextstate.h"

#include <algorithm>

namespace rtf {

namespace plain {

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

} // namespace plain

QString plainText(QByteArrayView bytes)
{
    plain::Collector collector(bytes);
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
