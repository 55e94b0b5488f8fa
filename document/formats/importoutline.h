// Bringing an outline in: the kind of a source told by its content, and the reader of that kind.
#pragma once

#include "document/formats/leafsink.h"

#include <QByteArray>
#include <QString>

namespace formats {

// The outline kinds a source can be.
enum class SourceKind { Opml, CherryTree, TreeLine, Markdown };
QString kindName(SourceKind kind);

// What an import made of a source.
struct ImportedOutline
{
    SourceKind kind = SourceKind::Markdown;
    std::vector<TreeFileRecord> records;  // display order, levels as placed (0 at the top)
    ImportWarnings warnings;
};

// Reads bytes as an outline of whichever kind their content shows (never the file's name). name is the
// source's name (a leaf for text before a Markdown file's first heading takes it as its caption).
// Throws ImportError naming the kinds tried and where the first failed; Cancelled when progress says so.
ImportedOutline importOutline(const QByteArray &bytes, const QString &name, const Progress &progress = {});

// Each reader: adds the source's leaves to sink, or throws ImportError (nothing is kept of a failed read).
void readOpml(const QByteArray &bytes, LeafSink &sink);
void readCherryTree(const QByteArray &bytes, LeafSink &sink);
void readTreeLine(const QByteArray &bytes, LeafSink &sink);  // JSON, or JSON compressed with gzip
void readMarkdown(const QByteArray &bytes, const QString &name, LeafSink &sink);

} // namespace formats
