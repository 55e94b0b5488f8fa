// TreeLine's node types: title lines with their field references, and field values as a title or a text shows them.
#include "document/formats/treelineformat.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace formats::treeline {

namespace {

// A title line names a descendant level ({*#Level2*}); counting deeper than this is not done.
constexpr int MaxCountedLevels = 100;
// The work one count of descendants may do (nodes visited) before it gives up and shows nothing.
constexpr qint64 MaxCountSteps = 200000;

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.') ||
           c.category() == QChar::Mark_NonSpacing;
}

bool isLineBreakTag(QStringView tag)
{
    // <br>, <br/>, <br />, any case: what TreeLine takes as a line break.
    if (tag.size() < 2 || tag.left(2).compare(QLatin1String("br"), Qt::CaseInsensitive) != 0) {
        return false;
    }
    QStringView rest = tag.mid(2).trimmed();
    if (rest.startsWith(QLatin1Char('/'))) {
        rest = rest.mid(1);
    }
    return rest.isEmpty() && (tag.size() == 2 || tag.at(2).isSpace() || tag.at(2) == QLatin1Char('/'));
}

QString unescape(QString text)
{
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

// Tags removed, <br /> as a line break, the common entities decoded; a "<" without its ">" on the same line
// is text. firstLine stops at the first line break.
QString removeMarkup(const QString &html, bool firstLine)
{
    QString out;
    out.reserve(html.size());
    qsizetype noCloseBefore = -1;  // no '>' follows on this line up to here
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (c != QLatin1Char('<') || i < noCloseBefore) {
            out += c;
            continue;
        }
        qsizetype end = i + 1;
        while (end < html.size() && html.at(end) != QLatin1Char('>') && html.at(end) != QLatin1Char('\n')) {
            ++end;
        }
        if (end >= html.size() || html.at(end) != QLatin1Char('>')) {
            noCloseBefore = end;
            out += c;
            continue;
        }
        if (isLineBreakTag(QStringView(html).mid(i + 1, end - i - 1))) {
            if (firstLine) {
                break;
            }
            out += QLatin1Char('\n');
        }
        i = end;
    }
    return unescape(out);
}

QString escape(const QString &text)
{
    return text.toHtmlEscaped();
}

QString storedText(const QJsonObject &data, const QString &name)
{
    const QJsonValue value = data.value(name);
    if (value.isString()) {
        return value.toString();
    }
    if (value.isDouble()) {
        return QString::number(value.toDouble(), 'g', 15);
    }
    if (value.isBool()) {
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    }
    return QString();
}

// Python's strftime, as far as TreeLine's date and time formats use it ("%B %-d, %Y", "%-I:%M:%S %p").
QString strftime(const QString &pattern, const QDate &date, const QTime &time)
{
    const QLocale c = QLocale::c();
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern.at(i) != QLatin1Char('%') || i + 1 >= pattern.size()) {
            out += pattern.at(i);
            continue;
        }
        bool pad = true;
        QChar code = pattern.at(++i);
        if (code == QLatin1Char('-') && i + 1 < pattern.size()) {
            pad = false;
            code = pattern.at(++i);
        }
        const auto number = [&](int value, int width) {
            return pad ? QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')) : QString::number(value);
        };
        const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
        switch (code.unicode()) {
        case 'Y': out += QString::number(date.year()); break;
        case 'y': out += number(date.year() % 100, 2); break;
        case 'm': out += number(date.month(), 2); break;
        case 'd': out += number(date.day(), 2); break;
        case 'j': out += number(date.dayOfYear(), 3); break;
        case 'B': out += c.monthName(date.month()); break;
        case 'b': out += c.monthName(date.month(), QLocale::ShortFormat); break;
        case 'A': out += c.dayName(date.dayOfWeek()); break;
        case 'a': out += c.dayName(date.dayOfWeek(), QLocale::ShortFormat); break;
        case 'H': out += number(time.hour(), 2); break;
        case 'I': out += number(hour12, 2); break;
        case 'M': out += number(time.minute(), 2); break;
        case 'S': out += number(time.second(), 2); break;
        case 'p': out += time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"); break;
        case '%': out += QLatin1Char('%'); break;
        default: out += QLatin1Char('%') + code; break;
        }
    }
    return out;
}

