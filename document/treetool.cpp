// The tree-file commands of the command-line tool: outline, export, check and make-tree.
#include "document/treetool.h"

#include "text/encoding.h"
#include "text/errors.h"
#include "text/fileaccess.h"
#include "document/outlinefile.h"
#include "document/treefile.h"
#include "document/tvclasses.h"
#include "text/convert.h"
#include "text/richtext.h"
#include "text/rtf/rtfwriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTextDocument>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <optional>

namespace treetool {

namespace {

// Reads the file one record at a time, each handed to visit; reports a file that cannot be read.
std::optional<TreeFileContents> scanOrReport(const QString &path, bool withTexts, QTextStream &err,
                                             const std::function<void(TreeFileRecord &)> &visit)
{
    try {
        return scanTreeFile(path, withTexts, visit);
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return std::nullopt;
    }
}

int finish(const QString &path, const TreeFileContents &contents, QTextStream &out, QTextStream &err)
{
    out.flush();
    if (contents.complete) {
        return ExitComplete;
    }
    err << treeFileWarning(path, contents) << "\n";
    err.flush();
    return ExitDamaged;
}

// Section numbers of the leaves in display order ("1", "1.2", "1.2.1" ...), one placed level at a time.
class SectionNumbers
{
public:
    QString next(int level)
    {
        counters_.resize(size_t(level) + 1, 0);
        ++counters_[size_t(level)];
        QStringList parts;
        for (const int c : counters_) {
            parts.append(QString::number(c));
        }
        return parts.join(QLatin1Char('.'));
    }

private:
    std::vector<int> counters_;
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

enum class ExportFormat { Html, Markdown, Text };

bool parseExportFormat(const QString &name, ExportFormat &format)
{
    const QString n = name.toLower();
    if (n == QLatin1String("html")) {
        format = ExportFormat::Html;
    } else if (n == QLatin1String("markdown") || n == QLatin1String("md")) {
        format = ExportFormat::Markdown;
    } else if (n == QLatin1String("text") || n == QLatin1String("txt")) {
        format = ExportFormat::Text;
    } else {
        return false;
    }
    return true;
}

// A heading line of the outline source: "#" repeated (depth = level + 1), the caption, and an optional
// category in square brackets at its end.
struct SourceHeading
{
    int level = 0;
    QString caption;
    QString category;
};

bool parseHeading(const QString &line, SourceHeading &heading)
{
    static const QRegularExpression pattern(QStringLiteral("^(#+)[ \\t]+(.*?)[ \\t]*(?:\\[([^\\]]*)\\])?[ \\t]*$"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch()) {
        return false;
    }
    heading.level = int(match.capturedLength(1)) - 1;
    heading.caption = match.captured(2);
    heading.category = match.hasCaptured(3) ? match.captured(3) : QStringLiteral("Default");
    return true;
}

bool isFence(const QString &line)
{
    const QString t = line.trimmed();
    return t.startsWith(QLatin1String("```")) || t.startsWith(QLatin1String("~~~"));
}

} // namespace

int outline(const QString &path, QTextStream &out, QTextStream &err)
{
    int level = -1;
    const std::optional<TreeFileContents> contents = scanOrReport(path, false, err, [&](TreeFileRecord &record) {
        level = AttachLoadedLeaf(level, record.level);
        out << QString(2 * level, QLatin1Char(' ')) << encoding::fromCp1252(record.caption) << " ["
            << encoding::fromCp1252(record.category) << "]\n";
    });
    if (!contents) {
        return ExitCannotOpen;
    }
    return finish(path, *contents, out, err);
}

int check(const QString &path, QTextStream &out, QTextStream &err)
{
    const std::optional<TreeFileContents> contents = scanOrReport(path, false, err, [](TreeFileRecord &) {});
    if (!contents) {
        return ExitCannotOpen;
    }
    out << path << "\n";
    out << "  size: " << contents->fileSize << " bytes\n";
    out << "  records announced: " << contents->announcedCount << "\n";
    out << "  leaves read: " << contents->recordsRead() << "\n";
    if (contents->complete) {
        out << "  status: complete\n";
        const qint64 trailing = contents->fileSize - contents->endOffset;
        if (trailing > 0) {
            out << "  note: " << trailing << " bytes after the last record are not read\n";
        }
    } else {
        out << "  status: damaged or incomplete at byte " << contents->damageOffset << ": "
            << contents->damageReason << "\n";
    }
    return finish(path, *contents, out, err);
}

int exportTree(const QString &path, const QString &formatName, QTextStream &out, QTextStream &err)
{
    ExportFormat format;
    if (!parseExportFormat(formatName, format)) {
        err << "quillax-tool: unknown format '" << formatName << "' (html, markdown or text)\n";
        err.flush();
        return ExitUsage;
    }
    const QString title = QFileInfo(path).fileName();
    // The document starts once the file has been opened, so a file that cannot be read prints nothing.
    bool started = false;
    const auto start = [&] {
        if (!started && format == ExportFormat::Html) {
            out << "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" << title.toHtmlEscaped()
                << "</title>\n</head>\n<body>\n";
        }
        started = true;
    };
    int level = -1;
    SectionNumbers numbers;
    const std::optional<TreeFileContents> contents = scanOrReport(path, true, err, [&](TreeFileRecord &record) {
        start();
        level = AttachLoadedLeaf(level, record.level);
        const QString caption = encoding::fromCp1252(record.caption);
        // Headings stop at level 6; the section number keeps deeper leaves apart.
        const int depth = std::min(level + 1, 6);
        const QString heading = numbers.next(level) + QLatin1Char(' ') + caption;
        QTextDocument document;
        richtext::loadBytes(document, record.text);
        switch (format) {
        case ExportFormat::Html:
            out << "<section data-category=\"" << encoding::fromCp1252(record.category).toHtmlEscaped() << "\">\n"
                << "<h" << depth << ">" << heading.toHtmlEscaped() << "</h" << depth << ">\n";
            if (!document.isEmpty()) {
                out << htmlBody(document) << "\n";
            }
            out << "</section>\n";
            break;
        case ExportFormat::Markdown: {
            out << QString(depth, QLatin1Char('#')) << ' ' << heading << "\n\n";
            const QString body = document.isEmpty() ? QString() : document.toMarkdown().trimmed();
            if (!body.isEmpty()) {
                out << body << "\n\n";
            }
            break;
        }
        case ExportFormat::Text: {
            out << heading << "\n";
            const QString body = document.isEmpty() ? QString() : convert::plainText(document).trimmed();
            if (!body.isEmpty()) {
                out << "\n" << body << "\n";
            }
            out << "\n";
            break;
        }
        }
    });
    if (!contents) {
        return ExitCannotOpen;
    }
    start();
    if (format == ExportFormat::Html) {
        out << "</body>\n</html>\n";
    }
    return finish(path, *contents, out, err);
}

int makeTree(const QString &sourcePath, const QString &outputPath, QTextStream &err)
{
    QByteArray sourceBytes;
    try {
        sourceBytes = fileaccess::readRegularFile(sourcePath);
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return ExitCannotOpen;
    }
    const QStringList lines = QString::fromUtf8(sourceBytes).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));

