// Tests of the main window's shell: layout, menu, toolbar, start-up, sounds, error box and the two dialogs.
#include "app/Main.h"
#include "app/Options.h"
#include "app/Unit2.h"
#include "app/asker.h"
#include "app/beeper.h"
#include "app/completingcombo.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "app/updown.h"
#include "document/outlinemodel.h"
#include "support.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct ReportedError
{
    QString title;
    QString text;
};

QList<ReportedError> reported;

std::unique_ptr<TForm1> makeWindow()
{
    auto w = std::make_unique<TForm1>();
    w->createSecondaryForms();
    return w;
}

// Answers every file dialog with Cancel, so no command waits on a dialog.
class CancellingAsker : public FileAsker
{
public:
    QString askFileName(QWidget *, const FileDialogSpec &) override { return {}; }
    bool confirmOverwrite(QWidget *, const QString &) override { return false; }
    void warn(QWidget *, const QString &, const QString &) override {}
};

QImage toolbarImage(int index)
{
    return QIcon(QStringLiteral(":/toolbar/%1.png").arg(index, 2, 10, QLatin1Char('0'))).pixmap(16, 16).toImage();
}

// The widgets of `wanted` in the order the focus chain reaches them, starting at `start`.
QStringList tabOrder(QWidget *start, const QList<QWidget *> &wanted)
{
    QStringList order;
    QWidget *w = start;
    for (int steps = 0; steps < 500 && order.size() < wanted.size(); ++steps) {
        if (wanted.contains(w) && !order.contains(w->objectName())) {
            order << w->objectName();
        }
        w = w->nextInFocusChain();
    }
    return order;
}

OutlineNode *addLeaf(OutlineNode *parent, OutlineTree *tree, const QString &caption, NoteRef record = {})
{
    auto *item = new OutlineNode(caption, record ? record : std::make_shared<noteob>());
    if (parent) {
        parent->addChild(item);
    } else {
        tree->outline().root()->addChild(item);
    }
    return item;
}

} // namespace

class ShellTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void errorBoxAddsFullStopOnlyAfterCharactersAboveIt_data();
    void errorBoxAddsFullStopOnlyAfterCharactersAboveIt();
    void errorBoxTitleIsProgramNameCutAtFirstFullStop();
    void captionShowsTheNameAfterTheLastBackslashColonOrSlash();
    void guardShowsEveryExceptionAndLetsNothingEscape();

    void beeperPlaysOnlyWhenSoundsOnAndIndexInTable();
    void soundResourcesExistUnderTheirTableNames();

    void everyControlCarriesItsName();
    void menusHoldTheirItemsInOrderWithCaptionsAndNoShortcuts_data();
    void menusHoldTheirItemsInOrderWithCaptionsAndNoShortcuts();
    void menuItemsShowTheImageOfTheirToolbarButton_data();
    void menuItemsShowTheImageOfTheirToolbarButton();
    void toolbarHoldsItsControlsInOrder();
    void toolbarButtonsShowHintsAndImages_data();
    void toolbarButtonsShowHintsAndImages();
    void leafMenuSharesTheToolbarCommands();
    void alignmentButtonsFormOneGroupWithTags();
    void windowStartsOnTheTreePageWithAnEmptyOutline();
    void groupsPageTabOrderRunsComboCatagoriesAllAssign();

    void formCreateFillsBoxesStartsNewTreeThenPlaysStartSound();
    void formCreateTreatsEmptyFirstArgumentAsNone();
    void formCreateOpensOnlyTheFirstArgument();
    void formCreateFailureIsShownAndSkipsTheRest();

    void aboutTwiceGivesOneDialogAndTwoClicks();
    void aboutDialogHidesOnOkAndCloseButNotOnEscape();

    void optionsDialogFirstShowTicksAllThreeBoxes();
    void optionsApplyChangesTreeLookOnlyAndStaysOpen();
    void optionsCancelDropsChangesAndReshowCopiesTreeAgain();
    void optionsOkWithoutChangesChangesNothingAndHides();
    void optionsDialogLayoutAndTabOrder();

    void clearTreeEmptiesEverythingAndStoresOnlySelectedLeaf();
    void hasSelectedLeafNeedsNodesAndCurrentItem();
    void exitClosesTheWindow();
};

void ShellTest::init()
{
    reported.clear();
    setErrorReporter([](const QString &title, const QString &text) { reported.append({title, text}); });
}

void ShellTest::cleanup()
{
    setErrorReporter({});
}

void ShellTest::errorBoxAddsFullStopOnlyAfterCharactersAboveIt_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "abc" << "abc.";
    QTest::newRow("full stop") << "abc." << "abc.";
    QTest::newRow("exclamation, below the full stop") << "abc!" << "abc!";
    QTest::newRow("closing parenthesis, below the full stop") << "abc)" << "abc)";
    QTest::newRow("space") << "abc " << "abc ";
    QTest::newRow("slash, just above the full stop") << "abc/" << "abc/.";
    QTest::newRow("digit") << "Line 12" << "Line 12.";
    QTest::newRow("quote") << "Cannot open file 'x'" << "Cannot open file 'x'";
    QTest::newRow("accented letter") << QString::fromUtf8("caf\u00e9") << QString::fromUtf8("caf\u00e9.");
    QTest::newRow("empty") << "" << "";
}

void ShellTest::errorBoxAddsFullStopOnlyAfterCharactersAboveIt()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(errorBoxText(message), shown);
}

void ShellTest::captionShowsTheNameAfterTheLastBackslashColonOrSlash()
{
    QCOMPARE(fileNamePart(QStringLiteral("C:\\notes\\work.tre")), QStringLiteral("work.tre"));
    QCOMPARE(fileNamePart(QStringLiteral("C:work.tre")), QStringLiteral("work.tre"));
    QCOMPARE(fileNamePart(QStringLiteral("/home/a:b/work.tre")), QStringLiteral("work.tre"));
    QCOMPARE(fileNamePart(QStringLiteral("a/b\\c:work.tre")), QStringLiteral("work.tre"));
    QCOMPARE(fileNamePart(QStringLiteral("work.tre")), QStringLiteral("work.tre"));
}