// A number in TreeLine's number format: "#" an optional digit, "0" a required one, "." the radix, any other
// character (or one escaped with "\") as it stands while digits remain; "0.00" gives 10.04 for 10.040000000000001.
// Formats with exponents keep the stored text.
QString numberText(const QString &stored, const QString &format)
{
    bool ok = false;
    const double number = stored.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number) || std::abs(number) >= 1e15 || format.isEmpty() ||
        format.contains(QLatin1Char('e'), Qt::CaseInsensitive)) {
        return stored;
    }
    QString plain = format;
    plain.remove(QLatin1Char('\\'));
    const qsizetype radix = plain.indexOf(QLatin1Char('.'));
    QString formWhole = radix < 0 ? plain : plain.left(radix);
    QString formFract = radix < 0 ? QString() : plain.mid(radix + 1);
    const auto isPlace = [](QChar c) { return c == QLatin1Char('#') || c == QLatin1Char('0'); };
    const int places = int(std::count_if(formFract.begin(), formFract.end(), isPlace));
    const QString digits = QString::number(std::abs(number), 'f', std::min(places, 15));
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    QString numWhole = point < 0 ? digits : digits.left(point);
    QString numFract = point < 0 ? QString() : digits.mid(point + 1);
    while (numFract.endsWith(QLatin1Char('0'))) {
        numFract.chop(1);
    }
    QString whole;
    while (!numWhole.isEmpty() || !formWhole.isEmpty()) {
        const QChar c = formWhole.isEmpty() ? QChar() : formWhole.back();
        if (!formWhole.isEmpty()) {
            formWhole.chop(1);
        }
        if (!c.isNull() && !isPlace(c)) {
            if (!numWhole.isEmpty() || formWhole.contains(QLatin1Char('0'))) {
                whole.prepend(c);
            }
        } else if (!numWhole.isEmpty()) {
            whole.prepend(numWhole.back());
            numWhole.chop(1);
        } else if (c == QLatin1Char('0')) {
            whole.prepend(c);
        }
    }
    const bool nonZero = std::any_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit() && c != '0'; });
    QString text = number < 0 && nonZero ? QLatin1Char('-') + whole : whole;
    if (radix >= 0) {
        text += QLatin1Char('.');
    }
    for (qsizetype i = 0; i < formFract.size(); ++i) {
        const QChar c = formFract.at(i);
        if (!isPlace(c)) {
            if (!numFract.isEmpty() || formFract.mid(i + 1).contains(QLatin1Char('0'))) {
                text += c;
            }
        } else if (!numFract.isEmpty()) {
            text += numFract.front();
            numFract.remove(0, 1);
        } else if (c == QLatin1Char('0')) {
            text += c;
        }
    }
    if (text.endsWith(QLatin1Char('.')) && !format.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return text.isEmpty() ? QStringLiteral("0") : text;
}

// Dates are stored as 2004-11-30, times as 13:05:00.000000, both with a space between; booleans as
// true/false (older files: yes/no). A value that does not parse shows as stored.
QString formattedValue(const Field &field, const QString &stored)
{
    if (field.type == QLatin1String("Date") || field.type == QLatin1String("Time") ||
        field.type == QLatin1String("DateTime")) {
        const QString text = unescape(stored).trimmed();
        QDate date;
        QTime time(0, 0);
        if (field.type == QLatin1String("Date")) {
            date = QDate::fromString(text, Qt::ISODate);
        } else if (field.type == QLatin1String("Time")) {
            date = QDate(2000, 1, 1);
            time = QTime::fromString(text.left(8), Qt::ISODate);
        } else {
            date = QDate::fromString(text.left(10), Qt::ISODate);
            time = QTime::fromString(text.mid(11, 8), Qt::ISODate);
        }
        if (!date.isValid() || !time.isValid() || field.format.isEmpty()) {
            return stored;
        }
        return escape(strftime(field.format, date, time));
    }
    if (field.type == QLatin1String("Number") || field.type == QLatin1String("Math")) {
        return numberText(stored, field.format);
    }
    if (field.type == QLatin1String("Boolean")) {
        const QString value = unescape(stored).trimmed().toLower();
        const QStringList names =
            (field.format.contains(QLatin1Char('/')) ? field.format : QStringLiteral("yes/no")).split(QLatin1Char('/'));
        if (value == QLatin1String("true") || value == QLatin1String("yes")) {
            return escape(names.value(0));
        }
        if (value == QLatin1String("false") || value == QLatin1String("no")) {
            return escape(names.value(1));
        }
    }
    return stored;
}

