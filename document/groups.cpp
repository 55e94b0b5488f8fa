// The Groups list's logic: which leaves it shows and in which order.
#include "document/groups.h"

#include "document/outline.h"
#include "text/encoding.h"

namespace groups {

Leaves allLeaves(const OutlineModel &tree)
{
    Leaves leaves;
    outline::walk(tree, [&](const OutlineNode *node, int) { leaves.push_back(node); });
    return leaves;
}

Leaves leavesOfCategory(const OutlineModel &tree, const QByteArray &category)
{
    Leaves leaves;
    outline::walk(tree, [&](const OutlineNode *node, int) {
        if (node->record()->Category() == category) {
            leaves.push_back(node);
        }
    });
    return leaves;
}

Leaves leavesOfCategory(const OutlineModel &tree, const QString &category)
{
    return leavesOfCategory(tree, encoding::toCp1252(category));
}

} // namespace groups
