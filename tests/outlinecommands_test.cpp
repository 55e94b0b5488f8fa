// Tests of the outline commands on the main window: adding, pruning, moving and dragging leaves.
#include "app/Main.h"
#include "app/completingcombo.h"
#include "app/leafeditor.h"
#include "app/droppoint.h"
#include "app/outlinetree.h"
#include "document/copylines.h"
#include "document/outlinemodel.h"
#include "document/outline.h"

#include <QApplication>
#include <QDrag>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include <memory>

#include "support.h"

namespace {


QString plainText(const LineList &notes)
{
    QTextDocument doc;
    CopyLines(notes, doc);
    return doc.toPlainText();
}

// The text a leaf's record holds, as the editor would show it.
QString textOf(const OutlineNode *item)
{
    return plainText(item->record()->Notes);
}

class Window
{
public:
    Window()
    {
        QStringList names;
        for (const char *name : CategoryNames) {
            names << QString::fromLatin1(name);
        }
        form.NewLeafCaption = QStringLiteral("O");
        ui.TreeViewComboBox->addItems(names);
        ui.TreeViewComboBox->setCurrentIndex(0);
        form.resize(900, 600);
        form.show();
        form.activateWindow();
    }

    // Builds leaves whose records hold "text of X" and category "cat X".
    void build(const QString &text)
    {
        support::buildOutline(tree()->outline(), text);
        for (OutlineNode *node : support::nodesOf(tree()->outline())) {
            noteob &record = *node->record();
            if (record.Notes.isEmpty() && record.categoryText() == QLatin1String("Unknown")) {
                record.Notes = {QByteArray("text of ") + node->caption().toLatin1()};
                record.setCategory(QStringLiteral("cat ") + node->caption());
            }
        }
    }

    OutlineTree *tree() { return ui.TreeView1; }
    OutlineNode *item(const QString &caption) { return support::findNode(tree()->outline(), caption); }
    QString outline() { return support::describe(tree()->outline()); }
    QString editorText() { return ui.RichEdit1->toPlainText(); }
    QString boxText() { return ui.TreeViewComboBox->currentText(); }
    void select(const QString &caption) { tree()->setCurrentItem(item(caption)); }
    void click(const char *buttonName)
    {
        auto *button = form.findChild<QToolButton *>(QLatin1String(buttonName));
        QVERIFY2(button != nullptr, buttonName);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // The in-place caption editor when it holds the keyboard.
    QLineEdit *captionEditor()
    {
        auto *edit = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        return edit != nullptr && tree()->isAncestorOf(edit) ? edit : nullptr;
    }
    QPoint rowPoint(const QString &caption, int dx)
    {
        const QRect row = tree()->visualItemRect(item(caption));
        return QPoint(row.left() + dx, row.center().y());
    }

    TForm1 form;
    FormParts ui{form};
};

}  // namespace

class OutlineCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void addCommandsOnAnEmptyTreeMakeTheFirstLeaf_data();
    void addCommandsOnAnEmptyTreeMakeTheFirstLeaf();
    void addCommandsWithLeavesButNoSelection();
    void addLeafGoesToTheEndOfTheSelectedLeafsList();
    void addLeafAboveCopiesTheSelectedLeafsText();
    void addLeafBelowMakesALastChildAndExpandsTheParent();
    void addsInsideAnOpenBranchKeepTheOutlineOpenAndTheNewLeafInView();
    void newRecordTakesTheEditorAndBoxWhenTheSelectionNextMoves();
    void captionEditIsConfirmedOrCancelled();
    void pruneStoresTheLeavingLeafBeforeLoadingTheNext();
    void pruneOfALeafWithChildrenSelectsTheNodeJustBefore();
    void pruneOfTheOnlyLeafKeepsItsTextForTheNextAdd();
    void pruneWithoutSelectionDoesNothing();
    void clickBelowTheRowsKeepsTheSelectionCommandsActOn();
    void prunedRecordsStayValidForTheGroupsList();
    void moveRightAndLeftFollowTheRules();
    void moveRunsWithTheSelectionHandlersOff();
    void moveLeftOfAnOnlyChildRemovesTheParentsButton();
    void dropOnTheRegionsOfARealTree();
    void dragEventsAreAcceptedAndTheDropMovesTheLeaf();
    void dragStartsFromThePressedLeafWithItsRowImage();
    void leafHeldAtAnEdgeScrollsTheTree();
    void everyCommandUndoesAndRedoesByKeyAndMenu_data();
    void everyCommandUndoesAndRedoesByKeyAndMenu();
    void editorKeepsItsOwnUndoOfTyping();
};

void OutlineCommandsTest::addCommandsOnAnEmptyTreeMakeTheFirstLeaf_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Add Leaf") << "CutButton";
    QTest::newRow("Add Leaf Above") << "PasteButton";
    QTest::newRow("Add Leaf Below") << "CopyButton";
}

void OutlineCommandsTest::addCommandsOnAnEmptyTreeMakeTheFirstLeaf()
{
    QFETCH(QString, button);
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.ui.RichEdit1->setPlainText(QStringLiteral("typed before"));
    w.ui.TreeViewComboBox->setEditText(QStringLiteral("Memo"));

    w.click(button.toLatin1().constData());
    QCOMPARE(w.outline(), QStringLiteral("O"));
    OutlineNode *leaf = w.tree()->outline().topLevelNode(0);
    QCOMPARE(w.tree()->currentItem(), leaf);
    // Every add command on an empty tree is Add Leaf: the category comes from the box.
    QCOMPARE(leaf->record()->categoryText(), QStringLiteral("Memo"));
    QCOMPARE(textOf(leaf), QStringLiteral("typed before"));
    QVERIFY(w.captionEditor() != nullptr);
    QCOMPARE(w.form.activeControl(), static_cast<QWidget *>(w.ui.RichEdit1));
    QCOMPARE(w.editorText(), QString());
    QCOMPARE(w.boxText(), QStringLiteral("Default"));
}

