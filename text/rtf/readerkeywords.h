// The control words the RTF reader acts on, looked up once per word.
#pragma once

#include <QByteArrayView>

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

// The word's entry in the table, or KwUnknown.
int keywordOf(QByteArrayView word);

// Words that may follow \* and are read rather than skipped.
bool isReadDestination(int kw);

} // namespace rtf
