// The Groups list: which leaves it shows, in which order, and the record behind each entry.
#pragma once

#include "document/tvclasses.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QListWidget;
class QListWidgetItem;
class QTreeWidget;

namespace groups {

// One entry of the list: the caption the leaf had when the list was filled and its record.
struct Entry
{
    QString caption;
    NoteRef record;
};
using Entries = std::vector<Entry>;

// Every leaf of the tree in display order (a node, then its children's subtrees), expanded or not.
Entries allLeaves(const QTreeWidget &tree);

// The leaves whose category is exactly these bytes: same length, same bytes, case counts, nothing trimmed.
Entries leavesOfCategory(const QTreeWidget &tree, const QByteArray &category);
// The same for a category typed or picked in a box, compared as its Windows-1252 bytes.
Entries leavesOfCategory(const QTreeWidget &tree, const QString &category);

// Replaces the list's entries by these in one insertion, with the list's own signals blocked;
// afterwards no entry is picked. The list keeps the records alive, not the tree.
void fillList(QListWidget &list, const Entries &entries);

// The record an entry refers to, or null.
NoteRef recordOf(const QListWidgetItem *item);

// The picked entry: the list's selected entry, or null when none is selected.
QListWidgetItem *pickedItem(const QListWidget &list);

} // namespace groups
