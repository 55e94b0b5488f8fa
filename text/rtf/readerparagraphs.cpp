// The reader's runs of text and its paragraphs: text gathered in one format until the format changes,
// paragraph marks, and the block format each paragraph ends with.
#include "text/rtf/readerkeywords.h"
#include "text/rtf/readerstate.h"

#include <algorithm>

namespace rtf::detail {

int clampTwips(int v)
{
    return std::max(-MaxTwips, std::min(MaxTwips, v));
}

void Reader::startRun()
{
    const CharProps &c = top().chr;
    if (runActive_ && c != runProps_) {
        flushRun();
    }
    if (!runActive_) {
        runActive_ = true;
        runProps_ = c;
    }
}

void Reader::appendBytes(QByteArrayView bytes)
{
    if (top().chr.hidden || bytes.isEmpty()) {
        return;
    }
    // A form feed in the text starts a page and a vertical tab breaks the line, as they do in plain text.
    const auto isControl = [](char c) { return c == '\f' || c == '\v'; };
    for (auto control = std::find_if(bytes.begin(), bytes.end(), isControl); control != bytes.end();
         control = std::find_if(bytes.begin(), bytes.end(), isControl)) {
        const qsizetype at = control - bytes.begin();
        const char16_t c = *control == '\f' ? u'\f' : u'\v';
        appendBytes(bytes.first(at));
        appendChar(c);
        bytes = bytes.sliced(at + 1);
    }
    if (bytes.isEmpty()) {
        return;
    }
    startRun();
    shown_ += bytes.size();
    const int cp = codePageOf(top().chr.font);
    if (cp != pendCp_) {
        decodePending();
        pendCp_ = cp;
    }
    pendBytes_.append(bytes.data(), bytes.size());
}

void Reader::appendChar(char16_t c)
{
    if (top().chr.hidden) {
        return;
    }
    if (c == u'\f') {
        pageBreak();
        return;
    }
    if (c == u'\v') {
        c = u'\u2028';
    }
    startRun();
    ++shown_;
    decodePending();
    runText_ += QChar(c);
}

// Characters that would change the document's structure if inserted as text are replaced.
void sanitize(QString &s)
{
    bool clean = true;
    for (QChar ch : std::as_const(s)) {
        const char16_t u = ch.unicode();
        if ((u < 0x20 && u != '\t') || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC ||
            QChar::isSurrogate(u)) {
            clean = false;
            break;
        }
    }
    if (clean) {
        return;
    }
    QString out;
    out.reserve(s.size());
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s.at(i + 1).unicode())) {
            out += s.at(i);
            out += s.at(i + 1);
            ++i;
        } else if (QChar::isSurrogate(u) || u == 0xFFFC || u == 0xFDD0 || u == 0xFDD1) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (u == 0x2029) {
            out += QChar(QChar::LineSeparator);
        } else if (u >= 0x20 || u == '\t') {
            out += s.at(i);
        }
    }
    s = out;
}

void Reader::flushRun()
{
    if (!runActive_) {
        return;
    }
    decodePending();
    runActive_ = false;
    sanitize(runText_);
    if (runText_.isEmpty()) {
        return;
    }
    prepareContent();
    lastCharFormat_ = charFormat(runProps_);
    cursor_.insertText(runText_, lastCharFormat_);
    runText_.clear();
    paraHasContent_ = true;
}

void Reader::prepareContent()
{
    const ParaProps &p = top().para;
    const bool wantTable = (p.intbl || p.itap > 0) && !tablesExhausted_;
    if (table_ && !wantTable) {
        leaveTable();
    } else if (!table_ && wantTable) {
        startTable();
    }
    if (table_) {
        enterCell();
    }
    if (pendingBreak_) {
        blockCharProps_ = top().chr;
        hasBlockCharProps_ = true;
        cursor_.insertBlock(nextBf_, charFormat(blockCharProps_));
        appliedBf_ = nextBf_;
        pendingBreak_ = false;
        blockPageBreak_ = pageBreakPending_ && !table_;
        pageBreakPending_ = false;
        sectionBreak_ = false;
    } else if (!hasBlockCharProps_ && !paraHasContent_) {
        // The first paragraph of the document or of a cell was not made by a break: its mark (which
        // also draws a list item's number) takes the format its text starts in, as later paragraphs do.
        blockCharProps_ = top().chr;
        hasBlockCharProps_ = true;
        cursor_.setBlockCharFormat(charFormat(blockCharProps_));
    }
}

