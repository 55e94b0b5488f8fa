// The reader's fields and pictures: hyperlinks from HYPERLINK fields, the character of a SYMBOL
// field, and pictures shown as images of the document.
#include "text/encoding.h"
#include "text/richtext.h"
#include "text/rtf/pictures.h"
#include "text/rtf/readerkeywords.h"
#include "text/rtf/readerstate.h"

#include <QImage>
#include <QTextDocument>
#include <QUrl>

namespace rtf::detail {

// The character a SYMBOL field stands for ("SYMBOL 183 \f "Symbol" \s 10"), or 0 if none.
// Symbol fonts map their codes to U+F000 + code, as for text in those fonts.
char16_t symbolFieldCharacter(const QString &inst, int codePage)
{
    const QStringList parts = inst.simplified().split(QLatin1Char(' '));
    if (parts.size() < 2 || parts.at(0).compare(QLatin1String("SYMBOL"), Qt::CaseInsensitive) != 0) {
        return 0;
    }
    bool ok = false;
    const QString num = parts.at(1);
    const int code = num.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? num.mid(2).toInt(&ok, 16)
                                                                               : num.toInt(&ok, 10);
    if (!ok || code <= 0 || code > 0xFFFF) {
        return 0;
    }
    bool unicode = false;
    QString font;
    for (int i = 2; i < parts.size(); ++i) {
        const QString sw = parts.at(i).toLower();
        if (sw == QLatin1String("\\u")) {
            unicode = true;
        } else if (sw == QLatin1String("\\f") && i + 1 < parts.size()) {
            // The font name may be quoted and hold spaces.
            QString name = parts.at(++i);
            while (name.startsWith(QLatin1Char('"')) && !(name.size() > 1 && name.endsWith(QLatin1Char('"'))) &&
                   i + 1 < parts.size()) {
                name += QLatin1Char(' ') + parts.at(++i);
            }
            font = name.remove(QLatin1Char('"'));
        }
    }
    if (unicode) {
        return QChar::isSurrogate(char16_t(code)) ? 0 : char16_t(code);
    }
    if (code < 256 && isSymbolFontName(font)) {
        return char16_t(0xF000 + code);
    }
    QByteArray bytes;
    if (code > 255) {
        bytes += char(code >> 8);
    }
    bytes += char(code & 0xFF);
    const QString decoded = encoding::decodeCodePage(bytes, codePage);
    return decoded.size() == 1 && decoded.at(0).unicode() >= 0x20 ? decoded.at(0).unicode() : 0;
}

// The target of a HYPERLINK field instruction: its first argument, or "#name" for a \l bookmark.
QString hyperlinkTarget(const QString &inst)
{
    const QString s = inst.trimmed();
    if (!s.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive)) {
        return QString();
    }
    QString url;
    QString bookmark;
    int i = 9;
    const int n = int(s.size());
    bool nextIsBookmark = false;
    bool skipNext = false;
    while (i < n) {
        while (i < n && s.at(i).isSpace()) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        QString arg;
        bool isSwitch = false;
        if (s.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n && s.at(i) != QLatin1Char('"')) {
                // Inside quotes "\\" stands for one backslash and \" for a quote.
                if (s.at(i) == QLatin1Char('\\') && i + 1 < n &&
                    (s.at(i + 1) == QLatin1Char('\\') || s.at(i + 1) == QLatin1Char('"'))) {
                    ++i;
                }
                arg += s.at(i);
                ++i;
            }
            ++i;
        } else {
            isSwitch = s.at(i) == QLatin1Char('\\');
            while (i < n && !s.at(i).isSpace()) {
                arg += s.at(i);
                ++i;
            }
        }
        if (isSwitch) {
            const QString sw = arg.mid(1).toLower();
            nextIsBookmark = sw == QLatin1String("l");
            skipNext = sw == QLatin1String("o") || sw == QLatin1String("t");
            continue;
        }
        if (nextIsBookmark) {
            bookmark = arg;
            nextIsBookmark = false;
        } else if (skipNext) {
            skipNext = false;
        } else if (url.isEmpty()) {
            url = arg;
        }
    }
    if (!bookmark.isEmpty()) {
        url += QLatin1Char('#') + bookmark;
    }
    return url;
}

