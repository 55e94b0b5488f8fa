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
// Levels the written file shows by indenting.
constexpr int MaxIndent = 32;

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
    explicit OpmlOutput(QIODevice &out) : out_(out), xml_(&out) {}

    QXmlStreamWriter &xml() { return xml_; }

    // Elements on lines of their own, indented two spaces a level up to MaxIndent levels: a deep outline
    // indented all the way would write a file that grows with the square of its depth.
    void start(const QString &name, int depth)
    {
        newLine(depth);
        xml_.writeStartElement(name);
        justOpened_ = true;
    }
    void end(int depth)
    {
        if (!justOpened_) {
            newLine(depth);
        }
        xml_.writeEndElement();
        justOpened_ = false;
    }
    // An element of text alone, on one line.
    void textElement(const QString &name, const QString &text, int depth)
    {
        start(name, depth);
        xml_.writeCharacters(text);
        xml_.writeEndElement();
        justOpened_ = false;
    }

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

    void newLine(int depth)
    {
        xml_.writeCharacters(QLatin1Char('\n') + QString(2 * std::min(depth, MaxIndent), QLatin1Char(' ')));
    }

    QIODevice &out_;
    QXmlStreamWriter xml_;
    bool justOpened_ = false;
};

} // namespace

void writeOpml(QIODevice &out, const LeafSource &leaves, const QString &title, const Progress &progress)
{
    OpmlOutput output(out);
    QXmlStreamWriter &xml = output.xml();
    xml.writeStartDocument();
    xml.writeCharacters(QStringLiteral("\n"));
    xml.writeStartElement(QStringLiteral("opml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    output.start(QStringLiteral("head"), 1);
    output.textElement(QStringLiteral("title"), xmlText(title), 2);
    output.end(1);
    output.start(QStringLiteral("body"), 1);
    output.check();
    // Outlines sit two levels below <opml>.
    constexpr int Top = 2;

    QTextDocument document;
    int open = 0;  // outlines open below <body>
    qint64 done = 0;
    leaves(
        [&](const ExportLeaf &leaf) {
            // A leaf is at most one deeper than the one before it; anything deeper is taken as one deeper.
            const int level = std::clamp(leaf.level, 0, open);
            for (; open > level; --open) {
                output.end(Top + open - 1);
            }
            output.start(QStringLiteral("outline"), Top + open);
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
        output.end(Top + open - 1);
    }
    output.end(1);  // body
    output.end(0);  // opml
    xml.writeEndDocument();
    output.check();
}

} // namespace formats
