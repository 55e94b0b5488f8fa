// The outline's tree view: shows an outline model and stays quick on outlines of 100,000 expanded leaves.
#pragma once

#include "document/outlinemodel.h"

#include <QTreeView>

// The tree control's base: a tree view over its outline model with the tree widget's interface. The view
// keeps the nodes' expansion and owns the selection model the outline's current node lives in.
class OutlineWidget : public QTreeView, public OutlineExpansion
{
    Q_OBJECT

public:
    static constexpr int MaxOpenDepth = OutlineModel::MaxOpenDepth;

    explicit OutlineWidget(QWidget *parent = nullptr);
    ~OutlineWidget() override;

    // The outline shown: the nodes, their rules and the tree file work on it.
    OutlineModel &outline() const { return *model_; }

    // One column, always.
    int columnCount() const { return 1; }
    void setColumnCount(int) {}

    OutlineItem *invisibleRootItem() const { return model_->invisibleRootItem(); }
    OutlineItem *topLevelItem(int index) const { return model_->topLevelItem(index); }
    int topLevelItemCount() const { return model_->topLevelItemCount(); }
    int indexOfTopLevelItem(const OutlineItem *item) const { return model_->indexOfTopLevelItem(item); }
    void insertTopLevelItem(int index, OutlineItem *item) { model_->insertTopLevelItem(index, item); }
    void addTopLevelItem(OutlineItem *item) { model_->addTopLevelItem(item); }
    void addTopLevelItems(const QList<OutlineItem *> &items) { model_->addTopLevelItems(items); }
    OutlineItem *takeTopLevelItem(int index) { return model_->takeTopLevelItem(index); }

    OutlineItem *currentItem() const;
    void setCurrentItem(OutlineItem *item);
    QList<OutlineItem *> selectedItems() const { return model_->selectedItems(); }
    OutlineItem *itemAt(const QPoint &point) const;
    OutlineItem *itemAt(int x, int y) const { return itemAt(QPoint(x, y)); }
    QRect visualItemRect(const OutlineItem *item) const;
    void editItem(OutlineItem *item, int column = 0);
    void scrollToItem(const OutlineItem *item, ScrollHint hint = EnsureVisible);
    void expandItem(const OutlineItem *item);
    void collapseItem(const OutlineItem *item);

    QModelIndex indexFromItem(const OutlineItem *item, int column = 0) const
    {
        return model_->indexFromItem(item, column);
    }
    OutlineItem *itemFromIndex(const QModelIndex &index) const { return model_->itemFromIndex(index); }

    // Showing a node opens its ancestors, but none at MaxOpenDepth or deeper: below that, the nearest
    // ancestor that can be shown is scrolled to instead.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

    bool isExpanded(const QModelIndex &index) const override { return QTreeView::isExpanded(index); }
    void setExpanded(const QModelIndex &index, bool expand) override { QTreeView::setExpanded(index, expand); }
    void expandAll() override;

public slots:
    // Deletes every node; the current item becomes none first, while every node is whole.
    void clear() { model_->clear(); }

signals:
    void currentItemChanged(OutlineItem *current, OutlineItem *previous);
    void itemChanged(OutlineItem *item, int column);
    void itemExpanded(OutlineItem *item);
    void itemCollapsed(OutlineItem *item);
    void itemSelectionChanged();

protected:
    // "*" opens the current node's subtree, down to MaxOpenDepth.
    void keyPressEvent(QKeyEvent *event) override;
    // Assistive technology hears of the current and selected rows from these (see shownrows.h).
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void setModel(QAbstractItemModel *model) override;
    void onRowsAboutToBeInserted(const QModelIndex &parent);
    void rowsInserted(const QModelIndex &parent, int start, int end) override;

    OutlineModel *model_;
    // The open node folded while rows are added under it (see onRowsAboutToBeInserted), with the
    // scroll position to restore.
    QPersistentModelIndex refolded_;
    int refoldedScroll_ = 0;
};
