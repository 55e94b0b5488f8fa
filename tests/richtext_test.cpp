// Checks the editor end of text transfer: telling RTF from plain text, loading and saving.
#include "text/richtext.h"
#include "text/rtf/rtfwriter.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

namespace {

// Fills a document with formatting that a later plain-text load must not keep.
void fillFormatted(QTextDocument &doc)
{
    QTextCursor cursor(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setLeftMargin(30);
    cursor.setBlockFormat(centred);
    QTextCharFormat loud;
    loud.setFontWeight(QFont::Bold);
    loud.setFontPointSize(30);
    loud.setForeground(QColor(200, 0, 0));
    cursor.insertText(QStringLiteral("old text"), loud);
    cursor.insertBlock();
    cursor.createList(QTextListFormat::ListDisc);
    cursor.insertText(QStringLiteral("old item"), loud);
}

} // namespace

class RichTextTest : public QObject
{
    Q_OBJECT

private slots:
    void recognisesRtf_data();
    void recognisesRtf();
    void loadsPlainTextUnformattedInDefaultFont();
    void plainTextFormFeedStartsPageAndVerticalTabBreaksLine();
    void decodesPlainText_data();
    void decodesPlainText();
    void dropsOnlyTheFinalLineBreak_data();
    void dropsOnlyTheFinalLineBreak();
    void showsAlmostRtfAsPlainText();
    void loadsRtfAfterLeadingWhiteSpace();
    void emptyBytesEmptyTheDocument();
    void savesWholeDocumentAsRtf();
};

void RichTextTest::recognisesRtf_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("rtf") << QByteArray("{\\rtf1\\ansi x}") << true;
    QTest::newRow("bare header") << QByteArray("{\\rtf") << true;
    QTest::newRow("white space first") << QByteArray(" \t\r\n {\\rtf1 x}") << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("only white space") << QByteArray("  \r\n") << false;
    QTest::newRow("cut header") << QByteArray("{\\rt") << false;
    QTest::newRow("text before") << QByteArray("x{\\rtf1}") << false;
    QTest::newRow("upper case") << QByteArray("{\\RTF1}") << false;
    QTest::newRow("no brace") << QByteArray("\\rtf1") << false;
    QTest::newRow("space inside") << QByteArray("{ \\rtf1}") << false;
    QTest::newRow("plain text") << QByteArray("Dear diary") << false;
}

void RichTextTest::recognisesRtf()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, rtf);
    QCOMPARE(richtext::isRtf(bytes), rtf);
}

void RichTextTest::loadsPlainTextUnformattedInDefaultFont()
{
    QTextDocument doc;
    const QFont font(QStringLiteral("DejaVu Serif"), 14);
    doc.setDefaultFont(font);
    fillFormatted(doc);
    richtext::loadBytes(doc, QByteArray("one\r\ntwo\nthree {\\b not bold}"));
    QCOMPARE(doc.blockCount(), 3);
    QCOMPARE(doc.toPlainText(), QStringLiteral("one\ntwo\nthree {\\b not bold}"));
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QVERIFY(!block.textList());
        QCOMPARE(block.blockFormat().leftMargin(), 0.0);
        QVERIFY(!(block.blockFormat().alignment() & Qt::AlignHCenter));
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            QVERIFY(format.fontWeight() < QFont::DemiBold);
            QVERIFY(!format.hasProperty(QTextFormat::FontPointSize));
            QVERIFY(!format.hasProperty(QTextFormat::ForegroundBrush));
            QCOMPARE(format.font().resolve(doc.defaultFont()).family(), font.family());
        }
    }
}

void RichTextTest::plainTextFormFeedStartsPageAndVerticalTabBreaksLine()
{
    QTextDocument doc;
    richtext::loadBytes(doc, QByteArray("a\x0b" "b\x0c" "c\r\n\x0c" "d\ne"));
    QStringList texts;
    QList<bool> pageStarts;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        texts << block.text();
        pageStarts << bool(block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    }
    QCOMPARE(texts, (QStringList{QString("a") + QChar(QChar::LineSeparator) + "b", "c", "d", "e"}));
    QCOMPARE(pageStarts, (QList<bool>{false, true, true, false}));
}

void RichTextTest::decodesPlainText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("plain") << QStringLiteral("plain");
    QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9 \xe2\x82\xac") << QString::fromUtf8("café €");
    QTest::newRow("windows-1252") << QByteArray("caf\xe9 \x80") << QString::fromUtf8("café €");
}

void RichTextTest::decodesPlainText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QTextDocument doc;
    richtext::loadBytes(doc, bytes);
    QCOMPARE(doc.toPlainText(), text);
}

void RichTextTest::dropsOnlyTheFinalLineBreak_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<QString>("text");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << 2 << QStringLiteral("a\nb");
    QTest::newRow("LF") << QByteArray("a\nb\n") << 2 << QStringLiteral("a\nb");
    QTest::newRow("CR") << QByteArray("a\rb\r") << 2 << QStringLiteral("a\nb");
    QTest::newRow("two breaks") << QByteArray("a\r\n\r\n") << 2 << QStringLiteral("a\n");
    QTest::newRow("only a break") << QByteArray("\r\n") << 1 << QString();
    QTest::newRow("no break") << QByteArray("a\r\nb") << 2 << QStringLiteral("a\nb");
}

void RichTextTest::dropsOnlyTheFinalLineBreak()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, blocks);
    QFETCH(QString, text);
    QTextDocument doc;
    richtext::loadBytes(doc, bytes);
    QCOMPARE(doc.blockCount(), blocks);
    QCOMPARE(doc.toPlainText(), text);
}

void RichTextTest::showsAlmostRtfAsPlainText()
{
    QTextDocument doc;
    richtext::loadBytes(doc, QByteArray("{\\rt1 \\b x}"));
    QCOMPARE(doc.toPlainText(), QStringLiteral("{\\rt1 \\b x}"));
}

void RichTextTest::loadsRtfAfterLeadingWhiteSpace()
{
    QTextDocument doc;
    richtext::loadBytes(doc, QByteArray("\r\n  {\\rtf1\\ansi plain {\\b bold}\\par second}"));
    QCOMPARE(doc.toPlainText(), QStringLiteral("plain bold\nsecond"));
    QTextCursor cursor(&doc);
    cursor.setPosition(8); // inside "bold"
    QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
    cursor.setPosition(3); // inside "plain"
    QVERIFY(cursor.charFormat().fontWeight() < QFont::DemiBold);
}

void RichTextTest::emptyBytesEmptyTheDocument()
{
    QTextDocument doc;
    fillFormatted(doc);
    richtext::loadBytes(doc, QByteArray());
    QVERIFY(doc.isEmpty());
    QCOMPARE(doc.blockCount(), 1);
    QVERIFY(!doc.begin().textList());
}

void RichTextTest::savesWholeDocumentAsRtf()
{
    QTextDocument doc;
    fillFormatted(doc);
    const QByteArray bytes = richtext::saveBytes(doc);
    QVERIFY(richtext::isRtf(bytes));
    QVERIFY(bytes.endsWith("}\r\n"));
    QVERIFY(bytes.contains("old text"));
    QVERIFY(bytes.contains("old item"));
    QVERIFY(bytes.indexOf("old text") < bytes.indexOf("old item"));
    QCOMPARE(bytes, rtf::write(doc));
}

QTEST_MAIN(RichTextTest)
#include "richtext_test.moc"