void OutlineCommandsTest::addCommandsWithLeavesButNoSelection()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B] C"));
    QCOMPARE(w.tree()->currentItem(), nullptr);
    w.ui.RichEdit1->setPlainText(QStringLiteral("kept"));

    w.click("PasteButton");
    w.click("CopyButton");
    QCOMPARE(w.outline(), QStringLiteral("A[B] C"));
    QCOMPARE(w.editorText(), QStringLiteral("kept"));
    QCOMPARE(w.form.activeControl() == w.ui.RichEdit1, false);

    w.click("CutButton");
    QCOMPARE(w.outline(), QStringLiteral("A[B] C O"));
    QCOMPARE(w.tree()->currentItem(), w.tree()->outline().topLevelNode(2));
}

void OutlineCommandsTest::addLeafGoesToTheEndOfTheSelectedLeafsList()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B C D] E"));
    w.select(QStringLiteral("B"));
    QCOMPARE(w.editorText(), QStringLiteral("text of B"));
    w.ui.RichEdit1->setPlainText(QStringLiteral("B edited"));
    const QString longCategory = QStringLiteral("abcdefghijklmnopqrstuvwxy");  // 25 characters
    w.ui.TreeViewComboBox->setEditText(longCategory);

    w.click("CutButton");
    QCOMPARE(w.outline(), QStringLiteral("A[B C D O] E"));
    OutlineNode *added = w.item(QStringLiteral("O"));
    QCOMPARE(w.tree()->currentItem(), added);
    // The leaf that was selected got the editor and the box before the new one was loaded.
    QCOMPARE(textOf(w.item(QStringLiteral("B"))), QStringLiteral("B edited"));
    QCOMPARE((w.item(QStringLiteral("B")))->record()->categoryText(), longCategory.left(20));
    QCOMPARE(textOf(added), QStringLiteral("B edited"));
    QCOMPARE(added->record()->categoryText(), longCategory.left(20));
    QCOMPARE(w.editorText(), QString());
    QCOMPARE(w.boxText(), QStringLiteral("Default"));
    QVERIFY(w.captionEditor() != nullptr);
}

void OutlineCommandsTest::addLeafAboveCopiesTheSelectedLeafsText()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B C] D"));
    w.select(QStringLiteral("B"));
    w.ui.RichEdit1->setPlainText(QStringLiteral("B edited"));
    w.ui.TreeViewComboBox->setEditText(QStringLiteral("Memo"));

    w.click("PasteButton");
    QCOMPARE(w.outline(), QStringLiteral("A[O B C] D"));
    OutlineNode *added = w.item(QStringLiteral("O"));
    QCOMPARE(w.tree()->currentItem(), added);
    QCOMPARE(textOf(w.item(QStringLiteral("B"))), QStringLiteral("B edited"));
    QCOMPARE((w.item(QStringLiteral("B")))->record()->categoryText(), QStringLiteral("Memo"));
    // The box is not read: the new leaf is "Unknown", and the editor keeps the copied text.
    QCOMPARE(added->record()->categoryText(), QStringLiteral("Unknown"));
    QCOMPARE(textOf(added), QStringLiteral("B edited"));
    QCOMPARE(w.editorText(), QStringLiteral("B edited"));
    QCOMPARE(w.boxText(), QStringLiteral("Unknown"));
    QVERIFY(w.captionEditor() != nullptr);
    QCOMPARE(w.form.activeControl(), static_cast<QWidget *>(w.ui.RichEdit1));

    // Above a top-level leaf.
    w.select(QStringLiteral("D"));
    w.click("PasteButton");
    QCOMPARE(w.outline(), QStringLiteral("A[O B C] O D"));
}

void OutlineCommandsTest::addLeafBelowMakesALastChildAndExpandsTheParent()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B[C] D] E"));
    w.select(QStringLiteral("B"));
    QVERIFY(!w.tree()->isExpanded(w.item(QStringLiteral("B"))));
    w.ui.RichEdit1->setPlainText(QStringLiteral("B edited"));
    w.ui.TreeViewComboBox->setEditText(QStringLiteral("ToDo"));

    w.click("CopyButton");
    QCOMPARE(w.outline(), QStringLiteral("A[B[C O] D] E"));
    OutlineNode *added = w.item(QStringLiteral("O"));
    QCOMPARE(w.tree()->currentItem(), added);
    QVERIFY(w.tree()->isExpanded(w.item(QStringLiteral("B"))));
    QCOMPARE(textOf(w.item(QStringLiteral("B"))), QStringLiteral("B edited"));
    QCOMPARE((w.item(QStringLiteral("B")))->record()->categoryText(), QStringLiteral("ToDo"));
    QCOMPARE(added->record()->categoryText(), QStringLiteral("Unknown"));
    QCOMPARE(textOf(added), QStringLiteral("B edited"));
    QCOMPARE(w.editorText(), QString());
    QCOMPARE(w.boxText(), QStringLiteral("Default"));
    QVERIFY(w.captionEditor() != nullptr);
    QCOMPARE(w.form.activeControl(), static_cast<QWidget *>(w.ui.RichEdit1));

    // A leaf whose only child was pruned unfolds again for its next child, which is shown for naming.
    w.tree()->setExpanded(w.item(QStringLiteral("A")), true);
    w.select(QStringLiteral("C"));
    w.click("UndoButton");
    w.select(QStringLiteral("O"));
    w.click("UndoButton");
    QCOMPARE(w.outline(), QStringLiteral("A[B D] E"));
    w.select(QStringLiteral("B"));
    w.click("CopyButton");
    QCOMPARE(w.outline(), QStringLiteral("A[B[O] D] E"));
    QVERIFY(w.tree()->isExpanded(w.item(QStringLiteral("B"))));
    QCoreApplication::processEvents();
    QVERIFY(w.tree()->visualItemRect(w.item(QStringLiteral("O"))).isValid());
    QVERIFY(w.captionEditor() != nullptr);
}

