// The page layout of a printed outline: each leaf's heading and text laid out on their own, their lines
// placed down the pages one after the other, a page break only between lines.
#include "document/formats/outlinepages.h"

#include "document/formats/textpieces.h"
#include "text/richtext.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <memory>
#include <vector>

namespace formats {

namespace {

// Formats give margins in pixels of this resolution.
constexpr qreal FormatDpi = 96;
// A device reporting a lower resolution (or none) is laid out at this one.
constexpr qreal MinLayoutDpi = 24;
// Line edges this close (in layout pixels) meet: lines laid end to end touch up to rounding.
constexpr qreal Touching = 0.5;
// The strip at the foot of a page that holds its number, and the number's size, in points.
constexpr qreal FooterPoints = 28;
constexpr qreal PageNumberPoints = 9;
// Heading sizes and the space above them by level, in points, like HTML's h1 to h6; deeper levels take
// the last size and an indent per level beyond.
constexpr qreal HeadingPoints[] = {20, 16, 14, 12, 11, 10};
constexpr qreal SpaceAbovePoints[] = {18, 14, 12, 10, 8, 8};
constexpr int HeadingLevels = 6;
constexpr qreal SpaceBelowPoints = 4;
constexpr qreal DeepIndentPoints = 12;
constexpr int MaxDeepIndents = 8;
// Texts without a face of their own print in the editor's base font; headings in its face.
// The face of captions and page numbers, that of the base font.
constexpr char TextFace[] = "Arial";
// Progress is reported every this many leaves, and between the pieces of a long text.
constexpr int ReportEvery = 8;

// A vertical run of a laid out document that a page break must not cut.
struct Band
{
    qreal top = 0;
    qreal bottom = 0;
};

// A table cell's top padding and border go with its first line, so that a page breaks above a row's border
// rather than below it. (The bottom's stay out: with borders collapsed they would reach into the next row.)
void addCellTop(const QTextDocument &document, const QTextBlock &block, qreal dpi, Band &first)
{
    auto *table = qobject_cast<QTextTable *>(document.frameAt(block.position()));
    if (!table) {
        return;
    }
    const QTextTableCell cell = table->cellAt(block.position());
    if (!cell.isValid() || block.position() != cell.firstPosition()) {
        return;
    }
    const QTextTableFormat format = table->format();
    const QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
    const qreal padding = cellFormat.hasProperty(QTextFormat::TableCellTopPadding) ? cellFormat.topPadding()
                                                                                   : format.cellPadding();
    first.top -= (padding + format.border()) * dpi / FormatDpi;
}

// The lines of a laid out document in document coordinates, lines side by side (in table cells) merged
// into one band, so that the gaps between bands are where pages may break.
std::vector<Band> bandsOf(const QTextDocument &document, qreal dpi)
{
    const QAbstractTextDocumentLayout *layout = document.documentLayout();
    std::vector<Band> lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!block.isVisible()) {
            continue;
        }
        // Lines sit relative to their block's layout, whose place the bounding rectangle's corner gives.
        const qreal top = layout->blockBoundingRect(block).top();
        const QTextLayout *text = block.layout();
        const size_t first = lines.size();
        for (int i = 0; i < text->lineCount(); ++i) {
            const QTextLine line = text->lineAt(i);
            lines.push_back(Band{top + line.y(), top + line.y() + line.height()});
        }
        if (lines.size() > first) {
            addCellTop(document, block, dpi, lines[first]);
        }
    }
    const auto byTop = [](const Band &a, const Band &b) { return a.top < b.top; };
    if (!std::is_sorted(lines.begin(), lines.end(), byTop)) {
        std::stable_sort(lines.begin(), lines.end(), byTop);
    }
    std::vector<Band> bands;
    for (const Band &line : lines) {
        if (!bands.empty() && line.top < bands.back().bottom - Touching) {
            bands.back().bottom = std::max(bands.back().bottom, line.bottom);
        } else {
            bands.push_back(line);
        }
    }
    return bands;
}

void setTextDefaults(QTextDocument &document)
{
    document.setDefaultFont(richtext::baseFont());
}

std::unique_ptr<QTextDocument> headingDocument(const ExportLeaf &leaf)
{
    auto document = std::make_unique<QTextDocument>();
    setTextDefaults(*document);
    const int level = std::max(0, leaf.level);
    const int style = std::min(level, HeadingLevels - 1);
    QTextBlockFormat block;
    block.setTopMargin(SpaceAbovePoints[style] * FormatDpi / 72);
    block.setBottomMargin(SpaceBelowPoints * FormatDpi / 72);
    block.setLeftMargin(std::min(level - style, MaxDeepIndents) * DeepIndentPoints * FormatDpi / 72);
    QTextCharFormat chars;
    chars.setFontFamilies({QString::fromLatin1(TextFace)});
    chars.setFontPointSize(HeadingPoints[style]);
    chars.setFontWeight(QFont::Bold);
    QTextCursor cursor(document.get());
    cursor.setBlockFormat(block);
    cursor.setBlockCharFormat(chars);
    cursor.insertText(leaf.caption, chars);
    return document;
}

