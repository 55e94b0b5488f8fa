// The reader's footnotes and endnotes. A note's mark stays where it stands in the text; the note's
// own text, with its formatting, follows the document's text under the mark's number, footnotes
// first, then endnotes, each in the order of their marks, as a word processor's HTML export has them.
// Footnotes and endnotes are numbered apart, each in the document's numbering (\ftnnar, \aftnnrlc...).
#include "text/rtf/readerkeywords.h"
#include "text/rtf/readerstate.h"

#include <QTextBlock>
#include <QTextDocument>

namespace rtf::detail {

namespace {

// At most this many notes of one document are kept; later ones are left out.
constexpr size_t MaxNotes = 10000;

} // namespace

bool Reader::noteWord(int kw, const Token &t)
{
    State &s = top();
    switch (kw) {
    case KwNoteNumbering: {
        bool endnotes = false;
        NoteNumbering numbering = NoteNumbering::Arabic;
        if (noteNumberingOf(t.word, &endnotes, &numbering)) {
            (endnotes ? endnoteNumbering_ : footnoteNumbering_) = numbering;
        }
        return true;
    }
    case KwFtnstart:
        footnoteStart_ = std::max(1, std::min(t.param, 9999));
        return true;
    case KwAftnstart:
        endnoteStart_ = std::max(1, std::min(t.param, 9999));
        return true;
    case KwFootnote:
        break;
    default:
        return false;
    }
    if (s.dest != Dest::Text || inNotes_ || notes_.size() >= MaxNotes) {
        s.dest = Dest::Skip;
        return true;
    }
    NoteInfo note;
    note.start = tok_.position();
    // A note without an automatic mark of its own since the last one has a mark the author wrote.
    if (footnotes_ > notedMarks_) {
        note.label = noteLabel(footnoteStart_ + footnotes_ - 1, footnoteNumbering_);
    } else {
        lastMark_ = QTextCursor();
    }
    notedMarks_ = footnotes_;
    notes_.push_back(note);
    s.dest = Dest::Note;
    return true;
}

// \ftnalt: the note is an endnote. Its mark, shown as the next footnote's, takes the next endnote's
// number instead.
void Reader::endnoteMark()
{
    if (notes_.empty() || notes_.back().endnote) {
        return;
    }
    NoteInfo &note = notes_.back();
    note.endnote = true;
    if (note.label.isEmpty()) {
        return;
    }
    --footnotes_;
    notedMarks_ = footnotes_;
    note.label = noteLabel(endnoteStart_ + endnotes_++, endnoteNumbering_);
    if (lastMark_.hasSelection()) {
        lastMark_.insertText(note.label, lastMarkFormat_);
    }
    lastMark_ = QTextCursor();
}

void Reader::closeNote(const State &closed, const State &parent)
{
    if (closed.dest == Dest::Note && parent.dest != Dest::Note && !notes_.empty() && notes_.back().end < 0) {
        notes_.back().end = tok_.position() - 1; // before the closing brace
        lastMark_ = QTextCursor(); // the mark is its note's; it is not edited after the note ends
    }
}

// \chftn: the automatic number of a note's mark, in the text and at the start of the note itself.
void Reader::footnoteMark()
{
    if (top().chr.hidden) {
        return;
    }
    QString label;
    if (inNotes_) {
        noteMarkShown_ = true;
        label = noteLabel_;
    } else {
        ++footnotes_;
        label = noteLabel(footnoteStart_ + footnotes_ - 1, footnoteNumbering_);
    }
    if (label.isEmpty()) {
        return;
    }
    flushRun();
    for (QChar ch : std::as_const(label)) {
        appendChar(ch.unicode());
    }
    flushRun();
    if (!inNotes_) {
        // Kept selected, so that the mark can become an endnote's.
        lastMark_ = cursor_;
        lastMark_.setPosition(cursor_.position() - int(label.size()), QTextCursor::KeepAnchor);
        lastMarkFormat_ = lastCharFormat_;
    }
}

void Reader::readNotes()
{
    inNotes_ = true;
    for (const bool endnotes : {false, true}) {
        for (const NoteInfo &note : notes_) {
            if (note.endnote == endnotes && note.end >= note.start) {
                readNote(note);
            }
        }
    }
}

// Reads one note's group as paragraphs of their own after everything read so far.
void Reader::readNote(const NoteInfo &note)
{
    if (paraHasContent_ || !doc_.isEmpty()) {
        pendingBreak_ = true;
    }
    nextBf_ = QTextBlockFormat();
    pageBreakPending_ = false;
    const int firstBlock = pendingBreak_ ? doc_.blockCount() : doc_.blockCount() - 1;
    stack_.assign(2, State());
    overflow_ = 0;
    skip_ = 0;
    starPending_ = false;
    ended_ = false;
    hasFinalPara_ = false;
    noteLabel_ = note.label;
    noteMarkShown_ = false;
    tok_ = Tokenizer(bytes_.sliced(note.start, note.end - note.start));
    readTokens();
    finishText();
    if (noteMarkShown_ || note.label.isEmpty()) {
        return;
    }
    // A note that does not show its number itself is put under it.
    const QTextBlock block = doc_.findBlockByNumber(firstBlock);
    if (!block.isValid()) {
        return;
    }
    QTextCursor at(block);
    const QTextCharFormat text = at.charFormat();
    QTextCharFormat mark = text;
    mark.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    at.insertText(note.label, mark);
    at.insertText(QStringLiteral(" "), text);
}

} // namespace rtf::detail