void OutlineCommandsTest::addsInsideAnOpenBranchKeepTheOutlineOpenAndTheNewLeafInView()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QString text = QStringLiteral("A[B[");
    for (int i = 0; i < 30; ++i) {
        text += QStringLiteral("b%1[c%1] ").arg(i);
    }
    w.build(text + QStringLiteral("] Z] Y"));
    QList<OutlineNode *> open;
    for (OutlineNode *node : support::nodesOf(w.tree()->outline())) {
        if (node->childCount() > 0) {
            w.tree()->setExpanded(node, true);
            open << node;
        }
    }
    w.select(QStringLiteral("c20"));
    QSignalSpy expanded(w.tree(), &QTreeView::expanded);
    QSignalSpy collapsed(w.tree(), &QTreeView::collapsed);
    auto rowInView = [&](OutlineNode *item) {
        return w.tree()->viewport()->rect().intersects(w.tree()->visualItemRect(item));
    };

    w.click("CutButton");
    OutlineNode *branch = w.item(QStringLiteral("b20"));
    QCOMPARE(branch->childCount(), 2);
    OutlineNode *added = branch->child(1);
    QCOMPARE(added->caption(), QStringLiteral("O"));
    QCOMPARE(w.tree()->currentItem(), added);
    QCOMPARE(textOf(w.item(QStringLiteral("c20"))), QStringLiteral("text of c20"));
    QVERIFY(w.captionEditor() != nullptr);
    QVERIFY(rowInView(added));

    // Add above while the new caption is still being edited: the edit is confirmed as before.
    w.captionEditor()->setText(QStringLiteral("first"));
    w.click("PasteButton");
    QCOMPARE(branch->childCount(), 3);
    QCOMPARE(branch->child(0)->caption(), QStringLiteral("c20"));
    QCOMPARE(branch->child(1)->caption(), QStringLiteral("O"));
    QCOMPARE(branch->child(2)->caption(), QStringLiteral("first"));
    QCOMPARE(w.tree()->currentItem(), branch->child(1));
    QVERIFY(w.captionEditor() != nullptr);
    QVERIFY(rowInView(branch->child(1)));

    for (OutlineNode *node : open) {
        QVERIFY2(w.tree()->isExpanded(node), qPrintable(node->caption()));
    }
    QCOMPARE(expanded.count(), 0);
    QCOMPARE(collapsed.count(), 0);
}

void OutlineCommandsTest::newRecordTakesTheEditorAndBoxWhenTheSelectionNextMoves()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A B"));
    w.select(QStringLiteral("A"));
    w.click("CutButton");
    OutlineNode *added = w.item(QStringLiteral("O"));
    QVERIFY(added != nullptr);
    // Resetting the editor and the box stored nothing: the record keeps its copies for now.
    QCOMPARE(textOf(added), QStringLiteral("text of A"));
    QCOMPARE(added->record()->categoryText(), QStringLiteral("cat A"));
    // Moving the keyboard to the editor ends the caption edit; what is typed there and in the box
    // reaches the new record when the selection leaves it.
    w.ui.RichEdit1->setFocus();
    w.ui.RichEdit1->setPlainText(QStringLiteral("new leaf text"));
    w.ui.TreeViewComboBox->setEditText(QStringLiteral("Memo"));
    w.select(QStringLiteral("B"));
    QCOMPARE(textOf(added), QStringLiteral("new leaf text"));
    QCOMPARE(added->record()->categoryText(), QStringLiteral("Memo"));
    QCOMPARE(w.editorText(), QStringLiteral("text of B"));
    QCOMPARE(textOf(w.item(QStringLiteral("A"))), QStringLiteral("text of A"));
}

