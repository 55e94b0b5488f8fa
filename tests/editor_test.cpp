// Tests of the leaf editor in the main window: text and category following the selection, exit
// handling, completion in the boxes, the formatting toolbar, the keyboard rules and the font list.
#include "app/Main.h"
#include "app/completingcombo.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "app/updown.h"
#include "document/copylines.h"
#include "document/outlinemodel.h"
#include "document/tvclasses.h"
#include "text/formatting.h"
#include "app/selectionattributes.h"
#include "text/richtext.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QToolButton>

#include <memory>

namespace {

QString plainTextOf(const NoteRef &record)
{
    QTextDocument document;
    CopyLines(record->Notes, document);
    return document.toPlainText();
}

// Plain text in a record shows in the editor's base font.
void fillRecord(const NoteRef &record, const QString &text)
{
    record->Notes = splitLines(text.toLatin1());
}

void selectRange(QTextEdit *editor, int start, int end)
{
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
}

QTextCharFormat formatAt(QTextEdit *editor, int position)
{
    QTextCursor cursor(editor->document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

bool isBold(QTextEdit *editor, int position)
{
    return formatAt(editor, position).fontWeight() >= QFont::Bold;
}

} // namespace

class EditorTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void textFollowsSelectionAcrossLeaves();
    void categoryFollowsSelectionAndIsCutTo20();
    void selectionMovedWithHandlersOffStoresNothing();
    void deletedCurrentItemStoresIntoItsRecordSafely();
    void recordedEditorStoresWhenKeyboardReachesAnotherControl();
    void leavingEditorStoresAndReloadsGroupsViewer();
    void categoryBoxCompletesAndReportsOnlyNewPicks();
    void backspaceDropsPickAndReports();
    void chooserAndFontBoxComplete();
    void shortcutsActAtReleaseWithCtrlHeld();
    void shortcutsActOnTheSendingEditorOnly();
    void styleButtonsSetTheirFlagByNewState();
    void sizeBoxAppliesNumbersOrReportsBadText_data();
    void sizeBoxAppliesNumbersOrReportsBadText();
    void sizeBoxEditedKeyByKeyAppliesEveryStep();
    void upDownStepsWithinZeroToHundred();
    void alignmentButtonsApplyTheirTag();
    void bulletsButtonAppliesIndentRule();
    void formattingFollowsButtonsToggledWithoutAClick();
    void formattedTextSurvivesLeafSwitches();
    void tabTypesOneSpaceInLeafEditorOnly();
    void fontListIsSortedWithNothingPicked();
    void windowClosesSafelyWhileEditorHasFocus();

private:
    OutlineNode *addLeaf(const QString &caption, const QString &text = QString(),
                      const QString &category = QStringLiteral("Unknown"), OutlineNode *parent = nullptr);

    std::unique_ptr<TForm1> w_;
    QStringList errors_;
};

void EditorTest::init()
{
    errors_.clear();
    setErrorReporter([this](const QString &, const QString &text) { errors_ << text; });
    w_ = std::make_unique<TForm1>();
    // What the window's creation does for the editor and the boxes.
    w_->GetFontNames();
    QStringList names;
    for (const char *name : CategoryNames) {
        names << QString::fromLatin1(name);
    }
    w_->TreeViewComboBox->addItems(names);
    w_->CatViewComboBox->addItems(names);
    w_->TreeViewComboBox->setCurrentIndex(0);
    w_->CatViewComboBox->setCurrentIndex(0);
    w_->show();
    w_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w_.get()));
}

void EditorTest::cleanup()
{
    w_.reset();
    setErrorReporter({});
}

OutlineNode *EditorTest::addLeaf(const QString &caption, const QString &text, const QString &category,
                              OutlineNode *parent)
{
    auto record = std::make_shared<noteob>();
    record->setCategory(category);
    if (!text.isEmpty()) {
        fillRecord(record, text);
    }
    auto *item = new OutlineNode(caption, record);
    if (parent != nullptr) {
        parent->addChild(item);
    } else {
        w_->TreeView1->outline().root()->addChild(item);
    }
    return item;
}

