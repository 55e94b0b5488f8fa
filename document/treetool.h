// The tree-file commands of the command-line tool: outline, export and check.
#pragma once

#include <QString>

class QTextStream;

namespace treetool {

// Each returns the exit status: 0 complete, 1 cannot open, 3 short or damaged file, 2 bad usage.
int outline(const QString &path, QTextStream &out, QTextStream &err);
int exportTree(const QString &path, const QString &format, QTextStream &out, QTextStream &err);
int check(const QString &path, QTextStream &out, QTextStream &err);
// Prints the caption path ("Top > Child > Leaf") of every leaf whose caption or shown text holds text,
// in outline order. Returns 0 when a leaf matched and 4 when none did; 1 and 3 as above.
int find(const QString &path, const QString &text, QTextStream &out, QTextStream &err);

// Builds a tree file from a readable outline source (the help document's sources).
int makeTree(const QString &sourcePath, const QString &outputPath, QTextStream &err);

} // namespace treetool