void OutlineCommandsTest::captionEditIsConfirmedOrCancelled()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.ui.RichEdit1->setPlainText(QStringLiteral("copied"));
    w.click("CutButton");
    QLineEdit *edit = w.captionEditor();
    QVERIFY(edit != nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Groceries"));
    QTest::keyClick(edit, Qt::Key_Return);
    // The delegate commits a confirmed edit from the event loop.
    QTRY_COMPARE(w.outline(), QStringLiteral("Groceries"));
    // The keyboard went back to the tree: the editor's exit handling stored the (empty) editor.
    QTRY_COMPARE(textOf(w.tree()->outline().topLevelNode(0)), QString());

    w.click("CutButton");
    edit = w.captionEditor();
    QVERIFY(edit != nullptr);
    QTest::keyClicks(edit, QStringLiteral("Discarded"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QTRY_VERIFY(w.captionEditor() == nullptr);
    QCOMPARE(w.outline(), QStringLiteral("Groceries O"));
}

void OutlineCommandsTest::pruneStoresTheLeavingLeafBeforeLoadingTheNext()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A B C"));
    w.select(QStringLiteral("B"));
    const NoteRef pruned = (w.item(QStringLiteral("B")))->record();
    w.ui.RichEdit1->setPlainText(QStringLiteral("B edited"));
    w.ui.TreeViewComboBox->setEditText(QStringLiteral("Memo"));

    w.click("UndoButton");
    QCOMPARE(w.outline(), QStringLiteral("A C"));
    // The tree picked the row below; the leaving leaf was stored first, then C loaded.
    QCOMPARE(w.tree()->currentItem(), w.item(QStringLiteral("C")));
    QCOMPARE(plainText(pruned->Notes), QStringLiteral("B edited"));
    QCOMPARE(pruned->categoryText(), QStringLiteral("Memo"));
    QCOMPARE(w.editorText(), QStringLiteral("text of C"));
    QCOMPARE(w.boxText(), QStringLiteral("cat C"));
    QCOMPARE(textOf(w.item(QStringLiteral("C"))), QStringLiteral("text of C"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.tree()));

    // The last leaf of a list: the row above.
    w.ui.RichEdit1->setPlainText(QStringLiteral("C edited"));
    w.click("UndoButton");
    QCOMPARE(w.outline(), QStringLiteral("A"));
    QCOMPARE(w.tree()->currentItem(), w.item(QStringLiteral("A")));
    QCOMPARE(w.editorText(), QStringLiteral("text of A"));
}

void OutlineCommandsTest::pruneOfALeafWithChildrenSelectsTheNodeJustBefore()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B[C]] D[E] F"));
    w.select(QStringLiteral("D"));
    w.tree()->setExpanded(w.item(QStringLiteral("A")), false);
    const NoteRef pruned = (w.item(QStringLiteral("D")))->record();
    w.ui.RichEdit1->setPlainText(QStringLiteral("D edited"));

    w.click("UndoButton");
    QCOMPARE(w.outline(), QStringLiteral("A[B[C]] F"));
    // Absolute index 3 went; index 2 is C, deep inside the collapsed A.
    QCOMPARE(w.tree()->currentItem(), w.item(QStringLiteral("C")));
    QCOMPARE(plainText(pruned->Notes), QStringLiteral("D edited"));
    QCOMPARE(w.editorText(), QStringLiteral("text of C"));
    // The tree's own pick in between (F) was loaded and stored back unchanged.
    QCOMPARE(textOf(w.item(QStringLiteral("F"))), QStringLiteral("text of F"));
    QCOMPARE((w.item(QStringLiteral("F")))->record()->categoryText(), QStringLiteral("cat F"));

    // The first node, with children: the choice stays with the tree (the row below).
    w.select(QStringLiteral("A"));
    w.click("UndoButton");
    QCOMPARE(w.outline(), QStringLiteral("F"));
    QCOMPARE(w.tree()->currentItem(), w.item(QStringLiteral("F")));
    QCOMPARE(w.editorText(), QStringLiteral("text of F"));

    // A first child with children: the node just before it is its parent.
    Window w2;
    QVERIFY(QTest::qWaitForWindowActive(&w2.form));
    w2.build(QStringLiteral("A[B[C] D] E"));
    w2.select(QStringLiteral("B"));
    w2.click("UndoButton");
    QCOMPARE(w2.outline(), QStringLiteral("A[D] E"));
    QCOMPARE(w2.tree()->currentItem(), w2.item(QStringLiteral("A")));
    QCOMPARE(w2.editorText(), QStringLiteral("text of A"));
}

void OutlineCommandsTest::pruneOfTheOnlyLeafKeepsItsTextForTheNextAdd()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A"));
    w.select(QStringLiteral("A"));
    w.ui.RichEdit1->setPlainText(QStringLiteral("last words"));
    w.click("UndoButton");
    QCOMPARE(w.tree()->outline().topLevelCount(), 0);
    QCOMPARE(w.editorText(), QStringLiteral("last words"));
    QCOMPARE(w.boxText(), QStringLiteral("cat A"));

    w.click("CutButton");
    QCOMPARE(textOf(w.tree()->outline().topLevelNode(0)), QStringLiteral("last words"));
    QCOMPARE((w.tree()->outline().topLevelNode(0))->record()->categoryText(), QStringLiteral("cat A"));
    QCOMPARE(w.editorText(), QString());
}

void OutlineCommandsTest::pruneWithoutSelectionDoesNothing()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B] C"));
    w.ui.RichEdit1->setFocus();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.ui.RichEdit1));
    w.click("UndoButton");
    QCOMPARE(w.outline(), QStringLiteral("A[B] C"));
    // Not even the focus moves.
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.ui.RichEdit1));
    // The moves only give the tree the focus.
    w.click("ToolButton4");
    QCOMPARE(w.outline(), QStringLiteral("A[B] C"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.tree()));
}

void OutlineCommandsTest::prunedRecordsStayValidForTheGroupsList()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B] C"));
    w.form.ListAllLeaves();
    QCOMPARE(w.ui.ListBox->count(), 3);
    std::weak_ptr<noteob> prunedRecord = (w.item(QStringLiteral("B")))->record();
    w.select(QStringLiteral("A"));
    w.click("UndoButton");
    QCOMPARE(w.outline(), QStringLiteral("C"));

    // The list's entry for B still works and shows B's text.
    w.ui.PageControl->setCurrentWidget(w.ui.CategoryViewPage);
    w.ui.ListBox->setCurrentRow(1);
    QCOMPARE(w.ui.RichEdit2->toPlainText(), QStringLiteral("text of B"));
    QVERIFY(!prunedRecord.expired());
    // Refilling the list leaves them to the history, which can still bring B back; emptying the outline
    // starts a new history and releases them.
    w.form.ListAllLeaves();
    QCOMPARE(w.ui.ListBox->count(), 1);
    QVERIFY(!prunedRecord.expired());
    w.form.ClearTree();
    QVERIFY(prunedRecord.expired());
}

