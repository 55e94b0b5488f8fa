// Writes a QTextDocument as a 7-bit clean RTF 1.x document. This file writes the header, the
// paragraphs and their runs; lists, tables and pictures are written beside it.
#include "text/rtf/rtfwriter.h"

#include "text/richtext.h"
#include "text/rtf/writerstate.h"

#include <QColor>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <QTextTable>

namespace rtf {

namespace detail {

Writer::Writer(const QTextDocument &document) : document_(document)
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

QByteArray Writer::write()
{
    // Formatted text runs to about three bytes of RTF a character.
    body_.reserve(qsizetype(document_.characterCount()) * 3 + 4096);
    writeFrame(document_.rootFrame(), 0);
    return assemble();
}

QByteArray Writer::writePlain(QStringView text)
{
    body_.reserve(text.size() + 64);
    const QTextCharFormat plain;
    const auto paragraph = [&](QStringView line) {
        body_.append("\\pard\\ql");
        body_.append(runPrefix(-1, plain));
        appendText(body_, line.data(), line.size());
        body_.append("\\par\r\n");
    };
    // The characters that end a paragraph as QTextCursor::insertText takes them: CR LF once, CR, LF, the
    // paragraph separator and the frame marks.
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\n' || c == u'\r' || c == 0x2029 || c == 0xfdd0 || c == 0xfdd1) {
            paragraph(text.mid(from, i - from));
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            from = i + 1;
        }
    }
    paragraph(text.mid(from));
    return assemble();
}

int Writer::fontIndex(const QString &family)
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

int Writer::symbolFont()
{
    if (symbolFont_ < 0) {
        symbolFont_ = fontIndex(QStringLiteral("Symbol"));
    }
    return symbolFont_;
}

// Index in the colour table; 0 is the reader's automatic colour, so entries count from 1.
int Writer::colourIndex(QRgb rgb)
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

QString Writer::familyOf(const QTextCharFormat &format) const
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
const QByteArray &Writer::runPrefix(int formatIndex, const QTextCharFormat &format)
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
        switch (format.intProperty(richtext::UnderlineKindProperty)) {
        case richtext::DoubleUnderline:
            out.append("\\uldb");
            break;
        case richtext::WordUnderline:
            out.append("\\ulw");
            break;
        default:
            out.append("\\ul");
            break;
        }
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

void Writer::writeFrame(const QTextFrame *frame, int tableDepth)
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

// Every paragraph ends with \par, the last one included, as word processors write it; in a
// table cell \par only separates paragraphs, since \cell ends the last one.
void Writer::writeBlock(const QTextBlock &block, bool inTable)
{
    if (!inTable) {
        // A paragraph that starts a page follows a page break, except at the very start.
        if (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore &&
            block.position() > 0) {
            body_.append("\\page\r\n");
        }
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

void Writer::writeParagraphFormat(const QTextBlock &block, bool inTable)
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
            appendText(body_, itemText(list, block));
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

void Writer::writeBlockContent(const QTextBlock &block, bool inTable)
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
                // Some readers keep a raised run raised past \plain, so its end is written out.
                const QTextCharFormat::VerticalAlignment vertical = format.verticalAlignment();
                const bool raised =
                    vertical == QTextCharFormat::AlignSuperScript || vertical == QTextCharFormat::AlignSubScript;
                if (raised_ && !raised) {
                    body_.append("\\nosupersub ");
                }
                raised_ = raised;
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

QByteArray Writer::assemble()
{
    QByteArray out;
    out.reserve(512 + fontNames_.size() * 48 + colourList_.size() * 32);
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
    // The tables go in front of the body, not the body after them: a long document is never held twice.
    const QByteArray tables = out;
    const bool bodyEndsLine = body_.endsWith("\r\n");
    out = std::move(body_);
    body_ = QByteArray();
    out.prepend(tables);
    // The closing brace on a line of its own: a record keeps it as its last entry.
    if (!bodyEndsLine) {
        out.append("\r\n");
    }
    out.append("}\r\n");
    return out;
}

} // namespace detail

QByteArray write(const QTextDocument &document)
{
    return detail::Writer(document).write();
}

QByteArray writePlainText(const QTextDocument &fontSource, QStringView text)
{
    return detail::Writer(fontSource).writePlain(text);
}

} // namespace rtf
