// The outline as data: nodes that are the leaves themselves and an item model over them that stays quick
// on outlines of 100,000 expanded leaves.
#pragma once

#include "document/tvclasses.h"

#include <QAbstractItemModel>
#include <QList>
#include <QString>

#include <vector>

class OutlineModel;
class QUndoStack;

// A leaf of the outline: its caption, its record (text and category) and its children. It owns its
// children and lives in at most one tree; it knows its row, so finding its place, its parent's place and
// its index costs nothing. The record is shared: the Groups list and the find index may outlive the node.
class OutlineNode
{
public:
    // A node with no record given gets a new one.
    explicit OutlineNode(const QString &caption = QString(), NoteRef record = nullptr);
    // Leaves its parent first, then deletes its whole subtree without recursion.
    ~OutlineNode();
    OutlineNode(const OutlineNode &) = delete;
    OutlineNode &operator=(const OutlineNode &) = delete;

    const QString &caption() const { return caption_; }
    // Reported to the model the node is in.
    void setCaption(const QString &caption);
    // Never null.
    const NoteRef &record() const { return record_; }

    // The parent node; null for a top-level node and for a node in no tree.
    OutlineNode *parent() const { return parent_ != nullptr && !parent_->isRoot_ ? parent_ : nullptr; }
    // The place among its parent's children (or the top-level list); -1 in no tree.
    int row() const { return row_; }
    OutlineNode *child(int index) const;
    int childCount() const { return int(children_.size()); }
    int indexOfChild(const OutlineNode *child) const;
    void addChild(OutlineNode *child) { insertChildren(childCount(), {child}); }
    void addChildren(const QList<OutlineNode *> &children) { insertChildren(childCount(), children); }
    void insertChild(int index, OutlineNode *child) { insertChildren(index, {child}); }
    // Nodes already in a tree (or listed twice) are left where they are.
    void insertChildren(int index, const QList<OutlineNode *> &children);
    // Takes a child out of the tree without deleting it; null when there is no such child.
    OutlineNode *takeChild(int index);
    // The model this node is in, or null.
    OutlineModel *model() const { return model_; }

private:
    friend class OutlineModel;

    struct RootTag {};
    OutlineNode(RootTag, OutlineModel *model);

    void renumberFrom(int index);

    OutlineNode *parent_ = nullptr;
    OutlineModel *model_ = nullptr;
    std::vector<OutlineNode *> children_;
    int row_ = -1;
    bool isRoot_ = false;
    QString caption_;
    NoteRef record_;
};

// The outline as data: one column of nodes, every lookup constant time. It answers the views and knows
// nothing of what they show: the current leaf, the selection and what is open belong to the view. A leaf
// without children is flagged as never having any, so a view keeps no expansion state for it; laying out
// or changing a 100,000-leaf outline then takes milliseconds instead of a tenth of a second.
class OutlineModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // How deep nodes may be opened: a view lays out open nodes recursively, and a chain of tens of
    // thousands of open nodes exhausts the stack. A node at this level (0 at the top) stays closed.
    static constexpr int MaxOpenDepth = 1000;

    explicit OutlineModel(QObject *parent = nullptr);
    ~OutlineModel() override;

    // The node that holds the top-level list; not a leaf, never shown.
    OutlineNode *root() const { return root_; }
    OutlineNode *topLevelNode(int index) const { return root_->child(index); }
    int topLevelCount() const { return root_->childCount(); }
    bool isEmpty() const { return root_->children_.empty(); }

    QModelIndex indexOf(const OutlineNode *node) const;
    // The node of an index of this model, or null.
    OutlineNode *nodeOf(const QModelIndex &index) const;

    // Deletes every node.
    void clear();

    // The history a caption renamed in a view goes on as a step; without one it is renamed at once.
    void setHistory(QUndoStack *history) { history_ = history; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // A caption changed, by setCaption or an edit in a view.
    void captionChanged(OutlineNode *node);

private:
    friend class OutlineNode;

    OutlineNode *containerOf(const QModelIndex &index) const;
    void deleteAllNodes();

    OutlineNode *root_;
    QUndoStack *history_ = nullptr;
};
