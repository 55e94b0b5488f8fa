// Finding text across the outline: every leaf's caption and shown text, case-folded, matched in display order.
#pragma once

#include "document/tvclasses.h"

#include <QByteArray>
#include <QFuture>
#include <QString>

#include <unordered_map>
#include <vector>

// The searchable form of every leaf, keyed by the leaf's record. It knows no tree: callers pass the
// leaves in display order when they search, so it serves whatever holds the outline. Texts are kept
// case-folded in UTF-8, about the size of their plain text; building reads no QTextDocument.
class FindIndex
{
public:
    using Key = const noteob *;

    // One leaf to index: its record (the key), its caption and its text's bytes.
    struct Source
    {
        Key key = nullptr;
        QString caption;
        QByteArray text;
    };

    // The text matched against: case-folded (so "É" finds "é", accents stay), in UTF-8.
    static QByteArray fold(const QString &text);
    // The bytes of a leaf's Notes as one text, without copying when it is a single entry.
    static QByteArray leafBytes(const LineList &notes);

    // Indexes many leaves; safe to run on a worker thread, as it touches nothing but its arguments.
    static FindIndex build(const std::vector<Source> &sources);
    // The same, on the thread pool.
    static QFuture<FindIndex> buildInBackground(std::vector<Source> sources);

    // Adds or replaces one leaf, as when its text has been stored or its caption changed.
    void set(Key key, const QString &caption, const QByteArray &text);
    void setCaption(Key key, const QString &caption);
    void remove(Key key);
    void clear() { entries_.clear(); }
    bool contains(Key key) const { return entries_.count(key) != 0; }
    size_t size() const { return entries_.size(); }

    // True when the leaf's caption or shown text holds the folded query; an empty query matches nothing.
    bool matches(Key key, const QByteArray &foldedQuery) const;
    // Positions in order of the leaves that match the query, ascending. Leaves not indexed never match.
    std::vector<int> find(const QString &query, const std::vector<Key> &order) const;

    // Bytes held for texts and captions, with the bookkeeping of each entry.
    qint64 memoryBytes() const;

private:
    struct Entry
    {
        QByteArray caption;
        QByteArray text;
    };
    std::unordered_map<Key, Entry> entries_;
};

// Which match to go to from the leaf at position from (-1: none selected), among ascending match
// positions: the first after it going forward, the last before it going back, wrapping at either end.
// Returns an index into positions, or -1 when there are none.
int nextMatch(const std::vector<int> &positions, int from, bool forward);
// Where a search typed afresh starts: the first match at from or after it, wrapping.
int firstMatchFrom(const std::vector<int> &positions, int from);
