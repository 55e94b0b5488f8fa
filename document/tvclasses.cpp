// The leaf record: a leaf's text and its category.
#include "document/tvclasses.h"

#include "text/encoding.h"

const std::array<const char *, 4> CategoryNames = {"Default", "Memo", "ToDo", "Unknown"};

noteob::noteob() : category_("Unknown")
{
}

void noteob::setCategory(const QByteArray &bytes)
{
    category_ = bytes.left(MaxCategoryBytes);
}

void noteob::setCategory(const QString &text)
{
    setCategory(categoryBytes(text));
}

QByteArray categoryBytes(const QString &text)
{
    return encoding::toCp1252(text).left(MaxCategoryBytes);
}

QString noteob::categoryText() const
{
    return encoding::fromCp1252(category_);
}

qint64 joinedLength(const LineList &lines)
{
    qint64 total = 0;
    forEachJoinedPiece(lines, [&](const char *, qsizetype size) { total += size; });
    return total;
}

QByteArray joinLines(const LineList &lines)
{
    QByteArray out;
    out.reserve(qsizetype(joinedLength(lines)));
    forEachJoinedPiece(lines, [&](const char *data, qsizetype size) { out.append(data, size); });
    return out;
}

QByteArray readableText(const LineList &lines)
{
    return lines.size() == 1 ? lines.first() : joinLines(lines);
}

LineList splitLines(const QByteArray &bytes)
{
    LineList lines;
    const qsizetype zero = bytes.indexOf('\0');
    const qsizetype end = zero < 0 ? bytes.size() : zero;
    const char *data = bytes.constData();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < end) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            lines.append(QByteArray(data + start, i - start));
            if (c == '\r' && i + 1 < end && data[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
        ++i;
    }
    if (start < end) {
        lines.append(QByteArray(data + start, end - start));
    }
    return lines;
}
