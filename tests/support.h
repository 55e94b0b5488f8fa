// Helpers shared by several tests: outlines written as text, and tree-file records built by hand.
#pragma once

#include "document/outline.h"
#include "document/outlinemodel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace support {

// Outlines are written as captions separated by blanks, children in brackets: "A[B[C] D] E".
inline void buildOutline(OutlineModel &tree, const QString &text)
{
    OutlineNode *container = tree.root();
    OutlineNode *last = nullptr;
    QString name;
    auto flush = [&] {
        if (!name.isEmpty()) {
            last = new OutlineNode(name);
            container->addChild(last);
            name.clear();
        }
    };
    for (const QChar c : text) {
        if (c == QLatin1Char('[')) {
            flush();
            container = last;
        } else if (c == QLatin1Char(']')) {
            flush();
            last = container;
            container = container->parent() != nullptr ? container->parent() : tree.root();
        } else if (c == QLatin1Char(' ')) {
            flush();
        } else {
            name += c;
        }
    }
    flush();
}

// The outline below container in the notation of buildOutline.
inline QString describe(const OutlineNode *container)
{
    QStringList parts;
    for (int i = 0; i < container->childCount(); ++i) {
        const OutlineNode *child = container->child(i);
        QString part = child->caption();
        if (child->childCount() > 0) {
            part += QLatin1Char('[') + describe(child) + QLatin1Char(']');
        }
        parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

inline QString describe(const OutlineModel &tree)
{
    return describe(tree.root());
}

// The first node in display order with this caption, or null.
inline OutlineNode *findNode(const OutlineModel &tree, const QString &caption)
{
    OutlineNode *found = nullptr;
    outline::walk(tree, [&](OutlineNode *node, int) {
        if (found == nullptr && !caption.isEmpty() && node->caption() == caption) {
            found = node;
        }
    });
    return found;
}

// Every node in display order.
inline std::vector<OutlineNode *> nodesOf(const OutlineModel &tree)
{
    std::vector<OutlineNode *> nodes;
    outline::walk(tree, [&](OutlineNode *node, int) { nodes.push_back(node); });
    return nodes;
}

// A new leaf with a caption and a category.
inline OutlineNode *leaf(const QString &caption, const QByteArray &category)
{
    auto *node = new OutlineNode(caption);
    node->record()->setCategory(category);
    return node;
}

// The outline the Groups tests share:
// A  (Memo)
//   B  (memo)        parent of C
//     C  (Memo )
//   D  ("")
// E  (Memo)
// F  (Café)
inline void buildGroupsSample(OutlineModel &tree)
{
    OutlineNode *a = leaf(QStringLiteral("A"), "Memo");
    OutlineNode *b = leaf(QStringLiteral("B"), "memo");
    tree.root()->addChild(a);
    a->addChild(b);
    b->addChild(leaf(QStringLiteral("C"), "Memo "));
    a->addChild(leaf(QStringLiteral("D"), ""));
    tree.root()->addChild(leaf(QStringLiteral("E"), "Memo"));
    tree.root()->addChild(leaf(QStringLiteral("F"), QByteArray("Caf\xe9")));
}

inline QByteArray le32(qint32 v)
{
    const auto u = quint32(v);
    QByteArray b;
    b.append(char(u & 0xff)).append(char((u >> 8) & 0xff)).append(char((u >> 16) & 0xff)).append(char(u >> 24));
    return b;
}

// One tree-file record built by hand, independent of the writer: padding bytes are given explicitly, and
// the length bytes may lie.
inline QByteArray recordBytes(const QByteArray &caption, qint32 level, const QByteArray &category,
                              const QByteArray &text, char pad = '\0', int captionLengthByte = -1,
                              int categoryLengthByte = -1)
{
    QByteArray r;
    r.append(char(captionLengthByte < 0 ? caption.size() : captionLengthByte));
    r.append(caption.left(255));
    r.append(QByteArray(255 - qMin<qsizetype>(caption.size(), 255), pad));
    r.append(le32(level));
    r.append(char(categoryLengthByte < 0 ? category.size() : categoryLengthByte));
    r.append(category.left(20));
    r.append(QByteArray(20 - qMin<qsizetype>(category.size(), 20), pad));
    r.append(le32(qint32(text.size())));
    r.append(text);
    return r;
}

} // namespace support
