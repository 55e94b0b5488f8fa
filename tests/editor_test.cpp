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
#include "support.h"

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
    std::unique_ptr<FormParts> ui_;
    QStringList errors_;
};

void EditorTest::init()
{
    errors_.clear();
    setErrorReporter([this](const QString &, const QString &text) { errors_ << text; });
    w_ = std::make_unique<TForm1>();
    ui_ = std::make_unique<FormParts>(*w_);
    // What the window's creation does for the editor and the boxes.
    w_->GetFontNames();
    QStringList names;
    for (const char *name : CategoryNames) {
        names << QString::fromLatin1(name);
    }
    ui_->TreeViewComboBox->addItems(names);
    ui_->CatViewComboBox->addItems(names);
    ui_->TreeViewComboBox->setCurrentIndex(0);
    ui_->CatViewComboBox->setCurrentIndex(0);
    w_->show();
    w_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w_.get()));
}

void EditorTest::cleanup()
{
    ui_.reset();
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
        ui_->TreeView1->outline().root()->addChild(item);
    }
    return item;
}

void EditorTest::textFollowsSelectionAcrossLeaves()
{
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "first text");
    OutlineNode *b = addLeaf("B");
    OutlineNode *c = addLeaf("C", "third", "Memo", b);

    ui.TreeView1->setCurrentItem(a);
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("first text"));

    ui.RichEdit1->setFocus();
    ui.RichEdit1->moveCursor(QTextCursor::End);
    QTest::keyClicks(ui.RichEdit1, " plus");
    ui.TreeView1->setCurrentItem(b);
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("first text plus"));
    QCOMPARE(ui.RichEdit1->toPlainText(), QString());

    QTest::keyClicks(ui.RichEdit1, "second");
    ui.TreeView1->setCurrentItem(c);
    QCOMPARE(plainTextOf(b->record()), QStringLiteral("second"));
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("third"));
    QCOMPARE(ui.TreeViewComboBox->currentText(), QStringLiteral("Memo"));

    ui.TreeView1->setCurrentItem(a);
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("first text plus"));
    ui.TreeView1->setCurrentItem(b);
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("second"));
    // Undo never reaches back past the load into another leaf's text.
    QVERIFY(!ui.RichEdit1->document()->isUndoAvailable());
    ui.RichEdit1->undo();
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("second"));
    // Records not visited since keep their texts.
    QCOMPARE(plainTextOf(c->record()), QStringLiteral("third"));
    QVERIFY(errors_.isEmpty());
}

void EditorTest::categoryFollowsSelectionAndIsCutTo20()
{
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", QString(), "Memo");
    OutlineNode *b = addLeaf("B", QString(), "ToDo");
    ui.TreeView1->setCurrentItem(a);
    QCOMPARE(ui.TreeViewComboBox->currentText(), QStringLiteral("Memo"));
    // The list opens on the category shown, with the box's text unchanged.
    ui.TreeViewComboBox->showPopup();
    QCOMPARE(ui.TreeViewComboBox->view()->currentIndex().data().toString(), QStringLiteral("Memo"));
    ui.TreeViewComboBox->hidePopup();
    QCOMPARE(ui.TreeViewComboBox->currentText(), QStringLiteral("Memo"));

    // A text that no item begins with is typed as it is.
    ui.TreeViewComboBox->setFocus();
    ui.TreeViewComboBox->lineEdit()->selectAll();
    QTest::keyClicks(ui.TreeViewComboBox, "Abcdefghijklmnopqrstuvwxy");
    QCOMPARE(ui.TreeViewComboBox->currentText(), QStringLiteral("Abcdefghijklmnopqrstuvwxy"));

    ui.TreeView1->setCurrentItem(b);
    QCOMPARE(a->record()->categoryText(), QStringLiteral("Abcdefghijklmnopqrst"));
    QCOMPARE(ui.TreeViewComboBox->currentText(), QStringLiteral("ToDo"));
    QCOMPARE(b->record()->categoryText(), QStringLiteral("ToDo"));

    ui.TreeView1->setCurrentItem(a);
    QCOMPARE(ui.TreeViewComboBox->currentText(), QStringLiteral("Abcdefghijklmnopqrst"));
    // The box's text, not the item picked before, is what is stored on leaving.
    ui.TreeViewComboBox->setEditText(QString());
    ui.TreeView1->setCurrentItem(b);
    QCOMPARE(a->record()->categoryText(), QString());
}

