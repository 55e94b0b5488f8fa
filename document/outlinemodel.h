// The outline as data: nodes that know their own place and an item model over them that stays quick on
// outlines of 100,000 expanded leaves.
#pragma once

#include <QIcon>
#include <QList>
#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QStringList>
#include <QVariant>

#include <utility>
#include <vector>

class OutlineModel;

// A node of the outline. Like a tree widget item it owns its children and lives in at most one tree;
// unlike one, it knows its row, so finding its place, its parent's place and its index costs nothing.
class OutlineItem
{
public:
    static constexpr int Type = 0;
    static constexpr int UserType = 1000;
    enum ChildIndicatorPolicy { ShowIndicator, DontShowIndicator, DontShowIndicatorWhenChildless };

    explicit OutlineItem(int type = Type);
    explicit OutlineItem(const QStringList &strings, int type = Type);
    // Leaves its parent first, then deletes its whole subtree without recursion.
    virtual ~OutlineItem();
    OutlineItem(const OutlineItem &) = delete;
    OutlineItem &operator=(const OutlineItem &) = delete;

    int type() const { return type_; }
    // The parent node; null for a top-level node and for a node in no tree.
    OutlineItem *parent() const { return parent_ != nullptr && !parent_->isRoot_ ? parent_ : nullptr; }
    OutlineItem *child(int index) const;
    int childCount() const { return int(children_.size()); }
    int indexOfChild(const OutlineItem *child) const;
    void addChild(OutlineItem *child);
    void addChildren(const QList<OutlineItem *> &children);
    void insertChild(int index, OutlineItem *child);
    void insertChildren(int index, const QList<OutlineItem *> &children);
    // Takes a child out of the tree without deleting it; null when there is no such child.
    OutlineItem *takeChild(int index);
    // The model this node is in, or null.
    OutlineModel *model() const { return model_; }

    QString text(int column) const;
    void setText(int column, const QString &text);
    QIcon icon(int column) const;
    void setIcon(int column, const QIcon &icon);
    QFont font(int column) const;
    void setFont(int column, const QFont &font);
    QString toolTip(int column) const;
    void setToolTip(int column, const QString &toolTip);
    QVariant data(int column, int role) const;
    void setData(int column, int role, const QVariant &value);

    Qt::ItemFlags flags() const { return flags_; }
    void setFlags(Qt::ItemFlags flags);
    ChildIndicatorPolicy childIndicatorPolicy() const { return policy_; }
    void setChildIndicatorPolicy(ChildIndicatorPolicy policy);

    // Expansion and selection are kept by the model; a node in no model is neither.
    bool isExpanded() const;
    void setExpanded(bool expand);
    bool isSelected() const;
    void setSelected(bool select);

private:
    friend class OutlineModel;
    friend class OutlineItemIterator;

    struct RootTag {};
    OutlineItem(RootTag, OutlineModel *model);

    void changed();
    void renumberFrom(int index);

    OutlineItem *parent_ = nullptr;
    OutlineModel *model_ = nullptr;
    std::vector<OutlineItem *> children_;
    int row_ = -1;
    int type_ = Type;
    bool isRoot_ = false;
    bool expanded_ = false;  // only while no view keeps the expansion
    ChildIndicatorPolicy policy_ = DontShowIndicatorWhenChildless;
    Qt::ItemFlags flags_;
    QString text_;
    QIcon icon_;
    std::vector<std::pair<int, QVariant>> roles_;  // fonts, tool tips and any other role
};

// Where the nodes' expansion lives while a view shows the model: the view's own state. A model shown
// nowhere keeps it in its nodes.
class OutlineExpansion
{
public:
    virtual ~OutlineExpansion() = default;
    virtual bool isExpanded(const QModelIndex &index) const = 0;
    virtual void setExpanded(const QModelIndex &index, bool expand) = 0;
    // Opens every node with children.
    virtual void expandAll() = 0;
};

// The outline as data: one column of nodes, every lookup constant time. A leaf (a node without children)
// is flagged as never having children, so a view keeps no expansion state for it; laying out or changing
// a 100,000-leaf outline then takes milliseconds instead of a tenth of a second. The current node and the
// selection are those of a selection model: the showing view's, or the model's own.
class OutlineModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // How deep nodes may be opened: a view lays out open nodes recursively, and a chain of tens of
    // thousands of open nodes exhausts the stack. A node at this level (0 at the top) stays closed.
    static constexpr int MaxOpenDepth = 1000;

    explicit OutlineModel(QObject *parent = nullptr);
    ~OutlineModel() override;

    OutlineItem *invisibleRootItem() const { return root_; }
    OutlineItem *topLevelItem(int index) const { return root_->child(index); }
    int topLevelItemCount() const { return root_->childCount(); }
    int indexOfTopLevelItem(const OutlineItem *item) const { return root_->indexOfChild(item); }
    void insertTopLevelItem(int index, OutlineItem *item) { root_->insertChild(index, item); }
    void addTopLevelItem(OutlineItem *item) { root_->addChild(item); }
    void addTopLevelItems(const QList<OutlineItem *> &items) { root_->addChildren(items); }
    OutlineItem *takeTopLevelItem(int index) { return root_->takeChild(index); }

    QModelIndex indexFromItem(const OutlineItem *item, int column = 0) const;
    OutlineItem *itemFromIndex(const QModelIndex &index) const;

    // The selection model the current node and the selection are kept in.
    QItemSelectionModel *selectionModel() const;
    OutlineItem *currentItem() const;
    // Makes item current and the only one selected, as a click would; null clears both.
    void setCurrentItem(OutlineItem *item);
    QList<OutlineItem *> selectedItems() const;

    bool isExpanded(const OutlineItem *item) const;
    void setExpanded(const OutlineItem *item, bool expand);
    // Opens every node with children.
    void expandAll();

    // A view showing this model hands over its selection model and its expansion state; null for both
    // gives the model its own again.
    void showIn(QItemSelectionModel *selection, OutlineExpansion *expansion);

    // Deletes every node; the current node becomes none first, while every node is whole.
    void clear();

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void itemChanged(OutlineItem *item, int column);

private:
    friend class OutlineItem;

    OutlineItem *itemOf(const QModelIndex &index) const;
    QModelIndex indexOf(const OutlineItem *item) const;
    void announceChange(const OutlineItem *item);
    // Empties the model without a word to the selection; used by clear() and on destruction.
    void deleteAllItems();

    OutlineItem *root_;
    mutable QItemSelectionModel *ownSelection_ = nullptr;
    QItemSelectionModel *selection_ = nullptr;
    OutlineExpansion *expansion_ = nullptr;
};

// Walks every node of a tree in display order, whether its parent is expanded or not.
class OutlineItemIterator
{
public:
    explicit OutlineItemIterator(const OutlineModel *tree) : current_(tree->topLevelItem(0)) {}
    OutlineItem *operator*() const { return current_; }
    OutlineItemIterator &operator++();

private:
    OutlineItem *current_;
};
