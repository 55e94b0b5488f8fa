// The text-only pass's control words: the table of those it knows and what each does to the text.
#include "text/encoding.h"
#include "text/rtf/plaintextstate.h"

namespace rtf::plain {

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

} // namespace rtf::plain