void EditorTest::selectionMovedWithHandlersOffStoresNothing()
{
    TForm1 &w = *w_;
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "alpha");
    OutlineNode *b = addLeaf("B", "beta");
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->setPlainText(QStringLiteral("edited"));

    {
        const TForm1::SelectionHandlersOff handlersOff(w);
        ui.TreeView1->setCurrentItem(b);
    }
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha"));
    QCOMPARE(plainTextOf(b->record()), QStringLiteral("beta"));
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("edited"));

    // The editor still holds A's copy: it goes back into A, never into B.
    ui.TreeView1->setCurrentItem(a);
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("edited"));
    QCOMPARE(plainTextOf(b->record()), QStringLiteral("beta"));
}

void EditorTest::deletedCurrentItemStoresIntoItsRecordSafely()
{
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "alpha");
    OutlineNode *b = addLeaf("B", "beta");
    ui.TreeView1->setCurrentItem(b);
    ui.RichEdit1->setPlainText(QStringLiteral("beta edited"));
    const NoteRef recordB = b->record();

    // The tree reports the change from inside the item's destructor, with the item half destroyed.
    delete b;
    QCOMPARE(ui.TreeView1->currentItem(), static_cast<OutlineNode *>(a));
    QCOMPARE(plainTextOf(recordB), QStringLiteral("beta edited"));
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("alpha"));
    QVERIFY(errors_.isEmpty());
}

void EditorTest::recordedEditorStoresWhenKeyboardReachesAnotherControl()
{
    TForm1 &w = *w_;
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "alpha");
    ui.TreeView1->setCurrentItem(a);
    ui.FontSize->setFocus();
    QCOMPARE(w.activeControl(), static_cast<QWidget *>(ui.FontSize));

    // Not recorded: a change made to the editor without its focus is not stored by moving the keyboard.
    ui.RichEdit1->setPlainText(QStringLiteral("not yet"));
    ui.TreeViewComboBox->setFocus();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha"));

    // Recorded as focused while the keyboard stays elsewhere: the next focus move stores the editor.
    w.setActiveControl(ui.RichEdit1);
    ui.RichEdit1->setPlainText(QStringLiteral("stored"));
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha"));
    ui.TreeView1->setFocus();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("stored"));
    QCOMPARE(w.activeControl(), static_cast<QWidget *>(ui.TreeView1));

    // Focus taken from the editor itself stores it through its own exit.
    ui.RichEdit1->setFocus();
    QCOMPARE(w.activeControl(), static_cast<QWidget *>(ui.RichEdit1));
    QTest::keyClicks(ui.RichEdit1, "!");
    ui.FontSize->setFocus();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("!stored"));
}

void EditorTest::leavingEditorStoresAndReloadsGroupsViewer()
{
    TForm1 &w = *w_;
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "alpha");
    OutlineNode *b = addLeaf("B", "beta");
    ui.TreeView1->setCurrentItem(a);

    // No leaf selected: the exit does nothing at all.
    ui.TreeView1->setCurrentItem(nullptr);
    ui.RichEdit1->setPlainText(QStringLiteral("lost"));
    w.RichEdit1Exit();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha"));

    ui.TreeView1->setCurrentItem(a);
    w.ListAllLeaves();
    ui.ListBox->setCurrentRow(0);
    QCOMPARE(w.pickedRecord(), a->record());
    ui.RichEdit2->setPlainText(QStringLiteral("stale"));

    ui.RichEdit1->setFocus();
    ui.RichEdit1->selectAll();
    QTest::keyClicks(ui.RichEdit1, "alpha two");
    ui.FontSize->setFocus();
    QCOMPARE(plainTextOf(a->record()), QStringLiteral("alpha two"));
    QCOMPARE(ui.RichEdit2->toPlainText(), QStringLiteral("alpha two"));

    // A different picked entry is reloaded from its own record.
    ui.ListBox->setCurrentRow(1);
    ui.RichEdit2->setPlainText(QStringLiteral("stale"));
    ui.RichEdit1->setFocus();
    ui.FontSize->setFocus();
    QCOMPARE(ui.RichEdit2->toPlainText(), plainTextOf(b->record()));
}