// The part of a title line at from when it is a reference; advances from past it.
bool parseReference(const QString &line, qsizetype &from, TitlePart &part, const NodeType &type)
{
    if (!QStringView(line).mid(from).startsWith(QLatin1String("{*"))) {
        return false;
    }
    qsizetype i = from + 2;
    QString modifier;
    while (i < line.size() && line.at(i) == QLatin1Char('*')) {
        modifier += line.at(i++);
    }
    if (modifier.isEmpty() && i < line.size() && QStringLiteral("?!&#").contains(line.at(i))) {
        modifier = line.at(i++);
    }
    const qsizetype nameStart = i;
    while (i < line.size() && isNameChar(line.at(i))) {
        ++i;
    }
    // The name's last character may have been the closing star's partner: "{*Name*}" ends in "*}".
    if (i == nameStart || !QStringView(line).mid(i).startsWith(QLatin1String("*}"))) {
        return false;
    }
    const QString name = line.mid(nameStart, i - nameStart);
    part = TitlePart();
    part.text = name;
    if (modifier.isEmpty()) {
        if (!type.fieldIndex.contains(name)) {
            return false;  // TreeLine shows a reference to a field the type lacks as it is written
        }
        part.kind = TitlePart::Own;
    } else if (modifier.startsWith(QLatin1Char('*'))) {
        part.kind = TitlePart::Ancestor;
        part.levels = int(modifier.size());
    } else if (modifier == QLatin1String("?")) {
        part.kind = TitlePart::AnyAncestor;
    } else if (modifier == QLatin1String("&")) {
        part.kind = TitlePart::Children;
    } else if (modifier == QLatin1String("#")) {
        // {*#Level2*}: the name ends in the number of generations down, never 0.
        qsizetype digits = name.size();
        while (digits > 0 && name.at(digits - 1).isDigit()) {
            --digits;
        }
        bool ok = false;
        const int levels = name.mid(digits).toInt(&ok);
        if (digits == 0 || !ok || levels <= 0) {
            return false;
        }
        part.kind = TitlePart::DescendantCount;
        part.levels = levels;
    } else {
        part.kind = TitlePart::None;  // the file's own data (name, size, dates): not known here
    }
    from = i + 2;
    return true;
}

const Field *fieldOf(const Tree &tree, int node, const QString &name)
{
    const int type = tree.nodes[size_t(node)].type;
    if (type < 0) {
        return nullptr;
    }
    const NodeType &nodeType = tree.types[size_t(type)];
    const auto it = nodeType.fieldIndex.constFind(name);
    return it == nodeType.fieldIndex.constEnd() ? nullptr : &nodeType.fields[size_t(*it)];
}

// A field as a title shows it: first line, prefix and suffix around a value that is there.
QString titleValue(const Tree &tree, int node, const Field &field)
{
    const QString value = plainValue(field, tree.nodes[size_t(node)].data);
    if (value.isEmpty()) {
        return value;
    }
    const NodeType &type = tree.types[size_t(tree.nodes[size_t(node)].type)];
    const QString prefix = type.formatHtml ? removeMarkup(field.prefix, false) : field.prefix;
    const QString suffix = type.formatHtml ? removeMarkup(field.suffix, false) : field.suffix;
    return prefix + value + suffix;
}

QString descendantCount(const Tree &tree, int node, int levels)
{
    // Clones make the count a sum of multiplicities, never a walk of every copy.
    QHash<int, qint64> frontier{{node, 1}};
    qint64 steps = 0;
    for (int level = 0; level < std::min(levels, MaxCountedLevels) && !frontier.isEmpty(); ++level) {
        QHash<int, qint64> next;
        for (auto it = frontier.cbegin(); it != frontier.cend(); ++it) {
            for (const int child : tree.nodes[size_t(it.key())].children) {
                if (++steps > MaxCountSteps) {
                    return QString();
                }
                qint64 &count = next[child];
                count = std::min<qint64>(count + it.value(), qint64(1) << 50);
            }
        }
        frontier = std::move(next);
    }
    if (levels > MaxCountedLevels) {
        frontier.clear();
    }
    qint64 total = 0;
    for (const qint64 count : std::as_const(frontier)) {
        total = std::min<qint64>(total + count, qint64(1) << 50);
    }
    return QString::number(total);
}

} // namespace