void OutlineCommandsTest::moveRightAndLeftFollowTheRules()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B[C] D] E F"));

    // A first child and the first top-level leaf do not move right.
    w.select(QStringLiteral("B"));
    w.click("ToolButton4");
    w.select(QStringLiteral("A"));
    w.click("ToolButton4");
    QCOMPARE(w.outline(), QStringLiteral("A[B[C] D] E F"));
    // A top-level leaf does not move left.
    w.click("ToolButton3");
    QCOMPARE(w.outline(), QStringLiteral("A[B[C] D] E F"));

    // Right under a previous sibling with children: after them, the sibling expanded.
    w.select(QStringLiteral("D"));
    OutlineNode *b = w.item(QStringLiteral("B"));
    w.tree()->setExpanded(b, false);
    w.click("ToolButton4");
    QCOMPARE(w.outline(), QStringLiteral("A[B[C D]] E F"));
    QVERIFY(w.tree()->isExpanded(b));
    QCOMPARE(w.tree()->currentItem(), w.item(QStringLiteral("D")));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.tree()));

    // Left from level 2: after all later siblings of its parent, at level 1.
    w.select(QStringLiteral("C"));
    w.click("ToolButton3");
    QCOMPARE(w.outline(), QStringLiteral("A[B[D] C] E F"));
    QCOMPARE(outline::levelOf(w.item(QStringLiteral("C"))), 1);

    // An expanded leaf comes out collapsed.
    w.select(QStringLiteral("B"));
    w.tree()->setExpanded(b, true);
    w.click("ToolButton3");
    QCOMPARE(w.outline(), QStringLiteral("A[C] E F B[D]"));
    QVERIFY(!w.tree()->isExpanded(b));
    QCOMPARE(w.tree()->currentItem(), b);

    // The menu entries run the same commands.
    w.ui.MoveRight1->trigger();
    QCOMPARE(w.outline(), QStringLiteral("A[C] E F[B[D]]"));
    w.ui.MoveLeft1->trigger();
    QCOMPARE(w.outline(), QStringLiteral("A[C] E F B[D]"));
}

void OutlineCommandsTest::moveRunsWithTheSelectionHandlersOff()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A B C"));
    w.select(QStringLiteral("B"));
    w.ui.RichEdit1->setPlainText(QStringLiteral("B pending"));
    w.ui.TreeViewComboBox->setEditText(QStringLiteral("Memo"));

    w.click("ToolButton4");
    QCOMPARE(w.outline(), QStringLiteral("A[B] C"));
    // Nothing was stored into or loaded from any leaf: the editor and the box still show B as typed.
    QCOMPARE(w.editorText(), QStringLiteral("B pending"));
    QCOMPARE(w.boxText(), QStringLiteral("Memo"));
    QCOMPARE(textOf(w.item(QStringLiteral("B"))), QStringLiteral("text of B"));
    QCOMPARE(textOf(w.item(QStringLiteral("A"))), QStringLiteral("text of A"));
    QCOMPARE(textOf(w.item(QStringLiteral("C"))), QStringLiteral("text of C"));
    QCOMPARE((w.item(QStringLiteral("C")))->record()->categoryText(), QStringLiteral("cat C"));
    QVERIFY(w.form.selectionHandlersOn());

    // The handlers are back: leaving B now stores what was typed.
    w.select(QStringLiteral("C"));
    QCOMPARE(textOf(w.item(QStringLiteral("B"))), QStringLiteral("B pending"));
    QCOMPARE((w.item(QStringLiteral("B")))->record()->categoryText(), QStringLiteral("Memo"));
    QCOMPARE(w.editorText(), QStringLiteral("text of C"));
}

void OutlineCommandsTest::moveLeftOfAnOnlyChildRemovesTheParentsButton()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B] C"));
    OutlineNode *a = w.item(QStringLiteral("A"));
    w.tree()->setExpanded(a, true);
    w.select(QStringLiteral("B"));
    w.click("ToolButton3");
    QCOMPARE(w.outline(), QStringLiteral("A C B"));
    QVERIFY(!w.tree()->isExpanded(a));
    // A drop on A's branch cell is now a drop on indentation, not on a button.
    QCOMPARE(classifyDropPoint(*w.tree(), w.rowPoint(QStringLiteral("A"), -5)).action,
             DropPlan::Before);
}

void OutlineCommandsTest::clickBelowTheRowsKeepsTheSelectionCommandsActOn()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A B[C] D"));
    QTest::mouseClick(w.tree()->viewport(), Qt::LeftButton, {}, w.rowPoint(QStringLiteral("B"), 3));
    QCOMPARE(w.tree()->currentItem(), w.item(QStringLiteral("B")));

    const QRect last = w.tree()->visualItemRect(w.item(QStringLiteral("D")));
    const QPoint blank(last.left() + 3, last.bottom() + 20);
    QVERIFY(!w.tree()->indexAt(blank).isValid());
    QTest::mouseClick(w.tree()->viewport(), Qt::LeftButton, {}, blank);
    // What the tree highlights is what Prune removes.
    QVERIFY(w.tree()->isSelected(w.item(QStringLiteral("B"))));
    QCOMPARE(w.tree()->selectionModel()->selectedIndexes().size(), 1);
    QCOMPARE(w.tree()->currentItem(), w.item(QStringLiteral("B")));
    w.click("UndoButton");
    QCOMPARE(w.outline(), QStringLiteral("A D"));
}