void ShellTest::errorBoxTitleIsProgramNameCutAtFirstFullStop()
{
    QCOMPARE(programTitle(QStringLiteral("/opt/bin/a.b.exe")), QStringLiteral("a"));
    QCOMPARE(programTitle(QStringLiteral("a.exe")), QStringLiteral("a"));
    QCOMPARE(programTitle(QStringLiteral("/opt/bin/a")), QStringLiteral("a"));
    QCOMPARE(applicationTitle(), QStringLiteral("shell_test"));
    guarded([] { throw AppError(QStringLiteral("Invalid index")); });
    QCOMPARE(reported.size(), 1);
    QCOMPARE(reported[0].title, QStringLiteral("shell_test"));
}

void ShellTest::guardShowsEveryExceptionAndLetsNothingEscape()
{
    bool ran = false;
    guarded([&] { ran = true; });
    QVERIFY(ran);
    QVERIFY(reported.isEmpty());

    guarded([] { throw FileError(QStringLiteral("Cannot open file C:\\x.tre")); });
    guarded([] { throw FormatError(QStringLiteral("Invalid index"), 4); });
    guarded([] { throw std::runtime_error("Failed to Load Stream"); });
    guarded([] { throw 42; });
    QCOMPARE(reported.size(), 4);
    QCOMPARE(reported[0].text, QStringLiteral("Cannot open file C:\\x.tre."));
    QCOMPARE(reported[1].text, QStringLiteral("Invalid index."));
    QCOMPARE(reported[2].text, QStringLiteral("Failed to Load Stream."));
    QVERIFY(!reported[3].text.isEmpty());

    // A failing reporter must not let anything out either.
    setErrorReporter([](const QString &, const QString &) { throw std::runtime_error("no display"); });
    guarded([] { throw AppError(QStringLiteral("x")); });
}

void ShellTest::beeperPlaysOnlyWhenSoundsOnAndIndexInTable()
{
    auto w = makeWindow();
    SoundPlayer *player = w->soundPlayer();
    QVERIFY(player);
    QCOMPARE(player->playCount(), 0);

    w->SoundsOn = false;
    w->Beeper(0);
    w->Beeper(1);
    QCOMPARE(player->playCount(), 0);

    w->SoundsOn = true;
    w->Beeper(7);
    w->Beeper(1000);
    QCOMPARE(player->playCount(), 0);
    QCOMPARE(player->lastIndex(), -1);

    // Each call returns at once, and a new sound replaces the one still playing.
    for (unsigned i = 0; i < SoundPlayer::SoundCount; ++i) {
        w->Beeper(i);
        QCOMPARE(player->lastIndex(), int(i));
    }
    QCOMPARE(player->playCount(), 7);
    w->Beeper(0);
    w->Beeper(0);
    QCOMPARE(player->playCount(), 9);
    QCOMPARE(player->lastIndex(), 0);
}

void ShellTest::soundResourcesExistUnderTheirTableNames()
{
    const QStringList names = {"RSTART", "RCLICK", "RTICK", "RPOP", "RSTRUM", "REXIT", "RAIR"};
    for (unsigned i = 0; i < SoundPlayer::SoundCount; ++i) {
        const QString path = SoundPlayer::resourcePath(i);
        QCOMPARE(path, QStringLiteral(":/sounds/%1.wav").arg(names[int(i)]));
        QVERIFY2(QFile::exists(path), qPrintable(path));
    }
    QVERIFY(SoundPlayer::resourcePath(7).isEmpty());
}

void ShellTest::everyControlCarriesItsName()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    const std::vector<std::pair<QObject *, const char *>> controls = {
        {ui.FileMenu, "FileMenu"},     {ui.New1, "New1"},
        {ui.Open1, "Open1"},           {ui.Save1, "Save1"},
        {ui.SaveAs1, "SaveAs1"},       {ui.Options1, "Options1"},
        {ui.Exit1, "Exit1"},           {ui.Node1, "Node1"},
        {ui.MoveLeft1, "MoveLeft1"},   {ui.MoveRight1, "MoveRight1"},
        {ui.Add1, "Add1"},             {ui.AddChild1, "AddChild1"},
        {ui.AddAbove1, "AddAbove1"},   {ui.Remove1, "Remove1"},
        {ui.ImportText1, "ImportText1"}, {ui.ExportText1, "ExportText1"},
        {ui.Help1, "Help1"},           {ui.Contents1, "Contents1"},
        {ui.About1, "About1"},         {ui.StandardToolBar, "StandardToolBar"},
        {ui.NewTreeButton, "ToolButton1"}, {ui.OpenButton, "OpenButton"},
        {ui.SaveButton, "SaveButton"}, {ui.MoveLeftButton, "ToolButton3"},
        {ui.MoveRightButton, "ToolButton4"}, {ui.AddLeafButton, "CutButton"},
        {ui.AddLeafBelowButton, "CopyButton"}, {ui.AddLeafAboveButton, "PasteButton"},
        {ui.PruneButton, "UndoButton"}, {ui.ImportTextButton, "ToolButton6"},
        {ui.ExportTextButton, "ToolButton7"}, {ui.TreeViewComboBox, "TreeViewComboBox"},
        {ui.FontName, "FontName"},     {ui.FontSize, "FontSize"},
        {ui.UpDown1, "UpDown1"},       {ui.BoldButton, "BoldButton"},
        {ui.ItalicButton, "ItalicButton"}, {ui.UnderlineButton, "UnderlineButton"},
        {ui.LeftAlign, "LeftAlign"},   {ui.CenterAlign, "CenterAlign"},
        {ui.RightAlign, "RightAlign"}, {ui.AlignGroup, "AlignGroup"},
        {ui.BulletsButton, "BulletsButton"}, {ui.PageControl, "PageControl"},
        {ui.TreeViewPage, "TreeViewPage"}, {ui.Splitter2, "Splitter2"},
        {ui.TreeView1, "TreeView1"},   {ui.RichEdit1, "RichEdit1"},
        {ui.Panel1, "Panel1"},         {ui.CategoryViewPage, "CategoryViewPage"},
        {ui.Panel3, "Panel3"},         {ui.CatViewComboBox, "CatViewComboBox"},
        {ui.ShowAllItemsBtn, "ShowAllItemsBtn"}, {ui.ShowItemsBtn, "ShowItemsBtn"},
        {ui.AssignCatBtn, "AssignCatBtn"}, {ui.ListBox, "ListBox"},
        {ui.Splitter1, "Splitter1"},   {ui.RichEdit2, "RichEdit2"},
        {ui.StatusBar1, "StatusBar1"}, {ui.OptionsForm(), "OptionsForm"},
        {ui.Form2(), "Form2"},
    };
    for (const auto &[object, name] : controls) {
        QVERIFY2(object, name);
        QCOMPARE(object->objectName(), QLatin1String(name));
        // Tests of other areas find them by name from the window.
        if (object != w.get()) {
            QCOMPARE(w->findChild<QObject *>(QLatin1String(name)), object);
        }
    }
    QCOMPARE(w->objectName(), QStringLiteral("Form1"));
    // Both dialogs start hidden.
    QVERIFY(!ui.OptionsForm()->isVisible());
    QVERIFY(!ui.Form2()->isVisible());
}

