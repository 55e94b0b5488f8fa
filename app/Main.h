// The main window: the outline tree, the leaf editor, the Groups page and every user command.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "document/formats/leafsource.h"

#include <memory>
#include <optional>

// What follows the last backslash, colon or slash of a path: the name the window caption shows.
QString fileNamePart(const QString &path);

class QAction;
class QButtonGroup;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTextDocument;
class QToolBar;
class QToolButton;
class OutlineNode;
struct TreeFileContents;
namespace outline {
enum class Placement;
}

class CompletingComboBox;
class FindController;
class FileAsker;
class LeafEditor;
class OutlineTree;
class SelectionAttributes;
class SoundPlayer;
class TForm2;
class TOptionsForm;
class UpDown;
class noteob;
class GroupListRecords;
class QCloseEvent;
class QUndoStack;

// TForm1 builds the window and binds each control to its handler. Handlers stay thin: each runs
// inside guarded(...) and calls into the core. Sections below are kept per area of the program.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // ---- Program-wide values ------------------------------------------------------------------
    // The caption of every new leaf: "O", or a document's path while it is being opened.
    QString NewLeafCaption;
    // Sounds play only once the window has been created.
    bool SoundsOn = false;

    // Creates the two secondary windows (OptionsForm, Form2) hidden, after the main window.
    void createSecondaryForms();

    // ---- Start-up and shell (Main.cpp) ----------------------------------------------------------
    // args are the command-line arguments after the program name.
    void FormCreate(const QStringList &args);
    void Beeper(unsigned index);
    void About1Click();
    void Exit1Click();
    void Options1Click();
    void TreeView1Enter();
    void FormKeyDown();
    void ClearTree();
    bool HasSelectedLeaf() const;
    SoundPlayer *soundPlayer() const { return sounds_.get(); }

    // ---- Outline commands (MainOutline.cpp) -----------------------------------------------------
    void AddBtnClick();
    void InsertBtnClick();
    void AddChildBtnClick();
    void DelBtnClick();
    void InBtnClick();
    void OutBtnClick();
    void MoveUpClick();
    void MoveDownClick();
    bool TreeView1DragOver(const QPoint &pos);
    void TreeView1DragDrop(const QPoint &pos);  // viewport coordinates

    // ---- Leaf editor and formatting (MainEditor.cpp) --------------------------------------------
    // Stores the editor and the category box into the record they were loaded from.
    void TreeView1Changing();
    void TreeView1Change(OutlineNode *arriving);
    void RichEdit1Exit();
    void RichEdit1KeyPress(LeafEditor *sender, QKeyEvent *event);
    void RichEdit1KeyUp(LeafEditor *sender, QKeyEvent *event);
    void TreeViewComboBoxChange();
    void GetFontNames();
    SelectionAttributes CurrText();
    void FontNameChange();
    void FontSizeChange();
    void BoldButtonClick();
    void ItalicButtonClick();
    void UnderlineButtonClick();
    // Handles all three alignment buttons, told apart by their "Tag" property.
    void LeftAlignClick(QObject *sender);
    void BulletsButtonClick();
    // While false, the tree's selection changes store and load nothing (moves switch them off).
    bool selectionHandlersOn() const { return selectionHandlersOn_; }
    // Keeps the tree's selection handlers off for its lifetime, also when what runs meanwhile throws.
    class SelectionHandlersOff
    {
    public:
        explicit SelectionHandlersOff(TForm1 &form) : form_(form), wasOn_(form.selectionHandlersOn_)
        {
            form_.selectionHandlersOn_ = false;
        }
        ~SelectionHandlersOff() { form_.selectionHandlersOn_ = wasOn_; }
        SelectionHandlersOff(const SelectionHandlersOff &) = delete;
        SelectionHandlersOff &operator=(const SelectionHandlersOff &) = delete;

    private:
        TForm1 &form_;
        bool wasOn_;
    };
    // The control the window counts as focused, apart from the keyboard focus.
    QWidget *activeControl() const { return activeControl_; }
    void setActiveControl(QWidget *control) { activeControl_ = control; }

    // ---- Document commands (MainDocuments.cpp) --------------------------------------------------
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void ImportText1Click();
    void ExportText1Click();
    void Contents1Click();
    void OpenDocument(const QString &path);
    void SaveTree(const QString &path);

    // ---- Outlines of other kinds, export and printing (MainOutlineFiles.cpp) ---------------------
    void ImportOutline1Click();
    void ExportOutline1Click();
    void Print1Click();
    void PrintPreview1Click();
    // File dialogs and questions go through a replaceable asker, so tests never wait on a dialog.
    FileAsker &asker() const { return *asker_; }
    void setAsker(std::unique_ptr<FileAsker> asker);
    // The remembered document name that Save writes to: OpenDialog1's file name, "*.*" at start.
    const QString &rememberedName() const { return openDialog1Name_; }
    // Where Help > Contents looks for "Quillax.tre", in order: the current directory, beside the
    // program, the installed data folder.
    static QStringList helpDocumentCandidates();

    // ---- The outline's history and the unsaved-changes question (MainHistory.cpp) ---------------
    void UndoClick();
    void RedoClick();
    void CutLeafClick();
    void CopyLeafClick();
    void PasteLeafClick();
    void DuplicateLeafClick();
    // The steps of the outline since it was last read or saved, and what it can undo and redo.
    QUndoStack &history() const { return *history_; }
    // True when the outline differs from what was last read or saved: a step of the history since, or
    // text typed in the shown leaf and not yet stored.
    bool isOutlineModified() const;
    // Asks "Save changes to ...?" when the outline is modified. True when the command may go on: nothing
    // changed, the changes were discarded, or they were saved.
    bool maySetOutlineAside();

    // ---- Groups page (MainGroups.cpp) -----------------------------------------------------------
    void ShowAllItemsBtnClick();
    void ShowItemsBtnClick();
    void AssignCatBtnClick();
    void ListBoxClick();
    void RichEdit2Exit();
    void ListAllLeaves();
    // The record of the Groups list's picked entry, or null when none is picked. The leaf editor's
    // exit handler reloads the viewer from it.
    std::shared_ptr<noteob> pickedRecord() const;