void EditorTest::textFollowsSelectionAcrossLeaves()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "first text");
    OutlineNode *b = addLeaf("B");
    OutlineNode *c = addLeaf("C", "third", "Memo", b);

    w.TreeView1->setCurrentItem(a);
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("first text"));

    w.RichEdit1->setFocus();
    w.RichEdit1->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.RichEdit1, " plus");
    w.TreeView1->setCurrentItem(b);
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("first text plus"));
    QCOMPARE(w.RichEdit1->toPlainText(), QString());

    QTest::keyClicks(w.RichEdit1, "second");
    w.TreeView1->setCurrentItem(c);
    QCOMPARE(plainTextOf(b->record()), QStringLiteral("second"));
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("third"));
    QCOMPARE(w.TreeViewComboBox->currentText(), QStringLiteral("Memo"));

    w.TreeView1->setCurrentItem(a);
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("first text plus"));
    w.TreeView1->setCurrentItem(b);
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("second"));
    // Undo never reaches back past the load into another leaf's text.
    QVERIFY(!w.RichEdit1->document()->isUndoAvailable());
    w.RichEdit1->undo();
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("second"));
    // Records not visited since keep their texts.
    QCOMPARE(plainTextOf(c->record()), QStringLiteral("third"));
    QVERIFY(errors_.isEmpty());
}

void EditorTest::categoryFollowsSelectionAndIsCutTo20()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", QString(), "Memo");
    OutlineNode *b = addLeaf("B", QString(), "ToDo");
    w.TreeView1->setCurrentItem(a);
    QCOMPARE(w.TreeViewComboBox->currentText(), QStringLiteral("Memo"));
    // The list opens on the category shown, with the box's text unchanged.
    w.TreeViewComboBox->showPopup();
    QCOMPARE(w.TreeViewComboBox->view()->currentIndex().data().toString(), QStringLiteral("Memo"));
    w.TreeViewComboBox->hidePopup();
    QCOMPARE(w.TreeViewComboBox->currentText(), QStringLiteral("Memo"));

    // A text that no item begins with is typed as it is.
    w.TreeViewComboBox->setFocus();
    w.TreeViewComboBox->lineEdit()->selectAll();
    QTest::keyClicks(w.TreeViewComboBox, "Abcdefghijklmnopqrstuvwxy");
    QCOMPARE(w.TreeViewComboBox->currentText(), QStringLiteral("Abcdefghijklmnopqrstuvwxy"));

    w.TreeView1->setCurrentItem(b);
    QCOMPARE(a->record()->categoryText(), QStringLiteral("Abcdefghijklmnopqrst"));
    QCOMPARE(w.TreeViewComboBox->currentText(), QStringLiteral("ToDo"));
    QCOMPARE(b->record()->categoryText(), QStringLiteral("ToDo"));

    w.TreeView1->setCurrentItem(a);
    QCOMPARE(w.TreeViewComboBox->currentText(), QStringLiteral("Abcdefghijklmnopqrst"));
    // The box's text, not the item picked before, is what is stored on leaving.
    w.TreeViewComboBox->setEditText(QString());
    w.TreeView1->setCurrentItem(b);
    QCOMPARE(a->record()->categoryText(), QString());
}

void EditorTest::selectionMovedWithHandlersOffStoresNothing()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "alpha");
    OutlineNode *b = addLeaf("B", "beta");
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->setPlainText(QStringLiteral("edited"));

    {
        const TForm1::SelectionHandlersOff handlersOff(w);
        w.TreeView1->setCurrentItem(b);
    }
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha"));
    QCOMPARE(plainTextOf(b->record()), QStringLiteral("beta"));
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("edited"));

    // The editor still holds A's copy: it goes back into A, never into B.
    w.TreeView1->setCurrentItem(a);
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("edited"));
    QCOMPARE(plainTextOf(b->record()), QStringLiteral("beta"));
}

void EditorTest::deletedCurrentItemStoresIntoItsRecordSafely()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "alpha");
    OutlineNode *b = addLeaf("B", "beta");
    w.TreeView1->setCurrentItem(b);
    w.RichEdit1->setPlainText(QStringLiteral("beta edited"));
    const NoteRef recordB = b->record();

    // The tree reports the change from inside the item's destructor, with the item half destroyed.
    delete b;
    QCOMPARE(w.TreeView1->currentItem(), static_cast<OutlineNode *>(a));
    QCOMPARE(plainTextOf(recordB), QStringLiteral("beta edited"));
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("alpha"));
    QVERIFY(errors_.isEmpty());
}

