// Where a dragged leaf lands: the regions of a row in the tree control.
#pragma once

#include <QPoint>

class OutlineNode;
class OutlineWidget;

// Where a dragged leaf would go when released at a point of the tree's viewport.
struct DropPlan {
    enum Action {
        Nothing,       // an expand button, right of a caption, outside the viewport
        LastChild,     // on a caption or icon: becomes the last child of target
        LastTopLevel,  // below the last row: becomes the last top-level leaf
        Before,        // on the indentation left of the button and caption: placed before target
    };
    Action action = Nothing;
    OutlineNode *target = nullptr;
};

// Hit-tests a point in viewport coordinates of a laid-out tree. Without buttons drawn (a display option),
// the branch cell of a node with children is indentation like any other.
DropPlan classifyDropPoint(const OutlineWidget &tree, const QPoint &pos, bool buttonsShown = true);
