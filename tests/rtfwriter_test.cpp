// Checks the RTF the writer produces, byte by byte where the layout matters.
#include "text/richtext.h"
#include "text/rtf/rtfwriter.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <QtTest>

namespace {

// The font table of written RTF as index -> face name.
QMap<int, QString> fontTable(const QByteArray &rtf)
{
    QMap<int, QString> fonts;
    const int start = rtf.indexOf("{\\fonttbl");
    const int end = rtf.indexOf("}}", start);
    const QString table = QString::fromLatin1(rtf.mid(start, end - start + 1));
    static const QRegularExpression entry(QStringLiteral("\\{\\\\f(\\d+)\\\\f[a-z]+\\\\fcharset\\d+ ([^;]*);\\}"));
    for (auto it = entry.globalMatch(table); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        fonts.insert(m.captured(1).toInt(), m.captured(2));
    }
    return fonts;
}

int fontNumber(const QByteArray &rtf, const QString &face)
{
    const QMap<int, QString> fonts = fontTable(rtf);
    for (auto it = fonts.cbegin(); it != fonts.cend(); ++it) {
        if (it.value() == face) {
            return it.key();
        }
    }
    return -1;
}

// The body after the header, where paragraphs start.
QByteArray body(const QByteArray &rtf)
{
    return rtf.mid(rtf.indexOf("\\viewkind4"));
}

QTextDocument *plainDocument(QObject *parent, const QString &text)
{
    auto *doc = new QTextDocument(parent);
    doc->setDefaultFont(QFont(QStringLiteral("Arial"), 10));
    QTextCursor(doc).insertText(text);
    return doc;
}

} // namespace

class RtfWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void writesHeaderTablesAndClosingBrace();
    void staysSevenBitCleanWithBalancedGroups();
    void escapesCharacters_data();
    void escapesCharacters();
    void writesCharacterFormats();
    void takesMissingFamilyAndSizeFromDefaultFont();
    void writesEachLookOnce();
    void writesColoursThroughTable();
    void writesAlignmentAndMargins();
    void writesBulletsSoOlderReadersShowThem();
    void writesNumberedListsWithTheirNumbers();
    void writesItemNumbersAsTheListShowsThem_data();
    void writesItemNumbersAsTheListShowsThem();
    void describesListsInListTable();
    void keepsNumbersInRange();
    void separatesParagraphsWithPar();
    void writesTablesRowByRow();
    void writesHyperlinksAsFields();
    void writesImagesAsPngData();
    void saveBytesIsTheWriterOutput();
    void writesPlainTextAsTheDocumentWouldBe_data();
    void writesPlainTextAsTheDocumentWouldBe();
};

void RtfWriterTest::writesHeaderTablesAndClosingBrace()
{
    QScopedPointer<QTextDocument> doc(plainDocument(nullptr, QStringLiteral("Hello")));
    const QByteArray rtf = rtf::write(*doc);
    QVERIFY2(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"), rtf.constData());
    QVERIFY(rtf.endsWith("}\r\n"));
    QCOMPARE(fontTable(rtf).value(0), QStringLiteral("Arial"));
    QVERIFY(rtf.contains("{\\f0\\fswiss\\fcharset0 Arial;}"));
    QVERIFY(body(rtf).contains("\\pard"));
    QVERIFY(body(rtf).contains("\\plain\\f0\\fs20 Hello"));
    QVERIFY(!rtf.contains("\\colortbl")); // nothing coloured, no colour table needed
}

void RtfWriterTest::staysSevenBitCleanWithBalancedGroups()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QString::fromUtf8("ÄÖÜ € \u4e2d\u6587 😀 {nested} \\ back"));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral(" bold"), bold);
    cursor.insertBlock();
    cursor.insertList(QTextListFormat::ListDisc);
    cursor.insertText(QStringLiteral("item }{"));
    const QByteArray rtf = rtf::write(doc);
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(rtf.at(i));
        QVERIFY2(c >= 0x20 || c == '\r' || c == '\n', qPrintable(QStringLiteral("byte %1 at %2").arg(c).arg(i)));
        QVERIFY2(c < 0x80, qPrintable(QStringLiteral("byte %1 at %2").arg(c).arg(i)));
        if (c == '\\') {
            ++i; // an escaped brace or backslash does not open or close a group
            continue;
        }
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            --depth;
            QVERIFY2(depth >= 0 && (depth > 0 || i == rtf.size() - 3), "group closed too early");
        }
    }
    QCOMPARE(depth, 0);
}

