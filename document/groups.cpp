// The Groups list: which leaves it shows, in which order, and the record behind each entry.
#include "document/groups.h"

#include "text/encoding.h"
#include "document/leafitem.h"
#include "document/outlinewidget.h"

#include <QListWidget>
#include <QSignalBlocker>

#include <utility>

namespace groups {

namespace {

// Visits every item in display order without recursion: outlines can be as deep as they are long.
template <class Visit>
void walkDisplayOrder(const OutlineWidget &tree, Visit &&visit)
{
    std::vector<std::pair<const OutlineItem *, int>> stack;
    stack.emplace_back(tree.invisibleRootItem(), 0);
    while (!stack.empty()) {
        auto &top = stack.back();
        if (top.second >= top.first->childCount()) {
            stack.pop_back();
            continue;
        }
        const OutlineItem *child = top.first->child(top.second++);
        visit(child);
        if (child->childCount() > 0) {
            stack.emplace_back(child, 0);
        }
    }
}

} // namespace

Entries allLeaves(const OutlineWidget &tree)
{
    Entries entries;
    walkDisplayOrder(tree, [&](const OutlineItem *item) {
        if (NoteRef record = ::recordOf(item)) {
            entries.push_back({item->text(0), std::move(record)});
        }
    });
    return entries;
}

Entries leavesOfCategory(const OutlineWidget &tree, const QByteArray &category)
{
    Entries entries;
    walkDisplayOrder(tree, [&](const OutlineItem *item) {
        if (item->type() != LeafItem::Type) {
            return;
        }
        const NoteRef &record = static_cast<const LeafItem *>(item)->record();
        if (record && record->Category() == category) {
            entries.push_back({item->text(0), record});
        }
    });
    return entries;
}

Entries leavesOfCategory(const OutlineWidget &tree, const QString &category)
{
    return leavesOfCategory(tree, encoding::toCp1252(category));
}

QListWidgetItem *pickedItem(const QListWidget &list)
{
    QListWidgetItem *current = list.currentItem();
    if (current != nullptr && current->isSelected()) {
        return current;
    }
    const QList<QListWidgetItem *> selected = list.selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

} // namespace groups

GroupListRecords::GroupListRecords(QListWidget &list) : QObject(&list), list_(list)
{
    setObjectName(QStringLiteral("GroupListRecords"));
    records_.resize(size_t(list.count()));
    // Rows inserted, removed or moved by anyone but fill() keep the records in step with their entries.
    QAbstractItemModel *model = list.model();
    // The model may be going away itself here (the list is being destroyed): ask it, not the list.
    connect(model, &QAbstractItemModel::modelReset, this, [this, model] {
        if (!filling_) {
            records_.assign(size_t(model->rowCount()), nullptr);
        }
    });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        if (!filling_) {
            records_.insert(records_.begin() + first, size_t(last - first + 1), nullptr);
        }
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex &, int first, int last) {
        if (!filling_) {
            records_.erase(records_.begin() + first, records_.begin() + last + 1);
        }
    });
    connect(model, &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex &, int first, int last, const QModelIndex &, int destination) {
                std::vector<NoteRef> moved(records_.begin() + first, records_.begin() + last + 1);
                records_.erase(records_.begin() + first, records_.begin() + last + 1);
                const int to = destination > last ? destination - (last - first + 1) : destination;
                records_.insert(records_.begin() + to, moved.begin(), moved.end());
            });
    connect(model, &QAbstractItemModel::layoutChanged, this, [this, model] {
        // A sort reorders the entries in ways the rows cannot follow: forget what no longer matches.
        if (!filling_) {
            records_.assign(size_t(model->rowCount()), nullptr);
        }
    });
}

void GroupListRecords::fill(const groups::Entries &entries)
{
    const QSignalBlocker blockList(&list_);
    filling_ = true;
    list_.clear();
    records_.clear();
    QStringList captions;
    captions.reserve(qsizetype(entries.size()));
    records_.reserve(entries.size());
    for (const groups::Entry &entry : entries) {
        captions.append(entry.caption);
        records_.push_back(entry.record);
    }
    // One insertion for all rows.
    if (!captions.isEmpty()) {
        list_.addItems(captions);
    }
    filling_ = false;
    list_.setCurrentRow(-1);
    list_.clearSelection();
}

NoteRef GroupListRecords::recordAt(int row) const
{
    if (row < 0 || size_t(row) >= records_.size()) {
        return nullptr;
    }
    return records_[size_t(row)];
}

NoteRef GroupListRecords::picked() const
{
    QListWidgetItem *item = groups::pickedItem(list_);
    return item == nullptr ? nullptr : recordAt(list_.row(item));
}

GroupListRecords *GroupListRecords::of(const QListWidget &list)
{
    return list.findChild<GroupListRecords *>(QStringLiteral("GroupListRecords"), Qt::FindDirectChildrenOnly);
}
