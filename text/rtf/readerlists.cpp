// The reader's lists: the list and override tables, the list a paragraph joins, and the old-style
// paragraph numbering of \pn groups.
#include "text/encoding.h"
#include "text/richtext.h"
#include "text/rtf/listappend.h"
#include "text/rtf/readerkeywords.h"
#include "text/rtf/readerstate.h"

#include <QTextList>

namespace rtf::detail {

namespace {

constexpr int BulletListChunk = 256;

QTextListFormat::Style listStyleFor(NumStyle s)
{
    switch (s) {
    case NumStyle::Bullet:
    case NumStyle::None:
        return QTextListFormat::ListDisc;
    case NumStyle::Circle:
        return QTextListFormat::ListCircle;
    case NumStyle::Square:
        return QTextListFormat::ListSquare;
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

// The number format of \levelnfc: arabic (0, and the ordinal 5 and zero-padded 22 forms), roman (1, 2),
// letters (3, 4), a bullet (23) or no number at all (255). Others are shown as arabic numbers.
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
        return NumStyle::Bullet;
    case 255:
        return NumStyle::None;
    default:
        return NumStyle::Decimal;
    }
}

// The list style closest to a bullet character; characters of symbol fonts stand at U+F000 + code.
NumStyle bulletStyleFor(char16_t c)
{
    switch (c) {
    case u'o':
    case 0x25E6: // white bullet
    case 0x25CB: // white circle
    case 0xF0A1: // white circle in Wingdings
    case 0xE009: // circle of OpenSymbol, as LibreOffice writes it
        return NumStyle::Circle;
    case 0x25AA: // black small square
    case 0x25A0: // black square
    case 0x25FE: // black medium small square
    case 0xF0A7: // small square in Wingdings
    case 0xF06E: // square in Wingdings
    case 0xE00B: // square of OpenSymbol
        return NumStyle::Square;
    default:
        return NumStyle::Bullet;
    }
}

} // namespace

bool Reader::listWord(int kw, int p)
{
    State &s = top();
    switch (kw) {
    case KwListtable:
        s.dest = Dest::ListTable;
        return true;
    case KwListoverridetable:
        s.dest = Dest::OverrideTable;
        return true;
    case KwList:
        if (s.dest == Dest::ListTable && lists_.size() < 10000) {
            lists_.emplace_back();
            s.dest = Dest::List;
        }
        return true;
    case KwListlevel:
        if (s.dest == Dest::List && !lists_.empty()) {
            if (lists_.back().levels.size() < 9) {
                lists_.back().levels.emplace_back();
                s.dest = Dest::ListLevel;
            } else {
                s.dest = Dest::Skip;
            }
        }
        return true;
    case KwListoverride:
        if (s.dest == Dest::OverrideTable) {
            s.dest = Dest::Override;
            overrideListId_ = 0;
            overrideLs_ = 0;
        }
        return true;
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
        return true;
    case KwLs:
        if (s.dest == Dest::Override) {
            overrideLs_ = p;
            if (overrideListId_ != 0 && overrides_.size() < 10000) {
                overrides_[overrideLs_] = overrideListId_;
            }
        } else {
            s.para.ls = std::max(0, p);
        }
        return true;
    case KwLevelnfc:
        if (s.dest == Dest::ListLevel && !lists_.empty() && !lists_.back().levels.empty()) {
            lists_.back().levels.back().nfc = p;
        }
        return true;
    case KwLevelstartat:
        if (s.dest == Dest::ListLevel && !lists_.empty() && !lists_.back().levels.empty()) {
            lists_.back().levels.back().start = std::max(0, std::min(32767, p));
        }
        return true;
    case KwIlvl:
        s.para.ilvl = std::max(0, std::min(8, p));
        return true;
    case KwLeveltext:
        s.dest = s.dest == Dest::ListLevel ? Dest::LevelText : Dest::Skip;
        return true;
    case KwPn:
        s.para.pnKind = PnKind::None;
        s.para.pnStyleSet = false;
        s.dest = Dest::Pn;
        return true;
    default:
        return false;
    }
}

void Reader::pnWord(int kw, int p)
{
    ParaProps &para = top().para;
    switch (kw) {
    case KwPnlvlblt:
        para.pnKind = PnKind::Bullet;
        return;
    case KwPnlvlbody:
        para.pnKind = PnKind::Body;
        return;
    case KwPnlvlcont:
        para.pnKind = PnKind::Cont;
        return;
    case KwPnlvl:
        para.pnKind = PnKind::Level;
        para.pnLevel = std::max(1, std::min(9, p));
        return;
    case KwPndec:
        para.pnStyle = NumStyle::Decimal;
        para.pnStyleSet = true;
        return;
    case KwPnlcltr:
        para.pnStyle = NumStyle::LowerAlpha;
        para.pnStyleSet = true;
        return;
    case KwPnucltr:
        para.pnStyle = NumStyle::UpperAlpha;
        para.pnStyleSet = true;
        return;
    case KwPnlcrm:
        para.pnStyle = NumStyle::LowerRoman;
        para.pnStyleSet = true;
        return;
    case KwPnucrm:
        para.pnStyle = NumStyle::UpperRoman;
        para.pnStyleSet = true;
        return;
    default:
        return;
    }
}

// Old-style numbering given in a group belongs to the paragraph around it.
void Reader::closePn(const State &closed, State &parent)
{
    parent.para.pnKind = closed.para.pnKind;
    parent.para.pnStyle = closed.para.pnStyle;
    parent.para.pnStyleSet = closed.para.pnStyleSet;
    parent.para.pnLevel = closed.para.pnLevel;
}

void Reader::levelText(int unit)
{
    if (!lists_.empty() && !lists_.back().levels.empty() && lists_.back().levels.back().text.size() < 256) {
        lists_.back().levels.back().text.push_back(unit);
    }
}

// Reads what the level text shows: the bullet of a bulleted level, or the text before and after the
// number (a level text starts with its length; bytes 0 to 8 stand for the numbers of levels 1 to 9).
// A level text that shows the numbers of several levels keeps what follows the last of them.
void Reader::closeListLevel(const State &closed)
{
    if (lists_.empty() || lists_.back().levels.empty()) {
        return;
    }
    ListLevelInfo &level = lists_.back().levels.back();
    level.style = styleForNfc(level.nfc);
    const int codePage = codePageOf(closed.chr.font);
    QString shown;
    int placeholders = 0;
    QString before;
    for (size_t i = 0; i < level.text.size(); ++i) {
        const int unit = level.text[i];
        if (unit >= 0) {
            shown += QChar(char16_t(unit));
            continue;
        }
        const auto byte = static_cast<unsigned char>(-unit - 1);
        if (i == 0) {
            continue; // the length
        }
        if (byte == ';') {
            break;
        }
        if (byte < 9) {
            if (placeholders++ == 0) {
                before = shown;
            }
            shown.clear();
        } else if (codePage == SymbolCodePage) {
            shown += QChar(char16_t(0xF000 + byte));
        } else {
            shown += encoding::decodeCodePage(QByteArray(1, char(byte)), codePage);
        }
    }
    if (level.style == NumStyle::Bullet) {
        const QString bullet = shown.trimmed();
        level.style = bullet.isEmpty() ? NumStyle::Bullet : bulletStyleFor(bullet.at(0).unicode());
    } else if (placeholders > 0) {
        level.prefix = placeholders == 1 ? before : QString();
        level.suffix = shown;
    }
    level.text.clear();
    level.text.shrink_to_fit();
}

Reader::ListPlace Reader::listPlaceOf(const ParaProps &p) const
{
    ListPlace place;
    // \ls0 names a list only where the override table defines it.
    if (p.ls > 0 || (p.ls == 0 && overrides_.count(0) > 0)) {
        const auto ov = overrides_.find(p.ls);
        const ListDef *def = nullptr;
        if (ov != overrides_.end()) {
            const auto byId = listById_.find(ov->second);
            if (byId != listById_.end()) {
                def = &lists_[byId->second];
            }
        }
        place.level = std::max(0, std::min(8, p.ilvl));
        if (def && place.level < int(def->levels.size())) {
            place.definition = &def->levels[size_t(place.level)];
            place.style = place.definition->style;
            if (place.style == NumStyle::None) {
                return ListPlace(); // a level without a number: a plain paragraph with its indents
            }
        } else if (p.pnKind == PnKind::Bullet) {
            place.style = NumStyle::Bullet;
        } else if (p.pnKind != PnKind::None && p.pnStyleSet) {
            place.style = p.pnStyle;
        } else if (!def) {
            place.style = NumStyle::Bullet;
        }
        place.isList = true;
        place.key = (qint64(p.ls) << 8) | place.level;
    } else if (p.pnKind == PnKind::Bullet || p.pnKind == PnKind::Body || p.pnKind == PnKind::Level) {
        place.isList = true;
        place.style = p.pnKind == PnKind::Bullet ? NumStyle::Bullet : p.pnStyle;
        place.level = p.pnKind == PnKind::Level ? std::max(0, std::min(8, p.pnLevel - 1)) : 0;
    }
    return place;
}

void Reader::applyList(QTextBlockFormat bf, const ParaProps &p, const ListPlace &place)
{
    const int indent = place.level + 1;
    bf.setLeftMargin(std::max(0.0, p.li / 15.0 - 40.0 * indent));
    bf.setTextIndent(0);
    bf.setProperty(richtext::HangingIndentProperty, std::max(0.0, -p.fi / 20.0));
    cursor_.setBlockFormat(bf);
    appliedBf_ = bf;

    QTextList *list = nullptr;
    if (place.key >= 0) {
        pnLists_.clear();
        pnListStyles_.clear();
        const auto it = newLists_.find(place.key);
        if (it != newLists_.end()) {
            list = it->second;
        }
    } else {
        const auto it = pnLists_.find(place.level);
        if (it != pnLists_.end() && pnListStyles_[place.level] == place.style) {
            list = it->second;
        }
        // A deeper level ends where the paragraph returns to a shallower one.
        for (auto i = pnLists_.begin(); i != pnLists_.end();) {
            if (i->first > place.level) {
                pnListStyles_.erase(i->first);
                i = pnLists_.erase(i);
            } else {
                ++i;
            }
        }
    }
    // Where joining costs as much as the list is long, a bulleted list goes on in a new QTextList of the
    // same format once it holds BulletListChunk paragraphs: bullets look alike in any list. Each later part
    // names the first, so the writer saves one list as with the constant-time join. Numbers count within
    // one QTextList, so a numbered list stays whole.
    int firstPart = -1;
    if (list && !hasConstantListAppend() && list->count() >= BulletListChunk &&
        list->format().style() == QTextListFormat::ListDisc) {
        const QTextListFormat part = list->format();
        firstPart = part.hasProperty(richtext::ListFirstPartProperty)
                        ? part.intProperty(richtext::ListFirstPartProperty)
                        : list->objectIndex();
        list = nullptr;
    }
    if (list) {
        appendToList(*list, cursor_.block());
    } else {
        QTextListFormat lf;
        lf.setStyle(listStyleFor(place.style));
        lf.setIndent(indent);
        if (place.definition && place.style != NumStyle::Bullet && place.style != NumStyle::Circle &&
            place.style != NumStyle::Square) {
            if (!place.definition->prefix.isEmpty()) {
                lf.setNumberPrefix(place.definition->prefix);
            }
            if (place.definition->suffix != QLatin1String(".")) {
                lf.setNumberSuffix(place.definition->suffix);
            }
            if (place.definition->start != 1) {
                lf.setProperty(richtext::ListStartProperty, place.definition->start);
            }
        }
        if (firstPart >= 0) {
            lf.setProperty(richtext::ListFirstPartProperty, firstPart);
        }
        list = cursor_.createList(lf);
        if (place.key >= 0) {
            newLists_[place.key] = list;
        } else {
            pnLists_[place.level] = list;
            pnListStyles_[place.level] = place.style;
        }
    }
    // The next paragraph starts outside the list; it joins one when it ends.
    QTextBlockFormat plain = bf;
    plain.clearProperty(QTextFormat::ObjectIndex);
    plain.clearProperty(QTextFormat::PageBreakPolicy);
    nextBf_ = plain;
}

} // namespace rtf::detail
