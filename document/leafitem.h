// A node of the outline tree: its caption lives in the item, its record is shared.
#pragma once

#include "document/outlinemodel.h"
#include "document/tvclasses.h"


class LeafItem : public OutlineItem
{
public:
    static constexpr int Type = OutlineItem::UserType + 1;

    LeafItem(NoteRef record, const QString &caption);

    const NoteRef &record() const { return record_; }

private:
    NoteRef record_;
};

// The record of a tree item, or null for anything that is not a leaf.
NoteRef recordOf(const OutlineItem *item);
