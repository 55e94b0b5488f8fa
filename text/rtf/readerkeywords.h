// The control words the RTF reader acts on, looked up once per word, and the tables of RTF that the
// text-only pass shares with the reader.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>
#include <vector>

namespace rtf {

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
    KwListid, KwLevelnfc, KwLevelstartat, KwLeveltext, KwLs, KwIlvl, KwPnlvlblt, KwPnlvlbody, KwPnlvlcont, KwPnlvl,
    KwPndec, KwPnlcltr,
    KwPnucltr, KwPnlcrm, KwPnucrm,
    // character
    KwPlain, KwFs, KwB, KwI, KwUl, KwUldb, KwUlw, KwUlnone, KwStrike, KwCf, KwCb, KwHighlight, KwV, KwSuper, KwSub,
    KwNosupersub, KwUc, KwU,
    // paragraph
    KwPard, KwQl, KwQr, KwQc, KwQj, KwLi, KwRi, KwFi, KwSb, KwSa, KwIntbl, KwItap, KwPagebb,
    // sections
    KwSectd, KwSbkpage, KwSbknone, KwPage,
    // breaks and special characters
    KwPar, KwSect, KwLine, KwTab, KwCell, KwRow, KwNestcell, KwNestrow, KwTrowd, KwCellx, KwClmgf, KwClmrg, KwClvmgf,
    KwClvmrg, KwLquote, KwRquote,
    KwLdblquote, KwRdblquote, KwBullet, KwEndash, KwEmdash, KwEnspace, KwEmspace, KwQmspace, KwZwj, KwZwnj,
    KwBin, KwChftn, KwFootnote, KwFtnalt, KwNoteNumbering, KwFtnstart, KwAftnstart,
    // pictures
    KwPngblip, KwJpegblip, KwOtherblip, KwWmetafile, KwEmfblip, KwDibitmap, KwPicw, KwPich, KwPicwgoal, KwPichgoal, KwPicscalex, KwPicscaley,
};

// The word's entry in the table, or KwUnknown.
int keywordOf(QByteArrayView word);

// Words that may follow \* and are read rather than skipped.
bool isReadDestination(int kw);

// Destinations whose text is never shown: document information, headers, notes, style and
// revision tables, shapes' private data and the like.
const std::vector<const char *> &skippedDestinations();

// Code page marker for fonts of the symbol character set: bytes map to U+F000 + byte.
constexpr int SymbolCodePage = -2;

// The code page of a font's character set, SymbolCodePage, or 0 for the document's own.
int charsetCodePage(int charset);

// How a document numbers its footnotes or endnotes (\ftnnar, \aftnnrlc and the like).
enum class NoteNumbering : unsigned char { Arabic, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman, Symbols };

// The mark of note number n (from 1) in the given numbering.
QString noteLabel(int n, NoteNumbering numbering);

// The document words that set a numbering of notes: \ftnnar, \aftnnrlc and the like.
const std::vector<std::string> &noteNumberingWords();

// The numbering a document word sets, for footnotes (false) or endnotes (true); false if it sets none.
bool noteNumberingOf(QByteArrayView word, bool *endnotes, NoteNumbering *numbering);

} // namespace rtf
