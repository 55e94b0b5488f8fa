// Finding text across the outline: every leaf's caption and shown text, case-folded, matched in display order.
#pragma once

#include "document/tvclasses.h"

class OutlineNode;

#include <QByteArray>
#include <QFuture>
#include <QString>

#include <unordered_map>
#include <vector>

// The searchable form of every leaf, keyed by the leaf's record. It knows no tree: callers pass the
// leaves in display order when they search, so it serves whatever holds the outline. Texts are kept
// searchable (finding::searchable: white space as one space, letters fully case-folded) in UTF-8,
// about the size of their plain text; building reads no QTextDocument.
// Each entry remembers which Notes it was made from (their shared data), so refresh() finds the
// leaves whose text was stored since, however it was stored.
class FindIndex
{
public:
    using Key = const noteob *;

    // Leaves in display order, as the window lists them; each is alive while listed.
    using Leaves = std::vector<const OutlineNode *>;
    // The key of a leaf: its record.
    static Key keyOf(const OutlineNode *leaf);

    // One leaf to index: its record (the key, not read), its caption and a shared copy of its Notes.
    struct Source
    {
        Key key = nullptr;
        QString caption;
        LineList notes;
    };
    // Sources for the leaves, taken on the thread that owns the records: cheap shared copies.
    static std::vector<Source> sourcesOf(const Leaves &leaves);

    // The text matched against, as finding::searchable makes it (so "É" finds "é", "STRASSE" finds "Straße",
    // accents stay), in UTF-8.
    static QByteArray fold(const QString &text);
    // The match rule: a leaf matches when its folded caption or folded shown text holds the folded query.
    // An empty query matches nothing.
    static bool matchesFolded(const QByteArray &caption, const QByteArray &text, const QByteArray &query);

    // Indexes many leaves; safe to run on a worker thread, as it touches nothing but its arguments.
    static FindIndex build(const std::vector<Source> &sources);
    // The same, on the thread pool.
    static QFuture<FindIndex> buildInBackground(std::vector<Source> sources);

    // Adds or replaces one leaf, as when its text has been stored or its caption changed.
    void set(Key key, const QString &caption, const LineList &notes);
    void setCaption(Key key, const QString &caption);
    // Indexes the listed leaves that are new, whose Notes changed or whose caption changed, and drops
    // leaves no longer listed. Reads each listed record's Notes. Returns how many leaves were read again.
    // entries, when given, receives each listed leaf's entry in the same order, valid until the index
    // next changes: a search then walks them without a lookup per leaf.
    int refresh(const Leaves &leaves, std::vector<const void *> *entries = nullptr);
    void remove(Key key);
    void clear() { entries_.clear(); }
    bool contains(Key key) const { return entries_.count(key) != 0; }
    size_t size() const { return entries_.size(); }

    // True when the leaf's caption or shown text holds the folded query; an empty query matches nothing.
    bool matches(Key key, const QByteArray &foldedQuery) const;
    // The same for an entry handed out by refresh().
    static bool entryMatches(const void *entry, const QByteArray &foldedQuery);
    // Positions in order of the leaves that match the query, ascending. Leaves not indexed never match.
    std::vector<int> find(const QString &query, const std::vector<Key> &order) const;

    // Bytes held for texts and captions, with the bookkeeping of each entry.
    qint64 memoryBytes() const;

private:
    struct Entry
    {
        QString captionShown; // the caption as indexed, to notice a rename
        QByteArray caption;
        QByteArray text;
        // The Notes indexed: their list data and first entry's data, shared with the record until it changes.
        const void *notesData = nullptr;
        const void *firstData = nullptr;
        qsizetype notesSize = 0;
    };
    static bool isCurrent(const Entry &e, const LineList &notes);
    static void fill(Entry &e, const QString &caption, const LineList &notes);
    std::unordered_map<Key, Entry> entries_;
};

// Which match to go to from the leaf at position from (-1: none selected), among ascending match
// positions: the first after it going forward, the last before it going back, wrapping at either end.
// Returns an index into positions, or -1 when there are none.
int nextMatch(const std::vector<int> &positions, int from, bool forward);
// Where a search typed afresh starts: the first match at from or after it, wrapping.
int firstMatchFrom(const std::vector<int> &positions, int from);