void EditorTest::recordedEditorStoresWhenKeyboardReachesAnotherControl()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "alpha");
    w.TreeView1->setCurrentItem(a);
    w.FontSize->setFocus();
    QCOMPARE(w.activeControl(), static_cast<QWidget *>(w.FontSize));

    // Not recorded: a change made to the editor without its focus is not stored by moving the keyboard.
    w.RichEdit1->setPlainText(QStringLiteral("not yet"));
    w.TreeViewComboBox->setFocus();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha"));

    // Recorded as focused while the keyboard stays elsewhere: the next focus move stores the editor.
    w.setActiveControl(w.RichEdit1);
    w.RichEdit1->setPlainText(QStringLiteral("stored"));
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha"));
    w.TreeView1->setFocus();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("stored"));
    QCOMPARE(w.activeControl(), static_cast<QWidget *>(w.TreeView1));

    // Focus taken from the editor itself stores it through its own exit.
    w.RichEdit1->setFocus();
    QCOMPARE(w.activeControl(), static_cast<QWidget *>(w.RichEdit1));
    QTest::keyClicks(w.RichEdit1, "!");
    w.FontSize->setFocus();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("!stored"));
}

void EditorTest::leavingEditorStoresAndReloadsGroupsViewer()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "alpha");
    OutlineNode *b = addLeaf("B", "beta");
    w.TreeView1->setCurrentItem(a);

    // No leaf selected: the exit does nothing at all.
    w.TreeView1->setCurrentItem(nullptr);
    w.RichEdit1->setPlainText(QStringLiteral("lost"));
    w.RichEdit1Exit();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha"));

    w.TreeView1->setCurrentItem(a);
    w.ListAllLeaves();
    w.ListBox->setCurrentRow(0);
    QCOMPARE(w.pickedRecord(), a->record());
    w.RichEdit2->setPlainText(QStringLiteral("stale"));

    w.RichEdit1->setFocus();
    w.RichEdit1->selectAll();
    QTest::keyClicks(w.RichEdit1, "alpha two");
    w.FontSize->setFocus();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha two"));
    QCOMPARE(w.RichEdit2->toPlainText(), QStringLiteral("alpha two"));

    // A different picked entry is reloaded from its own record.
    w.ListBox->setCurrentRow(1);
    w.RichEdit2->setPlainText(QStringLiteral("stale"));
    w.RichEdit1->setFocus();
    w.FontSize->setFocus();
    QCOMPARE(w.RichEdit2->toPlainText(), plainTextOf(b->record()));
}

void EditorTest::categoryBoxCompletesAndReportsOnlyNewPicks()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A");
    w.TreeView1->setCurrentItem(a);
    CompletingComboBox *box = w.TreeViewComboBox;
    QSignalSpy reports(box, &CompletingComboBox::userChanged);

    // Setting the text from code reports nothing and stores nothing.
    box->setEditText(QString());
    QCOMPARE(reports.count(), 0);
    QCOMPARE(a->record()->categoryText(), QStringLiteral("Unknown"));

    box->setFocus();
    QTest::keyClick(box, Qt::Key_T);
    QCOMPARE(box->currentText(), QStringLiteral("toDo"));
    QCOMPARE(box->lineEdit()->selectedText(), QStringLiteral("oDo"));
    QCOMPARE(box->currentIndex(), 2);
    QCOMPARE(reports.count(), 1);
    QCOMPARE(a->record()->categoryText(), QStringLiteral("toDo"));

    // The same item again: completed further, no change reported.
    QTest::keyClick(box, Qt::Key_O);
    QCOMPARE(box->currentText(), QStringLiteral("toDo"));
    QCOMPARE(box->lineEdit()->selectedText(), QStringLiteral("Do"));
    QCOMPARE(reports.count(), 1);

    // No item begins so: typed normally over the selection, the pick dropped, a change reported.
    QTest::keyClick(box, Qt::Key_X);
    QCOMPARE(box->currentText(), QStringLiteral("tox"));
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(reports.count(), 2);
    QCOMPARE(a->record()->categoryText(), QStringLiteral("tox"));

    // Another item picked by typing reports again.
    box->lineEdit()->selectAll();
    QTest::keyClicks(box, "m");
    QCOMPARE(box->currentText(), QStringLiteral("memo"));
    QCOMPARE(box->currentIndex(), 1);
    QCOMPARE(reports.count(), 3);
    QCOMPARE(a->record()->categoryText(), QStringLiteral("memo"));

    // Picking from the list reports and stores the item's name; Return adds nothing to the list.
    box->setCurrentIndex(0);
    emit box->activated(0);
    QCOMPARE(a->record()->categoryText(), QStringLiteral("Default"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->count(), 4);
}

