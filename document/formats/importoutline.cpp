// Bringing an outline in: the kind told by the source's first bytes, and the reader of that kind.
#include "document/formats/importoutline.h"

#include "document/formats/xmlscanner.h"

#include <QStringList>

#include <optional>

namespace formats {

namespace {

// Where the content starts: after a UTF-8 byte order mark and white space.
qsizetype contentStart(const QByteArray &bytes)
{
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) {
        ++i;
    }
    return i;
}

bool isGzip(const QByteArray &bytes)
{
    return bytes.size() >= 2 && uchar(bytes[0]) == 0x1f && uchar(bytes[1]) == 0x8b;
}

// The name of an XML document's root element, or empty when none is found before an error. Reads only up
// to the root's start tag.
QString rootElementName(const QByteArray &bytes)
{
    try {
        XmlScanner xml(bytes);
        while (xml.next() != XmlScanner::Token::StartElement) {
        }
        return xml.name().toString();
    } catch (const ImportError &) {
        return QString();
    }
}

// The kinds a source may be, most likely first: XML is OPML or CherryTree, JSON (or gzip) is TreeLine,
// any other text Markdown. Reading tries only these: text that merely holds a "#" line inside a broken
// XML file is not taken for Markdown.
std::vector<SourceKind> candidateKinds(const QByteArray &bytes)
{
    if (isGzip(bytes)) {
        return {SourceKind::TreeLine};
    }
    const qsizetype start = contentStart(bytes);
    const char first = start < bytes.size() ? bytes[start] : '\0';
    if (first == '<') {
        const QString root = rootElementName(bytes);
        if (root == QLatin1String("opml")) {
            return {SourceKind::Opml};
        }
        if (root == QLatin1String("cherrytree")) {
            return {SourceKind::CherryTree};
        }
        return {SourceKind::Opml, SourceKind::CherryTree};
    }
    if (first == '{') {
        return {SourceKind::TreeLine};
    }
    return {SourceKind::Markdown};
}

void readAs(SourceKind kind, const QByteArray &bytes, const QString &name, LeafSink &sink)
{
    switch (kind) {
    case SourceKind::Opml:
        readOpml(bytes, sink);
        break;
    case SourceKind::CherryTree:
        readCherryTree(bytes, sink);
        break;
    case SourceKind::TreeLine:
        readTreeLine(bytes, sink);
        break;
    case SourceKind::Markdown:
        readMarkdown(bytes, name, sink);
        break;
    }
}

} // namespace

QString kindName(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Opml:
        return QStringLiteral("OPML");
    case SourceKind::CherryTree:
        return QStringLiteral("CherryTree");
    case SourceKind::TreeLine:
        return QStringLiteral("TreeLine");
    case SourceKind::Markdown:
        return QStringLiteral("Markdown");
    }
    return QString();
}

ImportedOutline importOutline(const QByteArray &bytes, const QString &name, const Progress &progress)
{
    const std::vector<SourceKind> kinds = candidateKinds(bytes);
    QStringList tried;
    std::optional<ImportError> first;
    for (const SourceKind kind : kinds) {
        tried << kindName(kind);
        LeafSink sink(bytes.size(), progress);
        try {
            readAs(kind, bytes, name, sink);
        } catch (const ImportError &e) {
            if (!first) {
                first = e;
            }
            continue;
        }
        ImportedOutline imported;
        imported.kind = kind;
        imported.warnings = sink.warnings();
        imported.records = sink.takeRecords();
        return imported;
    }
    throw ImportError(QStringLiteral("not an outline of a kind Quillax reads (tried %1); as %2: %3")
                          .arg(tried.join(QLatin1String(", ")), tried.first(), first->message()),
                      first->offset());
}

} // namespace formats
