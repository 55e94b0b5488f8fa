// Writes a QTextDocument as a 7-bit clean RTF 1.x document.
#include "text/rtf/rtfwriter.h"

#include "text/richtext.h"

#include <QBuffer>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <cmath>
#include <cstring>
#include <vector>

namespace rtf {

namespace {

// Document units are pixels at 96 dpi; RTF measures in twips (1/1440 inch): 15 twips a pixel.
constexpr int TwipsPerPixel = 15;
// Qt indents a list by 40 pixels a level.
constexpr int ListIndentPixels = 40;
// A list paragraph without a stored hanging indent hangs by one list level, 40 px = 30 pt.
constexpr double DefaultHangingPoints = 30.0;

// Windows-1252 bytes 0x80-0x9F and the characters they stand for (0 where the byte is undefined).
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The Windows-1252 byte of a character, or 0 when it has none.
unsigned char cp1252Byte(char16_t c)
{
    if (c >= 0xA0 && c <= 0xFF) {
        return static_cast<unsigned char>(c);
    }
    if (c >= 0x152 && c <= 0x2122) {
        for (int i = 0; i < 32; ++i) {
            if (Cp1252High[i] == c) {
                return static_cast<unsigned char>(0x80 + i);
            }
        }
    }
    return 0;
}

const char HexDigits[] = "0123456789abcdef";

void appendInt(QByteArray &out, qint64 value)
{
    char buf[24];
    int n = 0;
    const bool negative = value < 0;
    quint64 v = negative ? quint64(-(value + 1)) + 1 : quint64(value);
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative) {
        out.append('-');
    }
    while (n > 0) {
        out.append(buf[--n]);
    }
}

void appendControl(QByteArray &out, const char *word, qint64 value)
{
    out.append(word);
    appendInt(out, value);
}

// Measures from a document may be anything; RTF numbers are kept within what readers take.
int roundToInt(double value)
{
    if (!(value == value)) {
        return 0; // NaN
    }
    return int(std::lround(qBound(-1e8, value, 1e8)));
}

// Writes a number at p and returns the end; p needs room for 11 characters.
char *putInt(char *p, int value)
{
    char buf[12];
    int n = 0;
    unsigned v = value < 0 ? 0u - unsigned(value) : unsigned(value);
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (value < 0) {
        *p++ = '-';
    }
    while (n > 0) {
        *p++ = buf[--n];
    }
    return p;
}

// Text escaped for RTF: \ { } escaped, tab and line break as control words, Windows-1252 as \'hh,
// everything else as \uN? (UTF-16 units, signed 16-bit, so a surrogate pair becomes two \u).
// Written straight into room made ahead: at most 9 bytes a character ("\u-32768?").
void appendText(QByteArray &out, const QChar *chars, qsizetype length)
{
    const qsizetype start = out.size();
    out.resize(start + length * 9);
    char *const begin = out.data();
    char *p = begin + start;
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = chars[i].unicode();
        if (c >= 0x20 && c < 0x80) {
            if (c == '\\' || c == '{' || c == '}') {
                *p++ = '\\';
            }
            *p++ = char(c);
        } else if (c == '\t') {
            std::memcpy(p, "\\tab ", 5);
            p += 5;
        } else if (c == QChar::LineSeparator) {
            std::memcpy(p, "\\line ", 6);
            p += 6;
        } else if (const unsigned char b = cp1252Byte(c)) {
            *p++ = '\\';
            *p++ = '\'';
            *p++ = HexDigits[b >> 4];
            *p++ = HexDigits[b & 15];
        } else {
            *p++ = '\\';
            *p++ = 'u';
            p = putInt(p, qint16(c));
            *p++ = '?';
        }
    }
    out.resize(p - begin);
}

void appendText(QByteArray &out, const QString &text)
{
    appendText(out, text.constData(), text.size());
}