NodeType parseNodeType(const QJsonObject &object)
{
    NodeType type;
    type.name = object.value(QLatin1String("formatname")).toString();
    const QJsonArray fields = object.value(QLatin1String("fields")).toArray();
    for (const QJsonValue &value : fields) {
        const QJsonObject fieldObject = value.toObject();
        Field field;
        field.name = fieldObject.value(QLatin1String("fieldname")).toString();
        field.type = fieldObject.value(QLatin1String("fieldtype")).toString(QStringLiteral("Text"));
        field.format = fieldObject.value(QLatin1String("format")).toString();
        field.prefix = fieldObject.value(QLatin1String("prefix")).toString();
        field.suffix = fieldObject.value(QLatin1String("suffix")).toString();
        if (field.name.isEmpty()) {
            continue;
        }
        // A later field of the same name replaces the earlier one, as in TreeLine's field dictionary.
        const auto existing = type.fieldIndex.constFind(field.name);
        if (existing != type.fieldIndex.constEnd()) {
            type.fields[size_t(*existing)] = field;
        } else {
            type.fieldIndex.insert(field.name, int(type.fields.size()));
            type.fields.push_back(field);
        }
    }
    type.formatHtml = object.value(QLatin1String("formathtml")).toBool();
    type.outputSeparator = object.value(QLatin1String("outputsep")).toString(QStringLiteral(", "));

    // TreeLine runs the white space of a line together before it looks for references.
    const QString line = object.value(QLatin1String("titleline")).toString().simplified();
    QString literal;
    for (qsizetype i = 0; i < line.size();) {
        TitlePart part;
        if (parseReference(line, i, part, type)) {
            if (!literal.isEmpty()) {
                type.title.push_back(TitlePart{TitlePart::Literal, literal, 0});
                literal.clear();
            }
            type.title.push_back(part);
        } else {
            literal += line.at(i++);
        }
    }
    if (!literal.isEmpty()) {
        type.title.push_back(TitlePart{TitlePart::Literal, literal, 0});
    }
    return type;
}

QString plainValue(const Field &field, const QJsonObject &data)
{
    const QString stored = storedText(data, field.name);
    if (stored.isEmpty()) {
        return stored;
    }
    return removeMarkup(formattedValue(field, stored), true);
}

QString htmlValue(const Field &field, const QJsonObject &data)
{
    const QString stored = storedText(data, field.name);
    if (stored.isEmpty()) {
        return stored;
    }
    QString value = formattedValue(field, stored);
    if (field.type == QLatin1String("SpacedText")) {
        // Escaped text whose spaces and line breaks count.
        value.replace(QLatin1Char('\n'), QLatin1String("<br />"));
        value = QStringLiteral("<span style=\"white-space:pre-wrap\">") + value + QStringLiteral("</span>");
    }
    return field.prefix.toHtmlEscaped() + value + field.suffix.toHtmlEscaped();
}

bool titleShowsWhole(const NodeType &type, const Field &field, const QJsonObject &data)
{
    const bool inTitle = std::any_of(type.title.begin(), type.title.end(), [&](const TitlePart &part) {
        return part.kind == TitlePart::Own && part.text == field.name;
    });
    if (!inTitle) {
        return false;
    }
    const QString whole = removeMarkup(formattedValue(field, storedText(data, field.name)), false).trimmed();
    return !whole.contains(QLatin1Char('\n'));
}

QString titleOf(const Tree &tree, int node, const std::vector<int> &path)
{
    const Node &item = tree.nodes[size_t(node)];
    if (item.type < 0) {
        return QString();
    }
    QString title;
    for (const TitlePart &part : tree.types[size_t(item.type)].title) {
        switch (part.kind) {
        case TitlePart::Literal: title += part.text; break;
        case TitlePart::Own:
            if (const Field *field = fieldOf(tree, node, part.text)) {
                title += titleValue(tree, node, *field);
            }
            break;
        case TitlePart::Ancestor:
            if (size_t(part.levels) <= path.size()) {
                const int ancestor = path[path.size() - size_t(part.levels)];
                if (const Field *field = fieldOf(tree, ancestor, part.text)) {
                    title += titleValue(tree, ancestor, *field);
                }
            }
            break;
        case TitlePart::AnyAncestor:
            for (auto it = path.rbegin(); it != path.rend(); ++it) {
                if (const Field *field = fieldOf(tree, *it, part.text)) {
                    title += titleValue(tree, *it, *field);
                    break;
                }
            }
            break;
        case TitlePart::Children: {
            QStringList values;
            for (const int child : item.children) {
                if (const Field *field = fieldOf(tree, child, part.text)) {
                    values << titleValue(tree, child, *field);
                }
            }
            title += values.join(tree.types[size_t(item.type)].outputSeparator);
            break;
        }
        case TitlePart::DescendantCount: title += descendantCount(tree, node, part.levels); break;
        case TitlePart::None: break;
        }
    }
    return title.trimmed();
}

} // namespace formats::treeline
