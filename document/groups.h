// The Groups list's logic: which leaves it shows and in which order.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class OutlineModel;
class OutlineNode;

namespace groups {

// Leaves as the list shows them, in display order (a node, then its children's subtrees), expanded or not.
using Leaves = std::vector<const OutlineNode *>;

// Every leaf of the tree.
Leaves allLeaves(const OutlineModel &tree);

// The leaves whose category is exactly these bytes: same length, same bytes, case counts, nothing trimmed.
Leaves leavesOfCategory(const OutlineModel &tree, const QByteArray &category);
// The same for a category typed or picked in a box, compared as its Windows-1252 bytes.
Leaves leavesOfCategory(const OutlineModel &tree, const QString &category);

} // namespace groups