    std::vector<TreeFileRecord> records;
    QStringList body;
    int previousLevel = -1;
    bool inFence = false;
    auto closeLeaf = [&records, &body] {
        if (records.empty()) {
            return;
        }
        const QString markdown = body.join(QLatin1Char('\n')).trimmed();
        if (!markdown.isEmpty()) {
            QTextDocument document;
            document.setMarkdown(markdown);
            records.back().text = rtf::write(document);
        }
        body.clear();
    };
    for (int n = 0; n < lines.size(); ++n) {
        const QString &line = lines[n];
        SourceHeading heading;
        if (!inFence && parseHeading(line, heading)) {
            closeLeaf();
            TreeFileRecord record;
            record.caption = encoding::toCp1252(heading.caption).left(MaxCaptionBytes);
            record.category = categoryBytes(heading.category);
            // Stored as the reader will place it, so the file is read back exactly as written.
            record.level = AttachLoadedLeaf(previousLevel, heading.level);
            previousLevel = record.level;
            records.push_back(std::move(record));
            continue;
        }
        if (isFence(line)) {
            inFence = !inFence;
        }
        if (records.empty()) {
            if (!line.trimmed().isEmpty()) {
                err << sourcePath << ":" << (n + 1) << ": text before the first heading\n";
                err.flush();
                return ExitUsage;
            }
            continue;
        }
        body.append(line);
    }
    closeLeaf();

    try {
        saveTreeRecords(outputPath, records);
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return ExitCannotOpen;
    }
    return ExitComplete;
}

} // namespace treetool
