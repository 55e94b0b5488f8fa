// The leaf editor: text and category following the tree's selection, the exit handling, the
// formatting toolbar, the keyboard shortcuts and the font list.
#include "app/Main.h"

#include "app/completingcombo.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "app/selectionattributes.h"
#include "app/updown.h"
#include "document/commands.h"
#include "document/copylines.h"
#include "document/tvclasses.h"
#include "text/formatting.h"
#include "text/richtext.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextDocument>
#include <QUndoStack>
#include <QToolButton>

void TForm1::bindEditorHandlers()
{
    // The tree reports the move after it happened: the leaf being left is stored, then the new one loaded.
    connect(TreeView1, &OutlineWidget::currentItemChanged, this, [this](OutlineNode *current, OutlineNode *previous) {
        if (!selectionHandlersOn()) {
            return;
        }
        // The item being left is only compared with null: it may be in the middle of its destruction.
        if (previous != nullptr) {
            guarded([&] { TreeView1Changing(); });
        }
        guarded([&] { TreeView1Change(current); });
    });
    connect(RichEdit1, &LeafEditor::exited, this, [this] { guarded([this] { RichEdit1Exit(); }); });
    for (LeafEditor *editor : {RichEdit1, RichEdit2}) {
        // Direct connections: the key-press handler decides before the editor sees the key.
        connect(editor, &LeafEditor::keyPressed, this,
                [this, editor](QKeyEvent *event) { guarded([&] { RichEdit1KeyPress(editor, event); }); });
        connect(editor, &LeafEditor::keyReleased, this,
                [this, editor](QKeyEvent *event) { guarded([&] { RichEdit1KeyUp(editor, event); }); });
    }
    // The Groups viewer does not take Tab as input: there the key moves the focus.
    RichEdit2->setTabChangesFocus(true);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) { editorFocusChanged(old, now); });

    connect(TreeViewComboBox, &CompletingComboBox::userChanged, this,
            [this] { guarded([this] { TreeViewComboBoxChange(); }); });
    connect(FontName, &CompletingComboBox::userChanged, this, [this] { guarded([this] { FontNameChange(); }); });

    UpDown1->setRange(0, 100);
    UpDown1->setPosition(12);
    UpDown1->setBuddy(FontSize);
    // Every change of the size box's text applies, whether typed or written by the arrows.
    connect(FontSize, &QLineEdit::textChanged, this, [this] { guarded([this] { FontSizeChange(); }); });

    // The formatting follows the button's state however it changes: a mouse click, Space, or a screen
    // reader's "Toggle" action, which toggles the button without clicking it.
    connect(BoldButton, &QToolButton::toggled, this, [this] { guarded([this] { BoldButtonClick(); }); });
    connect(ItalicButton, &QToolButton::toggled, this, [this] { guarded([this] { ItalicButtonClick(); }); });
    connect(UnderlineButton, &QToolButton::toggled, this, [this] { guarded([this] { UnderlineButtonClick(); }); });
    connect(BulletsButton, &QToolButton::toggled, this, [this] { guarded([this] { BulletsButtonClick(); }); });
    for (QToolButton *button : {LeftAlign, CenterAlign, RightAlign}) {
        // An alignment button goes down by toggling; pressing the one already down toggles nothing and
        // applies its alignment again.
        connect(button, &QToolButton::pressed, this, [this, button] { alignWasDown_ = button->isChecked(); });
        connect(button, &QToolButton::toggled, this, [this, button](bool down) {
            if (down) {
                guarded([&] { LeftAlignClick(button); });
            }
        });
        connect(button, &QToolButton::clicked, this, [this, button] {
            if (alignWasDown_) {
                guarded([&] { LeftAlignClick(button); });
            }
            alignWasDown_ = false;
        });
    }
}

void TForm1::editorFocusChanged(QWidget *old, QWidget *now)
{
    // Focus going to another window (a dialog, a drop-down list) leaves the recorded control as it is.
    if (now == nullptr || (now != this && !isAncestorOf(now))) {
        return;
    }
    // The add commands record the editor as focused while the keyboard stays in the caption edit
    // box; the editor's exit handling is then due as soon as the keyboard reaches another control.
    // When the editor itself had the keyboard, its own focus-out has already run it.
    if (now != RichEdit1 && activeControl() == RichEdit1 && old != RichEdit1) {
        guarded([this] { RichEdit1Exit(); });
    }
    setActiveControl(now);
}

bool TForm1::showsLeafInTree() const
{
    if (shownNode_ == nullptr || shownNode_->record() != shownRecord_ || shownNode_->model() != &TreeView1->outline()) {
        return false;
    }
    // A leaf just added takes the editor and the box as part of the step that added it.
    return shownNode_ != freshLeaf_ || history_->index() != freshIndex_;
}

void TForm1::storeLeafEditor()
{
    // Nothing typed since the text was loaded or stored: the record keeps its own bytes.
    if (shownRecord_ == nullptr || RichEdit1->document()->revision() == shownRevision_) {
        return;
    }
    LineList text;
    CopyLines(*RichEdit1->document(), text);
    shownRevision_ = RichEdit1->document()->revision();
    if (text == shownRecord_->Notes) {
        return;
    }
    if (showsLeafInTree()) {
        history_->push(new commands::SetText(TreeView1->outline(), QStringLiteral("Text"), shownNode_, std::move(text)));
    } else {
        shownRecord_->Notes = std::move(text);
    }
}

