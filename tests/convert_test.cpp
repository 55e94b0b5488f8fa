// Tests of the document conversion behind the command-line tool: format names, plain text, HTML and RTF.
#include "text/convert.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

class ConvertTest : public QObject
{
    Q_OBJECT

private slots:
    void parsesFormatNames_data();
    void parsesFormatNames();
    void plainTextWritesOneLinePerParagraph();
    void plainTextWritesTableRowsWithTabs();
    void plainTextLeavesOutListMarkersAndPictures();
    void readsRtfOnlyWhenTheContentSaysSo_data();
    void readsRtfOnlyWhenTheContentSaysSo();
    void convertsToHtmlAndRtf();
};

void ConvertTest::parsesFormatNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("format");
    QTest::newRow("text") << "text" << true << int(convert::Format::Text);
    QTest::newRow("html") << "html" << true << int(convert::Format::Html);
    QTest::newRow("rtf") << "rtf" << true << int(convert::Format::Rtf);
    QTest::newRow("upper case") << "TEXT" << false << -1;
    QTest::newRow("empty") << "" << false << -1;
    QTest::newRow("other") << "pdf" << false << -1;
}

void ConvertTest::parsesFormatNames()
{
    QFETCH(QString, name);
    QFETCH(bool, ok);
    QFETCH(int, format);
    convert::Format f = convert::Format::Html;
    QCOMPARE(convert::parseFormat(name, f), ok);
    if (ok) {
        QCOMPARE(int(f), format);
    } else {
        QCOMPARE(f, convert::Format::Html); // left alone
    }
}

void ConvertTest::plainTextWritesOneLinePerParagraph()
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText("first");
    c.insertBlock();
    c.insertBlock();
    c.insertText(QString("line") + QChar(QChar::LineSeparator) + QString::fromUtf8("brök"));
    QCOMPARE(convert::plainText(doc), QString::fromUtf8("first\n\nline\nbrök\n"));
    QTextDocument empty;
    QCOMPARE(convert::plainText(empty), QString("\n"));
}

void ConvertTest::plainTextWritesTableRowsWithTabs()
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText("before");
    QTextTable *t = c.insertTable(2, 3);
    t->cellAt(0, 0).firstCursorPosition().insertText("a");
    t->cellAt(0, 2).firstCursorPosition().insertText("c");
    QTextCursor cell = t->cellAt(1, 1).firstCursorPosition();
    cell.insertText("two");
    cell.insertBlock();
    cell.insertText("paras");
    // A table inside a cell is written on the outer row's line.
    QTextTable *inner = t->cellAt(1, 2).firstCursorPosition().insertTable(1, 2);
    inner->cellAt(0, 0).firstCursorPosition().insertText("x");
    inner->cellAt(0, 1).firstCursorPosition().insertText("y");
    QTextCursor after(&doc);
    after.movePosition(QTextCursor::End);
    after.insertText("after");
    const QStringList lines = convert::plainText(doc).split('\n');
    QCOMPARE(lines.at(0), QString("before"));
    QCOMPARE(lines.at(1), QString("a\t\tc"));
    QCOMPARE(lines.at(2), QString("\ttwo paras\tx\ty"));
    QCOMPARE(lines.at(3), QString("after"));
    QCOMPARE(lines.size(), 5);

    // Merged cells are written once.
    QTextDocument merged;
    QTextTable *m = QTextCursor(&merged).insertTable(1, 3);
    m->mergeCells(0, 0, 1, 2);
    m->cellAt(0, 0).firstCursorPosition().insertText("wide");
    m->cellAt(0, 2).firstCursorPosition().insertText("z");
    QVERIFY(convert::plainText(merged).contains("wide\tz"));
}

void ConvertTest::plainTextLeavesOutListMarkersAndPictures()
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextListFormat lf;
    lf.setStyle(QTextListFormat::ListDecimal);
    c.createList(lf);
    c.insertText("one");
    c.insertBlock();
    c.insertText("two");
    c.insertImage(QTextImageFormat());
    QCOMPARE(convert::plainText(doc), QString("one\ntwo\n"));
}

void ConvertTest::readsRtfOnlyWhenTheContentSaysSo_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("rtf") << QByteArray("{\\rtf1 bold\\par next}") << QString("bold\nnext\n");
    QTest::newRow("rtf after white space") << QByteArray(" \r\n\t{\\rtf1 x}") << QString("x\n");
    QTest::newRow("rtf-like text") << QByteArray("x{\\rtf1 y}") << QString("x{\\rtf1 y}\n");
    QTest::newRow("brace without rtf") << QByteArray("{\\b y}") << QString("{\\b y}\n");
    QTest::newRow("plain utf-8") << QByteArray("caf\xC3\xA9\r\nline") << QString::fromUtf8("café\nline\n");
    QTest::newRow("plain 1252") << QByteArray("caf\xE9") << QString::fromUtf8("café\n");
    QTest::newRow("plain utf-16") << QByteArray("\xFF\xFE" "h\0i\0", 6) << QString("hi\n");
    QTest::newRow("rtf table") << QByteArray("{\\rtf1\\trowd\\cellx1\\cellx2\\intbl a\\cell b\\cell\\row}")
                               << QString("a\tb\n\n");
}

void ConvertTest::readsRtfOnlyWhenTheContentSaysSo()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromUtf8(convert::convertBytes(input, convert::Format::Text)), expected);
}

void ConvertTest::convertsToHtmlAndRtf()
{
    const QByteArray input = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 plain \\b bold\\b0\\par}";
    const QString html = QString::fromUtf8(convert::convertBytes(input, convert::Format::Html));
    QVERIFY(html.contains("<html"));
    QVERIFY(html.contains("font-weight:700"));
    QVERIFY(html.contains("bold"));

    const QByteArray rtf = convert::convertBytes(input, convert::Format::Rtf);
    QVERIFY(rtf.startsWith("{\\rtf1"));
    QVERIFY(rtf.endsWith("}\r\n"));
    // What we write reads back to the same text and bold run.
    QTextDocument back;
    convert::readDocument(rtf, back);
    QCOMPARE(back.toPlainText(), QString("plain bold"));
    QTextCursor bold = back.find("bold");
    QCOMPARE(bold.charFormat().fontWeight(), int(QFont::Bold));
    QVERIFY(back.find("plain").charFormat().fontWeight() != QFont::Bold);
}

QTEST_MAIN(ConvertTest)
#include "convert_test.moc"
