// Single-byte Windows-1252 text of the tree file, code pages of RTF documents, and plain-text decoding.
#include "text/encoding.h"

#include <algorithm>

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <memory>
#include <unordered_map>

namespace encoding {

namespace {

// ICU names to try for a Windows code page, best first.
QList<QByteArray> namesFor(int codePage)
{
    switch (codePage) {
    case 932:
        return {"windows-31j", "Shift_JIS"};
    case 936:
        return {"GBK", "windows-936"};
    case 949:
        return {"windows-949", "EUC-KR"};
    case 950:
        return {"Big5", "windows-950"};
    case 1361:
        return {"ibm-1361", "johab"};
    case 10000:
        return {"macintosh", "x-mac-roman"};
    case 10001:
        return {"x-mac-japanese", "Shift_JIS"};
    case 10002:
        return {"x-mac-chinesetrad", "Big5"};
    case 10003:
        return {"x-mac-korean", "EUC-KR"};
    case 10004:
        return {"x-mac-arabic"};
    case 10005:
        return {"x-mac-hebrew"};
    case 10006:
        return {"x-mac-greek"};
    case 10007:
        return {"x-mac-cyrillic"};
    case 10008:
        return {"x-mac-chinesesimp", "GB2312"};
    case 10029:
        return {"x-mac-centraleurroman"};
    case 10079:
        return {"x-mac-icelandic", "macintosh"};
    case 10081:
        return {"x-mac-turkish"};
    case 20127:
        return {"US-ASCII"};
    case 20866:
        return {"KOI8-R"};
    case 21866:
        return {"KOI8-U"};
    case 20932:
    case 51932:
        return {"EUC-JP"};
    case 50220:
    case 50221:
    case 50222:
        return {"ISO-2022-JP"};
    case 54936:
        return {"GB18030"};
    default:
        break;
    }
    if (codePage >= 28591 && codePage <= 28605) {
        return {"ISO-8859-" + QByteArray::number(codePage - 28590)};
    }
    const QByteArray n = QByteArray::number(codePage);
    return {"windows-" + n, "cp" + n, "IBM" + n, "ibm-" + n};
}

bool isMultiByte(int codePage)
{
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 1361:
    case 10001:
    case 10002:
    case 10003:
    case 10008:
    case 20932:
    case 51932:
    case 50220:
    case 50221:
    case 50222:
    case 54936:
        return true;
    default:
        return false;
    }
}

std::unique_ptr<QStringDecoder> makeDecoder(int codePage)
{
    for (const QByteArray &name : namesFor(codePage)) {
        // Stateless: every call is a whole text, so a lead byte cut off at its end still shows.
        auto decoder = std::make_unique<QStringDecoder>(name.constData(), QStringConverter::Flag::Stateless);
        if (decoder->isValid()) {
            return decoder;
        }
    }
    return nullptr;
}

using ByteTable = std::array<char16_t, 256>;

// A single-byte code page as a table of 256 characters; built once per code page from the decoder.
struct CodePage
{
    bool valid = false;
    bool multiByte = false;
    ByteTable table{};
    std::unique_ptr<QStringDecoder> decoder; // multi-byte pages only
};

const CodePage &codePageFor(int codePage)
{
    thread_local std::unordered_map<int, std::unique_ptr<CodePage>> cache;
    auto it = cache.find(codePage);
    if (it != cache.end()) {
        return *it->second;
    }
    auto page = std::make_unique<CodePage>();
    std::unique_ptr<QStringDecoder> decoder = makeDecoder(codePage);
    if (decoder) {
        if (isMultiByte(codePage)) {
            page->valid = true;
            page->multiByte = true;
            page->decoder = std::move(decoder);
        } else {
            QByteArray all(256, Qt::Uninitialized);
            for (int i = 0; i < 256; ++i) {
                all[i] = char(i);
            }
            const QString decoded = decoder->decode(all);
            // A page that does not map every byte to exactly one character is read by its decoder.
            if (decoded.size() == 256) {
                page->valid = true;
                for (int i = 0; i < 256; ++i) {
                    page->table[size_t(i)] = decoded.at(i).unicode();
                }
            } else {
                page->valid = true;
                page->multiByte = true;
                page->decoder = std::move(decoder);
            }
        }
    }
    const CodePage &result = *page;
    cache.emplace(codePage, std::move(page));
    return result;
}

QString decodeWithTable(const ByteTable &table, QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const auto *src = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        dst[i] = table[src[i]];
    }
    return out;
}

} // namespace

QString fromCp1252(const QByteArray &bytes)
{
    return decodeCodePage(bytes, 1252);
}

QByteArray toCp1252(const QString &text)
{
    // ASCII is the same in Windows-1252; most captions are nothing else, and an encoder is costly to open.
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        return text.toLatin1();
    }
    QStringEncoder encoder("windows-1252");
    QByteArray out = encoder.encode(text);
    // The encoder writes 0x1A for what it cannot hold; '?' is what the user expects to see.
    if (encoder.hasError()) {
        out.replace('\x1a', '?');
    }
    return out;
}

QString decodePlainText(const QByteArray &bytes)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        return QString::fromUtf8(bytes.constData() + 3, n - 3);
    }
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        QStringDecoder decoder(QStringConverter::Utf16LE);
        return decoder.decode(QByteArrayView(bytes).sliced(2));
    }
    if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        QStringDecoder decoder(QStringConverter::Utf16BE);
        return decoder.decode(QByteArrayView(bytes).sliced(2));
    }
    bool ascii = true;
    for (qsizetype i = 0; i < n; ++i) {
        if (b[i] >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        return QString::fromLatin1(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return fromCp1252(bytes);
}

QString decodeCodePage(const QByteArray &bytes, int codePage)
{
    return decodeCodePage(QByteArrayView(bytes), codePage);
}

QString decodeCodePage(QByteArrayView bytes, int codePage)
{
    if (bytes.isEmpty()) {
        return QString();
    }
    if (codePage == 65001) {
        return QString::fromUtf8(bytes);
    }
    if (codePage == 1200 || codePage == 1201) {
        QStringDecoder decoder(codePage == 1200 ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return decoder.decode(bytes);
    }
    const CodePage *page = &codePageFor(codePage);
    if (!page->valid) {
        page = &codePageFor(1252);
    }
    if (!page->multiByte) {
        return decodeWithTable(page->table, bytes);
    }
    // The decoder keeps a lead byte cut off at the end for the next call; a line feed after the
    // text ends any such sequence, so it shows as an unknown character instead of vanishing.
    page->decoder->resetState();
    QByteArray terminated;
    terminated.reserve(bytes.size() + 1);
    terminated.append(bytes.data(), bytes.size());
    terminated.append('\n');
    QString out = page->decoder->decode(terminated);
    page->decoder->resetState();
    if (out.endsWith(QLatin1Char('\n'))) {
        out.chop(1);
    }
    out.replace(QChar(0x1A), QChar(QChar::ReplacementCharacter));
    return out;
}

bool isKnownCodePage(int codePage)
{
    if (codePage == 65001 || codePage == 1200 || codePage == 1201) {
        return true;
    }
    return codePageFor(codePage).valid;
}

} // namespace encoding
