// Joins paragraphs to a QTextList in document order at a cost that does not grow with the list.
#include "text/rtf/listappend.h"

#include <QTextBlock>
#include <QTextList>

#ifdef QUILLAX_QT_PRIVATE
#include <QtGui/private/qtextobject_p.h>
#endif

namespace rtf::detail {

bool hasConstantListAppend()
{
#ifdef QUILLAX_QT_PRIVATE
    return true;
#else
    return false;
#endif
}

void appendToList(QTextList &list, const QTextBlock &block)
{
#ifdef QUILLAX_QT_PRIVATE
    // When a paragraph joins a list, Qt 6 marks every paragraph of the list as changed, one position
    // lookup each, so a list of n paragraphs costs n squared to build. In a document being built within
    // one edit block the change already spans all of them. The list lends out its paragraphs while the
    // new one joins, and takes them back with the new one after them, which keeps them in document order.
    auto *group = static_cast<QTextBlockGroupPrivate *>(QObjectPrivate::get(&list));
    if (!group->blocks.isEmpty() && !block.textList() && group->blocks.constLast().position() < block.position()) {
        QList<QTextBlock> members;
        members.swap(group->blocks);
        list.add(block);
        members.append(group->blocks);
        group->blocks.swap(members);
        return;
    }
#endif
    list.add(block);
}

} // namespace rtf::detail
