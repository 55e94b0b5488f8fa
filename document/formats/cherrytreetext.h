// The text of one CherryTree node as its file gives it: formatted runs, and pictures, tables and code boxes
// anchored by character offset; built into a QTextDocument once the node is complete.
#pragma once

#include "document/formats/xmlscanner.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTextCharFormat>

#include <vector>

class QTextDocument;

namespace formats::cherrytree {

// A run's look: its characters' format and what it asks of the paragraphs it starts.
struct RunFormat
{
    QTextCharFormat chars;
    Qt::Alignment alignment = {};  // none when empty
    int indent = 0;                // CherryTree's indent steps
};

// The run format a <rich_text> element's attributes describe; unknown attributes and values are ignored.
RunFormat runFormat(const XmlAttributes &attributes);

// An object anchored in the text. Each takes one character of the node's text, as CherryTree counts.
struct NodeObject
{
    enum Kind { Anchor, Picture, Table, Code, Label };
    Kind kind = Anchor;
    QImage picture;                   // Picture
    QString text;                     // Code: the lines; Label: the text shown
    std::vector<QStringList> rows;    // Table: the first row is the header
    Qt::Alignment alignment = {};     // Table: where it sits
};

// The node's text as it is read: runs appended, objects inserted at character offsets into the text read so
// far (objects included), as CherryTree builds its buffer. Offsets count Unicode code points.
class NodeText
{
public:
    void appendRun(const QString &text, const RunFormat &format);
    // An offset past the end is taken as the end, a negative one as the start.
    void insertObject(qint64 charOffset, NodeObject object);

    bool isEmpty() const { return runs_.empty() && objects_.empty(); }
    // The runs' text alone, as a code node keeps it.
    QString plainText() const;
    // Replaces document's content by the runs and objects, in the document's default font.
    void build(QTextDocument &document) const;
    void clear();

private:
    struct Run
    {
        QString text;
        RunFormat format;
    };
    // An object's place: the code points of text before it; objects in one gap keep their order.
    struct Placed
    {
        qint64 gap;
        int object;
    };
    // Objects in order, in chunks so that an insertion far from the end costs the chunk, not every object.
    std::vector<std::vector<Placed>> chunks_;
    std::vector<Run> runs_;
    std::vector<NodeObject> objects_;
    qint64 textPoints_ = 0;
};

} // namespace formats::cherrytree
