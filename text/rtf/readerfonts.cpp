// The reader's fonts, colours and code pages: the font and colour tables, the document's code page,
// the decoding of text bytes in the code page of their font, and the character format of a run.
#include "text/encoding.h"
#include "text/richtext.h"
#include "text/rtf/readerkeywords.h"
#include "text/rtf/readerstate.h"

namespace rtf::detail {

bool isSymbolFontName(const QString &name)
{
    for (const char *symbolic : {"symbol", "wingdings", "webdings", "dingbats"}) {
        if (name.contains(QLatin1String(symbolic), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

bool Reader::documentWord(int kw, int p)
{
    switch (kw) {
    case KwAnsicpg:
        ansiCpg_ = (p > 0 && encoding::isKnownCodePage(p)) ? p : 1252;
        break;
    case KwAnsi:
        return true;
    case KwMac:
        ansiCpg_ = 10000;
        break;
    case KwPc:
        ansiCpg_ = 437;
        break;
    case KwPca:
        ansiCpg_ = 850;
        break;
    case KwDeff:
        deff_ = p;
        formatCache_.clear();
        break;
    default:
        return false;
    }
    cachedFont_ = -2;
    return true;
}

void Reader::fontTableWord(int kw, int p)
{
    switch (kw) {
    case KwF:
        curFontTableEntry_ = p;
        if (fonts_.size() < 100000) {
            fonts_[p] = FontInfo();
        }
        cachedFont_ = -2;
        formatCache_.clear();
        return;
    case KwFcharset:
        if (curFontTableEntry_ >= 0) {
            fonts_[curFontTableEntry_].charset = p;
            cachedFont_ = -2;
        }
        return;
    case KwCpg:
        if (curFontTableEntry_ >= 0) {
            fonts_[curFontTableEntry_].cpg = p;
            cachedFont_ = -2;
        }
        return;
    default:
        return;
    }
}

void Reader::fontTableText(QByteArrayView bytes)
{
    if (curFontTableEntry_ < 0) {
        return;
    }
    FontInfo &f = fonts_[curFontTableEntry_];
    for (char c : bytes) {
        if (c == ';') {
            const int cp = f.cpg > 0 ? f.cpg : (f.charset >= 0 ? charsetCodePage(f.charset) : 0);
            f.name = (cp > 0 ? encoding::decodeCodePage(f.nameBytes, cp) : encoding::fromCp1252(f.nameBytes))
                         .trimmed();
            cachedFont_ = -2;
            formatCache_.clear();
        } else if (f.nameBytes.size() < 256) {
            f.nameBytes += c;
        }
    }
}

void Reader::colorTableWord(int kw, int p)
{
    switch (kw) {
    case KwRed:
        red_ = p;
        return;
    case KwGreen:
        green_ = p;
        return;
    case KwBlue:
        blue_ = p;
        return;
    default:
        return;
    }
}

void Reader::colorTableText(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (c == ';') {
            if (red_ < 0 && green_ < 0 && blue_ < 0) {
                colors_.emplace_back(); // "auto"
            } else if (colors_.size() < 10000) {
                colors_.emplace_back(std::max(0, std::min(255, red_)), std::max(0, std::min(255, green_)),
                                     std::max(0, std::min(255, blue_)));
            }
            red_ = green_ = blue_ = -1;
            formatCache_.clear(); // formats made before a late colour table
        }
    }
}

const FontInfo *Reader::fontAt(int font)
{
    if (font < 0) {
        font = deff_;
    }
    const auto it = fonts_.find(font);
    return it == fonts_.end() ? nullptr : &it->second;
}

int Reader::codePageOf(int font)
{
    if (font == cachedFont_) {
        return cachedCp_;
    }
    int cp = 0;
    if (const FontInfo *f = fontAt(font)) {
        if (f->cpg > 0) {
            cp = f->cpg;
        } else if (f->charset >= 0) {
            cp = charsetCodePage(f->charset);
        }
    }
    if (cp == 0) {
        cp = ansiCpg_;
    }
    cachedFont_ = font;
    cachedCp_ = cp;
    return cp;
}

void Reader::decodePending()
{
    if (pendBytes_.isEmpty()) {
        return;
    }
    if (pendCp_ == SymbolCodePage) {
        // Symbol fonts: the byte is the glyph index, shown in the private use area at U+F000 + byte.
        for (char b : std::as_const(pendBytes_)) {
            const auto u = static_cast<unsigned char>(b);
            runText_ += u < 0x20 ? QChar(u) : QChar(char16_t(0xF000 + u));
        }
    } else {
        runText_ += encoding::decodeCodePage(QByteArrayView(pendBytes_), pendCp_);
    }
    pendBytes_.clear();
}

QTextCharFormat Reader::charFormat(const CharProps &c)
{
    const auto it = formatCache_.find(c);
    if (it != formatCache_.end()) {
        return it->second;
    }
    QTextCharFormat f;
    if (const FontInfo *font = fontAt(c.font)) {
        if (!font->name.isEmpty()) {
            f.setFontFamilies({font->name});
            // Older readers of the format ask for the single family.
            QT_WARNING_PUSH
            QT_WARNING_DISABLE_DEPRECATED
            f.setFontFamily(font->name);
            QT_WARNING_POP
        }
    }
    f.setFontPointSize(c.fs / 2.0);
    if (c.bold) {
        f.setFontWeight(QFont::Bold);
    }
    if (c.italic) {
        f.setFontItalic(true);
    }
    if (c.underline) {
        f.setFontUnderline(true);
        if (c.underline > 1) {
            f.setProperty(richtext::UnderlineKindProperty, int(c.underline));
        }
    }
    if (c.strike) {
        f.setFontStrikeOut(true);
    }
    if (c.fg >= 0 && c.fg < int(colors_.size()) && colors_[size_t(c.fg)].isValid()) {
        f.setForeground(colors_[size_t(c.fg)]);
    }
    if (c.bg >= 0 && c.bg < int(colors_.size()) && colors_[size_t(c.bg)].isValid()) {
        f.setBackground(colors_[size_t(c.bg)]);
    }
    if (c.href >= 0 && c.href < int(hrefs_.size())) {
        f.setAnchor(true);
        f.setAnchorHref(hrefs_[size_t(c.href)]);
    }
    if (c.vertical == 1) {
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    } else if (c.vertical == 2) {
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    }
    formatCache_.emplace(c, f);
    return f;
}

} // namespace rtf::detail
