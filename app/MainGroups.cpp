// The Groups page: its controls, listing every leaf or one category's leaves, reading and editing the
// picked leaf in the viewer, and assigning categories.
#include "app/Main.h"

#include "app/completingcombo.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "app/styles.h"
#include "document/commands.h"
#include "document/copylines.h"
#include "app/grouplist.h"

#include <QListWidget>
#include <QPushButton>
#include <QUndoStack>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QPushButton *groupsButton(QWidget *parent, const char *name, const QString &caption, int left)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 8, 69, 20);
    return button;
}

} // namespace

void TForm1::buildGroupsPage()
{
    CategoryViewPage = new QWidget(PageControl);
    CategoryViewPage->setObjectName(QStringLiteral("CategoryViewPage"));
    CategoryViewPage->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto *groupsLayout = new QVBoxLayout(CategoryViewPage);
    groupsLayout->setContentsMargins(0, 0, 0, 0);
    groupsLayout->setSpacing(0);

    Panel3 = new QWidget(CategoryViewPage);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(41);
    CatViewComboBox = new CompletingComboBox(Panel3);
    CatViewComboBox->setObjectName(QStringLiteral("CatViewComboBox"));
    CatViewComboBox->setEditable(true);
    CatViewComboBox->setGeometry(12, 8, 145, 21);
    CatViewComboBox->setEditText(QStringLiteral("CatViewComboBox"));
    ShowAllItemsBtn = groupsButton(Panel3, "ShowAllItemsBtn", QStringLiteral("All"), 160);
    ShowItemsBtn = groupsButton(Panel3, "ShowItemsBtn", QStringLiteral("Catagories"), 232);
    AssignCatBtn = groupsButton(Panel3, "AssignCatBtn", QStringLiteral("Assign"), 304);
    groupsLayout->addWidget(Panel3);

    Splitter1 = new QSplitter(Qt::Vertical, CategoryViewPage);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(true);
    Splitter1->setOpaqueResize(false);
    ListBox = new GroupListBox(Splitter1);
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->setMinimumHeight(30);
    ListBox->setItemDelegate(new FixedRowDelegate(13, ListBox));
    ListBox->setUniformItemSizes(true);
    RichEdit2 = new LeafEditor(Splitter1);
    RichEdit2->setObjectName(QStringLiteral("RichEdit2"));
    RichEdit2->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEdit2->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEdit2->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit2->setTabChangesFocus(false);
    RichEdit2->setMinimumHeight(30);
    Splitter1->addWidget(ListBox);
    Splitter1->addWidget(RichEdit2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({116, 460 - 41 - 116 - 3});
    groupsLayout->addWidget(Splitter1, 1);

    PageControl->addTab(CategoryViewPage, QStringLiteral("Groups"));

    // Tab order on the Groups page: the box, "Catagories", "All", "Assign", then the list and viewer.
    setTabOrder(CatViewComboBox, ShowItemsBtn);
    setTabOrder(ShowItemsBtn, ShowAllItemsBtn);
    setTabOrder(ShowAllItemsBtn, AssignCatBtn);
    setTabOrder(AssignCatBtn, ListBox);
    setTabOrder(ListBox, RichEdit2);
}

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

OutlineNode *TForm1::leafOf(const NoteRef &record) const
{
    OutlineNode *found = nullptr;
    outline::walk(TreeView1->outline(), [&](OutlineNode *node, int) {
        if (found == nullptr && node->record() == record) {
            found = node;
        }
    });
    return found;
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
        const NoteRef record = pickedRecord();
        if (!record) {
            return;
        }
        const QByteArray category = categoryBytes(CatViewComboBox->currentText());
        if (category == record->Category()) {
            return;
        }
        // A pruned leaf's entry still works; its record is out of the outline and of its history.
        if (OutlineNode *leaf = leafOf(record)) {
            history_->push(new commands::SetCategory(TreeView1->outline(), leaf, category));
        } else {
            record->setCategory(category);
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
        pickedRevision_ = RichEdit2->document()->revision();
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
        // Nothing typed in the viewer since it was loaded: the record keeps its own bytes.
        if (RichEdit2->document()->revision() != pickedRevision_) {
            LineList text;
            CopyLines(*RichEdit2->document(), text);
            pickedRevision_ = RichEdit2->document()->revision();
            OutlineNode *leaf = text != record->Notes ? leafOf(record) : nullptr;
            if (leaf != nullptr) {
                history_->push(new commands::SetText(TreeView1->outline(), QStringLiteral("Text"), leaf, std::move(text)));
            } else {
                record->Notes = std::move(text);
            }
        }
        // The leaf editor shows the viewer's edits when both show the same leaf, else its own last text.
        if (const OutlineNode *selected = TreeView1->currentItem()) {
            CopyLines(selected->record()->Notes, *RichEdit1->document());
            shownRevision_ = RichEdit1->document()->revision();
        }
    });
}
