// The writer's lists, tables and pictures: the list and override tables, table rows with their cell
// boundaries, and pictures as PNG data.
#include "text/richtext.h"
#include "text/rtf/writerstate.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

namespace rtf::detail {

// The list's entry in the list override table, counted from 1.
int Writer::listNumber(QTextList *list)
{
    const auto it = lists_.constFind(list);
    if (it != lists_.constEnd()) {
        return it.value();
    }
    if (QTextList *first = firstPartOf(*list)) {
        const int number = listNumber(first);
        lists_.insert(list, number);
        return number;
    }
    const int number = int(listFormats_.size()) + 1;
    lists_.insert(list, number);
    listFormats_.append(list->format());
    return number;
}

namespace {

// An item number as QTextList shows it in the list's style: decimal, letters (a to z, then aa...) or
// Roman numerals up to 4999 ("?" beyond); null for other styles.
QString numberText(int number, QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha: {
        const char base = style == QTextListFormat::ListUpperAlpha ? 'A' : 'a';
        QString text;
        for (int n = number; n > 0; n /= 26) {
            --n;
            text.prepend(QLatin1Char(char(base + n % 26)));
        }
        return text;
    }
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman: {
        if (number >= 5000) {
            return QStringLiteral("?");
        }
        static const int values[] = {1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1};
        static const char *const upper[] = {"M", "CM", "D", "CD", "C", "XC", "L", "XL", "X", "IX", "V", "IV", "I"};
        static const char *const lower[] = {"m", "cm", "d", "cd", "c", "xc", "l", "xl", "x", "ix", "v", "iv", "i"};
        const char *const *symbols = style == QTextListFormat::ListUpperRoman ? upper : lower;
        QString text;
        int n = number;
        for (int i = 0; i < 13; ++i) {
            for (; n >= values[i]; n -= values[i]) {
                text += QLatin1String(symbols[i]);
            }
        }
        return text;
    }
    case QTextListFormat::ListDecimal:
        return QString::number(number);
    default:
        return QString();
    }
}

} // namespace

QString Writer::itemText(QTextList *list, const QTextBlock &block)
{
    int &written = itemsWritten_[list];
    if (written >= list->count() || list->item(written) != block) {
        // Not the list's next item: where it stands in the list is looked up.
        written = list->itemNumber(block);
        if (written < 0) {
            written = 0;
            return list->itemText(block);
        }
    }
    ++written;
    const QTextListFormat format = list->format();
    const QString number = numberText(written, format.style());
    if (number.isNull()) {
        return list->itemText(block);
    }
    const QString prefix = format.numberPrefix();
    const QString suffix =
        format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix() : QStringLiteral(".");
    if (block.textDirection() == Qt::RightToLeft) {
        return suffix + number + prefix;
    }
    return prefix + number + suffix;
}

// The first part of a long list the reader held in several QTextLists, when the list is a later part: the
// part names it, and its format is the part's but for the name. Null for a list of its own.
QTextList *Writer::firstPartOf(const QTextList &list) const
{
    QTextListFormat format = list.format();
    if (!format.hasProperty(richtext::ListFirstPartProperty)) {
        return nullptr;
    }
    auto *first = qobject_cast<QTextList *>(document_.object(format.intProperty(richtext::ListFirstPartProperty)));
    format.clearProperty(richtext::ListFirstPartProperty);
    return first && first->format() == format ? first : nullptr;
}

// One list definition per list of the document, its levels alike, numbered or bulleted as the
// list is; a paragraph's own indents override the level's.
void Writer::appendListTables(QByteArray &out) const
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
            out.append("\\leveljc0\\leveljcn0\\levelfollow0");
            appendControl(out, "\\levelstartat",
                          format.hasProperty(richtext::ListStartProperty)
                              ? qBound(0, format.intProperty(richtext::ListStartProperty), 32767)
                              : 1);
            out.append("\\levelspace0\\levelindent0");
            if (nfc == 23) {
                // The bullet: a disc, a white bullet for circles, a small square for squares.
                const char *bullet = format.style() == QTextListFormat::ListCircle   ? "\\u9702 ?"
                                     : format.style() == QTextListFormat::ListSquare ? "\\u9642 ?"
                                                                                      : "\\u8226 ?";
                out.append("{\\leveltext\\'01");
                out.append(bullet);
                out.append(";}{\\levelnumbers;}");
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

// Rows of \trowd cell boundaries, cells ended by \cell and rows by \row. A table inside a
// cell is written as its cells' paragraphs, in order, within the outer cell.
void Writer::writeTable(QTextTable *table, int tableDepth)
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

void Writer::writeCellContent(const QTextTableCell &cell, int tableDepth)
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

// A picture read from RTF goes back as it came: its kind, its size and its data; any other picture as
// PNG data in hex; pictures the document cannot give are left out.
void Writer::writeImage(const QTextImageFormat &format)
{
    const QByteArray words = format.property(richtext::PictureWordsProperty).toByteArray();
    const QByteArray data = format.property(richtext::PictureDataProperty).toByteArray();
    if (!words.isEmpty() && !data.isEmpty()) {
        // Word processors since the first with PNG and JPEG pictures read those in \shppict; WMF and
        // bitmaps stand on their own, as every reader takes them.
        const bool modern =
            words.contains("\\pngblip") || words.contains("\\jpegblip") || words.contains("\\emfblip");
        body_.append(modern ? "{\\*\\shppict{\\pict" : "{\\pict");
        body_.append(words);
        body_.append("\r\n");
        appendHex(data);
        body_.append(modern ? "}}" : "}");
        return;
    }
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
    appendHex(png);
    body_.append("}}");
}

// Picture data in hex digits, 128 to a line.
void Writer::appendHex(const QByteArray &data)
{
    const qsizetype start = body_.size();
    body_.resize(start + data.size() * 2 + data.size() / 64 * 2);
    char *out = body_.data() + start;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(data.at(i));
        *out++ = HexDigits[b >> 4];
        *out++ = HexDigits[b & 15];
        if (i % 64 == 63) {
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    body_.resize(out - body_.data());
}

} // namespace rtf::detail
