// The outline as data: nodes that know their own place and an item model over them.
#include "document/outlinemodel.h"

#include <QFont>

#include <algorithm>

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

OutlineItem::OutlineItem(RootTag, OutlineModel *model) : model_(model), isRoot_(true), flags_(Qt::ItemIsDropEnabled) {}

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
        node->model_ = nullptr;
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
            child->model_ == nullptr) {
            child->parent_ = this;
            joining.push_back(child);
        }
    }
    if (joining.empty()) {
        return;
    }
    OutlineModel *model = model_;
    if (model != nullptr) {
        model->beginInsertRows(model->indexOf(this), index, index + int(joining.size()) - 1);
    }
    children_.insert(children_.begin() + index, joining.begin(), joining.end());
    renumberFrom(index);
    if (model != nullptr) {
        forEachInSubtrees(joining, [model](OutlineItem *node) { node->model_ = model; });
        model->endInsertRows();
    }
}

OutlineItem *OutlineItem::takeChild(int index)
{
    OutlineItem *child = this->child(index);
    if (child == nullptr) {
        return nullptr;
    }
    OutlineModel *model = model_;
    if (model != nullptr && !isRoot_ && childCount() == 1 && isExpanded()) {
        // A node left without children is folded first. Otherwise a view would keep it open unseen,
        // and on its next child would take it as open already and never show that child.
        setExpanded(false);
    }
    if (model != nullptr) {
        // The selection model moves the current node away while everything is still in place.
        model->beginRemoveRows(model->indexOf(this), index, index);
    }
    children_.erase(children_.begin() + index);
    renumberFrom(index);
    child->parent_ = nullptr;
    child->row_ = -1;
    if (model != nullptr) {
        // Out of the model a node is neither expanded nor selected, as a view forgets removed rows.
        forEachInSubtrees({child}, [](OutlineItem *node) {
            node->model_ = nullptr;
            node->expanded_ = false;
        });
        model->endRemoveRows();
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
    return model_ != nullptr && !isRoot_ && model_->isExpanded(this);
}

void OutlineItem::setExpanded(bool expand)
{
    if (model_ != nullptr && !isRoot_) {
        model_->setExpanded(this, expand);
    }
}

bool OutlineItem::isSelected() const
{
    return model_ != nullptr && !isRoot_ && model_->selectionModel()->isSelected(model_->indexOf(this));
}

void OutlineItem::setSelected(bool select)
{
    if (model_ != nullptr && !isRoot_) {
        model_->selectionModel()->select(model_->indexOf(this),
                                         select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    }
}

void OutlineItem::changed()
{
    if (model_ != nullptr && !isRoot_) {
        model_->announceChange(this);
    }
}

OutlineModel::OutlineModel(QObject *parent)
    : QAbstractItemModel(parent), root_(new OutlineItem(OutlineItem::RootTag{}, this))
{
}

OutlineModel::~OutlineModel()
{
    deleteAllItems();
    delete root_;
}

void OutlineModel::deleteAllItems()
{
    std::vector<OutlineItem *> tops;
    beginResetModel();
    tops.swap(root_->children_);
    endResetModel();
    // Out of the model, each top-level node deletes its own subtree, which no longer points back here.
    for (OutlineItem *top : tops) {
        top->parent_ = nullptr;
        top->model_ = nullptr;
        delete top;
    }
}

void OutlineModel::clear()
{
    // The current node becomes none while every node is whole, as one reported change.
    selectionModel()->clear();
    deleteAllItems();
}

OutlineItem *OutlineModel::itemOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<OutlineItem *>(index.internalPointer()) : root_;
}

QModelIndex OutlineModel::indexOf(const OutlineItem *item) const
{
    if (item == nullptr || item->isRoot_) {
        return {};
    }
    return createIndex(item->row_, 0, const_cast<OutlineItem *>(item));
}

QModelIndex OutlineModel::indexFromItem(const OutlineItem *item, int column) const
{
    if (item == nullptr || item->model_ != this || item->isRoot_ || column != 0) {
        return {};
    }
    return indexOf(item);
}

OutlineItem *OutlineModel::itemFromIndex(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this) {
        return nullptr;
    }
    return static_cast<OutlineItem *>(index.internalPointer());
}

