// Reading OPML 1.0 and 2.0: each <outline> under <body> a leaf, nested outlines its children.
#include "document/formats/importoutline.h"

#include "document/formats/xmlscanner.h"

namespace formats {

namespace {

// OPML 2.0 writes categories as a comma-separated list of slash paths ("/Tasks/Home,/Work"); only a single
// plain name is a category a leaf can have.
QString categoryOf(const XmlAttributes &attributes)
{
    const QString category = attributes.value(QLatin1String("category")).toString().trimmed();
    if (category.contains(QLatin1Char('/')) || category.contains(QLatin1Char(','))) {
        return QString();
    }
    return category;
}

QString noteOf(const XmlAttributes &attributes)
{
    if (attributes.hasAttribute(QLatin1String("_note"))) {
        return attributes.value(QLatin1String("_note")).toString();
    }
    return attributes.value(QLatin1String("note")).toString();
}

// Where the reading is: outside <opml>, inside it, or inside <body> (where outlines are leaves).
enum class Place { Prolog, Opml, Body, Epilog };

void readOutlines(XmlScanner &reader, LeafSink &sink, Place &place)
{
    int depth = 0;         // open elements
    int bodyDepth = 0;     // depth of <body>
    int outlines = 0;      // open outlines, each a leaf at its count before it opened
    int ignoredDepth = 0;  // depth of an element whose content holds no leaves (0 when none)
    for (;;) {
        switch (reader.next()) {
        case XmlScanner::Token::EndDocument:
            return;
        case XmlScanner::Token::Text:
            break;
        case XmlScanner::Token::StartElement: {
            ++depth;
            // Besides <opml> and <body>, only outlines may stack MaxImportDepth deep.
            if (depth > MaxImportDepth + 2) {
                reader.fail(QStringLiteral("the elements nest deeper than %1 levels").arg(MaxImportDepth));
            }
            const QLatin1StringView name = reader.name();
            if (place == Place::Prolog) {
                if (name != QLatin1String("opml")) {
                    reader.fail(QStringLiteral("the root element is <%1>, not <opml>").arg(name.toString()));
                }
                place = Place::Opml;
            } else if (ignoredDepth > 0) {
                // Inside <head> or an unknown element.
            } else if (place == Place::Opml && depth == 2 && name == QLatin1String("body")) {
                place = Place::Body;
                bodyDepth = depth;
            } else if (place == Place::Body && name == QLatin1String("outline") && depth == bodyDepth + outlines + 1) {
                if (outlines >= MaxImportDepth) {
                    reader.fail(QStringLiteral("the outlines nest deeper than %1 levels").arg(MaxImportDepth));
                }
                const XmlAttributes &attributes = reader.attributes();
                QString caption = attributes.value(QLatin1String("text")).toString();
                if (caption.isEmpty()) {
                    caption = attributes.value(QLatin1String("title")).toString();
                }
                sink.addPlainLeaf(outlines, caption, categoryOf(attributes), noteOf(attributes), reader.offset());
                ++outlines;
            } else {
                ignoredDepth = depth;
            }
            break;
        }
        case XmlScanner::Token::EndElement:
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
        }
    }
}

} // namespace

void readOpml(const QByteArray &bytes, LeafSink &sink)
{
    XmlScanner reader(bytes);
    Place place = Place::Prolog;
    try {
        readOutlines(reader, sink, place);
    } catch (const ImportError &e) {
        if (place != Place::Prolog) {
            throw;
        }
        // Before the root element, what fails is the file being XML at all.
        QString message = e.message();
        const qsizetype colon = message.indexOf(QLatin1String(": "));
        message.insert(colon < 0 ? 0 : colon + 2, QLatin1String("not XML: "));
        throw ImportError(message, e.offset());
    }
}

} // namespace formats