void EditorTest::categoryBoxCompletesAndReportsOnlyNewPicks()
{
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A");
    ui.TreeView1->setCurrentItem(a);
    CompletingComboBox *box = ui.TreeViewComboBox;
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
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A");
    ui.TreeView1->setCurrentItem(a);
    CompletingComboBox *box = ui.TreeViewComboBox;
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
    const FormParts &ui = *ui_;
    // The Groups chooser completes the same way (no handler is bound to it).
    ui.PageControl->setCurrentWidget(ui.CategoryViewPage);
    ui.CatViewComboBox->setFocus();
    ui.CatViewComboBox->lineEdit()->selectAll();
    QTest::keyClicks(ui.CatViewComboBox, "u");
    QCOMPARE(ui.CatViewComboBox->currentText(), QStringLiteral("unknown"));
    QCOMPARE(ui.CatViewComboBox->currentIndex(), 3);
    ui.PageControl->setCurrentWidget(ui.TreeViewPage);

    OutlineNode *a = addLeaf("A", "some text");
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->selectAll();

    const QStringList faces = ui.FontName->items();
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
    ui.FontName->setFocus();
    QTest::keyClicks(ui.FontName, QString(letter));
    QCOMPARE(ui.FontName->currentIndex(), int(faces.indexOf(expected)));
    QCOMPARE(w.CurrText().name(), expected);
    QCOMPARE(formatAt(ui.RichEdit1, 0).fontFamilies().toStringList().value(0), expected);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui.RichEdit1));
}

