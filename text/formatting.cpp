// Formatting of a rich-text editor's selection, the size box's number rule and drop-down completion.
#include "text/formatting.h"

#include "text/errors.h"
#include "text/richtext.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <cmath>
#include <limits>

namespace formatting {

namespace {

// A list paragraph without a stored hanging indent hangs by one list level: 40 px, 30 pt.
constexpr double DefaultListHangingPoints = 30.0;
// Document units are pixels at 96 dpi: 0.75 points a pixel.
constexpr double PointsPerPixel = 0.75;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

bool isDecimalDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

} // namespace

bool tryStrToInt(const QString &text, int &value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text.at(i) == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text.at(i) == u'$' || text.at(i) == u'x' || text.at(i) == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text.at(i) == u'0' && (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == n) {
        return false; // no digits at all
    }
    if (hex) {
        // Up to eight significant digits: the value is taken as its 32 bits.
        quint64 magnitude = 0;
        for (; i < n; ++i) {
            const int d = hexDigit(text.at(i));
            if (d < 0) {
                return false;
            }
            magnitude = magnitude * 16 + static_cast<quint64>(d);
            if (magnitude > 0xFFFFFFFFull) {
                return false;
            }
        }
        quint32 bits = static_cast<quint32>(magnitude);
        if (negative) {
            bits = 0u - bits;
        }
        value = static_cast<int>(static_cast<qint32>(bits));
        return true;
    }
    // Decimal: the signed value must fit 32 bits ("-2147483648" does, "2147483648" does not).
    const quint64 limit = negative ? 2147483648ull : 2147483647ull;
    quint64 magnitude = 0;
    for (; i < n; ++i) {
        if (!isDecimalDigit(text.at(i))) {
            return false;
        }
        magnitude = magnitude * 10 + static_cast<quint64>(text.at(i).unicode() - u'0');
        if (magnitude > limit) {
            return false;
        }
    }
    value = negative ? static_cast<int>(-static_cast<qint64>(magnitude)) : static_cast<int>(magnitude);
    return true;
}

int StrToInt(const QString &text)
{
    int value = 0;
    if (!tryStrToInt(text, value)) {
        throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
    return value;
}

int shortcutStyle(int key)
{
    // The key code folded as a character: lower-case letters count as their capitals.
    if (key >= 'a' && key <= 'z') {
        key = key - 'a' + 'A';
    }
    switch (key) {
    case 'B':
        return Bold;
    case 'I':
        return Italic;
    case 'U':
        return Underline;
    case 'S':
        return StrikeOut;
    default:
        return 0;
    }
}

bool complete(const QStringList &items, const QString &text, int selectionStart, int selectionLength,
              QChar typed, Completion &result)
{
    const QString candidate = (selectionLength > 0 ? text.left(selectionStart) : text) + typed;
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).startsWith(candidate, Qt::CaseInsensitive)) {
            result.text = candidate + items.at(i).mid(candidate.size());
            result.pickedIndex = i;
            result.selectStart = static_cast<int>(candidate.size());
            return true;
        }
    }
    return false;
}

double hangingIndent(const QTextBlockFormat &format)
{
    if (format.hasProperty(richtext::HangingIndentProperty)) {
        return format.doubleProperty(richtext::HangingIndentProperty);
    }
    if (format.objectIndex() >= 0) {
        return DefaultListHangingPoints;
    }
    return -format.textIndent() * PointsPerPixel;
}

void setBullets(QTextCursor cursor, bool on)
{
    QTextDocument *document = cursor.document();
    if (document == nullptr) {
        return;
    }
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    QTextBlock first = document->findBlock(start);
    const QTextBlock last = document->findBlock(end);

    cursor.beginEditBlock();
    // A list paragraph holds its hanging indent in a property and has no first-line indent.
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        double hanging = hangingIndent(format);
        if (on) {
            if (hanging < MinBulletHangingIndent) {
                hanging = MinBulletHangingIndent;
            }
        } else {
            hanging = 0.0;
            if (QTextList *list = block.textList()) {
                list->remove(block);
                format = block.blockFormat();
            }
            format.setIndent(0);
        }
        format.setProperty(richtext::HangingIndentProperty, hanging);
        format.setTextIndent(0);
        QTextCursor at(block);
        at.setBlockFormat(format);
        if (block == last) {
            break;
        }
    }
    if (on) {
        QTextListFormat listFormat;
        listFormat.setStyle(QTextListFormat::ListDisc);
        listFormat.setIndent(1);
        QTextCursor span(document);
        span.setPosition(first.position());
        span.setPosition(last.position(), QTextCursor::KeepAnchor);
        span.createList(listFormat);
    }
    cursor.endEditBlock();
}

int stylesOf(const QTextCharFormat &format)
{
    int styles = 0;
    if (format.fontWeight() >= QFont::Bold) {
        styles |= Bold;
    }
    if (format.fontItalic()) {
        styles |= Italic;
    }
    if (format.fontUnderline()) {
        styles |= Underline;
    }
    if (format.fontStrikeOut()) {
        styles |= StrikeOut;
    }
    return styles;
}

} // namespace formatting
