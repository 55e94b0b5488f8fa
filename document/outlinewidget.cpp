// The outline's tree control: nodes that know their own place, shown by a tree view that stays quick on
// outlines of 100,000 expanded leaves.
#include "document/outlinewidget.h"

#include <QAbstractItemModel>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>

// The nodes as the view sees them. Every index carries its node, every node its row, so index(), parent()
// and rowCount() never search. Changes to the nodes go through begin/end calls made by the nodes themselves.
class OutlineModel : public QAbstractItemModel
{
public:
    explicit OutlineModel(QObject *parent) : QAbstractItemModel(parent) {}

    OutlineItem *root = nullptr;

    OutlineItem *itemOf(const QModelIndex &index) const
    {
        return index.isValid() ? static_cast<OutlineItem *>(index.internalPointer()) : root;
    }
    QModelIndex indexOf(const OutlineItem *item) const
    {
        if (item == nullptr || item->isRoot_) {
            return {};
        }
        return createIndex(item->row_, 0, const_cast<OutlineItem *>(item));
    }

    QModelIndex index(int row, int column, const QModelIndex &parent) const override
    {
        const OutlineItem *container = itemOf(parent);
        if (column != 0 || row < 0 || row >= container->childCount()) {
            return {};
        }
        return createIndex(row, 0, container->children_[std::size_t(row)]);
    }
    QModelIndex parent(const QModelIndex &child) const override
    {
        return child.isValid() ? indexOf(itemOf(child)->parent_) : QModelIndex();
    }
    int rowCount(const QModelIndex &parent) const override
    {
        return parent.column() > 0 ? 0 : itemOf(parent)->childCount();
    }
    int columnCount(const QModelIndex &) const override { return 1; }
    bool hasChildren(const QModelIndex &parent) const override
    {
        const OutlineItem *item = itemOf(parent);
        if (item->isRoot_ || item->policy_ == OutlineItem::DontShowIndicatorWhenChildless) {
            return !item->children_.empty();
        }
        return item->policy_ == OutlineItem::ShowIndicator;
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid()) {
            return Qt::ItemIsDropEnabled;
        }
        const OutlineItem *item = itemOf(index);
        Qt::ItemFlags flags = item->flags_;
        // A leaf is never expanded: the view then keeps no state for it and skips it when laying out.
        if (item->children_.empty() && item->policy_ != OutlineItem::ShowIndicator) {
            flags |= Qt::ItemNeverHasChildren;
        }
        return flags;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        return index.isValid() ? itemOf(index)->data(0, role) : QVariant();
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!index.isValid()) {
            return false;
        }
        itemOf(index)->setData(0, role, value);
        return true;
    }

    void beginInsert(const OutlineItem *parent, int first, int last)
    {
        beginInsertRows(indexOf(parent), first, last);
    }
    void endInsert() { endInsertRows(); }
    void beginRemove(const OutlineItem *parent, int first, int last)
    {
        beginRemoveRows(indexOf(parent), first, last);
    }
    void endRemove() { endRemoveRows(); }
    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }
    void announceChange(const OutlineItem *item)
    {
        const QModelIndex index = indexOf(item);
        emit dataChanged(index, index);
    }
};

namespace {

// Calls visit on every node of the subtrees below the given nodes, the nodes themselves included.
template <typename Visit>
void forEachInSubtrees(const std::vector<OutlineItem *> &tops, Visit visit)
{
    std::vector<OutlineItem *> stack(tops.begin(), tops.end());
    while (!stack.empty()) {
        OutlineItem *node = stack.back();
        stack.pop_back();
        visit(node);
        for (int i = 0; i < node->childCount(); ++i) {
            stack.push_back(node->child(i));
        }
    }
}

// 0 for a top-level node, one more than its parent's otherwise.
int levelOf(const OutlineItem *item)
{
    int level = 0;
    for (const OutlineItem *p = item->parent(); p != nullptr; p = p->parent()) {
        ++level;
    }
    return level;
}

const Qt::ItemFlags DefaultFlags = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled |
                                   Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;

}  // namespace

OutlineItem::OutlineItem(int type) : type_(type), flags_(DefaultFlags) {}

OutlineItem::OutlineItem(const QStringList &strings, int type) : type_(type), flags_(DefaultFlags)
{
    if (!strings.isEmpty()) {
        text_ = strings.first();
    }
}

OutlineItem::OutlineItem(RootTag, OutlineWidget *view) : view_(view), isRoot_(true), flags_(Qt::ItemIsDropEnabled) {}

