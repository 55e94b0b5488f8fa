// Joins paragraphs to a QTextList in document order at a cost that does not grow with the list.
#include "text/rtf/listappend.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#ifdef QUILLAX_QT_PRIVATE
#include <QtGui/private/qtextobject_p.h>

#include <type_traits>
#endif

namespace rtf::detail {

#ifdef QUILLAX_QT_PRIVATE
namespace {

static_assert(std::is_same_v<QTextBlockGroupPrivate::BlockList, QList<QTextBlock>>,
              "the list join swaps a list's paragraphs with a QList<QTextBlock>");

// When a paragraph joins a list, Qt 6 marks every paragraph of the list as changed, one position
// lookup each, so a list of n paragraphs costs n squared to build. In a document being built within
// one edit block the change already spans all of them. The list lends out its paragraphs while the
// new one joins, and takes them back with the new one after them, which keeps them in document order.
// False, with nothing done, where the block cannot join that way.
bool lendAndAdd(QTextList &list, const QTextBlock &block)
{
    auto *group = static_cast<QTextBlockGroupPrivate *>(QObjectPrivate::get(&list));
    if (group->blocks.isEmpty() || block.textList() || group->blocks.constLast().position() >= block.position()) {
        return false;
    }
    QList<QTextBlock> members;
    members.swap(group->blocks);
    list.add(block);
    members.append(group->blocks);
    group->blocks.swap(members);
    return true;
}

// Lending relies on QTextList::add() keeping the list's paragraphs in that one QList, which Qt does not
// promise. A scratch list of three, joined by lending, must count, order and number its paragraphs as
// add() alone would; where it does not, the reader joins with add().
bool lendingKeepsLists()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    QTextList *list = cursor.createList(QTextListFormat::ListDecimal);
    QList<QTextBlock> items{cursor.block()};
    for (int i = 0; i < 2; ++i) {
        cursor.insertBlock(QTextBlockFormat());
        items.append(cursor.block());
        if (!lendAndAdd(*list, cursor.block())) {
            return false;
        }
    }
    cursor.endEditBlock();
    if (list->count() != items.size()) {
        return false;
    }
    for (int i = 0; i < items.size(); ++i) {
        if (list->item(i) != items.at(i) || items.at(i).textList() != list || list->itemNumber(items.at(i)) != i) {
            return false;
        }
    }
    return true;
}

} // namespace
#endif

bool hasConstantListAppend()
{
#ifdef QUILLAX_QT_PRIVATE
    static const bool lends = lendingKeepsLists();
    return lends;
#else
    return false;
#endif
}

void appendToList(QTextList &list, const QTextBlock &block)
{
#ifdef QUILLAX_QT_PRIVATE
    if (hasConstantListAppend() && lendAndAdd(list, block)) {
        return;
    }
#endif
    list.add(block);
}

} // namespace rtf::detail