void OutlineCommandsTest::dropOnTheRegionsOfARealTree()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    const QString start = QStringLiteral("A[B[C] D] E");
    w.build(start);
    auto reset = [&] {
        w.tree()->clear();
        w.build(start);
        for (OutlineNode *item : support::nodesOf(w.tree()->outline())) {
            w.tree()->setExpanded(item, item->childCount() > 0);
        }
    };
    const int indent = w.tree()->indentation();
    struct Case {
        const char *name;
        const char *moved;
        const char *target;  // the row hit; empty: below the last row
        int dx;              // from the left of the row's icon and caption
        const char *expected;
    };
    const Case cases[] = {
        {"own child's caption", "A", "C", 3, "A[B[C] D] E"},
        {"own caption", "B", "B", 3, "A[B[C] D] E"},
        {"next sibling's indentation", "B", "D", -indent - 3, "A[B[C] D] E"},
        {"own indentation stays, collapsed", "B", "B", -indent - 3, "A[B[C] D] E"},
        {"parent's caption: end of the list", "B", "A", 3, "A[D B[C]] E"},
        {"another leaf's caption", "E", "C", 3, "A[B[C[E]] D]"},
        {"indentation of a deep leaf", "E", "C", -2 * indent - 3, "A[B[E C] D]"},
        {"below the last row", "C", "", 0, "A[B D] E C"},
        {"expand button", "E", "B", -indent / 2, "A[B[C] D] E"},
        {"right of the caption", "E", "D", 200, "A[B[C] D] E"},
    };
    for (const Case &c : cases) {
        reset();
        w.select(QLatin1String(c.moved));
        QPoint point;
        if (*c.target == '\0') {
            const QRect last = w.tree()->visualItemRect(w.item(QStringLiteral("E")));
            point = QPoint(40, last.bottom() + 20);
        } else {
            point = w.rowPoint(QLatin1String(c.target), c.dx);
        }
        // A drop into the dragged leaf's own subtree is refused before anything moves.
        const DropPlan plan = classifyDropPoint(*w.tree(), point);
        OutlineNode *moved = w.item(QLatin1String(c.moved));
        if (outline::isDescendantOf(plan.target, moved)) {
            QVERIFY2(outline::isMoveRefused(moved, outline::Placement::LastChild, plan.target), c.name);
        }
        w.form.TreeView1DragDrop(point);
        QVERIFY2(w.outline() == QLatin1String(c.expected), c.name);
        QVERIFY2(w.tree()->currentItem() == w.item(QLatin1String(c.moved)), c.name);
    }
    // Dropping on its own indentation leaves B in place but collapsed.
    reset();
    w.select(QStringLiteral("B"));
    QVERIFY(w.tree()->isExpanded(w.item(QStringLiteral("B"))));
    w.form.TreeView1DragDrop(w.rowPoint(QStringLiteral("B"), -indent - 3));
    QVERIFY(!w.tree()->isExpanded(w.item(QStringLiteral("B"))));

    // With nothing selected a drop does nothing.
    w.tree()->setCurrentItem(nullptr);
    w.form.TreeView1DragDrop(w.rowPoint(QStringLiteral("E"), 3));
    QCOMPARE(w.outline(), start);
}

void OutlineCommandsTest::dragEventsAreAcceptedAndTheDropMovesTheLeaf()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A B C"));
    w.select(QStringLiteral("C"));
    QWidget *viewport = w.tree()->viewport();
    QMimeData leaf;
    leaf.setData(QLatin1String(OutlineTree::LeafMimeType), QByteArray("C"));
    const QPoint overA = w.rowPoint(QStringLiteral("A"), 3);
    const QPoint rightOfB = w.rowPoint(QStringLiteral("B"), 250);

    QDragEnterEvent enter(overA, Qt::MoveAction, &leaf, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    // Every point over the tree accepts, even one where a drop will do nothing; the row is highlighted.
    QDragMoveEvent moveRight(rightOfB, Qt::MoveAction, &leaf, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &moveRight);
    QVERIFY(moveRight.isAccepted());
    QCOMPARE(w.tree()->dropTarget(), w.item(QStringLiteral("B")));
    QDragMoveEvent moveA(overA, Qt::MoveAction, &leaf, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &moveA);
    QVERIFY(moveA.isAccepted());
    QCOMPARE(w.tree()->dropTarget(), w.item(QStringLiteral("A")));

    QDropEvent drop(overA, Qt::MoveAction, &leaf, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(w.outline(), QStringLiteral("A[C] B"));
    QCOMPARE(w.tree()->dropTarget(), nullptr);
    QCOMPARE(w.tree()->currentItem(), w.item(QStringLiteral("C")));

    // Anything else dragged over the tree (text from elsewhere) is refused and moves nothing.
    QMimeData text;
    text.setText(QStringLiteral("B"));
    QDragEnterEvent foreign(overA, Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &foreign);
    QVERIFY(!foreign.isAccepted());
    QDropEvent foreignDrop(w.rowPoint(QStringLiteral("B"), 3), Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &foreignDrop);
    QCOMPARE(w.outline(), QStringLiteral("A[C] B"));
}

void OutlineCommandsTest::dragStartsFromThePressedLeafWithItsRowImage()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A B C"));
    w.select(QStringLiteral("A"));
    w.ui.RichEdit1->setPlainText(QStringLiteral("A edited"));

    int drags = 0;
    OutlineNode *currentDuringDrag = nullptr;
    QSize imageSize;
    bool carriesLeaf = false;
    bool editorOpened = true;
    bool flaggedAsDragging = false;
    w.tree()->dragRunner = [&](QDrag &drag) {
        ++drags;
        currentDuringDrag = w.tree()->currentItem();
        imageSize = drag.pixmap().size() / drag.pixmap().devicePixelRatio();
        carriesLeaf = drag.mimeData()->hasFormat(QLatin1String(OutlineTree::LeafMimeType));
        flaggedAsDragging = w.tree()->isDraggingLeaf();
        // No caption edit starts while the drag goes on.
        w.tree()->editItem(w.item(QStringLiteral("B")));
        editorOpened = w.captionEditor() != nullptr;
        return Qt::IgnoreAction;
    };
    QWidget *viewport = w.tree()->viewport();
    const QPoint start = w.rowPoint(QStringLiteral("B"), 4);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(viewport, start + QPoint(QApplication::startDragDistance() + 8, 6));

    QCOMPARE(drags, 1);
    QCOMPARE(currentDuringDrag, w.item(QStringLiteral("B")));
    // Selecting the pressed leaf ran the handlers: A's text was stored, B's loaded.
    QCOMPARE(textOf(w.item(QStringLiteral("A"))), QStringLiteral("A edited"));
    QCOMPARE(w.editorText(), QStringLiteral("text of B"));
    QCOMPARE(imageSize, w.tree()->visualItemRect(w.item(QStringLiteral("B"))).size());
    QVERIFY(carriesLeaf);
    QVERIFY(flaggedAsDragging);
    QVERIFY(!editorOpened);
    QVERIFY(!w.tree()->isDraggingLeaf());
    QCOMPARE(w.outline(), QStringLiteral("A B C"));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, start);
}

