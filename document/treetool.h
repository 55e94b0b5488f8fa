// The tree-file commands of the command-line tool: outline, export, check, make-tree and import.
#pragma once

#include <QString>

class QIODevice;
class QTextStream;

namespace treetool {

// The tool's exit statuses.
constexpr int ExitComplete = 0;    // done; find: a leaf matched
constexpr int ExitCannotOpen = 1;  // a file cannot be opened (or memory ran out)
constexpr int ExitUsage = 2;       // bad usage
constexpr int ExitDamaged = 3;     // a short or damaged tree file
constexpr int ExitNoMatch = 4;     // find matched no leaf; export: no leaf at the caption path
constexpr int ExitNotOutline = 5;  // import: the source is no readable outline of a known kind

// Each returns one of the exit statuses above.
int outline(const QString &path, QTextStream &out, QTextStream &err);
// Writes the whole tree file, or with leafPath ("Top > Child", as find prints it) that leaf and its subtree,
// in a format formats::parseOutlineFormat knows.
int exportTree(const QString &path, const QString &format, const QString &leafPath, QIODevice &out,
               QTextStream &err);
int check(const QString &path, QTextStream &out, QTextStream &err);

// Builds a tree file from a readable outline source (the help document's sources).
int makeTree(const QString &sourcePath, const QString &outputPath, QTextStream &err);

// Builds a tree file from an OPML, CherryTree, TreeLine or Markdown file, its kind told by its content; what
// the tree file's limits cost is told on err.
int importOutline(const QString &sourcePath, const QString &outputPath, QTextStream &err);

} // namespace treetool
