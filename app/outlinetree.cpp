// The outline tree control: in-place caption editing, dragging a leaf and dropping it elsewhere.
#include "app/outlinetree.h"

#include "app/droppoint.h"
#include "document/outline.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>

namespace {

bool carriesLeaf(const QMimeData *mime)
{
    return mime != nullptr && mime->hasFormat(QLatin1String(OutlineTree::LeafMimeType));
}

}  // namespace

OutlineTree::OutlineTree(QWidget *parent) : OutlineWidget(parent)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    // Every row shows one caption line in the tree's font. Without this, bringing a new or moved row
    // into view measures every row above it: seconds on a 100,000-leaf outline.
    setUniformRowHeights(true);
    // One row per tick while a dragged leaf is held at the top or bottom edge.
    dragScrollTimer_.setInterval(100);
    connect(&dragScrollTimer_, &QTimer::timeout, this, [this] {
        if (!dragScrollStep(viewport()->mapFromGlobal(QCursor::pos()))) {
            dragScrollTimer_.stop();
        }
    });
}

OutlineNode *OutlineTree::dropTarget() const
{
    return dropTarget_.isValid() ? itemFromIndex(dropTarget_) : nullptr;
}

void OutlineTree::setDropTarget(OutlineNode *item)
{
    const QPersistentModelIndex index =
        item != nullptr ? QPersistentModelIndex(indexFromItem(item)) : QPersistentModelIndex();
    if (index == dropTarget_) {
        return;
    }
    dropTarget_ = index;
    viewport()->update();
}

bool OutlineTree::inHiddenButtonCell(const QPoint &pos) const
{
    if (buttonsShown) {
        return false;
    }
    OutlineNode *item = itemAt(pos);
    if (item == nullptr) {
        return false;
    }
    const int left = visualItemRect(item).left();
    return pos.x() < left && pos.x() >= left - indentation();
}

void OutlineTree::mousePressEvent(QMouseEvent *event)
{
    // The press selects the row (the selection handlers run) and gives the tree the focus. Where no
    // button is drawn, the tree view's own folding on a press in the branch cell is skipped.
    const QPoint pos = event->position().toPoint();
    if (!indexAt(pos).isValid()) {
        // A press on the blank area below the rows leaves the selection as it was: the tree view would
        // clear the highlight yet keep the current item, and the commands would act on a row not shown
        // as selected. The focus has moved to the tree already.
        pressed_ = QPersistentModelIndex();
        event->accept();
        return;
    }
    if (inHiddenButtonCell(pos)) {
        QAbstractItemView::mousePressEvent(event);
    } else {
        OutlineWidget::mousePressEvent(event);
    }
    pressed_ = QPersistentModelIndex();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    OutlineNode *item = itemAt(pos);
    if (item == nullptr) {
        return;
    }
    // A press on an expand button only toggles; every other part of the row can start a drag.
    const bool onButton = pos.x() < visualItemRect(item).left() &&
                          classifyDropPoint(*this, pos, buttonsShown).action == DropPlan::Nothing;
    if (!onButton) {
        pressed_ = QPersistentModelIndex(indexFromItem(item));
        pressPos_ = pos;
    }
}

