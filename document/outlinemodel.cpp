// The outline as data: nodes that are the leaves themselves and an item model over them.
#include "document/outlinemodel.h"

#include "document/commands.h"

#include <QUndoStack>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// Calls visit on every node of the subtrees below the given nodes, the nodes themselves included.
template <typename Visit>
void forEachInSubtrees(const std::vector<OutlineNode *> &tops, Visit visit)
{
    std::vector<OutlineNode *> stack(tops.begin(), tops.end());
    while (!stack.empty()) {
        OutlineNode *node = stack.back();
        stack.pop_back();
        visit(node);
        for (int i = 0; i < node->childCount(); ++i) {
            stack.push_back(node->child(i));
        }
    }
}

// Every leaf can be renamed in place, dragged and dropped on.
const Qt::ItemFlags LeafFlags = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled |
                                Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled | Qt::ItemIsEditable;

}  // namespace

OutlineNode::OutlineNode(const QString &caption, NoteRef record)
    : caption_(caption), record_(record ? std::move(record) : std::make_shared<noteob>())
{
}

OutlineNode::OutlineNode(RootTag, OutlineModel *model) : model_(model), isRoot_(true) {}

OutlineNode::~OutlineNode()
{
    if (parent_ != nullptr && parent_->indexOfChild(this) >= 0) {
        parent_->takeChild(row_);
    }
    // The subtree goes node by node, so a chain of any depth cannot exhaust the stack.
    std::vector<OutlineNode *> doomed;
    doomed.swap(children_);
    while (!doomed.empty()) {
        OutlineNode *node = doomed.back();
        doomed.pop_back();
        doomed.insert(doomed.end(), node->children_.begin(), node->children_.end());
        node->children_.clear();
        node->parent_ = nullptr;
        node->model_ = nullptr;
        delete node;
    }
}

void OutlineNode::setCaption(const QString &caption)
{
    if (caption == caption_) {
        return;
    }
    caption_ = caption;
    if (model_ != nullptr && !isRoot_) {
        const QModelIndex index = model_->indexOf(this);
        emit model_->dataChanged(index, index);
        emit model_->captionChanged(this);
    }
}

OutlineNode *OutlineNode::child(int index) const
{
    return index >= 0 && index < childCount() ? children_[std::size_t(index)] : nullptr;
}

int OutlineNode::indexOfChild(const OutlineNode *child) const
{
    return child != nullptr && child->parent_ == this ? child->row_ : -1;
}

void OutlineNode::insertChildren(int index, const QList<OutlineNode *> &children)
{
    if (index < 0 || index > childCount()) {
        return;
    }
    // Nothing reaches a joining node through its parent before it is in the parent's list.
    std::vector<OutlineNode *> joining;
    joining.reserve(std::size_t(children.size()));
    for (OutlineNode *child : children) {
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
        forEachInSubtrees(joining, [model](OutlineNode *node) { node->model_ = model; });
        model->endInsertRows();
    }
}

OutlineNode *OutlineNode::takeChild(int index)
{
    OutlineNode *child = this->child(index);
    if (child == nullptr) {
        return nullptr;
    }
    OutlineModel *model = model_;
    if (model != nullptr) {
        model->beginRemoveRows(model->indexOf(this), index, index);
    }
    children_.erase(children_.begin() + index);
    renumberFrom(index);
    child->parent_ = nullptr;
    child->row_ = -1;
    if (model != nullptr) {
        forEachInSubtrees({child}, [](OutlineNode *node) { node->model_ = nullptr; });
        model->endRemoveRows();
    }
    return child;
}

void OutlineNode::renumberFrom(int index)
{
    for (int i = std::max(index, 0); i < childCount(); ++i) {
        children_[std::size_t(i)]->row_ = i;
    }
}

OutlineModel::OutlineModel(QObject *parent) : QAbstractItemModel(parent), root_(new OutlineNode(OutlineNode::RootTag{}, this))
{
}

OutlineModel::~OutlineModel()
{
    deleteAllNodes();
    delete root_;
}

void OutlineModel::deleteAllNodes()
{
    std::vector<OutlineNode *> tops;
    beginResetModel();
    tops.swap(root_->children_);
    endResetModel();
    // Out of the model, each top-level node deletes its own subtree, which no longer points back here.
    for (OutlineNode *top : tops) {
        top->parent_ = nullptr;
        top->model_ = nullptr;
        delete top;
    }
}

void OutlineModel::clear()
{
    deleteAllNodes();
}

OutlineNode *OutlineModel::containerOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<OutlineNode *>(index.internalPointer()) : root_;
}

QModelIndex OutlineModel::indexOf(const OutlineNode *node) const
{
    if (node == nullptr || node->isRoot_ || node->model_ != this) {
        return {};
    }
    return createIndex(node->row_, 0, const_cast<OutlineNode *>(node));
}

OutlineNode *OutlineModel::nodeOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this) {
        return nullptr;
    }
    return static_cast<OutlineNode *>(index.internalPointer());
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex &parent) const
{
    const OutlineNode *container = containerOf(parent);
    if (column != 0 || row < 0 || row >= container->childCount()) {
        return {};
    }
    return createIndex(row, 0, container->children_[std::size_t(row)]);
}

QModelIndex OutlineModel::parent(const QModelIndex &child) const
{
    return child.isValid() ? indexOf(containerOf(child)->parent_) : QModelIndex();
}

int OutlineModel::rowCount(const QModelIndex &parent) const
{
    return parent.column() > 0 ? 0 : containerOf(parent)->childCount();
}

int OutlineModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool OutlineModel::hasChildren(const QModelIndex &parent) const
{
    return !containerOf(parent)->children_.empty();
}

Qt::ItemFlags OutlineModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    // A leaf is never expanded: a view then keeps no state for it and skips it when laying out.
    return containerOf(index)->children_.empty() ? LeafFlags | Qt::ItemNeverHasChildren : LeafFlags;
}

QVariant OutlineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    return containerOf(index)->caption_;
}

bool OutlineModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return false;
    }
    OutlineNode *node = containerOf(index);
    const QString caption = value.toString();
    if (history_ != nullptr && caption != node->caption()) {
        history_->push(new commands::Rename(*this, node, caption));
    } else {
        node->setCaption(caption);
    }
    return true;
}
