// A leaf's text cut into pieces short enough for one text layout: estimates of height and copies of runs.
#include "document/formats/textpieces.h"

#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace formats {

namespace {

// Formats give margins, pictures and fixed line heights in pixels of this resolution.
constexpr qreal FormatDpi = 96;
// Line spacing of common faces is 1.15 to 1.3 times the size; fallback faces can be taller.
constexpr qreal LineSpacingPerSize = 1.5;
// No glyph of common text is wider than its size, so a line holds at least width / size characters.
constexpr qreal WidthPerSize = 1.0;
// A picture whose height neither its format nor its image gives, in format pixels.
constexpr qreal UnknownPictureHeight = 1000;
// Past this share of the limit a piece ends at the next paragraph outside a running list.
constexpr qreal SoftShare = 0.75;
// A paragraph cut in pieces is cut at a space found this many characters back at most.
constexpr int SpaceSearch = 200;

qreal pointSizeOf(const QFont &font)
{
    if (font.pointSizeF() > 0) {
        return font.pointSizeF();
    }
    return font.pixelSize() > 0 ? font.pixelSize() * 72.0 / FormatDpi : 12.0;
}

// Heights of blocks, frames and table rows as they will at most be laid out, in pixels at dpi.
class HeightEstimate
{
public:
    HeightEstimate(const QTextDocument &document, qreal dpi)
        : document_(document), scale_(dpi / FormatDpi), pixelsPerPoint_(dpi / 72.0),
          defaultSize_(pointSizeOf(document.defaultFont()))
    {
    }

    qreal block(const QTextBlock &block, qreal width) const
    {
        const QTextBlockFormat format = block.blockFormat();
        const qreal inset = (format.leftMargin() + format.rightMargin() + std::abs(format.textIndent()) +
                             format.indent() * document_.indentWidth()) * scale_;
        width = std::max(width - inset, width / 4);
        qreal largest = 0;
        qreal advance = 0;
        qreal pictures = 0;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat charFormat = fragment.charFormat();
            if (charFormat.isImageFormat()) {
                const QSizeF size = pictureSize(charFormat.toImageFormat());
                pictures += size.height() * scale_;
                advance += size.width() * scale_;
                continue;
            }
            const qreal size = sizeOf(charFormat) * pixelsPerPoint_;
            largest = std::max(largest, size);
            advance += fragment.length() * size * WidthPerSize;
        }
        if (largest == 0) {
            largest = defaultSize_ * pixelsPerPoint_;
        }
        qreal lineHeight = largest * LineSpacingPerSize;
        if (format.lineHeightType() == QTextBlockFormat::ProportionalHeight) {
            lineHeight *= std::max(1.0, format.lineHeight() / 100.0);
        } else if (format.lineHeightType() != QTextBlockFormat::SingleHeight) {
            lineHeight += std::max(0.0, format.lineHeight()) * scale_;
        }
        const qreal lines = std::max(1.0, std::ceil(advance / std::max(width, largest)));
        return (format.topMargin() + format.bottomMargin()) * scale_ + lines * lineHeight + pictures;
    }

    qreal frame(QTextFrame *frame, qreal width) const
    {
        if (auto *table = qobject_cast<QTextTable *>(frame)) {
            const std::vector<qreal> heights = rows(table, width);
            qreal sum = 0;
            for (qreal h : heights) {
                sum += h;
            }
            return sum + frameExtra(frame->frameFormat());
        }
        return items(frame->begin(), width) + frameExtra(frame->frameFormat());
    }

    // Each row's height; a cell spanning rows counts wholly in its first row.
    std::vector<qreal> rows(QTextTable *table, qreal width) const
    {
        const QTextTableFormat format = table->format();
        const int columns = std::max(1, table->columns());
        const qreal rowExtra = (format.cellSpacing() + 2 * format.cellPadding() + 2 * format.border()) * scale_;
        const QList<QTextLength> constraints = format.columnWidthConstraints();
        std::vector<qreal> columnWidth(size_t(columns), width / columns);
        for (int c = 0; c < columns && c < constraints.size(); ++c) {
            const QTextLength length = constraints.at(c);
            if (length.type() == QTextLength::FixedLength) {
                columnWidth[size_t(c)] = length.rawValue() * scale_;
            } else if (length.type() == QTextLength::PercentageLength) {
                columnWidth[size_t(c)] = width * length.rawValue() / 100.0;
            }
        }
        std::vector<qreal> heights(size_t(table->rows()), rowExtra);
        for (int r = 0; r < table->rows(); ++r) {
            for (int c = 0; c < columns; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (!cell.isValid() || cell.row() != r || cell.column() != c) {
                    continue;
                }
                qreal cellWidth = 0;
                for (int k = c; k < c + cell.columnSpan() && k < columns; ++k) {
                    cellWidth += columnWidth[size_t(k)];
                }
                const qreal h = items(cell.begin(), std::max(cellWidth, 1.0)) + rowExtra;
                heights[size_t(r)] = std::max(heights[size_t(r)], h);
            }
        }
        return heights;
    }

private:
    qreal items(QTextFrame::iterator it, qreal width) const
    {
        qreal sum = 0;
        for (; !it.atEnd(); ++it) {
            sum += it.currentFrame() ? frame(it.currentFrame(), width) : block(it.currentBlock(), width);
        }
        return sum;
    }

