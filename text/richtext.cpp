// The editor end of text transfer: RTF when the bytes are RTF, plain text otherwise.
#include "text/richtext.h"

#include "text/encoding.h"
#include "text/errors.h"
#include "text/rtf/rtfreader.h"
#include "text/rtf/rtfwriter.h"
#include "text/talllayout.h"

#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace richtext {

QFont baseFont()
{
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("Arial")});
    font.setPointSize(12);
    return font;
}

namespace {

bool isRtfSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Where the RTF group starts after leading white space, or -1 when the bytes are not RTF.
qsizetype rtfStart(const QByteArray &bytes)
{
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n && isRtfSpace(bytes.at(i))) {
        ++i;
    }
    return QByteArrayView(bytes).sliced(i).startsWith("{\\rtf") ? i : -1;
}

} // namespace

bool isRtf(const QByteArray &bytes)
{
    return rtfStart(bytes) >= 0;
}

void loadPlainText(QTextDocument &document, const QString &text)
{
    const textlayout::LoadingLayout loading(document);
    // clear() drops every format of the previous content, so the text shows in the default font.
    document.clear();
    if (!text.contains(QLatin1Char('\f')) && !text.contains(QLatin1Char('\v'))) {
        document.setPlainText(text);
        return;
    }
    // A vertical tab breaks the line; a form feed starts a page: the line after it starts a new paragraph
    // that begins the page, and one standing at the start of a line starts that line's page.
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lines.replace(QLatin1Char('\v'), QChar(QChar::LineSeparator));
    std::vector<int> pageStarts;
    int block = 0;
    qsizetype out = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QChar c = lines.at(i);
        if (c == QLatin1Char('\f')) {
            const bool lineStart = out == 0 || lines.at(out - 1) == QLatin1Char('\n');
            if (!lineStart) {
                lines[out++] = QLatin1Char('\n');
                ++block;
            }
            if (pageStarts.empty() || pageStarts.back() != block) {
                pageStarts.push_back(block);
            }
            continue;
        }
        if (c == QLatin1Char('\n')) {
            ++block;
        }
        lines[out++] = c;
    }
    lines.truncate(out);
    document.setPlainText(lines);
    QTextBlockFormat pageStart;
    pageStart.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    for (const int b : pageStarts) {
        const QTextBlock target = document.findBlockByNumber(b);
        if (target.isValid()) {
            QTextCursor(target).mergeBlockFormat(pageStart);
        }
    }
}

void loadBytes(QTextDocument &document, const QByteArray &bytes)
{
    const textlayout::LoadingLayout loading(document);
    const qsizetype start = rtfStart(bytes);
    if (start >= 0) {
        try {
            // White space before the group is no part of the document's text.
            rtf::read(start == 0 ? bytes : bytes.sliced(start), document);
            return;
        } catch (const std::exception &) {
            // Not readable as RTF: the same bytes are read again as plain text below.
        }
    }
    try {
        QString text = encoding::decodePlainText(bytes);
        // A final line break ends the last line; it does not start an empty one.
        if (text.endsWith(QLatin1String("\r\n"))) {
            text.chop(2);
        } else if (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) {
            text.chop(1);
        }
        loadPlainText(document, text);
    } catch (const std::exception &) {
        throw AppError(QStringLiteral("Failed to Load Stream"));
    }
}

QByteArray saveBytes(const QTextDocument &document)
{
    try {
        return rtf::write(document);
    } catch (const std::exception &) {
        throw AppError(QStringLiteral("Failed to Save Stream"));
    }
}

} // namespace richtext
