// libFuzzer target: arbitrary bytes pasted as leaves, once as the leaves payload and once as plain text.
#include "document/clipboard.h"
#include "document/outline.h"
#include "document/outlinefile.h"
#include "document/outlinemodel.h"
#include "document/treefile.h"
#include "fuzz/fuzztarget.h"

#include <QMimeData>
#include <QRegularExpression>

#include <cstdint>

namespace {

struct Placed
{
    const OutlineNode *node;
    int level;
};

// The pasted leaves put in a tree, in display order with their levels.
std::vector<Placed> placedIn(OutlineModel &tree, const QList<OutlineNode *> &tops)
{
    tree.clear();
    tree.root()->addChildren(tops);
    std::vector<Placed> placed;
    outline::walk(tree, [&](const OutlineNode *node, int level) { placed.push_back({node, level}); });
    return placed;
}

// Copied back through one clipboard format, each top-level leaf gives itself again: the same shape, captions
// of the same length (the same captions through the text) and new records; through the payload, the same
// categories and texts.
void requireCopiesAgree(const std::vector<Placed> &placed, const QString &format)
{
    const bool asPayload = format == QLatin1String(LeavesMimeType);
    OutlineModel again;
    std::size_t at = 0;
    while (at < placed.size()) {
        const std::unique_ptr<QMimeData> mime = leavesToMime(*placed[at].node);
        QMimeData one;
        one.setData(format, mime->data(format));
        const std::vector<Placed> copy = placedIn(again, leavesFromMime(one));
        require(!copy.empty() && at + copy.size() <= placed.size());
        for (const Placed &leaf : copy) {
            const Placed &original = placed[at++];
            const noteob &record = *leaf.node->record();
            require(leaf.level == original.level);
            require(leaf.node->caption().size() == original.node->caption().size());
            require(asPayload || leaf.node->caption() == original.node->caption());
            require(leaf.node->record() != original.node->record());
            require(!asPayload || record.Notes == LineList{joinLines(original.node->record()->Notes)});
            require(!asPayload || record.Category() == original.node->record()->Category());
        }
        require(at == placed.size() || placed[at].level == 0);
    }
}

void readAsPayload(const QByteArray &bytes)
{
    const TreeFileContents contents = readTreeFile(bytes);
    const std::vector<int> levels = placedLevels(contents.records);
    QMimeData mime;
    mime.setData(QLatin1String(LeavesMimeType), bytes);
    static OutlineModel tree;
    const std::vector<Placed> placed = placedIn(tree, leavesFromMime(mime));
    require(placed.size() == contents.records.size());
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const TreeFileRecord &record = contents.records[i];
        const noteob &pasted = *placed[i].node->record();
        require(placed[i].level == levels[i]);
        require(placed[i].node->caption().size() == record.caption.size());
        require(pasted.Category() == record.category);
        require(pasted.Notes == LineList{record.text});
    }
    if (placed.size() <= 64) {
        requireCopiesAgree(placed, QLatin1String(LeavesMimeType));
    }
}

void readAsText(const QByteArray &bytes)
{
    QMimeData mime;
    mime.setData(QStringLiteral("text/plain"), bytes);
    const QString text = mime.text();
    static OutlineModel tree;
    const std::vector<Placed> placed = placedIn(tree, leavesFromMime(mime));

    // Every non-blank line is a leaf, at the level its indentation asks for as far as placement allows.
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n"));
    static const QRegularExpression indentation(QStringLiteral("^(?:\\t|  )*"));
    std::size_t at = 0;
    int previous = -1;
    for (const QString &line : text.split(lineBreak)) {
        if (line.trimmed().isEmpty()) {
            continue;
        }
        require(at < placed.size());
        const QString indent = indentation.match(line).captured();
        const int asked = int(indent.count(QLatin1Char('\t')) + indent.count(QLatin1Char(' ')) / 2);
        previous = AttachLoadedLeaf(previous, asked);
        const QString &caption = placed[at].node->caption();
        require(placed[at].level == previous);
        require(!caption.trimmed().isEmpty() && caption.size() <= MaxCaptionBytes);
        require(line.mid(indent.size()).startsWith(caption));
        require(placed[at].node->record()->Notes.isEmpty());
        require(placed[at].node->record()->Category() == "Unknown");
        ++at;
    }
    require(at == placed.size());
    requireCopiesAgree(placed, QStringLiteral("text/plain"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    readAsPayload(bytes);
    readAsText(bytes);
    return 0;
}
