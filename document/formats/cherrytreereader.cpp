// Reads a CherryTree outline (.ctd XML): each node a leaf at its nesting level, in file order, its first tag
// as the category and its text as rich text; a code node's text as plain text.
#include "document/formats/cherrytreetext.h"
#include "document/formats/importoutline.h"
#include "document/formats/xmlscanner.h"
#include "text/richtext.h"
#include "text/rtf/rtfwriter.h"

#include <QBuffer>
#include <QFont>
#include <QImageReader>
#include <QSet>
#include <QTextDocument>

#include <unordered_map>

namespace formats {

namespace {

using cherrytree::NodeObject;
using cherrytree::NodeText;

// A picture that would take more memory than this to decode is left out.
constexpr int MaxPictureMegabytes = 64;
// The syntax CherryTree gives a rich-text node; every other one is a code node, shown as plain text.
const QString RichTextSyntax = QStringLiteral("custom-colors");
// CherryTree's name for the file that holds a LaTeX formula's source.
const QString LatexFileName = QStringLiteral("__ct_special.tex");

// A node's leaf as another node that shares it shows it.
struct SharedLeaf
{
    QString caption;
    QString category;
    QByteArray rtf;
};

// Shared nodes name their master by id and may come before it: a first pass finds the masters they name, a
// second builds those masters' leaves, and the last adds every leaf. Most files share nothing and are read
// once.
enum class Pass { FindShared, BuildMasters, AddLeaves };

// True when a node may share another's content: some master_id attribute is other than "0".
bool mayShareNodes(const QByteArray &bytes)
{
    static const QByteArray key = QByteArrayLiteral("master_id");
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    for (qsizetype at = bytes.indexOf(key); at >= 0; at = bytes.indexOf(key, at + key.size())) {
        qsizetype i = at + key.size();
        while (i < bytes.size() && isSpace(bytes.at(i))) {
            ++i;
        }
        if (i >= bytes.size() || bytes.at(i) != '=') {
            return true;
        }
        ++i;
        while (i < bytes.size() && isSpace(bytes.at(i))) {
            ++i;
        }
        if (i + 2 >= bytes.size() || (bytes.at(i) != '"' && bytes.at(i) != '\'') || bytes.at(i + 1) != '0' ||
            bytes.at(i + 2) != bytes.at(i)) {
            return true;
        }
    }
    return false;
}

// The first of the node's tags, which CherryTree separates by spaces.
QString firstTag(QStringView tags)
{
    for (const QStringView tag : tags.tokenize(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringView trimmed = tag.trimmed();
        if (!trimmed.isEmpty()) {
            return trimmed.toString();
        }
    }
    return QString();
}

// A character offset; one that cannot be read is taken as the end of the text.
qint64 charOffset(const XmlAttributes &attributes)
{
    bool ok = false;
    const qint64 offset = attributes.value(QLatin1String("char_offset")).toLongLong(&ok);
    return ok ? offset : std::numeric_limits<qint64>::max();
}

// The picture base64 text holds, or a null image when it holds none that decodes.
QImage decodePicture(const QString &base64)
{
    QByteArray data;
    data.reserve(base64.size());
    for (const QChar c : base64) {
        if (!c.isSpace()) {
            data.append(c.unicode() < 128 ? char(c.unicode()) : '!');
        }
    }
    QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(std::move(data), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty()) {
        return QImage();
    }
    QBuffer buffer(&decoded.decoded);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(MaxPictureMegabytes);
    return reader.read();
}

class TreeReader
{
public:
    TreeReader(const QByteArray &bytes, Pass pass) : reader_(bytes), pass_(pass) {}

    void read(LeafSink *sink);

    QSet<qint64> masterIds;                         // found by the first pass
    std::unordered_map<qint64, SharedLeaf> masters;  // built by the second

private:
    // The node being read: its own content is complete when its first child starts or it ends.
    struct Node
    {
        QString caption;
        QString category;
        qint64 id = 0;
        qint64 masterId = 0;
        bool plain = false;
        bool open = false;
        bool fromMaster = false;  // shows a master's leaf built by an earlier pass
    };

    [[noreturn]] void fail(const QString &why) const;
    XmlScanner::Token next() { return reader_.next(); }
    void startNode();
    void endContent();
    bool wantsContent() const;
    void readContent();
    void readTable(qint64 offset, Qt::Alignment alignment);
    SharedLeaf buildLeaf();

    XmlScanner reader_;
    Pass pass_;
    LeafSink *sink_ = nullptr;
    Node node_;
    int depth_ = 0;
    NodeText text_;
    QSet<qint64> mastersAdded_;
};

void TreeReader::fail(const QString &why) const
{
    reader_.fail(why);
}

void TreeReader::read(LeafSink *sink)
{
    sink_ = sink;
    XmlScanner::Token token = XmlScanner::Token::EndDocument;
    do {
        token = next();
    } while (token != XmlScanner::Token::StartElement && token != XmlScanner::Token::EndDocument);
    if (token != XmlScanner::Token::StartElement || reader_.name() != QLatin1String("cherrytree")) {
        fail(QStringLiteral("the root element is <%1>, not <cherrytree>").arg(reader_.name()));
    }
    for (;;) {
        token = next();
        if (token == XmlScanner::Token::StartElement) {
            const QLatin1StringView name = reader_.name();
            if (name == QLatin1String("node")) {
                startNode();
            } else if (depth_ > 0 && wantsContent()) {
                readContent();
            } else {
                // Bookmarks, and whatever this reader does not know.
                reader_.skipCurrentElement();
            }
        } else if (token == XmlScanner::Token::EndElement) {
            // Every other element is read whole: this ends a node, or the root.
            if (depth_ == 0) {
                break;
            }
            endContent();
            --depth_;
        }
    }
    // What follows the root must be well formed too.
    while (next() != XmlScanner::Token::EndDocument) {
    }
}

void TreeReader::startNode()
{
    endContent();
    if (++depth_ > MaxImportDepth) {
        fail(QStringLiteral("nodes are nested deeper than %1 levels").arg(MaxImportDepth));
    }
    const XmlAttributes attributes = reader_.attributes();
    node_ = Node();
    node_.open = true;
    node_.id = attributes.value(QLatin1String("unique_id")).toLongLong();
    node_.masterId = std::max<qint64>(attributes.value(QLatin1String("master_id")).toLongLong(), 0);
    node_.caption = attributes.value(QLatin1String("name")).toString();
    node_.category = firstTag(attributes.value(QLatin1String("tags")));
    node_.plain = attributes.value(QLatin1String("prog_lang")) != RichTextSyntax;
    if (pass_ == Pass::FindShared && node_.masterId > 0) {
        masterIds.insert(node_.masterId);
    }
    if (pass_ == Pass::AddLeaves) {
        // Of nodes with one id, the first is the master.
        node_.fromMaster =
            node_.masterId > 0 || (masters.find(node_.id) != masters.end() && !mastersAdded_.contains(node_.id));
        if (node_.masterId == 0 && node_.fromMaster) {
            mastersAdded_.insert(node_.id);
        }
    }
}

// The node's own content is complete: its leaf is added (or kept for the nodes that share it).
void TreeReader::endContent()
{
    if (!node_.open) {
        return;
    }
    if (pass_ == Pass::BuildMasters && wantsContent()) {
        masters.emplace(node_.id, buildLeaf());
    } else if (pass_ == Pass::AddLeaves) {
        SharedLeaf leaf;
        if (!node_.fromMaster) {
            leaf = buildLeaf();
        } else if (const auto master = masters.find(node_.masterId > 0 ? node_.masterId : node_.id);
                   master != masters.end()) {
            leaf = master->second;
        }
        sink_->addLeaf(depth_ - 1, leaf.caption, leaf.category, std::move(leaf.rtf), reader_.offset());
    }
    node_.open = false;
    text_.clear();
}

// Whether this pass reads the current node's text: a node that shares another's has none of its own, and
// content after a node's first child comes too late to be part of its leaf.
bool TreeReader::wantsContent() const
{
    if (!node_.open || node_.masterId > 0) {
        return false;
    }
    switch (pass_) {
    case Pass::FindShared:
        return false;
    case Pass::BuildMasters:
        return masterIds.contains(node_.id) && masters.find(node_.id) == masters.end();
    case Pass::AddLeaves:
        return !node_.fromMaster;
    }
    return false;
}

SharedLeaf TreeReader::buildLeaf()
{
    SharedLeaf leaf{node_.caption, node_.category, QByteArray()};
    if (text_.isEmpty()) {
        return leaf;
    }
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    if (node_.plain) {
        // A code node's text, in a monospace face.
        document.setDefaultFont(QFont(QStringLiteral("Courier New"), 10));
        richtext::loadPlainText(document, text_.plainText());
    } else {
        document.setDefaultFont(QFont(QStringLiteral("Arial"), 12));
        text_.build(document);
    }
    if (!document.isEmpty()) {
        leaf.rtf = rtf::write(document);
        // The writer reserves room for a long text; a leaf kept for the whole import keeps only its bytes.
        leaf.rtf.squeeze();
    }
    return leaf;
}

void TreeReader::readContent()
{
    const QString name = reader_.name().toString();
    const XmlAttributes attributes = reader_.attributes();
    if (name == QLatin1String("rich_text")) {
        const QString text = reader_.readElementText();
        text_.appendRun(text, node_.plain ? cherrytree::RunFormat() : cherrytree::runFormat(attributes));
        return;
    }
    const qint64 offset = charOffset(attributes);
    // Code nodes hold no objects.
    if (node_.plain) {
        reader_.skipCurrentElement();
        return;
    }
    if (name == QLatin1String("table")) {
        const cherrytree::RunFormat look = cherrytree::runFormat(attributes);
        readTable(offset, look.alignment);
        return;
    } else if (name == QLatin1String("codebox")) {
        NodeObject code;
        code.kind = NodeObject::Code;
        code.text = reader_.readElementText();
        text_.insertObject(offset, std::move(code));
        return;
    } else if (name == QLatin1String("encoded_png")) {
        NodeObject object;
        const QString data = reader_.readElementText();
        const QString fileName = attributes.value(QLatin1String("filename")).toString();
        if (!attributes.value(QLatin1String("anchor")).isEmpty()) {
            // An anchor is a target for links within CherryTree: nothing to show.
        } else if (fileName == LatexFileName) {
            // A formula keeps its LaTeX source.
            object.kind = NodeObject::Code;
            object.text = data;
        } else if (!fileName.isEmpty()) {
            // An embedded file shows as its name; its content stays behind.
            object.kind = NodeObject::Label;
            object.text = QStringLiteral("[%1]").arg(fileName);
        } else {
            // A picture that does not decode is left out; its place still counts.
            object.picture = decodePicture(data);
            object.kind = object.picture.isNull() ? NodeObject::Anchor : NodeObject::Picture;
        }
        text_.insertObject(offset, std::move(object));
        return;
    }
    reader_.skipCurrentElement();
}

// CherryTree writes a table's header row last; it comes first here.
void TreeReader::readTable(qint64 offset, Qt::Alignment alignment)
{
    NodeObject table;
    table.kind = NodeObject::Table;
    table.alignment = alignment;
    while (reader_.readNextStartElement()) {
        if (reader_.name() != QLatin1String("row")) {
            reader_.skipCurrentElement();
            continue;
        }
        QStringList cells;
        while (reader_.readNextStartElement()) {
            if (reader_.name() == QLatin1String("cell")) {
                cells.append(reader_.readElementText());
            } else {
                reader_.skipCurrentElement();
            }
        }
        table.rows.push_back(std::move(cells));
    }
    if (!table.rows.empty()) {
        std::rotate(table.rows.begin(), table.rows.end() - 1, table.rows.end());
    }
    text_.insertObject(offset, std::move(table));
}

} // namespace

void readCherryTree(const QByteArray &bytes, LeafSink &sink)
{
    std::unordered_map<qint64, SharedLeaf> masters;
    if (mayShareNodes(bytes)) {
        TreeReader find(bytes, Pass::FindShared);
        find.read(nullptr);
        if (!find.masterIds.isEmpty()) {
            TreeReader build(bytes, Pass::BuildMasters);
            build.masterIds = std::move(find.masterIds);
            build.read(nullptr);
            masters = std::move(build.masters);
        }
    }
    TreeReader add(bytes, Pass::AddLeaves);
    add.masters = std::move(masters);
    add.read(&sink);
}

} // namespace formats
