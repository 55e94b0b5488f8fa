// Property test: random formatted documents survive RTF write, read and write again.
#include "text/richtext.h"
#include "text/rtf/rtfreader.h"
#include "text/rtf/rtfwriter.h"

#include <QImage>
#include <QPixmap>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <QtTest>

#include <cmath>

namespace {

const QStringList Families = {QStringLiteral("Arial"),         QStringLiteral("Times New Roman"),
                              QStringLiteral("Courier New"),   QStringLiteral("DejaVu Sans"),
                              QStringLiteral("Liberation Serif"), QStringLiteral("Comic Sans MS")};

// Pieces of text the writer must escape or encode in every way it knows.
const QStringList Pieces = {
    QStringLiteral("word"),
    QStringLiteral(" "),
    QStringLiteral("Two Words"),
    QStringLiteral("1234"),
    QStringLiteral("\\"),
    QStringLiteral("{"),
    QStringLiteral("}"),
    QStringLiteral("\t"),
    QString(QChar(QChar::LineSeparator)),
    QString::fromUtf8("é"),
    QString::fromUtf8("ÄÖÜß"),
    QString::fromUtf8("€"),
    QString::fromUtf8("“quoted”"),
    QString::fromUtf8("Ω≈π"),
    QString::fromUtf8("\u4e2d\u6587"),
    QString::fromUtf8("\u8000\uffe5"),
    QString::fromUtf8("😀"),
    QStringLiteral(";"),
    QStringLiteral("?"),
};

// What a run of text looks like; fields the document does not set come from its default font.
struct RunFormat
{
    QString family;
    double points = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    QString foreground;
    QString background;

    bool operator==(const RunFormat &o) const
    {
        return family == o.family && std::abs(points - o.points) < 0.01 && bold == o.bold && italic == o.italic &&
               underline == o.underline && strike == o.strike && foreground == o.foreground &&
               background == o.background;
    }
    bool operator!=(const RunFormat &o) const { return !(*this == o); }

    QString describe() const
    {
        return QStringLiteral("%1 %2pt%3%4%5%6 fg=%7 bg=%8")
            .arg(family)
            .arg(points)
            .arg(bold ? QStringLiteral(" bold") : QString())
            .arg(italic ? QStringLiteral(" italic") : QString())
            .arg(underline ? QStringLiteral(" underline") : QString())
            .arg(strike ? QStringLiteral(" strike") : QString())
            .arg(foreground, background);
    }
};

RunFormat runFormat(const QTextCharFormat &format, const QFont &defaultFont)
{
    RunFormat run;
    const QStringList families = format.fontFamilies().toStringList();
    run.family = !families.isEmpty() ? families.first()
                 : format.hasProperty(QTextFormat::FontFamily) ? format.stringProperty(QTextFormat::FontFamily)
                                                                : defaultFont.family();
    run.points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : defaultFont.pointSizeF();
    run.bold = format.fontWeight() >= QFont::DemiBold;
    run.italic = format.fontItalic();
    run.underline = format.fontUnderline();
    run.strike = format.fontStrikeOut();
    if (format.foreground().style() != Qt::NoBrush) {
        run.foreground = format.foreground().color().name();
    }
    if (format.background().style() != Qt::NoBrush) {
        run.background = format.background().color().name();
    }
    return run;
}

// A paragraph as the round trip must keep it.
struct Paragraph
{
    Qt::Alignment alignment;
    QString list; // "" for none, else "bullet" or the numbering style
    int listIndent = 0;
    bool continuesList = false;
    double hanging = 0;
    int leftMargin = 0;
    int rightMargin = 0;
    int firstIndent = 0;
    int before = 0;
    int after = 0;
    QList<QPair<QString, RunFormat>> runs;

    QString describe() const
    {
        QString out = QStringLiteral("align=%1 list=%2/%10%3 hang=%4 li=%5 ri=%6 fi=%7 sb=%8 sa=%9:")
                          .arg(int(alignment))
                          .arg(list)
                          .arg(continuesList ? QStringLiteral("(cont)") : QString())
                          .arg(hanging)
                          .arg(leftMargin)
                          .arg(rightMargin)
                          .arg(firstIndent)
                          .arg(before)
                          .arg(after)
                          .arg(listIndent);
        for (const auto &run : runs) {
            out += QStringLiteral(" [%1|%2]").arg(run.first, run.second.describe());
        }
        return out;
    }