void EditorTest::shortcutsActAtReleaseWithCtrlHeld()
{
    TForm1 &w = *w_;
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "hello");
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->setFocus();
    ui.RichEdit1->selectAll();

    QTest::keyClick(ui.RichEdit1, Qt::Key_B, Qt::ControlModifier);
    QVERIFY(isBold(ui.RichEdit1, 0) && isBold(ui.RichEdit1, 4));
    QTest::keyClick(ui.RichEdit1, Qt::Key_B, Qt::ControlModifier);
    QVERIFY(!isBold(ui.RichEdit1, 0));

    // Ctrl released before B: nothing.
    QTest::keyPress(ui.RichEdit1, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyPress(ui.RichEdit1, Qt::Key_B, Qt::ControlModifier);
    QTest::keyRelease(ui.RichEdit1, Qt::Key_Control, Qt::NoModifier);
    QTest::keyRelease(ui.RichEdit1, Qt::Key_B, Qt::NoModifier);
    QVERIFY(!isBold(ui.RichEdit1, 0));

    // Shift and Alt are not looked at.
    QTest::keyClick(ui.RichEdit1, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(isBold(ui.RichEdit1, 2));
    QTest::keyPress(ui.RichEdit1, Qt::Key_I, Qt::ControlModifier);
    QTest::keyRelease(ui.RichEdit1, Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(formatAt(ui.RichEdit1, 2).fontItalic());
    QTest::keyClick(ui.RichEdit1, Qt::Key_U, Qt::ControlModifier);
    QVERIFY(formatAt(ui.RichEdit1, 2).fontUnderline());
    QTest::keyClick(ui.RichEdit1, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(formatAt(ui.RichEdit1, 2).fontStrikeOut());
    const int styles = w.CurrText().style();
    QCOMPARE(styles, formatting::AllStyles);

    // Other keys with Ctrl, and the letters without it, change nothing.
    for (Qt::Key key : {Qt::Key_Q, Qt::Key_F4, Qt::Key_2, Qt::Key_Control}) {
        QTest::keyRelease(ui.RichEdit1, key, Qt::ControlModifier);
    }
    QTest::keyRelease(ui.RichEdit1, Qt::Key_B, Qt::NoModifier);
    QTest::keyRelease(ui.RichEdit1, Qt::Key_B, Qt::ShiftModifier | Qt::AltModifier);
    QCOMPARE(w.CurrText().style(), styles);
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("hello"));

    // The toolbar buttons show the last click, not the shortcuts.
    QVERIFY(!ui.BoldButton->isChecked());
    QVERIFY(!ui.ItalicButton->isChecked());
    QVERIFY(!ui.UnderlineButton->isChecked());
}

void EditorTest::shortcutsActOnTheSendingEditorOnly()
{
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "leaf text");
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->selectAll();
    ui.RichEdit2->setPlainText(QStringLiteral("viewer text"));

    ui.PageControl->setCurrentWidget(ui.CategoryViewPage);
    ui.RichEdit2->setFocus();
    ui.RichEdit2->selectAll();
    QTest::keyClick(ui.RichEdit2, Qt::Key_B, Qt::ControlModifier);
    QVERIFY(isBold(ui.RichEdit2, 0));
    QVERIFY(isBold(ui.RichEdit2, 10));
    QVERIFY(!isBold(ui.RichEdit1, 0));
    QTest::keyClick(ui.RichEdit2, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(formatAt(ui.RichEdit2, 3).fontStrikeOut());
    QVERIFY(!formatAt(ui.RichEdit1, 3).fontStrikeOut());
}

void EditorTest::styleButtonsSetTheirFlagByNewState()
{
    TForm1 &w = *w_;
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "abcdef");
    ui.TreeView1->setCurrentItem(a);
    selectRange(ui.RichEdit1, 0, 2);
    w.CurrText().setStyle(formatting::Bold | formatting::Italic);

    // Part bold, part italic: Bold down makes all bold, italic uniform as reported (not all italic).
    selectRange(ui.RichEdit1, 0, 6);
    ui.BoldButton->click();
    QVERIFY(ui.BoldButton->isChecked());
    for (int i = 0; i < 6; ++i) {
        QVERIFY(isBold(ui.RichEdit1, i));
        QVERIFY(!formatAt(ui.RichEdit1, i).fontItalic());
    }
    ui.ItalicButton->click();
    QVERIFY(formatAt(ui.RichEdit1, 5).fontItalic());
    QVERIFY(isBold(ui.RichEdit1, 5));
    ui.UnderlineButton->click();
    QCOMPARE(w.CurrText().style(), formatting::Bold | formatting::Italic | formatting::Underline);

    ui.BoldButton->click();
    QVERIFY(!ui.BoldButton->isChecked());
    QCOMPARE(w.CurrText().style(), formatting::Italic | formatting::Underline);

    // Caret moved into bold text: the button stays up; its click puts it down and sets bold.
    ui.ItalicButton->click();
    ui.UnderlineButton->click();
    selectRange(ui.RichEdit1, 0, 3);
    w.CurrText().setStyle(formatting::Bold);
    selectRange(ui.RichEdit1, 1, 1);
    QVERIFY(!ui.BoldButton->isChecked());
    ui.BoldButton->click();
    QVERIFY(ui.BoldButton->isChecked());
    QVERIFY(isBold(ui.RichEdit1, 1));
    QCOMPARE(w.CurrText().style(), int(formatting::Bold));
    ui.BoldButton->click();
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
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "sized");
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->selectAll();
    QCOMPARE(w.CurrText().size(), 12);

    ui.FontSize->setText(text);
    if (size == 0) {
        QCOMPARE(errors_, QStringList{QStringLiteral("'%1' is not a valid integer value.").arg(text)});
        QCOMPARE(w.CurrText().size(), 12);
        QCOMPARE(ui.FontSize->text(), text);
    } else {
        QVERIFY(errors_.isEmpty());
        QCOMPARE(w.CurrText().size(), size);
        QCOMPARE(formatAt(ui.RichEdit1, 4).fontPointSize() > 0 ? int(formatAt(ui.RichEdit1, 4).fontPointSize()) : 12,
                 size);
    }
}

void EditorTest::sizeBoxEditedKeyByKeyAppliesEveryStep()
{
    TForm1 &w = *w_;
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "sized");
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->selectAll();
    ui.FontSize->setFocus();
    ui.FontSize->end(false);

    QTest::keyClick(ui.FontSize, Qt::Key_Backspace);
    QCOMPARE(w.CurrText().size(), 1);
    QTest::keyClick(ui.FontSize, Qt::Key_Backspace);
    QCOMPARE(errors_, QStringList{QStringLiteral("'' is not a valid integer value.")});
    QCOMPARE(w.CurrText().size(), 1);
    QTest::keyClick(ui.FontSize, Qt::Key_1);
    QCOMPARE(w.CurrText().size(), 1);
    QTest::keyClick(ui.FontSize, Qt::Key_4);
    QCOMPARE(w.CurrText().size(), 14);
    QCOMPARE(errors_.size(), 1);
    // The focus stays in the box.
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui.FontSize));
}

