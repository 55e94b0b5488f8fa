// Reads RTF into a QTextDocument: fonts, code pages, character and paragraph formats, lists, tables,
// hyperlinks and pictures. Nesting is kept on an explicit stack, so no input can exhaust the call stack.
#include "text/rtf/rtfreader.h"

#include "text/encoding.h"
#include "text/richtext.h"
#include "text/rtf/tokenizer.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtf {

namespace {

// Groups nested deeper than this share the state of the deepest kept group.
constexpr int MaxDepth = 1000;
// A document holds at most this many table cells; later rows are read as tab-separated text.
constexpr int MaxTableCells = 100000;
constexpr int MaxTableColumns = 64;
// Paragraph measures in twips are clamped to +-22 inches.
constexpr int MaxTwips = 31680;
// Code page marker for fonts of the symbol character set: bytes map to U+F000 + byte.
constexpr int SymbolCodePage = -2;

enum class Dest : unsigned char {
    Text,      // the document body
    Skip,      // ignored, with all nested groups
    FontTable,
    ColorTable,
    ListTable,
    List,
    ListLevel,
    OverrideTable,
    Override,
    Field,     // the \field group itself: bare text there is not shown
    FieldInst, // the field instruction, collected as text
    Pict,
    Pn,        // old-style paragraph numbering properties
    Upr,       // \upr: only its \ud alternative is read
};

enum class PnKind : unsigned char { None, Bullet, Body, Level, Cont };
enum class NumStyle : unsigned char { Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman, Bullet };

struct CharProps
{
    int font = -1; // -1: the document's default font
    int fs = 24;   // half points
    int fg = -1;
    int bg = -1;
    int href = -1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    unsigned char vertical = 0; // 1 superscript, 2 subscript