// The RTF font family of a face name, so that a reader without the face picks a similar one.
const char *fontFamilyWord(const QString &name)
{
    const QString n = name.toLower();
    if (n.contains(QLatin1String("symbol")) || n.contains(QLatin1String("wingdings"))) {
        return "\\ftech";
    }
    if (n.contains(QLatin1String("mono")) || n.contains(QLatin1String("courier")) ||
        n.contains(QLatin1String("consol")) || n.contains(QLatin1String("fixed"))) {
        return "\\fmodern";
    }
    if (n.contains(QLatin1String("sans")) || n.contains(QLatin1String("arial")) ||
        n.contains(QLatin1String("helvetica")) || n.contains(QLatin1String("verdana")) ||
        n.contains(QLatin1String("tahoma")) || n.contains(QLatin1String("calibri")) ||
        n.contains(QLatin1String("segoe"))) {
        return "\\fswiss";
    }
    if (n.contains(QLatin1String("serif")) || n.contains(QLatin1String("times")) ||
        n.contains(QLatin1String("georgia")) || n.contains(QLatin1String("roman")) ||
        n.contains(QLatin1String("cambria"))) {
        return "\\froman";
    }
    return "\\fnil";
}

// One document's writer: a single pass over blocks and fragments into the body, collecting the
// font and colour tables on the way; the header is put in front at the end.
class Writer
{
public:
    explicit Writer(const QTextDocument &document) : document_(document)
    {
        const QFont font = document.defaultFont();
        defaultFamily_ = font.family();
        if (font.pointSizeF() > 0) {
            defaultPoints_ = font.pointSizeF();
        } else if (font.pixelSize() > 0) {
            defaultPoints_ = font.pixelSize() * 0.75;
        }
        fontIndex(defaultFamily_);
    }

    QByteArray write()
    {
        // Formatted text runs to about three bytes of RTF a character.
        body_.reserve(qsizetype(document_.characterCount()) * 3 + 4096);
        writeFrame(document_.rootFrame(), 0);
        return assemble();
    }

private:
    int fontIndex(const QString &family)
    {
        const auto it = fonts_.constFind(family);
        if (it != fonts_.constEnd()) {
            return it.value();
        }
        const int index = int(fontNames_.size());
        fonts_.insert(family, index);
        fontNames_.append(family);
        return index;
    }

    // The list's entry in the list override table, counted from 1.
    int listNumber(QTextList *list)
    {
        const auto it = lists_.constFind(list);
        if (it != lists_.constEnd()) {
            return it.value();
        }
        const int number = int(listFormats_.size()) + 1;
        lists_.insert(list, number);
        listFormats_.append(list->format());
        return number;
    }

