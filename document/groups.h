// The Groups list's logic: which leaves it shows and in which order.
#pragma once

#include "document/tvclasses.h"

#include <QByteArray>
#include <QString>

#include <vector>

class OutlineModel;

namespace groups {

// One entry of the list: the caption the leaf had when the list was filled and its record.
struct Entry
{
    QString caption;
    NoteRef record;
};
using Entries = std::vector<Entry>;

// Every leaf of the tree in display order (a node, then its children's subtrees), expanded or not.
Entries allLeaves(const OutlineModel &tree);

// The leaves whose category is exactly these bytes: same length, same bytes, case counts, nothing trimmed.
Entries leavesOfCategory(const OutlineModel &tree, const QByteArray &category);
// The same for a category typed or picked in a box, compared as its Windows-1252 bytes.
Entries leavesOfCategory(const OutlineModel &tree, const QString &category);

} // namespace groups
