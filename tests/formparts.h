// The main window's controls as the window tests and benchmarks reach them: found once by objectName.
#pragma once

#include "app/Main.h"
#include "app/Options.h"
#include "app/Unit2.h"
#include "app/completingcombo.h"
#include "app/findcontroller.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "app/updown.h"

#include <QAction>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QtGlobal>

// Every control of a TForm1, by the name the window gives it. A control that is missing stops the
// program with its name: a test cannot go on without it.
struct FormParts
{
    explicit FormParts(TForm1 &form) : form_(form) {}

    // The child of the window of type T with this objectName.
    template<class T>
    T *find(const char *name) const
    {
        T *part = form_.findChild<T *>(QLatin1String(name));
        if (part == nullptr) {
            qFatal("The window has no %s named \"%s\"", T::staticMetaObject.className(), name);
        }
        return part;
    }

    // The secondary windows exist once createSecondaryForms (or the command showing them) has run.
    TOptionsForm *OptionsForm() const { return find<TOptionsForm>("OptionsForm"); }
    TForm2 *Form2() const { return find<TForm2>("Form2"); }

private:
    TForm1 &form_;

public:
    QMenu *FileMenu = find<QMenu>("FileMenu");
    QAction *New1 = find<QAction>("New1");
    QAction *Open1 = find<QAction>("Open1");
    QAction *Save1 = find<QAction>("Save1");
    QAction *SaveAs1 = find<QAction>("SaveAs1");
    QAction *Options1 = find<QAction>("Options1");
    QAction *Exit1 = find<QAction>("Exit1");
    QMenu *Node1 = find<QMenu>("Node1");
    QAction *MoveLeft1 = find<QAction>("MoveLeft1");
    QAction *MoveRight1 = find<QAction>("MoveRight1");
    QAction *Add1 = find<QAction>("Add1");
    QAction *AddChild1 = find<QAction>("AddChild1");
    QAction *AddAbove1 = find<QAction>("AddAbove1");
    QAction *Remove1 = find<QAction>("Remove1");
    QAction *ImportText1 = find<QAction>("ImportText1");
    QAction *ExportText1 = find<QAction>("ExportText1");
    QMenu *Help1 = find<QMenu>("Help1");
    QAction *Contents1 = find<QAction>("Contents1");
    QAction *About1 = find<QAction>("About1");

    QToolBar *StandardToolBar = find<QToolBar>("StandardToolBar");
    QToolButton *NewTreeButton = find<QToolButton>("ToolButton1");
    QToolButton *OpenButton = find<QToolButton>("OpenButton");
    QToolButton *SaveButton = find<QToolButton>("SaveButton");
    QToolButton *MoveLeftButton = find<QToolButton>("ToolButton3");
    QToolButton *MoveRightButton = find<QToolButton>("ToolButton4");
    QToolButton *AddLeafButton = find<QToolButton>("CutButton");
    QToolButton *AddLeafBelowButton = find<QToolButton>("CopyButton");
    QToolButton *AddLeafAboveButton = find<QToolButton>("PasteButton");
    QToolButton *PruneButton = find<QToolButton>("UndoButton");
    QToolButton *ImportTextButton = find<QToolButton>("ToolButton6");
    QToolButton *ExportTextButton = find<QToolButton>("ToolButton7");
    CompletingComboBox *TreeViewComboBox = find<CompletingComboBox>("TreeViewComboBox");
    CompletingComboBox *FontName = find<CompletingComboBox>("FontName");
    QLineEdit *FontSize = find<QLineEdit>("FontSize");
    UpDown *UpDown1 = find<UpDown>("UpDown1");
    QToolButton *BoldButton = find<QToolButton>("BoldButton");
    QToolButton *ItalicButton = find<QToolButton>("ItalicButton");
    QToolButton *UnderlineButton = find<QToolButton>("UnderlineButton");
    QToolButton *LeftAlign = find<QToolButton>("LeftAlign");
    QToolButton *CenterAlign = find<QToolButton>("CenterAlign");
    QToolButton *RightAlign = find<QToolButton>("RightAlign");
    QButtonGroup *AlignGroup = find<QButtonGroup>("AlignGroup");
    QToolButton *BulletsButton = find<QToolButton>("BulletsButton");

    QTabWidget *PageControl = find<QTabWidget>("PageControl");
    FindController *Finder = find<FindController>("Finder");
    QWidget *TreeViewPage = find<QWidget>("TreeViewPage");
    QSplitter *Splitter2 = find<QSplitter>("Splitter2");
    OutlineTree *TreeView1 = find<OutlineTree>("TreeView1");
    LeafEditor *RichEdit1 = find<LeafEditor>("RichEdit1");
    QWidget *Panel1 = find<QWidget>("Panel1");
    QWidget *CategoryViewPage = find<QWidget>("CategoryViewPage");
    QWidget *Panel3 = find<QWidget>("Panel3");
    CompletingComboBox *CatViewComboBox = find<CompletingComboBox>("CatViewComboBox");
    QPushButton *ShowAllItemsBtn = find<QPushButton>("ShowAllItemsBtn");
    QPushButton *ShowItemsBtn = find<QPushButton>("ShowItemsBtn");
    QPushButton *AssignCatBtn = find<QPushButton>("AssignCatBtn");
    QListWidget *ListBox = find<QListWidget>("ListBox");
    QSplitter *Splitter1 = find<QSplitter>("Splitter1");
    LeafEditor *RichEdit2 = find<LeafEditor>("RichEdit2");
    QStatusBar *StatusBar1 = find<QStatusBar>("StatusBar1");
};
