// The Groups list's logic: which leaves it shows and in which order.
#include "document/groups.h"

#include "text/encoding.h"
#include "document/leafitem.h"
#include "document/outlinemodel.h"


#include <utility>

namespace groups {

namespace {

// Visits every item in display order without recursion: outlines can be as deep as they are long.
template <class Visit>
void walkDisplayOrder(const OutlineModel &tree, Visit &&visit)
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

Entries allLeaves(const OutlineModel &tree)
{
    Entries entries;
    walkDisplayOrder(tree, [&](const OutlineItem *item) {
        if (NoteRef record = ::recordOf(item)) {
            entries.push_back({item->text(0), std::move(record)});
        }
    });
    return entries;
}

Entries leavesOfCategory(const OutlineModel &tree, const QByteArray &category)
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

Entries leavesOfCategory(const OutlineModel &tree, const QString &category)
{
    return leavesOfCategory(tree, encoding::toCp1252(category));
}

} // namespace groups