QTEST_MAIN(OutlineCommandsTest)
void OutlineCommandsTest::leafHeldAtAnEdgeScrollsTheTree()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QStringList captions;
    for (int i = 0; i < 120; ++i) {
        captions << QStringLiteral("L%1").arg(i);
    }
    w.build(captions.join(QLatin1Char(' ')));
    OutlineTree *tree = w.tree();
    QScrollBar *bar = tree->verticalScrollBar();
    // The scroll range follows once the view has laid out its rows.
    QTRY_VERIFY(bar->maximum() > 0);
    const QRect area = tree->viewport()->rect();
    const QPoint top(area.center().x(), area.top() + 2);
    const QPoint bottom(area.center().x(), area.bottom() - 2);
    const QPoint middle = area.center();

    QCOMPARE(tree->scrollEdgeAt(top), -1);
    QCOMPARE(tree->scrollEdgeAt(bottom), 1);
    QCOMPARE(tree->scrollEdgeAt(middle), 0);
    QCOMPARE(tree->scrollEdgeAt(QPoint(area.center().x(), area.bottom() + 5)), 0);

    // At the top of the outline the top edge has nowhere to go; the middle never scrolls.
    QCOMPARE(bar->value(), 0);
    QVERIFY(!tree->dragScrollStep(top));
    QVERIFY(!tree->dragScrollStep(middle));
    QCOMPARE(bar->value(), 0);

    // Each step at the bottom edge brings later rows into sight, up to the end of the outline.
    QVERIFY(tree->dragScrollStep(bottom));
    const int afterOne = bar->value();
    QVERIFY(afterOne > 0);
    QVERIFY(tree->dragScrollStep(bottom));
    QVERIFY(bar->value() > afterOne);
    while (tree->dragScrollStep(bottom)) {
    }
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(area.intersects(tree->visualItemRect(w.item(QStringLiteral("L119")))));
    QVERIFY(!area.intersects(tree->visualItemRect(w.item(QStringLiteral("L0")))));

    // And back up at the top edge.
    QVERIFY(tree->dragScrollStep(top));
    QVERIFY(bar->value() < bar->maximum());

    // Scrolling moves nothing in the outline and changes no selection.
    QCOMPARE(tree->currentItem(), nullptr);
    QCOMPARE(w.outline(), captions.join(QLatin1Char(' ')));
}

#include "outlinecommands_test.moc"

void OutlineCommandsTest::everyCommandUndoesAndRedoesByKeyAndMenu_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("after");
    QTest::newRow("Add Leaf") << "CutButton" << "B" << "Add Leaf" << "A[B[C] D O] E";
    QTest::newRow("Add Leaf Below") << "CopyButton" << "B" << "Add Leaf Below" << "A[B[C O] D] E";
    QTest::newRow("Add Leaf Above") << "PasteButton" << "B" << "Add Leaf Above" << "A[O B[C] D] E";
    QTest::newRow("Prune") << "UndoButton" << "B" << "Prune" << "A[D] E";
    QTest::newRow("Move Left") << "ToolButton3" << "B" << "Move Left" << "A[D] E B[C]";
    QTest::newRow("Move Right") << "MoveRight1" << "D" << "Move Right" << "A[B[C D]] E";
    QTest::newRow("Move Down") << "MoveDown1" << "B" << "Move Down" << "A[D B[C]] E";
    QTest::newRow("Move Up by key") << "Alt+Shift+Up" << "D" << "Move Up" << "A[D B[C]] E";
    QTest::newRow("first leaf up") << "Alt+Shift+Up" << "B" << "" << "A[B[C] D] E";
    QTest::newRow("Move Down by key") << "Alt+Shift+Down" << "B" << "Move Down" << "A[D B[C]] E";
    QTest::newRow("Rename") << "rename" << "B" << "Rename" << "A[Bee[C] D] E";
    QTest::newRow("Category") << "category" << "B" << "Category" << "A[B[C] D] E";
    QTest::newRow("Text") << "text" << "B" << "Text" << "A[B[C] D] E";
    QTest::newRow("Drag") << "drag" << "B" << "Drag" << "A[D] E B[C]";
    QTest::newRow("Cut") << "CutLeafKey" << "B" << "Cut" << "A[D] E";
    QTest::newRow("Paste") << "CopyLeaf1 PasteLeaf1" << "B" << "Paste" << "A[B[C] B[C] D] E";
    QTest::newRow("Duplicate") << "DuplicateLeafKey" << "B" << "Duplicate" << "A[B[C] B[C] D] E";
}