    bool operator==(const Paragraph &o) const
    {
        return alignment == o.alignment && list == o.list && listIndent == o.listIndent && continuesList == o.continuesList &&
               std::abs(hanging - o.hanging) < 0.01 && leftMargin == o.leftMargin && rightMargin == o.rightMargin &&
               firstIndent == o.firstIndent && before == o.before && after == o.after && runs == o.runs;
    }
};

QString listKind(const QTextList *list)
{
    if (!list) {
        return QString();
    }
    switch (list->format().style()) {
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        return QStringLiteral("bullet");
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

QList<Paragraph> paragraphs(const QTextDocument &doc)
{
    QList<Paragraph> out;
    const QTextList *previousList = nullptr;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        Paragraph p;
        p.alignment = format.alignment() & Qt::AlignHorizontal_Mask;
        if (p.alignment == Qt::AlignLeading || p.alignment == Qt::AlignAbsolute) {
            p.alignment = Qt::AlignLeft;
        }
        const QTextList *list = block.textList();
        p.list = listKind(list);
        p.listIndent = list ? list->format().indent() : 0;
        p.continuesList = list && list == previousList;
        previousList = list;
        if (list) {
            p.hanging = format.doubleProperty(richtext::HangingIndentProperty);
        } else {
            p.firstIndent = qRound(format.textIndent());
        }
        p.leftMargin = qRound(format.leftMargin());
        p.rightMargin = qRound(format.rightMargin());
        p.before = qRound(format.topMargin());
        p.after = qRound(format.bottomMargin());
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const RunFormat run = runFormat(fragment.charFormat(), doc.defaultFont());
            // Fragments split where Qt likes; a run is what looks alike.
            if (!p.runs.isEmpty() && p.runs.last().second == run) {
                p.runs.last().first += fragment.text();
            } else {
                p.runs.append({fragment.text(), run});
            }
        }
        out.append(p);
    }
    return out;
}

QColor randomColour(QRandomGenerator &random)
{
    return QColor(random.bounded(256), random.bounded(256), random.bounded(256));
}

QTextCharFormat randomCharFormat(QRandomGenerator &random)
{
    QTextCharFormat format;
    if (random.bounded(4) != 0) {
        format.setFontFamilies({Families.at(random.bounded(Families.size()))});
    }
    if (random.bounded(4) != 0) {
        format.setFontPointSize(random.bounded(8, 73) / 2.0); // RTF keeps half points
    }
    format.setFontWeight(random.bounded(3) == 0 ? QFont::Bold : QFont::Normal);
    format.setFontItalic(random.bounded(3) == 0);
    format.setFontUnderline(random.bounded(4) == 0);
    format.setFontStrikeOut(random.bounded(6) == 0);
    if (random.bounded(4) == 0) {
        format.setForeground(randomColour(random));
    }
    if (random.bounded(6) == 0) {
        format.setBackground(randomColour(random));
    }
    return format;
}

QString randomText(QRandomGenerator &random)
{
    QString text;
    const int pieces = random.bounded(1, 6);
    for (int i = 0; i < pieces; ++i) {
        text += Pieces.at(random.bounded(Pieces.size()));
    }
    return text;
}

// Builds a document of up to ten paragraphs with random paragraph and character formats.
void buildRandomDocument(QTextDocument &doc, QRandomGenerator &random)
{
    static const Qt::Alignment Alignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
    static const QTextListFormat::Style Styles[] = {QTextListFormat::ListDisc, QTextListFormat::ListDisc,
                                                    QTextListFormat::ListDecimal, QTextListFormat::ListLowerAlpha,
                                                    QTextListFormat::ListUpperRoman};
    QTextCursor cursor(&doc);
    const int blocks = random.bounded(1, 11);
    QTextList *list = nullptr;
    for (int b = 0; b < blocks; ++b) {
        QTextBlockFormat format;
        format.setAlignment(Alignments[random.bounded(4)]);
        format.setRightMargin(random.bounded(3) == 0 ? random.bounded(0, 60) : 0);
        format.setTopMargin(random.bounded(3) == 0 ? random.bounded(0, 30) : 0);
        format.setBottomMargin(random.bounded(3) == 0 ? random.bounded(0, 30) : 0);
        const bool inList = random.bounded(3) == 0;
        if (inList) {
            format.setLeftMargin(random.bounded(3) == 0 ? random.bounded(0, 80) : 0);
            format.setProperty(richtext::HangingIndentProperty, random.bounded(0, 721) / 20.0); // whole twips
        } else {
            format.setLeftMargin(random.bounded(2) == 0 ? random.bounded(0, 120) : 0);
            format.setTextIndent(random.bounded(3) == 0 ? random.bounded(-40, 60) : 0);
        }
        if (b > 0) {
            cursor.insertBlock(format, QTextCharFormat());
        } else {
            cursor.setBlockFormat(format);
        }
        if (inList) {
            const QTextListFormat::Style style = Styles[random.bounded(5)];
            const int indent = random.bounded(4) == 0 ? random.bounded(2, 4) : 1;
            if (list && list->format().style() == style && list->format().indent() == indent) {
                list->add(cursor.block());
            } else {
                QTextListFormat listFormat;
                listFormat.setStyle(style);
                listFormat.setIndent(indent);
                list = cursor.createList(listFormat);
            }
        } else {
            list = nullptr;
        }
        const int runs = random.bounded(0, 6);
        for (int r = 0; r < runs; ++r) {
            cursor.insertText(randomText(random), randomCharFormat(random));
        }
    }
}

// What a reader of the document sees of its structure: paragraphs with their page breaks and list
// kinds, and table cells with their spans.
QStringList structureOf(const QTextDocument &doc)
{
    QStringList out;
    for (QTextFrame::iterator it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto *table = qobject_cast<QTextTable *>(it.currentFrame())) {
            QStringList widths;
            for (const QTextLength &length : table->format().columnWidthConstraints()) {
                widths << QString::number(length.rawValue()) + (length.type() == QTextLength::FixedLength ? "px" : "?");
            }
            if (!widths.isEmpty()) {
                out << QStringLiteral("columns ") + widths.join(QLatin1Char(' '));
            }
            for (int r = 0; r < table->rows(); ++r) {
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (cell.row() == r && cell.column() == c) {
                        QTextCursor text = cell.firstCursorPosition();
                        text.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                        out << QStringLiteral("cell %1 %2x%3").arg(text.selectedText()).arg(cell.rowSpan())
                                   .arg(cell.columnSpan());
                    }
                }
            }
            continue;
        }
        const QTextBlock block = it.currentBlock();
        QString line = block.text();
        if (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) {
            line += QStringLiteral(" [page]");
        }
        if (const QTextList *list = block.textList()) {
            line += QStringLiteral(" [list %1 %2%3]")
                        .arg(int(list->format().style()))
                        .arg(list->format().numberPrefix(), list->format().numberSuffix());
            if (list->format().hasProperty(richtext::ListStartProperty)) {
                line += QStringLiteral(" [from %1]").arg(list->format().intProperty(richtext::ListStartProperty));
            }
        }
        for (QTextBlock::iterator fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.hasProperty(richtext::PictureDataProperty)) {
                line += QStringLiteral(" [picture %1 %2 %3x%4]")
                            .arg(QString::fromLatin1(format.property(richtext::PictureWordsProperty).toByteArray()))
                            .arg(QString::fromLatin1(format.property(richtext::PictureDataProperty).toByteArray().toHex()))
                            .arg(format.toImageFormat().width())
                            .arg(format.toImageFormat().height());
            }
            if (format.hasProperty(richtext::UnderlineKindProperty)) {
                line += QStringLiteral(" [underline %1 %2]")
                            .arg(format.intProperty(richtext::UnderlineKindProperty))
                            .arg(format.fontUnderline());
            }
        }
        out << line;
    }
    return out;
}

} // namespace

class RtfRoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void randomDocumentsKeepTextFormatsAndRtf();
    void documentsWithOnlyEmptyParagraphsKeepTheirCount();
    void tablesLinksAndImagesSurvive();
    void structuresSurviveTheWriter_data();
    void structuresSurviveTheWriter();
    void longListsKeepTheirListOverrides_data();
    void longListsKeepTheirListOverrides();
};

void RtfRoundTripTest::randomDocumentsKeepTextFormatsAndRtf()
{
    // QUILLAX_SEED repeats a failing run.
    bool given = false;
    const quint32 seed = qEnvironmentVariable("QUILLAX_SEED").toUInt(&given);
    const quint32 used = given ? seed : QRandomGenerator::global()->generate();
    qInfo("round-trip seed %u (repeat with QUILLAX_SEED=%u)", used, used);
    QRandomGenerator random(used);
    const QFont defaultFonts[] = {QFont(QStringLiteral("Arial"), 10), QFont(QStringLiteral("DejaVu Serif"), 12),
                                  QFont(QStringLiteral("Courier New"), 9)};
    constexpr int Documents = 400;
    for (int d = 0; d < Documents; ++d) {
        const QFont defaultFont = defaultFonts[random.bounded(3)];
        QTextDocument original;
        original.setDefaultFont(defaultFont);
        buildRandomDocument(original, random);

        const QByteArray first = rtf::write(original);
        // The editor that reads a leaf has the same default font as the one that wrote it.
        QTextDocument read;
        read.setDefaultFont(defaultFont);
        rtf::read(first, read);
        const QByteArray second = rtf::write(read);

        const QString where = QStringLiteral("seed %1, document %2").arg(used).arg(d);
        QString mismatch;
        if (read.toPlainText() != original.toPlainText()) {
            mismatch = QStringLiteral("text differs\nwritten: %1\nread:    %2")
                           .arg(original.toPlainText(), read.toPlainText());
        }
        const QList<Paragraph> expected = paragraphs(original);
        const QList<Paragraph> actual = paragraphs(read);
        if (mismatch.isEmpty() && expected.size() != actual.size()) {
            mismatch = QStringLiteral("%1 paragraphs written, %2 read").arg(expected.size()).arg(actual.size());
        }
        for (int p = 0; mismatch.isEmpty() && p < expected.size(); ++p) {
            if (!(expected.at(p) == actual.at(p))) {
                mismatch = QStringLiteral("paragraph %1 differs\nwritten: %2\nread:    %3")
                               .arg(p)
                               .arg(expected.at(p).describe(), actual.at(p).describe());
            }
        }
        if (mismatch.isEmpty() && first != second) {
            const QList<QByteArray> firstLines = first.split('\n');
            const QList<QByteArray> secondLines = second.split('\n');
            int line = 0;
            while (line < firstLines.size() && line < secondLines.size() && firstLines[line] == secondLines[line]) {
                ++line;
            }
            mismatch = QStringLiteral("second RTF differs at line %1\nfirst:  %2\nsecond: %3")
                           .arg(line + 1)
                           .arg(QString::fromLatin1(firstLines.value(line)), QString::fromLatin1(secondLines.value(line)));
        }
        if (!mismatch.isEmpty()) {
            qInfo().noquote() << "RTF written:\n" + QString::fromLatin1(first);
            QFAIL(qPrintable(where + QStringLiteral(": ") + mismatch));
        }
    }
}

