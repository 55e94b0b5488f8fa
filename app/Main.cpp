// The main window's layout, menu and toolbar, start-up, sounds and the commands of the shell.
#include "app/Main.h"

#include "app/Options.h"
#include "app/Unit2.h"
#include "app/asker.h"
#include "app/beeper.h"
#include "app/completingcombo.h"
#include "app/findcontroller.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "app/styles.h"
#include "app/updown.h"
#include "document/tvclasses.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr auto MainTitle = "Quillax - NewTree";

QIcon toolbarImage(int index)
{
    return QIcon(QStringLiteral(":/toolbar/%1.png").arg(index, 2, 10, QLatin1Char('0')));
}

QAction *makeAction(QObject *parent, const char *name, const QString &caption, int image = -1)
{
    auto *action = new QAction(caption, parent);
    action->setObjectName(QLatin1String(name));
    if (image >= 0) {
        action->setIcon(toolbarImage(image));
    }
    return action;
}

QAction *makeSeparator(QMenu *menu, const char *name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(QLatin1String(name));
    return separator;
}

// A toolbar button for a shared command: named, its hint as tooltip and as accessible name.
QToolButton *commandButton(QToolBar *bar, QAction *action, const char *name, const QString &hint)
{
    action->setToolTip(hint);
    bar->addAction(action);
    auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action));
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(hint);
    button->setFixedWidth(26);
    return button;
}

// A check button of the formatting controls: it never takes the focus away from the editor.
QToolButton *checkButton(QToolBar *bar, const char *name, const QString &hint, int image)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(toolbarImage(image));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setFixedWidth(26);
    bar->addWidget(button)->setObjectName(QStringLiteral("%1Action").arg(QLatin1String(name)));
    return button;
}

void setHint(QWidget *widget, const QString &hint)
{
    widget->setToolTip(hint);
    widget->setAccessibleName(hint);
}

// Reports key presses aimed at the window itself to FormKeyDown.
class KeyDownFilter : public QObject
{
public:
    explicit KeyDownFilter(TForm1 *form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == form_ && event->type() == QEvent::KeyPress) {
            guarded([this] { form_->FormKeyDown(); });
        }
        return false;
    }

private:
    TForm1 *form_;
};

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent), sounds_(std::make_unique<SoundPlayer>())
{
    asker_ = std::make_unique<DialogAsker>();
    buildWindow();
    buildEditMenu();
    bindShellHandlers();
    bindOutlineHandlers();
    bindEditorHandlers();
    bindDocumentHandlers();
    bindOutlineFileHandlers();
    bindGroupsHandlers();
    Finder = new FindController(*this, *TreeView1, *RichEdit1, *PageControl, *TreeViewPage, *FileMenu);
    connect(Finder, &FindController::storeRequested, this, [this] { guarded([this] { RichEdit1Exit(); }); });
}

TForm1::~TForm1()
{
    // ~QWidget still sends focus-out to the focused child after our members are gone: detach first.
    detachHandlers();
}

void TForm1::detachHandlers()
{
    QObject::disconnect(qApp, nullptr, this, nullptr);
    for (QObject *part : findChildren<QObject *>()) {
        QObject::disconnect(part, nullptr, this, nullptr);
    }
}

void TForm1::setAsker(std::unique_ptr<FileAsker> asker)
{
    asker_ = std::move(asker);
}

