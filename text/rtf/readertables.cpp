// The reader's tables: rows and cells of \intbl paragraphs become a QTextTable that grows as the
// document goes, within a bound on the cells of one document. The table's columns are the cell
// boundaries of all its rows; a cell reaching over several columns, or marked as merged with its
// neighbour (\clmrg) or with the cell above (\clvmrg), becomes one merged cell when the table ends.
#include "text/rtf/readerkeywords.h"
#include "text/rtf/readerstate.h"

#include <QTextTable>

#include <algorithm>

namespace rtf::detail {

namespace {

// Boundaries this close (in twips) are taken as the same column edge.
constexpr int BoundarySlack = 10;
constexpr int MaxBoundary = 10000000;

} // namespace

bool Reader::tableWord(int kw, int p)
{
    switch (kw) {
    case KwTrowd:
        rowDef_.clear();
        cellDef_ = CellDef();
        return true;
    case KwClmgf:
        cellDef_.across = Merge::First;
        return true;
    case KwClmrg:
        cellDef_.across = Merge::Next;
        return true;
    case KwClvmgf:
        cellDef_.down = Merge::First;
        return true;
    case KwClvmrg:
        cellDef_.down = Merge::Next;
        return true;
    case KwCellx:
        if (rowDef_.size() < size_t(MaxTableColumns)) {
            cellDef_.right = std::max(-MaxBoundary, std::min(MaxBoundary, p));
            rowDef_.push_back(cellDef_);
        }
        cellDef_ = CellDef();
        return true;
    default:
        return false;
    }
}

void Reader::startTable()
{
    const int cols = std::max(1, std::min(MaxTableColumns, int(rowDef_.size())));
    if (tableCells_ + cols > MaxTableCells) {
        tablesExhausted_ = true;
        return;
    }
    QTextTableFormat tf;
    tf.setCellPadding(2);
    tf.setBorder(1);
    tf.setCellSpacing(0);
    if (pageBreakPending_) {
        tf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        pageBreakPending_ = false;
    }
    table_ = cursor_.insertTable(1, cols, tf);
    tableCells_ += cols;
    grid_.clear();
    int previous = -MaxBoundary - 1;
    for (const CellDef &d : rowDef_) {
        previous = std::max(d.right, previous + BoundarySlack + 1);
        grid_.push_back(previous);
    }
    cells_.clear();
    openDown_.assign(size_t(cols), -1);
    row_ = 0;
    col_ = 0;
    rowDone_ = false;
    needCellMove_ = false;
    pendingBreak_ = false;
    paraHasContent_ = false;
    blockPageBreak_ = false;
    layoutRow();
    cursor_ = table_->cellAt(0, 0).firstCursorPosition();
    appliedBf_ = cursor_.blockFormat();
    hasBlockCharProps_ = false;
}

void Reader::leaveTable()
{
    if (table_->rows() > row_ + 1) {
        table_->removeRows(row_ + 1, table_->rows() - row_ - 1);
    }
    mergeCells();
    // The columns keep the widths their cell boundaries give, in pixels of 15 twips.
    if (!grid_.empty() && grid_.size() == size_t(table_->columns()) && grid_.front() > 0) {
        QList<QTextLength> widths;
        widths.reserve(qsizetype(grid_.size()));
        int left = 0;
        for (const int right : grid_) {
            const int twips = std::max(1, std::min(MaxTwips, right - left));
            widths.append(QTextLength(QTextLength::FixedLength, twips / 15.0));
            left = right;
        }
        QTextTableFormat tf = table_->format();
        tf.setColumnWidthConstraints(widths);
        table_->setFormat(tf);
    }
    cursor_.setPosition(table_->lastPosition() + 1);
    table_ = nullptr;
    pendingBreak_ = false;
    paraHasContent_ = false;
    blockPageBreak_ = false;
    appliedBf_ = cursor_.blockFormat();
    hasBlockCharProps_ = false;
}

// The column whose right boundary is right, made by splitting a column or adding one where the
// table has none there yet; the nearest column when the table can take no more.
int Reader::columnEndingAt(int right)
{
    const auto it = std::lower_bound(grid_.begin(), grid_.end(), right - BoundarySlack);
    const size_t at = size_t(it - grid_.begin());
    if (it != grid_.end() && *it <= right + BoundarySlack) {
        return int(at);
    }
    if (at == grid_.size() && grid_.size() < size_t(table_->columns())) {
        grid_.push_back(right); // a column added for cells past the definition
        return int(at);
    }
    const int rows = table_->rows();
    if (table_->columns() >= MaxTableColumns || tableCells_ + rows > MaxTableCells) {
        return std::min(int(at), int(grid_.size()) - 1);
    }
    tableCells_ += rows;
    insertGridColumn(at, right);
    return int(at);
}

// Splits column at (or adds one at the right) so that a boundary stands at right. The cells of earlier
// rows that covered the split column now cover both halves.
void Reader::insertGridColumn(size_t at, int right)
{
    // The new column goes right of the one split, so the text of earlier rows stays in the left half.
    if (at + 1 >= size_t(table_->columns())) {
        table_->appendColumns(1);
    } else {
        table_->insertColumns(int(at) + 1, 1);
    }
    const bool split = at < grid_.size();
    grid_.insert(grid_.begin() + std::ptrdiff_t(at), right);
    openDown_.insert(openDown_.begin() + std::ptrdiff_t(std::min(at + 1, openDown_.size())), -1);
    if (!split) {
        return;
    }
    for (CellRect &c : cells_) {
        if (c.column > int(at)) {
            ++c.column;
        } else if (c.column + c.columns > int(at)) {
            ++c.columns;
        }
    }
}

// Lays out the row about to be read: the columns each of its cells covers. Every \cell's text goes to
// its own first column; cells merged with their left or upper neighbour join it when the table ends.
void Reader::layoutRow()
{
    rowColumns_.clear();
    int next = 0;
    int previous = -MaxBoundary - 1;
    int owner = -1; // the cell a horizontally merged one joins
    for (const CellDef &d : rowDef_) {
        previous = std::max(d.right, previous + BoundarySlack + 1);
        const int last = std::max(next, columnEndingAt(previous));
        rowColumns_.push_back(next);
        const int above = size_t(next) < openDown_.size() ? openDown_[size_t(next)] : -1;
        if (d.across == Merge::Next && owner >= 0) {
            CellRect &c = cells_[size_t(owner)];
            c.columns = last - c.column + 1;
        } else if (d.down == Merge::Next && above >= 0) {
            CellRect &c = cells_[size_t(above)];
            c.rows = row_ - c.row + 1;
            owner = -1;
        } else {
            cells_.push_back(CellRect{row_, next, 1, last - next + 1});
            owner = int(cells_.size()) - 1;
            if (size_t(next) < openDown_.size()) {
                openDown_[size_t(next)] = d.down == Merge::First ? owner : -1;
            }
        }
        next = last + 1;
    }
    rowEnd_ = next;
}

// Merges what the table's cells cover, once the table is read: each merge costs a pass over the table.
void Reader::mergeCells()
{
    for (const CellRect &c : cells_) {
        const int rows = std::min(c.rows, table_->rows() - c.row);
        const int columns = std::min(c.columns, table_->columns() - c.column);
        if ((rows > 1 || columns > 1) && merges_ < MaxMerges) {
            ++merges_;
            table_->mergeCells(c.row, c.column, rows, columns);
        }
    }
    cells_.clear();
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
        layoutRow();
    }
    // The column of this \cell: as laid out, or the next ones in order past the row's definition.
    const int column = size_t(col_) < rowColumns_.size() ? rowColumns_[size_t(col_)]
                                                          : rowEnd_ + col_ - int(rowColumns_.size());
    if (column >= table_->columns()) {
        if (table_->columns() < MaxTableColumns && tableCells_ + row_ + 1 <= MaxTableCells) {
            tableCells_ += row_ + 1;
            table_->appendColumns(1);
            openDown_.push_back(-1);
        } else {
            // Cells past the last column stay in the last one, separated by tabs.
            cursor_ = table_->cellAt(row_, table_->columns() - 1).lastCursorPosition();
            cursor_.insertText(QStringLiteral("\t"));
            appliedBf_ = cursor_.blockFormat();
            return;
        }
    }
    cursor_ = table_->cellAt(row_, std::min(column, table_->columns() - 1)).firstCursorPosition();
    appliedBf_ = cursor_.blockFormat();
    hasBlockCharProps_ = false;
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

} // namespace rtf::detail
