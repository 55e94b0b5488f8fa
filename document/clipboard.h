// Leaves as clipboard data: a leaf with its subtree turned into MIME data and back, and copies of subtrees.
#pragma once

#include <QList>

#include <memory>

class OutlineNode;
class QMimeData;

// The format that carries leaves whole: the bytes of a tree file holding the copied leaf (at level 0) and
// its subtree, records as a tree file stores them.
constexpr const char *LeavesMimeType = "application/x-quillax-leaves";

// The leaf with its subtree in three formats: LeavesMimeType; text/plain, the captions one a line with a
// tab per level below the leaf; text/html, the captions as nested lists, each leaf's text under its caption.
// Throws FileError when a text is too long for a tree file.
std::unique_ptr<QMimeData> leavesToMime(const OutlineNode &leaf);

// The leaves the data holds, as new top-level nodes with their subtrees and records of their own, in no
// tree: from LeavesMimeType when present (a damaged payload gives the records that could be read whole),
// else from the text. Empty when nothing is usable. Never throws for bad data.
QList<OutlineNode *> leavesFromMime(const QMimeData &mime);

// The leaves of an indented text, one a non-blank line: each leading tab, or each two leading spaces, is
// a level; a line more than one level deeper than the line before is placed one level deeper, a first line
// at the top. The rest of the line, cut to MaxCaptionBytes characters, is the caption; records are new.
QList<OutlineNode *> leavesFromText(const QString &text);

// A copy of the leaf with its subtree, in no tree, as the one node of a list like the pasted leaves: the
// same captions and shape, and new records holding copies of the texts and categories, so editing the
// copy leaves the original as it is.
QList<OutlineNode *> copyOfSubtree(const OutlineNode &leaf);
