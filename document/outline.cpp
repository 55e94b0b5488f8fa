// The rules of the outline: display order, levels, absolute indices, placements, removing and moving leaves.
#include "document/outline.h"

#include "document/outlinewidget.h"

#include <QFontMetrics>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <vector>

namespace outline {

namespace {

// Puts a new node in its place without any care for the tree's layout work.
void insertDirectly(OutlineWidget &tree, OutlineItem *item, Placement placement, OutlineItem *target);

// The list an item belongs to: its parent's children, or the tree's top-level list.
OutlineItem *containerOf(const OutlineItem *item)
{
    if (item->parent() != nullptr) {
        return item->parent();
    }
    OutlineWidget *tree = item->treeWidget();
    return tree != nullptr ? tree->invisibleRootItem() : nullptr;
}

OutlineItem *previousSibling(const OutlineItem *item)
{
    OutlineItem *container = containerOf(item);
    if (container == nullptr) {
        return nullptr;
    }
    const int i = container->indexOfChild(const_cast<OutlineItem *>(item));
    return i > 0 ? container->child(i - 1) : nullptr;
}

// Where the tree control moves its current item when that item goes away: the row below, else the
// row above, else the parent, else nothing.
OutlineItem *successorOnRemoval(const OutlineItem *item)
{
    OutlineItem *container = containerOf(item);
    if (container == nullptr) {
        return nullptr;
    }
    const int i = container->indexOfChild(const_cast<OutlineItem *>(item));
    if (i + 1 < container->childCount()) {
        return container->child(i + 1);
    }
    if (i > 0) {
        return container->child(i - 1);
    }
    return item->parent();
}

// Takes an item out of its list without deleting it. Returns false when it is in no list.
bool takeOut(OutlineWidget &tree, OutlineItem *item)
{
    if (OutlineItem *parent = item->parent()) {
        parent->takeChild(parent->indexOfChild(item));
        return true;
    }
    const int i = tree.indexOfTopLevelItem(item);
    if (i < 0) {
        return false;
    }
    tree.takeTopLevelItem(i);
    return true;
}

// Only nodes that are expanded need a call: collapsing a hidden node costs a search in the view.
void collapseSubtree(OutlineItem *root)
{
    std::vector<OutlineItem *> stack{root};
    while (!stack.empty()) {
        OutlineItem *node = stack.back();
        stack.pop_back();
        if (node->isExpanded()) {
            node->setExpanded(false);
        }
        for (int i = 0; i < node->childCount(); ++i) {
            stack.push_back(node->child(i));
        }
    }
}

// The right edge of what counts as a row's caption: the text's start plus its advance width and a margin
// on each side, as the item delegate draws it. The text rectangle itself runs to the row's end.
int captionRight(const OutlineWidget &tree, const OutlineItem *item, const QRect &rowRect)
{
    QStyle *style = tree.style();
    QStyleOptionViewItem opt;
    opt.initFrom(&tree);
    opt.widget = &tree;
    opt.rect = rowRect;
    const QVariant fontData = item->data(0, Qt::FontRole);
    opt.font = fontData.isValid() ? fontData.value<QFont>().resolve(tree.font()) : tree.font();
    opt.fontMetrics = QFontMetrics(opt.font);
    opt.text = item->text(0);
    opt.features = QStyleOptionViewItem::HasDisplay;
    opt.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    opt.decorationPosition = QStyleOptionViewItem::Left;
    const QIcon icon = item->icon(0);
    if (!icon.isNull()) {
        opt.features |= QStyleOptionViewItem::HasDecoration;
        opt.icon = icon;
        const int small = style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &tree);
        opt.decorationSize = tree.iconSize().isValid() ? tree.iconSize() : QSize(small, small);
    }
    if (item->data(0, Qt::CheckStateRole).isValid()) {
        opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    }
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, &tree);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &tree) + 1;
    const int right = textRect.left() + margin + opt.fontMetrics.horizontalAdvance(opt.text) + margin;
    return std::min(right, rowRect.right() + 1);
}

}  // namespace

int levelOf(const OutlineItem *item)
{
    int level = 0;
    for (const OutlineItem *p = item != nullptr ? item->parent() : nullptr; p != nullptr; p = p->parent()) {
        ++level;
    }
    return level;
}

int subtreeSize(const OutlineItem *item)
{
    if (item == nullptr) {
        return 0;
    }
    // Most nodes have no children: no walk needed.
    if (item->childCount() == 0) {
        return 1;
    }
    int count = 0;
    std::vector<const OutlineItem *> stack{item};
    while (!stack.empty()) {
        const OutlineItem *node = stack.back();
        stack.pop_back();
        ++count;
        for (int i = 0; i < node->childCount(); ++i) {
            stack.push_back(node->child(i));
        }
    }
    return count;
}

