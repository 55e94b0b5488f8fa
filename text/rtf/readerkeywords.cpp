// The table of control words: destinations the reader skips, and the words it reads.
#include "text/rtf/readerkeywords.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

namespace rtf {

namespace {

const std::unordered_map<std::string_view, int> &keywords()
{
    static const std::unordered_map<std::string_view, int> table = [] {
        std::unordered_map<std::string_view, int> m;
        for (const char *w : skippedDestinations()) {
            m.emplace(w, KwSkipDest);
        }
        const std::pair<const char *, int> words[] = {
            {"fonttbl", KwFonttbl}, {"colortbl", KwColortbl}, {"listtable", KwListtable},
            {"listoverridetable", KwListoverridetable}, {"list", KwList}, {"listlevel", KwListlevel},
            {"listoverride", KwListoverride}, {"field", KwField}, {"fldinst", KwFldinst}, {"fldrslt", KwFldrslt},
            {"pict", KwPict}, {"pn", KwPn}, {"upr", KwUpr}, {"ud", KwUd}, {"shppict", KwShppict},
            {"nonshppict", KwNonshppict}, {"shprslt", KwTransparentDest}, {"object", KwTransparentDest},
            {"result", KwTransparentDest}, {"ansicpg", KwAnsicpg}, {"ansi", KwAnsi}, {"mac", KwMac}, {"pc", KwPc},
            {"pca", KwPca}, {"deff", KwDeff}, {"f", KwF}, {"fcharset", KwFcharset}, {"cpg", KwCpg}, {"red", KwRed},
            {"green", KwGreen}, {"blue", KwBlue}, {"listid", KwListid}, {"levelnfc", KwLevelnfc},
            {"levelnfcn", KwLevelnfc}, {"leveltext", KwLeveltext}, {"ls", KwLs}, {"ilvl", KwIlvl},
            {"levelstartat", KwLevelstartat},
            {"pnlvlblt", KwPnlvlblt}, {"pnlvlbody", KwPnlvlbody}, {"pnlvlcont", KwPnlvlcont}, {"pnlvl", KwPnlvl},
            {"pndec", KwPndec}, {"pnlcltr", KwPnlcltr}, {"pnucltr", KwPnucltr}, {"pnlcrm", KwPnlcrm},
            {"pnucrm", KwPnucrm}, {"plain", KwPlain}, {"fs", KwFs}, {"b", KwB}, {"i", KwI}, {"ul", KwUl},
            {"uldb", KwUldb}, {"ulw", KwUlw}, {"ulnone", KwUlnone}, {"strike", KwStrike}, {"striked", KwStrike},
            {"cf", KwCf}, {"cb", KwCb},
            {"chcbpat", KwCb}, {"highlight", KwHighlight}, {"v", KwV}, {"super", KwSuper}, {"sub", KwSub},
            {"nosupersub", KwNosupersub}, {"uc", KwUc}, {"u", KwU}, {"pard", KwPard}, {"ql", KwQl}, {"qr", KwQr},
            {"qc", KwQc}, {"qj", KwQj}, {"qd", KwQj}, {"li", KwLi}, {"lin", KwLi}, {"ri", KwRi}, {"rin", KwRi},
            {"fi", KwFi}, {"sb", KwSb}, {"sa", KwSa}, {"intbl", KwIntbl}, {"itap", KwItap}, {"par", KwPar},
            {"sect", KwSect}, {"page", KwPage}, {"pagebb", KwPagebb}, {"sectd", KwSectd}, {"sbkpage", KwSbkpage},
            {"sbkeven", KwSbkpage}, {"sbkodd", KwSbkpage}, {"sbknone", KwSbknone}, {"sbkcol", KwSbknone},
            {"column", KwSect}, {"line", KwLine}, {"tab", KwTab}, {"cell", KwCell}, {"row", KwRow},
            {"nestcell", KwNestcell}, {"nestrow", KwNestrow}, {"trowd", KwTrowd}, {"cellx", KwCellx},
            {"clmgf", KwClmgf}, {"clmrg", KwClmrg}, {"clvmgf", KwClvmgf}, {"clvmrg", KwClvmrg}, {"lquote", KwLquote},
            {"rquote", KwRquote}, {"ldblquote", KwLdblquote}, {"rdblquote", KwRdblquote}, {"bullet", KwBullet},
            {"endash", KwEndash}, {"emdash", KwEmdash}, {"enspace", KwEnspace}, {"emspace", KwEmspace},
            {"qmspace", KwQmspace}, {"chftn", KwChftn}, {"footnote", KwFootnote}, {"ftnalt", KwFtnalt}, {"zwj", KwZwj},
            {"zwnj", KwZwnj}, {"bin", KwBin}, {"pngblip", KwPngblip}, {"jpegblip", KwJpegblip},
            {"emfblip", KwEmfblip}, {"wmetafile", KwWmetafile}, {"dibitmap", KwDibitmap}, {"wbitmap", KwOtherblip},
            {"picw", KwPicw}, {"pich", KwPich}, {"picwgoal", KwPicwgoal}, {"pichgoal", KwPichgoal},
            {"picscalex", KwPicscalex}, {"picscaley", KwPicscaley},
        };
        for (const auto &[w, id] : words) {
            m[w] = id;
        }
        for (const std::string &w : noteNumberingWords()) {
            m[w] = KwNoteNumbering;
        }
        m["ftnstart"] = KwFtnstart;
        m["aftnstart"] = KwAftnstart;
        for (const char *w : {"uld", "uldash", "uldashd", "uldashdd", "ulhwave", "ulldash", "ulth",
                              "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulwave"}) {
            m[w] = KwUl;
        }
        return m;
    }();
    return table;
}

} // namespace

const std::vector<const char *> &skippedDestinations()
{
    static const std::vector<const char *> words = {
        "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
        "footerf", "annotation", "atnid", "atnauthor", "atndate", "atnref", "atnparent",
        "atnicn", "atntime", "comment", "xe", "tc", "txe", "bkmkstart", "bkmkend", "themedata",
        "colorschememapping", "datastore", "latentstyles", "rsidtbl", "generator", "xmlnstbl", "pgdsctbl",
        "revtbl", "filetbl", "listpicture", "mmathPr", "pntext", "listtext", "objdata", "objclass",
        "objname", "template", "docvar", "userprops", "ftnsep", "ftnsepc", "aftnsep", "aftnsepc",
        "pnseclvl", "nonesttables", "nesttableprops", "blipuid", "picprop", "shpinst", "fontemb",
        "fontfile", "falt", "panose", "levelnumbers", "listname", "pntxta", "pntxtb",
        "formfield", "datafield", "fldtype", "protusertbl", "wgrffmtfilter", "pgptbl", "defchp", "defpap",
        "lfolevel", "sp", "sn", "sv", "oldcprops", "oldpprops", "oldsprops", "oldtprops", "ffdeftext",
        "ffformat", "ffhelptext", "ffstattext", "ffentrymcr", "ffexitmcr", "ffname", "fchars", "lchars",
        "keycode", "macpict", "pmmetafile", "password", "passwordhash", "xmlopen", "xmlclose",
        "xmlattrname", "xmlattrvalue", "mmath", "moMath", "moMathPara", "author", "operator", "title",
        "subject", "keywords", "doccomm", "company", "category", "hlinkbase", "htmltag", "mhtmltag",
        "factoidname", "background", "pgp", "shpgrp", "shptxt", "do", "revtim", "creatim", "printim",
        "buptim", "private", "jpegthumb", "cfgpathnodes",
    };
    return words;
}

int charsetCodePage(int charset)
{
    static const std::pair<int, int> table[] = {
        {0, 1252}, {2, SymbolCodePage}, {77, 10000}, {78, 10001}, {79, 10003}, {80, 10008}, {81, 10002},
        {83, 10005}, {84, 10004}, {85, 10006}, {86, 10081}, {87, 10021}, {88, 10029}, {89, 10007}, {128, 932},
        {129, 949}, {130, 1361}, {134, 936}, {136, 950}, {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255},
        {178, 1256}, {186, 1257}, {204, 1251}, {222, 874}, {238, 1250}, {254, 437}, {255, 850},
    };
    for (const auto &[set, cp] : table) {
        if (set == charset) {
            return cp;
        }
    }
    return 0;
}

QString noteLabel(int n, NoteNumbering numbering)
{
    // Letters and symbols repeat as the count grows (aa, bb...; **, ...): a mark is cut to a length
    // no real document reaches, so that a few bytes of input never make a long text.
    constexpr int MaxRepeats = 8;
    n = std::max(1, std::min(n, 99999));
    switch (numbering) {
    case NoteNumbering::LowerAlpha:
    case NoteNumbering::UpperAlpha: {
        // a..z, then aa..zz and so on, as word processors count
        const QChar letter = QChar(char16_t((numbering == NoteNumbering::LowerAlpha ? u'a' : u'A') + (n - 1) % 26));
        return QString(std::min((n - 1) / 26 + 1, MaxRepeats), letter);
    }
    case NoteNumbering::LowerRoman:
    case NoteNumbering::UpperRoman: {
        if (n > 3999) {
            break; // past what roman numerals write
        }
        static const std::pair<int, const char *> numerals[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"},
        };
        QString out;
        for (const auto &[value, numeral] : numerals) {
            for (; n >= value; n -= value) {
                out += QLatin1String(numeral);
            }
        }
        return numbering == NoteNumbering::UpperRoman ? out.toUpper() : out;
    }
    case NoteNumbering::Symbols: {
        static const char16_t symbols[] = {u'*', 0x2020, 0x2021, 0x00A7};
        return QString(std::min((n - 1) / 4 + 1, MaxRepeats), QChar(symbols[(n - 1) % 4]));
    }
    case NoteNumbering::Arabic:
        break;
    }
    return QString::number(n);
}

namespace {

const std::pair<const char *, NoteNumbering> NoteNumberingForms[] = {
    {"nar", NoteNumbering::Arabic},      {"nalc", NoteNumbering::LowerAlpha}, {"nauc", NoteNumbering::UpperAlpha},
    {"nrlc", NoteNumbering::LowerRoman}, {"nruc", NoteNumbering::UpperRoman}, {"nchi", NoteNumbering::Symbols},
};

} // namespace

const std::vector<std::string> &noteNumberingWords()
{
    static const std::vector<std::string> words = [] {
        std::vector<std::string> out;
        for (const char *notes : {"ftn", "aftn"}) {
            for (const auto &[form, numbering] : NoteNumberingForms) {
                out.push_back(std::string(notes) + form);
            }
        }
        return out;
    }();
    return words;
}

bool noteNumberingOf(QByteArrayView word, bool *endnotes, NoteNumbering *numbering)
{
    const bool end = word.startsWith("aftn");
    if (!end && !word.startsWith("ftn")) {
        return false;
    }
    const QByteArrayView form = word.sliced(end ? 4 : 3);
    for (const auto &[name, value] : NoteNumberingForms) {
        if (form == name) {
            *endnotes = end;
            *numbering = value;
            return true;
        }
    }
    return false;
}

int keywordOf(QByteArrayView word)
{
    const auto &m = keywords();
    const auto it = m.find(std::string_view(word.data(), size_t(word.size())));
    return it == m.end() ? KwUnknown : it->second;
}

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
    case KwLeveltext:
    case KwFootnote:
    case KwUpr:
    case KwUd:
    case KwShppict:
        return true;
    default:
        return false;
    }
}

} // namespace rtf