bool Reader::fieldWord(int kw)
{
    State &s = top();
    switch (kw) {
    case KwField:
        if (fields_.size() < 1000) {
            fields_.emplace_back();
            fields_.back().shownBefore = shown_;
            s.field = int(fields_.size()) - 1;
            s.outer = s.dest;
            s.dest = Dest::Field;
        } else {
            s.dest = Dest::Skip;
        }
        return true;
    case KwFldinst:
        if (s.dest == Dest::Field) {
            s.dest = Dest::FieldInst;
        } else {
            s.dest = Dest::Skip;
        }
        return true;
    case KwFldrslt:
        if (s.dest == Dest::Field && s.field >= 0) {
            FieldInfo &f = fields_[size_t(s.field)];
            s.dest = s.outer;
            if (!f.hrefParsed) {
                f.hrefParsed = true;
                f.href = hyperlinkTarget(f.inst);
            }
            if (!f.href.isEmpty() && s.dest == Dest::Text && hrefs_.size() < 100000) {
                hrefs_.push_back(f.href);
                s.chr.href = int(hrefs_.size()) - 1;
            }
        } else if (s.dest != Dest::Text) {
            s.dest = Dest::Skip;
        }
        return true;
    case KwPict:
        if (s.dest == Dest::Pict) {
            return true; // already reading a picture
        }
        picts_.emplace_back();
        s.outer = s.dest;
        s.dest = Dest::Pict;
        return true;
    default:
        return false;
    }
}

void Reader::closeField(const State &closed, const State &parent)
{
    if (closed.field < 0 || parent.field == closed.field || closed.dest != Dest::Field ||
        closed.field != int(fields_.size()) - 1) {
        return;
    }
    const FieldInfo &f = fields_.back();
    // A symbol field without a shown result still shows its character.
    if (closed.outer == Dest::Text && parent.dest == Dest::Text && shown_ == f.shownBefore) {
        if (const char16_t c = symbolFieldCharacter(f.inst, ansiCpg_)) {
            appendChar(c);
        }
    }
    fields_.pop_back();
}

void Reader::fieldInstText(const QString &s)
{
    const int f = top().field;
    if (f >= 0 && f < int(fields_.size()) && fields_[size_t(f)].inst.size() < 4096) {
        fields_[size_t(f)].inst += s;
    }
}

void Reader::pictWord(int kw, int p)
{
    if (picts_.empty()) {
        return;
    }
    PictInfo &pi = picts_.back();
    // The words of the picture's kind and size are kept as written, for the writer to write back.
    static const std::pair<int, const char *> kept[] = {
        {KwPngblip, "\\pngblip"},   {KwJpegblip, "\\jpegblip"},   {KwOtherblip, "\\wbitmap"},
        {KwWmetafile, "\\wmetafile"}, {KwEmfblip, "\\emfblip"},     {KwDibitmap, "\\dibitmap"},
        {KwPicw, "\\picw"},         {KwPich, "\\pich"},           {KwPicwgoal, "\\picwgoal"},
        {KwPichgoal, "\\pichgoal"}, {KwPicscalex, "\\picscalex"}, {KwPicscaley, "\\picscaley"}};
    for (const auto &[word, name] : kept) {
        if (word == kw && pi.words.size() < 512) {
            pi.words.append(name);
            if (kw != KwPngblip && kw != KwJpegblip && kw != KwEmfblip) {
                pi.words.append(QByteArray::number(p));
            }
        }
    }
    switch (kw) {
    case KwPngblip:
        pi.kind = 1;
        return;
    case KwJpegblip:
        pi.kind = 2;
        return;
    case KwOtherblip:
        pi.kind = 3;
        return;
    case KwWmetafile:
        pi.kind = 4;
        return;
    case KwEmfblip:
        pi.kind = 5;
        return;
    case KwDibitmap:
        pi.kind = 6;
        return;
    case KwPicw:
        pi.picw = p;
        return;
    case KwPich:
        pi.pich = p;
        return;
    case KwPicwgoal:
        pi.wgoal = std::max(0, std::min(MaxTwips * 4, p));
        return;
    case KwPichgoal:
        pi.hgoal = std::max(0, std::min(MaxTwips * 4, p));
        return;
    case KwPicscalex:
        pi.scalex = p;
        return;
    case KwPicscaley:
        pi.scaley = p;
        return;
    default:
        return;
    }
}

