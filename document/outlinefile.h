// The outline file: an outline read from a tree file's records and written back to one.
#pragma once

#include "document/treefile.h"

#include <QList>
#include <QString>

class QIODevice;
class OutlineModel;
class OutlineNode;

// The placement rule of a loaded leaf: the level the new node gets, given the level of the node placed
// before it (-1 for the first record) and the stored level. The first record goes to the top level;
// a deeper record becomes the last child of the previous node (exactly one level deeper); otherwise the
// node climbs while its stored level is smaller, then becomes the last sibling; a negative level that
// climbs past the top is placed at the top level.
int AttachLoadedLeaf(int previousLevel, qint32 storedLevel);

// The levels that placement gives the records, in file (= display) order.
std::vector<int> placedLevels(const std::vector<TreeFileRecord> &records);

// Puts nodes in no tree together as an outline: nodes in display order, each at its level (0 at the top,
// at most one deeper than the node before it; a deeper one is taken as exactly one deeper). The top-level
// nodes with their subtrees, in no tree yet.
QList<OutlineNode *> assembleOutline(const std::vector<OutlineNode *> &nodes, const std::vector<int> &levels);

// The outline the records describe: one node per record, placed by AttachLoadedLeaf, as top-level nodes
// with their subtrees, in no tree yet. A node's Notes hold one entry with the whole text but its final line
// break, which writing puts back as CR LF; captions are decoded from Windows-1252.
QList<OutlineNode *> outlineOf(const std::vector<TreeFileRecord> &records);

// Adds the outline of the records after the tree's top-level nodes (the window clears the tree first),
// so a view hears of the whole outline once. Opens, selects and fills nothing else: that is the view's.
void populateTree(OutlineModel &tree, const TreeFileContents &contents);

// Writes the outline in display order (every node, whether a view shows it open or not). name is used
// in error messages; when empty the device's file name is used. Throws FileError("Cannot write file %1: %2")
// when the device refuses a write or a leaf cannot be stored.
void writeTreeFile(QIODevice &out, const OutlineModel &tree, const QString &name = QString());

// Writes a leaf with its subtree as a tree file of its own, the leaf at level 0; throws as above.
void writeTreeFile(QIODevice &out, const OutlineNode &leaf, const QString &name = QString());

// Saves the outline at path as fileaccess::saveAtomically saves: a failed save leaves the old file intact.
void saveTreeFile(const QString &path, const OutlineModel &tree);
