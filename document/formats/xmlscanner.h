// A fast pull reader of the XML the outline formats use: elements, attributes, text, the five predefined
// entities and character references, comments, processing instructions and CDATA, checked for being well
// formed. Entities declared in a document type are refused, never expanded or fetched.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

namespace formats {

// One attribute, its value with references resolved and white space normalised as XML says.
// Names are the document's own bytes, read as Latin-1: the formats read here name everything in ASCII.
struct XmlAttribute
{
    QLatin1StringView name_;
    QString value_;
    QLatin1StringView name() const { return name_; }
    QStringView value() const { return value_; }
};

// The attributes of a start tag.
class XmlAttributes : public std::vector<XmlAttribute>
{
public:
    // The value, or an empty view when the attribute is not there.
    QStringView value(QLatin1StringView name) const;
    bool hasAttribute(QLatin1StringView name) const;
};

// Reads a document token by token. Every fault throws ImportError with "line L, column C: why" and the byte
// offset. Text is UTF-8 unless the declaration or a byte order mark names another encoding.
class XmlScanner
{
public:
    enum class Token { StartElement, EndElement, Text, EndDocument };

    explicit XmlScanner(const QByteArray &bytes);

    Token next();
    Token token() const { return token_; }
    // The element of a start or end tag.
    QLatin1StringView name() const { return name_; }
    // The attributes of a start tag.
    const XmlAttributes &attributes() const { return attributes_; }
    // The characters of a text token (references resolved, line ends as LF).
    const QString &text() const { return text_; }

    // After a start tag: the element's text, child elements' text left out, up to and past its end tag.
    QString readElementText();
    // After a start tag: skips to past its end tag.
    void skipCurrentElement();
    // Reads to the next start tag within the current element: true there, false at the element's end tag.
    bool readNextStartElement();

    // How far reading is, in bytes of the source (in another encoding than UTF-8, in proportion).
    qint64 offset() const;

    // Throws ImportError at the current place.
    [[noreturn]] void fail(const QString &why) const { failAt(tokenStart_, why); }

private:
    [[noreturn]] void failAt(qint64 at, const QString &why) const;
    void skipMarkup();  // <!-- -->, <? ?> and <!DOCTYPE ...> after '<'
    void readStartTag();
    void readEndTag();
    void readText();
    void readCdata();
    qsizetype nameEnd(qsizetype from) const;
    // Appends data[from, to) to out as UTF-8 text, resolving references; normalise makes attribute values'
    // white space spaces.
    void appendResolved(QString &out, qsizetype from, qsizetype to, bool normalise) const;

    QByteArray source_;
    const char *data_ = nullptr;
    qsizetype size_ = 0;
    qsizetype sourceSize_ = 0;  // of the bytes given, before any conversion to UTF-8
    qsizetype pos_ = 0;
    qsizetype tokenStart_ = 0;
    Token token_ = Token::EndDocument;
    QLatin1StringView name_;
    QString text_;
    XmlAttributes attributes_;
    std::vector<QLatin1StringView> open_;  // the open elements
    bool rootSeen_ = false;
    bool pendingEnd_ = false;    // an empty-element tag reports its end next
};

} // namespace formats
