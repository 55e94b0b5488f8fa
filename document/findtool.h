// The tool's find command over a tree file read one record at a time.
#pragma once

#include <QString>

class QTextStream;

namespace treetool {

// Prints the caption path ("Top > Child > Leaf") of every leaf whose caption or shown text holds text,
// in outline order. Returns ExitComplete when a leaf matched, ExitNoMatch when none did, ExitCannotOpen
// or ExitDamaged as the other commands do.
int find(const QString &path, const QString &text, QTextStream &out, QTextStream &err);

} // namespace treetool
