// The outline tree control: branch lines and buttons, in-place caption editing, dragging and dropping a leaf.
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
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOption>

// Draws the outline's branch cells the classic way: dotted lines joining a leaf to its parent and
// siblings, and a boxed plus or minus on leaves with children. Each part can be switched off.
class BranchStyle : public QProxyStyle
{
public:
    bool showLines = true;
    bool showButtons = true;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        // Only the caption shows the selection, not the lines and buttons in front of it.
        if (hint == SH_ItemView_ShowDecorationSelected) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_PanelItemViewItem) {
            // The selection covers the caption only, not the rest of the row.
            if (const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(option)) {
                QStyleOptionViewItem narrowed(*item);
                const QRect text = subElementRect(SE_ItemViewItemText, item, widget);
                const int width = item->fontMetrics.horizontalAdvance(item->text) + 6;
                narrowed.rect = QRect(text.left(), item->rect.top(), qMin(width, text.width()), item->rect.height());
                QProxyStyle::drawPrimitive(element, &narrowed, painter, widget);
                return;
            }
        }
        if (element != PE_IndicatorBranch) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QRect r = option->rect;
        const int cx = r.left() + r.width() / 2;
        const int cy = r.top() + r.height() / 2;
        const bool hasChildren = option->state & State_Children;
        const bool boxed = showButtons && hasChildren;
        constexpr int half = 4;  // the button is 9 x 9 pixels

        painter->save();
        if (showLines) {
            QPen pen(option->palette.color(QPalette::Mid));
            pen.setStyle(Qt::DotLine);
            painter->setPen(pen);
            const int gap = boxed ? half + 1 : 0;
            if (option->state & State_Item) {
                // This leaf's own column: a line in from above, across to the caption, on to the next sibling.
                painter->drawLine(cx + gap, cy, r.right(), cy);
                painter->drawLine(cx, r.top(), cx, cy - gap);
                if (option->state & State_Sibling) {
                    painter->drawLine(cx, cy + gap, cx, r.bottom());
                }
            } else if (option->state & State_Sibling) {
                // An ancestor's column: its line passes by on the way to its next sibling.
                painter->drawLine(cx, r.top(), cx, r.bottom());
            }
        }
        if (boxed) {
            const QRect box(cx - half, cy - half, 2 * half, 2 * half);
            painter->setPen(option->palette.color(QPalette::Dark));
            painter->setBrush(option->palette.color(QPalette::Base));
            painter->drawRect(box);
            painter->setPen(option->palette.color(QPalette::Text));
            painter->drawLine(cx - 2, cy, cx + 2, cy);
            if (!(option->state & State_Open)) {
                painter->drawLine(cx, cy - 2, cx, cy + 2);
            }
        }
        painter->restore();
    }
};

namespace {

bool carriesLeaf(const QMimeData *mime)
{
    return mime != nullptr && mime->hasFormat(QLatin1String(OutlineTree::LeafMimeType));
}

}  // namespace

OutlineTree::OutlineTree(QWidget *parent) : OutlineWidget(parent)
{
    branchStyle_ = new BranchStyle;
    branchStyle_->setParent(this);
    setStyle(branchStyle_);
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

bool OutlineTree::linesShown() const
{
    return branchStyle_->showLines;
}

void OutlineTree::setLinesShown(bool on)
{
    branchStyle_->showLines = on;
    viewport()->update();
}

bool OutlineTree::buttonsShown() const
{
    return branchStyle_->showButtons;
}

void OutlineTree::setButtonsShown(bool on)
{
    branchStyle_->showButtons = on;
    viewport()->update();
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
    if (buttonsShown()) {
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
                          classifyDropPoint(*this, pos, buttonsShown()).action == DropPlan::Nothing;
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

bool OutlineTree::isRefused(QDragMoveEvent *event)
{
    event->accept();
    emit leafDraggedOver(event);
    return !event->isAccepted();
}

void OutlineTree::dragMoveEvent(QDragMoveEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!carriesLeaf(event->mimeData()) || isRefused(event)) {
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
    emit leafDropped(event->position().toPoint());
}

void OutlineTree::focusInEvent(QFocusEvent *event)
{
    OutlineWidget::focusInEvent(event);
    emit entered();
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
