// The outline commands of the main window: add, prune, move left, right, up and down, drag and drop. Each
// change is a step of the outline's history.
#include "app/Main.h"

#include <QScopeGuard>

#include "app/completingcombo.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/copylines.h"
#include "app/droppoint.h"
#include "document/commands.h"
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
    bindCommand(MoveUp1, nullptr, &TForm1::MoveUpClick);
    bindCommand(MoveDown1, nullptr, &TForm1::MoveDownClick);

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

void TForm1::selectAndEditEmptiedLeaf(OutlineNode *item)
{
    // The editor is emptied right after the selection loads the new leaf: its text is not read only to go.
    emptiesNextLoad_ = true;
    const auto reading = qScopeGuard([this] { emptiesNextLoad_ = false; });
    selectAndEditNewLeaf(item);
    resetEditorAndBox();
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

void TForm1::insertNewLeaf(const QString &step, OutlineNode *leaf, outline::Placement placement,
                           OutlineNode *target)
{
    OutlineModel &tree = TreeView1->outline();
    commands::Place at;
    switch (placement) {
    case outline::Placement::LastChild:
        at = {target, target->childCount()};
        break;
    case outline::Placement::LastSibling: {
        OutlineNode *container = target != nullptr ? outline::containerOf(target) : tree.root();
        at = {container, container->childCount()};
        break;
    }
    case outline::Placement::Before:
        at = commands::placeOf(target);
        break;
    }
    history_->push(new commands::InsertLeaves(tree, step, {leaf}, at, TreeView1->currentItem()));
    // What the new leaf's record takes from the editor and the box until it is first left is part of
    // this step.
    freshLeaf_ = leaf;
    freshIndex_ = history_->index();
}

OutlineNode *TForm1::leafOfEditorText() const
{
    auto *node = new OutlineNode(NewLeafCaption);
    if (shownRecord_ != nullptr && RichEdit1->document()->revision() == shownRevision_) {
        // Nothing typed since the shown record was loaded or stored: the editor shows its bytes.
        node->record()->Notes = shownRecord_->Notes;
    } else {
        CopyLines(*RichEdit1->document(), node->record()->Notes);
    }
    return node;
}

void TForm1::moveSelectedLeaf(const QString &step, outline::Placement placement, OutlineNode *target)
{
    // A move stores nothing into and loads nothing from any leaf: text typed before it becomes a step
    // when the leaf is left.
    const SelectionHandlersOff handlersOff(*this);
    OutlineNode *leaf = TreeView1->currentItem();
    const outline::MoveResult planned = outline::plannedMove(leaf, placement, target);
    if (planned == outline::MoveResult::Moved) {
        history_->push(new commands::MoveLeaf(TreeView1->outline(), step, leaf, placement, target));
    }
    TreeView1->showMove(leaf, planned);
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
    storeShownLeaf();
    OutlineNode *item = leafOfEditorText();
    item->record()->setCategory(TreeViewComboBox->currentText());
    insertNewLeaf(QStringLiteral("Add Leaf"), item, outline::Placement::LastSibling, TreeView1->currentItem());
    selectAndEditEmptiedLeaf(item);
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
    storeShownLeaf();
    // The new leaf starts as a copy of the selected leaf's text, with category "Unknown".
    OutlineNode *item = leafOfEditorText();
    insertNewLeaf(QStringLiteral("Add Leaf Above"), item, outline::Placement::Before, TreeView1->currentItem());
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
    storeShownLeaf();
    OutlineNode *parent = TreeView1->currentItem();
    OutlineNode *item = leafOfEditorText();
    insertNewLeaf(QStringLiteral("Add Leaf Below"), item, outline::Placement::LastChild, parent);
    TreeView1->setExpanded(parent, true);
    selectAndEditEmptiedLeaf(item);
}

void TForm1::DelBtnClick()
{
    if (!HasSelectedLeaf()) {
        return;
    }
    removeSelectedLeaf(QStringLiteral("Prune"));
    focusTree();
}

void TForm1::removeSelectedLeaf(const QString &step)
{
    storeShownLeaf();
    OutlineNode *pruned = TreeView1->currentItem();
    // The node just before a pruned one with children in display order becomes current, even inside a
    // collapsed subtree; it lies before the pruned subtree, so it outlives the removal.
    OutlineNode *before = pruned->childCount() > 0 ? outline::displayPredecessor(pruned) : nullptr;
    // First the selection moves where the tree would put it, with the handlers running while the pruned
    // leaf is whole: its texts are stored before the next leaf is loaded.
    TreeView1->moveCurrentOutOf(pruned);
    history_->push(new commands::RemoveLeaf(TreeView1->outline(), step, pruned,
                                            before != nullptr ? before : TreeView1->currentItem()));
    if (before != nullptr) {
        TreeView1->setCurrentItem(before);
    }
}

void TForm1::InBtnClick()
{
    if (HasSelectedLeaf()) {
        OutlineNode *leaf = TreeView1->currentItem();
        if (leaf->row() > 0) {
            moveSelectedLeaf(QStringLiteral("Move Right"), outline::Placement::LastChild,
                             outline::containerOf(leaf)->child(leaf->row() - 1));
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
            moveSelectedLeaf(QStringLiteral("Move Left"), outline::Placement::LastSibling, leaf->parent());
        }
    }
    focusTree();
}

void TForm1::MoveUpClick()
{
    // Changes place with the previous sibling; the first of its siblings stays.
    if (HasSelectedLeaf()) {
        OutlineNode *leaf = TreeView1->currentItem();
        if (OutlineNode *previous = outline::containerOf(leaf)->child(leaf->row() - 1)) {
            moveSelectedLeaf(QStringLiteral("Move Up"), outline::Placement::Before, previous);
        }
    }
    focusTree();
}

void TForm1::MoveDownClick()
{
    // Changes place with the next sibling; the last of its siblings stays.
    if (HasSelectedLeaf()) {
        OutlineNode *leaf = TreeView1->currentItem();
        OutlineNode *container = outline::containerOf(leaf);
        if (OutlineNode *next = container->child(leaf->row() + 1)) {
            if (OutlineNode *afterNext = container->child(leaf->row() + 2)) {
                moveSelectedLeaf(QStringLiteral("Move Down"), outline::Placement::Before, afterNext);
            } else {
                moveSelectedLeaf(QStringLiteral("Move Down"), outline::Placement::LastSibling, next);
            }
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
        moveSelectedLeaf(QStringLiteral("Drag"), outline::Placement::LastChild, plan.target);
        return;
    case DropPlan::LastTopLevel:
        moveSelectedLeaf(QStringLiteral("Drag"), outline::Placement::LastSibling, nullptr);
        return;
    case DropPlan::Before:
        moveSelectedLeaf(QStringLiteral("Drag"), outline::Placement::Before, plan.target);
        return;
    }
}