int absoluteIndexOf(const OutlineItem *item)
{
    if (item == nullptr) {
        return -1;
    }
    // Every node before item in display order is an ancestor or lies in the subtree of an earlier
    // sibling of item or of one of its ancestors.
    int index = 0;
    for (const OutlineItem *node = item; node != nullptr; node = node->parent()) {
        const OutlineItem *container = containerOf(node);
        if (container == nullptr) {
            break;
        }
        const int position = container->indexOfChild(const_cast<OutlineItem *>(node));
        for (int i = 0; i < position; ++i) {
            index += subtreeSize(container->child(i));
        }
        if (node->parent() != nullptr) {
            index += 1;  // the parent itself
        }
    }
    return index;
}

OutlineItem *itemAtAbsoluteIndex(const OutlineWidget &tree, int index)
{
    if (index < 0) {
        return nullptr;
    }
    const OutlineItem *container = tree.invisibleRootItem();
    int remaining = index;
    for (;;) {
        OutlineItem *next = nullptr;
        for (int i = 0; i < container->childCount(); ++i) {
            OutlineItem *child = container->child(i);
            if (remaining == 0) {
                return child;
            }
            const int size = subtreeSize(child);
            if (remaining < size) {
                next = child;
                remaining -= 1;  // step over child itself into its children
                break;
            }
            remaining -= size;
        }
        if (next == nullptr) {
            return nullptr;
        }
        container = next;
    }
}

OutlineItem *displayPredecessor(const OutlineItem *item)
{
    if (item == nullptr) {
        return nullptr;
    }
    OutlineItem *node = previousSibling(item);
    if (node == nullptr) {
        return item->parent();
    }
    while (node->childCount() > 0) {
        node = node->child(node->childCount() - 1);
    }
    return node;
}

QList<OutlineItem *> displayOrder(const OutlineWidget &tree)
{
    QList<OutlineItem *> order;
    std::vector<OutlineItem *> stack;
    const OutlineItem *root = tree.invisibleRootItem();
    for (int i = root->childCount() - 1; i >= 0; --i) {
        stack.push_back(root->child(i));
    }
    while (!stack.empty()) {
        OutlineItem *node = stack.back();
        stack.pop_back();
        order.append(node);
        for (int i = node->childCount() - 1; i >= 0; --i) {
            stack.push_back(node->child(i));
        }
    }
    return order;
}

bool isDescendantOf(const OutlineItem *item, const OutlineItem *ancestor)
{
    if (item == nullptr || ancestor == nullptr) {
        return false;
    }
    for (const OutlineItem *p = item->parent(); p != nullptr; p = p->parent()) {
        if (p == ancestor) {
            return true;
        }
    }
    return false;
}

namespace {

// The node whose child list receives a new node at a placement; null for the top-level list.
OutlineItem *receivingParent(Placement placement, OutlineItem *target)
{
    if (target == nullptr) {
        return nullptr;
    }
    return placement == Placement::LastChild ? target : target->parent();
}

// A row added under an expanded node makes the tree lay out every row again (milliseconds on a
// 100,000-leaf outline); under a collapsed node it does not. So that node is collapsed for the insertion
// and expanded again, which lays out its own subtree only; the scroll position is kept and no expand or
// collapse is reported. Not while a caption is being edited: hiding the edit box would end the edit.
template<typename Insert>
void insertWithoutFullLayout(OutlineWidget &tree, OutlineItem *parent, Insert insert)
{
    // An open edit box is shown on the tree's viewport; closed ones are hidden until they are deleted.
    const QList<QWidget *> boxes = tree.viewport()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    const bool editing = std::any_of(boxes.begin(), boxes.end(), [](const QWidget *w) { return !w->isHidden(); });
    if (parent == nullptr || parent->childCount() == 0 || editing || !parent->isExpanded()) {
        insert();
        return;
    }
    const QSignalBlocker quiet(&tree);
    QScrollBar *bar = tree.verticalScrollBar();
    const int top = bar->value();
    parent->setExpanded(false);
    insert();
    parent->setExpanded(true);
    bar->setValue(top);
}

}  // namespace

void insertItem(OutlineWidget &tree, OutlineItem *item, Placement placement, OutlineItem *target)
{
    insertWithoutFullLayout(tree, receivingParent(placement, target),
                            [&] { insertDirectly(tree, item, placement, target); });
}

