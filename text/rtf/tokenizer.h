// Splits RTF bytes into groups, control words, control symbols, hex bytes and text runs.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace rtf {

// One lexical element of an RTF stream. Text and word views point into the tokenizer's bytes.
struct Token
{
    enum Kind { End, GroupOpen, GroupClose, Word, Symbol, HexByte, Text };

    Kind kind = End;
    QByteArrayView word;   // Word: the letters of the control word (at most MaxWordLength)
    bool hasParam = false; // Word: a numeric parameter followed the letters
    int param = 0;         // Word: the parameter, clamped to the int range
    char symbol = 0;       // Symbol: the character after the backslash
    unsigned char byte = 0; // HexByte: the value of \'hh
    QByteArrayView text;   // Text: a run of plain bytes without braces, backslashes or line breaks
};

// Reads tokens one by one without copying. Line breaks outside control words are dropped, as RTF
// prescribes; a backslash before CR or LF is a paragraph break and comes back as the word "par".
class Tokenizer
{
public:
    // Control words longer than this are cut; the rest of their letters are consumed.
    static constexpr int MaxWordLength = 32;
    // Parameters with more digits than this saturate; every parameter clamps to the int range.
    static constexpr int MaxParamDigits = 10;

    explicit Tokenizer(QByteArrayView bytes) : data_(bytes.data()), size_(bytes.size()) {}

    Token next();

    // Position of the next unread byte.
    qsizetype position() const { return pos_; }
    qsizetype remaining() const { return size_ - pos_; }

    // Takes up to count raw bytes (the data of \binN); never reads past the end.
    QByteArrayView takeBinary(qint64 count);

private:
    Token readControl();

    const char *data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

} // namespace rtf
