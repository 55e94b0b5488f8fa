// Writing an outline as OPML 2.0: one <outline> per leaf, nested by level, the text as a plain-text note.
#include "document/formats/outlineexport.h"

#include "text/convert.h"
#include "text/richtext.h"

#include <QFileDevice>
#include <QIODevice>
#include <QTextDocument>
#include <QXmlStreamWriter>

#include <algorithm>

namespace formats {

namespace {

// Progress is told every this many leaves.
constexpr int ProgressEvery = 256;

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// XML 1.0 has no way to write most control characters, U+FFFE, U+FFFF or a lone surrogate, not even as a
// character reference: they are left out, so the file stays well formed.
QString xmlText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (!c.isSurrogate() && isXmlChar(c.unicode())) {
            out += c;
        }
    }
    return out;
}

// The leaf's text as OPML keeps a note: plain text, paragraphs on lines of their own.
QString noteOf(const QByteArray &stored, QTextDocument &document)
{
    if (stored.isEmpty()) {
        return QString();
    }
    richtext::loadBytes(document, stored);
    QString text = convert::plainText(document);
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    return xmlText(text);
}

// Every write goes through here, so a device that fails is noticed at the leaf it failed on.
class OpmlOutput
{
public:
    explicit OpmlOutput(QIODevice &out) : out_(out), xml_(&out)
    {
        xml_.setAutoFormatting(true);
        xml_.setAutoFormattingIndent(2);
    }

    QXmlStreamWriter &xml() { return xml_; }

    void check()
    {
        if (xml_.hasError()) {
            const QString reason =
                out_.errorString().isEmpty() ? QStringLiteral("the device refused the write") : out_.errorString();
            throw FileError(QStringLiteral("Cannot write file %1: %2").arg(nameOf(), reason));
        }
    }

private:
    QString nameOf() const
    {
        const auto *file = qobject_cast<const QFileDevice *>(&out_);
        return file != nullptr && !file->fileName().isEmpty() ? file->fileName() : QStringLiteral("(OPML)");
    }

    QIODevice &out_;
    QXmlStreamWriter xml_;
};

} // namespace

void writeOpml(QIODevice &out, const LeafSource &leaves, const QString &title, const Progress &progress)
{
    OpmlOutput output(out);
    QXmlStreamWriter &xml = output.xml();
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("opml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("head"));
    xml.writeTextElement(QStringLiteral("title"), xmlText(title));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("body"));
    output.check();

    QTextDocument document;
    int open = 0;  // outlines open below <body>
    qint64 done = 0;
    leaves(
        [&](const ExportLeaf &leaf) {
            // A leaf is at most one deeper than the one before it; anything deeper is taken as one deeper.
            const int level = std::clamp(leaf.level, 0, open);
            for (; open > level; --open) {
                xml.writeEndElement();
            }
            xml.writeStartElement(QStringLiteral("outline"));
            xml.writeAttribute(QStringLiteral("text"), xmlText(leaf.caption));
            if (!leaf.category.isEmpty() && leaf.category != QLatin1String("Unknown")) {
                xml.writeAttribute(QStringLiteral("category"), xmlText(leaf.category));
            }
            const QString note = noteOf(leaf.text, document);
            if (!note.isEmpty()) {
                xml.writeAttribute(QStringLiteral("_note"), note);
            }
            ++open;
            output.check();
            if (++done % ProgressEvery == 0 && progress && !progress(done, 0)) {
                throw Cancelled();
            }
        },
        true);
    for (; open > 0; --open) {
        xml.writeEndElement();
    }
    xml.writeEndElement();  // body
    xml.writeEndElement();  // opml
    xml.writeEndDocument();
    output.check();
}

} // namespace formats
