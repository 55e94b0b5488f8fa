// Checking a known fact in a document: the formatting-facts benchmark's judge.
#include "rtffacts.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <vector>

namespace facts {

// Facts of a text with no character formatting of its own.
void plain(std::vector<Fact> &facts, const QString &text)
{
    for (Kind kind : {Kind::Bold, Kind::Italic, Kind::Underline, Kind::Strike}) {
        facts.push_back({kind, text, QStringLiteral("0")});
    }
}

// ---- Checking one fact in a document ----

// The first occurrence of text, any run of spaces matching any other: HTML collapses them.
QTextCursor findText(const QTextDocument &doc, const QString &text)
{
    QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (QString &word : words) {
        word = QRegularExpression::escape(word);
    }
    if (words.isEmpty()) {
        return doc.find(text, 0, QTextDocument::FindCaseSensitively);
    }
    const QRegularExpression pattern(words.join(QStringLiteral("\\s+")));
    return doc.find(pattern, 0, QTextDocument::FindCaseSensitively);
}

QString alignmentName(Qt::Alignment a)
{
    a &= Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute;
    if (a & Qt::AlignHCenter) {
        return QStringLiteral("center");
    }
    if (a & Qt::AlignJustify) {
        return QStringLiteral("justify");
    }
    if (a & (Qt::AlignRight | Qt::AlignTrailing)) {
        return QStringLiteral("right");
    }
    return QStringLiteral("left");
}

QString listStyleName(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDisc:
        return QStringLiteral("disc");
    case QTextListFormat::ListCircle:
        return QStringLiteral("circle");
    case QTextListFormat::ListSquare:
        return QStringLiteral("square");
    case QTextListFormat::ListDecimal:
        return QStringLiteral("decimal");
    case QTextListFormat::ListLowerAlpha:
        return QStringLiteral("lower-alpha");
    case QTextListFormat::ListUpperAlpha:
        return QStringLiteral("upper-alpha");
    case QTextListFormat::ListLowerRoman:
        return QStringLiteral("lower-roman");
    case QTextListFormat::ListUpperRoman:
        return QStringLiteral("upper-roman");
    default:
        return QStringLiteral("other");
    }
}

QString firstFamily(const QTextCharFormat &f)
{
    const QStringList families = f.fontFamilies().toStringList();
    QString family = families.isEmpty() ? f.stringProperty(QTextFormat::FontFamily) : families.first();
    family = family.section(QLatin1Char(','), 0, 0).trimmed();
    family.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
    return family;
}

// The value a character property has at the character starting at pos.
QString charValue(const QTextDocument &doc, Kind kind, int pos)
{
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(pos + 1);
    const QTextCharFormat f = c.charFormat();
    switch (kind) {
    case Kind::Bold:
        return f.fontWeight() > QFont::Medium ? QStringLiteral("1") : QStringLiteral("0");
    case Kind::Italic:
        return f.fontItalic() ? QStringLiteral("1") : QStringLiteral("0");
    case Kind::Underline:
        return f.fontUnderline() || f.underlineStyle() != QTextCharFormat::NoUnderline ? QStringLiteral("1")
                                                                                       : QStringLiteral("0");
    case Kind::Strike:
        return f.fontStrikeOut() ? QStringLiteral("1") : QStringLiteral("0");
    case Kind::Family:
        return firstFamily(f);
    case Kind::Size: {
        double pt = f.fontPointSize();
        if (pt <= 0) {
            pt = doc.defaultFont().pointSizeF();
        }
        return QString::number(qRound(pt * 2) / 2.0);
    }
    case Kind::Colour:
        return f.foreground().style() == Qt::NoBrush ? QStringLiteral("#000000") : f.foreground().color().name();
    case Kind::Link:
        return f.isAnchor() ? f.anchorHref() : QString();
    default:
        return QString();
    }
}

