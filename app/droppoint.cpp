// Where a dragged leaf lands: hit-testing a point against the rows of the tree control.
#include "app/droppoint.h"

#include "app/outlinewidget.h"

#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>

namespace {

// The right edge of what counts as a row's caption: the text's start plus its advance width and a margin
// on each side, as the item delegate draws it. The text rectangle itself runs to the row's end.
int captionRight(const OutlineWidget &tree, const OutlineNode *node, const QRect &rowRect)
{
    QStyle *style = tree.style();
    QStyleOptionViewItem opt;
    opt.initFrom(&tree);
    opt.widget = &tree;
    opt.rect = rowRect;
    opt.font = tree.font();
    opt.fontMetrics = QFontMetrics(opt.font);
    opt.text = node->caption();
    opt.features = QStyleOptionViewItem::HasDisplay;
    opt.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    opt.decorationPosition = QStyleOptionViewItem::Left;
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, &tree);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &tree) + 1;
    const int right = textRect.left() + margin + opt.fontMetrics.horizontalAdvance(opt.text) + margin;
    return std::min(right, rowRect.right() + 1);
}

}  // namespace

DropPlan classifyDropPoint(const OutlineWidget &tree, const QPoint &pos, bool buttonsShown)
{
    DropPlan plan;
    if (!tree.viewport()->rect().contains(pos)) {
        return plan;
    }
    OutlineNode *item = tree.itemAt(pos);
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
        const bool hasButton = buttonsShown && item->childCount() > 0;
        plan.action = inBranchCell && hasButton ? DropPlan::Nothing : DropPlan::Before;
        return plan;
    }
    plan.action = pos.x() < captionRight(tree, item, row) ? DropPlan::LastChild : DropPlan::Nothing;
    return plan;
}
