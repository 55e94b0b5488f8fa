// Finding text across the outline: the leaves' folded texts and the walk over them in display order.
#include "document/findindex.h"

#include "document/outlinemodel.h"
#include "text/finding.h"
#include "text/rtf/plaintext.h"

#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>
#include <QThreadPool>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

// The index is built on threads of its own. The raster paint engine splits large fills over the global
// thread pool and waits for them: with an index build holding every thread of that pool, each repaint of
// the window waited seconds for the build to finish.
Q_GLOBAL_STATIC(QThreadPool, indexThreads)

// glibc's memmem scans many bytes a step, several times faster here than a generic searcher.
bool holds(const QByteArray &text, const QByteArray &query)
{
    return memmem(text.constData(), size_t(text.size()), query.constData(), size_t(query.size())) != nullptr;
}

} // namespace

QByteArray FindIndex::fold(const QString &text)
{
    return finding::searchable(text).toUtf8();
}

bool FindIndex::matchesFolded(const QByteArray &caption, const QByteArray &text, const QByteArray &query)
{
    return !query.isEmpty() && (holds(caption, query) || holds(text, query));
}

FindIndex::Key FindIndex::keyOf(const OutlineNode *leaf)
{
    return leaf != nullptr ? leaf->record().get() : nullptr;
}

std::vector<FindIndex::Source> FindIndex::sourcesOf(const Leaves &leaves)
{
    std::vector<Source> sources;
    sources.reserve(leaves.size());
    for (const OutlineNode *leaf : leaves) {
        sources.push_back({keyOf(leaf), leaf->caption(), leaf->record()->Notes});
    }
    return sources;
}

FindIndex FindIndex::build(const std::vector<Source> &sources)
{
    // The texts are read in parallel slices, then entered into the table on this thread.
    std::vector<Entry> made(sources.size());
    const int slices = std::max(1, std::min(64, int(sources.size() / 256)));
    std::vector<int> slice(static_cast<size_t>(slices));
    std::iota(slice.begin(), slice.end(), 0);
    QtConcurrent::blockingMap(indexThreads(), slice, [&](int k) {
        const size_t from = sources.size() * size_t(k) / size_t(slices);
        const size_t to = sources.size() * size_t(k + 1) / size_t(slices);
        for (size_t i = from; i < to; ++i) {
            fill(made[i], sources[i].caption, sources[i].notes);
        }
    });
    FindIndex index;
    index.entries_.reserve(sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        index.entries_[sources[i].key] = std::move(made[i]);
    }
    return index;
}

bool FindIndex::isCurrent(const Entry &e, const LineList &notes)
{
    return e.notesData == notes.constData() && e.notesSize == notes.size() &&
           e.firstData == (notes.isEmpty() ? nullptr : notes.first().constData());
}

int FindIndex::refresh(const Leaves &leaves, std::vector<const void *> *entries)
{
    int read = 0;
    for (const OutlineNode *leaf : leaves) {
        const Key key = keyOf(leaf);
        const auto it = entries_.find(key);
        if (it == entries_.end() || !isCurrent(it->second, key->Notes)) {
            set(key, leaf->caption(), key->Notes);
            ++read;
        } else if (it->second.captionShown != leaf->caption()) {
            setCaption(key, leaf->caption());
        }
    }
    if (entries_.size() > leaves.size()) {
        // Leaves were removed: keep only those listed.
        std::unordered_map<Key, Entry> kept;
        kept.reserve(leaves.size());
        for (const OutlineNode *leaf : leaves) {
            const auto it = entries_.find(keyOf(leaf));
            if (it != entries_.end()) {
                kept.emplace(it->first, std::move(it->second));
            }
        }
        entries_.swap(kept);
    }
    if (entries) {
        // Elements of the table keep their place until erased, so the pointers stay good.
        entries->clear();
        entries->reserve(leaves.size());
        for (const OutlineNode *leaf : leaves) {
            entries->push_back(&entries_.find(keyOf(leaf))->second);
        }
    }
    return read;
}

bool FindIndex::entryMatches(const void *entry, const QByteArray &foldedQuery)
{
    const auto *e = static_cast<const Entry *>(entry);
    return matchesFolded(e->caption, e->text, foldedQuery);
}

QFuture<FindIndex> FindIndex::buildInBackground(std::vector<Source> sources)
{
    return QtConcurrent::run(indexThreads(), [sources = std::move(sources)] { return build(sources); });
}

void FindIndex::set(Key key, const QString &caption, const LineList &notes)
{
    fill(entries_[key], caption, notes);
}

void FindIndex::fill(Entry &e, const QString &caption, const LineList &notes)
{
    e.captionShown = caption;
    e.caption = fold(caption);
    e.text = fold(richtext::shownText(readableText(notes)));
    e.text.squeeze();
    e.notesData = notes.constData();
    e.notesSize = notes.size();
    e.firstData = notes.isEmpty() ? nullptr : notes.first().constData();
}

void FindIndex::setCaption(Key key, const QString &caption)
{
    const auto it = entries_.find(key);
    if (it != entries_.end()) {
        it->second.captionShown = caption;
        it->second.caption = fold(caption);
    }
}

void FindIndex::remove(Key key)
{
    entries_.erase(key);
}

bool FindIndex::matches(Key key, const QByteArray &foldedQuery) const
{
    const auto it = entries_.find(key);
    return it != entries_.end() && matchesFolded(it->second.caption, it->second.text, foldedQuery);
}

std::vector<int> FindIndex::find(const QString &query, const std::vector<Key> &order) const
{
    std::vector<int> positions;
    const QByteArray q = fold(query);
    if (q.isEmpty()) {
        return positions;
    }
    for (size_t i = 0; i < order.size(); ++i) {
        const auto it = entries_.find(order[i]);
        if (it != entries_.end() && matchesFolded(it->second.caption, it->second.text, q)) {
            positions.push_back(int(i));
        }
    }
    return positions;
}

qint64 FindIndex::memoryBytes() const
{
    // Each entry: a hash node (key, entry, next pointer, cached hash) and a bucket; the caption as
    // shown is shared with the outline.
    constexpr qint64 PerEntry = qint64(sizeof(Key) + sizeof(Entry) + 2 * sizeof(void *) + sizeof(void *));
    // A QByteArray block carries a header of about three pointers and a terminating zero.
    constexpr qint64 PerArray = 3 * qint64(sizeof(void *)) + 1;
    qint64 total = 0;
    for (const auto &[key, e] : entries_) {
        total += PerEntry + e.caption.capacity() + e.text.capacity() + 2 * PerArray;
    }
    return total;
}

int nextMatch(const std::vector<int> &positions, int from, bool forward)
{
    if (positions.empty()) {
        return -1;
    }
    if (forward) {
        const auto it = std::upper_bound(positions.begin(), positions.end(), from);
        return it == positions.end() ? 0 : int(it - positions.begin());
    }
    const auto it = std::lower_bound(positions.begin(), positions.end(), from);
    return it == positions.begin() ? int(positions.size()) - 1 : int(it - positions.begin()) - 1;
}

int firstMatchFrom(const std::vector<int> &positions, int from)
{
    if (positions.empty()) {
        return -1;
    }
    const auto it = std::lower_bound(positions.begin(), positions.end(), from);
    return it == positions.end() ? 0 : int(it - positions.begin());
}