// Pages being filled: where the next line goes, and the painting of runs of documents onto the pages.
class PageFlow
{
public:
    PageFlow(QPainter &painter, const PageArea &area, const std::function<void()> &newPage)
        : painter_(painter), newPage_(newPage), layoutDevice_(1, 1, QImage::Format_RGB32)
    {
        dpi_ = std::clamp<qreal>(area.dpiY, MinLayoutDpi, MaxLayoutDpi);
        // The layout measures fonts at the layout device's resolution; the painter scales that to the device.
        layoutDevice_.setDotsPerMeterX(qRound(dpi_ / 0.0254));
        layoutDevice_.setDotsPerMeterY(qRound(dpi_ / 0.0254));
        dpi_ = layoutDevice_.logicalDpiY();
        scaleX_ = area.dpiX / layoutDevice_.logicalDpiX();
        scaleY_ = area.dpiY / dpi_;
        // A device without a paint area still gets a point of a page: content then spreads over many pages.
        const qreal point = dpi_ / 72;
        width_ = std::max(point, area.size.width() / scaleX_);
        const qreal pageHeight = std::max(2 * point, area.size.height() / scaleY_);
        footer_ = std::min(FooterPoints * point, pageHeight / 4);
        height_ = pageHeight - footer_;
        painter_.setWorldTransform(QTransform::fromScale(scaleX_, scaleY_));
    }

    qreal width() const { return width_; }
    qreal dpi() const { return dpi_; }

    // Lays document out across the page width (it must have no layout yet).
    void layOut(QTextDocument &document)
    {
        document.setDocumentMargin(0);
        document.setUseDesignMetrics(true);
        // A null page size holds the new layout back until the width is set: it is laid out once.
        document.setPageSize(QSizeF(0, 0));
        document.documentLayout()->setPaintDevice(&layoutDevice_);
        // Lines keep their shaped glyphs from layout to painting instead of shaping twice.
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            block.layout()->setCacheEnabled(true);
        }
        document.setTextWidth(width_);
    }

    // Starts a new page unless extent, which must stay together, fits below what the page already holds.
    void keepTogether(qreal extent)
    {
        if (y_ > 0 && y_ + extent > height_) {
            breakPage();
        }
    }

    // How far down the page a laid out document reaches from its top, or at the top of a page.
    qreal extentOf(const std::vector<Band> &bands, qreal bottom) const
    {
        return bottom - (y_ > 0 || bands.empty() ? 0 : bands.front().top);
    }

    // Places a laid out document below what the pages hold: whole lines on each page, a band taller than a
    // page cut at each page foot; space above its first line is dropped at the top of a page.
    void place(const QTextDocument &document, const std::vector<Band> &bands)
    {
        const qreal end = document.documentLayout()->documentSize().height();
        qreal windowTop = y_ > 0 || bands.empty() ? 0 : bands.front().top;
        qreal pageY = y_;
        for (const Band &band : bands) {
            if (pageY + band.bottom - windowTop <= height_) {
                continue;
            }
            if (band.top > windowTop || pageY > 0) {
                paintWindow(document, windowTop, band.top, pageY);
                breakPage();
                windowTop = band.top;
                pageY = 0;
            }
            while (band.bottom - windowTop > height_) {
                paintWindow(document, windowTop, windowTop + height_, 0);
                breakPage();
                windowTop += height_;
            }
        }
        const qreal bottom = std::min(std::max(end, bands.empty() ? 0 : bands.back().bottom),
                                      windowTop + height_ - pageY);
        paintWindow(document, windowTop, bottom, pageY);
        y_ = std::min(height_, pageY + bottom - windowTop);
    }

    // Numbers the last page; returns the number of pages.
    int finish()
    {
        paintPageNumber();
        return page_ + 1;
    }