void EditorTest::backspaceDropsPickAndReports()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A");
    w.TreeView1->setCurrentItem(a);
    CompletingComboBox *box = w.TreeViewComboBox;
    box->setFocus();
    box->setEditText(QString());
    QTest::keyClick(box, Qt::Key_M);
    QCOMPARE(box->currentText(), QStringLiteral("memo"));
    QCOMPARE(box->currentIndex(), 1);
    QSignalSpy reports(box, &CompletingComboBox::userChanged);

    // Backspace deletes the selected part.
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->currentText(), QStringLiteral("m"));
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(reports.count(), 1);
    QCOMPARE(a->record()->categoryText(), QStringLiteral("m"));

    // With nothing selected, the character before the caret.
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->currentText(), QString());
    QCOMPARE(reports.count(), 2);
    QCOMPARE(a->record()->categoryText(), QString());
}

void EditorTest::chooserAndFontBoxComplete()
{
    TForm1 &w = *w_;
    // The Groups chooser completes the same way (no handler is bound to it).
    w.PageControl->setCurrentWidget(w.CategoryViewPage);
    w.CatViewComboBox->setFocus();
    w.CatViewComboBox->lineEdit()->selectAll();
    QTest::keyClicks(w.CatViewComboBox, "u");
    QCOMPARE(w.CatViewComboBox->currentText(), QStringLiteral("unknown"));
    QCOMPARE(w.CatViewComboBox->currentIndex(), 3);
    w.PageControl->setCurrentWidget(w.TreeViewPage);

    OutlineNode *a = addLeaf("A", "some text");
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->selectAll();

    const QStringList faces = w.FontName->items();
    QVERIFY(!faces.isEmpty());
    // The first face in list order beginning with the first face's letter, either case.
    const QChar letter = faces.first().at(0).toLower();
    QString expected;
    for (const QString &face : faces) {
        if (face.startsWith(letter, Qt::CaseInsensitive)) {
            expected = face;
            break;
        }
    }
    w.FontName->setFocus();
    QTest::keyClicks(w.FontName, QString(letter));
    QCOMPARE(w.FontName->currentIndex(), int(faces.indexOf(expected)));
    QCOMPARE(w.CurrText().name(), expected);
    QCOMPARE(formatAt(w.RichEdit1, 0).fontFamilies().toStringList().value(0), expected);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.RichEdit1));
}

