// Finding text by the outline's rules: shown text made searchable, and finding in an editor's document.
#include "text/finding.h"

#include <QTextDocument>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>

namespace finding {

namespace {

// QTextDocument's marks of a frame's (a table's) start and end in its raw text.
constexpr char32_t FrameStart = 0xFDD0;
constexpr char32_t FrameEnd = 0xFDD1;
constexpr char32_t ObjectReplacement = 0xFFFC;
constexpr char32_t NonBreakingHyphen = 0x2011;
constexpr char32_t CapitalIWithDot = 0x0130;

// What a character of the Basic Multilingual Plane becomes, looked up once: its one folded unit, or one of
// these marks (code points that, being ASCII, never need the table).
constexpr char16_t FoldsLonger = 0; // folds to more than one unit: ask ICU
constexpr char16_t IsSpace = 1;
constexpr char16_t IsDropped = 2;

char16_t ruleOf(char32_t c)
{
    if (QChar::isSpace(c) || c == FrameStart || c == FrameEnd) {
        return IsSpace;
    }
    if (c == ObjectReplacement || QChar::category(c) == QChar::Other_Format) {
        return IsDropped;
    }
    if (c == NonBreakingHyphen) {
        return u'-';
    }
    if (c == CapitalIWithDot) {
        // Full folding gives "i" and a combining dot; the dot would keep "istanbul" from "İstanbul".
        return u'i';
    }
    return FoldsLonger;
}

// Full case folding of one code point, which may give up to three; returns how many units it wrote.
int foldFully(const char16_t *units, int length, char16_t *folded)
{
    UErrorCode status = U_ZERO_ERROR;
    const int n = u_strFoldCase(folded, 8, units, length, U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status) || n > 8) {
        std::copy(units, units + length, folded);
        return length;
    }
    return n;
}

// The rules for every BMP character: folding through ICU one character at a time costs several times
// the scan, so non-Latin text pays for it once.
const std::vector<char16_t> &bmpRules()
{
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(0x10000, FoldsLonger);
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            if (QChar::isSurrogate(c)) {
                continue;
            }
            char16_t rule = ruleOf(c);
            if (rule == FoldsLonger) {
                const char16_t unit = char16_t(c);
                char16_t folded[8];
                if (foldFully(&unit, 1, folded) == 1 && folded[0] > IsDropped) {
                    rule = folded[0];
                }
            }
            t[c] = rule;
        }
        return t;
    }();
    return table;
}

// Builds the searchable text; the map is kept only when asked for.
class Folder
{
public:
    // ASCII never grows when folded, so most texts fit the first buffer.
    Folder(qsizetype size, SourceMap *map) : map_(map)
    {
        grow(size + 8);
        if (map_) {
            map_->from.clear();
            map_->to.clear();
            map_->from.reserve(size_t(size));
            map_->to.reserve(size_t(size));
        }
    }

    void space(qsizetype from, qsizetype to)
    {
        if (length_ > 0 && buffer_[length_ - 1] == u' ') {
            // The run of white space goes on: its one space now comes from here too.
            if (map_) {
                map_->to.back() = to;
            }
            return;
        }
        put(u' ', from, to);
    }

    void put(char16_t c, qsizetype from, qsizetype to)
    {
        if (length_ == out_.size()) {
            grow(2 * out_.size());
        }
        buffer_[length_++] = c;
        if (map_) {
            map_->from.push_back(from);
            map_->to.push_back(to);
        }
    }

    void fold(const char16_t *units, int length, qsizetype from, qsizetype to)
    {
        char16_t folded[8];
        const int n = foldFully(units, length, folded);
        for (int i = 0; i < n; ++i) {
            put(folded[i], from, to);
        }
    }

    QString take()
    {
        out_.truncate(length_);
        return std::move(out_);
    }

private:
    void grow(qsizetype size)
    {
        out_.resize(size);
        buffer_ = reinterpret_cast<char16_t *>(out_.data());
    }

    QString out_;
    char16_t *buffer_ = nullptr;
    qsizetype length_ = 0;
    SourceMap *map_;
};

} // namespace

QString searchable(QStringView shown, SourceMap *map)
{
    Folder folder(shown.size(), map);
    const char16_t *s = shown.utf16();
    const qsizetype n = shown.size();
    const std::vector<char16_t> *table = nullptr;
    for (qsizetype i = 0; i < n;) {
        const char16_t u = s[i];
        if (u < 0x80) {
            // Most text is ASCII: its folding and white space need no table.
            if (u == u' ' || (u >= u'\t' && u <= u'\r')) {
                folder.space(i, i + 1);
            } else {
                folder.put(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u, i, i + 1);
            }
            ++i;
            continue;
        }
        if (!QChar::isSurrogate(u)) {
            if (!table) {
                table = &bmpRules();
            }
            const char16_t rule = (*table)[u];
            if (rule == IsSpace) {
                folder.space(i, i + 1);
            } else if (rule == FoldsLonger) {
                folder.fold(s + i, 1, i, i + 1);
            } else if (rule != IsDropped) {
                folder.put(rule, i, i + 1);
            }
            ++i;
            continue;
        }
        int length = 1;
        char32_t c = u;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            c = QChar::surrogateToUcs4(u, s[i + 1]);
            length = 2;
        }
        const qsizetype end = i + length;
        const char16_t rule = ruleOf(c);
        if (rule == IsSpace) {
            folder.space(i, end);
        } else if (rule == FoldsLonger) {
            folder.fold(s + i, length, i, end);
        } else if (rule != IsDropped) {
            folder.put(rule, i, end);
        }
        i = end;
    }
    return folder.take();
}

QTextCursor find(const QTextDocument &document, const QString &query, int from)
{
    const QString q = searchable(query);
    if (q.isEmpty()) {
        return QTextCursor();
    }
    // The raw text holds one character per document position, frame and block boundaries included.
    SourceMap map;
    const QString text = searchable(document.toRawText(), &map);
    const auto start = std::lower_bound(map.from.begin(), map.from.end(), qsizetype(std::max(0, from)));
    const qsizetype at = text.indexOf(q, start - map.from.begin());
    if (at < 0) {
        return QTextCursor();
    }
    QTextCursor cursor(const_cast<QTextDocument *>(&document));
    cursor.setPosition(int(map.from[size_t(at)]));
    cursor.setPosition(int(map.to[size_t(at + q.size() - 1)]), QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace finding