void ShellTest::menusHoldTheirItemsInOrderWithCaptionsAndNoShortcuts_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("Tree") << "FileMenu" << "&Tree"
                          << QStringList{"New1", "Open1", "N2", "Save1", "SaveAs1", "ImportOutline1", "ExportOutline1",
                                         "N7", "Print1", "PrintPreview1", "N8", "Options1", "Find1", "N1", "Exit1"}
                          << QStringList{"&New", "&Open", "", "&Save", "Save &As", "&Import Outline...",
                                         "Expor&t Outline...", "", "&Print...", "Print Pre&view...", "",
                                         "&Display Options...", "&Find...", "", "E&xit"};
    QTest::newRow("Edit") << "EditMenu" << "&Edit"
                          << QStringList{"Undo1", "Redo1", "N6", "CutLeaf1", "CopyLeaf1", "PasteLeaf1", "DuplicateLeaf1"}
                          << QStringList{"&Undo", "&Redo", "", "Cu&t Leaf", "&Copy Leaf", "&Paste Leaf", "D&uplicate Leaf"};
    QTest::newRow("Leaf") << "Node1" << "&Leaf"
                          << QStringList{"MoveLeft1", "MoveRight1", "MoveUp1", "MoveDown1", "N4", "Add1", "AddChild1",
                                         "AddAbove1", "Remove1", "N5", "ImportText1", "ExportText1"}
                          << QStringList{"Move &Left", "Move &Right", "Move &Up", "Move &Down", "", "&Add",
                                         "Add &Child", "Add A&bove", "&Remove", "", "&Import Doc", "&Export Doc"};
    QTest::newRow("Help") << "Help1" << "&Help" << QStringList{"Contents1", "N3", "About1"}
                          << QStringList{"&Contents", "", "&About"};
}

void ShellTest::menusHoldTheirItemsInOrderWithCaptionsAndNoShortcuts()
{
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QStringList, items);
    QFETCH(QStringList, captions);
    auto w = makeWindow();
    auto *m = w->findChild<QMenu *>(menu);
    QVERIFY(m);
    QCOMPARE(m->title(), caption);
    QVERIFY(w->menuBar()->actions().contains(m->menuAction()));
    const QList<QAction *> actions = m->actions();
    QCOMPARE(actions.size(), items.size());
    for (int i = 0; i < actions.size(); ++i) {
        QCOMPARE(actions[i]->objectName(), items[i]);
        QCOMPARE(actions[i]->isSeparator(), captions[i].isEmpty());
        if (!actions[i]->isSeparator()) {
            QCOMPARE(actions[i]->text(), captions[i]);
        }
        // Print alone has the desktop's key (Ctrl+P).
        const QKeySequence key = items[i] == QLatin1String("Print1") ? QKeySequence(QKeySequence::Print) : QKeySequence();
        QCOMPARE(actions[i]->shortcut(), key);
    }
}

void ShellTest::menuItemsShowTheImageOfTheirToolbarButton_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("image");
    QTest::newRow("New") << "New1" << 0;
    QTest::newRow("Open") << "Open1" << 1;
    QTest::newRow("Save") << "Save1" << 2;
    QTest::newRow("Save As") << "SaveAs1" << -1;
    QTest::newRow("Exit") << "Exit1" << -1;
    QTest::newRow("Move Left") << "MoveLeft1" << 20;
    QTest::newRow("Move Right") << "MoveRight1" << 19;
    QTest::newRow("Add") << "Add1" << 15;
    QTest::newRow("Add Child") << "AddChild1" << 16;
    QTest::newRow("Add Above") << "AddAbove1" << 17;
    QTest::newRow("Remove") << "Remove1" << 18;
    QTest::newRow("Import") << "ImportText1" << 21;
    QTest::newRow("Export") << "ExportText1" << 22;
    QTest::newRow("Contents") << "Contents1" << -1;
    QTest::newRow("About") << "About1" << -1;
}

void ShellTest::menuItemsShowTheImageOfTheirToolbarButton()
{
    QFETCH(QString, item);
    QFETCH(int, image);
    auto w = makeWindow();
    auto *action = w->findChild<QAction *>(item);
    QVERIFY(action);
    const bool shown = !action->icon().isNull() && action->isIconVisibleInMenu();
    QCOMPARE(shown, image >= 0);
    if (image >= 0) {
        const QImage expected = toolbarImage(image);
        QVERIFY2(!expected.isNull(), "toolbar image missing from the resources");
        QCOMPARE(action->icon().pixmap(16, 16).toImage(), expected);
    }
}

