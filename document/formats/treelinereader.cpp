// Reading TreeLine files (JSON, or JSON in gzip): nodes by uid from the top nodes down, a clone once per parent.
#include "document/formats/importoutline.h"
#include "document/formats/gunzip.h"
#include "document/formats/treelineformat.h"

#include "text/rtf/rtfwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

#include <algorithm>

namespace formats {

namespace {

using treeline::Node;
using treeline::NodeType;
using treeline::Tree;

// Clones repeat subtrees, so leaves can outnumber nodes, but a file where they outnumber them by this much
// (and by this many) is built to explode.
constexpr qint64 LeavesPerNode = 16;
constexpr qint64 SpareLeaves = 100000;

// Field values are HTML from the file: nothing in them may make the document read a file or the network.
class DetachedDocument : public QTextDocument
{
protected:
    QVariant loadResource(int, const QUrl &) override { return QVariant(); }
};

[[noreturn]] void failJson(const QByteArray &json, const QJsonParseError &error, bool compressed)
{
    const qint64 offset = std::clamp<qint64>(error.offset, 0, json.size());
    const QByteArrayView before(json.constData(), offset);
    const qint64 line = before.count('\n') + 1;
    const qint64 column = offset - (before.lastIndexOf('\n') + 1) + 1;
    throw ImportError(QStringLiteral("line %1, column %2 (byte %3%4): %5")
                          .arg(line)
                          .arg(column)
                          .arg(offset)
                          .arg(compressed ? QStringLiteral(" of the decompressed data") : QString())
                          .arg(error.errorString()),
                      offset);
}

[[noreturn]] void failShape(const QString &why)
{
    throw ImportError(QStringLiteral("not a TreeLine file: %1").arg(why), 0);
}

QJsonArray arrayAt(const QJsonObject &object, const char *key, const QString &where)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isArray()) {
        failShape(QStringLiteral("%1 has no \"%2\" list").arg(where, QLatin1String(key)));
    }
    return value.toArray();
}

Tree parseTree(const QJsonObject &root, std::vector<int> &tops)
{
    const QJsonArray formats = arrayAt(root, "formats", QStringLiteral("the file"));
    const QJsonArray nodes = arrayAt(root, "nodes", QStringLiteral("the file"));
    if (!root.value(QLatin1String("properties")).isObject()) {
        failShape(QStringLiteral("the file has no \"properties\""));
    }
    const QJsonArray topNodes =
        arrayAt(root.value(QLatin1String("properties")).toObject(), "topnodes", QStringLiteral("\"properties\""));
    Tree tree;
    QHash<QString, int> typeIndex;
    for (const QJsonValue &value : formats) {
        NodeType type = treeline::parseNodeType(value.toObject());
        typeIndex.insert(type.name, int(tree.types.size()));
        tree.types.push_back(std::move(type));
    }
    QHash<QString, int> nodeIndex;
    std::vector<QJsonArray> childLists;
    for (const QJsonValue &value : nodes) {
        const QJsonObject object = value.toObject();
        Node node;
        node.uid = object.value(QLatin1String("uid")).toString();
        node.typeName = object.value(QLatin1String("format")).toString();
        node.type = typeIndex.value(node.typeName, -1);
        node.data = object.value(QLatin1String("data")).toObject();
        // A later node of the same uid stands for it, as in TreeLine's node dictionary.
        nodeIndex.insert(node.uid, int(tree.nodes.size()));
        tree.nodes.push_back(std::move(node));
        childLists.push_back(object.value(QLatin1String("children")).toArray());
    }
    // TreeLine drops a reference to a node the file does not hold, and so does this.
    for (size_t i = 0; i < tree.nodes.size(); ++i) {
        for (const QJsonValue &child : childLists[i]) {
            const auto it = nodeIndex.constFind(child.toString());
            if (it != nodeIndex.constEnd()) {
                tree.nodes[i].children.push_back(*it);
            }
        }
    }
    for (const QJsonValue &top : topNodes) {
        const auto it = nodeIndex.constFind(top.toString());
        if (it != nodeIndex.constEnd()) {
            tops.push_back(*it);
        }
    }
    return tree;
}

[[noreturn]] void failDepth(const Node &node)
{
    throw ImportError(QStringLiteral("node \"%1\" lies deeper than %2 levels").arg(node.uid).arg(MaxImportDepth), -1);
}

