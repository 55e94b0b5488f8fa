// Finding a query in an editor's document by the rules of the outline's find.
#include "text/finding.h"

#include <QTextDocument>

namespace finding {

QString foldedText(const QTextDocument &document)
{
    // The raw text holds one character per position, frame and block boundaries included.
    QString text = document.toRawText().toCaseFolded();
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator || u == u'\n' || u == 0xfdd0 ||
            u == 0xfdd1) {
            c = u' ';
        }
    }
    return text;
}

QTextCursor find(const QTextDocument &document, const QString &query, int from)
{
    const QString q = query.toCaseFolded();
    if (q.isEmpty()) {
        return QTextCursor();
    }
    const qsizetype at = foldedText(document).indexOf(q, std::max(0, from));
    if (at < 0) {
        return QTextCursor();
    }
    QTextCursor cursor(const_cast<QTextDocument *>(&document));
    cursor.setPosition(int(at));
    cursor.setPosition(int(at + q.size()), QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace finding
