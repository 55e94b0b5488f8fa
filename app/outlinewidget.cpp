// The outline's tree view: shows an outline model and stays quick on outlines of 100,000 expanded leaves.
#include "app/outlinewidget.h"

#include "app/shownrows.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

OutlineWidget::OutlineWidget(QWidget *parent) : QTreeView(parent), model_(new OutlineModel(this))
{
    // Before anything asks for the tree's accessible object.
    shownrows::limitTo(this);
    QTreeView::setModel(model_);
    header()->setSectionsClickable(false);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current, const QModelIndex &previous) {
                emit currentItemChanged(itemFromIndex(current), itemFromIndex(previous));
            });
    connect(model_, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &parent) { onRowsAboutToBeInserted(parent); });
}

OutlineWidget::~OutlineWidget()
{
    // Nothing hears of the nodes going: the window that listens may already be half gone.
    const QSignalBlocker quiet(this);
    delete model_;
}

void OutlineWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Asterisk && currentIndex().isValid()) {
        const int level = outline::levelOf(currentItem());
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
    if (hasFocus()) {
        rowFocusOwed_ = false;
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
    // A reader coming to the tree reads the row the user is on. The tree's own focus event is sent after
    // this handler returns, and a reader reads the last focus it hears, so the row follows once the event
    // loop runs again, unless a new current row (a click on another row) has been reported by then.
    rowFocusOwed_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (rowFocusOwed_) {
                rowFocusOwed_ = false;
                shownrows::reportCurrent(this, currentIndex());
            }
        },
        Qt::QueuedConnection);
}

void OutlineWidget::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const OutlineNode *node = itemFromIndex(index);
    if (node == nullptr) {
        QTreeView::scrollTo(index, hint);
        return;
    }
    int level = outline::levelOf(node);
    // A node at level L needs its ancestors at levels 0 to L - 1 open.
    for (; level > MaxOpenDepth; --level) {
        node = node->parent();
    }
    QTreeView::scrollTo(indexFromItem(node), hint);
}

void OutlineWidget::expandAll()
{
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    // A view lays out open nodes recursively: a chain of tens of thousands of open nodes would exhaust
    // the stack. Only an outline that deep opens node by node.
    bool tooDeep = false;
    outline::walk(*model_, [&](const OutlineNode *node, int level) {
        tooDeep = tooDeep || (level >= MaxOpenDepth && node->childCount() > 0);
    });
    if (!tooDeep) {
        QTreeView::expandAll();
    } else {
        outline::walk(*model_, [&](const OutlineNode *node, int level) {
            if (node->childCount() > 0 && level < MaxOpenDepth) {
                QTreeView::setExpanded(indexFromItem(node), true);
            }
        });
    }
    setUpdatesEnabled(updates);
}

void OutlineWidget::clear()
{
    // The current leaf becomes none while every node is whole, as one reported change.
    selectionModel()->clear();
    model_->clear();
}

void OutlineWidget::moveCurrentOutOf(const OutlineNode *node)
{
    OutlineNode *current = currentItem();
    if (current != nullptr && (current == node || outline::isDescendantOf(current, node))) {
        // Reported as an ordinary selection change while the leaving node is whole.
        setCurrentItem(outline::successorOnRemoval(node));
    }
}

void OutlineWidget::removeNode(OutlineNode *node)
{
    if (node == nullptr || node->model() != model_) {
        return;
    }
    moveCurrentOutOf(node);
    outline::takeNode(*model_, node);
}

outline::MoveResult OutlineWidget::moveNode(OutlineNode *leaf, outline::Placement placement, OutlineNode *target)
{
    const outline::MoveResult result = outline::moveNode(*model_, leaf, placement, target);
    showMove(leaf, result);
    return result;
}

void OutlineWidget::showMove(OutlineNode *leaf, outline::MoveResult result)
{
    if (result == outline::MoveResult::Refused) {
        return;
    }
    if (result == outline::MoveResult::Moved) {
        // The moved subtree comes out closed; only open nodes need a call, as closing a hidden node costs
        // a search in the view.
        std::vector<const OutlineNode *> stack{leaf};
        while (!stack.empty()) {
            const OutlineNode *node = stack.back();
            stack.pop_back();
            if (node->childCount() > 0 && isExpanded(node)) {
                setExpanded(node, false);
            }
            for (int i = 0; i < node->childCount(); ++i) {
                stack.push_back(node->child(i));
            }
        }
    }
    if (OutlineNode *parent = leaf->parent()) {
        setExpanded(parent, true);
    }
    setCurrentItem(leaf);
}

// A node left without children is closed first: a view would keep it open unseen and, on its next
// child, take it as open already and never show that child.
void OutlineWidget::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    if (parent.isValid() && start == 0 && end == model_->rowCount(parent) - 1 && QTreeView::isExpanded(parent)) {
        collapse(parent);
    }
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
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

OutlineNode *OutlineWidget::currentItem() const
{
    return itemFromIndex(currentIndex());
}

void OutlineWidget::setCurrentItem(OutlineNode *node)
{
    setCurrentIndex(indexFromItem(node));
}

bool OutlineWidget::isSelected(const OutlineNode *node) const
{
    const QModelIndex index = indexFromItem(node);
    return index.isValid() && selectionModel()->isSelected(index);
}

OutlineNode *OutlineWidget::itemAt(const QPoint &point) const
{
    return itemFromIndex(indexAt(point));
}

QRect OutlineWidget::visualItemRect(const OutlineNode *node) const
{
    return visualRect(indexFromItem(node));
}

void OutlineWidget::editItem(OutlineNode *node)
{
    edit(indexFromItem(node));
}

void OutlineWidget::scrollToItem(const OutlineNode *node, ScrollHint hint)
{
    scrollTo(indexFromItem(node), hint);
}

bool OutlineWidget::isExpanded(const OutlineNode *node) const
{
    const QModelIndex index = indexFromItem(node);
    return index.isValid() && QTreeView::isExpanded(index);
}

void OutlineWidget::setExpanded(const OutlineNode *node, bool expand)
{
    const QModelIndex index = indexFromItem(node);
    if (index.isValid()) {
        QTreeView::setExpanded(index, expand);
    }
}
