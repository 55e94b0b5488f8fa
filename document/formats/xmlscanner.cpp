// A fast pull reader of XML: the bytes are searched with memchr and turned into text a run at a time, so that
// a large outline reads several times faster than through a general parser.
#include "document/formats/xmlscanner.h"

#include "document/formats/leafsink.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <optional>

namespace formats {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Characters a name cannot hold: those that end it in a tag, and markup.
bool endsName(char c)
{
    return isSpace(c) || c == '/' || c == '>' || c == '=' || c == '<' || c == '"' || c == '\'' || c == '&';
}

// A character XML 1.0 lets a document hold.
bool isXmlChar(uint c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The encoding the XML declaration names, or empty; only the start of the document is looked at.
QByteArray declaredEncoding(const QByteArray &bytes)
{
    if (!bytes.startsWith("<?xml")) {
        return QByteArray();
    }
    const qsizetype end = bytes.indexOf("?>");
    if (end < 0) {
        return QByteArray();
    }
    const QByteArray declaration = bytes.left(end);
    const qsizetype at = declaration.indexOf("encoding");
    if (at < 0) {
        return QByteArray();
    }
    qsizetype i = declaration.indexOf('=', at);
    if (i < 0) {
        return QByteArray();
    }
    while (++i < declaration.size() && isSpace(declaration[i])) {
    }
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\'')) {
        return QByteArray();
    }
    const qsizetype close = declaration.indexOf(declaration[i], i + 1);
    return close < 0 ? QByteArray() : declaration.mid(i + 1, close - i - 1).trimmed();
}

// The document as UTF-8: a byte order mark or the declaration may name another encoding.
QByteArray asUtf8(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return bytes.mid(3);
    }
    std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes);
    if (bom && *bom != QStringConverter::Utf8) {
        QStringDecoder decoder(*bom);
        return QString(decoder.decode(bytes)).toUtf8();
    }
    const QByteArray name = declaredEncoding(bytes).toLower();
    if (name.isEmpty() || name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii") {
        return bytes;
    }
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid()) {
        return bytes;  // read as UTF-8: the declaration names an encoding nobody here knows
    }
    return QString(decoder.decode(bytes)).toUtf8();
}

} // namespace

QStringView XmlAttributes::value(QLatin1StringView name) const
{
    for (const XmlAttribute &attribute : *this) {
        if (attribute.name_ == name) {
            return attribute.value_;
        }
    }
    return QStringView();
}

bool XmlAttributes::hasAttribute(QLatin1StringView name) const
{
    return std::any_of(begin(), end(), [&](const XmlAttribute &a) { return a.name_ == name; });
}

XmlScanner::XmlScanner(const QByteArray &bytes) : source_(asUtf8(bytes)), sourceSize_(bytes.size())
{
    data_ = source_.constData();
    size_ = source_.size();
}

qint64 XmlScanner::offset() const
{
    // A document read in another encoding: the place in its own bytes, in proportion.
    if (size_ == sourceSize_ || size_ == 0) {
        return pos_;
    }
    return qint64(double(pos_) * double(sourceSize_) / double(size_));
}

void XmlScanner::failAt(qint64 at, const QString &why) const
{
    at = std::clamp<qint64>(at, 0, size_);
    qint64 line = 1;
    qint64 lineStart = 0;
    for (const char *p = data_, *end = data_ + at; (p = static_cast<const char *>(std::memchr(p, '\n', end - p)));
         ++p) {
        ++line;
        lineStart = p - data_ + 1;
    }
    qint64 column = 1;
    for (qint64 i = lineStart; i < at; ++i) {
        column += (uchar(data_[i]) & 0xC0) != 0x80 ? 1 : 0;
    }
    const qint64 sourceAt = size_ == sourceSize_ || size_ == 0 ? at : qint64(double(at) * sourceSize_ / size_);
    throw ImportError(QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(why), sourceAt);
}

qsizetype XmlScanner::nameEnd(qsizetype from) const
{
    qsizetype i = from;
    while (i < size_ && !endsName(data_[i])) {
        ++i;
    }
    return i;
}