void RtfWriterTest::escapesCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("backslash") << QStringLiteral("a\\b") << QByteArray("a\\\\b");
    QTest::newRow("braces") << QStringLiteral("{x}") << QByteArray("\\{x\\}");
    QTest::newRow("tab") << QStringLiteral("a\tb") << QByteArray("a\\tab b");
    QTest::newRow("line separator") << (QStringLiteral("a") + QChar(QChar::LineSeparator) + QStringLiteral("b"))
                                    << QByteArray("a\\line b");
    QTest::newRow("latin-1 letter") << QString::fromUtf8("é") << QByteArray("\\'e9");
    QTest::newRow("no-break space") << QString(QChar(0xA0)) << QByteArray("\\'a0");
    QTest::newRow("euro in 1252") << QString::fromUtf8("€") << QByteArray("\\'80");
    QTest::newRow("curly quotes in 1252") << QString::fromUtf8("“x”") << QByteArray("\\'93x\\'94");
    QTest::newRow("z caron in 1252") << QString::fromUtf8("ž") << QByteArray("\\'9e");
    QTest::newRow("greek") << QString::fromUtf8("Ω") << QByteArray("\\u937?");
    QTest::newRow("C1 control, undefined in 1252") << QString(QChar(0x81)) << QByteArray("\\u129?");
    QTest::newRow("cjk above 32767") << QString(QChar(0x8000)) << QByteArray("\\u-32768?");
    QTest::newRow("cjk") << QString(QChar(0x4E2D)) << QByteArray("\\u20013?");
    QTest::newRow("last BMP") << QString(QChar(0xFFFD)) << QByteArray("\\u-3?");
    QTest::newRow("surrogate pair") << QString::fromUtf8("😀") << QByteArray("\\u-10179?\\u-8704?");
}

void RtfWriterTest::escapesCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QScopedPointer<QTextDocument> doc(plainDocument(nullptr, QStringLiteral("<") + text + QStringLiteral(">")));
    const QByteArray rtf = rtf::write(*doc);
    QVERIFY2(rtf.contains("<" + expected + ">"), rtf.constData());
}

void RtfWriterTest::writesCharacterFormats()
{
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Arial"), 12));
    QTextCursor cursor(&doc);
    QTextCharFormat format;
    format.setFontFamilies({QStringLiteral("Times New Roman")});
    format.setFontPointSize(10.5);
    format.setFontWeight(QFont::Bold);
    format.setFontItalic(true);
    format.setFontUnderline(true);
    format.setFontStrikeOut(true);
    cursor.insertText(QStringLiteral("all"), format);
    QTextCharFormat plain;
    plain.setFontFamilies({QStringLiteral("Courier New")});
    plain.setFontPointSize(8);
    cursor.insertText(QStringLiteral("none"), plain);
    QTextCharFormat wave;
    wave.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    cursor.insertText(QStringLiteral("wave"), wave);
    QTextCharFormat legacy;
    legacy.setProperty(QTextFormat::FontUnderline, true);
    cursor.insertText(QStringLiteral("legacy"), legacy);
    QTextCharFormat spelling;
    spelling.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    spelling.setFontItalic(true);
    cursor.insertText(QStringLiteral("misspelt"), spelling);

    const QByteArray rtf = rtf::write(doc);
    const int times = fontNumber(rtf, QStringLiteral("Times New Roman"));
    const int courier = fontNumber(rtf, QStringLiteral("Courier New"));
    QVERIFY(times > 0);
    QVERIFY(courier > 0 && courier != times);
    QVERIFY(rtf.contains(QStringLiteral("{\\f%1\\froman\\fcharset0 Times New Roman;}").arg(times).toLatin1()));
    QVERIFY(rtf.contains(QStringLiteral("{\\f%1\\fmodern\\fcharset0 Courier New;}").arg(courier).toLatin1()));
    QVERIFY2(rtf.contains(QStringLiteral("\\plain\\f%1\\fs21\\b\\i\\ul\\strike all").arg(times).toLatin1()),
             rtf.constData());
    QVERIFY2(rtf.contains(QStringLiteral("\\plain\\f%1\\fs16 none").arg(courier).toLatin1()), rtf.constData());
    QVERIFY2(rtf.contains("\\plain\\f0\\fs24\\ulwave wave"), rtf.constData());
    QVERIFY2(rtf.contains("\\plain\\f0\\fs24\\ul legacy"), rtf.constData());
    QVERIFY2(rtf.contains("\\plain\\f0\\fs24\\i misspelt"), rtf.constData());
}

