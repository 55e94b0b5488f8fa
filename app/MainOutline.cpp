// The outline commands of the main window: add, prune, move right and left, drag and drop.
#include "app/Main.h"

#include "app/completingcombo.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/copylines.h"
#include "app/droppoint.h"
#include "document/outline.h"

#include <QAction>
#include <QDragMoveEvent>
#include <QTabWidget>
#include <QToolButton>

#include <memory>

void TForm1::bindOutlineHandlers()
{
    bindCommand(MoveLeft1, MoveLeftButton, &TForm1::OutBtnClick);
    bindCommand(MoveRight1, MoveRightButton, &TForm1::InBtnClick);
    bindCommand(Add1, AddLeafButton, &TForm1::AddBtnClick);
    bindCommand(AddChild1, AddLeafBelowButton, &TForm1::AddChildBtnClick);
    bindCommand(AddAbove1, AddLeafAboveButton, &TForm1::InsertBtnClick);
    bindCommand(Remove1, PruneButton, &TForm1::DelBtnClick);

    // Direct connection: the tree reads the answer from the event once the handler has run.
    connect(TreeView1, &OutlineTree::leafDraggedOver, this, [this](QDragMoveEvent *event) {
        bool accept = true;
        guarded([&] { accept = TreeView1DragOver(event->position().toPoint()); });
        if (!accept) {
            event->ignore();
        }
    });
    connect(TreeView1, &OutlineTree::leafDropped, this,
            [this](const QPoint &pos) { guarded([&] { TreeView1DragDrop(pos); }); });
}

// Everything the three add commands do after the node is in the tree, up to the editor's recording.
void TForm1::selectAndEditNewLeaf(OutlineNode *item)
{
    // The selection handlers store the leaf that was selected and load the new record.
    TreeView1->setCurrentItem(item);
    TreeView1->editItem(item);
    // The keyboard stays in the caption edit box; the editor's exit handling runs once the keyboard
    // reaches any other control of the window.
    setActiveControl(RichEdit1);
}

// Empties the editor and shows the first category, from code: neither counts as a change by the user,
// so nothing is stored into any leaf.
void TForm1::resetEditorAndBox()
{
    RichEdit1->clear();
    CompletingComboBox *box = TreeViewComboBox;
    const QString first = box->count() > 0 ? box->itemText(0) : QString();
    box->setCurrentIndex(box->count() > 0 ? 0 : -1);
    box->setEditText(first);
}

OutlineNode *TForm1::leafOfEditorText() const
{
    auto *node = new OutlineNode(NewLeafCaption);
    CopyLines(*RichEdit1->document(), node->record()->Notes);
    return node;
}

void TForm1::moveSelectedLeaf(outline::Placement placement, OutlineNode *target)
{
    // A move stores nothing into and loads nothing from any leaf.
    const SelectionHandlersOff handlersOff(*this);
    TreeView1->moveNode(TreeView1->currentItem(), placement, target);
}

// Prune and the moves end with the keyboard in the tree. While the Groups page is in front the tree is
// hidden: focusing it would only pull the keyboard there later, so the focus is left alone.
void TForm1::focusTree()
{
    if (PageControl != nullptr && PageControl->currentWidget() != TreeViewPage) {
        return;
    }
    TreeView1->setFocus();
}

void TForm1::AddBtnClick()
{
    OutlineNode *item = leafOfEditorText();
    item->record()->setCategory(TreeViewComboBox->currentText());
    outline::insertNode(TreeView1->outline(), item, outline::Placement::LastSibling, TreeView1->currentItem());
    selectAndEditNewLeaf(item);
    resetEditorAndBox();
}

void TForm1::InsertBtnClick()
{
    if (TreeView1->outline().isEmpty()) {
        AddBtnClick();
        return;
    }
    if (!HasSelectedLeaf()) {
        return;
    }
    // The new leaf starts as a copy of the selected leaf's text, with category "Unknown".
    OutlineNode *item = leafOfEditorText();
    outline::insertNode(TreeView1->outline(), item, outline::Placement::Before, TreeView1->currentItem());
    selectAndEditNewLeaf(item);
}

void TForm1::AddChildBtnClick()
{
    if (TreeView1->outline().isEmpty()) {
        AddBtnClick();
        return;
    }
    if (!HasSelectedLeaf()) {
        return;
    }
    OutlineNode *parent = TreeView1->currentItem();
    OutlineNode *item = leafOfEditorText();
    outline::insertNode(TreeView1->outline(), item, outline::Placement::LastChild, parent);
    TreeView1->setExpanded(parent, true);
    selectAndEditNewLeaf(item);
    resetEditorAndBox();
}

void TForm1::DelBtnClick()
{
    if (!HasSelectedLeaf()) {
        return;
    }
    OutlineNode *pruned = TreeView1->currentItem();
    // The remove routine first moves the selection where the tree would put it, with the handlers
    // running while the pruned leaf is whole: its texts are stored before the next leaf is loaded.
    if (pruned->childCount() > 0) {
        // Then the node just before the pruned one in display order becomes current, even inside a
        // collapsed subtree; it lies before the pruned subtree, so it outlives the removal.
        OutlineNode *before = outline::displayPredecessor(pruned);
        TreeView1->removeNode(pruned);
        if (before != nullptr) {
            TreeView1->setCurrentItem(before);
        }
    } else {
        TreeView1->removeNode(pruned);
    }
    focusTree();
}

void TForm1::InBtnClick()
{
    if (HasSelectedLeaf()) {
        OutlineNode *leaf = TreeView1->currentItem();
        if (leaf->row() > 0) {
            moveSelectedLeaf(outline::Placement::LastChild, outline::containerOf(leaf)->child(leaf->row() - 1));
        }
    }
    focusTree();
}

void TForm1::OutBtnClick()
{
    if (HasSelectedLeaf()) {
        OutlineNode *leaf = TreeView1->currentItem();
        if (leaf->parent() != nullptr) {
            // To the end of the parent's list, after all later siblings of the parent.
            moveSelectedLeaf(outline::Placement::LastSibling, leaf->parent());
        }
    }
    focusTree();
}

bool TForm1::TreeView1DragOver(const QPoint &)
{
    return true;
}

void TForm1::TreeView1DragDrop(const QPoint &pos)
{
    if (!HasSelectedLeaf()) {
        return;
    }
    const DropPlan plan = classifyDropPoint(*TreeView1, pos, TreeView1->buttonsShown());
    switch (plan.action) {
    case DropPlan::Nothing:
        return;
    case DropPlan::LastChild:
        moveSelectedLeaf(outline::Placement::LastChild, plan.target);
        return;
    case DropPlan::LastTopLevel:
        moveSelectedLeaf(outline::Placement::LastSibling, nullptr);
        return;
    case DropPlan::Before:
        moveSelectedLeaf(outline::Placement::Before, plan.target);
        return;
    }
}

