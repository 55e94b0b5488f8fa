// The reader's tables: rows and cells of \intbl paragraphs become a QTextTable that grows as the
// document goes, within a bound on the cells of one document.
#include "text/rtf/readerstate.h"

#include <QTextTable>

namespace rtf::detail {

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
