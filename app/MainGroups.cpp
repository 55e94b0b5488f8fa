// The Groups page: listing every leaf or one category's leaves, reading and editing the picked leaf
// in the viewer, and assigning categories.
#include "app/Main.h"

#include "app/completingcombo.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/copylines.h"
#include "app/grouplist.h"

#include <QListWidget>
#include <QPushButton>

void TForm1::bindGroupsHandlers()
{
    // A list of a whole outline can hold 100,000 entries: every row has the same height.
    ListBox->setUniformItemSizes(true);
    ListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    groupRecords_ = new GroupListRecords(*ListBox);
    connect(ShowAllItemsBtn, &QPushButton::clicked, this, &TForm1::ShowAllItemsBtnClick);
    connect(ShowItemsBtn, &QPushButton::clicked, this, &TForm1::ShowItemsBtnClick);
    connect(AssignCatBtn, &QPushButton::clicked, this, &TForm1::AssignCatBtnClick);
    // The picked entry changes by mouse or keyboard; fillings block the list's signals.
    connect(ListBox, &QListWidget::itemSelectionChanged, this, &TForm1::ListBoxClick);
    connect(RichEdit2, &LeafEditor::exited, this, &TForm1::RichEdit2Exit);
}

std::shared_ptr<noteob> TForm1::pickedRecord() const
{
    return groupRecords_ ? groupRecords_->picked() : nullptr;
}

void TForm1::ListAllLeaves()
{
    guarded([&] {
        if (groupRecords_) {
            groupRecords_->fill(groups::allLeaves(TreeView1->outline()));
        }
    });
}

void TForm1::ShowAllItemsBtnClick()
{
    ListAllLeaves();
}

void TForm1::ShowItemsBtnClick()
{
    guarded([&] {
        if (groupRecords_) {
            groupRecords_->fill(groups::leavesOfCategory(TreeView1->outline(), CatViewComboBox->currentText()));
        }
    });
}

void TForm1::AssignCatBtnClick()
{
    guarded([&] {
        // The list and the toolbar's category box are left as they are.
        if (const NoteRef record = pickedRecord()) {
            record->setCategory(CatViewComboBox->currentText());
        }
    });
}

void TForm1::ListBoxClick()
{
    guarded([&] {
        const NoteRef record = pickedRecord();
        if (!record) {
            return;
        }
        CopyLines(record->Notes, *RichEdit2->document());
        // Set from code: not a change by the user.
        CatViewComboBox->setEditText(record->categoryText());
    });
}

void TForm1::RichEdit2Exit()
{
    guarded([&] {
        // With nothing picked the viewer's text is stored nowhere.
        const NoteRef record = pickedRecord();
        if (!record) {
            return;
        }
        CopyLines(*RichEdit2->document(), record->Notes);
        // The leaf editor shows the viewer's edits when both show the same leaf, else its own last text.
        if (const OutlineNode *selected = TreeView1->currentItem()) {
            CopyLines(selected->record()->Notes, *RichEdit1->document());
        }
    });
}
