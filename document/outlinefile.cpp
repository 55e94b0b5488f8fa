// The outline file: an outline read from a tree file's records and written back to one.
#include "document/outlinefile.h"

#include "document/outline.h"
#include "document/outlinemodel.h"
#include "document/tvclasses.h"
#include "text/encoding.h"
#include "text/errors.h"
#include "text/fileaccess.h"

#include <QIODevice>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Windows-1252 agrees with ASCII below 0x80; the converter is only needed for the rest.
QString decodeCaption(const QByteArray &bytes)
{
    return isAscii(bytes) ? QString::fromLatin1(bytes) : encoding::fromCp1252(bytes);
}

// Cut to 255 bytes, as stored in the file.
QByteArray encodeCaption(const QString &text)
{
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    QByteArray bytes = ascii ? text.toLatin1() : encoding::toCp1252(text);
    bytes.truncate(MaxCaptionBytes);
    return bytes;
}

// A text as its one Notes entry: without its final line break (CR LF, CR or LF), which writing puts back
// as CR LF, so a text that ends in CR LF is saved as it was read. The entry shares the text's bytes (a
// file's buffer) and, like them, is not followed by a zero byte.
QByteArray notesEntry(const QByteArray &text)
{
    const qsizetype cut = text.endsWith("\r\n") ? 2 : (text.endsWith('\r') || text.endsWith('\n')) ? 1 : 0;
    QByteArray entry = text;
    entry.data_ptr().size -= cut;
    return entry;
}

// Writes the nodes walkNodes(visit) visits, at the levels it gives them.
template <typename Walk>
void writeWalk(QIODevice &out, const QString &name, Walk &&walkNodes)
{
    TreeFileWriter writer(out, name);
    std::size_t count = 0;
    walkNodes([&](const OutlineNode *, int) { ++count; });
    writer.writeCount(count);
    walkNodes([&](const OutlineNode *node, int level) {
        const noteob &record = *node->record();
        const qint64 textLength = joinedLength(record.Notes);
        if (textLength > std::numeric_limits<qint32>::max()) {
            throw FileError(
                QStringLiteral("Cannot write file %1: the text of leaf \"%2\" is too long for a tree file")
                    .arg(writer.name(), node->caption()));
        }
        writer.writeHeader(encodeCaption(node->caption()), level, record.Category(), qint32(textLength));
        forEachJoinedPiece(record.Notes, [&](const char *data, qsizetype size) { writer.writeText(data, size); });
    });
    writer.finish();
}

} // namespace

int AttachLoadedLeaf(int previousLevel, qint32 storedLevel)
{
    if (previousLevel < 0) {
        return 0;
    }
    if (storedLevel > previousLevel) {
        return previousLevel + 1;
    }
    // Climbing stops at the first ancestor whose level is not above the stored level; a negative
    // level climbs past the top and lands there.
    return std::max<qint32>(storedLevel, 0);
}

std::vector<int> placedLevels(const std::vector<TreeFileRecord> &records)
{
    std::vector<int> levels;
    levels.reserve(records.size());
    int previous = -1;
    for (const TreeFileRecord &record : records) {
        previous = AttachLoadedLeaf(previous, record.level);
        levels.push_back(previous);
    }
    return levels;
}

QList<OutlineNode *> assembleOutline(const std::vector<OutlineNode *> &nodes, const std::vector<int> &levels)
{
    // Children are gathered per parent and attached in one call each, before their parent joins a tree.
    struct Open
    {
        OutlineNode *node;
        QList<OutlineNode *> children;
    };
    std::vector<Open> path;
    QList<OutlineNode *> tops;
    auto closeDeepest = [&path] {
        Open &open = path.back();
        if (!open.children.isEmpty()) {
            open.node->addChildren(open.children);
        }
        path.pop_back();
    };
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const int level = std::clamp(levels[i], 0, int(path.size()));
        while (int(path.size()) > level) {
            closeDeepest();
        }
        if (level == 0) {
            tops.append(nodes[i]);
        } else {
            path.back().children.append(nodes[i]);
        }
        path.push_back({nodes[i], {}});
    }
    while (!path.empty()) {
        closeDeepest();
    }
    return tops;
}

QList<OutlineNode *> outlineOf(const std::vector<TreeFileRecord> &records)
{
    std::vector<OutlineNode *> nodes;
    nodes.reserve(records.size());
    for (const TreeFileRecord &stored : records) {
        auto record = std::make_shared<noteob>();
        record->Notes.append(notesEntry(stored.text));
        record->setCategory(stored.category);
        nodes.push_back(new OutlineNode(decodeCaption(stored.caption), std::move(record)));
    }
    return assembleOutline(nodes, placedLevels(records));
}

void populateTree(OutlineModel &tree, const TreeFileContents &contents)
{
    if (!contents.records.empty()) {
        tree.root()->addChildren(outlineOf(contents.records));
    }
}

void writeTreeFile(QIODevice &out, const OutlineModel &tree, const QString &name)
{
    writeWalk(out, name, [&](auto &&visit) { outline::walk(tree, visit); });
}

void writeTreeFile(QIODevice &out, const OutlineNode &leaf, const QString &name)
{
    writeWalk(out, name, [&](auto &&visit) { outline::walkSubtree(leaf, visit); });
}

void saveTreeFile(const QString &path, const OutlineModel &tree)
{
    fileaccess::saveAtomically(path, [&](QIODevice &out) { writeTreeFile(out, tree, path); });
}