void RtfWriterTest::takesMissingFamilyAndSizeFromDefaultFont()
{
    QTextDocument doc;
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSizeF(13.5);
    doc.setDefaultFont(font);
    QTextCursor cursor(&doc);
    QTextCharFormat italic;
    italic.setFontItalic(true);
    cursor.insertText(QStringLiteral("x"), italic);
    const QByteArray rtf = rtf::write(doc);
    QCOMPARE(fontTable(rtf).value(0), QStringLiteral("DejaVu Serif"));
    QVERIFY2(rtf.contains("\\plain\\f0\\fs27\\i x"), rtf.constData());

    // A default font given in pixels: 16 px are 12 points at 96 dpi.
    QFont pixels(QStringLiteral("Arial"));
    pixels.setPixelSize(16);
    doc.setDefaultFont(pixels);
    QVERIFY2(rtf::write(doc).contains("\\plain\\f0\\fs24\\i x"), rtf::write(doc).constData());
}

void RtfWriterTest::writesEachLookOnce()
{
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
    QTextCursor cursor(&doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("one"), bold);
    // A different format that RTF cannot tell apart: a tool tip and the default family named.
    QTextCharFormat alike = bold;
    alike.setToolTip(QStringLiteral("tip"));
    alike.setFontFamilies({QStringLiteral("Arial")});
    cursor.insertText(QStringLiteral("two"), alike);
    QTextCharFormat italic;
    italic.setFontItalic(true);
    cursor.insertText(QStringLiteral("three"), italic);
    cursor.insertText(QStringLiteral("four"), bold);
    const QByteArray rtf = rtf::write(doc);
    QVERIFY2(body(rtf).contains("\\plain\\f0\\fs20\\b onetwo\\plain\\f0\\fs20\\i three\\plain\\f0\\fs20\\b four"),
             rtf.constData());
}

void RtfWriterTest::writesColoursThroughTable()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    cursor.insertText(QStringLiteral("red"), red);
    QTextCharFormat marked;
    marked.setForeground(QColor(0, 0, 255));
    marked.setBackground(QColor(255, 255, 0));
    cursor.insertText(QStringLiteral("marked"), marked);
    QTextCharFormat again;
    again.setBackground(QColor(255, 0, 0));
    cursor.insertText(QStringLiteral("again"), again);

    const QByteArray rtf = rtf::write(doc);
    QVERIFY2(rtf.contains("{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green255\\blue0;}"),
             rtf.constData());
    QVERIFY(rtf.contains("\\cf1 red"));
    QVERIFY(rtf.contains("\\cf2\\highlight3\\cb3 marked"));
    QVERIFY(rtf.contains("\\highlight1\\cb1 again"));
}