void ShellTest::toolbarHoldsItsControlsInOrder()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    const QStringList expected = {
        "ToolButton1", "OpenButton", "SaveButton", "ToolButton2", "ToolButton3", "ToolButton4",
        "CutButton", "CopyButton", "PasteButton", "UndoButton", "ToolButton6", "ToolButton7",
        "TreeViewComboBox", "FontName", "FontSize", "UpDown1", "BoldButton", "ItalicButton",
        "UnderlineButton", "LeftAlign", "CenterAlign", "RightAlign", "BulletsButton",
    };
    QStringList found;
    for (QAction *action : ui.StandardToolBar->actions()) {
        if (action->isSeparator()) {
            found << action->objectName();
        } else {
            QWidget *widget = ui.StandardToolBar->widgetForAction(action);
            QVERIFY(widget);
            found << widget->objectName();
        }
    }
    QCOMPARE(found, expected);
    QCOMPARE(ui.FontSize->text(), QStringLiteral("12"));
}

void ShellTest::toolbarButtonsShowHintsAndImages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("image");
    QTest::newRow("New Tree") << "ToolButton1" << "New Tree" << 0;
    QTest::newRow("Open") << "OpenButton" << "Open" << 1;
    QTest::newRow("Save As") << "SaveButton" << "Save As" << 2;
    QTest::newRow("Move Left") << "ToolButton3" << "Move Left" << 20;
    QTest::newRow("Move Right") << "ToolButton4" << "Move Right" << 19;
    QTest::newRow("Add Leaf") << "CutButton" << "Add Leaf" << 15;
    QTest::newRow("Add Leaf Below") << "CopyButton" << "Add Leaf Below" << 16;
    QTest::newRow("Add Leaf Above") << "PasteButton" << "Add Leaf Above" << 17;
    QTest::newRow("Prune") << "UndoButton" << "Prune" << 18;
    QTest::newRow("Import") << "ToolButton6" << "Import Text at Current Leaf" << 21;
    QTest::newRow("Export") << "ToolButton7" << "Export Text at Current Leaf" << 22;
    QTest::newRow("Catagory") << "TreeViewComboBox" << "Catagory" << -1;
    QTest::newRow("Font Style") << "FontName" << "Font Style" << -1;
    QTest::newRow("Font Size") << "FontSize" << "Font Size" << -1;
    QTest::newRow("Bold") << "BoldButton" << "Bold" << 8;
    QTest::newRow("Italic") << "ItalicButton" << "Italic" << 9;
    QTest::newRow("Underline") << "UnderlineButton" << "Underline" << 10;
    QTest::newRow("Align Left") << "LeftAlign" << "Align Left" << 11;
    QTest::newRow("Center") << "CenterAlign" << "Center" << 12;
    QTest::newRow("Align Right") << "RightAlign" << "Align Right" << 13;
    QTest::newRow("Bullets") << "BulletsButton" << "Bullets" << 14;
}

void ShellTest::toolbarButtonsShowHintsAndImages()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    QFETCH(int, image);
    auto w = makeWindow();
    const FormParts ui(*w);
    auto *widget = ui.StandardToolBar->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->toolTip(), hint);
    QCOMPARE(widget->accessibleName(), hint);
    if (image >= 0) {
        auto *button = qobject_cast<QToolButton *>(widget);
        QVERIFY(button);
        // Toolbar buttons never take the focus from the editor.
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        const QImage expected = toolbarImage(image);
        QVERIFY2(!expected.isNull(), "toolbar image missing from the resources");
        QCOMPARE(button->icon().pixmap(16, 16).toImage(), expected);
    }
}

void ShellTest::leafMenuSharesTheToolbarCommands()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    w->setAsker(std::make_unique<CancellingAsker>());
    const QList<QPair<QToolButton *, QAction *>> shared = {
        {ui.NewTreeButton, ui.New1},       {ui.OpenButton, ui.Open1},       {ui.SaveButton, ui.SaveAs1},
        {ui.MoveLeftButton, ui.MoveLeft1},  {ui.MoveRightButton, ui.MoveRight1}, {ui.AddLeafButton, ui.Add1},
        {ui.AddLeafBelowButton, ui.AddChild1},   {ui.AddLeafAboveButton, ui.AddAbove1},  {ui.PruneButton, ui.Remove1},
        {ui.ImportTextButton, ui.ImportText1}, {ui.ExportTextButton, ui.ExportText1},
    };
    for (const auto &[button, action] : shared) {
        QCOMPARE(button->defaultAction(), action);
        // Pressing the button runs the menu item's command.
        // Only the command's sharing is checked here, not the command itself.
        QObject::disconnect(action, &QAction::triggered, w.get(), nullptr);
        QSignalSpy spy(action, &QAction::triggered);
        button->click();
        QCOMPARE(spy.count(), 1);
    }
    // Save As shows its disk on the toolbar only.
    QVERIFY(!ui.SaveAs1->isIconVisibleInMenu());
    QVERIFY(!ui.SaveButton->icon().isNull());
}

void ShellTest::alignmentButtonsFormOneGroupWithTags()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    QVERIFY(ui.AlignGroup->exclusive());
    QCOMPARE(ui.AlignGroup->buttons().size(), 3);
    QCOMPARE(ui.LeftAlign->property("Tag").toInt(), 0);
    QCOMPARE(ui.CenterAlign->property("Tag").toInt(), 2);
    QCOMPARE(ui.RightAlign->property("Tag").toInt(), 1);
    QVERIFY(ui.LeftAlign->isChecked());
    QVERIFY(!ui.CenterAlign->isChecked());
    QVERIFY(!ui.RightAlign->isChecked());
    for (QToolButton *b : {ui.BoldButton, ui.ItalicButton, ui.UnderlineButton, ui.BulletsButton, ui.LeftAlign,
                           ui.CenterAlign, ui.RightAlign}) {
        QVERIFY2(b->isCheckable(), qPrintable(b->objectName()));
    }
    QVERIFY(!ui.BoldButton->isChecked());

    w->show();
    QTest::mouseClick(ui.CenterAlign, Qt::LeftButton);
    QVERIFY(ui.CenterAlign->isChecked());
    QVERIFY(!ui.LeftAlign->isChecked());
    QTest::mouseClick(ui.RightAlign, Qt::LeftButton);
    QVERIFY(ui.RightAlign->isChecked());
    QVERIFY(!ui.CenterAlign->isChecked());
    // Bold is not part of the group.
    QTest::mouseClick(ui.BoldButton, Qt::LeftButton);
    QVERIFY(ui.BoldButton->isChecked());
    QVERIFY(ui.RightAlign->isChecked());
}