    qreal frameExtra(const QTextFrameFormat &format) const
    {
        return (format.topMargin() + format.bottomMargin() + 2 * format.padding() + 2 * format.border()) * scale_;
    }

    qreal sizeOf(const QTextCharFormat &format) const
    {
        qreal size = defaultSize_;
        if (format.hasProperty(QTextFormat::FontPointSize)) {
            size = format.fontPointSize();
        } else if (format.hasProperty(QTextFormat::FontPixelSize)) {
            size = format.intProperty(QTextFormat::FontPixelSize) * 72.0 / FormatDpi;
        }
        const int adjustment = format.intProperty(QTextFormat::FontSizeAdjustment);
        return size * std::pow(1.5, std::max(0, adjustment));
    }

    QSizeF pictureSize(const QTextImageFormat &format) const
    {
        QSizeF size(format.width(), format.height());
        if (size.width() <= 0 || size.height() <= 0) {
            const QImage image =
                document_.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
            if (!image.isNull()) {
                size = image.size();
            }
        }
        if (size.height() <= 0) {
            size.setHeight(UnknownPictureHeight);
        }
        return QSizeF(std::max(0.0, size.width()), size.height());
    }

    const QTextDocument &document_;
    qreal scale_;
    qreal pixelsPerPoint_;
    qreal defaultSize_;
};

// Gathers top-level runs into pieces within the limit.
class PieceCutter
{
public:
    PieceCutter(const QTextDocument &document, qreal width, qreal dpi, qreal maxHeight)
        : document_(document), estimate_(document, dpi), width_(width), maxHeight_(maxHeight)
    {
    }

    std::vector<TextPiece> cut()
    {
        const QTextList *previousList = nullptr;
        for (auto it = document_.rootFrame()->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *frame = it.currentFrame()) {
                addFrame(frame);
                previousList = nullptr;
                continue;
            }
            const QTextBlock block = it.currentBlock();
            const qreal h = estimate_.block(block, width_);
            const bool listGoesOn = block.textList() && block.textList() == previousList;
            previousList = block.textList();
            if (h > maxHeight_) {
                close();
                cutBlock(block, h);
                continue;
            }
            if (height_ + h > maxHeight_ || (height_ > SoftShare * maxHeight_ && !listGoesOn)) {
                close();
            }
            extend(block.position(), block.position() + block.length() - 1, h);
        }
        close();
        if (pieces_.empty()) {
            pieces_.push_back(TextPiece{0, std::max(0, document_.characterCount() - 1)});
        }
        return std::move(pieces_);
    }