void RtfRoundTripTest::documentsWithOnlyEmptyParagraphsKeepTheirCount()
{
    for (int count = 1; count <= 4; ++count) {
        QTextDocument original;
        QTextCursor cursor(&original);
        for (int i = 1; i < count; ++i) {
            cursor.insertBlock();
        }
        const QByteArray first = rtf::write(original);
        QTextDocument read;
        rtf::read(first, read);
        QCOMPARE(read.blockCount(), count);
        QVERIFY(read.toPlainText().trimmed().isEmpty());
        QCOMPARE(rtf::write(read), first);
    }
}

void RtfRoundTripTest::tablesLinksAndImagesSurvive()
{
    QTextDocument original;
    original.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(QColor(0, 128, 255));
    original.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("mem:image")), image);
    QTextCursor cursor(&original);
    cursor.insertText(QStringLiteral("before "));
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(QStringLiteral("https://example.org/page"));
    cursor.insertText(QStringLiteral("link"), link);
    cursor.insertText(QStringLiteral(" "), QTextCharFormat());
    QTextImageFormat picture;
    picture.setName(QStringLiteral("mem:image"));
    cursor.insertImage(picture);
    QTextTable *table = cursor.insertTable(2, 3);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) {
            table->cellAt(r, c).firstCursorPosition().insertText(QStringLiteral("cell %1.%2").arg(r).arg(c));
        }
    }
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("after"));

    const QByteArray first = rtf::write(original);
    QTextDocument read;
    read.setDefaultFont(original.defaultFont());
    rtf::read(first, read);
    QCOMPARE(read.toPlainText(), original.toPlainText());
    QCOMPARE(rtf::write(read), first);

    QTextCursor at(&read);
    at.setPosition(QStringLiteral("before l").size());
    QVERIFY(at.charFormat().isAnchor());
    QCOMPARE(at.charFormat().anchorHref(), QStringLiteral("https://example.org/page"));
    QTextTable *back = nullptr;
    for (QTextFrame *frame : read.rootFrame()->childFrames()) {
        back = back ? back : qobject_cast<QTextTable *>(frame);
    }
    QVERIFY(back);
    QCOMPARE(back->rows(), 2);
    QCOMPARE(back->columns(), 3);
    QTextCursor cell = back->cellAt(1, 2).firstCursorPosition();
    cell.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QCOMPARE(cell.selectedText(), QStringLiteral("cell 1.2"));
    at.setPosition(QStringLiteral("before link ").size() + 1);
    QVERIFY(at.charFormat().isImageFormat());
    const QVariant resource =
        read.resource(QTextDocument::ImageResource, QUrl(at.charFormat().toImageFormat().name()));
    QImage readImage = resource.value<QImage>();
    if (readImage.isNull()) {
        readImage = resource.value<QPixmap>().toImage();
    }
    QCOMPARE(readImage.size(), image.size());
    QCOMPARE(readImage.pixelColor(2, 2), QColor(0, 128, 255));
}