void ShellTest::windowStartsOnTheTreePageWithAnEmptyOutline()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillax - NewTree"));
    QCOMPARE(w->width(), 834);
    QCOMPARE(w->height() - w->menuBar()->height(), 546);
    QCOMPARE(w->font().family(), QStringLiteral("MS Sans Serif"));

    QCOMPARE(ui.PageControl->count(), 2);
    QCOMPARE(ui.PageControl->tabText(0), QStringLiteral("Tree"));
    QCOMPARE(ui.PageControl->tabText(1), QStringLiteral("Groups"));
    QCOMPARE(ui.PageControl->currentWidget(), ui.TreeViewPage);

    QCOMPARE(ui.TreeView1->width(), 365);
    QCOMPARE(ui.TreeView1->indentation(), 19);
    QCOMPARE(ui.TreeView1->font().family(), QStringLiteral("Verdana"));
    QCOMPARE(ui.TreeView1->font().pointSize(), 9);
    QVERIFY(ui.TreeView1->dragEnabled());
    QCOMPARE(ui.TreeView1->editTriggers(),
             QAbstractItemView::EditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked));
    QVERIFY(ui.TreeView1->linesShown());
    QVERIFY(ui.TreeView1->buttonsShown());
    QVERIFY(ui.TreeView1->rootIsDecorated());
    QVERIFY(ui.TreeView1->toolTip().isEmpty());

    QCOMPARE(ui.Splitter2->handleWidth(), 12);
    QVERIFY(ui.Splitter2->childrenCollapsible());
    QCOMPARE(ui.RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(ui.RichEdit1->lineWrapMode(), QTextEdit::WidgetWidth);
    QVERIFY(!ui.RichEdit1->tabChangesFocus());
    QVERIFY(ui.RichEdit1->toolTip().isEmpty());
    QCOMPARE(ui.Panel1->height(), 13);
    // The blank strip runs under both the tree and the editor.
    QCOMPARE(ui.Panel1->width(), ui.TreeViewPage->width());

    QCOMPARE(ui.TreeViewComboBox->width(), 145);
    QCOMPARE(ui.FontName->width(), 159);
    QCOMPARE(ui.FontName->maxVisibleItems(), 10);
    QCOMPARE(ui.FontSize->width(), 26);

    QCOMPARE(ui.StatusBar1->height(), 26);
    QCOMPARE(ui.StatusBar1->font().family(), QStringLiteral("Tahoma"));
    QVERIFY(ui.StatusBar1->currentMessage().isEmpty());

    ui.PageControl->setCurrentWidget(ui.CategoryViewPage);
    QCOMPARE(ui.Panel3->height(), 41);
    QCOMPARE(ui.CatViewComboBox->geometry(), QRect(12, 8, 145, 21));
    QCOMPARE(ui.ShowAllItemsBtn->geometry(), QRect(160, 8, 69, 20));
    QCOMPARE(ui.ShowItemsBtn->geometry(), QRect(232, 8, 69, 20));
    QCOMPARE(ui.AssignCatBtn->geometry(), QRect(304, 8, 69, 20));
    QCOMPARE(ui.ShowAllItemsBtn->text(), QStringLiteral("All"));
    QCOMPARE(ui.ShowItemsBtn->text(), QStringLiteral("Catagories"));
    QCOMPARE(ui.AssignCatBtn->text(), QStringLiteral("Assign"));
    QCOMPARE(ui.ListBox->height(), 116);
    ui.ListBox->addItems({QStringLiteral("first"), QStringLiteral("second")});
    QCOMPARE(ui.ListBox->visualItemRect(ui.ListBox->item(0)).height(), 13);
    QCOMPARE(ui.ListBox->visualItemRect(ui.ListBox->item(1)).top(),
             ui.ListBox->visualItemRect(ui.ListBox->item(0)).top() + 13);
    QCOMPARE(ui.Splitter1->orientation(), Qt::Vertical);
    QCOMPARE(ui.Splitter1->handleWidth(), 3);
    QCOMPARE(ui.RichEdit2->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

void ShellTest::groupsPageTabOrderRunsComboCatagoriesAllAssign()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    const QStringList order =
        tabOrder(ui.CatViewComboBox, {ui.ShowItemsBtn, ui.ShowAllItemsBtn, ui.AssignCatBtn});
    QCOMPARE(order, (QStringList{"ShowItemsBtn", "ShowAllItemsBtn", "AssignCatBtn"}));
}

void ShellTest::formCreateFillsBoxesStartsNewTreeThenPlaysStartSound()
{
    auto w = std::make_unique<TForm1>();
    const FormParts ui(*w);
    QVERIFY(w->NewLeafCaption.isEmpty());
    QVERIFY(!w->SoundsOn);
    w->FormCreate({});
    QVERIFY(reported.isEmpty());
    QCOMPARE(w->NewLeafCaption, QStringLiteral("O"));
    QVERIFY(w->SoundsOn);
    QVERIFY(ui.FontName->count() > 0);

    const QStringList names = {"Default", "Memo", "ToDo", "Unknown"};
    QCOMPARE(ui.CatViewComboBox->count(), 4);
    QCOMPARE(ui.TreeViewComboBox->count(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(ui.CatViewComboBox->itemText(i), names[i]);
        QCOMPARE(ui.TreeViewComboBox->itemText(i), names[i]);
    }
    QCOMPARE(ui.CatViewComboBox->currentText(), QStringLiteral("Default"));
    QCOMPARE(ui.TreeViewComboBox->currentText(), QStringLiteral("Default"));

    // The first leaf takes its category from the box, so the boxes were filled before it was made.
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillax - NewTree"));
    QCOMPARE(ui.TreeView1->outline().topLevelCount(), 1);
    OutlineNode *leaf = ui.TreeView1->outline().topLevelNode(0);
    QCOMPARE(leaf->caption(), QStringLiteral("O"));
    QCOMPARE(leaf->childCount(), 0);
    const NoteRef record = leaf->record();
    QVERIFY(record);
    QCOMPARE(record->categoryText(), QStringLiteral("Default"));

    QCOMPARE(w->soundPlayer()->playCount(), 1);
    QCOMPARE(w->soundPlayer()->lastIndex(), 0);
}

void ShellTest::formCreateTreatsEmptyFirstArgumentAsNone()
{
    auto w = std::make_unique<TForm1>();
    const FormParts ui(*w);
    w->FormCreate({QString(), QStringLiteral("/no/such/folder/missing.tre")});
    QVERIFY2(reported.isEmpty(), reported.isEmpty() ? "" : qPrintable(reported[0].text));
    QCOMPARE(ui.TreeView1->outline().topLevelCount(), 1);
    QCOMPARE(ui.TreeView1->outline().topLevelNode(0)->caption(), QStringLiteral("O"));
    QCOMPARE(w->soundPlayer()->playCount(), 1);
}

void ShellTest::formCreateOpensOnlyTheFirstArgument()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("first.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("first line\r\nsecond line\r\n");
    file.close();

    auto w = std::make_unique<TForm1>();
    const FormParts ui(*w);
    // Were the second argument opened, its open error would be reported.
    w->FormCreate({path, dir.filePath(QStringLiteral("missing.tre"))});
    QVERIFY2(reported.isEmpty(), reported.isEmpty() ? "" : qPrintable(reported[0].text));
    QCOMPARE(ui.TreeView1->outline().topLevelCount(), 1);
    QCOMPARE(ui.TreeView1->outline().topLevelNode(0)->caption(), path);
    QVERIFY(ui.RichEdit1->toPlainText().contains(QStringLiteral("second line")));
    QCOMPARE(w->NewLeafCaption, QStringLiteral("O"));
    QCOMPARE(w->soundPlayer()->playCount(), 1);
}

void ShellTest::formCreateFailureIsShownAndSkipsTheRest()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.tre"));
    auto w = std::make_unique<TForm1>();
    const FormParts ui(*w);
    w->FormCreate({missing});
    QCOMPARE(reported.size(), 1);
    QCOMPARE(reported[0].title, applicationTitle());
    QVERIFY2(reported[0].text.contains(missing), qPrintable(reported[0].text));
    // The start-up sound comes after the open, so it is skipped; the steps before it ran.
    QCOMPARE(w->soundPlayer()->playCount(), 0);
    QCOMPARE(ui.CatViewComboBox->currentText(), QStringLiteral("Default"));
    QCOMPARE(ui.TreeView1->outline().topLevelCount(), 0);
    QVERIFY(ui.RichEdit1->toPlainText().isEmpty());

    // The program runs on: the dialogs are made and the window works.
    w->createSecondaryForms();
    w->show();
    ui.About1->trigger();
    QVERIFY(ui.Form2()->isVisible());
    QCOMPARE(w->soundPlayer()->playCount(), 1);
}

void ShellTest::aboutTwiceGivesOneDialogAndTwoClicks()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    w->SoundsOn = true;
    w->show();
    QVERIFY(!ui.Form2()->isVisible());
    TForm2 *first = ui.Form2();
    ui.About1->trigger();
    QVERIFY(ui.Form2()->isVisible());
    QCOMPARE(w->soundPlayer()->playCount(), 1);
    QCOMPARE(w->soundPlayer()->lastIndex(), 1);
    ui.About1->trigger();
    QCOMPARE(ui.Form2(), first);
    QCOMPARE(w->findChildren<TForm2 *>().size(), 1);
    QVERIFY(ui.Form2()->isVisible());
    QCOMPARE(w->soundPlayer()->playCount(), 2);
    // Modeless: the main window stays usable.
    QVERIFY(!ui.Form2()->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    QCOMPARE(ui.Form2()->windowTitle(), QStringLiteral("About Quillax"));
    QCOMPARE(ui.Form2()->StaticText1->text(), QStringLiteral("Quillax"));
    QVERIFY(ui.Form2()->StaticText2->text().contains(QStringLiteral("1.2")));
    QVERIFY(ui.Form2()->StaticText2->text().contains(QStringLiteral("2643")));
    QCOMPARE(ui.Form2()->OKButton1->geometry(), QRect(164, 412, 301, 29));
    QCOMPARE(ui.Form2()->Image1->geometry(), QRect(-4, 0, 481, 133));
    QCOMPARE(ui.Form2()->Image2->geometry(), QRect(40, 152, 64, 64));
    QVERIFY(ui.Form2()->OKButton1->isDefault());
    QVERIFY(ui.Form2()->OKButton1->font().bold());
    QVERIFY2(!ui.Form2()->Image1->pixmap().isNull(), "banner missing from the resources");
    QVERIFY2(!ui.Form2()->Image2->pixmap().isNull(), "icon missing from the resources");
    QCOMPARE(ui.Form2()->size(), QSize(474, 446));
    // Every text line is whole inside the dialog, between the icon and its right edge.
    for (QLabel *line : {ui.Form2()->StaticText1, ui.Form2()->StaticText2, ui.Form2()->StaticText4,
                         ui.Form2()->StaticText3, ui.Form2()->StaticText5}) {
        QVERIFY(!line->text().isEmpty());
        QCOMPARE(line->x(), 132);
        QVERIFY2(line->geometry().right() < 474, qPrintable(line->text()));
        QVERIFY2(line->width() >= line->sizeHint().width(), qPrintable(line->text()));
    }
}

void ShellTest::aboutDialogHidesOnOkAndCloseButNotOnEscape()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    w->show();
    ui.About1->trigger();
    QPointer<TForm2> dialog = ui.Form2();
    QVERIFY(dialog->isVisible());

    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(dialog->isVisible());

    QTest::mouseClick(dialog->OKButton1, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(dialog);

    ui.About1->trigger();
    QVERIFY(dialog->isVisible());
    // Enter presses the default button.
    QTest::keyClick(dialog, Qt::Key_Return);
    QVERIFY(!dialog->isVisible());

    ui.About1->trigger();
    QVERIFY(dialog->close());
    QVERIFY(!dialog->isVisible());
    QVERIFY(dialog);
    ui.About1->trigger();
    QCOMPARE(ui.Form2(), dialog.data());
    QVERIFY(dialog->isVisible());
}

namespace {

// A tree of a parent with two children, the second one selected, and a collapsed second parent.
struct SampleOutline
{
    OutlineNode *parent;
    OutlineNode *child;
    OutlineNode *other;
};

SampleOutline sampleOutline(TForm1 &w)
{
    const FormParts ui(w);
    SampleOutline s;
    s.parent = addLeaf(nullptr, ui.TreeView1, QStringLiteral("Parent"));
    addLeaf(s.parent, ui.TreeView1, QStringLiteral("First"));
    s.child = addLeaf(s.parent, ui.TreeView1, QStringLiteral("Second"));
    s.other = addLeaf(nullptr, ui.TreeView1, QStringLiteral("Other"));
    addLeaf(s.other, ui.TreeView1, QStringLiteral("Hidden"));
    ui.TreeView1->setExpanded(s.parent, true);
    ui.TreeView1->setCurrentItem(s.child);
    return s;
}

QImage treePicture(TForm1 &w)
{
    const FormParts ui(w);
    QApplication::processEvents();
    return ui.TreeView1->viewport()->grab().toImage();
}

} // namespace

void ShellTest::optionsDialogFirstShowTicksAllThreeBoxes()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    TOptionsForm *options = ui.OptionsForm();
    // Cleared before showing: the show itself must copy the tree's settings.
    options->ShowLinesChk->setChecked(false);
    options->ShowButtonsChk->setChecked(false);
    options->ShowRootChk->setChecked(false);
    w->show();
    ui.Options1->trigger();
    QVERIFY(options->isVisible());
    QVERIFY(options->ShowLinesChk->isChecked());
    QVERIFY(options->ShowButtonsChk->isChecked());
    QVERIFY(options->ShowRootChk->isChecked());
    QCOMPARE(w->findChildren<TOptionsForm *>().size(), 1);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    // Showing it again while shown copies nothing.
    options->ShowRootChk->setChecked(false);
    ui.Options1->trigger();
    QVERIFY(!options->ShowRootChk->isChecked());
    QVERIFY(ui.TreeView1->rootIsDecorated());
}