void EditorTest::upDownStepsWithinZeroToHundred()
{
    TForm1 &w = *w_;
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "sized");
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->selectAll();
    UpDown *upDown = ui.UpDown1;
    QCOMPARE(upDown->minimum(), 0);
    QCOMPARE(upDown->maximum(), 100);
    QCOMPARE(upDown->position(), 12);

    upDown->upButton()->click();
    QCOMPARE(ui.FontSize->text(), QStringLiteral("13"));
    QCOMPARE(w.CurrText().size(), 13);

    // The arrow keys inside the box step too, from the number typed there.
    ui.FontSize->setFocus();
    ui.FontSize->setText(QStringLiteral("2"));
    QTest::keyClick(ui.FontSize, Qt::Key_Down);
    QCOMPARE(ui.FontSize->text(), QStringLiteral("1"));
    QTest::keyClick(ui.FontSize, Qt::Key_Down);
    QCOMPARE(ui.FontSize->text(), QStringLiteral("0"));
    QCOMPARE(upDown->position(), 0);
    // A size of 0 is requested but cannot be shown: the size stays.
    QCOMPARE(w.CurrText().size(), 1);
    QTest::keyClick(ui.FontSize, Qt::Key_Down);
    upDown->downButton()->click();
    QCOMPARE(ui.FontSize->text(), QStringLiteral("0"));
    QCOMPARE(upDown->position(), 0);

    ui.FontSize->setText(QStringLiteral("99"));
    QTest::keyClick(ui.FontSize, Qt::Key_Up);
    QCOMPARE(ui.FontSize->text(), QStringLiteral("100"));
    upDown->upButton()->click();
    QTest::keyClick(ui.FontSize, Qt::Key_Up);
    QCOMPARE(ui.FontSize->text(), QStringLiteral("100"));
    QCOMPARE(w.CurrText().size(), 100);
    QVERIFY(errors_.isEmpty());

    // Typed beyond the range: the box asks for it; the next step starts from the range's end.
    ui.FontSize->setText(QStringLiteral("250"));
    QCOMPARE(w.CurrText().size(), 250);
    upDown->downButton()->click();
    QCOMPARE(ui.FontSize->text(), QStringLiteral("99"));
}

void EditorTest::alignmentButtonsApplyTheirTag()
{
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "one\ntwo\nthree");
    ui.TreeView1->setCurrentItem(a);
    QTextDocument *document = ui.RichEdit1->document();
    selectRange(ui.RichEdit1, 1, 5); // "one" and "two"

    ui.CenterAlign->click();
    QCOMPARE(document->findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(document->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignHCenter);
    QVERIFY(document->findBlockByNumber(2).blockFormat().alignment() != Qt::AlignHCenter);
    QVERIFY(ui.CenterAlign->isChecked() && !ui.LeftAlign->isChecked());

    ui.RightAlign->click();
    QCOMPARE(document->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignRight);

    // The button already down stays down and applies again.
    selectRange(ui.RichEdit1, 9, 9);
    ui.RightAlign->click();
    QVERIFY(ui.RightAlign->isChecked());
    QCOMPARE(document->findBlockByNumber(2).blockFormat().alignment(), Qt::AlignRight);

    ui.LeftAlign->click();
    QCOMPARE(document->findBlockByNumber(2).blockFormat().alignment(), Qt::AlignLeft);
    QCOMPARE(document->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignRight);
}

