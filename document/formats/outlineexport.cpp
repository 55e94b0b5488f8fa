// Taking an outline out: the leaves of an outline or subtree, the choice of writer, and the HTML, Markdown and
// plain-text writers.
#include "document/formats/outlineexport.h"

#include "document/outline.h"
#include "document/outlinemodel.h"
#include "document/tvclasses.h"
#include "text/convert.h"
#include "text/errors.h"
#include "text/fileaccess.h"
#include "text/richtext.h"

#include <QFileDevice>
#include <QRegularExpression>
#include <QTextDocument>

#include <algorithm>

namespace formats {

namespace {

// Progress is told every this many leaves.
constexpr int ReportEvery = 64;
// Levels the plain-text writer shows by indenting.
constexpr int MaxTextIndent = 32;

ExportLeaf leafOf(const OutlineNode &node, int level, bool withTexts)
{
    ExportLeaf leaf;
    leaf.level = level;
    leaf.caption = node.caption();
    leaf.category = node.record()->categoryText();
    if (withTexts) {
        leaf.text = joinLines(node.record()->Notes);
    }
    return leaf;
}

// Writes text to the device as UTF-8, a piece at a time, and tells the caller's progress how far it is.
class Output
{
public:
    Output(QIODevice &out, const Progress &progress) : out_(out), progress_(progress) {}

    Output &operator<<(const QString &text)
    {
        put(text.toUtf8());
        return *this;
    }
    Output &operator<<(const char *text)
    {
        put(QByteArray(text));
        return *this;
    }

    void put(const QByteArray &bytes) { fileaccess::writeAll(out_, bytes.constData(), bytes.size(), name()); }

    // Called once per leaf.
    void leafDone()
    {
        ++leaves_;
        if (progress_ && leaves_ % ReportEvery == 0 && !progress_(leaves_, 0)) {
            throw Cancelled();
        }
    }

private:
    QString name() const
    {
        const auto *file = qobject_cast<const QFileDevice *>(&out_);
        return file && !file->fileName().isEmpty() ? file->fileName() : QStringLiteral("the output");
    }

    QIODevice &out_;
    const Progress &progress_;
    qint64 leaves_ = 0;
};

// The inside of the <body> element of a document's HTML, kept in a <div> with the body's style.
QString htmlBody(const QTextDocument &document)
{
    const QString html = document.toHtml();
    static const QRegularExpression bodyStart(QStringLiteral("<body([^>]*)>"));
    const QRegularExpressionMatch match = bodyStart.match(html);
    if (!match.hasMatch()) {
        return html;
    }
    const qsizetype from = match.capturedEnd();
    qsizetype to = html.lastIndexOf(QLatin1String("</body>"));
    if (to < from) {
        to = html.size();
    }
    return QStringLiteral("<div%1>%2</div>").arg(match.captured(1), html.mid(from, to - from).trimmed());
}

// Headings stop at six levels, as HTML's and Markdown's do.
int headingDepth(int level)
{
    return std::min(level + 1, 6);
}

// A caption as one line of Markdown: characters that would start markup are escaped.
QString markdownEscaped(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (QStringLiteral("\\`*_[]<>#").contains(c)) {
            escaped += QLatin1Char('\\');
        }
        escaped += c;
    }
    return escaped;
}

void loadText(QTextDocument &document, const QByteArray &text)
{
    document.clear();
    if (!text.isEmpty()) {
        richtext::loadBytes(document, text);
    }
}

} // namespace

LeafSource leavesOf(const OutlineModel &model)
{
    return [&model](const LeafVisitor &visit, bool withTexts) {
        outline::walk(model, [&](const OutlineNode *node, int level) { visit(leafOf(*node, level, withTexts)); });
    };
}

LeafSource leavesOf(const OutlineNode &subtreeRoot)
{
    return [&subtreeRoot](const LeafVisitor &visit, bool withTexts) {
        outline::walkSubtree(subtreeRoot,
                             [&](const OutlineNode *node, int level) { visit(leafOf(*node, level, withTexts)); });
    };
}

LeafSource leafAlone(const OutlineNode &leaf)
{
    return [&leaf](const LeafVisitor &visit, bool withTexts) { visit(leafOf(leaf, 0, withTexts)); };
}

bool parseOutlineFormat(const QString &name, OutlineFormat &format)
{
    const QString n = name.toLower();
    if (n == QLatin1String("html") || n == QLatin1String("htm")) {
        format = OutlineFormat::Html;
    } else if (n == QLatin1String("markdown") || n == QLatin1String("md")) {
        format = OutlineFormat::Markdown;
    } else if (n == QLatin1String("text") || n == QLatin1String("txt")) {
        format = OutlineFormat::Text;
    } else if (n == QLatin1String("opml")) {
        format = OutlineFormat::Opml;
    } else if (n == QLatin1String("pdf")) {
        format = OutlineFormat::Pdf;
    } else {
        return false;
    }
    return true;
}

