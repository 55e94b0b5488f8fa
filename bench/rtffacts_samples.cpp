// Documents with known facts for the formatting-facts benchmark: HTML and flat ODF for LibreOffice to
// turn into RTF, and RTF written by hand in the manner of other producers.
#include "rtffacts.h"

#include <vector>

namespace facts {

// ---- Documents written here and turned into RTF by LibreOffice ----

QByteArray html(const char *body)
{
    return QByteArray("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>facts</title></head><body>\n") + body +
           "\n</body></html>\n";
}

void addLibreOfficeSamples(std::vector<Sample> &samples)
{
    {
        Sample s{QStringLiteral("lo_runs"), Source::Html, html(R"(
<p>Plain start <b>boldrun</b> then <i>italrun</i> then <u>underrun</u> then <s>strikerun</s> then <b><i>bothrun</i></b> end.</p>
<p>Fonts <span style="font-family:'Courier New'">courierrun</span> and <span style="font-family:'Liberation Sans'">sansrun</span> and <span style="font-size:16pt">bigrun</span> and <span style="font-size:8pt">smallrun</span> here.</p>
<p>Colours <span style="color:#c00000">redrun</span> and <span style="color:#0070c0">bluerun</span> and <span style="color:#00b050"><b>greenbold</b></span> done.</p>
<p>Links <a href="https://example.org/alpha">alphalink</a> and <a href="mailto:someone@example.org">maillink</a> and after.</p>
<p style="text-align:center">Centred paragraph</p>
<p style="text-align:right">Right paragraph</p>
<p style="text-align:justify">Justified paragraph with enough words to make a line of its own here.</p>
<p>Left paragraph</p>)")};
        auto &f = s.facts;
        plain(f, QStringLiteral("Plain start"));
        f.push_back({Kind::Bold, "boldrun", "1"});
        plain(f, QStringLiteral("then"));
        f.push_back({Kind::Italic, "italrun", "1"});
        f.push_back({Kind::Bold, "italrun", "0"});
        f.push_back({Kind::Underline, "underrun", "1"});
        f.push_back({Kind::Strike, "strikerun", "1"});
        f.push_back({Kind::Bold, "bothrun", "1"});
        f.push_back({Kind::Italic, "bothrun", "1"});
        plain(f, QStringLiteral("end."));
        f.push_back({Kind::Family, "courierrun", "Courier New"});
        f.push_back({Kind::Family, "sansrun", "Liberation Sans"});
        f.push_back({Kind::Size, "bigrun", "16"});
        f.push_back({Kind::Size, "smallrun", "8"});
        f.push_back({Kind::Colour, "redrun", "#c00000"});
        f.push_back({Kind::Colour, "bluerun", "#0070c0"});
        f.push_back({Kind::Colour, "greenbold", "#00b050"});
        f.push_back({Kind::Bold, "greenbold", "1"});
        f.push_back({Kind::Colour, "Colours", "#000000"});
        f.push_back({Kind::Link, "alphalink", "https://example.org/alpha"});
        f.push_back({Kind::Link, "maillink", "mailto:someone@example.org"});
        f.push_back({Kind::Link, "and after", ""});
        f.push_back({Kind::Align, "Centred paragraph", "center"});
        f.push_back({Kind::Align, "Right paragraph", "right"});
        f.push_back({Kind::Align, "Justified paragraph", "justify"});
        f.push_back({Kind::Align, "Left paragraph", "left"});
        f.push_back({Kind::Text, "Justified paragraph with enough words", ""});
        samples.push_back(s);
    }
    {
        Sample s{QStringLiteral("lo_headings_lists"), Source::Html, html(R"(
<h1>Heading first</h1>
<p>Body under the first heading.</p>
<h2>Heading second</h2>
<ul><li>disc one</li><li>disc two<ul style="list-style-type:circle"><li>circle inner</li></ul></li><li>disc three</li></ul>
<p>Between lists.</p>
<ul style="list-style-type:square"><li>square item</li></ul>
<ol><li>decimal one</li><li>decimal two</li></ol>
<ol type="a"><li>lower letter one</li></ol>
<ol type="A"><li>upper letter one</li></ol>
<ol type="i"><li>lower roman one</li></ol>
<ol type="I"><li>upper roman one</li></ol>
<h3>Heading third</h3>
<p>After all lists.</p>)")};
        auto &f = s.facts;
        for (const char *t : {"Heading first", "Heading second", "Heading third", "Body under the first heading.",
                              "Between lists.", "After all lists."}) {
            f.push_back({Kind::List, t, "none"});
            f.push_back({Kind::Text, t, ""});
        }
        const std::vector<std::tuple<const char *, const char *, const char *>> items = {
            {"disc one", "bullet", "disc"},
            {"disc two", "bullet", "disc"},
            {"circle inner", "bullet", "circle"},
            {"disc three", "bullet", "disc"},
            {"square item", "bullet", "square"},
            {"decimal one", "number", "decimal"},
            {"decimal two", "number", "decimal"},
            {"lower letter one", "number", "lower-alpha"},
            {"upper letter one", "number", "upper-alpha"},
            {"lower roman one", "number", "lower-roman"},
            {"upper roman one", "number", "upper-roman"}};
        for (const auto &[text, kind, style] : items) {
            f.push_back({Kind::List, text, kind});
            f.push_back({Kind::ListStyle, text, style});
        }
        f.push_back({Kind::ListLevel, "disc two", "1"});
        f.push_back({Kind::ListLevel, "circle inner", "2"});
        f.push_back({Kind::ListLevel, "disc three", "1"});
        samples.push_back(s);
    }
    {
        Sample s{QStringLiteral("lo_tables"), Source::Html, html(R"(
<p>Before the table.</p>
<table border="1">
<tr><td colspan="2">across two</td><td>top right</td></tr>
<tr><td rowspan="2">down two</td><td>middle centre</td><td><b>bold cell</b></td></tr>
<tr><td>bottom centre</td><td>bottom right</td></tr>
<tr><td colspan="2" rowspan="2">square block</td><td>r4c3</td></tr>
<tr><td>r5c3</td></tr>
</table>
<p>Between tables.</p>
<table border="1"><tr><td>single one</td><td style="text-align:center">single two</td></tr></table>
<p>After the tables.</p>)")};
        auto &f = s.facts;
        f.push_back({Kind::Cell, "Before the table.", "none"});
        f.push_back({Kind::Cell, "across two", "1x2"});
        f.push_back({Kind::Cell, "top right", "1x1"});
        f.push_back({Kind::Cell, "down two", "2x1"});
        f.push_back({Kind::Cell, "middle centre", "1x1"});
        f.push_back({Kind::Cell, "bold cell", "1x1"});
        f.push_back({Kind::Bold, "bold cell", "1"});
        f.push_back({Kind::Cell, "bottom centre", "1x1"});
        f.push_back({Kind::Cell, "bottom right", "1x1"});
        f.push_back({Kind::Cell, "square block", "2x2"});
        f.push_back({Kind::Cell, "r4c3", "1x1"});
        f.push_back({Kind::Cell, "r5c3", "1x1"});
        f.push_back({Kind::Cell, "Between tables.", "none"});
        f.push_back({Kind::Cell, "single one", "1x1"});
        f.push_back({Kind::Cell, "single two", "1x1"});
        f.push_back({Kind::Align, "single two", "center"});
        f.push_back({Kind::Cell, "After the tables.", "none"});
        samples.push_back(s);
    }
    {
        Sample s{QStringLiteral("lo_pages"), Source::Html, html(R"(
<p>First page text.</p>
<p>Still the first page.</p>
<p style="page-break-before:always">Second page text.</p>
<p>Second page goes on.</p>
<h1 style="page-break-before:always">Third page heading</h1>
<p>Third page body.</p>
<ul><li style="page-break-before:always">Fourth page item</li></ul>
<p>Fourth page end.</p>)")};
        auto &f = s.facts;
        f.push_back({Kind::PageBreak, "First page text.", "0"});
        f.push_back({Kind::PageBreak, "Still the first page.", "0"});
        f.push_back({Kind::PageBreak, "Second page text.", "1"});
        f.push_back({Kind::PageBreak, "Second page goes on.", "0"});
        f.push_back({Kind::PageBreak, "Third page heading", "1"});
        f.push_back({Kind::PageBreak, "Third page body.", "0"});
        f.push_back({Kind::PageBreak, "Fourth page item", "1"});
        f.push_back({Kind::List, "Fourth page item", "bullet"});
        f.push_back({Kind::PageBreak, "Fourth page end.", "0"});
        samples.push_back(s);
    }
    {
        Sample s{QStringLiteral("lo_notes"), Source::Fodt, QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles>
<style:style style:name="B" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
<style:style style:name="I" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>
</office:automatic-styles>
<office:body><office:text>
<text:p>Body with a noteanchor<text:note text:id="ftn1" text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p>First footnote text</text:p></text:note-body></text:note> and <text:span text:style-name="B">boldword</text:span> then secondanchor<text:note text:id="ftn2" text:note-class="footnote"><text:note-citation>2</text:note-citation><text:note-body><text:p>Second footnote <text:span text:style-name="I">italicnote</text:span> text</text:p></text:note-body></text:note> here.</text:p>
<text:p>Closing line with endanchor<text:note text:id="edn1" text:note-class="endnote"><text:note-citation>i</text:note-citation><text:note-body><text:p>The endnote text</text:p></text:note-body></text:note> body end.</text:p>
</office:text></office:body></office:document>
)")};
        auto &f = s.facts;
        f.push_back({Kind::NoteMark, "noteanchor", "1"});
        f.push_back({Kind::NoteMark, "secondanchor", "2"});
        f.push_back({Kind::NoteMark, "endanchor", "i"});
        f.push_back({Kind::NoteText, "First footnote text", "body end."});
        f.push_back({Kind::NoteText, "The endnote text", "body end."});
        f.push_back({Kind::NoteText, "italicnote", "body end."});
        f.push_back({Kind::Italic, "italicnote", "1"});
        f.push_back({Kind::Bold, "boldword", "1"});
        plain(f, QStringLiteral("here."));
        samples.push_back(s);
    }
}


// ---- RTF written by hand in the manner of other producers ----

void addHandSamples(std::vector<Sample> &samples)
{
    {
        // A word processor for Windows: style sheet, list table, \trowd rows with vertical and
        // horizontal merges, a hyperlink field, a footnote, a page break and a section break.
        Sample s{QStringLiteral("word_style"), Source::Rtf, QByteArray(R"RTF({\rtf1\ansi\ansicpg1252\deff0\deflang1033
{\fonttbl{\f0\froman\fcharset0\fprq2 Times New Roman;}{\f1\fswiss\fcharset0\fprq2 Arial;}{\f2\fmodern\fcharset0\fprq1 Courier New;}{\f3\fnil\fcharset2 Symbol;}}
{\colortbl;\red0\green0\blue0;\red192\green0\blue0;\red0\green0\blue255;}
{\stylesheet{\ql \f0\fs24 \snext0 Normal;}{\s1\ql\keepn\b\f1\fs32 \sbasedon0 \snext0 heading 1;}{\*\cs10 \additive Default Paragraph Font;}}
{\*\listtable{\list\listtemplateid100\listsimple{\listlevel\levelnfc23\levelnfcn23\leveljc0\levelstartat1\levelfollow0{\leveltext\'01\u-3913 ?;}{\levelnumbers;}\f3\fi-360\li720}\listid1}
{\list\listtemplateid200{\listlevel\levelnfc0\levelnfcn0\leveljc0\levelstartat1\levelfollow0{\leveltext\'02\'00.;}{\levelnumbers\'01;}\fi-360\li720}{\listlevel\levelnfc4\levelnfcn4\leveljc0\levelstartat1\levelfollow0{\leveltext\'02\'01);}{\levelnumbers\'01;}\fi-360\li1440}\listid2}}
{\*\listoverridetable{\listoverride\listid1\listoverridecount0\ls1}{\listoverride\listid2\listoverridecount0\ls2}}
\paperw12240\paperh15840\margl1440\margr1440\margt1440\margb1440
\pard\plain\s1\ql\keepn\b\f1\fs32 Word heading\par
\pard\plain\ql\f0\fs24 Normal text with {\b wbold} and {\i witalic} and {\ul wunder} and {\strike wstrike} and {\f2 wcourier} and {\fs36 wlarge} and {\cf2 wred}.\par
\pard\qc\f0\fs24 Word centred\par
\pard\qj Word justified\par
\pard\ql See {\field{\*\fldinst{HYPERLINK "http://example.com/word"}}{\fldrslt{\cf3\ul wordlink}}} for more.\par
\pard\ls1\fi-360\li720{\listtext\f3\'b7\tab}Word bullet one\par
\pard\ls1\fi-360\li720{\listtext\f3\'b7\tab}Word bullet two\par
\pard\ls2\ilvl0\fi-360\li720{\listtext 1.\tab}Word number one\par
\pard\ls2\ilvl1\fi-360\li1440{\listtext a)\tab}Word letter inner\par
\pard\ls2\ilvl0\fi-360\li720{\listtext 2.\tab}Word number two\par
\pard\plain\f0\fs24 Footnote anchorw{\super\chftn}{\footnote\pard\plain\f0\fs20{\super\chftn} Word footnote body}. Body continues.\par
\pard\plain\f0\fs24\par
\trowd\trgaph108\trleft-108\clvmgf\cellx2000\clmgf\cellx4000\clmrg\cellx6000
\pard\intbl wdown\cell wacross\cell\cell\row
\trowd\trgaph108\trleft-108\clvmrg\cellx2000\cellx4000\cellx6000
\pard\intbl\cell wmid\cell {\b wright}\cell\row
\pard Word after table\par
\page Word after page\par
\sect\sectd\sbkpage\pard Word new section\par
\pard\pagebb Word page before\par
\pard Word last line\par
})RTF")};
        auto &f = s.facts;
        f.push_back({Kind::List, "Word heading", "none"});
        f.push_back({Kind::Bold, "Word heading", "1"});
        f.push_back({Kind::Family, "Word heading", "Arial"});
        f.push_back({Kind::Size, "Word heading", "16"});
        plain(f, QStringLiteral("Normal text with"));
        f.push_back({Kind::Family, "Normal text with", "Times New Roman"});
        f.push_back({Kind::Size, "Normal text with", "12"});
        f.push_back({Kind::Bold, "wbold", "1"});
        f.push_back({Kind::Italic, "witalic", "1"});
        f.push_back({Kind::Underline, "wunder", "1"});
        f.push_back({Kind::Strike, "wstrike", "1"});
        f.push_back({Kind::Family, "wcourier", "Courier New"});
        f.push_back({Kind::Size, "wlarge", "18"});
        f.push_back({Kind::Colour, "wred", "#c00000"});
        f.push_back({Kind::Align, "Word centred", "center"});
        f.push_back({Kind::Align, "Word justified", "justify"});
        f.push_back({Kind::Align, "See ", "left"});
        f.push_back({Kind::Link, "wordlink", "http://example.com/word"});
        f.push_back({Kind::Link, "for more", ""});
        f.push_back({Kind::List, "Word bullet one", "bullet"});
        f.push_back({Kind::List, "Word bullet two", "bullet"});
        f.push_back({Kind::List, "Word number one", "number"});
        f.push_back({Kind::ListStyle, "Word number one", "decimal"});
        f.push_back({Kind::List, "Word letter inner", "number"});
        f.push_back({Kind::ListStyle, "Word letter inner", "lower-alpha"});
        f.push_back({Kind::ListLevel, "Word letter inner", "2"});
        f.push_back({Kind::ListStyle, "Word number two", "decimal"});
        f.push_back({Kind::List, "Footnote anchorw", "none"});
        f.push_back({Kind::NoteMark, "anchorw", "1"});
        f.push_back({Kind::NoteText, "Word footnote body", "Word last line"});
        f.push_back({Kind::Text, "Body continues.", ""});
        f.push_back({Kind::Cell, "wdown", "2x1"});
        f.push_back({Kind::Cell, "wacross", "1x2"});
        f.push_back({Kind::Cell, "wmid", "1x1"});
        f.push_back({Kind::Cell, "wright", "1x1"});
        f.push_back({Kind::Bold, "wright", "1"});
        f.push_back({Kind::Cell, "Word after table", "none"});
        f.push_back({Kind::PageBreak, "Word after table", "0"});
        f.push_back({Kind::PageBreak, "Word after page", "1"});
        f.push_back({Kind::PageBreak, "Word new section", "1"});
        f.push_back({Kind::PageBreak, "Word page before", "1"});
        f.push_back({Kind::PageBreak, "Word last line", "0"});
        samples.push_back(s);
    }
    {
        // A rich-edit control of a small Windows editor: \pn bullets and numbers, \pntext markers.
        Sample s{QStringLiteral("wordpad_style"), Source::Rtf, QByteArray(R"RTF({\rtf1\ansi\ansicpg1252\deff0\nouicompat\deflang1033{\fonttbl{\f0\fnil\fcharset0 Calibri;}{\f1\fnil\fcharset2 Symbol;}{\f2\fnil\fcharset0 Courier New;}}
{\colortbl ;\red255\green0\blue0;\red0\green128\blue0;}
{\*\generator Riched20 10.0.19041}\viewkind4\uc1 
\pard\sa200\sl276\slmult1\f0\fs22\lang9 Pad plain \b padbold\b0  and \i paditalic\i0  and \ul padunder\ulnone  and \strike padstrike\strike0  and \f2 padcourier\f0  and \fs32 padbig\fs22  and \cf1 padred\cf0  and \cf2\b padgreenbold\cf0\b0  end.\par
\pard\sa200\sl276\slmult1\qc Pad centred\par
\pard\sa200\sl276\slmult1\qr Pad right\par
\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li720\sa200\sl276\slmult1 Pad bullet one\par
{\pntext\f1\'B7\tab}Pad bullet two\par
\pard{\pntext\f0 1.\tab}{\*\pn\pnlvlbody\pnf0\pnindent0\pnstart1\pndec{\pntxta.}}\fi-360\li720\sa200\sl276\slmult1 Pad number one\par
{\pntext\f0 2.\tab}Pad number two\par
\pard{\pntext\f0 a.\tab}{\*\pn\pnlvlbody\pnf0\pnindent0\pnstart1\pnlcltr{\pntxta.}}\fi-360\li720\sa200\sl276\slmult1 Pad letter one\par
\pard{\pntext\f0 I.\tab}{\*\pn\pnlvlbody\pnf0\pnindent0\pnstart1\pnucrm{\pntxta.}}\fi-360\li720\sa200\sl276\slmult1 Pad roman one\par
\pard\sa200\sl276\slmult1 Pad after lists\par
}
)RTF")};
        auto &f = s.facts;
        plain(f, QStringLiteral("Pad plain"));
        f.push_back({Kind::Family, "Pad plain", "Calibri"});
        f.push_back({Kind::Size, "Pad plain", "11"});
        f.push_back({Kind::Bold, "padbold", "1"});
        f.push_back({Kind::Italic, "paditalic", "1"});
        f.push_back({Kind::Bold, "paditalic", "0"});
        f.push_back({Kind::Underline, "padunder", "1"});
        f.push_back({Kind::Strike, "padstrike", "1"});
        f.push_back({Kind::Family, "padcourier", "Courier New"});
        f.push_back({Kind::Size, "padbig", "16"});
        f.push_back({Kind::Colour, "padred", "#ff0000"});
        f.push_back({Kind::Colour, "padgreenbold", "#008000"});
        f.push_back({Kind::Bold, "padgreenbold", "1"});
        plain(f, QStringLiteral("end."));
        f.push_back({Kind::Colour, "end.", "#000000"});
        f.push_back({Kind::Align, "Pad centred", "center"});
        f.push_back({Kind::Align, "Pad right", "right"});
        f.push_back({Kind::List, "Pad bullet one", "bullet"});
        f.push_back({Kind::List, "Pad bullet two", "bullet"});
        f.push_back({Kind::List, "Pad number one", "number"});
        f.push_back({Kind::ListStyle, "Pad number one", "decimal"});
        f.push_back({Kind::List, "Pad number two", "number"});
        f.push_back({Kind::ListStyle, "Pad letter one", "lower-alpha"});
        f.push_back({Kind::ListStyle, "Pad roman one", "upper-roman"});
        f.push_back({Kind::List, "Pad after lists", "none"});
        f.push_back({Kind::Align, "Pad after lists", "left"});
        samples.push_back(s);
    }
    {
        // A Cocoa text editor: \ls lists with level markers, "\" line ends, \strikec0, a table by \itap.
        Sample s{QStringLiteral("cocoa_style"), Source::Rtf, QByteArray(R"RTF({\rtf1\ansi\ansicpg1252\cocoartf2639
\cocoatextscaling0\cocoaplatform0{\fonttbl\f0\fswiss\fcharset0 Helvetica;\f1\fswiss\fcharset0 Helvetica-Bold;\f2\fmodern\fcharset0 Courier;}
{\colortbl;\red255\green255\blue255;\red200\green0\blue0;}
{\*\expandedcolortbl;;\csgenericrgb\c78431\c0\c0;}
{\*\listtable{\list\listtemplateid1\listhybrid{\listlevel\levelnfc23\levelnfcn23\leveljc0\leveljcn0\levelfollow0\levelstartat1\levelspace360\levelindent0{\*\levelmarker \{disc\}}{\leveltext\leveltemplateid1\'01\uc0\u8226 ;}{\levelnumbers;}\fi-360\li720\lin720 }{\listlevel\levelnfc23\levelnfcn23\leveljc0\leveljcn0\levelfollow0\levelstartat1\levelspace360\levelindent0{\*\levelmarker \{hyphen\}}{\leveltext\leveltemplateid2\'01\uc0\u8259 ;}{\levelnumbers;}\fi-360\li1440\lin1440 }{\listname ;}\listid1}
{\list\listtemplateid2\listhybrid{\listlevel\levelnfc0\levelnfcn0\leveljc0\leveljcn0\levelfollow0\levelstartat1\levelspace360\levelindent0{\*\levelmarker \{decimal\}.}{\leveltext\leveltemplateid101\'02\'00.;}{\levelnumbers\'01;}\fi-360\li720\lin720 }{\listname ;}\listid2}
{\list\listtemplateid3\listhybrid{\listlevel\levelnfc2\levelnfcn2\leveljc0\leveljcn0\levelfollow0\levelstartat1\levelspace360\levelindent0{\*\levelmarker \{lower-roman\}}{\leveltext\leveltemplateid201\'01\'00;}{\levelnumbers\'01;}\fi-360\li720\lin720 }{\listname ;}\listid3}}
{\*\listoverridetable{\listoverride\listid1\listoverridecount0\ls1}{\listoverride\listid2\listoverridecount0\ls2}{\listoverride\listid3\listoverridecount0\ls3}}
\paperw11900\paperh16840\margl1440\margr1440\vieww11520\viewh8400\viewkind0
\pard\tx720\tx1440\pardirnatural\partightenfactor0

\f0\fs24 \cf0 Cocoa plain \
Mixed 
\f1\b cocobold
\f0\b0  and 
\i cocoital
\i0  and \ul \ulc0 cocounder\ulnone  and \strike \strikec0 cocostrike\strike0\striked0  and 
\f2 cocourier
\f0  and \fs36 cocobig\fs24  and \cf2 cocored\cf0  end.\
\pard\tx720\tx1440\pardirnatural\qc\partightenfactor0
\cf0 Cocoa centred\
\pard\tx220\tx720\pardeftab720\li720\fi-720\partightenfactor0
\ls1\ilvl0\cf0 {\listtext	\uc0\u8226 	}Cocoa bullet one\
{\listtext	\uc0\u8226 	}Cocoa bullet two\
\pard\tx940\tx1440\pardeftab720\li1440\fi-1440\partightenfactor0
\ls1\ilvl1\cf0 {\listtext	\uc0\u8259 	}Cocoa hyphen inner\
\pard\tx220\tx720\pardeftab720\li720\fi-720\partightenfactor0
\ls2\ilvl0\cf0 {\listtext	1.	}Cocoa number one\
{\listtext	2.	}Cocoa number two\
\pard\tx220\tx720\pardeftab720\li720\fi-720\partightenfactor0
\ls3\ilvl0\cf0 {\listtext	i	}Cocoa roman one\
\pard\tx720\tx1440\pardirnatural\partightenfactor0
\cf0 Cocoa after lists\
\
\itap1\trowd \taflags1 \trgaph108\trleft-108 \trbrdrt\brdrnil \trbrdrl\brdrnil \trbrdrr\brdrnil 
\clvertalc \clshdrawnil \clwWidth2000\clftsWidth3 \clbrdrt\brdrs\brdrw20 \clpadl100 \clpadr100 \gaph\cellx4320
\clvertalc \clshdrawnil \clwWidth2000\clftsWidth3 \clbrdrt\brdrs\brdrw20 \clpadl100 \clpadr100 \gaph\cellx8640
\pard\intbl\itap1\pardeftab720\partightenfactor0
\cf0 cocell one\cell 
\pard\intbl\itap1\pardeftab720\partightenfactor0
\cf0 cocell two\cell \row

\itap1\trowd \taflags1 \trgaph108\trleft-108 \trbrdrl\brdrnil \trbrdrr\brdrnil 
\clvertalc \clshdrawnil \clwWidth2000\clftsWidth3 \clpadl100 \clpadr100 \gaph\cellx4320
\clvertalc \clshdrawnil \clwWidth2000\clftsWidth3 \clpadl100 \clpadr100 \gaph\cellx8640
\pard\intbl\itap1\pardeftab720\partightenfactor0
\cf0 cocell three\cell 
\pard\intbl\itap1\pardeftab720\partightenfactor0
\cf0 cocell four\cell \lastrow\row
\pard\pardeftab720\partightenfactor0
\cf0 Cocoa last line}
)RTF")};
        auto &f = s.facts;
        plain(f, QStringLiteral("Cocoa plain"));
        f.push_back({Kind::Family, "Cocoa plain", "Helvetica"});
        f.push_back({Kind::Size, "Cocoa plain", "12"});
        f.push_back({Kind::PageBreak, "Mixed", "0"});
        f.push_back({Kind::Bold, "cocobold", "1"});
        f.push_back({Kind::Italic, "cocoital", "1"});
        f.push_back({Kind::Bold, "cocoital", "0"});
        f.push_back({Kind::Underline, "cocounder", "1"});
        f.push_back({Kind::Strike, "cocostrike", "1"});
        f.push_back({Kind::Family, "cocourier", "Courier"});
        f.push_back({Kind::Size, "cocobig", "18"});
        f.push_back({Kind::Colour, "cocored", "#c80000"});
        plain(f, QStringLiteral("end."));
        f.push_back({Kind::Align, "Cocoa centred", "center"});
        f.push_back({Kind::List, "Cocoa centred", "none"});
        f.push_back({Kind::List, "Cocoa bullet one", "bullet"});
        f.push_back({Kind::ListStyle, "Cocoa bullet one", "disc"});
        f.push_back({Kind::List, "Cocoa bullet two", "bullet"});
        f.push_back({Kind::List, "Cocoa hyphen inner", "bullet"});
        f.push_back({Kind::ListLevel, "Cocoa hyphen inner", "2"});
        f.push_back({Kind::List, "Cocoa number one", "number"});
        f.push_back({Kind::ListStyle, "Cocoa number one", "decimal"});
        f.push_back({Kind::ListStyle, "Cocoa number two", "decimal"});
        f.push_back({Kind::ListStyle, "Cocoa roman one", "lower-roman"});
        f.push_back({Kind::List, "Cocoa after lists", "none"});
        f.push_back({Kind::Align, "Cocoa after lists", "left"});
        f.push_back({Kind::Cell, "cocell one", "1x1"});
        f.push_back({Kind::Cell, "cocell four", "1x1"});
        f.push_back({Kind::Cell, "Cocoa last line", "none"});
        samples.push_back(s);
    }
    {
        // Less common words of a word processor for Windows: merges by cell widths, underline kinds,
        // half-point sizes, links to bookmarks, continuous sections, letters with brackets, deep levels.
        Sample s{QStringLiteral("word_more"), Source::Rtf, QByteArray(R"RTF({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\froman Times New Roman;}{\f1\fswiss Arial;}}
{\colortbl;\red0\green0\blue0;\red0\green0\blue255;}
{\*\listtable{\list\listtemplateid7{\listlevel\levelnfc3\levelnfcn3\levelstartat1{\leveltext\'03(\'00);}{\levelnumbers\'02;}\fi-360\li720}{\listlevel\levelnfc0{\leveltext\'02\'01.;}{\levelnumbers\'01;}\fi-360\li1440}{\listlevel\levelnfc2\levelnfcn2{\leveltext\'02\'02.;}{\levelnumbers\'01;}\fi-360\li2160}\listid7}}
{\*\listoverridetable{\listoverride\listid7\listoverridecount0\ls3}}
\pard\plain\f0\fs24 More {\uld dotted} and {\ulw wordline} and {\uldb doubleline} and {\ul under\ul0  notunder} and {\striked1 doublestrike} and {\fs21 halfsize} end.\par
\pard {\field{\*\fldinst{ HYPERLINK \\l "section2" }}{\fldrslt{\cf2\ul innerlink}}} and {\field{\*\fldinst{HYPERLINK "http://example.net/b"}}{\fldrslt{\b boldlink}}} done.\par
\pard\ls3\ilvl0{\listtext (A)\tab}Letter item\par
\pard\ls3\ilvl2{\listtext i.\tab}Deep roman item\par
\pard\qc Centred before section\par
\sect\sectd\sbknone\pard\ql Continuous section text\par
\sect\sectd\pard Default section text\par
\trowd\cellx3000\cellx6000\pard\intbl wide one\cell wide two\cell\row
\trowd\cellx1500\cellx3000\cellx4500\cellx6000\pard\intbl n1\cell n2\cell n3\cell n4\cell\row
\trowd\cellx1500\cellx4500\cellx6000\pard\intbl m1\cell middle wide\cell m4\cell\row
\pard After width table\par
})RTF")};
        auto &f = s.facts;
        f.push_back({Kind::Underline, "dotted", "1"});
        f.push_back({Kind::Underline, "wordline", "1"});
        f.push_back({Kind::Underline, "doubleline", "1"});
        f.push_back({Kind::Underline, "under", "1"});
        f.push_back({Kind::Underline, "notunder", "0"});
        f.push_back({Kind::Strike, "doublestrike", "1"});
        f.push_back({Kind::Size, "halfsize", "10.5"});
        plain(f, QStringLiteral("end."));
        f.push_back({Kind::Link, "innerlink", "#section2"});
        f.push_back({Kind::Link, "boldlink", "http://example.net/b"});
        f.push_back({Kind::Bold, "boldlink", "1"});
        f.push_back({Kind::Link, "done.", ""});
        f.push_back({Kind::List, "Letter item", "number"});
        f.push_back({Kind::ListStyle, "Letter item", "upper-alpha"});
        f.push_back({Kind::ListStyle, "Deep roman item", "lower-roman"});
        f.push_back({Kind::ListLevel, "Deep roman item", "3"});
        f.push_back({Kind::Align, "Centred before section", "center"});
        f.push_back({Kind::PageBreak, "Continuous section text", "0"});
        f.push_back({Kind::Align, "Continuous section text", "left"});
        f.push_back({Kind::List, "Continuous section text", "none"});
        f.push_back({Kind::PageBreak, "Default section text", "1"});
        f.push_back({Kind::Cell, "wide one", "1x2"});
        f.push_back({Kind::Cell, "wide two", "1x2"});
        f.push_back({Kind::Cell, "n2", "1x1"});
        f.push_back({Kind::Cell, "middle wide", "1x2"});
        f.push_back({Kind::Cell, "m4", "1x1"});
        f.push_back({Kind::Cell, "After width table", "none"});
        samples.push_back(s);
    }
    {
        // A word processor of the mid-1990s: \pn numbering at levels, \pnlvlcont, and a \pntext per paragraph.
        Sample s{QStringLiteral("pn_style"), Source::Rtf, QByteArray(R"RTF({\rtf1\ansi\deff0{\fonttbl{\f0\froman Times New Roman;}{\f1\fdecor Symbol;}}
{\colortbl;\red0\green0\blue0;}
\pard\plain\f0\fs20 Old intro line\par
\pard{\pntext\f0 1.\tab}{\*\pn\pnlvl1\pndec\pnstart1\pnindent360{\pntxta .}}\fi-360\li360 Old level one\par
\pard{\pntext\f0 a)\tab}{\*\pn\pnlvl2\pnlcltr\pnstart1\pnindent720{\pntxta )}}\fi-360\li720 Old level two\par
\pard{\pntext\f0 2.\tab}{\*\pn\pnlvl1\pndec\pnstart1\pnindent360{\pntxta .}}\fi-360\li360 Old level one again\par
\pard{\*\pn\pnlvlcont}\li360 Old continued paragraph\par
\pard{\pntext\f1\'b7\tab}{\*\pn\pnlvlblt\pnf1\pnindent360{\pntxtb\'b7}}\fi-360\li360 Old bullet\par
\pard{\pntext\f0 iv.\tab}{\*\pn\pnlvlbody\pnlcrm\pnstart4\pnindent360{\pntxta .}}\fi-360\li360 Old roman four\par
\pard\qc\b Old bold centred\b0\par
\pard Old last line\par
})RTF")};
        auto &f = s.facts;
        f.push_back({Kind::List, "Old intro line", "none"});
        f.push_back({Kind::Size, "Old intro line", "10"});
        f.push_back({Kind::List, "Old level one", "number"});
        f.push_back({Kind::ListStyle, "Old level one", "decimal"});
        f.push_back({Kind::List, "Old level two", "number"});
        f.push_back({Kind::ListStyle, "Old level two", "lower-alpha"});
        f.push_back({Kind::ListLevel, "Old level two", "2"});
        f.push_back({Kind::ListStyle, "Old level one again", "decimal"});
        f.push_back({Kind::ListLevel, "Old level one again", "1"});
        f.push_back({Kind::List, "Old bullet", "bullet"});
        f.push_back({Kind::ListStyle, "Old roman four", "lower-roman"});
        f.push_back({Kind::Bold, "Old bold centred", "1"});
        f.push_back({Kind::Align, "Old bold centred", "center"});
        f.push_back({Kind::List, "Old last line", "none"});
        plain(f, QStringLiteral("Old last line"));
        samples.push_back(s);
    }
}


} // namespace facts
