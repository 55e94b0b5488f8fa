// The leaves of an outline on their way out, as every writer walks them.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace formats {

// One leaf on its way out. level is 0 for the top of what is written (a subtree's root included).
struct ExportLeaf
{
    int level = 0;
    QString caption;
    QString category;
    QByteArray text;  // the stored text (normally RTF)
};

// Hands every leaf to visit in display order. A source can be walked more than once (the HTML writer walks
// its captions for the table of contents first); withTexts false leaves ExportLeaf::text empty.
using LeafVisitor = std::function<void(const ExportLeaf &)>;
using LeafSource = std::function<void(const LeafVisitor &visit, bool withTexts)>;

} // namespace formats