    // One list definition per list of the document, its levels alike, numbered or bulleted as the
    // list is; a paragraph's own indents override the level's.
    void appendListTables(QByteArray &out) const
    {
        if (listFormats_.isEmpty()) {
            return;
        }
        out.append("{\\*\\listtable");
        for (qsizetype i = 0; i < listFormats_.size(); ++i) {
            const QTextListFormat &format = listFormats_.at(i);
            int nfc = 23; // bullet
            switch (format.style()) {
            case QTextListFormat::ListDecimal:
                nfc = 0;
                break;
            case QTextListFormat::ListUpperRoman:
                nfc = 1;
                break;
            case QTextListFormat::ListLowerRoman:
                nfc = 2;
                break;
            case QTextListFormat::ListUpperAlpha:
                nfc = 3;
                break;
            case QTextListFormat::ListLowerAlpha:
                nfc = 4;
                break;
            default:
                break;
            }
            // ';' ends a level text, and its length must fit the one length byte.
            const QString prefix = format.numberPrefix().left(100).remove(QLatin1Char(';'));
            const QString suffix = (format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix()
                                                                                       : QStringLiteral("."))
                                       .left(100)
                                       .remove(QLatin1Char(';'));
            appendControl(out, "\r\n{\\list\\listtemplateid", i + 1);
            // Levels up to the list's own; a paragraph names its level with \ilvl.
            const int levels = qBound(1, format.indent(), 9);
            for (int level = 0; level < levels; ++level) {
                appendControl(out, "{\\listlevel\\levelnfc", nfc);
                appendControl(out, "\\levelnfcn", nfc);
                out.append("\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1\\levelspace0\\levelindent0");
                if (nfc == 23) {
                    out.append("{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}");
                } else {
                    // The level text: its length, then the text with the level's number as a
                    // placeholder byte; level numbers give the placeholder's position.
                    const int length = int(prefix.size() + 1 + suffix.size());
                    out.append("{\\leveltext\\'");
                    out.append(HexDigits[(length >> 4) & 15]);
                    out.append(HexDigits[length & 15]);
                    appendText(out, prefix);
                    out.append("\\'0");
                    out.append(HexDigits[level]);
                    appendText(out, suffix);
                    out.append(";}{\\levelnumbers\\'");
                    const int position = int(prefix.size() + 1);
                    out.append(HexDigits[(position >> 4) & 15]);
                    out.append(HexDigits[position & 15]);
                    out.append(";}");
                }
                appendControl(out, "\\fi-", 360);
                appendControl(out, "\\li", (level + 1) * 720);
                out.append('}');
            }
            appendControl(out, "\\listid", i + 1);
            out.append('}');
        }
        out.append("}\r\n{\\*\\listoverridetable");
        for (qsizetype i = 0; i < listFormats_.size(); ++i) {
            appendControl(out, "{\\listoverride\\listid", i + 1);
            appendControl(out, "\\listoverridecount0\\ls", i + 1);
            out.append('}');
        }
        out.append("}\r\n");
    }

    int symbolFont()
    {
        if (symbolFont_ < 0) {
            symbolFont_ = fontIndex(QStringLiteral("Symbol"));
        }
        return symbolFont_;
    }

    // Index in the colour table; 0 is the reader's automatic colour, so entries count from 1.
    int colourIndex(QRgb rgb)
    {
        rgb |= 0xff000000u;
        const auto it = colours_.constFind(rgb);
        if (it != colours_.constEnd()) {
            return it.value();
        }
        const int index = int(colourList_.size()) + 1;
        colours_.insert(rgb, index);
        colourList_.append(rgb);
        return index;
    }

    QString familyOf(const QTextCharFormat &format) const
    {
        if (format.hasProperty(QTextFormat::FontFamilies)) {
            const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
            if (!families.isEmpty() && !families.first().isEmpty()) {
                return families.first();
            }
        }
        if (format.hasProperty(QTextFormat::FontFamily)) {
            const QString family = format.stringProperty(QTextFormat::FontFamily);
            if (!family.isEmpty()) {
                return family;
            }
        }
        return defaultFamily_;
    }

