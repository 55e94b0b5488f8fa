// The tree-file commands of the command-line tool: outline, export and check.
#pragma once

#include <QString>

class QTextStream;

namespace treetool {

// The tool's exit statuses.
constexpr int ExitComplete = 0;    // done; find: a leaf matched
constexpr int ExitCannotOpen = 1;  // a file cannot be opened (or memory ran out)
constexpr int ExitUsage = 2;       // bad usage
constexpr int ExitDamaged = 3;     // a short or damaged tree file
constexpr int ExitNoMatch = 4;     // find matched no leaf

// Each returns one of the exit statuses above.
int outline(const QString &path, QTextStream &out, QTextStream &err);
int exportTree(const QString &path, const QString &format, QTextStream &out, QTextStream &err);
int check(const QString &path, QTextStream &out, QTextStream &err);

// Builds a tree file from a readable outline source (the help document's sources).
int makeTree(const QString &sourcePath, const QString &outputPath, QTextStream &err);

} // namespace treetool