void EditorTest::bulletsButtonAppliesIndentRule()
{
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "five\ntwenty");
    ui.TreeView1->setCurrentItem(a);
    QTextDocument *document = ui.RichEdit1->document();
    for (int i = 0; i < 2; ++i) {
        QTextCursor cursor(document->findBlockByNumber(i));
        QTextBlockFormat format = cursor.blockFormat();
        format.setProperty(richtext::HangingIndentProperty, i == 0 ? 5.0 : 20.0);
        cursor.setBlockFormat(format);
    }
    ui.RichEdit1->selectAll();
    ui.BulletsButton->click();
    QVERIFY(ui.BulletsButton->isChecked());
    QVERIFY(document->firstBlock().textList() != nullptr);
    QCOMPARE(document->lastBlock().textList(), document->firstBlock().textList());
    QCOMPARE(formatting::hangingIndent(document->firstBlock().blockFormat()), 10.0);
    QCOMPARE(formatting::hangingIndent(document->lastBlock().blockFormat()), 20.0);

    ui.BulletsButton->click();
    QVERIFY(document->firstBlock().textList() == nullptr);
    QVERIFY(document->lastBlock().textList() == nullptr);
    QCOMPARE(formatting::hangingIndent(document->firstBlock().blockFormat()), 0.0);
    QCOMPARE(formatting::hangingIndent(document->lastBlock().blockFormat()), 0.0);
}

void EditorTest::formattingFollowsButtonsToggledWithoutAClick()
{
    // A screen reader's "Toggle" action calls toggle(): the button changes state, nothing is clicked.
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "one\ntwo");
    ui.TreeView1->setCurrentItem(a);
    QTextDocument *document = ui.RichEdit1->document();
    selectRange(ui.RichEdit1, 0, 3);

    ui.BoldButton->toggle();
    ui.ItalicButton->toggle();
    ui.UnderlineButton->toggle();
    QTextCharFormat format = ui.RichEdit1->textCursor().charFormat();
    QVERIFY(format.fontWeight() >= QFont::Bold && format.fontItalic() && format.fontUnderline());
    ui.BoldButton->toggle();
    QVERIFY(ui.RichEdit1->textCursor().charFormat().fontWeight() < QFont::Bold);

    ui.CenterAlign->toggle();
    QCOMPARE(document->firstBlock().blockFormat().alignment(), Qt::AlignHCenter);
    ui.RightAlign->toggle();
    QCOMPARE(document->firstBlock().blockFormat().alignment(), Qt::AlignRight);

    ui.BulletsButton->toggle();
    QVERIFY(document->firstBlock().textList() != nullptr);
    ui.BulletsButton->toggle();
    QVERIFY(document->firstBlock().textList() == nullptr);
    QVERIFY(errors_.isEmpty());
}