    // "\plain\fN\fsN\b\i... " for a character format; cached by format index, since a document
    // has few distinct formats and many fragments.
    const QByteArray &runPrefix(int formatIndex, const QTextCharFormat &format)
    {
        if (formatIndex >= 0 && formatIndex < int(prefixes_.size()) && prefixes_[formatIndex].ready) {
            return prefixes_[formatIndex].bytes;
        }
        QByteArray out;
        out.append("\\plain");
        appendControl(out, "\\f", fontIndex(familyOf(format)));
        double points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : 0.0;
        if (points <= 0 && format.hasProperty(QTextFormat::FontPixelSize)) {
            points = format.intProperty(QTextFormat::FontPixelSize) * 0.75;
        }
        if (points <= 0) {
            points = defaultPoints_;
        }
        appendControl(out, "\\fs", qBound(1, roundToInt(points * 2), 32767));
        const QFont defaultFont = document_.defaultFont();
        const int weight = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight()
                                                                          : int(defaultFont.weight());
        if (weight >= QFont::DemiBold) {
            out.append("\\b");
        }
        if (format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic() : defaultFont.italic()) {
            out.append("\\i");
        }
        QTextCharFormat::UnderlineStyle underline = format.underlineStyle();
        if (!format.hasProperty(QTextFormat::TextUnderlineStyle)) {
            const bool on = format.hasProperty(QTextFormat::FontUnderline) ? format.boolProperty(QTextFormat::FontUnderline)
                                                                           : defaultFont.underline();
            underline = on ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline;
        }
        switch (underline) {
        case QTextCharFormat::NoUnderline:
        case QTextCharFormat::SpellCheckUnderline: // marks a misspelling on screen, not a look of the text
            break;
        case QTextCharFormat::DashUnderline:
            out.append("\\uldash");
            break;
        case QTextCharFormat::DotLine:
            out.append("\\uld");
            break;
        case QTextCharFormat::DashDotLine:
            out.append("\\uldashd");
            break;
        case QTextCharFormat::DashDotDotLine:
            out.append("\\uldashdd");
            break;
        case QTextCharFormat::WaveUnderline:
            out.append("\\ulwave");
            break;
        default:
            out.append("\\ul");
            break;
        }
        if (format.hasProperty(QTextFormat::FontStrikeOut) ? format.fontStrikeOut() : defaultFont.strikeOut()) {
            out.append("\\strike");
        }
        const QBrush foreground = format.foreground();
        if (foreground.style() != Qt::NoBrush) {
            appendControl(out, "\\cf", colourIndex(foreground.color().rgb()));
        }
        const QBrush background = format.background();
        if (background.style() != Qt::NoBrush) {
            const int index = colourIndex(background.color().rgb());
            appendControl(out, "\\highlight", index);
            appendControl(out, "\\cb", index);
        }
        const QTextCharFormat::VerticalAlignment vertical = format.verticalAlignment();
        if (vertical == QTextCharFormat::AlignSuperScript) {
            out.append("\\super");
        } else if (vertical == QTextCharFormat::AlignSubScript) {
            out.append("\\sub");
        }
        out.append(' ');
        if (formatIndex < 0) {
            scratch_ = out;
            return scratch_;
        }
        if (formatIndex >= int(prefixes_.size())) {
            prefixes_.resize(size_t(formatIndex) + 1);
        }
        prefixes_[formatIndex].bytes = out;
        prefixes_[formatIndex].ready = true;
        return prefixes_[formatIndex].bytes;
    }

