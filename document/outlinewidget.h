// The outline's tree control: nodes that know their own place, shown by a tree view that stays quick on
// outlines of 100,000 expanded leaves.
#pragma once

#include <QIcon>
#include <QList>
#include <QTreeView>
#include <QVariant>

#include <utility>
#include <vector>

class OutlineModel;
class OutlineWidget;

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
    // The tree this node is shown in, or null.
    OutlineWidget *treeWidget() const { return view_; }

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

    // Expansion and selection are kept by the tree; a node in no tree is neither.
    bool isExpanded() const;
    void setExpanded(bool expand);
    bool isSelected() const;
    void setSelected(bool select);

private:
    friend class OutlineModel;
    friend class OutlineWidget;
    friend class OutlineItemIterator;

    struct RootTag {};
    OutlineItem(RootTag, OutlineWidget *view);

    void changed();
    void renumberFrom(int index);

    OutlineItem *parent_ = nullptr;
    OutlineWidget *view_ = nullptr;
    std::vector<OutlineItem *> children_;
    int row_ = -1;
    int type_ = Type;
    bool isRoot_ = false;
    ChildIndicatorPolicy policy_ = DontShowIndicatorWhenChildless;
    Qt::ItemFlags flags_;
    QString text_;
    QIcon icon_;
    std::vector<std::pair<int, QVariant>> roles_;  // fonts, tool tips and any other role
};

// The tree control: the tree widget's interface over a model whose every lookup is constant time. A leaf
// (a node without children) is marked as never having children, so the view keeps no expansion state for
// it; laying out or changing a 100,000-leaf outline then takes milliseconds instead of a tenth of a second.
class OutlineWidget : public QTreeView
{
    Q_OBJECT

public:
    // How deep nodes may be opened: the view lays out open nodes recursively, and a chain of tens of
    // thousands of open nodes exhausts the stack. A node at this level (0 at the top) stays closed.
    static constexpr int MaxOpenDepth = 1000;

    explicit OutlineWidget(QWidget *parent = nullptr);
    ~OutlineWidget() override;

    // One column, always.
    int columnCount() const { return 1; }
    void setColumnCount(int) {}

    OutlineItem *invisibleRootItem() const { return root_; }
    OutlineItem *topLevelItem(int index) const { return root_->child(index); }
    int topLevelItemCount() const { return root_->childCount(); }
    int indexOfTopLevelItem(const OutlineItem *item) const { return root_->indexOfChild(item); }
    void insertTopLevelItem(int index, OutlineItem *item) { root_->insertChild(index, item); }
    void addTopLevelItem(OutlineItem *item) { root_->addChild(item); }
    void addTopLevelItems(const QList<OutlineItem *> &items) { root_->addChildren(items); }
    OutlineItem *takeTopLevelItem(int index) { return root_->takeChild(index); }

    OutlineItem *currentItem() const;
    void setCurrentItem(OutlineItem *item);
    QList<OutlineItem *> selectedItems() const;
    OutlineItem *itemAt(const QPoint &point) const;
    OutlineItem *itemAt(int x, int y) const { return itemAt(QPoint(x, y)); }
    QRect visualItemRect(const OutlineItem *item) const;
    void editItem(OutlineItem *item, int column = 0);
    void scrollToItem(const OutlineItem *item, ScrollHint hint = EnsureVisible);
    void expandItem(const OutlineItem *item);
    void collapseItem(const OutlineItem *item);

    QModelIndex indexFromItem(const OutlineItem *item, int column = 0) const;
    OutlineItem *itemFromIndex(const QModelIndex &index) const;

    // Showing a node opens its ancestors, but none at MaxOpenDepth or deeper: below that, the nearest
    // ancestor that can be shown is scrolled to instead.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

public slots:
    // Deletes every node; the current item becomes none first, while every node is whole.
    void clear();

signals:
    void currentItemChanged(OutlineItem *current, OutlineItem *previous);
    void itemChanged(OutlineItem *item, int column);
    void itemExpanded(OutlineItem *item);
    void itemCollapsed(OutlineItem *item);
    void itemSelectionChanged();

protected:
    // "*" opens the current node's subtree, down to MaxOpenDepth.
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class OutlineItem;

    void setModel(QAbstractItemModel *model) override;
    // Empties the tree without a word to the selection; used by clear() and on destruction.
    void deleteAllItems();

    OutlineModel *model_;
    OutlineItem *root_;
};

// Walks every node of a tree in display order, whether its parent is expanded or not.
class OutlineItemIterator
{
public:
    explicit OutlineItemIterator(const OutlineWidget *tree) : current_(tree->topLevelItem(0)) {}
    OutlineItem *operator*() const { return current_; }
    OutlineItemIterator &operator++();

private:
    OutlineItem *current_;
};
