// Converts a document (RTF or plain text) to plain text, HTML or RTF, as the command-line tool does.
#include "text/convert.h"

#include "text/richtext.h"
#include "text/rtf/rtfwriter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace convert {

namespace {

// A block's text as it reads: line breaks inside the paragraph become new lines, embedded
// objects (pictures) leave nothing.
QString blockText(const QTextBlock &block)
{
    QString s = block.text();
    s.replace(QChar::LineSeparator, QLatin1Char('\n'));
    s.remove(QChar::ObjectReplacementCharacter);
    return s;
}

// Where lines go: a list (a table cell's nested lines), or one text in which each line ends with a
// new line, so that a long document needs no string per line on the way.
class Lines
{
public:
    explicit Lines(QStringList &list) : list_(&list) {}
    explicit Lines(QString &text) : text_(&text) {}

    void add(const QString &line)
    {
        ++count_;
        if (list_) {
            *list_ << line;
        } else {
            *text_ += line;
            *text_ += QLatin1Char('\n');
        }
    }
    qsizetype count() const { return count_; }

private:
    QStringList *list_ = nullptr;
    QString *text_ = nullptr;
    qsizetype count_ = 0;
};

void appendFrame(const QTextFrame *frame, Lines &lines);
void appendTable(const QTextTable *table, Lines &lines);

// Everything in a table cell on one line: its paragraphs and any nested table joined by spaces.
QString cellText(const QTextTableCell &cell)
{
    QStringList parts;
    for (auto it = cell.begin(); !it.atEnd(); ++it) {
        if (const QTextFrame *child = it.currentFrame()) {
            QStringList nestedLines;
            Lines nested(nestedLines);
            if (const auto *table = qobject_cast<const QTextTable *>(child)) {
                appendTable(table, nested);
            } else {
                appendFrame(child, nested);
            }
            parts += nestedLines;
        } else {
            parts << blockText(it.currentBlock());
        }
    }
    QString s = parts.join(QLatin1Char(' ')).trimmed();
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

void appendTable(const QTextTable *table, Lines &lines)
{
    for (int r = 0; r < table->rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            // A merged cell is reported at every position it covers; write it once.
            if (cell.row() != r || cell.column() != c) {
                continue;
            }
            cells << cellText(cell);
        }
        lines.add(cells.join(QLatin1Char('\t')));
    }
}

void appendFrame(const QTextFrame *frame, Lines &lines)
{
    bool first = true;
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame *child = it.currentFrame()) {
            if (const auto *table = qobject_cast<const QTextTable *>(child)) {
                appendTable(table, lines);
            } else {
                appendFrame(child, lines);
            }
        } else {
            const QTextBlock block = it.currentBlock();
            // A frame that starts with a table always has an empty paragraph before it; it is not text.
            auto next = it;
            ++next;
            const bool placeholder = first && block.length() <= 1 && !next.atEnd() && next.currentFrame();
            if (!placeholder) {
                lines.add(blockText(block));
            }
        }
        first = false;
    }
}

} // namespace

bool parseFormat(const QString &name, Format &format)
{
    if (name == QLatin1String("text")) {
        format = Format::Text;
    } else if (name == QLatin1String("html")) {
        format = Format::Html;
    } else if (name == QLatin1String("rtf")) {
        format = Format::Rtf;
    } else {
        return false;
    }
    return true;
}

QString plainText(const QTextDocument &document)
{
    QString text;
    // The document's characters and one new line per paragraph: a little more than the text needs.
    text.reserve(document.characterCount() + 1);
    Lines lines(text);
    appendFrame(document.rootFrame(), lines);
    if (lines.count() == 0) {
        return QString();
    }
    return text;
}

void readDocument(const QByteArray &input, QTextDocument &document)
{
    // Exactly as the editor reads a document.
    richtext::loadBytes(document, input);
}

QByteArray convertBytes(QByteArray input, Format format)
{
    QTextDocument document;
    readDocument(input, document);
    // The document holds the text now: the bytes go before the output takes its memory.
    input = QByteArray();
    switch (format) {
    case Format::Text: {
        const QString text = plainText(document);
        // The document goes before the bytes of its text take their memory.
        document.clear();
        return text.toUtf8();
    }
    case Format::Html:
        return document.toHtml().toUtf8();
    case Format::Rtf:
        return rtf::write(document);
    }
    return QByteArray();
}

} // namespace convert
