// Joins paragraphs to a QTextList in document order at a cost that does not grow with the list.
#pragma once

class QTextBlock;
class QTextList;

namespace rtf::detail {

// True when appendToList() costs the same however long the list is. Without Qt's private headers, or
// with a Qt whose lists the join does not fit, it falls back to QTextList::add(), which costs as much as
// the list is long.
bool hasConstantListAppend();

// Adds the block to the list. Meant for a document being built from its start within one edit block
// (the reader's), with the block after every paragraph of the list.
void appendToList(QTextList &list, const QTextBlock &block);

} // namespace rtf::detail
