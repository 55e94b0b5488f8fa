// The outline tree control: in-place caption editing, dragging a leaf and dropping it elsewhere.
#pragma once

#include <QTreeWidget>

#include <functional>

class OutlineTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit OutlineTree(QWidget *parent = nullptr);

    // Called with the drop point in viewport coordinates when a dragged leaf is released over the tree.
    std::function<void(const QPoint &)> onDrop;
    // Called each time the tree receives the input focus.
    std::function<void()> onEnter;
};
