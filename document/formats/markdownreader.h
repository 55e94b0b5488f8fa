// Markdown as an outline: each ATX heading a leaf, the text under it the leaf's formatted text.
#pragma once

#include "document/formats/leafsink.h"

#include <QByteArray>
#include <QString>

namespace formats {

// How a Markdown source is read: by the importer, or as the help document's source.
struct MarkdownOptions
{
    QString defaultCategory;       // a heading without "[Category]" at its end gets this (empty: "Unknown")
    bool textBeforeHeading = true; // text before the first heading becomes a leaf captioned name; else refused
    QString name;
};

// Adds a leaf per heading ("#" to "######", up to three spaces before it, outside fenced code): its level from
// the number of "#", its caption the heading's text (a closing run of "#" and backslash escapes removed), its
// category from a "[Name]" ending the heading, its text the Markdown under it up to the next heading.
// Throws ImportError for bytes that are not text.
struct MarkdownRead
{
    int headings = 0;   // headings found
    int strayLine = 0;  // when options.textBeforeHeading is false: the line (from 1) of text before the first
                        // heading, and nothing was added; else 0
};
MarkdownRead readMarkdownOutline(const QByteArray &bytes, const MarkdownOptions &options, LeafSink &sink);

} // namespace formats
