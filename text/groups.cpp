// The Groups list: which leaves it shows, in which order, and the record behind each entry.
#include "text/groups.h"

#include "document/encoding.h"
#include "document/leafitem.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <utility>

namespace groups {

namespace {

// The record rides in the entry's data under this role.
constexpr int RecordRole = Qt::UserRole + 1;

// Visits every item in display order without recursion: outlines can be as deep as they are long.
template <class Visit>
void walkDisplayOrder(const QTreeWidget &tree, Visit &&visit)
{
    std::vector<std::pair<const QTreeWidgetItem *, int>> stack;
    const QTreeWidgetItem *root = tree.invisibleRootItem();
    stack.emplace_back(root, 0);
    while (!stack.empty()) {
        auto &top = stack.back();
        if (top.second >= top.first->childCount()) {
            stack.pop_back();
            continue;
        }
        const QTreeWidgetItem *child = top.first->child(top.second++);
        visit(child);
        if (child->childCount() > 0) {
            stack.emplace_back(child, 0);
        }
    }
}

} // namespace

Entries allLeaves(const QTreeWidget &tree)
{
    Entries entries;
    walkDisplayOrder(tree, [&](const QTreeWidgetItem *item) {
        if (NoteRef record = ::recordOf(item)) {
            entries.push_back({item->text(0), std::move(record)});
        }
    });
    return entries;
}

Entries leavesOfCategory(const QTreeWidget &tree, const QByteArray &category)
{
    Entries entries;
    walkDisplayOrder(tree, [&](const QTreeWidgetItem *item) {
        NoteRef record = ::recordOf(item);
        if (record && record->Category() == category) {
            entries.push_back({item->text(0), std::move(record)});
        }
    });
    return entries;
}

Entries leavesOfCategory(const QTreeWidget &tree, const QString &category)
{
    return leavesOfCategory(tree, encoding::toCp1252(category));
}

void fillList(QListWidget &list, const Entries &entries)
{
    const QSignalBlocker blockList(&list);
    list.clear();
    if (entries.empty()) {
        return;
    }
    QStringList captions;
    captions.reserve(qsizetype(entries.size()));
    for (const Entry &entry : entries) {
        captions.append(entry.caption);
    }
    // One insertion for all rows; attaching the records changes no shown data, so the model need not
    // announce each one to the view.
    list.addItems(captions);
    {
        const QSignalBlocker blockModel(list.model());
        for (int row = 0; row < int(entries.size()); ++row) {
            list.item(row)->setData(RecordRole, QVariant::fromValue(entries[size_t(row)].record));
        }
    }
    list.setCurrentRow(-1);
    list.clearSelection();
}

NoteRef recordOf(const QListWidgetItem *item)
{
    if (item == nullptr) {
        return nullptr;
    }
    return item->data(RecordRole).value<NoteRef>();
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