QString extensionOf(OutlineFormat format)
{
    switch (format) {
    case OutlineFormat::Html:
        return QStringLiteral("html");
    case OutlineFormat::Markdown:
        return QStringLiteral("md");
    case OutlineFormat::Text:
        return QStringLiteral("txt");
    case OutlineFormat::Opml:
        return QStringLiteral("opml");
    case OutlineFormat::Pdf:
        return QStringLiteral("pdf");
    }
    return QString();
}

void writeOutline(QIODevice &out, OutlineFormat format, const LeafSource &leaves, const QString &title,
                  const Progress &progress)
{
    switch (format) {
    case OutlineFormat::Html:
        writeHtml(out, leaves, title, progress);
        break;
    case OutlineFormat::Markdown:
        writeMarkdown(out, leaves, progress);
        break;
    case OutlineFormat::Text:
        writePlainText(out, leaves, progress);
        break;
    case OutlineFormat::Opml:
        writeOpml(out, leaves, title, progress);
        break;
    case OutlineFormat::Pdf:
        writePdf(out, leaves, title, progress);
        break;
    }
}

void writeHtml(QIODevice &out, const LeafSource &leaves, const QString &title, const Progress &progress)
{
    Output html(out, progress);
    html << "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" << title.toHtmlEscaped()
         << "</title>\n</head>\n<body>\n";
    // The table of contents: one nested list, a link to each leaf's section (leaf-1, leaf-2 ... in order).
    html << "<nav>\n<ul>\n";
    int open = 0;  // list levels open beyond the first
    qint64 number = 0;
    leaves(
        [&](const ExportLeaf &leaf) {
            if (number > 0) {
                if (leaf.level > open) {
                    html << "\n<ul>\n";
                } else {
                    html << "</li>\n";
                    for (; open > leaf.level; --open) {
                        html << "</ul>\n</li>\n";
                    }
                }
            }
            open = leaf.level;
            html << "<li><a href=\"#leaf-" << QString::number(++number) << "\">" << leaf.caption.toHtmlEscaped()
                 << "</a>";
        },
        false);
    if (number > 0) {
        html << "</li>\n";
        for (; open > 0; --open) {
            html << "</ul>\n</li>\n";
        }
    }
    html << "</ul>\n</nav>\n";

    number = 0;
    QTextDocument document;
    leaves(
        [&](const ExportLeaf &leaf) {
            const int depth = headingDepth(leaf.level);
            html << "<section id=\"leaf-" << QString::number(++number) << "\" data-level=\""
                 << QString::number(leaf.level) << "\" data-category=\"" << leaf.category.toHtmlEscaped() << "\">\n"
                 << "<h" << QString::number(depth) << ">" << leaf.caption.toHtmlEscaped() << "</h"
                 << QString::number(depth) << ">\n";
            loadText(document, leaf.text);
            if (!document.isEmpty()) {
                html << htmlBody(document) << "\n";
            }
            html << "</section>\n";
            html.leafDone();
        },
        true);
    html << "</body>\n</html>\n";
}

void writeMarkdown(QIODevice &out, const LeafSource &leaves, const Progress &progress)
{
    Output md(out, progress);
    QTextDocument document;
    leaves(
        [&](const ExportLeaf &leaf) {
            QString caption = markdownEscaped(leaf.caption);
            // A category other than the plain one follows in brackets, as the Markdown reader takes it back.
            if (!leaf.category.isEmpty() && leaf.category != QLatin1String("Unknown")) {
                caption += QStringLiteral(" [%1]").arg(leaf.category);
            }
            if (leaf.level < 6) {
                md << QString(leaf.level + 1, QLatin1Char('#')) << " " << caption << "\n\n";
            } else {
                // Past six levels Markdown has no heading: the caption becomes a bold paragraph.
                md << "**" << caption << "**\n\n";
            }
            loadText(document, leaf.text);
            const QString body = document.isEmpty() ? QString() : document.toMarkdown().trimmed();
            if (!body.isEmpty()) {
                md << body << "\n\n";
            }
            md.leafDone();
        },
        true);
}

void writePlainText(QIODevice &out, const LeafSource &leaves, const Progress &progress)
{
    Output text(out, progress);
    QTextDocument document;
    leaves(
        [&](const ExportLeaf &leaf) {
            // Two spaces per level show the outline; past MaxTextIndent levels the indent stays, so a deep chain
            // does not fill the file with spaces.
            text << QString(2 * std::min(leaf.level, MaxTextIndent), QLatin1Char(' ')) << leaf.caption << "\n";
            loadText(document, leaf.text);
            const QString body = document.isEmpty() ? QString() : convert::plainText(document).trimmed();
            if (!body.isEmpty()) {
                text << "\n" << body << "\n";
            }
            text << "\n";
            text.leafDone();
        },
        true);
}

} // namespace formats
