// A CherryTree node's text: run attributes as character and paragraph formats, objects placed by character
// offset, and the whole built into a QTextDocument with pictures as image resources.
#include "document/formats/cherrytreetext.h"

#include <QColor>
#include <QScopeGuard>
#include <QFont>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>

#include <algorithm>

namespace formats::cherrytree {

namespace {

// An insertion far from the end moves at most this many places, and a chunk splits past twice as many.
constexpr size_t ChunkSize = 512;
// A table keeps at most this many columns, and at most this many cells for each cell the file writes (rows
// of unequal length are filled out).
constexpr int MaxTableColumns = 64;
constexpr qint64 CellsPerWrittenCell = 4;
// CherryTree indents a paragraph by this many pixels a step.
constexpr double IndentPixels = 50.0;
constexpr int MaxIndentSteps = 20;

const QString MonospaceFamily = QStringLiteral("Courier New");

// Headings as a ladder of point sizes below the editor's 12-point text, bold; "small" below it.
double scaledPoints(QStringView scale)
{
    static const double ladder[] = {24, 20, 17, 15, 14, 13};
    if (scale.size() == 2 && scale[0] == QLatin1Char('h') && scale[1] >= QLatin1Char('1') &&
        scale[1] <= QLatin1Char('6')) {
        return ladder[scale[1].unicode() - '1'];
    }
    return scale == QLatin1String("small") ? 10.0 : 0.0;
}

// "#rrggbb" or GTK's "#rrrrggggbbbb"; an invalid colour when it is neither.
QColor colour(QStringView value)
{
    if (!value.startsWith(QLatin1Char('#')) || (value.size() != 7 && value.size() != 13)) {
        return QColor();
    }
    return QColor::fromString(value);
}

// Appends text and objects in order at the end of the document.
class Builder
{
public:
    explicit Builder(QTextDocument &document) : document_(document), cursor_(&document) {}

    void text(QStringView text, const RunFormat &format);
    void object(const NodeObject &object);

private:
    // What the last thing added asks of the next: a table leaves the cursor in a new paragraph, a code box at
    // the end of its last line; the newline that ends the object's line in the source is taken as done.
    enum class After { Nothing, Table, Code };

    void newParagraph() { cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat()); }
    void startParagraph(const RunFormat &format);
    void beforeInline();
    void code(const QString &text);
    void table(const NodeObject &object);