private:
    // ---- Controls: each carries its name as objectName, by which tests and scripts find it ----
    QMenu *FileMenu = nullptr;
    QAction *New1 = nullptr;
    QAction *Open1 = nullptr;
    QAction *Save1 = nullptr;
    QAction *SaveAs1 = nullptr;
    QAction *ImportOutline1 = nullptr;
    QAction *ExportOutline1 = nullptr;
    QAction *Print1 = nullptr;
    QAction *PrintPreview1 = nullptr;
    QAction *Options1 = nullptr;
    QAction *Exit1 = nullptr;
    QMenu *EditMenu = nullptr;
    QAction *Undo1 = nullptr;
    QAction *Redo1 = nullptr;
    QAction *CutLeaf1 = nullptr;
    QAction *CopyLeaf1 = nullptr;
    QAction *PasteLeaf1 = nullptr;
    QAction *DuplicateLeaf1 = nullptr;
    QMenu *Node1 = nullptr;
    QAction *MoveLeft1 = nullptr;
    QAction *MoveRight1 = nullptr;
    QAction *MoveUp1 = nullptr;
    QAction *MoveDown1 = nullptr;
    QAction *Add1 = nullptr;
    QAction *AddChild1 = nullptr;
    QAction *AddAbove1 = nullptr;
    QAction *Remove1 = nullptr;
    QAction *ImportText1 = nullptr;
    QAction *ExportText1 = nullptr;
    QMenu *Help1 = nullptr;
    QAction *Contents1 = nullptr;
    QAction *About1 = nullptr;

    QToolBar *StandardToolBar = nullptr;
    // The toolbar buttons keep their historical object names (ToolButton1, CutButton, ...), which
    // scripts that drive the window look for.
    QToolButton *NewTreeButton = nullptr;
    QToolButton *OpenButton = nullptr;
    QToolButton *SaveButton = nullptr;  // Save As
    QToolButton *MoveLeftButton = nullptr;
    QToolButton *MoveRightButton = nullptr;
    QToolButton *AddLeafButton = nullptr;
    QToolButton *AddLeafBelowButton = nullptr;
    QToolButton *AddLeafAboveButton = nullptr;
    QToolButton *PruneButton = nullptr;
    QToolButton *ImportTextButton = nullptr;  // Import Text at Current Leaf
    QToolButton *ExportTextButton = nullptr;  // Export Text at Current Leaf
    CompletingComboBox *TreeViewComboBox = nullptr;
    CompletingComboBox *FontName = nullptr;
    QLineEdit *FontSize = nullptr;
    UpDown *UpDown1 = nullptr;
    QToolButton *BoldButton = nullptr;
    QToolButton *ItalicButton = nullptr;
    QToolButton *UnderlineButton = nullptr;
    QToolButton *LeftAlign = nullptr;    // property "Tag" 0
    QToolButton *CenterAlign = nullptr;  // property "Tag" 2
    QToolButton *RightAlign = nullptr;   // property "Tag" 1
    QButtonGroup *AlignGroup = nullptr;
    QToolButton *BulletsButton = nullptr;

    QTabWidget *PageControl = nullptr;
    // Tree > Find... and the find field below the outline.
    FindController *Finder = nullptr;
    QWidget *TreeViewPage = nullptr;
    QSplitter *Splitter2 = nullptr;
    OutlineTree *TreeView1 = nullptr;
    LeafEditor *RichEdit1 = nullptr;
    QWidget *Panel1 = nullptr;
    QWidget *CategoryViewPage = nullptr;
    QWidget *Panel3 = nullptr;
    CompletingComboBox *CatViewComboBox = nullptr;
    QPushButton *ShowAllItemsBtn = nullptr;
    QPushButton *ShowItemsBtn = nullptr;
    QPushButton *AssignCatBtn = nullptr;
    QListWidget *ListBox = nullptr;
    QSplitter *Splitter1 = nullptr;
    LeafEditor *RichEdit2 = nullptr;
    QStatusBar *StatusBar1 = nullptr;

    // The two secondary windows, created hidden after the main window (createSecondaryForms).
    TOptionsForm *OptionsForm = nullptr;
    TForm2 *Form2 = nullptr;

    // Each area binds its own handlers to the controls built by the constructor.
    void buildWindow();
    void buildGroupsPage();
    // Runs handler, guarded, when the action triggers or when the button is clicked, where the button
    // is not the action's own (a menu item and its toolbar button share one action).
    void bindCommand(QAction *action, QToolButton *button, void (TForm1::*handler)());
    void bindShellHandlers();
    void bindOutlineHandlers();
    void bindEditorHandlers();
    void bindDocumentHandlers();
    void bindGroupsHandlers();
    // Disconnects every handler from the controls, so the focus changes of the window's own destruction
    // reach none.
    void detachHandlers();

    std::unique_ptr<SoundPlayer> sounds_;
    std::unique_ptr<FileAsker> asker_;
    bool selectionHandlersOn_ = true;
    QPointer<QWidget> activeControl_;

    // ---- Outline state (MainOutline.cpp) ----
    void selectAndEditNewLeaf(OutlineNode *item);
    void selectAndEditEmptiedLeaf(OutlineNode *item);
    void resetEditorAndBox();
    // A new leaf whose text is the editor's.
    OutlineNode *leafOfEditorText() const;
    // A new leaf put in by a step of the history, relative to target as the placement says.
    void insertNewLeaf(const QString &step, OutlineNode *leaf, outline::Placement placement, OutlineNode *target);
    // Moves the selected leaf by the move rules as one step, with the selection handlers off throughout.
    void moveSelectedLeaf(const QString &step, outline::Placement placement, OutlineNode *target);
    // Takes the selected leaf out as one step; the current leaf moves as the tree would move it.
    void removeSelectedLeaf(const QString &step);
    void focusTree();

    // ---- History state (MainHistory.cpp) ----
    QUndoStack *history_ = nullptr;
    // Set once the session's end asked about the changes, so that closing asks no more.
    bool closeConfirmed_ = false;
    void buildEditMenu();
    // Puts leaves in no tree after the selected leaf as its following siblings (at the top level when
    // none is selected) as one step, and selects the first.
    void insertAfterSelected(const QString &step, const QList<OutlineNode *> &leaves);
    // Undoes or redoes one step and shows the leaf it touched, its ancestors open.
    void stepHistory(bool undo);
    // The history starts afresh, the outline counting as unchanged.
    void startHistory();
    // Text typed in the shown leaf and a category typed in the box become steps of their own.
    void storeShownLeaf();
    void closeEvent(QCloseEvent *event) override;

    // ---- Editor state (MainEditor.cpp) ----
    // The record whose text the leaf editor shows. Stores go here rather than through the tree
    // item being left, which may already be half destroyed when the selection changes.
    std::shared_ptr<noteob> shownRecord_;
    // The leaf whose record the editor shows, and the editor's revision when its text was loaded or
    // last stored: a later revision means text was typed since.
    OutlineNode *shownNode_ = nullptr;
    int shownRevision_ = -1;
    // Set while a new leaf is selected that the editor shows empty at once (Add Leaf, Add Leaf Below).
    bool emptiesNextLoad_ = false;
    // The leaf the last step added, until it is first left, and the history's index after that step (or
    // after renaming the leaf in place right then).
    OutlineNode *freshLeaf_ = nullptr;
    int freshIndex_ = -1;
    // Whether the alignment button being pressed was down already (a press then toggles nothing).
    bool alignWasDown_ = false;
    void storeLeafEditor();
    void storeShownCategory();
    // True while the editor shows a leaf of the outline, so that storing it is a step of the history (not
    // for a leaf just added, whose step takes what is stored into it).
    bool showsLeafInTree() const;
    void editorFocusChanged(QWidget *old, QWidget *now);
    void toggleStyle(LeafEditor *editor, int flag);
    void setCurrTextStyle(int flag, bool on);

    // ---- Document state (MainDocuments.cpp) ----
    // The names the four file dialogs open with; each keeps its last confirmed name.
    QString openDialog1Name_ = QStringLiteral("*.*");
    QString saveDialog1Name_;
    QString openDialog2Name_ = QStringLiteral("*.*");
    QString saveDialog2Name_;
    // True while the outline is the one read whole from or last saved to the remembered name, that is while
    // the caption shows that file's name. Save writes there only then; otherwise it asks, as Save As.
    bool showsRememberedFile_ = false;
    void openTreeFile(const QString &path);
    void openTextDocument(const QString &path);
    // Shows an outline just read into the cleared tree: opened to the depth limit, listed on the Groups
    // page, its first leaf selected and the keyboard in the outline.
    void showReadOutline(const TreeFileContents &contents);
    void bindOutlineFileHandlers();
    // The names the import and export dialogs open with.
    QString importDialogName_;
    QString exportDialogName_;
    // The outline's name for titles: the caption's file name without its extension, or "NewTree".
    QString outlineName() const;
    // The leaves Print and Print Preview take, as the user chooses them (empty when cancelled); what is typed
    // in the editor is stored first.
    std::optional<formats::LeafSource> leavesToPrint();
    // Takes the keyboard focus away from the window's controls so their exit handlers store pending edits.
    void storePendingEdits();

    // ---- Groups state (MainGroups.cpp) ----
    // The viewer's revision when the picked entry's text was loaded or last stored.
    int pickedRevision_ = -1;
    // The leaf of the outline whose record this is, or null (a pruned leaf's entry).
    OutlineNode *leafOf(const std::shared_ptr<noteob> &record) const;
    // The records behind the Groups list's entries; a child of ListBox, so it goes with the list.
    QPointer<GroupListRecords> groupRecords_;
};
