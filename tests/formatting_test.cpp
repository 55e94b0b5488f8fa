// Tests of the formatting rules: size-box numbers, shortcut keys, completion, selection styles, bullets.
#include "text/errors.h"
#include "text/formatting.h"
#include "text/richtext.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <climits>

using namespace formatting;

namespace {

} // namespace

class FormattingTest : public QObject
{
    Q_OBJECT

private slots:
    void sizeTextConvertsByTheNumberRules_data();
    void sizeTextConvertsByTheNumberRules();
    void failedConversionNamesTheWholeText();
    void shortcutKeysMapToStyleFlags_data();
    void shortcutKeysMapToStyleFlags();
    void typedCharacterCompletesFromFirstMatchingItem_data();
    void typedCharacterCompletesFromFirstMatchingItem();
    void bulletsRaiseHangingIndentToTenAndOffSetsZero_data();
    void bulletsRaiseHangingIndentToTenAndOffSetsZero();
    void bulletsCoverEveryParagraphOfTheSelectionInOneUndoStep();
};

void FormattingTest::sizeTextConvertsByTheNumberRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("decimal") << "14" << true << 14;
    QTest::newRow("leading blank") << " 14" << true << 14;
    QTest::newRow("leading blanks") << "   14" << true << 14;
    QTest::newRow("plus sign") << "+14" << true << 14;
    QTest::newRow("minus sign") << "-3" << true << -3;
    QTest::newRow("dollar hex") << "$E" << true << 14;
    QTest::newRow("0x hex") << "0xE" << true << 14;
    QTest::newRow("0X hex") << "0Xe" << true << 14;
    QTest::newRow("x hex") << "xE" << true << 14;
    QTest::newRow("signed hex") << "-$E" << true << -14;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("largest") << "2147483647" << true << INT_MAX;
    QTest::newRow("smallest") << "-2147483648" << true << INT_MIN;
    QTest::newRow("eight f") << "$FFFFFFFF" << true << -1;
    QTest::newRow("hex top bit") << "$80000000" << true << INT_MIN;
    QTest::newRow("hex largest") << "$7FFFFFFF" << true << INT_MAX;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blank only") << " " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("letters follow") << "14ab" << false << 0;
    QTest::newRow("blank follows") << "14 " << false << 0;
    QTest::newRow("blank inside") << "1 4" << false << 0;
    QTest::newRow("tab before") << "\t14" << false << 0;
    QTest::newRow("overflow") << "2147483648" << false << 0;
    QTest::newRow("negative overflow") << "-2147483649" << false << 0;
    QTest::newRow("nine hex digits") << "$100000000" << false << 0;
    QTest::newRow("sign only") << "+" << false << 0;
    QTest::newRow("two signs") << "+-3" << false << 0;
    QTest::newRow("dollar only") << "$" << false << 0;
    QTest::newRow("0x only") << "0x" << false << 0;
    QTest::newRow("bad hex digit") << "$1G" << false << 0;
    QTest::newRow("decimal point") << "12.5" << false << 0;
    QTest::newRow("other script digit") << QString::fromUtf8("\u0663") << false << 0;
}

void FormattingTest::sizeTextConvertsByTheNumberRules()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);

    int result = 12345;
    QCOMPARE(tryStrToInt(text, result), ok);
    if (ok) {
        QCOMPARE(result, value);
        QCOMPARE(StrToInt(text), value);
    } else {
        QCOMPARE(result, 12345); // untouched on failure
        QVERIFY_THROWS_EXCEPTION(AppError, StrToInt(text));
    }
}

void FormattingTest::failedConversionNamesTheWholeText()
{
    const QStringList texts{QString(), QStringLiteral("abc"), QStringLiteral(" 14ab")};
    for (const QString &text : texts) {
        try {
            StrToInt(text);
            QFAIL("no error raised");
        } catch (const AppError &e) {
            QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
}

void FormattingTest::shortcutKeysMapToStyleFlags_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("flag");
    QTest::newRow("B") << int(Qt::Key_B) << int(Bold);
    QTest::newRow("I") << int(Qt::Key_I) << int(Italic);
    QTest::newRow("U") << int(Qt::Key_U) << int(Underline);
    QTest::newRow("S") << int(Qt::Key_S) << int(StrikeOut);
    QTest::newRow("lower b") << int('b') << int(Bold);
    QTest::newRow("lower s") << int('s') << int(StrikeOut);
    QTest::newRow("A") << int(Qt::Key_A) << 0;
    QTest::newRow("C") << int(Qt::Key_C) << 0;
    QTest::newRow("lower c") << int('c') << 0;
    QTest::newRow("digit 2") << int(Qt::Key_2) << 0;
    QTest::newRow("F4") << int(Qt::Key_F4) << 0;
    QTest::newRow("Control") << int(Qt::Key_Control) << 0;
}

void FormattingTest::shortcutKeysMapToStyleFlags()
{
    QFETCH(int, key);
    QFETCH(int, flag);
    QCOMPARE(shortcutStyle(key), flag);
}

void FormattingTest::typedCharacterCompletesFromFirstMatchingItem_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<bool>("completes");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("picked");
    QTest::addColumn<int>("selectFrom");

    const QStringList categories{"Default", "Memo", "ToDo", "Unknown"};
    QTest::newRow("lower t keeps its case") << categories << "" << 0 << 0 << QChar('t') << true << "toDo" << 2 << 1;
    QTest::newRow("next letter over the selection")
        << categories << "toDo" << 1 << 3 << QChar('o') << true << "toDo" << 2 << 2;
    QTest::newRow("no item begins so") << categories << "toDo" << 1 << 3 << QChar('x') << false << "" << -1 << 0;
    QTest::newRow("whole text when nothing selected")
        << categories << "Me" << 1 << 0 << QChar('m') << true << "Memo" << 1 << 3;
    QTest::newRow("selection replaced") << categories << "Memo" << 0 << 4 << QChar('d') << true << "default" << 0 << 1;
    QTest::newRow("upper case typed") << categories << "" << 0 << 0 << QChar('U') << true << "Unknown" << 3 << 1;
    QTest::newRow("complete item typed") << categories << "Mem" << 3 << 0 << QChar('O') << true << "MemO" << 1 << 4;
    QTest::newRow("longer than any item") << categories << "Memo" << 4 << 0 << QChar('s') << false << "" << -1 << 0;
    const QStringList fruit{"apricot", "Apple", "apple pie"};
    QTest::newRow("first in list order") << fruit << "" << 0 << 0 << QChar('A') << true << "Apricot" << 0 << 1;
    QTest::newRow("later item") << fruit << "Apricot" << 2 << 5 << QChar('P') << true << "ApPle" << 1 << 3;
    QTest::newRow("empty list") << QStringList() << "" << 0 << 0 << QChar('a') << false << "" << -1 << 0;
}