void XmlScanner::appendResolved(QString &out, qsizetype from, qsizetype to, bool normalise) const
{
    const auto appendRun = [&](qsizetype a, qsizetype b) {
        if (a >= b) {
            return;
        }
        QString run = QString::fromUtf8(data_ + a, b - a);
        // Line ends read as LF; in an attribute every white space character is a space.
        if (run.contains(QLatin1Char('\r'))) {
            run.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        }
        if (normalise) {
            run.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\t'), QLatin1Char(' '));
        }
        out += run;
    };
    qsizetype i = from;
    while (i < to) {
        const char *amp = static_cast<const char *>(std::memchr(data_ + i, '&', to - i));
        if (!amp) {
            appendRun(i, to);
            return;
        }
        const qsizetype at = amp - data_;
        appendRun(i, at);
        const char *semi = static_cast<const char *>(std::memchr(amp, ';', std::min<qsizetype>(to - at, 16)));
        if (!semi) {
            failAt(at, QStringLiteral("'&' starts no entity or character reference"));
        }
        const QByteArray ref(amp + 1, semi - amp - 1);
        if (ref == "lt") {
            out += QLatin1Char('<');
        } else if (ref == "gt") {
            out += QLatin1Char('>');
        } else if (ref == "amp") {
            out += QLatin1Char('&');
        } else if (ref == "quot") {
            out += QLatin1Char('"');
        } else if (ref == "apos") {
            out += QLatin1Char('\'');
        } else if (ref.startsWith('#')) {
            bool ok = false;
            const uint code = ref.startsWith("#x") ? ref.mid(2).toUInt(&ok, 16) : ref.mid(1).toUInt(&ok, 10);
            if (!ok || !isXmlChar(code)) {
                failAt(at, QStringLiteral("&%1; is no character XML holds").arg(QString::fromLatin1(ref)));
            }
            const char32_t c = code;
            out += QString::fromUcs4(&c, 1);
        } else {
            failAt(at, QStringLiteral("the entity &%1; is not defined").arg(QString::fromUtf8(ref)));
        }
        i = semi - data_ + 1;
    }
}

XmlScanner::Token XmlScanner::next()
{
    if (pendingEnd_) {
        pendingEnd_ = false;
        name_ = open_.back();
        open_.pop_back();
        return token_ = Token::EndElement;
    }
    for (;;) {
        tokenStart_ = pos_;
        if (pos_ >= size_) {
            if (!open_.empty()) {
                failAt(size_, QStringLiteral("the document ends inside <%1>").arg(QString(open_.back())));
            }
            if (!rootSeen_) {
                failAt(size_, QStringLiteral("no element in the document"));
            }
            return token_ = Token::EndDocument;
        }
        if (data_[pos_] != '<') {
            readText();
            if (open_.empty()) {
                if (std::any_of(text_.cbegin(), text_.cend(), [](QChar c) { return !c.isSpace(); })) {
                    fail(QStringLiteral("text outside the root element"));
                }
                continue;
            }
            return token_ = Token::Text;
        }
        const char after = pos_ + 1 < size_ ? data_[pos_ + 1] : '\0';
        if (after == '/') {
            readEndTag();
            return token_ = Token::EndElement;
        }
        if (after == '!' && source_.mid(pos_, 9) == "<![CDATA[") {
            if (open_.empty()) {
                fail(QStringLiteral("text outside the root element"));
            }
            readCdata();
            return token_ = Token::Text;
        }
        if (after == '!' || after == '?') {
            skipMarkup();
            continue;
        }
        readStartTag();
        return token_ = Token::StartElement;
    }
}

void XmlScanner::skipMarkup()
{
    const auto skipPast = [&](const char *end, const char *what) {
        const qsizetype at = source_.indexOf(end, pos_ + 2);
        if (at < 0) {
            failAt(pos_, QStringLiteral("the document ends inside %1").arg(QLatin1String(what)));
        }
        pos_ = at + qsizetype(std::strlen(end));
    };
    if (data_[pos_ + 1] == '?') {
        skipPast("?>", "a processing instruction");
    } else if (source_.mid(pos_, 4) == "<!--") {
        skipPast("-->", "a comment");
    } else if (source_.mid(pos_, 9) == "<!DOCTYPE") {
        // The document type ends at the '>' outside quotes and outside its internal subset.
        char quote = 0;
        int brackets = 0;
        qsizetype i = pos_ + 9;
        for (; i < size_; ++i) {
            const char c = data_[i];
            if (quote) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '<' && source_.mid(i, 8) == "<!ENTITY") {
                failAt(i, QStringLiteral("the document declares entities, which an outline file never does"));
            } else if (c == '>' && brackets <= 0) {
                break;
            }
        }
        if (i >= size_) {
            failAt(pos_, QStringLiteral("the document ends inside its document type"));
        }
        pos_ = i + 1;
    } else {
        fail(QStringLiteral("markup XML does not know"));
    }
}

