// Tests of an editor's selection attributes as the formatting controls read and write them.
#include "app/selectionattributes.h"
#include "text/formatting.h"

#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

using namespace formatting;

namespace {

// Selects [start, end) in the editor.
void select(QTextEdit &editor, int start, int end)
{
    QTextCursor cursor = editor.textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    editor.setTextCursor(cursor);
}

// The format of the character at position (the one after the caret there).
QTextCharFormat formatAt(const QTextDocument &document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument *>(&document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

void applyStyle(QTextEdit &editor, int start, int end, bool bold, bool italic, bool underline, bool strike)
{
    select(editor, start, end);
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(italic);
    format.setFontUnderline(underline);
    format.setFontStrikeOut(strike);
    editor.textCursor().mergeCharFormat(format);
}

} // namespace

class SelectionAttributesTest : public QObject
{
    Q_OBJECT

private slots:
    void styleOfSelectionIsTheFlagsAllCharactersShare();
    void writingStyleAssertsAllFourFlagsOverTheSelection();
    void styleWithoutSelectionConcernsTextTypedNext();
    void faceNameIsCutTo31AndEmptyChangesNothing();
    void sizeBelowOneLeavesSizeUnchanged();
};

void SelectionAttributesTest::styleOfSelectionIsTheFlagsAllCharactersShare()
{
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("abcdef"));
    applyStyle(editor, 0, 2, true, true, false, false);
    applyStyle(editor, 2, 4, false, true, false, true);
    applyStyle(editor, 4, 6, false, true, true, false);

    select(editor, 0, 2);
    QCOMPARE(SelectionAttributes(&editor).style(), Bold | Italic);
    select(editor, 0, 4);
    QCOMPARE(SelectionAttributes(&editor).style(), int(Italic));
    select(editor, 2, 4);
    QCOMPARE(SelectionAttributes(&editor).style(), Italic | StrikeOut);
    select(editor, 3, 5); // across the boundary of two runs
    QCOMPARE(SelectionAttributes(&editor).style(), int(Italic));
    select(editor, 0, 6);
    QCOMPARE(SelectionAttributes(&editor).style(), int(Italic));
}

void SelectionAttributesTest::writingStyleAssertsAllFourFlagsOverTheSelection()
{
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("abcdef"));
    applyStyle(editor, 0, 2, true, false, true, false);
    applyStyle(editor, 2, 4, false, true, false, true);

    // Bold pressed over a partly bold selection: the whole selection bold, the other flags uniform.
    select(editor, 0, 6);
    SelectionAttributes attributes(&editor);
    attributes.setStyle(attributes.style() | Bold);
    for (int i = 0; i < 6; ++i) {
        const QTextCharFormat format = formatAt(*editor.document(), i);
        QVERIFY2(format.fontWeight() == QFont::Bold, qPrintable(QString::number(i)));
        QVERIFY(!format.fontItalic());
        QVERIFY(!format.fontUnderline());
        QVERIFY(!format.fontStrikeOut());
    }
    QCOMPARE(attributes.style(), int(Bold));

    // Only the selection changes.
    select(editor, 1, 3);
    attributes.setStyle(Italic | StrikeOut);
    QCOMPARE(formatAt(*editor.document(), 0).fontWeight(), int(QFont::Bold));
    QVERIFY(!formatAt(*editor.document(), 0).fontItalic());
    QVERIFY(formatAt(*editor.document(), 1).fontItalic());
    QCOMPARE(formatAt(*editor.document(), 1).fontWeight(), int(QFont::Normal));
    QVERIFY(formatAt(*editor.document(), 2).fontStrikeOut());
    QCOMPARE(formatAt(*editor.document(), 3).fontWeight(), int(QFont::Bold));
    QCOMPARE(attributes.style(), Italic | StrikeOut);
}

void SelectionAttributesTest::styleWithoutSelectionConcernsTextTypedNext()
{
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("plain"));
    editor.moveCursor(QTextCursor::End);
    SelectionAttributes attributes(&editor);
    QCOMPARE(attributes.style(), 0);
    attributes.setStyle(Underline);
    QCOMPARE(attributes.style(), int(Underline));
    // The existing text keeps its format; what is typed next takes the new one.
    QVERIFY(!formatAt(*editor.document(), 4).fontUnderline());
    editor.insertPlainText(QStringLiteral("XY"));
    QVERIFY(formatAt(*editor.document(), 5).fontUnderline());
    QVERIFY(formatAt(*editor.document(), 6).fontUnderline());
    QVERIFY(!formatAt(*editor.document(), 4).fontUnderline());
}

void SelectionAttributesTest::faceNameIsCutTo31AndEmptyChangesNothing()
{
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("text"));
    select(editor, 0, 4);
    SelectionAttributes attributes(&editor);
    const QString longName = QStringLiteral("A Very Long Face Name That Goes On And On");
    QVERIFY(longName.size() > 31);
    attributes.setName(longName);
    QCOMPARE(attributes.name(), longName.left(31));
    QCOMPARE(formatAt(*editor.document(), 3).fontFamilies().toStringList(), QStringList{longName.left(31)});

    attributes.setName(QStringLiteral("Serif Face"));
    QCOMPARE(attributes.name(), QStringLiteral("Serif Face"));
    attributes.setName(QString());
    QCOMPARE(attributes.name(), QStringLiteral("Serif Face"));

    // Only the face changes: a bold selection stays bold.
    attributes.setStyle(Bold);
    attributes.setName(QStringLiteral("Other Face"));
    QCOMPARE(attributes.style(), int(Bold));
}

void SelectionAttributesTest::sizeBelowOneLeavesSizeUnchanged()
{
    QTextEdit editor;
    QFont base = editor.document()->defaultFont();
    base.setPointSize(12);
    editor.document()->setDefaultFont(base);
    editor.setPlainText(QStringLiteral("text"));
    select(editor, 0, 4);
    SelectionAttributes attributes(&editor);
    QCOMPARE(attributes.size(), 12); // the base size when none is set
    attributes.setSize(14);
    QCOMPARE(attributes.size(), 14);
    QCOMPARE(formatAt(*editor.document(), 0).fontPointSize(), 14.0);
    attributes.setSize(0);
    QCOMPARE(attributes.size(), 14);
    attributes.setSize(-5);
    QCOMPARE(formatAt(*editor.document(), 3).fontPointSize(), 14.0);
    attributes.setSize(250);
    QCOMPARE(attributes.size(), 250);
}

QTEST_MAIN(SelectionAttributesTest)
#include "selectionattributes_test.moc"