void RtfWriterTest::writesAlignmentAndMargins()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    const QList<QPair<Qt::Alignment, QByteArray>> alignments = {{Qt::AlignLeft, "\\ql"},
                                                                {Qt::AlignRight, "\\qr"},
                                                                {Qt::AlignHCenter, "\\qc"},
                                                                {Qt::AlignJustify, "\\qj"}};
    for (int i = 0; i < alignments.size(); ++i) {
        if (i > 0) {
            cursor.insertBlock();
        }
        QTextBlockFormat format;
        format.setAlignment(alignments.at(i).first);
        cursor.setBlockFormat(format);
        cursor.insertText(QStringLiteral("p%1").arg(i));
    }
    cursor.insertBlock();
    QTextBlockFormat margins;
    margins.setLeftMargin(20);
    margins.setRightMargin(10);
    margins.setTextIndent(-8);
    margins.setTopMargin(4);
    margins.setBottomMargin(6);
    cursor.setBlockFormat(margins);
    cursor.insertText(QStringLiteral("margins"));

    const QByteArray rtf = rtf::write(doc);
    for (int i = 0; i < alignments.size(); ++i) {
        static const QRegularExpression paragraph(QStringLiteral("\\\\pard([^ ]*) p(\\d)"));
        bool found = false;
        for (auto it = paragraph.globalMatch(QString::fromLatin1(rtf)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured(2).toInt() == i) {
                found = true;
                QVERIFY2(m.captured(1).contains(QString::fromLatin1(alignments.at(i).second)),
                         qPrintable(m.captured(0)));
            }
        }
        QVERIFY2(found, rtf.constData());
    }
    QVERIFY2(rtf.contains("\\pard\\fi-120\\li300\\ri150\\sb60\\sa90\\ql"), rtf.constData());
}

void RtfWriterTest::writesBulletsSoOlderReadersShowThem()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextListFormat listFormat;
    listFormat.setStyle(QTextListFormat::ListDisc);
    listFormat.setIndent(1);
    cursor.insertList(listFormat);
    QTextBlockFormat first = cursor.blockFormat();
    first.setProperty(richtext::HangingIndentProperty, 13.5);
    cursor.setBlockFormat(first);
    cursor.insertText(QStringLiteral("one"));
    cursor.insertBlock();
    QTextBlockFormat second = cursor.blockFormat();
    second.setLeftMargin(10);
    second.setProperty(richtext::HangingIndentProperty, 18.0);
    cursor.setBlockFormat(second);
    cursor.insertText(QStringLiteral("two"));

    const QByteArray rtf = rtf::write(doc);
    const int symbol = fontNumber(rtf, QStringLiteral("Symbol"));
    QVERIFY(symbol > 0);
    QVERIFY(rtf.contains(QStringLiteral("{\\f%1\\ftech\\fcharset2 Symbol;}").arg(symbol).toLatin1()));
    const QByteArray bullet = QStringLiteral("{\\pntext\\f%1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf%1\\pnindent0{\\pntxtb\\'b7}}")
                                  .arg(symbol)
                                  .toLatin1();
    QVERIFY2(rtf.contains("\\pard" + bullet + "\\ls1\\ilvl0\\fi-270\\li600\\ql"), rtf.constData());
    QVERIFY2(rtf.contains("\\pard" + bullet + "\\ls1\\ilvl0\\fi-360\\li750\\ql"), rtf.constData());
}

void RtfWriterTest::writesNumberedListsWithTheirNumbers()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.createList(QTextListFormat::ListDecimal);
    cursor.insertText(QStringLiteral("first"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("second"));
    cursor.insertBlock();
    cursor.createList(QTextListFormat::ListUpperRoman);
    cursor.insertText(QStringLiteral("roman"));

    const QByteArray rtf = rtf::write(doc);
    QVERIFY2(rtf.contains("{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec{\\pntxta .}}"),
             rtf.constData());
    QVERIFY2(rtf.contains("{\\pntext\\f0 2.\\tab}"), rtf.constData());
    QVERIFY2(rtf.contains("{\\pntext\\f0 I.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pnucrm"),
             rtf.constData());
    QVERIFY(rtf.indexOf("1.\\tab") < rtf.indexOf("first"));
    QVERIFY(rtf.indexOf("first") < rtf.indexOf("2.\\tab"));
}

