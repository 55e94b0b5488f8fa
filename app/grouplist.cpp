// The Groups list control: the picked entry and the record behind each entry.
#include "app/grouplist.h"

#include "app/shownrows.h"
#include "document/outlinemodel.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace groups {

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

GroupListBox::GroupListBox(QWidget *parent) : QListWidget(parent)
{
    shownrows::limitTo(this);
}

// The list view's own versions report the entry by its row number, which only Qt's accessible object for
// a whole list understands; the entries are reported as objects instead.
void GroupListBox::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    shownrows::reportCurrent(this, current);
}

void GroupListBox::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    shownrows::reportSelection(this, selected.indexes().value(0), deselected.indexes().value(0));
}

void GroupListBox::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    shownrows::reportCurrent(this, currentIndex());
}

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

void GroupListRecords::fill(const groups::Leaves &leaves)
{
    const QSignalBlocker blockList(&list_);
    filling_ = true;
    list_.clear();
    records_.clear();
    QStringList captions;
    captions.reserve(qsizetype(leaves.size()));
    records_.reserve(leaves.size());
    // Each entry keeps the caption the leaf has now, and its record.
    for (const OutlineNode *leaf : leaves) {
        captions.append(leaf->caption());
        records_.push_back(leaf->record());
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
