// Splits RTF bytes into groups, control words, control symbols, hex bytes and text runs.
#include "text/rtf/tokenizer.h"

#include <limits>

namespace rtf {

namespace {

inline bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

Token Tokenizer::next()
{
    while (pos_ < size_) {
        const char c = data_[pos_];
        switch (c) {
        case '\r':
        case '\n':
            ++pos_;
            continue;
        case '{': {
            ++pos_;
            Token t;
            t.kind = Token::GroupOpen;
            return t;
        }
        case '}': {
            ++pos_;
            Token t;
            t.kind = Token::GroupClose;
            return t;
        }
        case '\\':
            return readControl();
        default: {
            const qsizetype start = pos_;
            ++pos_;
            while (pos_ < size_) {
                const char d = data_[pos_];
                if (d == '\\' || d == '{' || d == '}' || d == '\r' || d == '\n') {
                    break;
                }
                ++pos_;
            }
            Token t;
            t.kind = Token::Text;
            t.text = QByteArrayView(data_ + start, pos_ - start);
            return t;
        }
        }
    }
    return Token();
}

Token Tokenizer::readControl()
{
    ++pos_; // the backslash
    Token t;
    if (pos_ >= size_) {
        return t; // a lone backslash at the very end
    }
    const char c = data_[pos_];
    if (isLetter(c)) {
        const qsizetype start = pos_;
        while (pos_ < size_ && isLetter(data_[pos_])) {
            ++pos_;
        }
        t.kind = Token::Word;
        t.word = QByteArrayView(data_ + start, std::min<qsizetype>(pos_ - start, MaxWordLength));
        bool negative = false;
        if (pos_ + 1 < size_ && data_[pos_] == '-' && isDigit(data_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        if (pos_ < size_ && isDigit(data_[pos_])) {
            qint64 value = 0;
            int digits = 0;
            while (pos_ < size_ && isDigit(data_[pos_])) {
                // Past the limit the value saturates; the remaining digits are consumed.
                if (digits < MaxParamDigits) {
                    value = value * 10 + (data_[pos_] - '0');
                } else {
                    value = qint64(std::numeric_limits<int>::max()) + 1;
                }
                ++digits;
                ++pos_;
            }
            if (negative) {
                value = -value;
            }
            value = std::max<qint64>(std::numeric_limits<int>::min(),
                                     std::min<qint64>(std::numeric_limits<int>::max(), value));
            t.hasParam = true;
            t.param = int(value);
        }
        if (pos_ < size_ && data_[pos_] == ' ') {
            ++pos_; // the delimiting space belongs to the control word
        }
        return t;
    }
    if (c == '\'') {
        ++pos_;
        int value = 0;
        int digits = 0;
        while (digits < 2 && pos_ < size_) {
            const int h = hexValue(data_[pos_]);
            if (h < 0) {
                break;
            }
            value = value * 16 + h;
            ++digits;
            ++pos_;
        }
        if (digits == 0) {
            t.kind = Token::Symbol;
            t.symbol = '\'';
            return t;
        }
        t.kind = Token::HexByte;
        t.byte = static_cast<unsigned char>(value);
        return t;
    }
    ++pos_;
    if (c == '\r' || c == '\n') {
        t.kind = Token::Word;
        t.word = QByteArrayView("par");
        return t;
    }
    t.kind = Token::Symbol;
    t.symbol = c;
    return t;
}

QByteArrayView Tokenizer::takeBinary(qint64 count)
{
    if (count <= 0) {
        return QByteArrayView();
    }
    const qsizetype n = qsizetype(std::min<qint64>(count, remaining()));
    QByteArrayView out(data_ + pos_, n);
    pos_ += n;
    return out;
}

} // namespace rtf
