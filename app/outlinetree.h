// The outline tree control: branch lines and buttons, in-place caption editing, dragging and dropping a leaf.
#pragma once

#include "app/outlinewidget.h"

#include <QPersistentModelIndex>
#include <QPoint>
#include <QTimer>

#include <functional>

class BranchStyle;
class QDrag;
class QDragMoveEvent;

// A tree of leaves that drags a leaf itself and hands the drop point to the window, which decides what
// the drop means. Qt's own item moving is never used: the window's move rules keep records and selection.
// It draws its own branch cells: dotted lines and boxed expand buttons, each of which can be switched off.
class OutlineTree : public OutlineWidget
{
    Q_OBJECT

public:
    explicit OutlineTree(QWidget *parent = nullptr);

    // Whether dotted lines join each leaf to its parent and siblings.
    bool linesShown() const;
    void setLinesShown(bool on);
    // Whether expand buttons are drawn. Without them a click left of a caption never folds or unfolds.
    bool buttonsShown() const;
    void setButtonsShown(bool on);

    // What a drag carries; only drags with it are accepted.
    static constexpr const char *LeafMimeType = "application/x-quillax-leaf";

    // Runs a prepared drag to its end (unset: QDrag::exec); a test seam only, so nothing has to clear it.
    std::function<Qt::DropAction(QDrag &)> dragRunner;

    // The leaf highlighted as the drop target while a drag passes over it, or null.
    OutlineNode *dropTarget() const;
    // True while a leaf dragged from this tree is on its way.
    bool isDraggingLeaf() const { return draggingLeaf_; }
    // Makes item current and drags it, its row's image following the pointer.
    void startLeafDrag(OutlineNode *item);
    // Where a dragged leaf held still makes the tree scroll (viewport coordinates): -1 within the
    // auto-scroll margin of the viewport's top edge, 1 within that of its bottom edge, 0 elsewhere.
    int scrollEdgeAt(const QPoint &pos) const;
    // One scroll step towards the edge the point is near; false when the tree did not move.
    bool dragScrollStep(const QPoint &pos);

signals:
    // A dragged leaf was released over the tree, at this point in viewport coordinates.
    void leafDropped(const QPoint &pos);
    // The tree has received the input focus.
    void entered();
    // A dragged leaf passes over a point of the viewport, emitted with the event accepted. A directly
    // connected slot refuses the point by ignoring the event.
    void leafDraggedOver(QDragMoveEvent *event);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void setDropTarget(OutlineNode *item);
    // True for a point in the branch cell of a row while no expand buttons are drawn.
    bool inHiddenButtonCell(const QPoint &pos) const;
    // Asks the slots of leafDraggedOver about the event's point; true when one refused it.
    bool isRefused(QDragMoveEvent *event);

    BranchStyle *branchStyle_ = nullptr;  // a child of the tree
    QPersistentModelIndex dropTarget_;
    QPersistentModelIndex pressed_;
    QPoint pressPos_;
    bool draggingLeaf_ = false;
    QTimer dragScrollTimer_;
};