void OutlineTree::mouseMoveEvent(QMouseEvent *event)
{
    if (!pressed_.isValid() || !(event->buttons() & Qt::LeftButton)) {
        OutlineWidget::mouseMoveEvent(event);
        return;
    }
    // While a leaf is held the pointer does not sweep the selection over other rows.
    if ((event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance()) {
        return;
    }
    OutlineNode *item = itemFromIndex(pressed_);
    pressed_ = QPersistentModelIndex();
    startLeafDrag(item);
}

void OutlineTree::mouseReleaseEvent(QMouseEvent *event)
{
    pressed_ = QPersistentModelIndex();
    if (inHiddenButtonCell(event->position().toPoint())) {
        QAbstractItemView::mouseReleaseEvent(event);
        return;
    }
    OutlineWidget::mouseReleaseEvent(event);
}

void OutlineTree::startDrag(Qt::DropActions)
{
    // Qt's own drag would move or copy the items by itself: drag the current leaf our way instead.
    startLeafDrag(currentItem());
}

void OutlineTree::startLeafDrag(OutlineNode *item)
{
    if (item == nullptr || draggingLeaf_) {
        return;
    }
    if (currentItem() != item) {
        setCurrentItem(item);
    }
    // The selection handlers may have changed the tree; drag only a leaf that is still here and current.
    if (currentItem() != item) {
        return;
    }
    const QRect row = visualItemRect(item);
    auto *mime = new QMimeData;
    mime->setData(QLatin1String(LeafMimeType), item->caption().toUtf8());
    QDrag drag(this);
    drag.setMimeData(mime);
    if (row.isValid()) {
        drag.setPixmap(viewport()->grab(row));
        drag.setHotSpot(pressPos_ - row.topLeft());
    }
    draggingLeaf_ = true;
    struct Reset {
        OutlineTree *tree;
        ~Reset()
        {
            tree->draggingLeaf_ = false;
            tree->dragScrollTimer_.stop();
            tree->setDropTarget(nullptr);
            tree->setState(NoState);
        }
    } reset{this};
    if (dragRunner) {
        dragRunner(drag);
    } else {
        drag.exec(Qt::MoveAction, Qt::MoveAction);
    }
}

void OutlineTree::dragEnterEvent(QDragEnterEvent *event)
{
    if (!carriesLeaf(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void OutlineTree::dragMoveEvent(QDragMoveEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!carriesLeaf(event->mimeData()) || (onDragOver && !onDragOver(pos))) {
        setDropTarget(nullptr);
        event->ignore();
        return;
    }
    setDropTarget(itemAt(pos));
    event->setDropAction(Qt::MoveAction);
    event->accept();
    // Held near the top or bottom edge, the tree scrolls, so a leaf can reach rows out of sight.
    if (scrollEdgeAt(pos) != 0) {
        if (!dragScrollTimer_.isActive()) {
            dragScrollTimer_.start();
        }
    } else {
        dragScrollTimer_.stop();
    }
}

int OutlineTree::scrollEdgeAt(const QPoint &pos) const
{
    const QRect area = viewport()->rect();
    const int margin = autoScrollMargin();
    if (!area.contains(pos)) {
        return 0;
    }
    if (pos.y() - area.top() < margin) {
        return -1;
    }
    if (area.bottom() - pos.y() < margin) {
        return 1;
    }
    return 0;
}

bool OutlineTree::dragScrollStep(const QPoint &pos)
{
    const int direction = scrollEdgeAt(pos);
    QScrollBar *bar = verticalScrollBar();
    const int before = bar->value();
    if (direction < 0) {
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (direction > 0) {
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    if (bar->value() == before) {
        return false;
    }
    // The row under the pointer changed: it is the drop target now.
    if (draggingLeaf_) {
        setDropTarget(itemAt(pos));
    }
    return true;
}

void OutlineTree::dragLeaveEvent(QDragLeaveEvent *event)
{
    dragScrollTimer_.stop();
    setDropTarget(nullptr);
    event->accept();
}

void OutlineTree::dropEvent(QDropEvent *event)
{
    dragScrollTimer_.stop();
    setDropTarget(nullptr);
    if (!carriesLeaf(event->mimeData())) {
        event->ignore();
        return;
    }
    // The window moves the leaf; the drag source ignores the outcome and removes nothing itself.
    event->setDropAction(Qt::MoveAction);
    event->accept();
    if (onDrop) {
        onDrop(event->position().toPoint());
    }
}

void OutlineTree::focusInEvent(QFocusEvent *event)
{
    OutlineWidget::focusInEvent(event);
    if (onEnter) {
        onEnter();
    }
}

bool OutlineTree::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // No caption edit starts while a leaf is being dragged.
    if (draggingLeaf_) {
        return false;
    }
    return OutlineWidget::edit(index, trigger, event);
}

void OutlineTree::drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (dropTarget_.isValid() && index == dropTarget_) {
        QStyleOptionViewItem highlighted(option);
        highlighted.state |= QStyle::State_Selected;
        OutlineWidget::drawRow(painter, highlighted, index);
        return;
    }
    OutlineWidget::drawRow(painter, option, index);
}
