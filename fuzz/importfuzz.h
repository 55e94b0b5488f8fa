// What the outline readers' fuzz targets require of the leaves they read: placed levels, and captions and
// categories within the tree file's fields. Included after fuzz/fuzztarget.h.
#pragma once

#include "document/formats/leafsink.h"
#include "document/treefile.h"

#include <vector>

// Each level at most one deeper than the one before (the first at 0) and below levelLimit.
inline void requireImportedRecords(const std::vector<TreeFileRecord> &records,
                                   int levelLimit = formats::MaxImportDepth)
{
    int previous = -1;
    for (const TreeFileRecord &record : records) {
        require(record.level >= 0 && record.level <= previous + 1 && record.level < levelLimit);
        require(record.caption.size() <= 255);
        require(record.category.size() <= 20);
        previous = record.level;
    }
}
