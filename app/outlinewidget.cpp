// The outline's tree view: shows an outline model and stays quick on outlines of 100,000 expanded leaves.
#include "app/outlinewidget.h"

#include "app/shownrows.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// 0 for a top-level node, one more than its parent's otherwise.
int levelOf(const OutlineItem *item)
{
    int level = 0;
    for (const OutlineItem *p = item->parent(); p != nullptr; p = p->parent()) {
        ++level;
    }
    return level;
}

}  // namespace

OutlineWidget::OutlineWidget(QWidget *parent) : QTreeView(parent), model_(new OutlineModel(this))
{
    // Before anything asks for the tree's accessible object.
    shownrows::limitTo(this);
    QTreeView::setModel(model_);
    model_->showIn(selectionModel(), this);
    header()->setSectionsClickable(false);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current, const QModelIndex &previous) {
                emit currentItemChanged(itemFromIndex(current), itemFromIndex(previous));
            });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &OutlineWidget::itemSelectionChanged);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        if (OutlineItem *item = itemFromIndex(index)) {
            emit itemExpanded(item);
        }
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        if (OutlineItem *item = itemFromIndex(index)) {
            emit itemCollapsed(item);
        }
    });
    connect(model_, &OutlineModel::itemChanged, this, &OutlineWidget::itemChanged);
    connect(model_, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &parent) { onRowsAboutToBeInserted(parent); });
}

OutlineWidget::~OutlineWidget()
{
    // Nothing hears of the nodes going: the window that listens may already be half gone.
    const QSignalBlocker quiet(this);
    model_->showIn(nullptr, nullptr);
    delete model_;
}

void OutlineWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Asterisk && currentIndex().isValid()) {
        const int level = levelOf(currentItem());
        // The current node at level L may open its descendants down to level MaxOpenDepth - 1.
        if (level < MaxOpenDepth) {
            expandRecursively(currentIndex(), MaxOpenDepth - 1 - level);
        }
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

// The tree view's own versions of these report the row by its place among all rows open, which only
// Qt's accessible object for a whole tree understands; the rows are reported as objects instead.
void OutlineWidget::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    if (allColumnsShowFocus()) {
        viewport()->update();
    }
    shownrows::reportCurrent(this, current);
}

void OutlineWidget::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    shownrows::reportSelection(this, selected.indexes().value(0), deselected.indexes().value(0));
}

void OutlineWidget::focusInEvent(QFocusEvent *event)
{
    QTreeView::focusInEvent(event);
    // A reader coming to the tree reads the row the user is on.
    shownrows::reportCurrent(this, currentIndex());
}

void OutlineWidget::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const OutlineItem *item = itemFromIndex(index);
    if (item == nullptr) {
        QTreeView::scrollTo(index, hint);
        return;
    }
    int level = levelOf(item);
    // A node at level L needs its ancestors at levels 0 to L - 1 open.
    for (; level > MaxOpenDepth; --level) {
        item = item->parent();
    }
    QTreeView::scrollTo(indexFromItem(item), hint);
}

void OutlineWidget::expandAll()
{
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    QTreeView::expandAll();
    setUpdatesEnabled(updates);
}

// A row added under an open node makes the view lay out every row again (milliseconds on a 100,000-leaf
// outline); under a closed node it does not. So that node is closed for the insertion and opened again,
// which lays out its own subtree only; the scroll position is kept and no expand or collapse is reported.
// Not while a caption is being edited: hiding the edit box would end the edit.
void OutlineWidget::onRowsAboutToBeInserted(const QModelIndex &parent)
{
    refolded_ = QPersistentModelIndex();
    if (!parent.isValid() || model_->rowCount(parent) == 0 || !QTreeView::isExpanded(parent)) {
        return;
    }
    // An open edit box is shown on the viewport; closed ones are hidden until they are deleted.
    const QList<QWidget *> boxes = viewport()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    if (std::any_of(boxes.begin(), boxes.end(), [](const QWidget *w) { return !w->isHidden(); })) {
        return;
    }
    const QSignalBlocker quiet(this);
    refoldedScroll_ = verticalScrollBar()->value();
    collapse(parent);
    refolded_ = parent;
}

void OutlineWidget::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QTreeView::rowsInserted(parent, start, end);
    if (refolded_.isValid() && refolded_ == parent) {
        const QSignalBlocker quiet(this);
        expand(parent);
        verticalScrollBar()->setValue(refoldedScroll_);
    }
    refolded_ = QPersistentModelIndex();
}

void OutlineWidget::setModel(QAbstractItemModel *model)
{
    // The outline model is the model; another one is never set.
    Q_UNUSED(model);
}

OutlineItem *OutlineWidget::currentItem() const
{
    return itemFromIndex(currentIndex());
}

void OutlineWidget::setCurrentItem(OutlineItem *item)
{
    setCurrentIndex(indexFromItem(item));
}

OutlineItem *OutlineWidget::itemAt(const QPoint &point) const
{
    return itemFromIndex(indexAt(point));
}

QRect OutlineWidget::visualItemRect(const OutlineItem *item) const
{
    return visualRect(indexFromItem(item));
}

void OutlineWidget::editItem(OutlineItem *item, int column)
{
    edit(indexFromItem(item, column));
}

void OutlineWidget::scrollToItem(const OutlineItem *item, ScrollHint hint)
{
    scrollTo(indexFromItem(item), hint);
}

void OutlineWidget::expandItem(const OutlineItem *item)
{
    expand(indexFromItem(item));
}

void OutlineWidget::collapseItem(const OutlineItem *item)
{
    collapse(indexFromItem(item));
}