// The number of leaves the tree gives, each clone counted under every parent; refuses a node that is its own
// ancestor, nesting deeper than MaxImportDepth and more than limit leaves, before any leaf is made.
qint64 countLeaves(const Tree &tree, const std::vector<int> &tops, qint64 limit)
{
    enum : char { Unseen, Open, Done };
    std::vector<char> state(tree.nodes.size(), Unseen);
    std::vector<qint64> size(tree.nodes.size(), 0);
    struct Frame
    {
        int node;
        size_t next;
        qint64 sum;
    };
    std::vector<Frame> stack;
    qint64 total = 0;
    const auto tooMany = [&] {
        throw ImportError(QStringLiteral("the clones of the file's %1 nodes would make more than %2 leaves")
                              .arg(tree.nodes.size())
                              .arg(limit),
                          -1);
    };
    for (const int top : tops) {
        if (state[size_t(top)] == Unseen) {
            stack.push_back(Frame{top, 0, 1});
            state[size_t(top)] = Open;
        }
        while (!stack.empty()) {
            Frame &frame = stack.back();
            const std::vector<int> &children = tree.nodes[size_t(frame.node)].children;
            if (frame.next == children.size()) {
                size[size_t(frame.node)] = frame.sum;
                state[size_t(frame.node)] = Done;
                const qint64 sum = frame.sum;
                stack.pop_back();
                if (!stack.empty()) {
                    stack.back().sum = std::min(stack.back().sum + sum, limit + 1);
                }
                continue;
            }
            const int child = children[frame.next++];
            if (state[size_t(child)] == Open) {
                throw ImportError(QStringLiteral("node \"%1\" is its own ancestor: it lists itself among its "
                                                 "descendants")
                                      .arg(tree.nodes[size_t(child)].uid),
                                  -1);
            }
            if (state[size_t(child)] == Done) {
                frame.sum = std::min(frame.sum + size[size_t(child)], limit + 1);
                continue;
            }
            if (stack.size() >= size_t(MaxImportDepth)) {
                failDepth(tree.nodes[size_t(child)]);
            }
            state[size_t(child)] = Open;
            stack.push_back(Frame{child, 0, 1});
        }
        total = std::min(total + size[size_t(top)], limit + 1);
        if (total > limit) {
            tooMany();
        }
    }
    return total;
}

// TreeLine's tables may claim any span; the document would build every cell.
QString withoutSpans(QString html)
{
    static const QRegularExpression spans(QStringLiteral("\\b(colspan|rowspan)\\s*="),
                                          QRegularExpression::CaseInsensitiveOption);
    if (html.contains(QLatin1String("span"), Qt::CaseInsensitive)) {
        html.replace(spans, QStringLiteral("data-span="));
    }
    return html;
}

// The leaf's text: one "Field: value" paragraph for every field that holds something the title does not
// already show whole, in the type's order; a node of a type the file lacks shows all its data.
QByteArray textOf(const Tree &tree, const Node &node, QTextDocument &document)
{
    QString html;
    const auto add = [&](const QString &name, const QString &value) {
        if (!value.isEmpty()) {
            html +=
                QStringLiteral("<p>") + name.toHtmlEscaped() + QStringLiteral(": ") + value + QStringLiteral("</p>");
        }
    };
    if (node.type >= 0) {
        const NodeType &type = tree.types[size_t(node.type)];
        for (const treeline::Field &field : type.fields) {
            if (!treeline::titleShowsWhole(type, field, node.data)) {
                add(field.name, treeline::htmlValue(field, node.data));
            }
        }
    } else {
        for (auto it = node.data.constBegin(); it != node.data.constEnd(); ++it) {
            treeline::Field field;
            field.name = it.key();
            add(field.name, treeline::htmlValue(field, node.data));
        }
    }
    if (html.isEmpty()) {
        return QByteArray();
    }
    document.setHtml(withoutSpans(html));
    return rtf::write(document);
}

} // namespace

void readTreeLine(const QByteArray &bytes, LeafSink &sink)
{
    const bool compressed = isGzip(bytes);
    const QByteArray json = compressed ? gunzip(bytes, gunzipLimit(bytes.size())) : bytes;
    QJsonParseError error;
    const QJsonDocument file = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        failJson(json, error, compressed);
    }
    if (!file.isObject()) {
        failShape(QStringLiteral("the file holds no JSON object"));
    }
    std::vector<int> tops;
    const Tree tree = parseTree(file.object(), tops);
    const qint64 limit = LeavesPerNode * qint64(tree.nodes.size()) + SpareLeaves;
    const qint64 total = countLeaves(tree, tops, limit);

    DetachedDocument document;
    std::vector<QByteArray> texts(tree.nodes.size());
    std::vector<char> textDone(tree.nodes.size(), 0);
    std::vector<int> path;  // the ancestors of the node being added, the top first
    std::vector<size_t> next;
    qint64 added = 0;
    const auto addLeaf = [&](int index) {
        const Node &node = tree.nodes[size_t(index)];
        if (path.size() >= size_t(MaxImportDepth)) {
            failDepth(node);
        }
        if (!textDone[size_t(index)]) {
            texts[size_t(index)] = textOf(tree, node, document);
            textDone[size_t(index)] = 1;
        }
        // Progress goes by leaves: a share of the source's size.
        const qint64 offset = total > 0 ? qint64(double(++added) / double(total) * double(bytes.size())) : 0;
        sink.addLeaf(int(path.size()), treeline::titleOf(tree, index, path), node.typeName, texts[size_t(index)],
                     offset);
        path.push_back(index);
        next.push_back(0);
    };
    for (const int top : tops) {
        addLeaf(top);
        while (!path.empty()) {
            const std::vector<int> &children = tree.nodes[size_t(path.back())].children;
            if (next.back() == children.size()) {
                path.pop_back();
                next.pop_back();
                continue;
            }
            addLeaf(children[next.back()++]);
        }
    }
}

} // namespace formats
