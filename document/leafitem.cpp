// A node of the outline tree: its caption lives in the item, its record is shared.
#include "document/leafitem.h"

#include <utility>

LeafItem::LeafItem(NoteRef record, const QString &caption) : OutlineItem(Type), record_(std::move(record))
{
    setText(0, caption);
    setFlags(flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
}

NoteRef recordOf(const OutlineItem *item)
{
    if (item == nullptr || item->type() != LeafItem::Type) {
        return nullptr;
    }
    return static_cast<const LeafItem *>(item)->record();
}