void EditorTest::shortcutsActAtReleaseWithCtrlHeld()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "hello");
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->setFocus();
    w.RichEdit1->selectAll();

    QTest::keyClick(w.RichEdit1, Qt::Key_B, Qt::ControlModifier);
    QVERIFY(isBold(w.RichEdit1, 0) && isBold(w.RichEdit1, 4));
    QTest::keyClick(w.RichEdit1, Qt::Key_B, Qt::ControlModifier);
    QVERIFY(!isBold(w.RichEdit1, 0));

    // Ctrl released before B: nothing.
    QTest::keyPress(w.RichEdit1, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyPress(w.RichEdit1, Qt::Key_B, Qt::ControlModifier);
    QTest::keyRelease(w.RichEdit1, Qt::Key_Control, Qt::NoModifier);
    QTest::keyRelease(w.RichEdit1, Qt::Key_B, Qt::NoModifier);
    QVERIFY(!isBold(w.RichEdit1, 0));

    // Shift and Alt are not looked at.
    QTest::keyClick(w.RichEdit1, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(isBold(w.RichEdit1, 2));
    QTest::keyPress(w.RichEdit1, Qt::Key_I, Qt::ControlModifier);
    QTest::keyRelease(w.RichEdit1, Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(formatAt(w.RichEdit1, 2).fontItalic());
    QTest::keyClick(w.RichEdit1, Qt::Key_U, Qt::ControlModifier);
    QVERIFY(formatAt(w.RichEdit1, 2).fontUnderline());
    QTest::keyClick(w.RichEdit1, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(formatAt(w.RichEdit1, 2).fontStrikeOut());
    const int styles = w.CurrText().style();
    QCOMPARE(styles, formatting::AllStyles);

    // Other keys with Ctrl, and the letters without it, change nothing.
    for (Qt::Key key : {Qt::Key_Q, Qt::Key_F4, Qt::Key_2, Qt::Key_Control}) {
        QTest::keyRelease(w.RichEdit1, key, Qt::ControlModifier);
    }
    QTest::keyRelease(w.RichEdit1, Qt::Key_B, Qt::NoModifier);
    QTest::keyRelease(w.RichEdit1, Qt::Key_B, Qt::ShiftModifier | Qt::AltModifier);
    QCOMPARE(w.CurrText().style(), styles);
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("hello"));

    // The toolbar buttons show the last click, not the shortcuts.
    QVERIFY(!w.BoldButton->isChecked());
    QVERIFY(!w.ItalicButton->isChecked());
    QVERIFY(!w.UnderlineButton->isChecked());
}

void EditorTest::shortcutsActOnTheSendingEditorOnly()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "leaf text");
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->selectAll();
    w.RichEdit2->setPlainText(QStringLiteral("viewer text"));

    w.PageControl->setCurrentWidget(w.CategoryViewPage);
    w.RichEdit2->setFocus();
    w.RichEdit2->selectAll();
    QTest::keyClick(w.RichEdit2, Qt::Key_B, Qt::ControlModifier);
    QVERIFY(isBold(w.RichEdit2, 0));
    QVERIFY(isBold(w.RichEdit2, 10));
    QVERIFY(!isBold(w.RichEdit1, 0));
    QTest::keyClick(w.RichEdit2, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(formatAt(w.RichEdit2, 3).fontStrikeOut());
    QVERIFY(!formatAt(w.RichEdit1, 3).fontStrikeOut());
}

void EditorTest::styleButtonsSetTheirFlagByNewState()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "abcdef");
    w.TreeView1->setCurrentItem(a);
    selectRange(w.RichEdit1, 0, 2);
    w.CurrText().setStyle(formatting::Bold | formatting::Italic);

    // Part bold, part italic: Bold down makes all bold, italic uniform as reported (not all italic).
    selectRange(w.RichEdit1, 0, 6);
    w.BoldButton->click();
    QVERIFY(w.BoldButton->isChecked());
    for (int i = 0; i < 6; ++i) {
        QVERIFY(isBold(w.RichEdit1, i));
        QVERIFY(!formatAt(w.RichEdit1, i).fontItalic());
    }
    w.ItalicButton->click();
    QVERIFY(formatAt(w.RichEdit1, 5).fontItalic());
    QVERIFY(isBold(w.RichEdit1, 5));
    w.UnderlineButton->click();
    QCOMPARE(w.CurrText().style(), formatting::Bold | formatting::Italic | formatting::Underline);

    w.BoldButton->click();
    QVERIFY(!w.BoldButton->isChecked());
    QCOMPARE(w.CurrText().style(), formatting::Italic | formatting::Underline);

    // Caret moved into bold text: the button stays up; its click puts it down and sets bold.
    w.ItalicButton->click();
    w.UnderlineButton->click();
    selectRange(w.RichEdit1, 0, 3);
    w.CurrText().setStyle(formatting::Bold);
    selectRange(w.RichEdit1, 1, 1);
    QVERIFY(!w.BoldButton->isChecked());
    w.BoldButton->click();
    QVERIFY(w.BoldButton->isChecked());
    QVERIFY(isBold(w.RichEdit1, 1));
    QCOMPARE(w.CurrText().style(), int(formatting::Bold));
    w.BoldButton->click();
    QCOMPARE(w.CurrText().style(), 0);
}

void EditorTest::sizeBoxAppliesNumbersOrReportsBadText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size"); // 0: the error is shown and the size stays 12
    QTest::newRow("14") << "14" << 14;
    QTest::newRow("leading blank") << " 14" << 14;
    QTest::newRow("plus") << "+14" << 14;
    QTest::newRow("dollar") << "$E" << 14;
    QTest::newRow("0x") << "0xE" << 14;
    QTest::newRow("x") << "xE" << 14;
    QTest::newRow("250") << "250" << 250;
    QTest::newRow("minus three keeps size") << "-3" << 12;
    QTest::newRow("zero keeps size") << "0" << 12;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("abc") << "abc" << 0;
    QTest::newRow("14ab") << "14ab" << 0;
    QTest::newRow("overflow") << "2147483648" << 0;
}