void FormattingTest::typedCharacterCompletesFromFirstMatchingItem()
{
    QFETCH(QStringList, items);
    QFETCH(QString, text);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(QChar, typed);
    QFETCH(bool, completes);
    QFETCH(QString, result);
    QFETCH(int, picked);
    QFETCH(int, selectFrom);

    Completion completion{};
    QCOMPARE(complete(items, text, selectionStart, selectionLength, typed, completion), completes);
    if (completes) {
        QCOMPARE(completion.text, result);
        QCOMPARE(completion.pickedIndex, picked);
        QCOMPARE(completion.selectStart, selectFrom);
    }
}

void FormattingTest::bulletsRaiseHangingIndentToTenAndOffSetsZero_data()
{
    QTest::addColumn<double>("before");
    QTest::addColumn<double>("withBullets");
    QTest::newRow("5 raised") << 5.0 << 10.0;
    QTest::newRow("0 raised") << 0.0 << 10.0;
    QTest::newRow("10 stays") << 10.0 << 10.0;
    QTest::newRow("20 stays") << 20.0 << 20.0;
}

void FormattingTest::bulletsRaiseHangingIndentToTenAndOffSetsZero()
{
    QFETCH(double, before);
    QFETCH(double, withBullets);

    QTextDocument document;
    document.setPlainText(QStringLiteral("one"));
    QTextCursor cursor(&document);
    QTextBlockFormat format = cursor.blockFormat();
    format.setProperty(richtext::HangingIndentProperty, before);
    cursor.setBlockFormat(format);

    setBullets(cursor, true);
    QTextBlock block = document.firstBlock();
    QVERIFY(block.textList() != nullptr);
    QCOMPARE(block.textList()->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(hangingIndent(block.blockFormat()), withBullets);
    QCOMPARE(block.text(), QStringLiteral("one"));

    setBullets(cursor, false);
    block = document.firstBlock();
    QVERIFY(block.textList() == nullptr);
    QCOMPARE(hangingIndent(block.blockFormat()), 0.0);
    QCOMPARE(block.blockFormat().indent(), 0);
}

void FormattingTest::bulletsCoverEveryParagraphOfTheSelectionInOneUndoStep()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("one\ntwo\nthree\nfour"));
    // A plain paragraph showing a hanging indent as a negative first-line indent: 40 px is 30 pt.
    QTextCursor second(document.findBlockByNumber(1));
    QTextBlockFormat format = second.blockFormat();
    format.setTextIndent(-40);
    second.setBlockFormat(format);
    QCOMPARE(hangingIndent(document.findBlockByNumber(1).blockFormat()), 30.0);

    QTextCursor selection(&document);
    selection.setPosition(document.findBlockByNumber(0).position() + 1);
    selection.setPosition(document.findBlockByNumber(2).position() + 2, QTextCursor::KeepAnchor);
    setBullets(selection, true);

    QTextList *list = document.findBlockByNumber(0).textList();
    QVERIFY(list != nullptr);
    QCOMPARE(list->count(), 3);
    QCOMPARE(document.findBlockByNumber(1).textList(), list);
    QCOMPARE(document.findBlockByNumber(2).textList(), list);
    QVERIFY(document.findBlockByNumber(3).textList() == nullptr);
    QCOMPARE(hangingIndent(document.findBlockByNumber(0).blockFormat()), 10.0);
    QCOMPARE(hangingIndent(document.findBlockByNumber(1).blockFormat()), 30.0);
    QCOMPARE(document.findBlockByNumber(1).blockFormat().textIndent(), 0.0);
    QCOMPARE(document.toPlainText(), QStringLiteral("one\ntwo\nthree\nfour"));

    document.undo();
    QVERIFY(document.findBlockByNumber(0).textList() == nullptr);
    QVERIFY(document.findBlockByNumber(2).textList() == nullptr);
    QCOMPARE(document.findBlockByNumber(1).blockFormat().textIndent(), -40.0);
}

QTEST_MAIN(FormattingTest)
#include "formatting_test.moc"