    QTextDocument &document_;
    QTextCursor cursor_;
    After after_ = After::Nothing;
    int pictures_ = 0;
};

void Builder::text(QStringView text, const RunFormat &format)
{
    if (text.isEmpty()) {
        return;
    }
    if (after_ != After::Nothing) {
        const bool code = after_ == After::Code;
        after_ = After::Nothing;
        if (text.front() == QLatin1Char('\n')) {
            text = text.mid(1);
        }
        if (code) {
            newParagraph();
        }
        if (text.isEmpty()) {
            return;
        }
    }
    qsizetype from = 0;
    for (;;) {
        const qsizetype newline = text.indexOf(QLatin1Char('\n'), from);
        const QStringView line = newline < 0 ? text.mid(from) : text.mid(from, newline - from);
        // A paragraph takes the alignment and indent of the run its first character (or its end) comes from.
        if (cursor_.atBlockStart() && (newline >= 0 || !line.isEmpty())) {
            startParagraph(format);
        }
        if (!line.isEmpty()) {
            cursor_.insertText(line.toString(), format.chars);
        }
        if (newline < 0) {
            break;
        }
        newParagraph();
        from = newline + 1;
    }
}

void Builder::startParagraph(const RunFormat &format)
{
    if (!format.alignment && format.indent == 0) {
        return;
    }
    QTextBlockFormat block = cursor_.blockFormat();
    if (format.alignment) {
        block.setAlignment(format.alignment);
    }
    if (format.indent > 0) {
        block.setLeftMargin(IndentPixels * format.indent);
    }
    cursor_.setBlockFormat(block);
}

void Builder::beforeInline()
{
    if (after_ == After::Code) {
        newParagraph();
    }
    after_ = After::Nothing;
}

void Builder::object(const NodeObject &object)
{
    switch (object.kind) {
    case NodeObject::Anchor:
        break;
    case NodeObject::Label:
        beforeInline();
        cursor_.insertText(object.text, QTextCharFormat());
        break;
    case NodeObject::Picture: {
        beforeInline();
        // The writer saves a picture from the document's resource of the format's name.
        const QString name = QStringLiteral("cherrytree-picture:%1").arg(++pictures_);
        document_.addResource(QTextDocument::ImageResource, QUrl(name), object.picture);
        QTextImageFormat format;
        format.setName(name);
        format.setWidth(object.picture.width());
        format.setHeight(object.picture.height());
        cursor_.insertImage(format);
        break;
    }
    case NodeObject::Code:
        code(object.text);
        break;
    case NodeObject::Table:
        table(object);
        break;
    }
}

// A code box: its own paragraphs, in a monospace font.
void Builder::code(const QString &text)
{
    if (after_ == After::Code || (after_ == After::Nothing && !cursor_.atBlockStart())) {
        newParagraph();
    }
    QTextCharFormat mono;
    mono.setFontFamilies({MonospaceFamily});
    qsizetype from = 0;
    for (;;) {
        const qsizetype newline = text.indexOf(QLatin1Char('\n'), from);
        const QString line = text.mid(from, newline < 0 ? -1 : newline - from);
        if (!line.isEmpty()) {
            cursor_.insertText(line, mono);
        }
        if (newline < 0) {
            break;
        }
        newParagraph();
        from = newline + 1;
    }
    after_ = After::Code;
}

void Builder::table(const NodeObject &object)
{
    if (after_ == After::Code) {
        newParagraph();
    }
    after_ = After::Nothing;
    qint64 written = 0;
    int columns = 1;
    for (const QStringList &row : object.rows) {
        written += row.size();
        columns = std::max(columns, int(std::min<qsizetype>(row.size(), MaxTableColumns)));
    }
    const int rows = int(object.rows.size());
    if (rows == 0) {
        return;
    }
    // Rows of unequal length are filled out, but never to many more cells than the file has.
    const qint64 allowed = CellsPerWrittenCell * (written + rows);
    columns = int(std::clamp<qint64>(std::min<qint64>(columns, allowed / rows), 1, columns));
    QTextTableFormat format;
    format.setAlignment(object.alignment ? object.alignment : Qt::AlignLeft);
    format.setBorder(1);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setHeaderRowCount(1);
    // A table takes the place of the empty line it stands on, not a line of its own after it.
    bool ownLine = false;
    if (cursor_.atBlockStart() && cursor_.block().length() == 1 && cursor_.position() > 0) {
        QTextCursor before = cursor_;
        before.movePosition(QTextCursor::PreviousCharacter);
        if (!before.currentTable()) {
            cursor_ = before;
            ownLine = true;
        }
    }
    QTextTable *table = cursor_.insertTable(rows, columns, format);
    QTextCharFormat header;
    header.setFontWeight(QFont::Bold);
    for (int r = 0; r < rows; ++r) {
        const QStringList &cells = object.rows[size_t(r)];
        for (int c = 0; c < columns && c < cells.size(); ++c) {
            if (!cells.at(c).isEmpty()) {
                QTextCursor cell = table->cellAt(r, c).firstCursorPosition();
                cell.insertText(cells.at(c), r == 0 ? header : QTextCharFormat());
            }
        }
    }
    // Text is only ever added at the end, so the paragraph after the table is the last one.
    cursor_.movePosition(QTextCursor::End);
    if (ownLine) {
        // The table split the line before it; the empty line it stood on follows that split's new paragraph.
        cursor_.deletePreviousChar();
    }
    after_ = After::Table;
}

} // namespace

RunFormat runFormat(const XmlAttributes &attributes)
{
    RunFormat format;
    QTextCharFormat &chars = format.chars;
    QString webLink;
    bool coloured = false;
    for (const XmlAttribute &attribute : attributes) {
        const QLatin1StringView name = attribute.name();
        const QStringView value = attribute.value();
        if (name == QLatin1String("weight")) {
            if (value == QLatin1String("heavy")) {
                chars.setFontWeight(QFont::Bold);
            }
        } else if (name == QLatin1String("style")) {
            if (value == QLatin1String("italic")) {
                chars.setFontItalic(true);
            }
        } else if (name == QLatin1String("underline")) {
            if (value == QLatin1String("single")) {
                chars.setFontUnderline(true);
            }
        } else if (name == QLatin1String("strikethrough")) {
            if (value == QLatin1String("true")) {
                chars.setFontStrikeOut(true);
            }
        } else if (name == QLatin1String("foreground")) {
            const QColor c = colour(value);
            if (c.isValid()) {
                chars.setForeground(c);
                coloured = true;
            }
        } else if (name == QLatin1String("background")) {
            const QColor c = colour(value);
            if (c.isValid()) {
                chars.setBackground(c);
            }
        } else if (name == QLatin1String("scale")) {
            if (value == QLatin1String("sup")) {
                chars.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            } else if (value == QLatin1String("sub")) {
                chars.setVerticalAlignment(QTextCharFormat::AlignSubScript);
            } else if (const double points = scaledPoints(value); points > 0) {
                chars.setFontPointSize(points);
                if (value != QLatin1String("small")) {
                    chars.setFontWeight(QFont::Bold);
                }
            }
        } else if (name == QLatin1String("family")) {
            if (value == QLatin1String("monospace")) {
                chars.setFontFamilies({MonospaceFamily});
            }
        } else if (name == QLatin1String("justification")) {
            if (value == QLatin1String("left")) {
                format.alignment = Qt::AlignLeft;
            } else if (value == QLatin1String("center")) {
                format.alignment = Qt::AlignHCenter;
            } else if (value == QLatin1String("right")) {
                format.alignment = Qt::AlignRight;
            } else if (value == QLatin1String("fill")) {
                format.alignment = Qt::AlignJustify;
            }
        } else if (name == QLatin1String("indent")) {
            bool ok = false;
            const int steps = value.toInt(&ok);
            format.indent = ok ? std::clamp(steps, 0, MaxIndentSteps) : 0;
        } else if (name == QLatin1String("link")) {
            // "webs URL" links to the web; links to nodes, files and folders have no meaning here.
            if (value.startsWith(QLatin1String("webs "))) {
                webLink = value.mid(5).trimmed().toString();
            }
        }
    }
    if (!webLink.isEmpty()) {
        chars.setAnchor(true);
        chars.setAnchorHref(webLink);
        chars.setFontUnderline(true);
        if (!coloured) {
            chars.setForeground(QColor(0, 0, 255));
        }
    }
    return format;
}