QItemSelectionModel *OutlineModel::selectionModel() const
{
    if (selection_ != nullptr) {
        return selection_;
    }
    // Made on first use: a model read by the tool never needs one.
    if (ownSelection_ == nullptr) {
        ownSelection_ = new QItemSelectionModel(const_cast<OutlineModel *>(this), const_cast<OutlineModel *>(this));
    }
    return ownSelection_;
}

OutlineItem *OutlineModel::currentItem() const
{
    return itemFromIndex(selectionModel()->currentIndex());
}

void OutlineModel::setCurrentItem(OutlineItem *item)
{
    selectionModel()->setCurrentIndex(indexFromItem(item),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QList<OutlineItem *> OutlineModel::selectedItems() const
{
    QList<OutlineItem *> items;
    for (const QModelIndex &index : selectionModel()->selectedIndexes()) {
        if (OutlineItem *item = itemFromIndex(index)) {
            items.append(item);
        }
    }
    return items;
}

bool OutlineModel::isExpanded(const OutlineItem *item) const
{
    if (expansion_ != nullptr) {
        return expansion_->isExpanded(indexFromItem(item));
    }
    return item->expanded_;
}

void OutlineModel::setExpanded(const OutlineItem *item, bool expand)
{
    if (expansion_ != nullptr) {
        expansion_->setExpanded(indexFromItem(item), expand);
        return;
    }
    // As in a view: a leaf never opens.
    const_cast<OutlineItem *>(item)->expanded_ = expand && (item->childCount() > 0 ||
                                                            item->policy_ == OutlineItem::ShowIndicator);
}

void OutlineModel::expandAll()
{
    if (expansion_ != nullptr) {
        expansion_->expandAll();
        return;
    }
    forEachInSubtrees(root_->children_, [](OutlineItem *node) { node->expanded_ = node->childCount() > 0; });
}

void OutlineModel::showIn(QItemSelectionModel *selection, OutlineExpansion *expansion)
{
    selection_ = selection;
    expansion_ = expansion;
}

void OutlineModel::announceChange(const OutlineItem *item)
{
    const QModelIndex index = indexOf(item);
    emit dataChanged(index, index);
    emit itemChanged(const_cast<OutlineItem *>(item), 0);
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex &parent) const
{
    const OutlineItem *container = itemOf(parent);
    if (column != 0 || row < 0 || row >= container->childCount()) {
        return {};
    }
    return createIndex(row, 0, container->children_[std::size_t(row)]);
}

QModelIndex OutlineModel::parent(const QModelIndex &child) const
{
    return child.isValid() ? indexOf(itemOf(child)->parent_) : QModelIndex();
}

int OutlineModel::rowCount(const QModelIndex &parent) const
{
    return parent.column() > 0 ? 0 : itemOf(parent)->childCount();
}

int OutlineModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool OutlineModel::hasChildren(const QModelIndex &parent) const
{
    const OutlineItem *item = itemOf(parent);
    if (item->isRoot_ || item->policy_ == OutlineItem::DontShowIndicatorWhenChildless) {
        return !item->children_.empty();
    }
    return item->policy_ == OutlineItem::ShowIndicator;
}

Qt::ItemFlags OutlineModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    const OutlineItem *item = itemOf(index);
    Qt::ItemFlags flags = item->flags_;
    // A leaf is never expanded: a view then keeps no state for it and skips it when laying out.
    if (item->children_.empty() && item->policy_ != OutlineItem::ShowIndicator) {
        flags |= Qt::ItemNeverHasChildren;
    }
    return flags;
}

QVariant OutlineModel::data(const QModelIndex &index, int role) const
{
    return index.isValid() ? itemOf(index)->data(0, role) : QVariant();
}

bool OutlineModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid()) {
        return false;
    }
    itemOf(index)->setData(0, role, value);
    return true;
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
