// The rules of the outline: the display-order walk, levels, placements, taking out and moving leaves.
#pragma once

#include "document/outlinemodel.h"

#include <memory>
#include <utility>
#include <vector>

namespace outline {

// Visits every node below container in display order (a node, then the subtrees of its children in
// order) as visit(node, level): firstLevel for container's children, one more than its parent's otherwise.
// No recursion: outlines can be as deep as they are long.
template <typename Visit>
void walkBelow(const OutlineNode &container, int firstLevel, Visit &&visit)
{
    std::vector<std::pair<const OutlineNode *, int>> stack;  // a container and the next child to visit
    stack.emplace_back(&container, 0);
    while (!stack.empty()) {
        auto &top = stack.back();
        if (top.second >= top.first->childCount()) {
            stack.pop_back();
            continue;
        }
        OutlineNode *child = top.first->child(top.second++);
        visit(child, int(stack.size()) - 1 + firstLevel);
        if (child->childCount() > 0) {
            stack.emplace_back(child, 0);
        }
    }
}

// Every node of the tree, whether a view shows it open or not: level 0 for a top-level leaf.
template <typename Visit>
void walk(const OutlineModel &tree, Visit &&visit)
{
    walkBelow(*tree.root(), 0, visit);
}

// A leaf and its subtree, the leaf at level 0. The leaf itself comes as a const node.
template <typename Visit>
void walkSubtree(const OutlineNode &leaf, Visit &&visit)
{
    visit(&leaf, 0);
    walkBelow(leaf, 1, visit);
}

// Where a leaf lands relative to a target leaf T.
enum class Placement {
    LastChild,    // after all existing children of T
    LastSibling,  // at the end of T's sibling list; with no T, the last top-level leaf
    Before,       // immediately before T, under T's parent
};

// 0 for a top-level leaf, one more than its parent's otherwise.
int levelOf(const OutlineNode *node);
// The number of nodes in the subtree of node, node included.
int subtreeSize(const OutlineNode *node);
// The list a node belongs to: its parent, or the tree's root for a top-level node; null in no tree.
OutlineNode *containerOf(const OutlineNode *node);
// The node just before node in display order (the last node of the previous sibling's subtree, else the
// parent); null for the first node. Costs a walk down one branch.
OutlineNode *displayPredecessor(const OutlineNode *node);
// Where the current leaf goes when node leaves the tree: the next sibling, else the previous one, else
// the parent, else none.
OutlineNode *successorOnRemoval(const OutlineNode *node);
// True when node lies strictly below ancestor.
bool isDescendantOf(const OutlineNode *node, const OutlineNode *ancestor);

// Adds a new node (in no tree yet) at a placement. LastChild and Before need a target.
void insertNode(OutlineModel &tree, OutlineNode *node, Placement placement, OutlineNode *target);

// Takes node with its subtree out of the tree; whoever holds the result keeps it alive. Null when the
// node is in no tree. Records stay alive as long as anything else refers to them.
std::unique_ptr<OutlineNode> takeNode(OutlineModel &tree, OutlineNode *node);

// What a move did.
enum class MoveResult {
    Refused,  // the target lies inside the moved subtree: nothing changed
    Stayed,   // the leaf is already at that place: nothing changed
    Moved,    // the subtree was taken out and put in at its new place
};

// True when moving leaf to a placement relative to target cannot be done: no leaf, no target where one
// is needed, or a target inside the leaf's own subtree (the leaf would become its own ancestor).
bool isMoveRefused(const OutlineNode *leaf, Placement placement, const OutlineNode *target);

// What moveNode would do, without doing it.
MoveResult plannedMove(const OutlineNode *leaf, Placement placement, const OutlineNode *target);

// Moves leaf with its subtree to a placement relative to target (null target only with LastSibling).
MoveResult moveNode(OutlineModel &tree, OutlineNode *leaf, Placement placement, OutlineNode *target);

}  // namespace outline