void ShellTest::optionsApplyChangesTreeLookOnlyAndStaysOpen()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    const SampleOutline s = sampleOutline(*w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const QImage withLines = treePicture(*w);

    ui.Options1->trigger();
    TOptionsForm *options = ui.OptionsForm();
    options->ShowLinesChk->setChecked(false);
    QTest::mouseClick(options->ApplyBtn, Qt::LeftButton);
    QVERIFY(options->isVisible());
    QVERIFY(!ui.TreeView1->linesShown());
    QVERIFY(ui.TreeView1->buttonsShown());
    QVERIFY(ui.TreeView1->rootIsDecorated());
    const QImage withoutLines = treePicture(*w);
    QVERIFY(withoutLines != withLines);

    // The tree was not rebuilt: the same items, selection and expansion.
    QCOMPARE(ui.TreeView1->outline().topLevelCount(), 2);
    QCOMPARE(ui.TreeView1->outline().topLevelNode(0), s.parent);
    QCOMPARE(ui.TreeView1->currentItem(), s.child);
    QVERIFY(ui.TreeView1->isExpanded(s.parent));
    QVERIFY(!ui.TreeView1->isExpanded(s.other));

    options->ShowButtonsChk->setChecked(false);
    QTest::mouseClick(options->ApplyBtn, Qt::LeftButton);
    QVERIFY(!ui.TreeView1->buttonsShown());
    const QImage withoutButtons = treePicture(*w);
    QVERIFY(withoutButtons != withoutLines);
    // Without buttons a click left of a caption selects the row but folds nothing.
    const QRect parentRow = ui.TreeView1->visualItemRect(s.parent);
    const QPoint branchCell(parentRow.left() - ui.TreeView1->indentation() / 2, parentRow.center().y());
    QTest::mouseClick(ui.TreeView1->viewport(), Qt::LeftButton, {}, branchCell);
    QVERIFY(ui.TreeView1->isExpanded(s.parent));
    QCOMPARE(ui.TreeView1->currentItem(), s.parent);
    ui.TreeView1->setCurrentItem(s.child);

    options->ShowRootChk->setChecked(false);
    QTest::mouseClick(options->ApplyBtn, Qt::LeftButton);
    QVERIFY(!ui.TreeView1->rootIsDecorated());
    QVERIFY(!ui.TreeView1->rootIsDecorated());
    QCOMPARE(ui.TreeView1->currentItem(), s.child);
    QVERIFY(ui.TreeView1->isExpanded(s.parent));

    // Switching everything back on restores the first look.
    options->ShowLinesChk->setChecked(true);
    options->ShowButtonsChk->setChecked(true);
    options->ShowRootChk->setChecked(true);
    QTest::mouseClick(options->ApplyBtn, Qt::LeftButton);
    QCOMPARE(treePicture(*w), withLines);
    // With buttons the same click folds the leaf.
    QTest::mouseClick(ui.TreeView1->viewport(), Qt::LeftButton, {}, branchCell);
    QVERIFY(!ui.TreeView1->isExpanded(s.parent));
}