void NodeText::appendRun(const QString &text, const RunFormat &format)
{
    if (text.isEmpty()) {
        return;
    }
    qint64 points = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate()) {
            --points;
            ++i;
        }
    }
    textPoints_ += points;
    runs_.push_back(Run{text, format});
}

void NodeText::insertObject(qint64 charOffset, NodeObject object)
{
    const int index = int(objects_.size());
    objects_.push_back(std::move(object));
    const qint64 placed = qint64(objects_.size()) - 1;
    const qint64 at = std::clamp<qint64>(charOffset, 0, textPoints_ + placed);
    // An object's place in the text so far is its gap plus the objects before it. Objects usually come in
    // order, each after the last.
    if (chunks_.empty() || chunks_.back().back().gap + placed - 1 < at) {
        if (chunks_.empty() || chunks_.back().size() >= ChunkSize) {
            chunks_.emplace_back();
        }
        chunks_.back().push_back(Placed{at - placed, index});
        return;
    }
    qint64 before = 0;
    for (size_t c = 0; c < chunks_.size(); ++c) {
        std::vector<Placed> &chunk = chunks_[c];
        if (chunk.back().gap + before + qint64(chunk.size()) - 1 < at) {
            before += qint64(chunk.size());
            continue;
        }
        // The first object at or after the place; the new one goes before it.
        qint64 j = 0;
        qint64 hi = qint64(chunk.size()) - 1;
        while (j < hi) {
            const qint64 mid = (j + hi) / 2;
            if (chunk[size_t(mid)].gap + before + mid >= at) {
                hi = mid;
            } else {
                j = mid + 1;
            }
        }
        chunk.insert(chunk.begin() + j, Placed{at - before - j, index});
        if (chunk.size() >= 2 * ChunkSize) {
            std::vector<Placed> tail(chunk.begin() + qsizetype(ChunkSize), chunk.end());
            chunk.resize(ChunkSize);
            chunks_.insert(chunks_.begin() + qsizetype(c) + 1, std::move(tail));
        }
        return;
    }
}

QString NodeText::plainText() const
{
    QString text;
    for (const Run &run : runs_) {
        text += run.text;
    }
    return text;
}

void NodeText::build(QTextDocument &document) const
{
    Builder builder(document);
    // Within one edit block a cursor does not lay its paragraph out again after every insertion.
    QTextCursor edit(&document);
    edit.beginEditBlock();
    const auto endEdit = qScopeGuard([&edit] { edit.endEditBlock(); });
    std::vector<Placed> order;
    order.reserve(objects_.size());
    for (const std::vector<Placed> &chunk : chunks_) {
        order.insert(order.end(), chunk.begin(), chunk.end());
    }
    size_t next = 0;
    qint64 point = 0;
    for (const Run &run : runs_) {
        const QString &text = run.text;
        qsizetype start = 0;
        qsizetype i = 0;
        for (;;) {
            while (next < order.size() && order[next].gap <= point) {
                builder.text(QStringView(text).mid(start, i - start), run.format);
                start = i;
                builder.object(objects_[size_t(order[next].object)]);
                ++next;
            }
            if (i >= text.size()) {
                break;
            }
            i += text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
            ++point;
        }
        builder.text(QStringView(text).mid(start), run.format);
    }
    for (; next < order.size(); ++next) {
        builder.object(objects_[size_t(order[next].object)]);
    }
}

void NodeText::clear()
{
    chunks_.clear();
    runs_.clear();
    objects_.clear();
    textPoints_ = 0;
}

} // namespace formats::cherrytree
