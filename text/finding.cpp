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

enum class Kind { Space, Dropped, Other };

Kind kindOf(char32_t c)
{
    if (QChar::isSpace(c) || c == FrameStart || c == FrameEnd) {
        return Kind::Space;
    }
    if (c == ObjectReplacement || QChar::category(c) == QChar::Other_Format) {
        return Kind::Dropped;
    }
    return Kind::Other;
}

// Builds the searchable text; the map is kept only when asked for.
class Folder
{
public:
    Folder(qsizetype size, SourceMap *map) : map_(map)
    {
        out_.reserve(size);
        if (map_) {
            map_->from.clear();
            map_->to.clear();
            map_->from.reserve(size_t(size));
            map_->to.reserve(size_t(size));
        }
    }

    void space(qsizetype from, qsizetype to)
    {
        if (!out_.isEmpty() && out_.back() == u' ') {
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
        out_.append(QChar(c));
        if (map_) {
            map_->from.push_back(from);
            map_->to.push_back(to);
        }
    }

    // Full case folding of one code point, which may give up to three.
    void fold(const char16_t *units, int length, qsizetype from, qsizetype to)
    {
        char16_t folded[8];
        UErrorCode status = U_ZERO_ERROR;
        const int n = u_strFoldCase(folded, 8, units, length, U_FOLD_CASE_DEFAULT, &status);
        if (U_FAILURE(status) || n > 8) {
            for (int i = 0; i < length; ++i) {
                put(units[i], from, to);
            }
            return;
        }
        for (int i = 0; i < n; ++i) {
            put(folded[i], from, to);
        }
    }

    QString take() { return std::move(out_); }

private:
    QString out_;
    SourceMap *map_;
};

} // namespace

QString searchable(QStringView shown, SourceMap *map)
{
    Folder folder(shown.size(), map);
    const char16_t *s = shown.utf16();
    const qsizetype n = shown.size();
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
        int length = 1;
        char32_t c = u;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            c = QChar::surrogateToUcs4(u, s[i + 1]);
            length = 2;
        }
        const qsizetype end = i + length;
        switch (kindOf(c)) {
        case Kind::Space:
            folder.space(i, end);
            break;
        case Kind::Dropped:
            break;
        case Kind::Other:
            if (c == NonBreakingHyphen) {
                folder.put(u'-', i, end);
            } else if (c == CapitalIWithDot) {
                // Full folding gives "i" and a combining dot; the dot would keep "istanbul" from "İstanbul".
                folder.put(u'i', i, end);
            } else {
                folder.fold(s + i, length, i, end);
            }
            break;
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
