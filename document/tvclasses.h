// The leaf record: a leaf's text and its category.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <memory>

// A leaf's text as a list of lines (normally RTF markup) and its category.
// Texts are kept as the file's bytes, never decoded or re-encoded on the way through.
using LineList = QList<QByteArray>;

class noteob
{
public:
    noteob();

    LineList Notes;

    // The category, at most 20 bytes of Windows-1252; longer texts are cut.
    const QByteArray &Category() const { return category_; }
    void setCategory(const QByteArray &bytes);
    void setCategory(const QString &text);
    QString categoryText() const;

private:
    QByteArray category_;
};

using NoteRef = std::shared_ptr<noteob>;

constexpr int MaxCategoryBytes = 20;
constexpr int MaxCaptionBytes = 255;

// A category typed or picked in a box as a record stores it: Windows-1252, cut to MaxCategoryBytes.
QByteArray categoryBytes(const QString &text);

// The four built-in categories, in the order the boxes list them.
extern const std::array<const char *, 4> CategoryNames;

// Record end of text transfer: each entry followed by CR LF, the last one included. The pieces in order,
// handed to sink(data, size) without joining them.
template <typename Sink>
void forEachJoinedPiece(const LineList &lines, Sink &&sink)
{
    for (const QByteArray &line : lines) {
        sink(line.constData(), line.size());
        sink("\r\n", qsizetype(2));
    }
}
// The lines joined so.
QByteArray joinLines(const LineList &lines);
// The length of the lines joined so, without joining them.
qint64 joinedLength(const LineList &lines);
// The lines as one text for a reader of it (find): a single entry as it is, shared rather than copied
// (a final line break changes nothing a reader shows), more entries joined.
QByteArray readableText(const LineList &lines);
// Splits at CR LF, lone CR or lone LF; a final break makes no empty entry; a zero byte ends the text.
LineList splitLines(const QByteArray &bytes);