// Whether the fact holds in doc; seen gets what the document has instead.
bool holds(const QTextDocument &doc, const Fact &fact, QString *seen)
{
    const QTextCursor at = findText(doc, fact.text);
    if (at.isNull()) {
        *seen = QStringLiteral("text not found");
        return false;
    }
    const QTextBlock block = at.block();
    switch (fact.kind) {
    case Kind::Text:
        return true;
    case Kind::Bold:
    case Kind::Italic:
    case Kind::Underline:
    case Kind::Strike:
    case Kind::Family:
    case Kind::Size:
    case Kind::Colour:
    case Kind::Link:
        for (int pos = at.selectionStart(); pos < at.selectionEnd(); ++pos) {
            if (doc.characterAt(pos).isSpace()) {
                continue;
            }
            const QString value = charValue(doc, fact.kind, pos);
            bool same = value == fact.value;
            if (fact.kind == Kind::Family) {
                same = value.compare(fact.value, Qt::CaseInsensitive) == 0;
            }
            if (!same) {
                *seen = value.isEmpty() ? QStringLiteral("(none)") : value;
                return false;
            }
        }
        return true;
    case Kind::Align:
        *seen = alignmentName(block.blockFormat().alignment());
        return *seen == fact.value;
    case Kind::List: {
        const QTextList *list = block.textList();
        if (!list) {
            *seen = QStringLiteral("none");
        } else {
            const auto style = list->format().style();
            const bool bullet = style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
                                style == QTextListFormat::ListSquare;
            *seen = bullet ? QStringLiteral("bullet") : QStringLiteral("number");
        }
        return *seen == fact.value;
    }
    case Kind::ListStyle:
        *seen = block.textList() ? listStyleName(block.textList()->format().style()) : QStringLiteral("none");
        return *seen == fact.value;
    case Kind::ListLevel:
        *seen = block.textList() ? QString::number(block.textList()->format().indent()) : QStringLiteral("none");
        return *seen == fact.value;
    case Kind::Cell: {
        QTextCursor c = at;
        c.setPosition(at.selectionStart());
        const QTextTable *table = c.currentTable();
        if (!table) {
            *seen = QStringLiteral("none");
        } else {
            const QTextTableCell cell = table->cellAt(c);
            *seen = QStringLiteral("%1x%2").arg(cell.rowSpan()).arg(cell.columnSpan());
        }
        return *seen == fact.value;
    }
    case Kind::PageBreak: {
        bool brk = block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
        // A break before a table is the table's own.
        QTextCursor c(block);
        if (const QTextTable *table = c.currentTable()) {
            if (table->cellAt(c).row() == 0) {
                brk = brk || (table->format().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
            }
        }
        *seen = brk ? QStringLiteral("1") : QStringLiteral("0");
        return *seen == fact.value;
    }
    case Kind::NoteMark: {
        const int from = at.selectionEnd() - block.position();
        *seen = block.text().mid(from, fact.value.size());
        return *seen == fact.value;
    }
    case Kind::NoteText: {
        const QTextCursor body = findText(doc, fact.value);
        if (body.isNull()) {
            *seen = QStringLiteral("body text not found");
            return false;
        }
        *seen = QStringLiteral("before the body's end");
        return at.selectionStart() > body.selectionEnd();
    }
    case Kind::Count:
        break;
    }
    return false;
}


// ---- Facts of corpus documents, from LibreOffice's HTML export of them ----

// Runs of at least a few letters whose text occurs once in the document, with their bold, italic,
// underline and strike-out; paragraphs with their list kind and table cell.
std::vector<Fact> factsOf(const QTextDocument &doc)
{
    std::vector<Fact> facts;
    const QString all = doc.toPlainText();
    auto unique = [&](const QString &t) { return all.indexOf(t) == all.lastIndexOf(t); };
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QString paragraph = block.text().simplified();
        if (paragraph.size() >= 8 && unique(block.text())) {
            const QString text = block.text().trimmed().left(40);
            QString seen;
            Fact list{Kind::List, text, QString()};
            holds(doc, list, &seen);
            list.value = seen;
            facts.push_back(list);
            Fact cell{Kind::Cell, text, QString()};
            holds(doc, cell, &seen);
            cell.value = seen;
            facts.push_back(cell);
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString text = fragment.text().trimmed();
            if (text.size() < 4 || !unique(text) || text.contains(QChar::ObjectReplacementCharacter)) {
                continue;
            }
            const QTextCharFormat f = fragment.charFormat();
            facts.push_back({Kind::Bold, text, f.fontWeight() > QFont::Medium ? "1" : "0"});
            facts.push_back({Kind::Italic, text, f.fontItalic() ? "1" : "0"});
            if (!f.isAnchor()) {
                facts.push_back({Kind::Underline, text, f.fontUnderline() ? "1" : "0"});
            } else if (!f.anchorHref().startsWith(QLatin1Char('#'))) {
                facts.push_back({Kind::Link, text, f.anchorHref()});
            }
            facts.push_back({Kind::Strike, text, f.fontStrikeOut() ? "1" : "0"});
        }
    }
    return facts;
}


} // namespace facts