    bool operator==(const CharProps &o) const
    {
        return font == o.font && fs == o.fs && fg == o.fg && bg == o.bg && href == o.href && bold == o.bold &&
               italic == o.italic && underline == o.underline && strike == o.strike && hidden == o.hidden &&
               vertical == o.vertical;
    }
    bool operator!=(const CharProps &o) const { return !(*this == o); }
};

struct CharPropsHash
{
    size_t operator()(const CharProps &c) const
    {
        size_t h = size_t(c.font) * 1000003u;
        h ^= size_t(c.fs) * 7919u + size_t(c.fg) * 104729u + size_t(c.bg) * 1299709u + size_t(c.href) * 15485863u;
        h ^= size_t(c.bold) | size_t(c.italic) << 1 | size_t(c.underline) << 2 | size_t(c.strike) << 3 |
             size_t(c.hidden) << 4 | size_t(c.vertical) << 5;
        return h;
    }
};

struct ParaProps
{
    int align = 0; // 0 left, 1 right, 2 centre, 3 justify
    int li = 0;
    int ri = 0;
    int fi = 0;
    int sb = 0;
    int sa = 0;
    int itap = 0;
    bool intbl = false;
    int ls = 0;
    int ilvl = 0;
    PnKind pnKind = PnKind::None;
    NumStyle pnStyle = NumStyle::Decimal;
    bool pnStyleSet = false;
    int pnLevel = 0;
};

struct State
{
    Dest dest = Dest::Text;
    Dest outer = Dest::Text; // where a field result or an \ud alternative goes
    bool inUpr = false;
    int uc = 1;
    int field = -1;
    CharProps chr;
    ParaProps para;
};

struct FontInfo
{
    QByteArray nameBytes;
    QString name;
    int charset = -1;
    int cpg = 0;
};

struct ListLevelInfo
{
    int nfc = 0;
};

struct ListDef
{
    int id = 0;
    std::vector<ListLevelInfo> levels;
};

struct FieldInfo
{
    QString inst;
    QString href;
    bool hrefParsed = false;
    qint64 shownBefore = 0; // characters shown before the field began
};

bool isSymbolFontName(const QString &name)
{
    for (const char *symbolic : {"symbol", "wingdings", "webdings", "dingbats"}) {
        if (name.contains(QLatin1String(symbolic), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

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

struct PictInfo
{
    QByteArray data;
    int nibble = -1;
    int kind = 0; // 1 PNG, 2 JPEG, 3 another kind
    int picw = 0;
    int pich = 0;
    int wgoal = 0;
    int hgoal = 0;
    int scalex = 100;
    int scaley = 100;
};

int charsetCodePage(int charset)
{
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return SymbolCodePage;
    case 77:
        return 10000;
    case 78:
        return 10001;
    case 79:
        return 10003;
    case 80:
        return 10008;
    case 81:
        return 10002;
    case 83:
        return 10005;
    case 84:
        return 10004;
    case 85:
        return 10006;
    case 86:
        return 10081;
    case 87:
        return 10021;
    case 88:
        return 10029;
    case 89:
        return 10007;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0; // the document's code page
    }
}

int clampTwips(int v)
{
    return std::max(-MaxTwips, std::min(MaxTwips, v));
}

QTextListFormat::Style listStyleFor(NumStyle s)
{
    switch (s) {
    case NumStyle::Bullet:
        return QTextListFormat::ListDisc;
    case NumStyle::LowerAlpha:
        return QTextListFormat::ListLowerAlpha;
    case NumStyle::UpperAlpha:
        return QTextListFormat::ListUpperAlpha;
    case NumStyle::LowerRoman:
        return QTextListFormat::ListLowerRoman;
    case NumStyle::UpperRoman:
        return QTextListFormat::ListUpperRoman;
    case NumStyle::Decimal:
        break;
    }
    return QTextListFormat::ListDecimal;
}

NumStyle styleForNfc(int nfc)
{
    switch (nfc) {
    case 1:
        return NumStyle::UpperRoman;
    case 2:
        return NumStyle::LowerRoman;
    case 3:
        return NumStyle::UpperAlpha;
    case 4:
        return NumStyle::LowerAlpha;
    case 23:
    case 255:
        return NumStyle::Bullet;
    default:
        return NumStyle::Decimal;
    }
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

// Every control word the reader acts on.
enum Kw : int {
    KwUnknown,
    // destinations that are skipped
    KwSkipDest,
    // destinations and group words that are read
    KwFonttbl, KwColortbl, KwListtable, KwListoverridetable, KwList, KwListlevel, KwListoverride, KwField,
    KwFldinst, KwFldrslt, KwPict, KwPn, KwUpr, KwUd, KwShppict, KwNonshppict, KwTransparentDest,
    // document
    KwAnsicpg, KwAnsi, KwMac, KwPc, KwPca, KwDeff,
    // fonts and colours
    KwF, KwFcharset, KwCpg, KwRed, KwGreen, KwBlue,
    // lists
    KwListid, KwLevelnfc, KwLs, KwIlvl, KwPnlvlblt, KwPnlvlbody, KwPnlvlcont, KwPnlvl, KwPndec, KwPnlcltr,
    KwPnucltr, KwPnlcrm, KwPnucrm,
    // character
    KwPlain, KwFs, KwB, KwI, KwUl, KwUlnone, KwStrike, KwCf, KwCb, KwHighlight, KwV, KwSuper, KwSub,
    KwNosupersub, KwUc, KwU,
    // paragraph
    KwPard, KwQl, KwQr, KwQc, KwQj, KwLi, KwRi, KwFi, KwSb, KwSa, KwIntbl, KwItap,
    // breaks and special characters
    KwPar, KwSect, KwLine, KwTab, KwCell, KwRow, KwNestcell, KwNestrow, KwTrowd, KwCellx, KwLquote, KwRquote,
    KwLdblquote, KwRdblquote, KwBullet, KwEndash, KwEmdash, KwEnspace, KwEmspace, KwQmspace, KwZwj, KwZwnj,
    KwBin, KwChftn,
    // pictures
    KwPngblip, KwJpegblip, KwOtherblip, KwPicw, KwPich, KwPicwgoal, KwPichgoal, KwPicscalex, KwPicscaley,
};

const std::unordered_map<std::string_view, int> &keywords()
{
    static const std::unordered_map<std::string_view, int> table = [] {
        std::unordered_map<std::string_view, int> m;
        for (const char *w :
             {"stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
              "footerf", "footnote", "annotation", "atnid", "atnauthor", "atndate", "atnref", "atnparent",
              "atnicn", "atntime", "comment", "xe", "tc", "txe", "bkmkstart", "bkmkend", "themedata",
              "colorschememapping", "datastore", "latentstyles", "rsidtbl", "generator", "xmlnstbl", "pgdsctbl",
              "revtbl", "filetbl", "listpicture", "mmathPr", "pntext", "listtext", "objdata", "objclass",
              "objname", "template", "docvar", "userprops", "ftnsep", "ftnsepc", "aftnsep", "aftnsepc",
              "pnseclvl", "nonesttables", "nesttableprops", "blipuid", "picprop", "shpinst", "fontemb",
              "fontfile", "falt", "panose", "leveltext", "levelnumbers", "listname", "pntxta", "pntxtb",
              "formfield", "datafield", "fldtype", "protusertbl", "wgrffmtfilter", "pgptbl", "defchp", "defpap",
              "lfolevel", "sp", "sn", "sv", "oldcprops", "oldpprops", "oldsprops", "oldtprops", "ffdeftext",
              "ffformat", "ffhelptext", "ffstattext", "ffentrymcr", "ffexitmcr", "ffname", "fchars", "lchars",
              "keycode", "macpict", "pmmetafile", "password", "passwordhash", "xmlopen", "xmlclose",
              "xmlattrname", "xmlattrvalue", "mmath", "moMath", "moMathPara", "author", "operator", "title",
              "subject", "keywords", "doccomm", "company", "category", "hlinkbase", "htmltag", "mhtmltag",
              "factoidname", "background", "pgp", "shpgrp", "shptxt", "do", "revtim", "creatim", "printim", "buptim", "private",
              "jpegthumb", "cfgpathnodes"}) {
            m.emplace(w, KwSkipDest);
        }
        const std::pair<const char *, int> words[] = {
            {"fonttbl", KwFonttbl}, {"colortbl", KwColortbl}, {"listtable", KwListtable},
            {"listoverridetable", KwListoverridetable}, {"list", KwList}, {"listlevel", KwListlevel},
            {"listoverride", KwListoverride}, {"field", KwField}, {"fldinst", KwFldinst}, {"fldrslt", KwFldrslt},
            {"pict", KwPict}, {"pn", KwPn}, {"upr", KwUpr}, {"ud", KwUd}, {"shppict", KwShppict},
            {"nonshppict", KwNonshppict}, {"shprslt", KwTransparentDest}, {"object", KwTransparentDest},
            {"result", KwTransparentDest}, {"ansicpg", KwAnsicpg}, {"ansi", KwAnsi}, {"mac", KwMac},
            {"pc", KwPc}, {"pca", KwPca}, {"deff", KwDeff}, {"f", KwF}, {"fcharset", KwFcharset},
            {"cpg", KwCpg}, {"red", KwRed}, {"green", KwGreen}, {"blue", KwBlue}, {"listid", KwListid},
            {"levelnfc", KwLevelnfc}, {"levelnfcn", KwLevelnfc}, {"ls", KwLs}, {"ilvl", KwIlvl},
            {"pnlvlblt", KwPnlvlblt}, {"pnlvlbody", KwPnlvlbody}, {"pnlvlcont", KwPnlvlcont}, {"pnlvl", KwPnlvl},
            {"pndec", KwPndec}, {"pnlcltr", KwPnlcltr}, {"pnucltr", KwPnucltr}, {"pnlcrm", KwPnlcrm},
            {"pnucrm", KwPnucrm}, {"plain", KwPlain}, {"fs", KwFs}, {"b", KwB}, {"i", KwI}, {"ul", KwUl},
            {"ulnone", KwUlnone}, {"strike", KwStrike}, {"striked", KwStrike}, {"cf", KwCf}, {"cb", KwCb},
            {"chcbpat", KwCb}, {"highlight", KwHighlight}, {"v", KwV}, {"super", KwSuper}, {"sub", KwSub},
            {"nosupersub", KwNosupersub}, {"uc", KwUc}, {"u", KwU}, {"pard", KwPard}, {"ql", KwQl},
            {"qr", KwQr}, {"qc", KwQc}, {"qj", KwQj}, {"qd", KwQj}, {"li", KwLi}, {"lin", KwLi}, {"ri", KwRi},
            {"rin", KwRi}, {"fi", KwFi}, {"sb", KwSb}, {"sa", KwSa}, {"intbl", KwIntbl}, {"itap", KwItap},
            {"par", KwPar}, {"sect", KwSect}, {"page", KwSect}, {"column", KwSect}, {"line", KwLine},
            {"tab", KwTab}, {"cell", KwCell}, {"row", KwRow}, {"nestcell", KwNestcell}, {"nestrow", KwNestrow},
            {"trowd", KwTrowd}, {"cellx", KwCellx}, {"lquote", KwLquote}, {"rquote", KwRquote},
            {"ldblquote", KwLdblquote}, {"rdblquote", KwRdblquote}, {"bullet", KwBullet},
            {"endash", KwEndash}, {"emdash", KwEmdash}, {"enspace", KwEnspace}, {"emspace", KwEmspace},
            {"qmspace", KwQmspace}, {"chftn", KwChftn}, {"zwj", KwZwj}, {"zwnj", KwZwnj}, {"bin", KwBin}, {"pngblip", KwPngblip},
            {"jpegblip", KwJpegblip}, {"emfblip", KwOtherblip}, {"wmetafile", KwOtherblip},
            {"dibitmap", KwOtherblip}, {"wbitmap", KwOtherblip}, {"picw", KwPicw}, {"pich", KwPich},
            {"picwgoal", KwPicwgoal}, {"pichgoal", KwPichgoal}, {"picscalex", KwPicscalex},
            {"picscaley", KwPicscaley},
        };
        for (const auto &[w, id] : words) {
            m[w] = id;
        }
        for (const char *w : {"uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
                              "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
                              "ulwave"}) {
            m[w] = KwUl;
        }
        return m;
    }();
    return table;
}

int keywordOf(QByteArrayView word)
{
    const auto &m = keywords();
    const auto it = m.find(std::string_view(word.data(), size_t(word.size())));
    return it == m.end() ? KwUnknown : it->second;
}

// Words that may follow \* and are read rather than skipped.
bool isReadDestination(int kw)
{
    switch (kw) {
    case KwFonttbl:
    case KwColortbl:
    case KwListtable:
    case KwListoverridetable:
    case KwList:
    case KwListlevel:
    case KwListoverride:
    case KwField:
    case KwFldinst:
    case KwFldrslt:
    case KwPict:
    case KwPn:
    case KwUpr:
    case KwUd:
    case KwShppict:
        return true;
    default:
        return false;
    }
}

class Reader
{
public:
    Reader(const QByteArray &bytes, QTextDocument &doc) : tok_(bytes), doc_(doc), cursor_(&doc) {}

    void run();

private:
    State &top() { return stack_.back(); }

    void groupOpen();
    void groupClose();
    void word(const Token &t);
    void symbol(char c);
    void text(QByteArrayView bytes);
    void hexByte(unsigned char b);

    // body text
    int codePageOf(int font);
    const FontInfo *fontAt(int font);
    void appendBytes(QByteArrayView bytes);
    void appendChar(char16_t c);
    void startRun();
    void decodePending();
    void flushRun();
    QTextCharFormat charFormat(const CharProps &c);

    // structure
    void prepareContent();
    void startTable();
    void leaveTable();
    void enterCell();
    void endParagraph(bool withBreak);
    void applyBlockFormat(const ParaProps &p);
    void cell();
    void row();
    void insertPicture(const PictInfo &pict);
    void fieldInstText(const QString &s);

    Tokenizer tok_;
    QTextDocument &doc_;
    QTextCursor cursor_;
    std::vector<State> stack_;
    int overflow_ = 0;
    int skip_ = 0; // fallback characters of \uN still to skip
    bool starPending_ = false;

    int ansiCpg_ = 1252;
    int deff_ = -1;
    std::unordered_map<int, FontInfo> fonts_;
    int curFontTableEntry_ = -1;
    int cachedFont_ = -2;
    int cachedCp_ = 1252;
    const FontInfo *cachedFontInfo_ = nullptr;

    std::vector<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;

    std::vector<ListDef> lists_;
    std::unordered_map<int, size_t> listById_;
    std::unordered_map<int, int> overrides_; // \ls -> list id
    int overrideListId_ = 0;
    int overrideLs_ = 0;
    // The document deletes a list that loses its last paragraph, so lists are held by guarded pointers.
    std::unordered_map<qint64, QPointer<QTextList>> newLists_;
    std::unordered_map<int, QPointer<QTextList>> pnLists_; // consecutive old-style numbered paragraphs, by level
    std::unordered_map<int, NumStyle> pnListStyles_;

    std::vector<FieldInfo> fields_;
    std::vector<QString> hrefs_;
    std::vector<PictInfo> picts_;
    int imageCount_ = 0;
    int footnotes_ = 0;
    qint64 shown_ = 0; // characters and bytes of text shown so far

    // the pending run of text
    QByteArray pendBytes_;
    int pendCp_ = 1252;
    QString runText_;
    CharProps runProps_;
    bool runActive_ = false;
    std::unordered_map<CharProps, QTextCharFormat, CharPropsHash> formatCache_;
    QTextCharFormat lastCharFormat_;

    // paragraphs
    bool pendingBreak_ = false;
    CharProps blockCharProps_; // the format the current block's mark was given
    bool hasBlockCharProps_ = false;
    ParaProps finalPara_;
    bool hasFinalPara_ = false;
    bool paraHasContent_ = false;
    QTextBlockFormat appliedBf_;
    QTextBlockFormat nextBf_;

    // tables
    QTextTable *table_ = nullptr;
    int row_ = 0;
    int col_ = 0;
    bool rowDone_ = false;
    bool needCellMove_ = false;
    int cellxCount_ = 0;
    int tableCells_ = 0;
    bool tablesExhausted_ = false;
};

void Reader::run()
{
    stack_.reserve(64);
    stack_.emplace_back();
    cursor_.beginEditBlock();
    appliedBf_ = cursor_.blockFormat();
    nextBf_ = appliedBf_;
    for (;;) {
        const Token t = tok_.next();
        switch (t.kind) {
        case Token::End:
            break;
        case Token::GroupOpen:
            groupOpen();
            continue;
        case Token::GroupClose:
            groupClose();
            continue;
        case Token::Word:
            word(t);
            continue;
        case Token::Symbol:
            symbol(t.symbol);
            continue;
        case Token::HexByte:
            hexByte(t.byte);
            continue;
        case Token::Text:
            text(t.text);
            continue;
        }
        break;
    }
    // A truncated document: close the open groups so pending pictures and fields end properly.
    while (stack_.size() > 1) {
        groupClose();
    }
    flushRun();
    if (paraHasContent_ && !pendingBreak_) {
        applyBlockFormat(hasFinalPara_ ? finalPara_ : top().para);
    }
    if (table_) {
        leaveTable();
    }
    cursor_.endEditBlock();
}

void Reader::groupOpen()
{
    skip_ = 0;
    starPending_ = false;
    if (int(stack_.size()) >= MaxDepth) {
        ++overflow_;
        return;
    }
    State s = stack_.back();
    // Inside these destinations a nested group without a word of its own is still part of them;
    // nested groups of \upr are its alternatives, of which only \ud is read.
    switch (s.dest) {
    case Dest::Upr:
        s.dest = Dest::Skip;
        s.inUpr = true;
        break;
    case Dest::Override:
    case Dest::Pn:
        s.dest = Dest::Skip;
        break;
    default:
        break;
    }
    stack_.push_back(s);
}

void Reader::groupClose()
{
    skip_ = 0;
    starPending_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (stack_.size() <= 1) {
        return; // an extra closing brace
    }
    const State closed = stack_.back();
    stack_.pop_back();
    if (stack_.size() == 1) {
        // The paragraph properties in force when the document's group ends format its last paragraph.
        finalPara_ = closed.para;
        hasFinalPara_ = true;
    }
    State &parent = stack_.back();
    switch (closed.dest) {
    case Dest::Pn:
        // Old-style numbering given in a group belongs to the paragraph around it.
        parent.para.pnKind = closed.para.pnKind;
        parent.para.pnStyle = closed.para.pnStyle;
        parent.para.pnStyleSet = closed.para.pnStyleSet;
        parent.para.pnLevel = closed.para.pnLevel;
        break;
    case Dest::Pict:
        if (parent.dest != Dest::Pict && !picts_.empty()) {
            const PictInfo pict = std::move(picts_.back());
            picts_.pop_back();
            if (closed.outer == Dest::Text && !closed.chr.hidden) {
                insertPicture(pict);
            }
        }
        break;
    case Dest::FontTable:
        if (parent.dest != Dest::FontTable) {
            curFontTableEntry_ = -1;
        }
        break;
    default:
        break;
    }
    if (closed.field >= 0 && parent.field != closed.field && closed.dest == Dest::Field &&
        closed.field == int(fields_.size()) - 1) {
        const FieldInfo &f = fields_.back();
        // A symbol field without a shown result still shows its character.
        if (closed.outer == Dest::Text && parent.dest == Dest::Text && shown_ == f.shownBefore) {
            if (const char16_t c = symbolFieldCharacter(f.inst, ansiCpg_)) {
                appendChar(c);
            }
        }
        fields_.pop_back();
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

void Reader::startRun()
{
    const CharProps &c = top().chr;
    if (runActive_ && c != runProps_) {
        flushRun();
    }
    if (!runActive_) {
        runActive_ = true;
        runProps_ = c;
    }
}

void Reader::appendBytes(QByteArrayView bytes)
{
    if (top().chr.hidden || bytes.isEmpty()) {
        return;
    }
    startRun();
    shown_ += bytes.size();
    const int cp = codePageOf(top().chr.font);
    if (cp != pendCp_) {
        decodePending();
        pendCp_ = cp;
    }
    pendBytes_.append(bytes.data(), bytes.size());
}

void Reader::appendChar(char16_t c)
{
    if (top().chr.hidden) {
        return;
    }
    startRun();
    ++shown_;
    decodePending();
    runText_ += QChar(c);
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

// Characters that would change the document's structure if inserted as text are replaced.
void sanitize(QString &s)
{
    bool clean = true;
    for (QChar ch : std::as_const(s)) {
        const char16_t u = ch.unicode();
        if ((u < 0x20 && u != '\t') || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC ||
            QChar::isSurrogate(u)) {
            clean = false;
            break;
        }
    }
    if (clean) {
        return;
    }
    QString out;
    out.reserve(s.size());
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s.at(i + 1).unicode())) {
            out += s.at(i);
            out += s.at(i + 1);
            ++i;
        } else if (QChar::isSurrogate(u) || u == 0xFFFC || u == 0xFDD0 || u == 0xFDD1) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (u == 0x2029) {
            out += QChar(QChar::LineSeparator);
        } else if (u >= 0x20 || u == '\t') {
            out += s.at(i);
        }
    }
    s = out;
}

void Reader::flushRun()
{
    if (!runActive_) {
        return;
    }
    decodePending();
    runActive_ = false;
    sanitize(runText_);
    if (runText_.isEmpty()) {
        return;
    }
    prepareContent();
    lastCharFormat_ = charFormat(runProps_);
    cursor_.insertText(runText_, lastCharFormat_);
    runText_.clear();
    paraHasContent_ = true;
}

void Reader::prepareContent()
{
    const ParaProps &p = top().para;
    const bool wantTable = (p.intbl || p.itap > 0) && !tablesExhausted_;
    if (table_ && !wantTable) {
        leaveTable();
    } else if (!table_ && wantTable) {
        startTable();
    }
    if (table_) {
        enterCell();
    }
    if (pendingBreak_) {
        blockCharProps_ = top().chr;
        hasBlockCharProps_ = true;
        cursor_.insertBlock(nextBf_, charFormat(blockCharProps_));
        appliedBf_ = nextBf_;
        pendingBreak_ = false;
    } else if (!hasBlockCharProps_ && !paraHasContent_) {
        // The first paragraph of the document or of a cell was not made by a break: its mark (which
        // also draws a list item's number) takes the format its text starts in, as later paragraphs do.
        blockCharProps_ = top().chr;
        hasBlockCharProps_ = true;
        cursor_.setBlockCharFormat(charFormat(blockCharProps_));
    }
}

void Reader::startTable()
{
    const int cols = std::max(1, std::min(MaxTableColumns, cellxCount_));
    if (tableCells_ + cols > MaxTableCells) {
        tablesExhausted_ = true;
        return;
    }
    QTextTableFormat tf;
    tf.setCellPadding(2);
    tf.setBorder(1);
    tf.setCellSpacing(0);
    table_ = cursor_.insertTable(1, cols, tf);
    tableCells_ += cols;
    row_ = 0;
    col_ = 0;
    rowDone_ = false;
    needCellMove_ = false;
    pendingBreak_ = false;
    paraHasContent_ = false;
    appliedBf_ = cursor_.blockFormat();
    hasBlockCharProps_ = false;
}

void Reader::leaveTable()
{
    if (table_->rows() > row_ + 1) {
        table_->removeRows(row_ + 1, table_->rows() - row_ - 1);
    }
    cursor_.setPosition(table_->lastPosition() + 1);
    table_ = nullptr;
    pendingBreak_ = false;
    paraHasContent_ = false;
    appliedBf_ = cursor_.blockFormat();
    hasBlockCharProps_ = false;
}

void Reader::enterCell()
{
    if (!needCellMove_) {
        return;
    }
    needCellMove_ = false;
    pendingBreak_ = false;
    paraHasContent_ = false;
    if (rowDone_) {
        const int cols = table_->columns();
        if (tableCells_ + cols > MaxTableCells) {
            // Too many cells for one document: the rest is read as text after the table.
            tablesExhausted_ = true;
            leaveTable();
            return;
        }
        tableCells_ += cols;
        ++row_;
        col_ = 0;
        rowDone_ = false;
        if (row_ >= table_->rows()) {
            // Each change of a table's shape costs a pass over all its cells, so rows are added in
            // growing batches; the unused ones go when the table ends.
            table_->appendRows(std::min(std::max(1, table_->rows()), 512));
        }
    }
    if (col_ >= table_->columns()) {
        if (table_->columns() < MaxTableColumns && tableCells_ + row_ + 1 <= MaxTableCells) {
            tableCells_ += row_ + 1;
            table_->appendColumns(1);
        } else {
            // Cells past the last column stay in the last one, separated by tabs.
            col_ = table_->columns() - 1;
            cursor_ = table_->cellAt(row_, col_).lastCursorPosition();
            cursor_.insertText(QStringLiteral("\t"));
            appliedBf_ = cursor_.blockFormat();
            return;
        }
    }
    cursor_ = table_->cellAt(row_, col_).firstCursorPosition();
    appliedBf_ = cursor_.blockFormat();
    hasBlockCharProps_ = false;
}

void Reader::applyBlockFormat(const ParaProps &p)
{
    QTextBlockFormat bf;
    switch (p.align) {
    case 1:
        bf.setAlignment(Qt::AlignRight);
        break;
    case 2:
        bf.setAlignment(Qt::AlignHCenter);
        break;
    case 3:
        bf.setAlignment(Qt::AlignJustify);
        break;
    default:
        bf.setAlignment(Qt::AlignLeft);
        break;
    }
    if (p.sb != 0) {
        bf.setTopMargin(p.sb / 15.0);
    }
    if (p.sa != 0) {
        bf.setBottomMargin(p.sa / 15.0);
    }
    if (p.ri != 0) {
        bf.setRightMargin(p.ri / 15.0);
    }

    // Which list, if any, the paragraph belongs to.
    bool isList = false;
    NumStyle style = NumStyle::Decimal;
    int level = 0;
    qint64 newListKey = -1;
    if (p.ls > 0) {
        const auto ov = overrides_.find(p.ls);
        const ListDef *def = nullptr;
        if (ov != overrides_.end()) {
            const auto byId = listById_.find(ov->second);
            if (byId != listById_.end()) {
                def = &lists_[byId->second];
            }
        }
        level = std::max(0, std::min(8, p.ilvl));
        if (def && level < int(def->levels.size())) {
            style = styleForNfc(def->levels[size_t(level)].nfc);
        } else if (p.pnKind == PnKind::Bullet) {
            style = NumStyle::Bullet;
        } else if (p.pnKind != PnKind::None && p.pnStyleSet) {
            style = p.pnStyle;
        } else if (!def) {
            style = NumStyle::Bullet;
        }
        isList = true;
        newListKey = (qint64(p.ls) << 8) | level;
    } else if (p.pnKind == PnKind::Bullet || p.pnKind == PnKind::Body || p.pnKind == PnKind::Level) {
        isList = true;
        style = p.pnKind == PnKind::Bullet ? NumStyle::Bullet : p.pnStyle;
        level = p.pnKind == PnKind::Level ? std::max(0, std::min(8, p.pnLevel - 1)) : 0;
    }

    if (!isList) {
        pnLists_.clear();
        pnListStyles_.clear();
        if (p.li != 0) {
            bf.setLeftMargin(p.li / 15.0);
        }
        if (p.fi != 0) {
            bf.setTextIndent(p.fi / 15.0);
        }
        if (!(bf == appliedBf_)) {
            cursor_.setBlockFormat(bf);
        }
        appliedBf_ = bf;
        nextBf_ = bf;
        return;
    }

    const int indent = level + 1;
    bf.setLeftMargin(std::max(0.0, p.li / 15.0 - 40.0 * indent));
    bf.setTextIndent(0);
    bf.setProperty(richtext::HangingIndentProperty, std::max(0.0, -p.fi / 20.0));
    cursor_.setBlockFormat(bf);
    appliedBf_ = bf;

    QTextList *list = nullptr;
    if (newListKey >= 0) {
        pnLists_.clear();
        pnListStyles_.clear();
        const auto it = newLists_.find(newListKey);
        if (it != newLists_.end()) {
            list = it->second;
        }
    } else {
        const auto it = pnLists_.find(level);
        if (it != pnLists_.end() && pnListStyles_[level] == style) {
            list = it->second;
        }
        // A deeper level ends where the paragraph returns to a shallower one.
        for (auto i = pnLists_.begin(); i != pnLists_.end();) {
            if (i->first > level) {
                pnListStyles_.erase(i->first);
                i = pnLists_.erase(i);
            } else {
                ++i;
            }
        }
    }
    if (list) {
        list->add(cursor_.block());
    } else {
        QTextListFormat lf;
        lf.setStyle(listStyleFor(style));
        lf.setIndent(indent);
        list = cursor_.createList(lf);
        if (newListKey >= 0) {
            newLists_[newListKey] = list;
        } else {
            pnLists_[level] = list;
            pnListStyles_[level] = style;
        }
    }
    // The next paragraph starts outside the list; it joins one when it ends.
    QTextBlockFormat plain = bf;
    plain.clearProperty(QTextFormat::ObjectIndex);
    nextBf_ = plain;
}

void Reader::endParagraph(bool withBreak)
{
    flushRun();
    prepareContent();
    if (!paraHasContent_ && (!hasBlockCharProps_ || blockCharProps_ != top().chr)) {
        // An empty paragraph shows its mark in the format in force where it ends.
        blockCharProps_ = top().chr;
        hasBlockCharProps_ = true;
        cursor_.setBlockCharFormat(charFormat(blockCharProps_));
    }
    applyBlockFormat(top().para);
    paraHasContent_ = false;
    if (withBreak) {
        pendingBreak_ = true;
    }
}

void Reader::cell()
{
    // A cell end outside any table makes its paragraph a table paragraph.
    top().para.intbl = true;
    flushRun();
    if (!tablesExhausted_) {
        // Starts the table or moves to the cell as needed; a \par just before ends one more
        // (empty) paragraph here, so the paragraph it ended keeps its format.
        prepareContent();
    }
    if (!table_) {
        appendChar(u'\t');
        return;
    }
    applyBlockFormat(top().para);
    ++col_;
    needCellMove_ = true;
    paraHasContent_ = false;
}

void Reader::row()
{
    flushRun();
    if (table_ && !tablesExhausted_) {
        if (needCellMove_ == false && paraHasContent_) {
            // Text after the last \cell of a row belongs to one more cell.
            applyBlockFormat(top().para);
        }
        rowDone_ = true;
        needCellMove_ = true;
        col_ = 0;
        paraHasContent_ = false;
        pendingBreak_ = false;
    } else {
        endParagraph(true);
    }
}

void Reader::insertPicture(const PictInfo &pict)
{
    if (pict.kind != 1 && pict.kind != 2) {
        return;
    }
    QImage image;
    if (!image.loadFromData(pict.data, pict.kind == 1 ? "PNG" : "JPEG") || image.isNull()) {
        return;
    }
    flushRun();
    prepareContent();
    const QUrl url(QStringLiteral("rtfimage://%1").arg(++imageCount_));
    doc_.addResource(QTextDocument::ImageResource, url, image);
    QTextImageFormat f;
    f.setName(url.toString());
    double w = pict.wgoal > 0 ? pict.wgoal / 15.0 : image.width();
    double h = pict.hgoal > 0 ? pict.hgoal / 15.0 : image.height();
    w = w * std::max(1, std::min(1000, pict.scalex)) / 100.0;
    h = h * std::max(1, std::min(1000, pict.scaley)) / 100.0;
    f.setWidth(w);
    f.setHeight(h);
    cursor_.insertImage(f);
    paraHasContent_ = true;
}

void Reader::fieldInstText(const QString &s)
{
    const int f = top().field;
    if (f >= 0 && f < int(fields_.size()) && fields_[size_t(f)].inst.size() < 4096) {
        fields_[size_t(f)].inst += s;
    }
}

void Reader::text(QByteArrayView bytes)
{
    starPending_ = false;
    if (skip_ > 0) {
        const qsizetype n = std::min<qsizetype>(skip_, bytes.size());
        bytes = bytes.sliced(n);
        skip_ -= int(n);
        if (bytes.isEmpty()) {
            return;
        }
    }
    State &s = top();
    if (stack_.size() == 1 && bytes.trimmed().isEmpty()) {
        return; // white space around the document's group
    }
    switch (s.dest) {
    case Dest::Text:
        appendBytes(bytes);
        break;
    case Dest::FontTable: {
        if (curFontTableEntry_ < 0) {
            break;
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
        break;
    }
    case Dest::ColorTable:
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
        break;
    case Dest::FieldInst:
        fieldInstText(encoding::decodeCodePage(bytes, codePageOf(s.chr.font)));
        break;
    case Dest::Pict: {
        if (picts_.empty()) {
            break;
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
        break;
    }
    default:
        break;
    }
}

void Reader::hexByte(unsigned char b)
{
    starPending_ = false;
    if (skip_ > 0) {
        --skip_;
        return;
    }
    const char c = char(b);
    switch (top().dest) {
    case Dest::Text:
        appendBytes(QByteArrayView(&c, 1));
        break;
    case Dest::FontTable:
        if (curFontTableEntry_ >= 0) {
            FontInfo &f = fonts_[curFontTableEntry_];
            if (f.nameBytes.size() < 256) {
                f.nameBytes += c;
            }
        }
        break;
    case Dest::FieldInst:
        fieldInstText(encoding::decodeCodePage(QByteArrayView(&c, 1), codePageOf(top().chr.font)));
        break;
    default:
        break;
    }
}

void Reader::symbol(char c)
{
    if (c == '*') {
        starPending_ = true;
        return;
    }
    starPending_ = false;
    if (skip_ > 0) {
        --skip_;
        return;
    }
    State &s = top();
    if (s.dest == Dest::FieldInst) {
        if (c == '\\' || c == '{' || c == '}') {
            fieldInstText(QString(QLatin1Char(c)));
        }
        return;
    }
    if (s.dest == Dest::FontTable && c == ';') {
        return;
    }
    if (s.dest != Dest::Text) {
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        appendBytes(QByteArrayView(&c, 1));
        break;
    case '~':
        appendChar(0x00A0);
        break;
    case '_':
        appendChar(0x2011);
        break;
    case '\t':
        appendChar(u'\t');
        break;
    case '-':
        appendChar(0x00AD); // optional hyphen: shown only where the line breaks
        break;
    default:
        break; // \: index subentry, \| formula: nothing to show
    }
}

void Reader::word(const Token &t)
{
    const int kw = keywordOf(t.word);
    const bool star = starPending_;
    starPending_ = false;
    State &s = top();

    if (kw == KwBin) {
        // Binary data counts as one character of a \u fallback.
        const QByteArrayView data = tok_.takeBinary(t.hasParam ? t.param : 0);
        if (skip_ > 0) {
            --skip_;
            return;
        }
        if (s.dest == Dest::Pict && !picts_.empty()) {
            picts_.back().data.append(data.data(), data.size());
        }
        return;
    }
    if (kw == KwU) {
        int v = t.hasParam ? t.param : 0;
        if (v < 0) {
            v += 65536;
        }
        skip_ = 0;
        if (v > 0 && v <= 0xFFFF) {
            if (s.dest == Dest::Text) {
                appendChar(char16_t(v));
            } else if (s.dest == Dest::FieldInst) {
                fieldInstText(QString(QChar(char16_t(v))));
            }
        }
        skip_ = s.uc;
        return;
    }
    if (skip_ > 0) {
        --skip_;
        return;
    }
    if (star && !isReadDestination(kw)) {
        s.dest = Dest::Skip;
        return;
    }
    if (s.dest == Dest::Skip) {
        // \ud is the alternative of \upr that is read.
        if (kw == KwUd && s.inUpr) {
            s.dest = s.outer;
            s.inUpr = false;
        }
        return;
    }

    const int p = t.param;
    const bool on = !t.hasParam || t.param != 0;

    switch (kw) {
    case KwUnknown:
        return;
    case KwSkipDest:
        s.dest = Dest::Skip;
        return;
    case KwFonttbl:
        s.dest = Dest::FontTable;
        return;
    case KwColortbl:
        s.dest = Dest::ColorTable;
        red_ = green_ = blue_ = -1;
        return;
    case KwListtable:
        s.dest = Dest::ListTable;
        return;
    case KwListoverridetable:
        s.dest = Dest::OverrideTable;
        return;
    case KwList:
        if (s.dest == Dest::ListTable && lists_.size() < 10000) {
            lists_.emplace_back();
            s.dest = Dest::List;
        }
        return;
    case KwListlevel:
        if (s.dest == Dest::List && !lists_.empty()) {
            if (lists_.back().levels.size() < 9) {
                lists_.back().levels.emplace_back();
                s.dest = Dest::ListLevel;
            } else {
                s.dest = Dest::Skip;
            }
        }
        return;
    case KwListoverride:
        if (s.dest == Dest::OverrideTable) {
            s.dest = Dest::Override;
            overrideListId_ = 0;
            overrideLs_ = 0;
        }
        return;
    case KwListid:
        if (s.dest == Dest::List && !lists_.empty()) {
            lists_.back().id = p;
            listById_.emplace(p, lists_.size() - 1); // the first definition of an id counts
        } else if (s.dest == Dest::Override) {
            overrideListId_ = p;
            if (overrideLs_ != 0 && overrides_.size() < 10000) {
                overrides_[overrideLs_] = overrideListId_;
            }
        }
        return;
    case KwLs:
        if (s.dest == Dest::Override) {
            overrideLs_ = p;
            if (overrideListId_ != 0 && overrides_.size() < 10000) {
                overrides_[overrideLs_] = overrideListId_;
            }
        } else {
            s.para.ls = std::max(0, p);
        }
        return;
    case KwLevelnfc:
        if (s.dest == Dest::ListLevel && !lists_.empty() && !lists_.back().levels.empty()) {
            lists_.back().levels.back().nfc = p;
        }
        return;
    case KwIlvl:
        s.para.ilvl = std::max(0, std::min(8, p));
        return;
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
        return;
    case KwFldinst:
        if (s.dest == Dest::Field) {
            s.dest = Dest::FieldInst;
        } else {
            s.dest = Dest::Skip;
        }
        return;
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
        return;
    case KwPict:
        if (s.dest == Dest::Pict) {
            return; // already reading a picture
        }
        picts_.emplace_back();
        s.outer = s.dest;
        s.dest = Dest::Pict;
        return;
    case KwPn:
        s.para.pnKind = PnKind::None;
        s.para.pnStyleSet = false;
        s.dest = Dest::Pn;
        return;
    case KwUpr:
        s.outer = s.dest;
        s.dest = Dest::Upr;
        return;
    case KwUd:
        return; // only meaningful inside \upr, handled above
    case KwShppict:
    case KwTransparentDest:
        return;
    case KwNonshppict:
        s.dest = Dest::Skip;
        return;
    default:
        break;
    }

    // Words that only matter in certain destinations.
    switch (s.dest) {
    case Dest::FontTable:
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
    case Dest::ColorTable:
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
    case Dest::Pict: {
        if (picts_.empty()) {
            return;
        }
        PictInfo &pi = picts_.back();
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
    case Dest::Pn:
        switch (kw) {
        case KwPnlvlblt:
            s.para.pnKind = PnKind::Bullet;
            return;
        case KwPnlvlbody:
            s.para.pnKind = PnKind::Body;
            return;
        case KwPnlvlcont:
            s.para.pnKind = PnKind::Cont;
            return;
        case KwPnlvl:
            s.para.pnKind = PnKind::Level;
            s.para.pnLevel = std::max(1, std::min(9, p));
            return;
        case KwPndec:
            s.para.pnStyle = NumStyle::Decimal;
            s.para.pnStyleSet = true;
            return;
        case KwPnlcltr:
            s.para.pnStyle = NumStyle::LowerAlpha;
            s.para.pnStyleSet = true;
            return;
        case KwPnucltr:
            s.para.pnStyle = NumStyle::UpperAlpha;
            s.para.pnStyleSet = true;
            return;
        case KwPnlcrm:
            s.para.pnStyle = NumStyle::LowerRoman;
            s.para.pnStyleSet = true;
            return;
        case KwPnucrm:
            s.para.pnStyle = NumStyle::UpperRoman;
            s.para.pnStyleSet = true;
            return;
        default:
            return;
        }
    default:
        break;
    }

    // Document, character and paragraph words, valid in any destination that keeps formatting.
    CharProps &c = s.chr;
    ParaProps &para = s.para;
    switch (kw) {
    case KwAnsicpg:
        ansiCpg_ = (p > 0 && encoding::isKnownCodePage(p)) ? p : 1252;
        cachedFont_ = -2;
        return;
    case KwAnsi:
        return;
    case KwMac:
        ansiCpg_ = 10000;
        cachedFont_ = -2;
        return;
    case KwPc:
        ansiCpg_ = 437;
        cachedFont_ = -2;
        return;
    case KwPca:
        ansiCpg_ = 850;
        cachedFont_ = -2;
        return;
    case KwDeff:
        deff_ = p;
        cachedFont_ = -2;
        formatCache_.clear();
        return;
    case KwF:
        c.font = t.hasParam ? p : -1;
        return;
    case KwUc:
        s.uc = std::max(0, std::min(16, p));
        return;
    case KwPlain: {
        const int href = c.href;
        c = CharProps();
        c.href = href;
        return;
    }
    case KwFs:
        c.fs = (t.hasParam && p > 0) ? std::min(p, 3276) : 24;
        return;
    case KwB:
        c.bold = on;
        return;
    case KwI:
        c.italic = on;
        return;
    case KwUl:
        c.underline = on;
        return;
    case KwUlnone:
        c.underline = false;
        return;
    case KwStrike:
        c.strike = on;
        return;
    case KwCf:
        c.fg = t.hasParam ? p : -1;
        return;
    case KwCb:
    case KwHighlight:
        c.bg = t.hasParam ? p : -1;
        return;
    case KwV:
        c.hidden = on;
        return;
    case KwSuper:
        c.vertical = on ? 1 : 0;
        return;
    case KwSub:
        c.vertical = on ? 2 : 0;
        return;
    case KwNosupersub:
        c.vertical = 0;
        return;
    case KwPard:
        para = ParaProps();
        return;
    case KwQl:
        para.align = 0;
        return;
    case KwQr:
        para.align = 1;
        return;
    case KwQc:
        para.align = 2;
        return;
    case KwQj:
        para.align = 3;
        return;
    case KwLi:
        para.li = clampTwips(p);
        return;
    case KwRi:
        para.ri = clampTwips(p);
        return;
    case KwFi:
        para.fi = clampTwips(p);
        return;
    case KwSb:
        para.sb = clampTwips(p);
        return;
    case KwSa:
        para.sa = clampTwips(p);
        return;
    case KwIntbl:
        para.intbl = on;
        return;
    case KwItap:
        para.itap = std::max(0, std::min(64, p));
        return;
    case KwTrowd:
        cellxCount_ = 0;
        return;
    case KwCellx:
        ++cellxCount_;
        return;
    case KwPnlvlblt:
    case KwPnlvlbody:
    case KwPnlvlcont:
    case KwPnlvl:
    case KwPndec:
    case KwPnlcltr:
    case KwPnucltr:
    case KwPnlcrm:
    case KwPnucrm:
        return; // only inside \pn
    default:
        break;
    }

    if (s.dest != Dest::Text) {
        return;
    }
    switch (kw) {
    case KwPar:
    case KwSect:
        endParagraph(true);
        return;
    case KwLine:
        appendChar(QChar::LineSeparator);
        return;
    case KwTab:
        appendChar(u'\t');
        return;
    case KwCell:
        cell();
        return;
    case KwRow:
        row();
        return;
    case KwNestcell:
        appendChar(u'\t');
        return;
    case KwNestrow:
        endParagraph(true);
        return;
    case KwLquote:
        appendChar(0x2018);
        return;
    case KwRquote:
        appendChar(0x2019);
        return;
    case KwLdblquote:
        appendChar(0x201C);
        return;
    case KwRdblquote:
        appendChar(0x201D);
        return;
    case KwBullet:
        appendChar(0x2022);
        return;
    case KwEndash:
        appendChar(0x2013);
        return;
    case KwEmdash:
        appendChar(0x2014);
        return;
    case KwEnspace:
        appendChar(0x2002);
        return;
    case KwEmspace:
        appendChar(0x2003);
        return;
    case KwQmspace:
        appendChar(0x2005);
        return;
    case KwZwj:
        appendChar(0x200D);
        return;
    case KwZwnj:
        appendChar(0x200C);
        return;
    case KwChftn:
        // The automatic number of a footnote's reference mark; the note itself is not shown.
        if (!top().chr.hidden) {
            const QString number = QString::number(++footnotes_);
            for (QChar ch : number) {
                appendChar(ch.unicode());
            }
        }
        return;
    default:
        return;
    }
}

} // namespace

void read(const QByteArray &bytes, QTextDocument &document)
{
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    {
        Reader reader(bytes, document);
        reader.run();
    }
    document.setUndoRedoEnabled(undo);
}

} // namespace rtf