void EditorTest::sizeBoxAppliesNumbersOrReportsBadText()
{
    QFETCH(QString, text);
    QFETCH(int, size);
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "sized");
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->selectAll();
    QCOMPARE(w.CurrText().size(), 12);

    w.FontSize->setText(text);
    if (size == 0) {
        QCOMPARE(errors_, QStringList{QStringLiteral("'%1' is not a valid integer value.").arg(text)});
        QCOMPARE(w.CurrText().size(), 12);
        QCOMPARE(w.FontSize->text(), text);
    } else {
        QVERIFY(errors_.isEmpty());
        QCOMPARE(w.CurrText().size(), size);
        QCOMPARE(formatAt(w.RichEdit1, 4).fontPointSize() > 0 ? int(formatAt(w.RichEdit1, 4).fontPointSize()) : 12,
                 size);
    }
}

void EditorTest::sizeBoxEditedKeyByKeyAppliesEveryStep()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "sized");
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->selectAll();
    w.FontSize->setFocus();
    w.FontSize->end(false);

    QTest::keyClick(w.FontSize, Qt::Key_Backspace);
    QCOMPARE(w.CurrText().size(), 1);
    QTest::keyClick(w.FontSize, Qt::Key_Backspace);
    QCOMPARE(errors_, QStringList{QStringLiteral("'' is not a valid integer value.")});
    QCOMPARE(w.CurrText().size(), 1);
    QTest::keyClick(w.FontSize, Qt::Key_1);
    QCOMPARE(w.CurrText().size(), 1);
    QTest::keyClick(w.FontSize, Qt::Key_4);
    QCOMPARE(w.CurrText().size(), 14);
    QCOMPARE(errors_.size(), 1);
    // The focus stays in the box.
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.FontSize));
}

void EditorTest::upDownStepsWithinZeroToHundred()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "sized");
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->selectAll();
    UpDown *upDown = w.UpDown1;
    QCOMPARE(upDown->minimum(), 0);
    QCOMPARE(upDown->maximum(), 100);
    QCOMPARE(upDown->position(), 12);

    upDown->upButton()->click();
    QCOMPARE(w.FontSize->text(), QStringLiteral("13"));
    QCOMPARE(w.CurrText().size(), 13);

    // The arrow keys inside the box step too, from the number typed there.
    w.FontSize->setFocus();
    w.FontSize->setText(QStringLiteral("2"));
    QTest::keyClick(w.FontSize, Qt::Key_Down);
    QCOMPARE(w.FontSize->text(), QStringLiteral("1"));
    QTest::keyClick(w.FontSize, Qt::Key_Down);
    QCOMPARE(w.FontSize->text(), QStringLiteral("0"));
    QCOMPARE(upDown->position(), 0);
    // A size of 0 is requested but cannot be shown: the size stays.
    QCOMPARE(w.CurrText().size(), 1);
    QTest::keyClick(w.FontSize, Qt::Key_Down);
    upDown->downButton()->click();
    QCOMPARE(w.FontSize->text(), QStringLiteral("0"));
    QCOMPARE(upDown->position(), 0);

    w.FontSize->setText(QStringLiteral("99"));
    QTest::keyClick(w.FontSize, Qt::Key_Up);
    QCOMPARE(w.FontSize->text(), QStringLiteral("100"));
    upDown->upButton()->click();
    QTest::keyClick(w.FontSize, Qt::Key_Up);
    QCOMPARE(w.FontSize->text(), QStringLiteral("100"));
    QCOMPARE(w.CurrText().size(), 100);
    QVERIFY(errors_.isEmpty());

    // Typed beyond the range: the box asks for it; the next step starts from the range's end.
    w.FontSize->setText(QStringLiteral("250"));
    QCOMPARE(w.CurrText().size(), 250);
    upDown->downButton()->click();
    QCOMPARE(w.FontSize->text(), QStringLiteral("99"));
}

void EditorTest::alignmentButtonsApplyTheirTag()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "one\ntwo\nthree");
    w.TreeView1->setCurrentItem(a);
    QTextDocument *document = w.RichEdit1->document();
    selectRange(w.RichEdit1, 1, 5); // "one" and "two"

    w.CenterAlign->click();
    QCOMPARE(document->findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(document->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignHCenter);
    QVERIFY(document->findBlockByNumber(2).blockFormat().alignment() != Qt::AlignHCenter);
    QVERIFY(w.CenterAlign->isChecked() && !w.LeftAlign->isChecked());

    w.RightAlign->click();
    QCOMPARE(document->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignRight);

    // The button already down stays down and applies again.
    selectRange(w.RichEdit1, 9, 9);
    w.RightAlign->click();
    QVERIFY(w.RightAlign->isChecked());
    QCOMPARE(document->findBlockByNumber(2).blockFormat().alignment(), Qt::AlignRight);

    w.LeftAlign->click();
    QCOMPARE(document->findBlockByNumber(2).blockFormat().alignment(), Qt::AlignLeft);
    QCOMPARE(document->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignRight);
}

