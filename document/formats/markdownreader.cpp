// Markdown as an outline: headings split the source into leaves, each leaf's Markdown read by QTextDocument.
#include "document/formats/markdownreader.h"

#include "document/formats/importoutline.h"
#include "text/encoding.h"
#include "text/richtext.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTextDocument>

namespace formats {

namespace {

struct Heading
{
    int level = 0;
    QString caption;
    QString category;
};

// Backslash escapes of ASCII punctuation, as Markdown writes them, back to the characters.
QString unescaped(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size() && text[i + 1].unicode() < 128 &&
            text[i + 1].isPunct()) {
            plain += text[++i];
        } else {
            plain += c;
        }
    }
    return plain;
}

bool parseHeading(const QString &line, Heading &heading)
{
    static const QRegularExpression pattern(QStringLiteral("^ {0,3}(#{1,6})(?:[ \\t]+(.*?))?[ \\t]*$"));
    // A closing run of "#" (after a space) is not part of the caption; "[Name]" at the end is the category,
    // unless its bracket was escaped.
    static const QRegularExpression closing(QStringLiteral("(^|[ \\t]+)#+$"));
    static const QRegularExpression category(QStringLiteral("(?<!\\\\)\\[([^\\]\\\\]*)\\]$"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch()) {
        return false;
    }
    heading.level = int(match.capturedLength(1)) - 1;
    QString text = match.captured(2);
    text.remove(closing);
    text = text.trimmed();
    const QRegularExpressionMatch named = category.match(text);
    if (named.hasMatch() && !named.captured(1).trimmed().isEmpty()) {
        heading.category = named.captured(1).trimmed();
        text.truncate(named.capturedStart());
        text = text.trimmed();
    }
    heading.caption = unescaped(text);
    return true;
}

bool isFence(const QString &line)
{
    const QString t = line.trimmed();
    return t.startsWith(QLatin1String("```")) || t.startsWith(QLatin1String("~~~"));
}

} // namespace

MarkdownRead readMarkdownOutline(const QByteArray &bytes, const MarkdownOptions &options, LeafSink &sink)
{
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) {
        throw ImportError(QStringLiteral("byte %1: a zero byte; Markdown is text").arg(zero), zero);
    }
    const QStringList lines =
        encoding::decodePlainText(bytes).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));

    // Each leaf is added once its text is complete, so only one leaf's Markdown is held at a time.
    bool pending = false;
    Heading current;
    QStringList body;
    qint64 offset = 0;
    const auto closeLeaf = [&] {
        if (!pending) {
            return;
        }
        const QString markdown = body.join(QLatin1Char('\n')).trimmed();
        QTextDocument document;
        document.setDefaultFont(richtext::baseFont());
        if (!markdown.isEmpty()) {
            document.setMarkdown(markdown);
        }
        sink.addLeaf(current.level, current.caption,
                     current.category.isEmpty() ? options.defaultCategory : current.category, &document, offset);
        body.clear();
        pending = false;
    };
    bool inFence = false;
    MarkdownRead read;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString &line = lines[n];
        offset += line.size() + 1;
        Heading heading;
        if (!inFence && parseHeading(line, heading)) {
            closeLeaf();
            ++read.headings;
            current = heading;
            pending = true;
            continue;
        }
        if (isFence(line)) {
            inFence = !inFence;
        }
        if (!pending && sink.records().empty()) {
            if (line.trimmed().isEmpty()) {
                continue;
            }
            if (!options.textBeforeHeading) {
                read.strayLine = int(n + 1);
                return read;
            }
            current = Heading{0, options.name, QString()};
            pending = true;
        }
        body.append(line);
    }
    closeLeaf();
    return read;
}

void readMarkdown(const QByteArray &bytes, const QString &name, LeafSink &sink)
{
    // Text without a single heading is a document, not an outline.
    if (readMarkdownOutline(bytes, MarkdownOptions{QString(), true, name}, sink).headings == 0) {
        throw ImportError(QStringLiteral("no heading line (\"# Caption\") in the text"), 0);
    }
}

} // namespace formats