void ShellTest::optionsCancelDropsChangesAndReshowCopiesTreeAgain()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    w->show();
    TOptionsForm *options = ui.OptionsForm();
    ui.Options1->trigger();
    options->ShowButtonsChk->setChecked(false);
    options->ShowRootChk->setChecked(false);
    QTest::mouseClick(options->CancelBtn, Qt::LeftButton);
    QVERIFY(!options->isVisible());
    QVERIFY(ui.TreeView1->buttonsShown());
    QVERIFY(ui.TreeView1->rootIsDecorated());

    ui.Options1->trigger();
    QVERIFY(options->ShowButtonsChk->isChecked());
    QVERIFY(options->ShowRootChk->isChecked());

    // A setting changed elsewhere shows on the next showing; the close box only hides.
    QVERIFY(options->close());
    QVERIFY(!options->isVisible());
    ui.TreeView1->setLinesShown(false);
    ui.Options1->trigger();
    QCOMPARE(ui.OptionsForm(), options);
    QVERIFY(!options->ShowLinesChk->isChecked());
    QVERIFY(options->ShowButtonsChk->isChecked());
}

void ShellTest::optionsOkWithoutChangesChangesNothingAndHides()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    const SampleOutline s = sampleOutline(*w);
    ui.TreeView1->setButtonsShown(false);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const QImage before = treePicture(*w);

    TOptionsForm *options = ui.OptionsForm();
    ui.Options1->trigger();
    QVERIFY(!options->ShowButtonsChk->isChecked());
    QTest::mouseClick(options->OKBtn, Qt::LeftButton);
    QVERIFY(!options->isVisible());
    QVERIFY(ui.TreeView1->linesShown());
    QVERIFY(!ui.TreeView1->buttonsShown());
    QVERIFY(ui.TreeView1->rootIsDecorated());
    QCOMPARE(treePicture(*w), before);
    QCOMPARE(ui.TreeView1->currentItem(), s.child);

    // OK with a change applies it and hides.
    ui.Options1->trigger();
    options->ShowLinesChk->setChecked(false);
    QTest::mouseClick(options->OKBtn, Qt::LeftButton);
    QVERIFY(!options->isVisible());
    QVERIFY(!ui.TreeView1->linesShown());
}