OutlineItem::~OutlineItem()
{
    if (parent_ != nullptr && parent_->indexOfChild(this) >= 0) {
        parent_->takeChild(row_);
    }
    // The subtree goes node by node, so a chain of any depth cannot exhaust the stack.
    std::vector<OutlineItem *> doomed;
    doomed.swap(children_);
    while (!doomed.empty()) {
        OutlineItem *node = doomed.back();
        doomed.pop_back();
        doomed.insert(doomed.end(), node->children_.begin(), node->children_.end());
        node->children_.clear();
        node->parent_ = nullptr;
        node->view_ = nullptr;
        delete node;
    }
}

OutlineItem *OutlineItem::child(int index) const
{
    return index >= 0 && index < childCount() ? children_[std::size_t(index)] : nullptr;
}

int OutlineItem::indexOfChild(const OutlineItem *child) const
{
    return child != nullptr && child->parent_ == this ? child->row_ : -1;
}

void OutlineItem::addChild(OutlineItem *child)
{
    insertChildren(childCount(), {child});
}

void OutlineItem::addChildren(const QList<OutlineItem *> &children)
{
    insertChildren(childCount(), children);
}

void OutlineItem::insertChild(int index, OutlineItem *child)
{
    insertChildren(index, {child});
}

void OutlineItem::insertChildren(int index, const QList<OutlineItem *> &children)
{
    if (index < 0 || index > childCount()) {
        return;
    }
    // A node already placed somewhere (or listed twice), or the tree's own root, is left where it is.
    // Nothing reaches a joining node through its parent before it is in the parent's list.
    std::vector<OutlineItem *> joining;
    joining.reserve(std::size_t(children.size()));
    for (OutlineItem *child : children) {
        if (child != nullptr && child != this && !child->isRoot_ && child->parent_ == nullptr &&
            child->view_ == nullptr) {
            child->parent_ = this;
            joining.push_back(child);
        }
    }
    if (joining.empty()) {
        return;
    }
    OutlineModel *model = view_ != nullptr ? view_->model_ : nullptr;
    if (model != nullptr) {
        model->beginInsert(this, index, index + int(joining.size()) - 1);
    }
    children_.insert(children_.begin() + index, joining.begin(), joining.end());
    renumberFrom(index);
    if (view_ != nullptr) {
        OutlineWidget *view = view_;
        forEachInSubtrees(joining, [view](OutlineItem *node) { node->view_ = view; });
    }
    if (model != nullptr) {
        model->endInsert();
    }
}

OutlineItem *OutlineItem::takeChild(int index)
{
    OutlineItem *child = this->child(index);
    if (child == nullptr) {
        return nullptr;
    }
    OutlineModel *model = view_ != nullptr ? view_->model_ : nullptr;
    if (model != nullptr && !isRoot_ && childCount() == 1 && isExpanded()) {
        // A node left without children is folded first. Otherwise the view would keep it open unseen,
        // and on its next child would take it as open already and never show that child.
        const QSignalBlocker quiet(view_);
        view_->collapse(view_->indexFromItem(this));
    }
    if (model != nullptr) {
        // The view moves its current item away while everything is still in place.
        model->beginRemove(this, index, index);
    }
    children_.erase(children_.begin() + index);
    renumberFrom(index);
    child->parent_ = nullptr;
    child->row_ = -1;
    if (child->view_ != nullptr) {
        forEachInSubtrees({child}, [](OutlineItem *node) { node->view_ = nullptr; });
    }
    if (model != nullptr) {
        model->endRemove();
    }
    return child;
}

void OutlineItem::renumberFrom(int index)
{
    for (int i = std::max(index, 0); i < childCount(); ++i) {
        children_[std::size_t(i)]->row_ = i;
    }
}

QString OutlineItem::text(int column) const
{
    return column == 0 ? text_ : QString();
}

void OutlineItem::setText(int column, const QString &text)
{
    setData(column, Qt::DisplayRole, text);
}

QIcon OutlineItem::icon(int column) const
{
    return column == 0 ? icon_ : QIcon();
}

void OutlineItem::setIcon(int column, const QIcon &icon)
{
    setData(column, Qt::DecorationRole, icon);
}

QFont OutlineItem::font(int column) const
{
    return data(column, Qt::FontRole).value<QFont>();
}

void OutlineItem::setFont(int column, const QFont &font)
{
    setData(column, Qt::FontRole, font);
}

QString OutlineItem::toolTip(int column) const
{
    return data(column, Qt::ToolTipRole).toString();
}

void OutlineItem::setToolTip(int column, const QString &toolTip)
{
    setData(column, Qt::ToolTipRole, toolTip);
}

QVariant OutlineItem::data(int column, int role) const
{
    if (column != 0) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text_;
    case Qt::DecorationRole:
        return icon_.isNull() ? QVariant() : QVariant(icon_);
    default:
        break;
    }
    for (const auto &[key, value] : roles_) {
        if (key == role) {
            return value;
        }
    }
    return {};
}

