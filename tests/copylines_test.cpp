// Checks text transfer between a record's line list and a rich-text document, both ways.
#include "document/copylines.h"
#include "text/richtext.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

class CopyLinesTest : public QObject
{
    Q_OBJECT

private slots:
    void emptyRecordEmptiesEditor();
    void plainTextRecordShowsLineByLine();
    void editorFillsRecordWithRtfLines();
    void formattingSurvivesRecordAndBack();
    void treeFileEntryWithBreaksReadsLikeSplitLines();
    void recordToEditorToRecordIsStable();
};

void CopyLinesTest::emptyRecordEmptiesEditor()
{
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("previous leaf"));
    CopyLines(LineList(), doc);
    QVERIFY(doc.isEmpty());
}

void CopyLinesTest::plainTextRecordShowsLineByLine()
{
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCursor(&doc).insertText(QStringLiteral("previous"), bold);
    CopyLines(LineList{"first", "", "third"}, doc);
    QCOMPARE(doc.blockCount(), 3);
    QCOMPARE(doc.toPlainText(), QStringLiteral("first\n\nthird"));
    QTextCursor cursor(&doc);
    cursor.setPosition(2);
    QVERIFY(cursor.charFormat().fontWeight() < QFont::DemiBold);
}

void CopyLinesTest::editorFillsRecordWithRtfLines()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("alpha"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("beta"));
    LineList record{"stale", "entries"};
    CopyLines(doc, record);
    QVERIFY(record.size() > 1);
    QVERIFY(record.first().startsWith("{\\rtf1"));
    QCOMPARE(record.last(), QByteArray("}"));
    QVERIFY(!record.contains("stale"));
    for (const QByteArray &line : record) {
        QVERIFY(!line.contains('\r'));
        QVERIFY(!line.contains('\n'));
    }
    // Joined back with CR LF after every entry, the record holds exactly what the editor wrote.
    QCOMPARE(joinLines(record), richtext::saveBytes(doc));
}

void CopyLinesTest::formattingSurvivesRecordAndBack()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextCharFormat format;
    format.setFontFamilies({QStringLiteral("DejaVu Serif")});
    format.setFontPointSize(15);
    format.setFontWeight(QFont::Bold);
    format.setFontItalic(true);
    format.setFontUnderline(true);
    format.setFontStrikeOut(true);
    cursor.insertText(QStringLiteral("styled"), format);
    cursor.insertBlock();
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    cursor.setBlockFormat(right);
    cursor.insertText(QStringLiteral("right"), QTextCharFormat());
    cursor.insertBlock(QTextBlockFormat());
    cursor.createList(QTextListFormat::ListDisc);
    cursor.insertText(QStringLiteral("bullet"));

    LineList record;
    CopyLines(doc, record);
    QTextDocument back;
    CopyLines(record, back);

    QCOMPARE(back.toPlainText(), QStringLiteral("styled\nright\nbullet"));
    QTextCursor at(&back);
    at.setPosition(2);
    const QTextCharFormat styled = at.charFormat();
    QCOMPARE(styled.fontFamilies().toStringList().value(0), QStringLiteral("DejaVu Serif"));
    QCOMPARE(styled.fontPointSize(), 15.0);
    QCOMPARE(styled.fontWeight(), int(QFont::Bold));
    QVERIFY(styled.fontItalic());
    QVERIFY(styled.fontUnderline());
    QVERIFY(styled.fontStrikeOut());
    const QTextBlock second = back.findBlockByNumber(1);
    QCOMPARE(second.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QVERIFY(!second.textList());
    const QTextBlock third = back.findBlockByNumber(2);
    QVERIFY(third.textList());
    QCOMPARE(third.textList()->format().style(), QTextListFormat::ListDisc);
}

void CopyLinesTest::treeFileEntryWithBreaksReadsLikeSplitLines()
{
    QTextDocument doc;
    QTextCharFormat italic;
    italic.setFontItalic(true);
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("one"), italic);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("two"));
    LineList lines;
    CopyLines(doc, lines);
    // The tree file reader keeps a leaf's whole text as one entry, breaks included.
    const LineList single{joinLines(lines)};
    QTextDocument fromLines;
    QTextDocument fromSingle;
    CopyLines(lines, fromLines);
    CopyLines(single, fromSingle);
    QCOMPARE(fromSingle.toPlainText(), QStringLiteral("one\ntwo"));
    QCOMPARE(richtext::saveBytes(fromSingle), richtext::saveBytes(fromLines));
}

void CopyLinesTest::recordToEditorToRecordIsStable()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextCharFormat big;
    big.setFontPointSize(20);
    cursor.insertText(QString::fromUtf8("Grüße, \u4e16\u754c {x} \\ "), big);
    cursor.insertText(QStringLiteral("normal"), QTextCharFormat());
    LineList first;
    CopyLines(doc, first);
    QTextDocument editor;
    CopyLines(first, editor);
    LineList second;
    CopyLines(editor, second);
    QCOMPARE(second, first);
    QCOMPARE(editor.toPlainText(), doc.toPlainText());
}

QTEST_MAIN(CopyLinesTest)
#include "copylines_test.moc"