void RtfWriterTest::writesItemNumbersAsTheListShowsThem_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("items");
    QTest::newRow("decimal") << int(QTextListFormat::ListDecimal) << QString() << 40;
    QTest::newRow("letters past z") << int(QTextListFormat::ListLowerAlpha) << QString() << 60;
    QTest::newRow("capitals past ZZ") << int(QTextListFormat::ListUpperAlpha) << QStringLiteral("(") << 730;
    QTest::newRow("roman") << int(QTextListFormat::ListLowerRoman) << QString() << 1000;
    QTest::newRow("roman past 4999") << int(QTextListFormat::ListUpperRoman) << QString() << 5002;
}

// Two lists take turns, the second one level deeper, with plain paragraphs and a table between their
// items: every item is written with the number the list shows for it.
void RtfWriterTest::writesItemNumbersAsTheListShowsThem()
{
    QFETCH(int, style);
    QFETCH(QString, prefix);
    QFETCH(int, items);
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextListFormat outerFormat;
    outerFormat.setStyle(QTextListFormat::Style(style));
    outerFormat.setNumberPrefix(prefix);
    QTextListFormat innerFormat = outerFormat;
    innerFormat.setIndent(2);
    innerFormat.setNumberSuffix(QStringLiteral(")"));
    QTextList *outer = nullptr;
    QTextList *inner = nullptr;
    for (int i = 0; i < items; ++i) {
        if (i > 0) {
            cursor.insertBlock(QTextBlockFormat());
        }
        if (i % 3 == 2) {
            cursor.insertText(QStringLiteral("between"));
            if (i % 60 == 29) {
                cursor.insertTable(1, 2);
                cursor.movePosition(QTextCursor::End);
            }
            continue;
        }
        QTextList *&list = i % 3 == 0 ? outer : inner;
        if (list) {
            list->add(cursor.block());
        } else {
            list = cursor.createList(i % 3 == 0 ? outerFormat : innerFormat);
        }
        cursor.insertText(QStringLiteral("item"));
    }
    QStringList expected;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.textList()) {
            expected << block.textList()->itemText(block);
        }
    }

    const QString rtf = QString::fromLatin1(rtf::write(doc));
    static const QRegularExpression number(QStringLiteral("\\{\\\\pntext\\\\f\\d+ ([^\\\\]*)\\\\tab\\}"));
    QStringList written;
    for (auto it = number.globalMatch(rtf); it.hasNext();) {
        written << it.next().captured(1);
    }
    QCOMPARE(written.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QVERIFY2(written.at(i) == expected.at(i),
                 qPrintable(QStringLiteral("item %1: %2, not %3").arg(i).arg(written.at(i), expected.at(i))));
    }
}

void RtfWriterTest::describesListsInListTable()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.createList(QTextListFormat::ListDisc);
    cursor.insertText(QStringLiteral("bullet"));
    cursor.insertBlock();
    QTextListFormat numbered;
    numbered.setStyle(QTextListFormat::ListLowerAlpha);
    numbered.setIndent(3);
    numbered.setNumberPrefix(QStringLiteral("("));
    numbered.setNumberSuffix(QStringLiteral(")"));
    cursor.createList(numbered);
    cursor.insertText(QStringLiteral("deep"));
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText(QStringLiteral("plain"));

    const QByteArray rtf = rtf::write(doc);
    const QByteArray header = rtf.left(rtf.indexOf("\\viewkind4"));
    QCOMPARE(header.count("{\\list\\listtemplateid"), 2);
    // Levels up to each list's own: one for the bullets, three for the lettered list.
    QCOMPARE(header.count("{\\listlevel"), 4);
    QVERIFY(header.contains("\\listid1}"));
    QVERIFY(header.contains("\\listid2}"));
    QVERIFY2(header.contains("{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
                             "{\\listoverride\\listid2\\listoverridecount0\\ls2}}"),
             header.constData());
    QVERIFY(header.contains("\\levelnfc23\\levelnfcn23"));
    // Level three of the lettered list: "(" placeholder ")" is three characters, the number second.
    QVERIFY2(header.contains("\\levelnfc4\\levelnfcn4"), header.constData());
    QVERIFY2(header.contains("{\\leveltext\\'03(\\'02);}{\\levelnumbers\\'02;}"), header.constData());
    QVERIFY(body(rtf).contains("\\ls1\\ilvl0\\fi"));
    QVERIFY2(body(rtf).contains("\\ls2\\ilvl2\\fi"), rtf.constData());
    QVERIFY2(body(rtf).contains("{\\pntext\\f0 (a)\\tab}"), rtf.constData());
    QCOMPARE(body(rtf).count("\\ls"), 2);
}

