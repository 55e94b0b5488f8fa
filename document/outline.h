// The rules of the outline: display order, levels, absolute indices, placements, removing and moving leaves.
#pragma once

#include <QList>

class OutlineModel;
class OutlineItem;

namespace outline {

// Where a leaf lands relative to a target leaf T.
enum class Placement {
    LastChild,    // after all existing children of T
    LastSibling,  // at the end of T's sibling list; with no T, the last top-level leaf
    Before,       // immediately before T, under T's parent
};

// 0 for a top-level leaf, one more than its parent's otherwise.
int levelOf(const OutlineItem *item);
// The number of nodes in the subtree of item, item included.
int subtreeSize(const OutlineItem *item);
// Position in display order (a node, then the subtrees of its children in order), counting every node
// whether its parent is expanded or not. One walk over the nodes before it; -1 for null.
int absoluteIndexOf(const OutlineItem *item);
// The node at an absolute index, or null when there is none. Skips whole subtrees on the way down.
OutlineItem *itemAtAbsoluteIndex(const OutlineModel &tree, int index);
// The node just before item in display order (the last node of the previous sibling's subtree, else the
// parent), whether its parent is expanded or not; null for the first node. Costs a walk down one branch.
OutlineItem *displayPredecessor(const OutlineItem *item);
// Every node in display order.
QList<OutlineItem *> displayOrder(const OutlineModel &tree);
// True when item lies strictly below ancestor.
bool isDescendantOf(const OutlineItem *item, const OutlineItem *ancestor);

// Adds a new node (not yet in any tree) at a placement. LastChild and Before need a target. What is
// expanded and the current item stay as they were.
void insertItem(OutlineModel &tree, OutlineItem *item, Placement placement, OutlineItem *target);

// The one way nodes leave the tree. When the current item lies in the doomed subtree, the current first
// moves where the tree itself would put it (the next sibling, else the previous one, else the parent, else
// none), so the selection change is reported while every node is still whole; then the subtree is taken
// out and deleted. Records stay alive as long as anything else refers to them.
void removeItem(OutlineModel &tree, OutlineItem *item);

// What a move did.
enum class MoveResult {
    Refused,   // the target lies inside the moved subtree: nothing changed
    Stayed,    // the leaf stays where it is; only its parent was expanded
    Moved,     // the subtree was taken out and put in at its new place, collapsed
};

// True when moving leaf to a placement relative to target cannot be done: no leaf, no target where one
// is needed, or a target inside the leaf's own subtree (the leaf would become its own ancestor).
bool isMoveRefused(const OutlineItem *leaf, Placement placement, const OutlineItem *target);

// Moves leaf with its subtree to a placement relative to target (null target only with LastSibling).
// The selection signals fire while the leaf is out of the tree: callers that react to them must be
// switched off for the duration. The moved leaf is current afterwards.
MoveResult moveItem(OutlineModel &tree, OutlineItem *leaf, Placement placement, OutlineItem *target);

}  // namespace outline