private:
    void addFrame(QTextFrame *frame)
    {
        // The frame's first position follows the separator that opens it; a piece may start at that separator.
        const int from = frame->firstPosition() - 1;
        const int to = frame->lastPosition() + 1;
        auto *table = qobject_cast<QTextTable *>(frame);
        const qreal h = estimate_.frame(frame, width_);
        if (h <= maxHeight_ || !table) {
            if (height_ + h > maxHeight_) {
                close();
            }
            extend(from, to, h);
            return;
        }
        close();
        const std::vector<qreal> heights = estimate_.rows(table, width_);
        int first = 0;
        qreal sum = 0;
        for (int r = 0; r < table->rows(); ++r) {
            if (r > first && sum + heights[size_t(r)] > maxHeight_) {
                pieces_.push_back(rowsPiece(table, first, r - 1));
                first = r;
                sum = 0;
            }
            sum += heights[size_t(r)];
        }
        pieces_.push_back(rowsPiece(table, first, table->rows() - 1));
    }

    static TextPiece rowsPiece(QTextTable *table, int firstRow, int lastRow)
    {
        TextPiece piece;
        piece.from = table->cellAt(firstRow, 0).firstPosition();
        piece.to = table->cellAt(lastRow, table->columns() - 1).lastPosition();
        piece.table = table;
        piece.firstRow = firstRow;
        piece.lastRow = lastRow;
        return piece;
    }

    // A paragraph too tall alone: runs of about equal length, each ending after a space where one is near.
    void cutBlock(const QTextBlock &block, qreal h)
    {
        const QString text = block.text();
        const int length = int(text.size());
        const int parts = int(std::ceil(h / maxHeight_));
        const int step = std::max(1, length / std::max(1, parts));
        int start = 0;
        while (start < length) {
            int end = std::min(length, start + step);
            if (end < length) {
                const int space = int(text.lastIndexOf(QLatin1Char(' '), end - 1));
                if (space >= start && space > end - SpaceSearch) {
                    end = space + 1;
                }
            }
            pieces_.push_back(TextPiece{block.position() + start, block.position() + end});
            start = end;
        }
        if (length == 0) {
            pieces_.push_back(TextPiece{block.position(), block.position()});
        }
    }

    void extend(int from, int to, qreal h)
    {
        if (!open_) {
            open_ = true;
            from_ = from;
            height_ = 0;
        }
        to_ = to;
        height_ += h;
    }

    void close()
    {
        if (open_) {
            pieces_.push_back(TextPiece{from_, to_});
            open_ = false;
            height_ = 0;
        }
    }

    const QTextDocument &document_;
    HeightEstimate estimate_;
    qreal width_;
    qreal maxHeight_;
    std::vector<TextPiece> pieces_;
    bool open_ = false;
    int from_ = 0;
    int to_ = 0;
    qreal height_ = 0;
};

} // namespace

std::vector<TextPiece> textPieces(const QTextDocument &document, qreal width, qreal dpi, qreal maxHeight)
{
    return PieceCutter(document, width, dpi, maxHeight).cut();
}

bool isWholeDocument(const QTextDocument &document, const TextPiece &piece)
{
    return !piece.table && piece.from == 0 && piece.to >= document.characterCount() - 1;
}

std::unique_ptr<QTextDocument> copyPiece(QTextDocument &source, const TextPiece &piece)
{
    auto copy = std::make_unique<QTextDocument>();
    copy->setDefaultFont(source.defaultFont());
    copy->setDefaultTextOption(source.defaultTextOption());
    copy->setIndentWidth(source.indentWidth());
    copy->setUseDesignMetrics(source.useDesignMetrics());
    copy->setDocumentMargin(0);
    const QTextDocument *pictures = &source;
    copy->setResourceProvider(
        [pictures](const QUrl &name) { return pictures->resource(QTextDocument::ImageResource, name); });

    const QTextBlock block = source.findBlock(piece.from);
    // A fragment keeps the format (and list) of a paragraph it holds from its start, not of the first
    // paragraph it starts with: a run at a paragraph's start is taken from the end of the paragraph before,
    // and the empty paragraph that gives dropped from the copy.
    const bool atParagraph = piece.from > 0 && !piece.table && piece.from == block.position();
    QTextCursor selection(&source);
    selection.setPosition(atParagraph ? piece.from - 1 : piece.from);
    selection.setPosition(piece.to, QTextCursor::KeepAnchor);
    QTextCursor cursor(copy.get());
    cursor.insertFragment(selection.selection());
    if (atParagraph) {
        QTextCursor before(copy.get());
        before.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        before.removeSelectedText();
        before.setBlockCharFormat(block.charFormat());
    } else if (piece.table) {
        // A copy of some rows loses the columns' widths.
        for (auto it = copy->rootFrame()->begin(); !it.atEnd(); ++it) {
            if (auto *table = qobject_cast<QTextTable *>(it.currentFrame())) {
                table->setFormat(piece.table->format());
                break;
            }
        }
    } else if (piece.from > block.position() && piece.from < block.position() + block.length() - 1) {
        // A run from within a paragraph too tall for one piece takes the paragraph's format (not its list:
        // the list is an object of the source document).
        QTextBlockFormat format = block.blockFormat();
        format.clearProperty(QTextFormat::ObjectIndex);
        QTextCursor start(copy.get());
        start.setBlockFormat(format);
    }
    // A run that starts with a table starts at the separator before it: the copy's first paragraph is the
    // empty one that must come before a table.
    return copy;
}

} // namespace formats