namespace {

void insertDirectly(OutlineWidget &tree, OutlineItem *item, Placement placement, OutlineItem *target)
{
    switch (placement) {
    case Placement::LastChild:
        if (target != nullptr) {
            target->addChild(item);
            return;
        }
        break;
    case Placement::LastSibling:
        if (target != nullptr && target->parent() != nullptr) {
            target->parent()->addChild(item);
            return;
        }
        break;
    case Placement::Before:
        if (target != nullptr) {
            if (OutlineItem *parent = target->parent()) {
                parent->insertChild(parent->indexOfChild(target), item);
            } else {
                tree.insertTopLevelItem(tree.indexOfTopLevelItem(target), item);
            }
            return;
        }
        break;
    }
    // No target: the last top-level leaf.
    tree.addTopLevelItem(item);
}

}  // namespace

void removeItem(OutlineWidget &tree, OutlineItem *item)
{
    if (item == nullptr) {
        return;
    }
    OutlineItem *current = tree.currentItem();
    if (current != nullptr && (current == item || isDescendantOf(current, item))) {
        // Reported as an ordinary selection change while the leaving node is whole.
        tree.setCurrentItem(successorOnRemoval(item));
    }
    if (takeOut(tree, item)) {
        delete item;
    }
}

bool isMoveRefused(const OutlineItem *leaf, Placement placement, const OutlineItem *target)
{
    return leaf == nullptr || (target == nullptr && placement != Placement::LastSibling) ||
           isDescendantOf(target, leaf);
}

MoveResult moveItem(OutlineWidget &tree, OutlineItem *leaf, Placement placement, OutlineItem *target)
{
    if (isMoveRefused(leaf, placement, target)) {
        return MoveResult::Refused;
    }
    const bool stays = placement == Placement::Before ? previousSibling(target) == leaf : target == leaf;
    if (stays) {
        if (OutlineItem *parent = leaf->parent()) {
            parent->setExpanded(true);
        }
        tree.setCurrentItem(leaf);
        return MoveResult::Stayed;
    }

    OutlineItem *formerParent = leaf->parent();
    // "Before T" means directly after T's previous sibling, or first in T's list; T may be the leaf itself,
    // so the place is fixed before the leaf leaves the tree.
    OutlineItem *beforeList = placement == Placement::Before ? containerOf(target) : nullptr;
    OutlineItem *beforeAnchor = placement == Placement::Before ? previousSibling(target) : nullptr;
    if (placement == Placement::Before && beforeList == nullptr) {
        return MoveResult::Refused;
    }
    // A parent left without children is collapsed, and stays so when it gains children again; a view
    // refuses to collapse a node that has none, so that happens while the leaf is still there.
    if (formerParent != nullptr && formerParent->childCount() == 1) {
        formerParent->setExpanded(false);
    }
    if (!takeOut(tree, leaf)) {
        return MoveResult::Refused;
    }
    if (placement == Placement::Before) {
        const int at = beforeAnchor != nullptr ? beforeList->indexOfChild(beforeAnchor) + 1 : 0;
        beforeList->insertChild(at, leaf);
    } else {
        // The tree lays out everything anyway once a row has left it.
        insertDirectly(tree, leaf, placement, target);
    }
    if (formerParent != nullptr && formerParent->childCount() == 0) {
        formerParent->setChildIndicatorPolicy(OutlineItem::DontShowIndicatorWhenChildless);
    }
    collapseSubtree(leaf);
    if (OutlineItem *parent = leaf->parent()) {
        parent->setExpanded(true);
    }
    tree.setCurrentItem(leaf);
    return MoveResult::Moved;
}

DropPlan classifyDropPoint(const OutlineWidget &tree, const QPoint &pos, bool buttonsShown)
{
    DropPlan plan;
    if (!tree.viewport()->rect().contains(pos)) {
        return plan;
    }
    OutlineItem *item = tree.itemAt(pos);
    if (item == nullptr) {
        // Inside the viewport but under no row: below the last one.
        plan.action = DropPlan::LastTopLevel;
        return plan;
    }
    plan.target = item;
    const QRect row = tree.visualItemRect(item);
    if (pos.x() < row.left()) {
        // Left of the icon and caption: the branch cell holds the expand button when the node has
        // children; without children it shows only tree lines and counts as indentation.
        const bool hasBranchCell = tree.rootIsDecorated() || item->parent() != nullptr;
        const bool inBranchCell = hasBranchCell && pos.x() >= row.left() - tree.indentation();
        const bool hasButton = buttonsShown && (item->childCount() > 0 ||
                                                item->childIndicatorPolicy() == OutlineItem::ShowIndicator);
        plan.action = inBranchCell && hasButton ? DropPlan::Nothing : DropPlan::Before;
        return plan;
    }
    plan.action = pos.x() < captionRight(tree, item, row) ? DropPlan::LastChild : DropPlan::Nothing;
    return plan;
}

}  // namespace outline