// The picture's data, in hexadecimal digits; anything else between them is ignored.
void Reader::pictText(QByteArrayView bytes)
{
    if (picts_.empty()) {
        return;
    }
    PictInfo &p = picts_.back();
    for (char c : bytes) {
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else {
            continue;
        }
        if (p.nibble < 0) {
            p.nibble = v;
        } else {
            p.data += char(p.nibble * 16 + v);
            p.nibble = -1;
        }
    }
}

void Reader::closePict(const State &closed, const State &parent)
{
    if (parent.dest == Dest::Pict || picts_.empty()) {
        return;
    }
    PictInfo pict = std::move(picts_.back());
    picts_.pop_back();
    if (closed.outer == Dest::Text && !closed.chr.hidden) {
        pict.data.squeeze(); // the document keeps the data for as long as the picture stands
        insertPicture(pict);
    }
}

// Every picture keeps its data and the words of its kind and size for the writer. PNG, JPEG and DIB
// pictures show as images; the others as a frame of their size that names their kind.
void Reader::insertPicture(const PictInfo &pict)
{
    if (pict.kind == 0 || pict.data.isEmpty()) {
        return;
    }
    QImage image;
    if (pict.kind == 1 || pict.kind == 2) {
        image.loadFromData(pict.data, pict.kind == 1 ? "PNG" : "JPEG");
    } else if (pict.kind == 6) {
        image = imageOfDib(pict.data);
    }
    // The picture's own size: metafiles measure in hundredths of a millimetre, bitmaps in pixels.
    const bool metafile = pict.kind == 4 || pict.kind == 5;
    QSizeF natural = image.isNull() ? QSizeF(std::max(0, std::min(MaxTwips, pict.picw)),
                                             std::max(0, std::min(MaxTwips, pict.pich)))
                                    : QSizeF(image.size());
    if (image.isNull() && metafile) {
        natural *= 96.0 / 2540.0;
    }
    if (image.isNull()) {
        static const char *const names[] = {"", "PNG", "JPEG", "Bitmap", "WMF", "EMF", "DIB"};
        const double w = pict.wgoal > 0 ? pict.wgoal / 15.0 : natural.width() > 0 ? natural.width() : 96.0;
        const double h = pict.hgoal > 0 ? pict.hgoal / 15.0 : natural.height() > 0 ? natural.height() : 96.0;
        // Pictures of one kind and size share their stand-in; past a few sizes, each kind has one for all.
        const QSize size(std::min(int(w), 65535), std::min(int(h), 65535));
        qint64 key = qint64(pict.kind) << 40 | qint64(size.width()) << 20 | size.height();
        if (placeholders_.size() >= MaxPlaceholders) {
            key = qint64(pict.kind) << 40;
        }
        const auto known = std::find_if(placeholders_.begin(), placeholders_.end(),
                                        [key](const std::pair<qint64, QImage> &p) { return p.first == key; });
        if (known != placeholders_.end()) {
            image = known->second;
        } else {
            image = placeholderImage(key & 0xFFFFFFFFFF ? size : QSize(160, 120),
                                     QStringLiteral("%1 picture").arg(QLatin1String(names[pict.kind])));
            placeholders_.emplace_back(key, image);
        }
        natural = QSizeF(w, h);
    }
    flushRun();
    prepareContent();
    const QUrl url(QStringLiteral("rtfimage://%1").arg(++imageCount_));
    doc_.addResource(QTextDocument::ImageResource, url, image);
    QTextImageFormat f;
    f.setName(url.toString());
    f.setProperty(richtext::PictureDataProperty, pict.data);
    f.setProperty(richtext::PictureWordsProperty, pict.words);
    double w = pict.wgoal > 0 ? pict.wgoal / 15.0 : natural.width();
    double h = pict.hgoal > 0 ? pict.hgoal / 15.0 : natural.height();
    w = w * std::max(1, std::min(1000, pict.scalex)) / 100.0;
    h = h * std::max(1, std::min(1000, pict.scaley)) / 100.0;
    f.setWidth(w);
    f.setHeight(h);
    cursor_.insertImage(f);
    paraHasContent_ = true;
}

} // namespace rtf::detail
