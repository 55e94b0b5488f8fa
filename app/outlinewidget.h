// The outline's tree view: shows an outline model and stays quick on outlines of 100,000 expanded leaves.
#pragma once

#include "document/outline.h"
#include "document/outlinemodel.h"

#include <QTreeView>

// The tree control's base: a tree view over its own outline model. The view keeps what it shows: the
// current leaf, the selection and which nodes are open; the model keeps the leaves.
class OutlineWidget : public QTreeView
{
    Q_OBJECT

public:
    static constexpr int MaxOpenDepth = OutlineModel::MaxOpenDepth;

    explicit OutlineWidget(QWidget *parent = nullptr);
    ~OutlineWidget() override;

    // The outline shown: the nodes, their rules and the tree file work on it.
    OutlineModel &outline() const { return *model_; }

    OutlineNode *currentItem() const;
    // Makes node current and the only one selected, as a click would; null clears both.
    void setCurrentItem(OutlineNode *node);
    bool isSelected(const OutlineNode *node) const;
    OutlineNode *itemAt(const QPoint &point) const;
    QRect visualItemRect(const OutlineNode *node) const;
    void editItem(OutlineNode *node);
    void scrollToItem(const OutlineNode *node, ScrollHint hint = EnsureVisible);
    bool isExpanded(const OutlineNode *node) const;
    void setExpanded(const OutlineNode *node, bool expand);
    using QTreeView::isExpanded;
    using QTreeView::setExpanded;

    QModelIndex indexFromItem(const OutlineNode *node) const { return model_->indexOf(node); }
    OutlineNode *itemFromIndex(const QModelIndex &index) const { return model_->nodeOf(index); }

    // Showing a node opens its ancestors, but none at MaxOpenDepth or deeper: below that, the nearest
    // ancestor that can be shown is scrolled to instead.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    // Opens every node with children, down to MaxOpenDepth.
    void expandAll();

    // Takes node with its subtree out of the outline and deletes it. When the current leaf lies in that
    // subtree, the current first moves where the tree itself would put it (the next sibling, else the
    // previous one, else the parent, else none), so the change is reported while every node is whole.
    void removeNode(OutlineNode *node);
    // The first half of removeNode: the current leaf leaves node's subtree, as the tree would move it.
    void moveCurrentOutOf(const OutlineNode *node);
    // Moves leaf by the outline's move rules and shows the result: the moved subtree closed, its new
    // parent open, the leaf current. A leaf that stays where it is only gets its parent opened. The
    // selection signals fire while the leaf is out of the tree: callers that react to them must be
    // switched off for the duration.
    outline::MoveResult moveNode(OutlineNode *leaf, outline::Placement placement, OutlineNode *target);
    // The second half of moveNode: how the tree shows a leaf that was moved (or stayed).
    void showMove(OutlineNode *leaf, outline::MoveResult result);

public slots:
    // Deletes every node; the current leaf becomes none first, while every node is whole.
    void clear();

signals:
    void currentItemChanged(OutlineNode *current, OutlineNode *previous);

protected:
    // "*" opens the current node's subtree, down to MaxOpenDepth.
    void keyPressEvent(QKeyEvent *event) override;
    // Assistive technology hears of the current and selected rows from these (see shownrows.h).
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void focusInEvent(QFocusEvent *event) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;

private:
    void setModel(QAbstractItemModel *model) override;
    void onRowsAboutToBeInserted(const QModelIndex &parent);
    void rowsInserted(const QModelIndex &parent, int start, int end) override;

    OutlineModel *model_;
    // The open node folded while rows are added under it (see onRowsAboutToBeInserted), with the
    // scroll position to restore.
    QPersistentModelIndex refolded_;
    int refoldedScroll_ = 0;
    // The tree took the focus and the current row has not been announced since (see focusInEvent).
    bool rowFocusOwed_ = false;
};
