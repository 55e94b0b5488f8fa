// The bytes of RTF output: numbers, control words and text escaped to 7-bit clean RTF.
#include "text/rtf/writerstate.h"

#include <QString>

#include <cmath>
#include <cstring>

namespace rtf::detail {

namespace {

// Windows-1252 bytes 0x80-0x9F and the characters they stand for (0 where the byte is undefined).
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The Windows-1252 byte of a character, or 0 when it has none.
unsigned char cp1252Byte(char16_t c)
{
    if (c >= 0xA0 && c <= 0xFF) {
        return static_cast<unsigned char>(c);
    }
    if (c >= 0x152 && c <= 0x2122) {
        for (int i = 0; i < 32; ++i) {
            if (Cp1252High[i] == c) {
                return static_cast<unsigned char>(0x80 + i);
            }
        }
    }
    return 0;
}

// Writes a number at p and returns the end; p needs room for 11 characters.
char *putInt(char *p, int value)
{
    char buf[12];
    int n = 0;
    unsigned v = value < 0 ? 0u - unsigned(value) : unsigned(value);
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (value < 0) {
        *p++ = '-';
    }
    while (n > 0) {
        *p++ = buf[--n];
    }
    return p;
}

} // namespace

const char HexDigits[] = "0123456789abcdef";

void appendInt(QByteArray &out, qint64 value)
{
    char buf[24];
    int n = 0;
    const bool negative = value < 0;
    quint64 v = negative ? quint64(-(value + 1)) + 1 : quint64(value);
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative) {
        out.append('-');
    }
    while (n > 0) {
        out.append(buf[--n]);
    }
}

void appendControl(QByteArray &out, const char *word, qint64 value)
{
    out.append(word);
    appendInt(out, value);
}

// Measures from a document may be anything; RTF numbers are kept within what readers take.
int roundToInt(double value)
{
    if (!(value == value)) {
        return 0; // NaN
    }
    return int(std::lround(qBound(-1e8, value, 1e8)));
}


// Text escaped for RTF: \ { } escaped, tab and line break as control words, Windows-1252 as \'hh,
// everything else as \uN? (UTF-16 units, signed 16-bit, so a surrogate pair becomes two \u).
// Written straight into room made ahead: at most 9 bytes a character ("\u-32768?").
void appendText(QByteArray &out, const QChar *chars, qsizetype length)
{
    const qsizetype start = out.size();
    out.resize(start + length * 9);
    char *const begin = out.data();
    char *p = begin + start;
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = chars[i].unicode();
        if (c >= 0x20 && c < 0x80) {
            if (c == '\\' || c == '{' || c == '}') {
                *p++ = '\\';
            }
            *p++ = char(c);
        } else if (c == '\t') {
            std::memcpy(p, "\\tab ", 5);
            p += 5;
        } else if (c == QChar::LineSeparator) {
            std::memcpy(p, "\\line ", 6);
            p += 6;
        } else if (const unsigned char b = cp1252Byte(c)) {
            *p++ = '\\';
            *p++ = '\'';
            *p++ = HexDigits[b >> 4];
            *p++ = HexDigits[b & 15];
        } else {
            *p++ = '\\';
            *p++ = 'u';
            p = putInt(p, qint16(c));
            *p++ = '?';
        }
    }
    out.resize(p - begin);
}

void appendText(QByteArray &out, const QString &text)
{
    appendText(out, text.constData(), text.size());
}

// The RTF font family of a face name, so that a reader without the face picks a similar one.
const char *fontFamilyWord(const QString &name)
{
    const QString n = name.toLower();
    if (n.contains(QLatin1String("symbol")) || n.contains(QLatin1String("wingdings"))) {
        return "\\ftech";
    }
    if (n.contains(QLatin1String("mono")) || n.contains(QLatin1String("courier")) ||
        n.contains(QLatin1String("consol")) || n.contains(QLatin1String("fixed"))) {
        return "\\fmodern";
    }
    if (n.contains(QLatin1String("sans")) || n.contains(QLatin1String("arial")) ||
        n.contains(QLatin1String("helvetica")) || n.contains(QLatin1String("verdana")) ||
        n.contains(QLatin1String("tahoma")) || n.contains(QLatin1String("calibri")) ||
        n.contains(QLatin1String("segoe"))) {
        return "\\fswiss";
    }
    if (n.contains(QLatin1String("serif")) || n.contains(QLatin1String("times")) ||
        n.contains(QLatin1String("georgia")) || n.contains(QLatin1String("roman")) ||
        n.contains(QLatin1String("cambria"))) {
        return "\\froman";
    }
    return "\\fnil";
}

} // namespace rtf::detail