void EditorTest::bulletsButtonAppliesIndentRule()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "five\ntwenty");
    w.TreeView1->setCurrentItem(a);
    QTextDocument *document = w.RichEdit1->document();
    for (int i = 0; i < 2; ++i) {
        QTextCursor cursor(document->findBlockByNumber(i));
        QTextBlockFormat format = cursor.blockFormat();
        format.setProperty(richtext::HangingIndentProperty, i == 0 ? 5.0 : 20.0);
        cursor.setBlockFormat(format);
    }
    w.RichEdit1->selectAll();
    w.BulletsButton->click();
    QVERIFY(w.BulletsButton->isChecked());
    QVERIFY(document->firstBlock().textList() != nullptr);
    QCOMPARE(document->lastBlock().textList(), document->firstBlock().textList());
    QCOMPARE(formatting::hangingIndent(document->firstBlock().blockFormat()), 10.0);
    QCOMPARE(formatting::hangingIndent(document->lastBlock().blockFormat()), 20.0);

    w.BulletsButton->click();
    QVERIFY(document->firstBlock().textList() == nullptr);
    QVERIFY(document->lastBlock().textList() == nullptr);
    QCOMPARE(formatting::hangingIndent(document->firstBlock().blockFormat()), 0.0);
    QCOMPARE(formatting::hangingIndent(document->lastBlock().blockFormat()), 0.0);
}

void EditorTest::formattingFollowsButtonsToggledWithoutAClick()
{
    // A screen reader's "Toggle" action calls toggle(): the button changes state, nothing is clicked.
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "one\ntwo");
    w.TreeView1->setCurrentItem(a);
    QTextDocument *document = w.RichEdit1->document();
    selectRange(w.RichEdit1, 0, 3);

    w.BoldButton->toggle();
    w.ItalicButton->toggle();
    w.UnderlineButton->toggle();
    QTextCharFormat format = w.RichEdit1->textCursor().charFormat();
    QVERIFY(format.fontWeight() >= QFont::Bold && format.fontItalic() && format.fontUnderline());
    w.BoldButton->toggle();
    QVERIFY(w.RichEdit1->textCursor().charFormat().fontWeight() < QFont::Bold);

    w.CenterAlign->toggle();
    QCOMPARE(document->firstBlock().blockFormat().alignment(), Qt::AlignHCenter);
    w.RightAlign->toggle();
    QCOMPARE(document->firstBlock().blockFormat().alignment(), Qt::AlignRight);

    w.BulletsButton->toggle();
    QVERIFY(document->firstBlock().textList() != nullptr);
    w.BulletsButton->toggle();
    QVERIFY(document->firstBlock().textList() == nullptr);
    QVERIFY(errors_.isEmpty());
}