void RtfWriterTest::keepsNumbersInRange()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextBlockFormat wide;
    wide.setLeftMargin(1e15);
    wide.setRightMargin(-1e15);
    cursor.setBlockFormat(wide);
    QTextCharFormat huge;
    huge.setFontPointSize(1e12);
    cursor.insertText(QStringLiteral("huge"), huge);
    cursor.insertBlock(QTextBlockFormat());
    cursor.createList(QTextListFormat::ListDisc);
    QTextBlockFormat broken = cursor.blockFormat();
    broken.setProperty(richtext::HangingIndentProperty, qQNaN());
    cursor.setBlockFormat(broken);
    cursor.insertText(QStringLiteral("item"));

    const QByteArray rtf = rtf::write(doc);
    QVERIFY2(rtf.contains("\\li100000000\\ri-100000000"), rtf.constData());
    QVERIFY2(rtf.contains("\\fs32767 huge"), rtf.constData());
    QVERIFY2(rtf.contains("\\fi0\\li600"), rtf.constData());
}

void RtfWriterTest::separatesParagraphsWithPar()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("a"));
    cursor.insertBlock();
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("c"));
    const QByteArray rtf = rtf::write(doc);
    // Three paragraphs, each ended by its own break, the last one included.
    QCOMPARE(rtf.count("\\par\r\n"), 3);
    QCOMPARE(rtf.count("\\pard"), 3);
    QVERIFY2(rtf.endsWith(" c\\par\r\n}\r\n"), rtf.constData());
    QVERIFY(rtf.indexOf(" a\\par") < rtf.indexOf(" c\\par"));

    QTextDocument empty;
    const QByteArray none = rtf::write(empty);
    QCOMPARE(none.count("\\par\r\n"), 1);
    QCOMPARE(none.count("\\pard"), 1);
}

void RtfWriterTest::writesTablesRowByRow()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("before"));
    QTextTable *table = cursor.insertTable(2, 3);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) {
            table->cellAt(r, c).firstCursorPosition().insertText(QStringLiteral("r%1c%2").arg(r).arg(c));
        }
    }
    table->cellAt(1, 2).lastCursorPosition().insertBlock();
    table->cellAt(1, 2).lastCursorPosition().insertText(QStringLiteral("second line"));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("after"));

    const QByteArray rtf = rtf::write(doc);
    QCOMPARE(rtf.count("\\trowd"), 2);
    QCOMPARE(rtf.count("\\cellx"), 6);
    QCOMPARE(rtf.count("\\cell "), 6);
    QCOMPARE(rtf.count("\\row"), 2);
    QVERIFY2(rtf.contains("\\cellx3120\\cellx6240\\cellx9360"), rtf.constData());
    int last = rtf.indexOf("before");
    QVERIFY(last > 0);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) {
            const int at = rtf.indexOf(QStringLiteral("r%1c%2").arg(r).arg(c).toLatin1());
            QVERIFY2(at > last, qPrintable(QStringLiteral("cell %1,%2 out of order").arg(r).arg(c)));
            last = at;
        }
    }
    QVERIFY(rtf.indexOf("second line") > last);
    QVERIFY(rtf.indexOf("after") > rtf.lastIndexOf("\\row"));
    // Every paragraph in a cell is marked as such; the two after the table are not.
    QCOMPARE(rtf.count("\\pard\\intbl"), 7);
    QVERIFY(rtf.contains("before\\par"));
}

