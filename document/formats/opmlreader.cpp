// Reading OPML 1.0 and 2.0: each <outline> under <body> a leaf, nested outlines its children.
#include "document/formats/importoutline.h"

#include <QTextDocument>
#include <QBuffer>
#include <QXmlStreamReader>

namespace formats {

namespace {

// Entities are refused before any is used; the limit is a second fence should one slip through.
constexpr int EntityExpansionLimit = 1024;

[[noreturn]] void fail(const QXmlStreamReader &reader, const QString &why)
{
    throw ImportError(
        QStringLiteral("line %1, column %2: %3").arg(reader.lineNumber()).arg(reader.columnNumber()).arg(why),
        reader.characterOffset());
}

// OPML 2.0 writes categories as a comma-separated list of slash paths ("/Tasks/Home,/Work"); only a single
// plain name is a category a leaf can have.
QString categoryOf(const QXmlStreamAttributes &attributes)
{
    const QString category = attributes.value(QLatin1String("category")).toString().trimmed();
    if (category.contains(QLatin1Char('/')) || category.contains(QLatin1Char(','))) {
        return QString();
    }
    return category;
}

QString noteOf(const QXmlStreamAttributes &attributes)
{
    if (attributes.hasAttribute(QLatin1String("_note"))) {
        return attributes.value(QLatin1String("_note")).toString();
    }
    return attributes.value(QLatin1String("note")).toString();
}

// Where the reading is: outside <opml>, inside it, or inside <body> (where outlines are leaves).
enum class Place { Prolog, Opml, Body, Epilog };

} // namespace

void readOpml(const QByteArray &bytes, LeafSink &sink)
{
    // Read through a device, the parser decodes a block at a time; given the bytes, it would decode them all
    // at once, to twice their size.
    QByteArray source = bytes;
    QBuffer device(&source);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&device);
    reader.setEntityExpansionLimit(EntityExpansionLimit);
    Place place = Place::Prolog;
    int depth = 0;         // open elements
    int bodyDepth = 0;     // depth of <body>
    int outlines = 0;      // open outlines, each a leaf at its count before it opened
    int ignoredDepth = 0;  // depth of an element whose content holds no leaves (0 when none)

    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        switch (token) {
        case QXmlStreamReader::DTD:
            // No OPML file declares entities; one that does is more likely a bomb than an outline.
            if (!reader.entityDeclarations().isEmpty()) {
                fail(reader, QStringLiteral("the document declares entities, which an OPML file never needs"));
            }
            break;
        case QXmlStreamReader::EntityReference:
            fail(reader, QStringLiteral("the entity &%1; cannot be resolved").arg(reader.name().toString()));
        case QXmlStreamReader::StartElement: {
            ++depth;
            // Besides <opml> and <body>, only outlines may stack MaxImportDepth deep.
            if (depth > MaxImportDepth + 2) {
                fail(reader, QStringLiteral("the elements nest deeper than %1 levels").arg(MaxImportDepth));
            }
            const QStringView name = reader.name();
            if (place == Place::Prolog) {
                if (name != QLatin1String("opml")) {
                    fail(reader, QStringLiteral("the root element is <%1>, not <opml>").arg(name.toString()));
                }
                place = Place::Opml;
            } else if (ignoredDepth > 0) {
                // Inside <head> or an unknown element.
            } else if (place == Place::Opml && depth == 2 && name == QLatin1String("body")) {
                place = Place::Body;
                bodyDepth = depth;
            } else if (place == Place::Body && name == QLatin1String("outline") && depth == bodyDepth + outlines + 1) {
                if (outlines >= MaxImportDepth) {
                    fail(reader, QStringLiteral("the outlines nest deeper than %1 levels").arg(MaxImportDepth));
                }
                const QXmlStreamAttributes attributes = reader.attributes();
                QString caption = attributes.value(QLatin1String("text")).toString();
                if (caption.isEmpty()) {
                    caption = attributes.value(QLatin1String("title")).toString();
                }
                sink.addPlainLeaf(outlines, caption, categoryOf(attributes), noteOf(attributes),
                                  reader.characterOffset());
                ++outlines;
            } else {
                ignoredDepth = depth;
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (ignoredDepth == depth) {
                ignoredDepth = 0;
            } else if (ignoredDepth == 0 && place == Place::Body) {
                if (depth == bodyDepth) {
                    place = Place::Opml;
                } else {
                    --outlines;
                }
            } else if (ignoredDepth == 0 && depth == 1) {
                place = Place::Epilog;
            }
            --depth;
            break;
        default: break;
        }
    }
    if (reader.hasError()) {
        if (place == Place::Prolog) {
            fail(reader, QStringLiteral("not XML: %1").arg(reader.errorString()));
        }
        fail(reader, reader.errorString());
    }
    if (place == Place::Prolog) {
        fail(reader, QStringLiteral("no <opml> element"));
    }
}

} // namespace formats