void EditorTest::formattedTextSurvivesLeafSwitches()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A");
    OutlineNode *b = addLeaf("B", "other");
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->setPlainText(QStringLiteral("Title\nbold italic under strike\nfirst point\nsecond point"));
    QTextDocument *document = w.RichEdit1->document();
    const QString serif = w.FontName->items().value(w.FontName->items().size() / 2);

    selectRange(w.RichEdit1, 0, 5);
    w.CenterAlign->click();
    w.FontSize->setText(QStringLiteral("20"));
    w.CurrText().setName(serif);
    selectRange(w.RichEdit1, 6, 10);
    w.BoldButton->click();
    w.BoldButton->click(); // up again: later clicks must not carry bold along
    w.CurrText().setStyle(formatting::Bold);
    selectRange(w.RichEdit1, 11, 17);
    w.CurrText().setStyle(formatting::Italic);
    selectRange(w.RichEdit1, 18, 23);
    w.CurrText().setStyle(formatting::Underline);
    selectRange(w.RichEdit1, 24, 30);
    w.CurrText().setStyle(formatting::StrikeOut);
    w.FontSize->setText(QStringLiteral("9"));
    const int listStart = document->findBlockByNumber(2).position();
    selectRange(w.RichEdit1, listStart, listStart + 15);
    w.BulletsButton->click();
    QVERIFY(errors_.isEmpty());
    QVERIFY(document->findBlockByNumber(3).textList() != nullptr);

    w.TreeView1->setCurrentItem(b);
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("other"));
    w.TreeView1->setCurrentItem(a);

    QCOMPARE(document->toPlainText(), QStringLiteral("Title\nbold italic under strike\nfirst point\nsecond point"));
    QCOMPARE(document->findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(formatAt(w.RichEdit1, 0).fontPointSize(), 20.0);
    QCOMPARE(formatAt(w.RichEdit1, 0).font().family(), serif);
    QVERIFY(isBold(w.RichEdit1, 6) && isBold(w.RichEdit1, 9));
    QVERIFY(!isBold(w.RichEdit1, 11));
    QVERIFY(formatAt(w.RichEdit1, 11).fontItalic() && formatAt(w.RichEdit1, 16).fontItalic());
    QVERIFY(!formatAt(w.RichEdit1, 18).fontItalic());
    QVERIFY(formatAt(w.RichEdit1, 18).fontUnderline() && !formatAt(w.RichEdit1, 24).fontUnderline());
    QVERIFY(formatAt(w.RichEdit1, 24).fontStrikeOut() && formatAt(w.RichEdit1, 29).fontStrikeOut());
    QCOMPARE(formatAt(w.RichEdit1, 29).fontPointSize(), 9.0);
    QVERIFY(formatAt(w.RichEdit1, 23).fontPointSize() != 9.0);
    QTextList *list = document->findBlockByNumber(2).textList();
    QVERIFY(list != nullptr);
    QCOMPARE(list->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(document->findBlockByNumber(3).textList(), list);
    QVERIFY(document->findBlockByNumber(1).textList() == nullptr);
    QCOMPARE(formatting::hangingIndent(document->findBlockByNumber(2).blockFormat()), 10.0);
}

void EditorTest::tabTypesOneSpaceInLeafEditorOnly()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "ab");
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->setFocus();
    selectRange(w.RichEdit1, 1, 1);
    QTest::keyClick(w.RichEdit1, Qt::Key_Tab);
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("a b"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.RichEdit1));
    QTest::keyClick(w.RichEdit1, Qt::Key_Tab);
    QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("a  b"));

    // The viewer keeps Tab for moving the focus.
    w.PageControl->setCurrentWidget(w.CategoryViewPage);
    w.RichEdit2->setPlainText(QStringLiteral("xy"));
    w.RichEdit2->setFocus();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.RichEdit2));
    QTest::keyClick(w.RichEdit2, Qt::Key_Tab);
    QCOMPARE(w.RichEdit2->toPlainText(), QStringLiteral("xy"));
    QVERIFY(QApplication::focusWidget() != w.RichEdit2);
}

void EditorTest::fontListIsSortedWithNothingPicked()
{
    TForm1 &w = *w_;
    const QStringList faces = w.FontName->items();
    QVERIFY(!faces.isEmpty());
    for (int i = 1; i < faces.size(); ++i) {
        QVERIFY2(faces.at(i - 1).compare(faces.at(i), Qt::CaseInsensitive) <= 0, qPrintable(faces.at(i)));
    }
    for (const QString &family : QFontDatabase::families()) {
        QVERIFY(faces.contains(family.left(31)));
    }
    QCOMPARE(w.FontName->currentIndex(), -1);
    QCOMPARE(w.FontName->currentText(), QString());

    // New text in the leaf editor is "Arial", 12 points.
    QCOMPARE(w.RichEdit1->document()->defaultFont().family(), QStringLiteral("Arial"));
    QCOMPARE(w.RichEdit1->document()->defaultFont().pointSize(), 12);
    QCOMPARE(w.CurrText().name(), QStringLiteral("Arial"));
    QCOMPARE(w.CurrText().size(), 12);
}

void EditorTest::windowClosesSafelyWhileEditorHasFocus()
{
    TForm1 &w = *w_;
    OutlineNode *a = addLeaf("A", "alpha");
    const NoteRef record = a->record();
    w.TreeView1->setCurrentItem(a);
    w.RichEdit1->setFocus();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.RichEdit1));
    w.RichEdit1->setPlainText(QStringLiteral("unsaved"));
    w_.reset();
    // The focus-out sent while the window is destroyed reaches no handler.
    QCOMPARE(plainTextOf(record), QStringLiteral("alpha"));
}

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