void RtfWriterTest::writesHyperlinksAsFields()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("see "));
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(QStringLiteral("https://example.org/a\"b"));
    cursor.insertText(QStringLiteral("here"), link);
    link.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("!"), link);
    cursor.insertText(QStringLiteral(" done"), QTextCharFormat());
    const QByteArray rtf = rtf::write(doc);
    QCOMPARE(rtf.count("\\field"), 1);
    QVERIFY2(rtf.contains("{\\field{\\*\\fldinst HYPERLINK \"https://example.org/a%22b\"}{\\fldrslt{"),
             rtf.constData());
    const int result = rtf.indexOf("\\fldrslt");
    QVERIFY(rtf.indexOf(" here") > result);
    QVERIFY(rtf.indexOf("\\b !}}}") > result);
    QVERIFY(rtf.indexOf(" done") > rtf.indexOf("!}}}"));
}

void RtfWriterTest::writesImagesAsPngData()
{
    QTextDocument doc;
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("mem:pic")), image);
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("A"));
    QTextImageFormat imageFormat;
    imageFormat.setName(QStringLiteral("mem:pic"));
    cursor.insertImage(imageFormat);
    cursor.insertText(QStringLiteral("B"));
    QTextImageFormat missing;
    missing.setName(QStringLiteral("mem:none"));
    cursor.insertImage(missing);

    const QByteArray rtf = rtf::write(doc);
    QCOMPARE(rtf.count("\\pict"), 1);
    static const QRegularExpression pict(
        QStringLiteral("\\{\\\\pict\\\\pngblip\\\\picw7\\\\pich5\\\\picwgoal105\\\\pichgoal75\\s*([0-9a-f\\s]+)\\}"));
    const QRegularExpressionMatch m = pict.match(QString::fromLatin1(rtf));
    QVERIFY2(m.hasMatch(), rtf.constData());
    QString hex = m.captured(1);
    hex.remove(QRegularExpression(QStringLiteral("\\s")));
    const QImage back = QImage::fromData(QByteArray::fromHex(hex.toLatin1()), "PNG");
    QCOMPARE(back.size(), image.size());
    QCOMPARE(back.pixelColor(3, 2), QColor(10, 200, 30));
    QVERIFY(rtf.indexOf(" A") < rtf.indexOf("\\pict"));
    QVERIFY(rtf.indexOf("\\pict") < rtf.indexOf("B"));
}

void RtfWriterTest::saveBytesIsTheWriterOutput()
{
    QScopedPointer<QTextDocument> doc(plainDocument(nullptr, QStringLiteral("same")));
    QCOMPARE(richtext::saveBytes(*doc), rtf::write(*doc));
}

void RtfWriterTest::writesPlainTextAsTheDocumentWouldBe_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("one line") << QStringLiteral("words");
    QTest::newRow("breaks of every kind") << QStringLiteral("a\nb\r\nc\rd\u2029e\n\n\nf\n");
    QTest::newRow("markup characters") << QStringLiteral("{\\b not bold} \t tab \u00e9\u20ac\u4e2d\U0001F600");
    QTest::newRow("line separator stays") << QStringLiteral("one\u2028two\x0c\x01");
}

void RtfWriterTest::writesPlainTextAsTheDocumentWouldBe()
{
    QFETCH(QString, text);
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("Courier New"), 11));
    QTextDocument fontSource;
    fontSource.setDefaultFont(document.defaultFont());
    document.setPlainText(text);
    QCOMPARE(rtf::writePlainText(fontSource, text), rtf::write(document));
}

QTEST_MAIN(RtfWriterTest)
#include "rtfwriter_test.moc"