void Reader::applyBlockFormat(const ParaProps &p)
{
    QTextBlockFormat bf;
    switch (p.align) {
    case 1:
        bf.setAlignment(Qt::AlignRight);
        break;
    case 2:
        bf.setAlignment(Qt::AlignHCenter);
        break;
    case 3:
        bf.setAlignment(Qt::AlignJustify);
        break;
    default:
        bf.setAlignment(Qt::AlignLeft);
        break;
    }
    if ((p.pageBreakBefore || blockPageBreak_) && !table_) {
        bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    if (p.sb != 0) {
        bf.setTopMargin(p.sb / 15.0);
    }
    if (p.sa != 0) {
        bf.setBottomMargin(p.sa / 15.0);
    }
    if (p.ri != 0) {
        bf.setRightMargin(p.ri / 15.0);
    }

    const ListPlace place = listPlaceOf(p);
    if (!place.isList) {
        pnLists_.clear();
        pnListStyles_.clear();
        if (p.li != 0) {
            bf.setLeftMargin(p.li / 15.0);
        }
        if (p.fi != 0) {
            bf.setTextIndent(p.fi / 15.0);
        }
        if (!(bf == appliedBf_)) {
            cursor_.setBlockFormat(bf);
        }
        appliedBf_ = bf;
        nextBf_ = bf;
        nextBf_.clearProperty(QTextFormat::PageBreakPolicy);
        return;
    }

    applyList(bf, p, place);
}

// A page break ends the paragraph it stands in; the next one starts the page. Standing where a paragraph
// is still empty, it makes that paragraph start the page, so that no empty paragraph is left before it.
void Reader::pageBreak()
{
    flushRun();
    if (table_) {
        endParagraph(true);
    } else if (pendingBreak_) {
        pageBreakPending_ = true;
    } else if (!paraHasContent_) {
        blockPageBreak_ = true;
    } else {
        endParagraph(true);
        pageBreakPending_ = true;
    }
}

void Reader::endParagraph(bool withBreak)
{
    flushRun();
    prepareContent();
    if (!paraHasContent_ && (!hasBlockCharProps_ || blockCharProps_ != top().chr)) {
        // An empty paragraph shows its mark in the format in force where it ends.
        blockCharProps_ = top().chr;
        hasBlockCharProps_ = true;
        cursor_.setBlockCharFormat(charFormat(blockCharProps_));
    }
    applyBlockFormat(top().para);
    paraHasContent_ = false;
    if (withBreak) {
        pendingBreak_ = true;
    }
}

bool Reader::paragraphWord(int kw, const Token &t)
{
    ParaProps &para = top().para;
    const int p = t.param;
    switch (kw) {
    case KwPard:
        para = ParaProps();
        return true;
    case KwQl:
        para.align = 0;
        return true;
    case KwQr:
        para.align = 1;
        return true;
    case KwQc:
        para.align = 2;
        return true;
    case KwQj:
        para.align = 3;
        return true;
    case KwLi:
        para.li = clampTwips(p);
        return true;
    case KwRi:
        para.ri = clampTwips(p);
        return true;
    case KwFi:
        para.fi = clampTwips(p);
        return true;
    case KwSb:
        para.sb = clampTwips(p);
        return true;
    case KwSa:
        para.sa = clampTwips(p);
        return true;
    case KwIntbl:
        para.intbl = !t.hasParam || t.param != 0;
        return true;
    case KwItap:
        para.itap = std::max(0, std::min(64, p));
        return true;
    case KwPagebb:
        para.pageBreakBefore = !t.hasParam || t.param != 0;
        return true;
    case KwSectd:
    case KwSbkpage:
        // Told after \sect: the section that begins starts a page (the default) or not.
        pageBreakPending_ = sectionBreak_;
        return true;
    case KwSbknone:
        if (sectionBreak_) {
            pageBreakPending_ = false;
        }
        return true;
    case KwPnlvlblt:
    case KwPnlvlbody:
    case KwPnlvlcont:
    case KwPnlvl:
    case KwPndec:
    case KwPnlcltr:
    case KwPnucltr:
    case KwPnlcrm:
    case KwPnucrm:
        return true; // only inside \pn
    default:
        return false;
    }
}

} // namespace rtf::detail
