// The parts of a TreeLine file the reader uses: node types with their fields and title lines, and the nodes.
#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>

#include <vector>

namespace formats::treeline {

// One field of a node type. Every stored value is HTML of a sort: Text fields hold rich text with <br />
// line breaks, HtmlText raw HTML, SpacedText escaped text whose white space counts, the others short
// escaped values (dates as 2004-11-30, booleans as true/false) or links as <a> elements.
struct Field
{
    QString name;
    QString type;
    QString format;  // a date's strftime pattern, a boolean's "yes/no", ...
    QString prefix;
    QString suffix;
};

// A piece of a title line: text as it stands, or a reference in braces ({*Name*}, {**Name*} for the parent's
// field, {*?Name*} the nearest ancestor's, {*&Name*} the children's, {*#Level2*} a descendant count,
// {*!Name*} the file's own data).
struct TitlePart
{
    enum Kind { Literal, Own, Ancestor, AnyAncestor, Children, DescendantCount, None };
    Kind kind = Literal;
    QString text;    // the literal, or the field's name
    int levels = 0;  // generations up (Ancestor) or down (DescendantCount)
};

struct NodeType
{
    QString name;
    std::vector<Field> fields;
    QHash<QString, int> fieldIndex;
    std::vector<TitlePart> title;
    bool formatHtml = false;  // literal text of the lines is HTML
    QString outputSeparator;  // between the children's values of {*&Name*}
};

struct Node
{
    QString uid;
    int type = -1;  // index into the types, -1 when the file names none it defines
    QString typeName;
    QJsonObject data;
    std::vector<int> children;
};

struct Tree
{
    std::vector<NodeType> types;
    std::vector<Node> nodes;
};

// The type as its JSON object describes it.
NodeType parseNodeType(const QJsonObject &object);

// The node's title as the tree shows it: the title line with its references filled in, markup removed.
// path holds the node's ancestors, the top first (for references to them).
QString titleOf(const Tree &tree, int node, const std::vector<int> &path);

// The value of the field as text for a title: its first line, formatted by type, without markup.
QString plainValue(const Field &field, const QJsonObject &data);
// The value of the field as HTML for a leaf's text (empty when the node holds none).
QString htmlValue(const Field &field, const QJsonObject &data);

// True when the title shows the node's own field whole (it holds one line).
bool titleShowsWhole(const NodeType &type, const Field &field, const QJsonObject &data);

} // namespace formats::treeline