void TForm1::storeShownCategory()
{
    if (shownRecord_ == nullptr) {
        return;
    }
    const QByteArray category = categoryBytes(TreeViewComboBox->currentText());
    if (category == shownRecord_->Category()) {
        return;
    }
    if (showsLeafInTree()) {
        history_->push(new commands::SetCategory(TreeView1->outline(), shownNode_, category));
    } else {
        shownRecord_->setCategory(category);
    }
}

void TForm1::storeShownLeaf()
{
    // The editor and the box hold the working copies of the record loaded last; the item being
    // left is not read, since it may be in the middle of its destruction.
    storeLeafEditor();
    storeShownCategory();
}

void TForm1::TreeView1Changing()
{
    storeShownLeaf();
    if (shownNode_ == freshLeaf_) {
        freshLeaf_ = nullptr;
    }
}

void TForm1::TreeView1Change(OutlineNode *arriving)
{
    if (arriving == nullptr) {
        return;
    }
    // Until the text is in, the editor holds no leaf's copy: a failed load stores nothing anywhere.
    shownRecord_.reset();
    const NoteRef record = arriving->record();
    if (emptiesNextLoad_) {
        // Emptied as if loaded and then cleared: the empty text counts as typed, so leaving stores it.
        RichEdit1->clear();
        shownRevision_ = -1;
    } else {
        CopyLines(record->Notes, *RichEdit1->document());
        shownRevision_ = RichEdit1->document()->revision();
        // Text read in went in before the editor's cursor: a leaf shows from its start.
        RichEdit1->moveCursor(QTextCursor::Start);
    }
    shownRecord_ = record;
    shownNode_ = arriving;
    TreeViewComboBox->setEditText(record->categoryText());
}

void TForm1::RichEdit1Exit()
{
    if (TreeView1->currentItem() == nullptr) {
        return;
    }
    storeLeafEditor();
    if (const std::shared_ptr<noteob> picked = pickedRecord()) {
        CopyLines(picked->Notes, *RichEdit2->document());
        pickedRevision_ = RichEdit2->document()->revision();
    }
}

void TForm1::TreeViewComboBoxChange()
{
    if (TreeView1->currentItem() == nullptr) {
        return;
    }
    storeShownCategory();
}

void TForm1::RichEdit1KeyPress(LeafEditor *sender, QKeyEvent *event)
{
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    if (command || (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab)) {
        return;
    }
    // A typed Tab becomes a space before the editor sees it.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    sender->typeKey(&space);
    event->accept();
}

void TForm1::RichEdit1KeyUp(LeafEditor *sender, QKeyEvent *event)
{
    // The release of the letter decides, with Ctrl held; a key held down repeats no toggling.
    if ((event->modifiers() & Qt::ControlModifier) == 0 || event->isAutoRepeat()) {
        return;
    }
    const int flag = formatting::shortcutStyle(event->key());
    if (flag != 0) {
        toggleStyle(sender, flag);
    }
}

void TForm1::toggleStyle(LeafEditor *editor, int flag)
{
    SelectionAttributes attributes(editor);
    attributes.setStyle(attributes.style() ^ flag);
}

SelectionAttributes TForm1::CurrText()
{
    return SelectionAttributes(RichEdit1);
}

void TForm1::setCurrTextStyle(int flag, bool on)
{
    SelectionAttributes attributes = CurrText();
    const int styles = attributes.style();
    attributes.setStyle(on ? (styles | flag) : (styles & ~flag));
}

void TForm1::BoldButtonClick()
{
    setCurrTextStyle(formatting::Bold, BoldButton->isChecked());
}

void TForm1::ItalicButtonClick()
{
    setCurrTextStyle(formatting::Italic, ItalicButton->isChecked());
}

void TForm1::UnderlineButtonClick()
{
    setCurrTextStyle(formatting::Underline, UnderlineButton->isChecked());
}

void TForm1::FontNameChange()
{
    const int picked = FontName->currentIndex();
    CurrText().setName(picked >= 0 ? FontName->itemText(picked) : QString());
    RichEdit1->setFocus();
}

void TForm1::FontSizeChange()
{
    CurrText().setSize(formatting::StrToInt(FontSize->text()));
}

void TForm1::LeftAlignClick(QObject *sender)
{
    // The tag's low byte: 0 left, 1 right, 2 centre.
    switch (sender->property("Tag").toInt() & 0xFF) {
    case 0:
        RichEdit1->setAlignment(Qt::AlignLeft);
        break;
    case 1:
        RichEdit1->setAlignment(Qt::AlignRight);
        break;
    case 2:
        RichEdit1->setAlignment(Qt::AlignHCenter);
        break;
    default:
        break;
    }
}

void TForm1::BulletsButtonClick()
{
    formatting::setBullets(RichEdit1->textCursor(), BulletsButton->isChecked());
}

void TForm1::GetFontNames()
{
    // Face names are at most 31 characters, as the font enumeration reports them.
    QStringList names;
    for (const QString &family : QFontDatabase::families()) {
        names << family.left(formatting::MaxFaceNameChars);
    }
    names.removeDuplicates();
    names.sort(Qt::CaseInsensitive);
    FontName->clear();
    FontName->addItems(names);
    FontName->setCurrentIndex(-1);
    FontName->setEditText(QString());

    // The base font: what new and plain text in the leaf editor takes.
    QFont base = RichEdit1->document()->defaultFont();
    base.setPointSize(richtext::baseFont().pointSize());
    base.setFamilies(richtext::baseFont().families());
    RichEdit1->setFont(base);
    RichEdit1->document()->setDefaultFont(base);
}