void RtfRoundTripTest::structuresSurviveTheWriter_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("feature"); // what the structure must show
    const QByteArray lists =
        "{\\*\\listtable{\\list{\\listlevel\\levelnfc255{\\leveltext\\'00;}}\\listid1}"
        "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01o;}}\\listid2}"
        "{\\list{\\listlevel\\levelnfc2{\\leveltext\\'03(\\'00);}}\\listid3}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}"
        "{\\listoverride\\listid3\\ls3}}";
    QTest::newRow("heading without number") << lists + "\\pard\\ls1 Heading\\par\\pard text\\par" << "Heading";
    QTest::newRow("circle bullets") << lists + "\\pard\\ls2 one\\par two\\par" << "one [list -2 ]";
    QTest::newRow("roman in parentheses") << lists + "\\pard\\ls3 one\\par" << "one [list -7 ()]";
    QTest::newRow("page break") << QByteArray("a\\par\\page b\\par") << "b [page]";
    QTest::newRow("form feed") << QByteArray("a\\'0c b\\par") << " b [page]";
    QTest::newRow("list starting at 3")
        << QByteArray("{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat3{\\leveltext\\'02\\'00.;}}"
                      "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1 three\\par")
        << "three [list -4 ] [from 3]";
    QTest::newRow("double underline") << QByteArray("{\\uldb two}\\par") << "two [underline 2 1]";
    QTest::newRow("word underline") << QByteArray("{\\ulw some words}\\par") << "some words [underline 3 1]";
    const QString object(QChar::ObjectReplacementCharacter);
    QTest::newRow("wmf picture") << QByteArray("a{\\pict\\wmetafile8\\picw100\\pich50\\picscalex50 0102ff}\\par")
                                 << "a" + object + " [picture \\wmetafile8\\picw100\\pich50\\picscalex50 0102ff 1.88976x1.88976]";
    QTest::newRow("jpeg picture kept as written")
        << QByteArray("{\\*\\shppict{\\pict\\picw4\\pich4\\picwgoal60\\pichgoal30\\jpegblip ffd8ff}}")
        << object + " [picture \\picw4\\pich4\\picwgoal60\\pichgoal30\\jpegblip ffd8ff 4x2]";
    QTest::newRow("column widths")
        << QByteArray("\\trowd\\cellx1500\\cellx4500\\intbl a\\cell b\\cell\\row") << "columns 100px 200px";
    QTest::newRow("cells merged across")
        << QByteArray("\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\intbl ab\\cell\\cell\\row"
                      "\\trowd\\cellx1000\\cellx2000\\intbl c\\cell d\\cell\\row")
        << "cell ab 1x2";
    QTest::newRow("cells merged down")
        << QByteArray("\\trowd\\clvmgf\\cellx1000\\cellx2000\\intbl v\\cell x\\cell\\row"
                      "\\trowd\\clvmrg\\cellx1000\\cellx2000\\intbl\\cell y\\cell\\row")
        << "cell v 2x1";
    QTest::newRow("cells merged by width")
        << QByteArray("\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row"
                      "\\trowd\\cellx2000\\intbl wide\\cell\\row")
        << "cell wide 1x2";
    QTest::newRow("notes") << QByteArray("a\\chftn{\\footnote\\ftnalt\\chftn  end}b\\chftn{\\footnote\\chftn  foot}\\par")
                           << "1 foot";
}