    void writeFrame(const QTextFrame *frame, int tableDepth)
    {
        for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame()) {
                if (QTextTable *table = qobject_cast<QTextTable *>(child)) {
                    writeTable(table, tableDepth);
                } else {
                    writeFrame(child, tableDepth);
                }
            } else {
                writeBlock(it.currentBlock(), tableDepth > 0);
            }
        }
    }

    // Rows of \trowd cell boundaries, cells ended by \cell and rows by \row. A table inside a
    // cell is written as its cells' paragraphs, in order, within the outer cell.
    void writeTable(QTextTable *table, int tableDepth)
    {
        if (tableDepth > 0) {
            for (int row = 0; row < table->rows(); ++row) {
                for (int column = 0; column < table->columns(); ++column) {
                    const QTextTableCell cell = table->cellAt(row, column);
                    if (cell.row() == row && cell.column() == column) {
                        writeCellContent(cell, tableDepth);
                    }
                }
            }
            return;
        }
        const int columns = table->columns();
        const int rows = table->rows();
        // Cell boundaries: fixed widths when the table gives them, else the text width shared evenly.
        const QVector<QTextLength> constraints = table->format().columnWidthConstraints();
        std::vector<int> rightEdges(size_t(columns), 0);
        const int totalTwips = 9360; // 6.5 inch, the text width of a letter page with 1 inch margins
        int edge = 0;
        for (int c = 0; c < columns; ++c) {
            int width = totalTwips / qMax(1, columns);
            if (c < constraints.size()) {
                const QTextLength &length = constraints.at(c);
                if (length.type() == QTextLength::FixedLength) {
                    width = roundToInt(length.rawValue() * TwipsPerPixel);
                } else if (length.type() == QTextLength::PercentageLength) {
                    width = roundToInt(totalTwips * length.rawValue() / 100.0);
                }
            }
            edge += qMax(width, 30);
            rightEdges[size_t(c)] = edge;
        }
        for (int row = 0; row < rows; ++row) {
            body_.append("\\trowd\\trgaph108");
            for (int column = 0; column < columns; ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                if (cell.row() != row && cell.column() == column) {
                    body_.append("\\clvmrg");
                } else if (cell.rowSpan() > 1 && cell.row() == row && cell.column() == column) {
                    body_.append("\\clvmgf");
                }
                if (cell.column() != column) {
                    body_.append("\\clmrg");
                } else if (cell.columnSpan() > 1) {
                    body_.append("\\clmgf");
                }
                appendControl(body_, "\\cellx", rightEdges[size_t(column)]);
            }
            body_.append("\r\n");
            for (int column = 0; column < columns; ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                if (cell.row() == row && cell.column() == column) {
                    needsBreak_ = false;
                    writeCellContent(cell, tableDepth + 1);
                    needsBreak_ = false;
                } else {
                    body_.append("\\pard\\intbl");
                }
                body_.append("\\cell ");
            }
            body_.append("\\row\r\n");
        }
        needsBreak_ = false;
    }

    void writeCellContent(const QTextTableCell &cell, int tableDepth)
    {
        for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame()) {
                if (QTextTable *table = qobject_cast<QTextTable *>(child)) {
                    writeTable(table, tableDepth);
                } else {
                    writeFrame(child, tableDepth);
                }
            } else {
                writeBlock(it.currentBlock(), true);
            }
        }
    }

    // Every paragraph ends with \par, the last one included, as word processors write it; in a
    // table cell \par only separates paragraphs, since \cell ends the last one.
    void writeBlock(const QTextBlock &block, bool inTable)
    {
        if (!inTable) {
            writeBlockContent(block, false);
            body_.append("\\par\r\n");
            return;
        }
        if (needsBreak_) {
            body_.append("\\par\r\n");
        }
        writeBlockContent(block, true);
        needsBreak_ = true;
    }

    void writeParagraphFormat(const QTextBlock &block, bool inTable)
    {
        const QTextBlockFormat format = block.blockFormat();
        body_.append("\\pard");
        if (inTable) {
            body_.append("\\intbl");
        }
        if (QTextList *list = block.textList()) {
            const QTextListFormat listFormat = list->format();
            const int indent = qMax(1, listFormat.indent());
            const double hanging = format.hasProperty(richtext::HangingIndentProperty)
                                       ? format.doubleProperty(richtext::HangingIndentProperty)
                                       : DefaultHangingPoints;
            const int hangingTwips = qMax(0, roundToInt(hanging * 20));
            const int leftTwips = roundToInt((format.leftMargin() + ListIndentPixels * indent) * TwipsPerPixel);
            const QTextListFormat::Style style = listFormat.style();
            if (style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
                style == QTextListFormat::ListSquare) {
                const int symbol = symbolFont();
                appendControl(body_, "{\\pntext\\f", symbol);
                body_.append("\\'b7\\tab}");
                appendControl(body_, "{\\*\\pn\\pnlvlblt\\pnf", symbol);
                body_.append("\\pnindent0{\\pntxtb\\'b7}}");
            } else {
                const char *numbering = "\\pndec";
                switch (style) {
                case QTextListFormat::ListLowerAlpha:
                    numbering = "\\pnlcltr";
                    break;
                case QTextListFormat::ListUpperAlpha:
                    numbering = "\\pnucltr";
                    break;
                case QTextListFormat::ListLowerRoman:
                    numbering = "\\pnlcrm";
                    break;
                case QTextListFormat::ListUpperRoman:
                    numbering = "\\pnucrm";
                    break;
                default:
                    break;
                }
                // Numbers show in the font the paragraph's text starts with.
                const QTextBlock::iterator firstRun = block.begin();
                const QTextCharFormat numberFormat =
                    firstRun.atEnd() ? block.charFormat() : firstRun.fragment().charFormat();
                const int font = fontIndex(familyOf(numberFormat));
                appendControl(body_, "{\\pntext\\f", font);
                body_.append(' ');
                appendText(body_, list->itemText(block));
                body_.append("\\tab}");
                appendControl(body_, "{\\*\\pn\\pnlvlbody\\pnf", font);
                body_.append("\\pnindent0\\pnstart1");
                body_.append(numbering);
                const QString prefix = listFormat.numberPrefix();
                // Without a stored suffix a list numbers "1." as Qt shows it.
                const QString suffix = listFormat.hasProperty(QTextFormat::ListNumberSuffix)
                                           ? listFormat.numberSuffix()
                                           : QStringLiteral(".");
                if (!prefix.isEmpty()) {
                    body_.append("{\\pntxtb ");
                    appendText(body_, prefix);
                    body_.append('}');
                }
                body_.append("{\\pntxta ");
                appendText(body_, suffix);
                body_.append("}}");
            }
            // Newer readers take the list and its level from the list table.
            appendControl(body_, "\\ls", listNumber(list));
            appendControl(body_, "\\ilvl", qMin(indent, 9) - 1);
            appendControl(body_, "\\fi", -hangingTwips);
            appendControl(body_, "\\li", leftTwips);
        } else {
            const int first = roundToInt(format.textIndent() * TwipsPerPixel);
            const int left = roundToInt(format.leftMargin() * TwipsPerPixel);
            if (first != 0) {
                appendControl(body_, "\\fi", first);
            }
            if (left != 0) {
                appendControl(body_, "\\li", left);
            }
        }
        const int right = roundToInt(format.rightMargin() * TwipsPerPixel);
        const int before = roundToInt(format.topMargin() * TwipsPerPixel);
        const int after = roundToInt(format.bottomMargin() * TwipsPerPixel);
        if (right != 0) {
            appendControl(body_, "\\ri", right);
        }
        if (before != 0) {
            appendControl(body_, "\\sb", before);
        }
        if (after != 0) {
            appendControl(body_, "\\sa", after);
        }
        const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
        if (alignment & Qt::AlignHCenter) {
            body_.append("\\qc");
        } else if (alignment & Qt::AlignJustify) {
            body_.append("\\qj");
        } else if (alignment & Qt::AlignRight) {
            body_.append("\\qr");
        } else {
            body_.append("\\ql");
        }
    }

    void writeBlockContent(const QTextBlock &block, bool inTable)
    {
        writeParagraphFormat(block, inTable);
        int lastFormat = -2;
        QByteArray lastPrefix;
        QString href;
        bool any = false;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) {
                continue;
            }
            any = true;
            const int formatIndex = fragment.charFormatIndex();
            const QTextCharFormat format = fragment.charFormat();
            const QString fragmentHref = format.isAnchor() ? format.anchorHref() : QString();
            if (fragmentHref != href) {
                if (!href.isEmpty()) {
                    body_.append("}}}");
                }
                href = fragmentHref;
                if (!href.isEmpty()) {
                    body_.append("{\\field{\\*\\fldinst HYPERLINK \"");
                    appendText(body_, QString(href).replace(QLatin1Char('"'), QLatin1String("%22")));
                    body_.append("\"}{\\fldrslt{");
                }
                lastFormat = -2;
                lastPrefix.clear();
            }
            if (formatIndex != lastFormat) {
                // Formats that differ only in what RTF does not hold write the same prefix once.
                const QByteArray &prefix = runPrefix(formatIndex, format);
                if (prefix != lastPrefix) {
                    body_.append(prefix);
                    lastPrefix = prefix;
                }
                lastFormat = formatIndex;
            }
            const QString text = fragment.text();
            if (format.isImageFormat()) {
                const QTextImageFormat image = format.toImageFormat();
                for (qsizetype i = 0; i < text.size(); ++i) {
                    writeImage(image);
                }
            } else {
                appendText(body_, text.constData(), text.size());
            }
        }
        if (!href.isEmpty()) {
            body_.append("}}}");
        }
        if (!any) {
            // An empty paragraph keeps the font and size of its paragraph mark.
            body_.append(runPrefix(-1, block.charFormat()));
        }
    }

    // A picture as PNG data in hex; pictures the document cannot give are left out.
    void writeImage(const QTextImageFormat &format)
    {
        const QVariant resource = document_.resource(QTextDocument::ImageResource, QUrl(format.name()));
        QImage image;
        if (resource.userType() == QMetaType::QImage) {
            image = resource.value<QImage>();
        } else if (resource.userType() == QMetaType::QPixmap) {
            image = resource.value<QPixmap>().toImage();
        } else if (resource.userType() == QMetaType::QByteArray) {
            image.loadFromData(resource.toByteArray());
        }
        if (image.isNull()) {
            return;
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) {
            return;
        }
        const double width = format.width() > 0 ? format.width() : image.width();
        const double height = format.height() > 0 ? format.height() : image.height();
        body_.append("{\\*\\shppict{\\pict\\pngblip");
        appendControl(body_, "\\picw", image.width());
        appendControl(body_, "\\pich", image.height());
        appendControl(body_, "\\picwgoal", roundToInt(width * TwipsPerPixel));
        appendControl(body_, "\\pichgoal", roundToInt(height * TwipsPerPixel));
        body_.append("\r\n");
        const qsizetype start = body_.size();
        body_.resize(start + png.size() * 2 + png.size() / 64 * 2);
        char *out = body_.data() + start;
        for (qsizetype i = 0; i < png.size(); ++i) {
            const unsigned char b = static_cast<unsigned char>(png.at(i));
            *out++ = HexDigits[b >> 4];
            *out++ = HexDigits[b & 15];
            if (i % 64 == 63) {
                *out++ = '\r';
                *out++ = '\n';
            }
        }
        body_.resize(out - body_.data());
        body_.append("}}");
    }

    QByteArray assemble()
    {
        QByteArray out;
        out.reserve(body_.size() + 512 + fontNames_.size() * 48 + colourList_.size() * 32);
        out.append("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl");
        for (qsizetype i = 0; i < fontNames_.size(); ++i) {
            const QString &name = fontNames_.at(i);
            appendControl(out, "{\\f", i);
            out.append(fontFamilyWord(name));
            out.append(qsizetype(i) == symbolFont_ ? "\\fcharset2 " : "\\fcharset0 ");
            // A face name ends at ';' in the font table.
            QString cleaned = name;
            cleaned.remove(QLatin1Char(';'));
            appendText(out, cleaned);
            out.append(";}");
        }
        out.append("}\r\n");
        if (!colourList_.isEmpty()) {
            out.append("{\\colortbl ;");
            for (QRgb rgb : colourList_) {
                appendControl(out, "\\red", qRed(rgb));
                appendControl(out, "\\green", qGreen(rgb));
                appendControl(out, "\\blue", qBlue(rgb));
                out.append(';');
            }
            out.append("}\r\n");
        }
        appendListTables(out);
        out.append("\\viewkind4\\uc1\r\n");
        out.append(body_);
        // The closing brace on a line of its own: a record keeps it as its last entry.
        if (!body_.endsWith("\r\n")) {
            out.append("\r\n");
        }
        out.append("}\r\n");
        return out;
    }

    struct Prefix
    {
        QByteArray bytes;
        bool ready = false;
    };

    const QTextDocument &document_;
    QString defaultFamily_;
    double defaultPoints_ = 12.0;
    QHash<QString, int> fonts_;
    QStringList fontNames_;
    int symbolFont_ = -1;
    QHash<const QTextList *, int> lists_;
    QList<QTextListFormat> listFormats_;
    QHash<QRgb, int> colours_;
    QList<QRgb> colourList_;
    std::vector<Prefix> prefixes_;
    QByteArray scratch_;
    QByteArray body_;
    bool needsBreak_ = false;
};

} // namespace

QByteArray write(const QTextDocument &document)
{
    return Writer(document).write();
}

} // namespace rtf