void EditorTest::formattedTextSurvivesLeafSwitches()
{
    TForm1 &w = *w_;
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A");
    OutlineNode *b = addLeaf("B", "other");
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->setPlainText(QStringLiteral("Title\nbold italic under strike\nfirst point\nsecond point"));
    QTextDocument *document = ui.RichEdit1->document();
    const QString serif = ui.FontName->items().value(ui.FontName->items().size() / 2);

    selectRange(ui.RichEdit1, 0, 5);
    ui.CenterAlign->click();
    ui.FontSize->setText(QStringLiteral("20"));
    w.CurrText().setName(serif);
    selectRange(ui.RichEdit1, 6, 10);
    ui.BoldButton->click();
    ui.BoldButton->click(); // up again: later clicks must not carry bold along
    w.CurrText().setStyle(formatting::Bold);
    selectRange(ui.RichEdit1, 11, 17);
    w.CurrText().setStyle(formatting::Italic);
    selectRange(ui.RichEdit1, 18, 23);
    w.CurrText().setStyle(formatting::Underline);
    selectRange(ui.RichEdit1, 24, 30);
    w.CurrText().setStyle(formatting::StrikeOut);
    ui.FontSize->setText(QStringLiteral("9"));
    const int listStart = document->findBlockByNumber(2).position();
    selectRange(ui.RichEdit1, listStart, listStart + 15);
    ui.BulletsButton->click();
    QVERIFY(errors_.isEmpty());
    QVERIFY(document->findBlockByNumber(3).textList() != nullptr);

    ui.TreeView1->setCurrentItem(b);
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("other"));
    ui.TreeView1->setCurrentItem(a);

    QCOMPARE(document->toPlainText(), QStringLiteral("Title\nbold italic under strike\nfirst point\nsecond point"));
    QCOMPARE(document->findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(formatAt(ui.RichEdit1, 0).fontPointSize(), 20.0);
    QCOMPARE(formatAt(ui.RichEdit1, 0).font().family(), serif);
    QVERIFY(isBold(ui.RichEdit1, 6) && isBold(ui.RichEdit1, 9));
    QVERIFY(!isBold(ui.RichEdit1, 11));
    QVERIFY(formatAt(ui.RichEdit1, 11).fontItalic() && formatAt(ui.RichEdit1, 16).fontItalic());
    QVERIFY(!formatAt(ui.RichEdit1, 18).fontItalic());
    QVERIFY(formatAt(ui.RichEdit1, 18).fontUnderline() && !formatAt(ui.RichEdit1, 24).fontUnderline());
    QVERIFY(formatAt(ui.RichEdit1, 24).fontStrikeOut() && formatAt(ui.RichEdit1, 29).fontStrikeOut());
    QCOMPARE(formatAt(ui.RichEdit1, 29).fontPointSize(), 9.0);
    QVERIFY(formatAt(ui.RichEdit1, 23).fontPointSize() != 9.0);
    QTextList *list = document->findBlockByNumber(2).textList();
    QVERIFY(list != nullptr);
    QCOMPARE(list->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(document->findBlockByNumber(3).textList(), list);
    QVERIFY(document->findBlockByNumber(1).textList() == nullptr);
    QCOMPARE(formatting::hangingIndent(document->findBlockByNumber(2).blockFormat()), 10.0);
}

void EditorTest::tabTypesOneSpaceInLeafEditorOnly()
{
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "ab");
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->setFocus();
    selectRange(ui.RichEdit1, 1, 1);
    QTest::keyClick(ui.RichEdit1, Qt::Key_Tab);
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("a b"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui.RichEdit1));
    QTest::keyClick(ui.RichEdit1, Qt::Key_Tab);
    QCOMPARE(ui.RichEdit1->toPlainText(), QStringLiteral("a  b"));

    // The viewer keeps Tab for moving the focus.
    ui.PageControl->setCurrentWidget(ui.CategoryViewPage);
    ui.RichEdit2->setPlainText(QStringLiteral("xy"));
    ui.RichEdit2->setFocus();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui.RichEdit2));
    QTest::keyClick(ui.RichEdit2, Qt::Key_Tab);
    QCOMPARE(ui.RichEdit2->toPlainText(), QStringLiteral("xy"));
    QVERIFY(QApplication::focusWidget() != ui.RichEdit2);
}

void EditorTest::fontListIsSortedWithNothingPicked()
{
    TForm1 &w = *w_;
    const FormParts &ui = *ui_;
    const QStringList faces = ui.FontName->items();
    QVERIFY(!faces.isEmpty());
    for (int i = 1; i < faces.size(); ++i) {
        QVERIFY2(faces.at(i - 1).compare(faces.at(i), Qt::CaseInsensitive) <= 0, qPrintable(faces.at(i)));
    }
    for (const QString &family : QFontDatabase::families()) {
        QVERIFY(faces.contains(family.left(31)));
    }
    QCOMPARE(ui.FontName->currentIndex(), -1);
    QCOMPARE(ui.FontName->currentText(), QString());

    // New text in the leaf editor is "Arial", 12 points.
    QCOMPARE(ui.RichEdit1->document()->defaultFont().family(), QStringLiteral("Arial"));
    QCOMPARE(ui.RichEdit1->document()->defaultFont().pointSize(), 12);
    QCOMPARE(w.CurrText().name(), QStringLiteral("Arial"));
    QCOMPARE(w.CurrText().size(), 12);
}

void EditorTest::windowClosesSafelyWhileEditorHasFocus()
{
    const FormParts &ui = *ui_;
    OutlineNode *a = addLeaf("A", "alpha");
    const NoteRef record = a->record();
    ui.TreeView1->setCurrentItem(a);
    ui.RichEdit1->setFocus();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui.RichEdit1));
    ui.RichEdit1->setPlainText(QStringLiteral("unsaved"));
    w_.reset();
    // The focus-out sent while the window is destroyed reaches no handler.
    QCOMPARE(plainTextOf(record), QStringLiteral("alpha"));
}

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