// Each structure read from RTF is written back so that reading the written RTF shows it again.
void RtfRoundTripTest::structuresSurviveTheWriter()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, feature);
    QTextDocument first;
    rtf::read("{\\rtf1\\ansi " + body + "}", first);
    const QStringList structure = structureOf(first);
    QVERIFY2(structure.contains(feature), qPrintable(structure.join(QLatin1Char('|'))));
    QTextDocument second;
    rtf::read(rtf::write(first), second);
    QCOMPARE(structureOf(second), structure);
}

void RtfRoundTripTest::longListsKeepTheirListOverrides_data()
{
    QTest::addColumn<QByteArray>("order"); // the \ls of each paragraph, one digit a paragraph
    QTest::addColumn<QList<int>>("paragraphs"); // paragraphs written with \ls1, \ls2, ...
    QTest::newRow("bulleted") << QByteArray(1000, '1') << QList<int>{1000};
    QTest::newRow("numbered") << QByteArray(1000, '3') << QList<int>{1000};
    QTest::newRow("bulleted, then another") << QByteArray(300, '1') + QByteArray(300, '2') << QList<int>{300, 300};
    QTest::newRow("two bulleted taking turns") << QByteArray("12").repeated(300) << QList<int>{300, 300};
}

// A long list is written as one list however the reader holds it; lists of the same look stay apart.
void RtfRoundTripTest::longListsKeepTheirListOverrides()
{
    QFETCH(QByteArray, order);
    QFETCH(QList<int>, paragraphs);
    QByteArray rtf = "{\\rtf1\\ansi{\\*\\listtable"
                     "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}\\listid1}"
                     "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}\\listid2}"
                     "{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid3}}"
                     "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}"
                     "{\\listoverride\\listid3\\ls3}}";
    for (qsizetype i = 0; i < order.size(); ++i) {
        rtf += "\\pard\\ls" + order.mid(i, 1) + " item " + QByteArray::number(i) + "\\par ";
    }
    QTextDocument document;
    rtf::read(rtf + "}", document);
    const QByteArray written = rtf::write(document);
    QCOMPARE(written.count("{\\listoverride\\listid"), paragraphs.size());
    for (int n = 1; n <= paragraphs.size(); ++n) {
        QCOMPARE(written.count("\\ls" + QByteArray::number(n) + "\\ilvl"), paragraphs.at(n - 1));
    }
}

QTEST_MAIN(RtfRoundTripTest)
#include "rtfroundtrip_test.moc"