void XmlScanner::readStartTag()
{
    const qsizetype start = pos_ + 1;
    const qsizetype end = nameEnd(start);
    if (end == start) {
        fail(QStringLiteral("'<' starts no tag"));
    }
    if (open_.empty() && rootSeen_) {
        fail(QStringLiteral("a second root element"));
    }
    name_ = QLatin1StringView(data_ + start, end - start);
    attributes_.clear();
    pos_ = end;
    for (;;) {
        const qsizetype before = pos_;
        while (pos_ < size_ && isSpace(data_[pos_])) {
            ++pos_;
        }
        if (pos_ >= size_) {
            failAt(tokenStart_, QStringLiteral("the document ends inside the tag <%1>").arg(name_));
        }
        if (data_[pos_] == '>') {
            ++pos_;
            break;
        }
        if (data_[pos_] == '/') {
            if (pos_ + 1 >= size_ || data_[pos_ + 1] != '>') {
                failAt(pos_, QStringLiteral("'/' inside the tag <%1>").arg(name_));
            }
            pos_ += 2;
            pendingEnd_ = true;
            break;
        }
        if (pos_ == before) {
            failAt(pos_, QStringLiteral("attributes of <%1> run together").arg(name_));
        }
        const qsizetype nameStart = pos_;
        const qsizetype nameStop = nameEnd(nameStart);
        if (nameStop == nameStart) {
            failAt(pos_, QStringLiteral("an unexpected character in the tag <%1>").arg(name_));
        }
        if (nameStop >= size_) {
            failAt(tokenStart_, QStringLiteral("the document ends inside the tag <%1>").arg(name_));
        }
        XmlAttribute attribute;
        attribute.name_ = QLatin1StringView(data_ + nameStart, nameStop - nameStart);
        pos_ = nameStop;
        while (pos_ < size_ && isSpace(data_[pos_])) {
            ++pos_;
        }
        if (pos_ >= size_ || data_[pos_] != '=') {
            failAt(pos_, QStringLiteral("the attribute %1 has no value").arg(attribute.name_));
        }
        ++pos_;
        while (pos_ < size_ && isSpace(data_[pos_])) {
            ++pos_;
        }
        if (pos_ >= size_ || (data_[pos_] != '"' && data_[pos_] != '\'')) {
            failAt(pos_, QStringLiteral("the value of %1 is not quoted").arg(attribute.name_));
        }
        const char quote = data_[pos_];
        const char *close = static_cast<const char *>(std::memchr(data_ + pos_ + 1, quote, size_ - pos_ - 1));
        if (!close) {
            failAt(pos_, QStringLiteral("the value of %1 is never closed").arg(attribute.name_));
        }
        const qsizetype valueEnd = close - data_;
        if (std::memchr(data_ + pos_ + 1, '<', valueEnd - pos_ - 1)) {
            failAt(pos_, QStringLiteral("'<' in the value of %1").arg(attribute.name_));
        }
        appendResolved(attribute.value_, pos_ + 1, valueEnd, true);
        pos_ = valueEnd + 1;
        if (std::any_of(attributes_.cbegin(), attributes_.cend(),
                        [&](const XmlAttribute &a) { return a.name_ == attribute.name_; })) {
            failAt(nameStart, QStringLiteral("the attribute %1 appears twice").arg(attribute.name_));
        }
        attributes_.push_back(std::move(attribute));
    }
    open_.push_back(name_);
    rootSeen_ = true;
}

void XmlScanner::readEndTag()
{
    const qsizetype start = pos_ + 2;
    const qsizetype end = nameEnd(start);
    name_ = QLatin1StringView(data_ + start, end - start);
    pos_ = end;
    while (pos_ < size_ && isSpace(data_[pos_])) {
        ++pos_;
    }
    if (pos_ >= size_ || data_[pos_] != '>') {
        fail(QStringLiteral("the end tag </%1> is not closed").arg(name_));
    }
    ++pos_;
    if (open_.empty()) {
        fail(QStringLiteral("the end tag </%1> closes no element").arg(name_));
    }
    if (open_.back() != name_) {
        fail(QStringLiteral("the end tag </%1> does not close <%2>").arg(name_, QString(open_.back())));
    }
    open_.pop_back();
}

void XmlScanner::readText()
{
    const char *lt = static_cast<const char *>(std::memchr(data_ + pos_, '<', size_ - pos_));
    const qsizetype end = lt ? lt - data_ : size_;
    text_.clear();
    appendResolved(text_, pos_, end, false);
    pos_ = end;
}

void XmlScanner::readCdata()
{
    const qsizetype start = pos_ + 9;
    const qsizetype end = source_.indexOf("]]>", start);
    if (end < 0) {
        fail(QStringLiteral("the document ends inside a CDATA section"));
    }
    text_ = QString::fromUtf8(data_ + start, end - start);
    text_.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    pos_ = end + 3;
}

QString XmlScanner::readElementText()
{
    QString text;
    int depth = 1;
    for (;;) {
        switch (next()) {
        case Token::Text:
            if (depth == 1) {
                text += text_;
            }
            break;
        case Token::StartElement:
            ++depth;
            break;
        case Token::EndElement:
            if (--depth == 0) {
                return text;
            }
            break;
        case Token::EndDocument:
            return text;
        }
    }
}

void XmlScanner::skipCurrentElement()
{
    int depth = 1;
    while (depth > 0) {
        switch (next()) {
        case Token::StartElement:
            ++depth;
            break;
        case Token::EndElement:
            --depth;
            break;
        case Token::Text:
            break;
        case Token::EndDocument:
            return;
        }
    }
}

bool XmlScanner::readNextStartElement()
{
    for (;;) {
        switch (next()) {
        case Token::StartElement:
            return true;
        case Token::EndElement:
        case Token::EndDocument:
            return false;
        case Token::Text:
            break;
        }
    }
}

} // namespace formats