void ShellTest::optionsDialogLayoutAndTabOrder()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    TOptionsForm *options = ui.OptionsForm();
    QCOMPARE(options->windowTitle(), QStringLiteral("OptionsForm"));
    QCOMPARE(options->ShowLinesChk->geometry(), QRect(32, 32, 97, 17));
    QCOMPARE(options->ShowButtonsChk->geometry(), QRect(32, 64, 97, 17));
    QCOMPARE(options->ShowRootChk->geometry(), QRect(32, 96, 97, 17));
    QCOMPARE(options->OKBtn->geometry(), QRect(184, 24, 73, 25));
    QCOMPARE(options->ApplyBtn->geometry(), QRect(184, 56, 73, 25));
    QCOMPARE(options->CancelBtn->geometry(), QRect(184, 88, 73, 25));
    QCOMPARE(options->ShowLinesChk->text(), QStringLiteral("Show Lines"));
    QCOMPARE(options->ShowButtonsChk->text(), QStringLiteral("Show Buttons"));
    QCOMPARE(options->ShowRootChk->text(), QStringLiteral("Show Root"));
    QCOMPARE(options->OKBtn->text(), QStringLiteral("&OK"));
    QCOMPARE(options->ApplyBtn->text(), QStringLiteral("&Apply"));
    QCOMPARE(options->CancelBtn->text(), QStringLiteral("&Cancel"));
    for (QPushButton *b : {options->OKBtn, options->ApplyBtn, options->CancelBtn}) {
        QVERIFY(!b->isDefault());
        QVERIFY(!b->autoDefault());
    }
    const QStringList order = tabOrder(options->ShowLinesChk,
                                       {options->ShowLinesChk, options->OKBtn, options->ApplyBtn,
                                        options->CancelBtn, options->ShowButtonsChk, options->ShowRootChk});
    QCOMPARE(order, (QStringList{"ShowLinesChk", "OKBtn", "ApplyBtn", "CancelBtn", "ShowButtonsChk", "ShowRootChk"}));

    // Escape has no dialog-wide meaning.
    w->show();
    ui.Options1->trigger();
    QTest::keyClick(options, Qt::Key_Escape);
    QVERIFY(options->isVisible());
}

void ShellTest::clearTreeEmptiesEverythingAndStoresOnlySelectedLeaf()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    const SampleOutline s = sampleOutline(*w);
    std::weak_ptr<noteob> parentRecord = s.parent->record();
    const NoteRef selectedRecord = s.child->record();
    const NoteRef otherRecord = s.other->record();
    // The list refers to records without owning them.
    ui.ListBox->addItem(QStringLiteral("Parent"));
    ui.ListBox->addItem(QStringLiteral("Second"));
    ui.RichEdit1->setPlainText(QStringLiteral("typed into the selected leaf"));
    ui.RichEdit2->setPlainText(QStringLiteral("group text"));
    w->setWindowTitle(QStringLiteral("Quillax - plan.tre"));

    w->ClearTree();
    QCOMPARE(ui.TreeView1->outline().topLevelCount(), 0);
    QCOMPARE(ui.TreeView1->currentItem(), nullptr);
    QVERIFY(parentRecord.expired());
    QCOMPARE(ui.ListBox->count(), 0);
    QVERIFY(ui.RichEdit1->toPlainText().isEmpty());
    QVERIFY(ui.RichEdit2->toPlainText().isEmpty());
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillax - NewTree"));
    QVERIFY(w->selectionHandlersOn());
    QVERIFY(!w->HasSelectedLeaf());

    // The selected leaf's pending text was stored before its node went; no other leaf was written.
    QVERIFY(joinLines(selectedRecord->Notes).contains("typed into the selected leaf"));
    QVERIFY(otherRecord->Notes.isEmpty());

    // On an empty outline it still empties the views and resets the caption.
    ui.RichEdit2->setPlainText(QStringLiteral("again"));
    ui.ListBox->addItem(QStringLiteral("stale"));
    w->setWindowTitle(QStringLiteral("x"));
    w->ClearTree();
    QCOMPARE(ui.ListBox->count(), 0);
    QVERIFY(ui.RichEdit2->toPlainText().isEmpty());
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillax - NewTree"));
}

void ShellTest::hasSelectedLeafNeedsNodesAndCurrentItem()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    QVERIFY(!w->HasSelectedLeaf());
    OutlineNode *leaf = addLeaf(nullptr, ui.TreeView1, QStringLiteral("O"));
    ui.TreeView1->setCurrentItem(nullptr);
    QVERIFY(!w->HasSelectedLeaf());
    ui.TreeView1->setCurrentItem(leaf);
    QVERIFY(w->HasSelectedLeaf());
}

void ShellTest::exitClosesTheWindow()
{
    auto w = makeWindow();
    const FormParts ui(*w);
    w->show();
    ui.About1->trigger();
    QVERIFY(w->isVisible());
    ui.Exit1->trigger();
    QVERIFY(!w->isVisible());
    QVERIFY(reported.isEmpty());
}

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