void TForm1::buildWindow()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QLatin1String(MainTitle));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addFile(QStringLiteral(":/icons/quillax-%1.png").arg(size), QSize(size, size));
    }
    setWindowIcon(icon);

    // ---- Menu ----
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    FileMenu = bar->addMenu(QStringLiteral("&Tree"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    New1 = makeAction(this, "New1", QStringLiteral("&New"), 0);
    Open1 = makeAction(this, "Open1", QStringLiteral("&Open"), 1);
    Save1 = makeAction(this, "Save1", QStringLiteral("&Save"), 2);
    // The toolbar's Save As button shows the disk; the menu's Save As item has no picture.
    SaveAs1 = makeAction(this, "SaveAs1", QStringLiteral("Save &As"), 2);
    SaveAs1->setIconVisibleInMenu(false);
    ImportOutline1 = makeAction(this, "ImportOutline1", QStringLiteral("&Import Outline..."));
    ExportOutline1 = makeAction(this, "ExportOutline1", QStringLiteral("Expor&t Outline..."));
    Print1 = makeAction(this, "Print1", QStringLiteral("&Print..."));
    Print1->setShortcut(QKeySequence::Print);
    PrintPreview1 = makeAction(this, "PrintPreview1", QStringLiteral("Print Pre&view..."));
    Options1 = makeAction(this, "Options1", QStringLiteral("&Display Options..."));
    Exit1 = makeAction(this, "Exit1", QStringLiteral("E&xit"));
    FileMenu->addAction(New1);
    FileMenu->addAction(Open1);
    makeSeparator(FileMenu, "N2");
    FileMenu->addAction(Save1);
    FileMenu->addAction(SaveAs1);
    FileMenu->addAction(ImportOutline1);
    FileMenu->addAction(ExportOutline1);
    makeSeparator(FileMenu, "N7");
    FileMenu->addAction(Print1);
    FileMenu->addAction(PrintPreview1);
    makeSeparator(FileMenu, "N8");
    FileMenu->addAction(Options1);
    makeSeparator(FileMenu, "N1");
    FileMenu->addAction(Exit1);

    EditMenu = bar->addMenu(QStringLiteral("&Edit"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    Undo1 = makeAction(this, "Undo1", QStringLiteral("&Undo"));
    Redo1 = makeAction(this, "Redo1", QStringLiteral("&Redo"));
    CutLeaf1 = makeAction(this, "CutLeaf1", QStringLiteral("Cu&t Leaf"));
    CopyLeaf1 = makeAction(this, "CopyLeaf1", QStringLiteral("&Copy Leaf"));
    PasteLeaf1 = makeAction(this, "PasteLeaf1", QStringLiteral("&Paste Leaf"));
    DuplicateLeaf1 = makeAction(this, "DuplicateLeaf1", QStringLiteral("D&uplicate Leaf"));
    EditMenu->addAction(Undo1);
    EditMenu->addAction(Redo1);
    makeSeparator(EditMenu, "N6");
    EditMenu->addAction(CutLeaf1);
    EditMenu->addAction(CopyLeaf1);
    EditMenu->addAction(PasteLeaf1);
    EditMenu->addAction(DuplicateLeaf1);

    Node1 = bar->addMenu(QStringLiteral("&Leaf"));
    Node1->setObjectName(QStringLiteral("Node1"));
    MoveLeft1 = makeAction(this, "MoveLeft1", QStringLiteral("Move &Left"), 20);
    MoveRight1 = makeAction(this, "MoveRight1", QStringLiteral("Move &Right"), 19);
    MoveUp1 = makeAction(this, "MoveUp1", QStringLiteral("Move &Up"));
    MoveDown1 = makeAction(this, "MoveDown1", QStringLiteral("Move &Down"));
    Add1 = makeAction(this, "Add1", QStringLiteral("&Add"), 15);
    AddChild1 = makeAction(this, "AddChild1", QStringLiteral("Add &Child"), 16);
    AddAbove1 = makeAction(this, "AddAbove1", QStringLiteral("Add A&bove"), 17);
    Remove1 = makeAction(this, "Remove1", QStringLiteral("&Remove"), 18);
    ImportText1 = makeAction(this, "ImportText1", QStringLiteral("&Import Doc"), 21);
    ExportText1 = makeAction(this, "ExportText1", QStringLiteral("&Export Doc"), 22);
    Node1->addAction(MoveLeft1);
    Node1->addAction(MoveRight1);
    Node1->addAction(MoveUp1);
    Node1->addAction(MoveDown1);
    makeSeparator(Node1, "N4");
    Node1->addAction(Add1);
    Node1->addAction(AddChild1);
    Node1->addAction(AddAbove1);
    Node1->addAction(Remove1);
    makeSeparator(Node1, "N5");
    Node1->addAction(ImportText1);
    Node1->addAction(ExportText1);

    Help1 = bar->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Contents1 = makeAction(this, "Contents1", QStringLiteral("&Contents"));
    About1 = makeAction(this, "About1", QStringLiteral("&About"));
    Help1->addAction(Contents1);
    makeSeparator(Help1, "N3");
    Help1->addAction(About1);

    // ---- Toolbar ----
    StandardToolBar = new QToolBar(this);
    StandardToolBar->setObjectName(QStringLiteral("StandardToolBar"));
    StandardToolBar->setIconSize(QSize(16, 16));
    StandardToolBar->setFloatable(false);
    StandardToolBar->setMovable(false);
    auto *toolBarStyle = new ToolBarStyle;
    toolBarStyle->setParent(StandardToolBar);
    StandardToolBar->setStyle(toolBarStyle);
    StandardToolBar->setMinimumHeight(32);
    StandardToolBar->setContentsMargins(4, 0, 0, 0);
    addToolBar(Qt::TopToolBarArea, StandardToolBar);

    NewTreeButton = commandButton(StandardToolBar, New1, "ToolButton1", QStringLiteral("New Tree"));
    OpenButton = commandButton(StandardToolBar, Open1, "OpenButton", QStringLiteral("Open"));
    SaveButton = commandButton(StandardToolBar, SaveAs1, "SaveButton", QStringLiteral("Save As"));
    StandardToolBar->addSeparator()->setObjectName(QStringLiteral("ToolButton2"));
    MoveLeftButton = commandButton(StandardToolBar, MoveLeft1, "ToolButton3", QStringLiteral("Move Left"));
    MoveRightButton = commandButton(StandardToolBar, MoveRight1, "ToolButton4", QStringLiteral("Move Right"));
    AddLeafButton = commandButton(StandardToolBar, Add1, "CutButton", QStringLiteral("Add Leaf"));
    AddLeafBelowButton = commandButton(StandardToolBar, AddChild1, "CopyButton", QStringLiteral("Add Leaf Below"));
    AddLeafAboveButton = commandButton(StandardToolBar, AddAbove1, "PasteButton", QStringLiteral("Add Leaf Above"));
    PruneButton = commandButton(StandardToolBar, Remove1, "UndoButton", QStringLiteral("Prune"));
    ImportTextButton = commandButton(StandardToolBar, ImportText1, "ToolButton6",
                                     QStringLiteral("Import Text at Current Leaf"));
    ExportTextButton = commandButton(StandardToolBar, ExportText1, "ToolButton7",
                                     QStringLiteral("Export Text at Current Leaf"));

    TreeViewComboBox = new CompletingComboBox(StandardToolBar);
    TreeViewComboBox->setObjectName(QStringLiteral("TreeViewComboBox"));
    TreeViewComboBox->setEditable(true);
    TreeViewComboBox->setFixedWidth(145);
    setHint(TreeViewComboBox, QStringLiteral("Catagory"));
    StandardToolBar->addWidget(TreeViewComboBox);

    FontName = new CompletingComboBox(StandardToolBar);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setEditable(true);
    FontName->setFixedWidth(159);
    FontName->setMaxVisibleItems(10);
    setHint(FontName, QStringLiteral("Font Style"));
    StandardToolBar->addWidget(FontName);

    FontSize = new QLineEdit(QStringLiteral("12"), StandardToolBar);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setFixedWidth(26);
    setHint(FontSize, QStringLiteral("Font Size"));
    StandardToolBar->addWidget(FontSize);

    UpDown1 = new UpDown(StandardToolBar);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    StandardToolBar->addWidget(UpDown1);

    BoldButton = checkButton(StandardToolBar, "BoldButton", QStringLiteral("Bold"), 8);
    ItalicButton = checkButton(StandardToolBar, "ItalicButton", QStringLiteral("Italic"), 9);
    UnderlineButton = checkButton(StandardToolBar, "UnderlineButton", QStringLiteral("Underline"), 10);
    LeftAlign = checkButton(StandardToolBar, "LeftAlign", QStringLiteral("Align Left"), 11);
    CenterAlign = checkButton(StandardToolBar, "CenterAlign", QStringLiteral("Center"), 12);
    RightAlign = checkButton(StandardToolBar, "RightAlign", QStringLiteral("Align Right"), 13);
    // The tags are the alignment codes the shared handler applies: 0 left, 1 right, 2 centre.
    LeftAlign->setProperty("Tag", 0);
    CenterAlign->setProperty("Tag", 2);
    RightAlign->setProperty("Tag", 1);
    AlignGroup = new QButtonGroup(this);
    AlignGroup->setObjectName(QStringLiteral("AlignGroup"));
    AlignGroup->setExclusive(true);
    AlignGroup->addButton(LeftAlign, 0);
    AlignGroup->addButton(CenterAlign, 2);
    AlignGroup->addButton(RightAlign, 1);
    LeftAlign->setChecked(true);
    BulletsButton = checkButton(StandardToolBar, "BulletsButton", QStringLiteral("Bullets"), 14);

    // ---- Pages ----
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setCentralWidget(PageControl);

    TreeViewPage = new QWidget(PageControl);
    TreeViewPage->setObjectName(QStringLiteral("TreeViewPage"));
    auto *treeLayout = new QVBoxLayout(TreeViewPage);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->setSpacing(0);

    Splitter2 = new QSplitter(Qt::Horizontal, TreeViewPage);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setHandleWidth(12);
    Splitter2->setChildrenCollapsible(true);
    // The new position shows as a line while dragging and takes effect on release.
    Splitter2->setOpaqueResize(false);

    TreeView1 = new OutlineTree(Splitter2);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setAccessibleName(QStringLiteral("The Tree"));
    TreeView1->setFont(QFont(QStringLiteral("Verdana"), 9));
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setRootIsDecorated(true);
    TreeView1->setItemsExpandable(true);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    TreeView1->setDragEnabled(true);
    TreeView1->setMinimumWidth(30);
    // The selection stays visible when the tree loses the focus.
    keepSelectionColoursWhenInactive(TreeView1);

    RichEdit1 = new LeafEditor(Splitter2);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("Current Leaf"));
    RichEdit1->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setTabChangesFocus(false);
    RichEdit1->setMinimumWidth(30);
    keepSelectionColoursWhenInactive(RichEdit1);

    Splitter2->addWidget(TreeView1);
    Splitter2->addWidget(RichEdit1);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({365, 834 - 8 - 365 - 12});
    treeLayout->addWidget(Splitter2, 1);

    Panel1 = new QWidget(TreeViewPage);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(13);
    treeLayout->addWidget(Panel1);

    PageControl->addTab(TreeViewPage, QStringLiteral("Tree"));

    buildGroupsPage();
    PageControl->setCurrentIndex(0);

    // ---- Status bar: never written, it stays blank ----
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(26);
    StatusBar1->setFont(QFont(QStringLiteral("Tahoma"), 8));
    setStatusBar(StatusBar1);

    // 842 x 600 outside: a client area of 834 x 546 below the menu bar, centred on the screen.
    resize(834, 546 + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TForm1::bindShellHandlers()
{
    bindCommand(Exit1, nullptr, &TForm1::Exit1Click);
    bindCommand(About1, nullptr, &TForm1::About1Click);
    bindCommand(Options1, nullptr, &TForm1::Options1Click);
    connect(TreeView1, &OutlineTree::entered, this, [this] { guarded([this] { TreeView1Enter(); }); });
    installEventFilter(new KeyDownFilter(this));
}

void TForm1::bindCommand(QAction *action, QToolButton *button, void (TForm1::*handler)())
{
    const auto run = [this, handler] { guarded([&] { (this->*handler)(); }); };
    connect(action, &QAction::triggered, this, run);
    if (button != nullptr && button->defaultAction() != action) {
        connect(button, &QToolButton::clicked, this, run);
    }
}

void TForm1::createSecondaryForms()
{
    if (!OptionsForm) {
        OptionsForm = new TOptionsForm(TreeView1, this);
        OptionsForm->hide();
    }
    if (!Form2) {
        Form2 = new TForm2(this);
        Form2->hide();
    }
}

void TForm1::FormCreate(const QStringList &args)
{
    // An exception skips the remaining steps (and so the start-up sound); the program runs on.
    // There is no process error mode to set: file and drive failures reach us as ordinary errors.
    guarded([&] {
        NewLeafCaption = QStringLiteral("O");
        GetFontNames();
        SoundsOn = true;
        QStringList names;
        for (const char *name : CategoryNames) {
            names << QString::fromLatin1(name);
        }
        CatViewComboBox->addItems(names);
        QStringList items;
        for (int i = 0; i < CatViewComboBox->count(); ++i) {
            items << CatViewComboBox->itemText(i);
        }
        TreeViewComboBox->clear();
        TreeViewComboBox->addItems(items);
        CatViewComboBox->setCurrentIndex(0);
        CatViewComboBox->setEditText(CatViewComboBox->itemText(0));
        TreeViewComboBox->setCurrentIndex(0);
        TreeViewComboBox->setEditText(TreeViewComboBox->itemText(0));

        // An empty first argument counts as none; further arguments are ignored.
        if (!args.isEmpty() && !args.first().isEmpty()) {
            OpenDocument(args.first());
        } else {
            New1Click();
        }
        Beeper(0);
    });
}

void TForm1::Beeper(unsigned index)
{
    if (!SoundsOn || index >= SoundPlayer::SoundCount) {
        return;
    }
    sounds_->play(index);
}

void TForm1::About1Click()
{
    Beeper(1);
    createSecondaryForms();
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::Options1Click()
{
    createSecondaryForms();
    OptionsForm->show();
    OptionsForm->raise();
    OptionsForm->activateWindow();
}

void TForm1::TreeView1Enter()
{
    TreeView1->viewport()->update();
    TreeView1->viewport()->repaint();
}

void TForm1::FormKeyDown()
{
    // The window defines no keyboard commands of its own.
}

void TForm1::ClearTree()
{
    // Only the selected leaf's text is stored, once; every record is released by one clear(). The
    // history goes first: its steps refer to the leaves.
    if (HasSelectedLeaf()) {
        TreeView1Changing();
    }
    startHistory();
    shownNode_ = nullptr;
    {
        const SelectionHandlersOff handlersOff(*this);
        TreeView1->clear();
    }
    TreeView1->viewport()->update();
    TreeView1->viewport()->repaint();
    ListBox->clear();
    RichEdit1->clear();
    RichEdit2->clear();
    setWindowTitle(QLatin1String(MainTitle));
    showsRememberedFile_ = false;
}

bool TForm1::HasSelectedLeaf() const
{
    return !TreeView1->outline().isEmpty() && TreeView1->currentItem() != nullptr;
}
