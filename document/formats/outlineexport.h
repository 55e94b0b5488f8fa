// Taking an outline out: the leaves of an outline or subtree as the writers see them, and one writer per format.
#pragma once

#include "document/formats/leafsink.h"
#include "document/formats/leafsource.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;
class QPagedPaintDevice;
class OutlineModel;
class OutlineNode;

namespace formats {

// The whole outline, or one leaf with its subtree (the leaf at level 0).
LeafSource leavesOf(const OutlineModel &model);
LeafSource leavesOf(const OutlineNode &subtreeRoot);
// One leaf alone (for printing the selected leaf).
LeafSource leafAlone(const OutlineNode &leaf);

enum class OutlineFormat { Html, Markdown, Text, Opml, Pdf };
// "html", "markdown" ("md"), "text" ("txt"), "opml", "pdf"; false for anything else.
bool parseOutlineFormat(const QString &name, OutlineFormat &format);
// The usual extension of a format's files, without the dot.
QString extensionOf(OutlineFormat format);

// Writes the leaves to out in the format; title names the outline (the HTML and OPML title).
// Throws FileError when the device refuses a write, Cancelled when progress says so.
void writeOutline(QIODevice &out, OutlineFormat format, const LeafSource &leaves, const QString &title,
                  const Progress &progress = {});

// Each writer (writeOutline picks one).
void writeHtml(QIODevice &out, const LeafSource &leaves, const QString &title, const Progress &progress);
void writeMarkdown(QIODevice &out, const LeafSource &leaves, const Progress &progress);
void writePlainText(QIODevice &out, const LeafSource &leaves, const Progress &progress);
void writeOpml(QIODevice &out, const LeafSource &leaves, const QString &title, const Progress &progress);

// Lays the leaves out on pages, captions as headings by level, each leaf's formatted text under its caption
// and the page number at the foot of every page. Used for printing and PDF alike. Each leaf is laid out on
// its own, so an outline of any size fits the text layout's limits. Returns the number of pages.
int printOutline(QPagedPaintDevice &device, const LeafSource &leaves, const QString &title,
                 const Progress &progress);
// PDF through printOutline onto a QPdfWriter over out.
void writePdf(QIODevice &out, const LeafSource &leaves, const QString &title, const Progress &progress);

} // namespace formats