// Each command, then Ctrl+Z with the outline focused and Ctrl+Shift+Z: the outline with every category
// and text is as before and as after, the menu names the step, and the leaf it touched is shown.
void OutlineCommandsTest::everyCommandUndoesAndRedoesByKeyAndMenu()
{
    QFETCH(QString, command);
    QFETCH(QString, selected);
    QFETCH(QString, step);
    QFETCH(QString, after);
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A[B[C] D] E"));
    w.tree()->expandAll();
    w.select(selected);
    const auto snapshot = [&] {
        QStringList lines{w.outline()};
        for (const OutlineNode *node : support::nodesOf(w.tree()->outline())) {
            lines << node->caption() + QLatin1Char(' ') + node->record()->categoryText() + QLatin1Char(' ') +
                         QString::fromLatin1(joinLines(node->record()->Notes));
        }
        return lines;
    };
    const QStringList before = snapshot();
    w.tree()->setFocus();
    if (command == QLatin1String("rename")) {
        w.tree()->outline().setData(w.tree()->indexFromItem(w.item(QStringLiteral("B"))), QStringLiteral("Bee"));
    } else if (command == QLatin1String("category")) {
        w.ui.TreeViewComboBox->setFocus();
        QTest::keyClicks(w.ui.TreeViewComboBox, QStringLiteral("Memo"));
        w.tree()->setFocus();
    } else if (command == QLatin1String("text")) {
        w.ui.RichEdit1->setFocus();
        QTest::keyClicks(w.ui.RichEdit1, QStringLiteral("typed "));
        w.tree()->setFocus();
    } else if (command == QLatin1String("drag")) {
        w.form.TreeView1DragDrop(QPoint(w.tree()->viewport()->width() / 2, w.tree()->viewport()->height() - 2));
    } else if (command.startsWith(QLatin1String("Alt+"))) {
        QTest::keyClick(w.ui.RichEdit1, command.endsWith(QLatin1String("Up")) ? Qt::Key_Up : Qt::Key_Down,
                        Qt::AltModifier | Qt::ShiftModifier);
    } else if (command.contains(QLatin1Char(' ')) || command.endsWith(QLatin1String("Key"))) {
        // Actions in turn, a key by its action with the outline focused, or a caption to select.
        for (const QString &part : command.split(QLatin1Char(' '))) {
            if (auto *action = w.form.findChild<QAction *>(part)) {
                w.tree()->setFocus();
                if (part.endsWith(QLatin1String("Key"))) {
                    QTest::keySequence(w.tree(), action->shortcut());
                } else {
                    action->trigger();
                }
            } else {
                w.select(part);
            }
        }
    } else if (auto *action = w.form.findChild<QAction *>(command)) {
        action->trigger();
    } else {
        w.click(command.toLatin1().constData());
    }
    QApplication::processEvents();
    if (QLineEdit *caption = w.captionEditor()) {
        QTest::keyClick(caption, Qt::Key_Escape);
    }
    QCOMPARE(w.outline(), after);
    if (step.isEmpty()) {
        // Moving the first of its siblings up changes nothing and is no step.
        QVERIFY(!w.form.history().canUndo());
        QCOMPARE(w.ui.Undo1->text(), QStringLiteral("&Undo"));
        QVERIFY(!w.ui.Undo1->isEnabled());
        return;
    }
    QCOMPARE(w.ui.Undo1->text(), QStringLiteral("&Undo ") + step);
    w.tree()->setFocus();
    QTest::keyClick(w.tree(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(snapshot(), before);
    QCOMPARE(w.ui.Redo1->text(), QStringLiteral("&Redo ") + step);
    QVERIFY(!w.ui.Undo1->isEnabled());
    // The leaf the step touched is shown, open, its ancestors open.
    QVERIFY(w.tree()->currentItem() != nullptr);
    QCOMPARE(w.tree()->isExpanded(w.tree()->currentItem()), w.tree()->currentItem()->childCount() > 0);
    for (const OutlineNode *p = w.tree()->currentItem()->parent(); p != nullptr; p = p->parent()) {
        QVERIFY(w.tree()->isExpanded(p));
    }
    QTest::keyClick(w.tree(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    // A new leaf comes back as it was shown when it was left: empty, in the box's first category.
    const QStringList done = snapshot();
    QCOMPARE(done.first(), after);
    // The menu items act on the outline too, and Ctrl+Y redoes.
    w.ui.Undo1->trigger();
    QCOMPARE(snapshot(), before);
    QTest::keyClick(w.tree(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(snapshot(), done);
    // The editor shows the current leaf's text as the step left it.
    QCOMPARE(w.editorText(), textOf(w.tree()->currentItem()));
}

void OutlineCommandsTest::editorKeepsItsOwnUndoOfTyping()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.build(QStringLiteral("A B"));
    w.select(QStringLiteral("B"));
    w.ui.MoveUp1->trigger();
    QCOMPARE(w.form.history().count(), 1);
    w.ui.RichEdit1->setFocus();
    w.ui.RichEdit1->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.ui.RichEdit1, QStringLiteral(" more"));
    // Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y in the editor are its own: the outline's history stays as it was.
    QTest::keyClick(w.ui.RichEdit1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.editorText(), QStringLiteral("text of B"));
    QTest::keyClick(w.ui.RichEdit1, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(w.editorText(), QStringLiteral("text of B more"));
    QTest::keyClick(w.ui.RichEdit1, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(w.ui.RichEdit1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w.editorText(), QStringLiteral("text of B more"));
    QCOMPARE(w.form.history().count(), 1);
    QCOMPARE(w.outline(), QStringLiteral("B A"));
    // The menu item undoes the outline even from the editor: the typing first becomes a step of its own.
    w.ui.Undo1->trigger();
    QCOMPARE(w.outline(), QStringLiteral("B A"));
    QCOMPARE(textOf(w.item(QStringLiteral("B"))), QStringLiteral("text of B"));
    w.ui.Undo1->trigger();
    QCOMPARE(w.outline(), QStringLiteral("A B"));
}
