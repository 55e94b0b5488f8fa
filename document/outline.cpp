// The rules of the outline: levels, placements, taking out and moving leaves.
#include "document/outline.h"

namespace outline {

namespace {

OutlineNode *previousSibling(const OutlineNode *node)
{
    OutlineNode *container = containerOf(node);
    return container != nullptr ? container->child(node->row() - 1) : nullptr;
}

}  // namespace

int levelOf(const OutlineNode *node)
{
    int level = 0;
    for (const OutlineNode *p = node != nullptr ? node->parent() : nullptr; p != nullptr; p = p->parent()) {
        ++level;
    }
    return level;
}

int subtreeSize(const OutlineNode *node)
{
    if (node == nullptr) {
        return 0;
    }
    // Most nodes have no children: no walk needed.
    if (node->childCount() == 0) {
        return 1;
    }
    int count = 0;
    std::vector<const OutlineNode *> stack{node};
    while (!stack.empty()) {
        const OutlineNode *next = stack.back();
        stack.pop_back();
        ++count;
        for (int i = 0; i < next->childCount(); ++i) {
            stack.push_back(next->child(i));
        }
    }
    return count;
}

OutlineNode *containerOf(const OutlineNode *node)
{
    if (node == nullptr) {
        return nullptr;
    }
    if (node->parent() != nullptr) {
        return node->parent();
    }
    const OutlineModel *tree = node->model();
    return tree != nullptr && node->row() >= 0 ? tree->root() : nullptr;
}

OutlineNode *displayPredecessor(const OutlineNode *node)
{
    if (node == nullptr) {
        return nullptr;
    }
    OutlineNode *before = previousSibling(node);
    if (before == nullptr) {
        return node->parent();
    }
    while (before->childCount() > 0) {
        before = before->child(before->childCount() - 1);
    }
    return before;
}

OutlineNode *successorOnRemoval(const OutlineNode *node)
{
    OutlineNode *container = containerOf(node);
    if (container == nullptr) {
        return nullptr;
    }
    if (OutlineNode *next = container->child(node->row() + 1)) {
        return next;
    }
    if (OutlineNode *previous = container->child(node->row() - 1)) {
        return previous;
    }
    return node->parent();
}

bool isDescendantOf(const OutlineNode *node, const OutlineNode *ancestor)
{
    if (node == nullptr || ancestor == nullptr) {
        return false;
    }
    for (const OutlineNode *p = node->parent(); p != nullptr; p = p->parent()) {
        if (p == ancestor) {
            return true;
        }
    }
    return false;
}

void insertNode(OutlineModel &tree, OutlineNode *node, Placement placement, OutlineNode *target)
{
    switch (placement) {
    case Placement::LastChild:
        if (target != nullptr) {
            target->addChild(node);
            return;
        }
        break;
    case Placement::LastSibling:
        if (OutlineNode *container = containerOf(target)) {
            container->addChild(node);
            return;
        }
        break;
    case Placement::Before:
        if (OutlineNode *container = containerOf(target)) {
            container->insertChild(target->row(), node);
            return;
        }
        break;
    }
    // No target: the last top-level leaf.
    tree.root()->addChild(node);
}

std::unique_ptr<OutlineNode> takeNode(OutlineModel &tree, OutlineNode *node)
{
    OutlineNode *container = containerOf(node);
    if (container == nullptr || node->model() != &tree) {
        return nullptr;
    }
    return std::unique_ptr<OutlineNode>(container->takeChild(node->row()));
}

bool isMoveRefused(const OutlineNode *leaf, Placement placement, const OutlineNode *target)
{
    return leaf == nullptr || (target == nullptr && placement != Placement::LastSibling) ||
           isDescendantOf(target, leaf);
}

MoveResult plannedMove(const OutlineNode *leaf, Placement placement, const OutlineNode *target)
{
    if (isMoveRefused(leaf, placement, target) || (placement == Placement::Before && containerOf(target) == nullptr)) {
        return MoveResult::Refused;
    }
    const bool stays = placement == Placement::Before ? previousSibling(target) == leaf : target == leaf;
    return stays ? MoveResult::Stayed : MoveResult::Moved;
}

MoveResult moveNode(OutlineModel &tree, OutlineNode *leaf, Placement placement, OutlineNode *target)
{
    const MoveResult planned = plannedMove(leaf, placement, target);
    if (planned != MoveResult::Moved) {
        return planned;
    }
    // "Before T" means directly after T's previous sibling, or first in T's list; T may be the leaf itself,
    // so the place is fixed before the leaf leaves the tree.
    OutlineNode *beforeList = placement == Placement::Before ? containerOf(target) : nullptr;
    OutlineNode *beforeAnchor = placement == Placement::Before ? previousSibling(target) : nullptr;
    if (placement == Placement::Before && beforeList == nullptr) {
        return MoveResult::Refused;
    }
    std::unique_ptr<OutlineNode> taken = takeNode(tree, leaf);
    if (!taken) {
        return MoveResult::Refused;
    }
    if (placement == Placement::Before) {
        beforeList->insertChild(beforeAnchor != nullptr ? beforeAnchor->row() + 1 : 0, taken.release());
    } else {
        insertNode(tree, taken.release(), placement, target);
    }
    return MoveResult::Moved;
}

}  // namespace outline
