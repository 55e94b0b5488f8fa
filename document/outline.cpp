// The rules of the outline: display order, levels, absolute indices, placements, removing and moving leaves.
#include "document/outline.h"

#include "document/outlinemodel.h"


#include <algorithm>
#include <vector>

namespace outline {

namespace {

// Puts a new node in its place without any care for the tree's layout work.
void insertDirectly(OutlineModel &tree, OutlineItem *item, Placement placement, OutlineItem *target);

// The list an item belongs to: its parent's children, or the tree's top-level list.
OutlineItem *containerOf(const OutlineItem *item)
{
    if (item->parent() != nullptr) {
        return item->parent();
    }
    OutlineModel *tree = item->model();
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
bool takeOut(OutlineModel &tree, OutlineItem *item)
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

OutlineItem *itemAtAbsoluteIndex(const OutlineModel &tree, int index)
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

QList<OutlineItem *> displayOrder(const OutlineModel &tree)
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

void insertItem(OutlineModel &tree, OutlineItem *item, Placement placement, OutlineItem *target)
{
    insertDirectly(tree, item, placement, target);
}

namespace {

void insertDirectly(OutlineModel &tree, OutlineItem *item, Placement placement, OutlineItem *target)
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

void removeItem(OutlineModel &tree, OutlineItem *item)
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

MoveResult moveItem(OutlineModel &tree, OutlineItem *leaf, Placement placement, OutlineItem *target)
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

}  // namespace outline