void OutlineItem::setData(int column, int role, const QVariant &value)
{
    if (column != 0) {
        return;
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const QString text = value.toString();
        if (text == text_) {
            return;
        }
        text_ = text;
        break;
    }
    case Qt::DecorationRole:
        icon_ = value.value<QIcon>();
        break;
    default: {
        auto it = std::find_if(roles_.begin(), roles_.end(), [role](const auto &entry) { return entry.first == role; });
        if (!value.isValid()) {
            if (it == roles_.end()) {
                return;
            }
            roles_.erase(it);
        } else if (it != roles_.end()) {
            if (it->second == value) {
                return;
            }
            it->second = value;
        } else {
            roles_.emplace_back(role, value);
        }
        break;
    }
    }
    changed();
}

void OutlineItem::setFlags(Qt::ItemFlags flags)
{
    if (flags == flags_) {
        return;
    }
    flags_ = flags;
    changed();
}

void OutlineItem::setChildIndicatorPolicy(ChildIndicatorPolicy policy)
{
    if (policy == policy_) {
        return;
    }
    policy_ = policy;
    changed();
}

bool OutlineItem::isExpanded() const
{
    return view_ != nullptr && !isRoot_ && view_->isExpanded(view_->indexFromItem(this));
}

void OutlineItem::setExpanded(bool expand)
{
    if (view_ != nullptr && !isRoot_) {
        view_->setExpanded(view_->indexFromItem(this), expand);
    }
}

bool OutlineItem::isSelected() const
{
    return view_ != nullptr && !isRoot_ && view_->selectionModel()->isSelected(view_->indexFromItem(this));
}

void OutlineItem::setSelected(bool select)
{
    if (view_ != nullptr && !isRoot_) {
        view_->selectionModel()->select(view_->indexFromItem(this), select ? QItemSelectionModel::Select
                                                                            : QItemSelectionModel::Deselect);
    }
}

void OutlineItem::changed()
{
    if (view_ != nullptr && !isRoot_) {
        view_->model_->announceChange(this);
    }
}

OutlineWidget::OutlineWidget(QWidget *parent)
    : QTreeView(parent), model_(new OutlineModel(this)), root_(new OutlineItem(OutlineItem::RootTag{}, this))
{
    model_->root = root_;
    QTreeView::setModel(model_);
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
    connect(model_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &topLeft, const QModelIndex &) {
        if (OutlineItem *item = itemFromIndex(topLeft)) {
            emit itemChanged(item, topLeft.column());
        }
    });
}

OutlineWidget::~OutlineWidget()
{
    // Nothing hears of the nodes going: the window that listens may already be half gone.
    const QSignalBlocker quiet(this);
    deleteAllItems();
    delete root_;
}

void OutlineWidget::deleteAllItems()
{
    std::vector<OutlineItem *> tops;
    model_->beginReset();
    tops.swap(root_->children_);
    model_->endReset();
    // Out of the tree, each top-level node deletes its own subtree, which no longer points back here.
    for (OutlineItem *top : tops) {
        top->parent_ = nullptr;
        top->view_ = nullptr;
        delete top;
    }
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

void OutlineWidget::setModel(QAbstractItemModel *model)
{
    // The nodes are the model; another one is never set.
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

QList<OutlineItem *> OutlineWidget::selectedItems() const
{
    QList<OutlineItem *> items;
    for (const QModelIndex &index : selectionModel()->selectedIndexes()) {
        if (OutlineItem *item = itemFromIndex(index)) {
            items.append(item);
        }
    }
    return items;
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

QModelIndex OutlineWidget::indexFromItem(const OutlineItem *item, int column) const
{
    if (item == nullptr || item->view_ != this || item->isRoot_ || column != 0) {
        return {};
    }
    return model_->indexOf(item);
}

OutlineItem *OutlineWidget::itemFromIndex(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model_) {
        return nullptr;
    }
    return static_cast<OutlineItem *>(index.internalPointer());
}

void OutlineWidget::clear()
{
    // The current item becomes none while every node is whole, as one reported change.
    selectionModel()->clear();
    deleteAllItems();
}

OutlineItemIterator &OutlineItemIterator::operator++()
{
    if (current_ == nullptr) {
        return *this;
    }
    if (current_->childCount() > 0) {
        current_ = current_->child(0);
        return *this;
    }
    // Up to the nearest node with a later sibling; the top-level list's container is the root.
    for (OutlineItem *node = current_; node != nullptr; node = node->parent_) {
        OutlineItem *container = node->parent_;
        if (container == nullptr) {
            break;
        }
        if (OutlineItem *next = container->child(node->row_ + 1)) {
            current_ = next;
            return *this;
        }
        if (container->isRoot_) {
            break;
        }
    }
    current_ = nullptr;
    return *this;
}