private:
    // Paints the document's run from top to bottom at pageY on the current page.
    void paintWindow(const QTextDocument &document, qreal top, qreal bottom, qreal pageY)
    {
        if (bottom <= top) {
            return;
        }
        painter_.save();
        painter_.translate(0, pageY - top);
        // Wide tables and hanging indents may reach past the page width: only the page's edge cuts them.
        const QRectF clip(-width_, top, 3 * width_, bottom - top);
        painter_.setClipRect(clip, Qt::IntersectClip);
        QAbstractTextDocumentLayout::PaintContext context;
        // Lines that only touch the run belong to the page before or after: they are not drawn at all,
        // so that text taken out of the pages (search, copying) has each line once.
        context.clip = clip.adjusted(0, Touching, 0, -Touching);
        context.palette.setColor(QPalette::Text, Qt::black);
        const qreal continued = paintContinuedParagraph(document, context.clip);
        if (continued < context.clip.bottom()) {
            context.clip.setTop(std::max(context.clip.top(), continued));
            document.documentLayout()->draw(&painter_, context);
        }
        painter_.restore();
    }

    // The text layout draws a paragraph's lines from the one above the clip on: hidden by the painter's
    // clip, that line would still be in the page's text. A paragraph that began on an earlier page has its
    // lines in the run drawn here instead; returns where the paragraph ends (or the clip's top).
    qreal paintContinuedParagraph(const QTextDocument &document, const QRectF &clip)
    {
        const QAbstractTextDocumentLayout *layout = document.documentLayout();
        const QTextBlock block = document.findBlock(layout->hitTest(QPointF(0, clip.top()), Qt::FuzzyHit));
        if (!block.isValid() || document.frameAt(block.position()) != document.rootFrame()) {
            return clip.top();
        }
        const QRectF rect = layout->blockBoundingRect(block);
        const QTextLayout *text = block.layout();
        if (rect.top() >= clip.top() || rect.bottom() <= clip.top() || text->lineCount() < 2) {
            return clip.top();
        }
        painter_.setPen(Qt::black);
        for (int i = 0; i < text->lineCount(); ++i) {
            const QTextLine line = text->lineAt(i);
            const qreal top = rect.top() + line.y();
            if (top + line.height() > clip.top() && top < clip.bottom()) {
                line.draw(&painter_, QPointF(rect.left(), rect.top()));
            }
        }
        return rect.bottom();
    }

    void breakPage()
    {
        paintPageNumber();
        newPage_();
        ++page_;
        y_ = 0;
        painter_.setWorldTransform(QTransform::fromScale(scaleX_, scaleY_));
    }

    void paintPageNumber()
    {
        painter_.save();
        QFont font(QString::fromLatin1(TextFace));
        // Pixels of the layout resolution: the painter scales them to the device as it does the text.
        font.setPixelSize(std::max(1, qRound(PageNumberPoints * dpi_ / 72)));
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        painter_.drawText(QRectF(0, height_, width_, footer_), Qt::AlignHCenter | Qt::AlignBottom,
                          QString::number(page_ + 1));
        painter_.restore();
    }

    QPainter &painter_;
    std::function<void()> newPage_;
    QImage layoutDevice_;
    qreal dpi_ = MaxLayoutDpi;
    qreal scaleX_ = 1;
    qreal scaleY_ = 1;
    qreal width_ = 0;
    qreal height_ = 0;
    qreal footer_ = 0;
    int page_ = 0;
    qreal y_ = 0;
};

// One leaf: its caption as a heading kept with the first line of its text, then the text piece by piece.
void placeLeaf(PageFlow &flow, const ExportLeaf &leaf, const std::function<void()> &report)
{
    std::unique_ptr<QTextDocument> heading = headingDocument(leaf);
    flow.layOut(*heading);
    const std::vector<Band> headingBands = bandsOf(*heading, flow.dpi());
    const qreal headingEnd = heading->documentLayout()->documentSize().height();

    QTextDocument text;
    setTextDefaults(text);
    if (!leaf.text.isEmpty()) {
        richtext::loadBytes(text, leaf.text);
    }
    if (text.isEmpty()) {
        flow.keepTogether(flow.extentOf(headingBands, headingEnd));
        flow.place(*heading, headingBands);
        return;
    }
    const std::vector<TextPiece> pieces = textPieces(text, flow.width(), flow.dpi());
    for (size_t i = 0; i < pieces.size(); ++i) {
        std::unique_ptr<QTextDocument> copy;
        QTextDocument *piece = &text;
        if (!isWholeDocument(text, pieces[i])) {
            copy = copyPiece(text, pieces[i]);
            piece = copy.get();
        }
        flow.layOut(*piece);
        const std::vector<Band> bands = bandsOf(*piece, flow.dpi());
        if (i == 0) {
            const qreal firstLine = bands.empty() ? 0 : bands.front().bottom;
            flow.keepTogether(flow.extentOf(headingBands, headingEnd) + firstLine);
            flow.place(*heading, headingBands);
            heading.reset();
        }
        flow.place(*piece, bands);
        if (i + 1 < pieces.size()) {
            // The piece's layout goes before the caller may run events: none may go on in the background.
            copy.reset();
            report();
        }
    }
}

} // namespace

int paintOutlinePages(QPainter &painter, const PageArea &area, const std::function<void()> &newPage,
                      const LeafSource &leaves, const Progress &progress)
{
    qint64 count = 0;
    if (progress) {
        leaves([&count](const ExportLeaf &) { ++count; }, false);
    }
    qint64 done = 0;
    const std::function<void()> report = [&] {
        if (progress && !progress(done, count)) {
            throw Cancelled();
        }
    };
    report();
    PageFlow flow(painter, area, newPage);
    leaves(
        [&](const ExportLeaf &leaf) {
            placeLeaf(flow, leaf, report);
            if (++done % ReportEvery == 0) {
                report();
            }
        },
        true);
    if (done % ReportEvery != 0) {
        report();
    }
    return flow.finish();
}

} // namespace formats
