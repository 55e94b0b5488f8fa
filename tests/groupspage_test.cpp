// Tests of the Groups page on the main window: listing, exact category filter, picking, assigning,
// pruned leaves and the two editors' exit handlers.
#include "app/Main.h"
#include "app/asker.h"
#include "app/completingcombo.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/outlinemodel.h"
#include "support.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

#include <memory>

namespace {

class SilentAsker : public FileAsker
{
public:
    QStringList warnings;
    QString askFileName(QWidget *, const FileDialogSpec &) override { return QString(); }
    bool confirmOverwrite(QWidget *, const QString &) override { return false; }
    void warn(QWidget *, const QString &, const QString &text) override { warnings.append(text); }
};

// caption, level, category and text of each record, written as a tree file stores them.
QByteArray treeBytes(const QList<std::tuple<QByteArray, int, QByteArray, QByteArray>> &records)
{
    QList<QByteArray> bytes;
    for (const auto &[caption, level, category, text] : records) {
        bytes.append(support::recordBytes(caption, level, category, text));
    }
    return support::treeFileBytes(bytes);
}

using support::listTexts;

} // namespace

class GroupsPageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TForm1> form;
    std::unique_ptr<FormParts> ui;
    QStringList errors;
    QTemporaryDir dir;

    QListWidget *list() const { return form->findChild<QListWidget *>("ListBox"); }
    CompletingComboBox *chooser() const { return form->findChild<CompletingComboBox *>("CatViewComboBox"); }
    void press(const char *button) const
    {
        auto *b = form->findChild<QPushButton *>(button);
        QVERIFY(b != nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void pick(int row) const
    {
        const QRect rect = list()->visualItemRect(list()->item(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void showGroupsPage() const { ui->PageControl->setCurrentWidget(ui->CategoryViewPage); }
    void showTreePage() const { ui->PageControl->setCurrentWidget(ui->TreeViewPage); }

    // Alpha (Memo)
    //   Beta (memo)        collapsed, with child Gamma
    //     Gamma (Memo )
    //   Delta ("")
    // Epsilon (Memo)
    void loadSample()
    {
        const QString file = dir.filePath("groups.tre");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(treeBytes({{"Alpha", 0, "Memo", "alpha text"},
                             {"Beta", 1, "memo", "beta text"},
                             {"Gamma", 2, "Memo ", "gamma text"},
                             {"Delta", 1, "", "delta text"},
                             {"Epsilon", 0, "Memo", "epsilon text"}}));
        out.close();
        form->OpenDocument(file);
        QVERIFY(errors.isEmpty());
        QCOMPARE(ui->TreeView1->outline().topLevelCount(), 2);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        setErrorReporter([this](const QString &, const QString &text) { errors.append(text); });
    }
    void init()
    {
        errors.clear();
        form = std::make_unique<TForm1>();
        ui = std::make_unique<FormParts>(*form);
        form->setAsker(std::make_unique<SilentAsker>());
        form->FormCreate({});
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        loadSample();
        showGroupsPage();
    }
    void cleanup()
    {
        ui.reset();
        form.reset();
    }
    void cleanupTestCase() { setErrorReporter({}); }

    void loadingListsEveryLeafWithNonePicked()
    {
        QCOMPARE(listTexts(*list()), (QStringList{"Alpha", "Beta", "Gamma", "Delta", "Epsilon"}));
        QCOMPARE(form->pickedRecord(), nullptr);
        form->New1Click();
        QCOMPARE(list()->count(), 0);
    }

    void allListsEveryLeafInDisplayOrder()
    {
        OutlineNode *alpha = ui->TreeView1->outline().topLevelNode(0);
        ui->TreeView1->setExpanded(alpha->child(0), false);
        ui->TreeView1->setExpanded(alpha, false);
        list()->clear();
        press("ShowAllItemsBtn");
        QCOMPARE(listTexts(*list()), (QStringList{"Alpha", "Beta", "Gamma", "Delta", "Epsilon"}));
        QCOMPARE(form->pickedRecord(), nullptr);
        // Entries refer to the leaves' own records.
        QCOMPARE(list()->count(), 5);
        pick(2);
        QCOMPARE(form->pickedRecord().get(), (alpha->child(0)->child(0))->record().get());
    }

    void categoriesComparesExactly_data()
    {
        QTest::addColumn<QString>("chooserText");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("Memo") << "Memo" << QStringList{"Alpha", "Epsilon"};
        QTest::newRow("letter case") << "memo" << QStringList{"Beta"};
        QTest::newRow("trailing blank") << "Memo " << QStringList{"Gamma"};
        QTest::newRow("empty chooser text") << "" << QStringList{"Delta"};
        QTest::newRow("no such category") << "ToDo" << QStringList{};
    }

    void categoriesComparesExactly()
    {
        QFETCH(QString, chooserText);
        QFETCH(QStringList, listed);
        chooser()->setEditText(chooserText);
        press("ShowItemsBtn");
        QCOMPARE(listTexts(*list()), listed);
        QCOMPARE(form->pickedRecord(), nullptr);
    }

    void pickingShowsTextAndCategory()
    {
        pick(1);
        QCOMPARE(ui->RichEdit2->toPlainText(), QStringLiteral("beta text"));
        QCOMPARE(chooser()->currentText(), QStringLiteral("memo"));
        press("ShowItemsBtn");
        QCOMPARE(listTexts(*list()), QStringList{"Beta"});
        // The filling picks nothing; the viewer keeps what it showed.
        QCOMPARE(form->pickedRecord(), nullptr);
        QCOMPARE(ui->RichEdit2->toPlainText(), QStringLiteral("beta text"));

        // The keyboard picks as well.
        press("ShowAllItemsBtn");
        list()->setFocus();
        list()->setCurrentRow(3);
        QCOMPARE(ui->RichEdit2->toPlainText(), QStringLiteral("delta text"));
        QCOMPARE(chooser()->currentText(), QString());
    }

    void assignThenFilterListsTheLeaf()
    {
        const QString toolbarBox = ui->TreeViewComboBox->currentText();
        pick(3);
        chooser()->setEditText("ToDo");
        press("AssignCatBtn");
        QCOMPARE((ui->TreeView1->outline().topLevelNode(0)->child(1))->record()->Category(), QByteArray("ToDo"));
        // Nothing is refreshed by assigning.
        QCOMPARE(list()->count(), 5);
        QCOMPARE(ui->TreeViewComboBox->currentText(), toolbarBox);
        press("ShowItemsBtn");
        QCOMPARE(listTexts(*list()), QStringList{"Delta"});

        // Cut to 20 characters.
        pick(0);
        chooser()->setEditText("A category of 25 letters");
        press("AssignCatBtn");
        QCOMPARE(form->pickedRecord()->Category(), QByteArray("A category of 25 let"));

        // With nothing picked, Assign does nothing.
        press("ShowAllItemsBtn");
        chooser()->setEditText("Unknown");
        press("AssignCatBtn");
        QCOMPARE((ui->TreeView1->outline().topLevelNode(1))->record()->Category(), QByteArray("Memo"));
    }

    void prunedLeafStillWorks()
    {
        showTreePage();
        OutlineNode *epsilon = ui->TreeView1->outline().topLevelNode(1);
        ui->TreeView1->setCurrentItem(epsilon);
        form->DelBtnClick();
        QCOMPARE(ui->TreeView1->outline().topLevelCount(), 1);
        showGroupsPage();
        QCOMPARE(list()->count(), 5);
        pick(4);
        QCOMPARE(ui->RichEdit2->toPlainText(), QStringLiteral("epsilon text"));
        ui->RichEdit2->setFocus();
        ui->RichEdit2->moveCursor(QTextCursor::End);
        QTest::keyClicks(ui->RichEdit2, " edited");
        chooser()->setEditText("ToDo");
        press("AssignCatBtn");
        QCOMPARE(form->pickedRecord()->Category(), QByteArray("ToDo"));
        pick(0);
        pick(4);
        QCOMPARE(ui->RichEdit2->toPlainText(), QStringLiteral("epsilon text edited"));
        QVERIFY(errors.isEmpty());
    }

    void viewerEditsReachTheLeafEditor()
    {
        // Alpha is selected in the tree after loading; pick it in the list too.
        QCOMPARE(ui->TreeView1->currentItem(), ui->TreeView1->outline().topLevelNode(0));
        pick(0);
        ui->RichEdit2->setFocus();
        ui->RichEdit2->moveCursor(QTextCursor::End);
        QTest::keyClicks(ui->RichEdit2, " from viewer");
        showTreePage();
        ui->RichEdit1->setFocus();
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("alpha text from viewer"));
        QVERIFY((ui->TreeView1->outline().topLevelNode(0))->record()->Notes.join().contains("from viewer"));

        // And the other way: the leaf editor's exit reloads the viewer from the picked entry.
        ui->RichEdit1->moveCursor(QTextCursor::End);
        QTest::keyClicks(ui->RichEdit1, " and editor");
        showGroupsPage();
        ui->RichEdit2->setFocus();
        QCOMPARE(ui->RichEdit2->toPlainText(), QStringLiteral("alpha text from viewer and editor"));
    }

    void viewerOfAnotherLeafReloadsEditorWithItsOwnText()
    {
        pick(4);
        ui->RichEdit2->setFocus();
        ui->RichEdit2->moveCursor(QTextCursor::End);
        QTest::keyClicks(ui->RichEdit2, " changed");
        showTreePage();
        ui->RichEdit1->setFocus();
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("alpha text"));
        QVERIFY((ui->TreeView1->outline().topLevelNode(1))->record()->Notes.join().contains("changed"));
    }

    void viewerWithNothingPickedStoresNothing()
    {
        pick(1);
        press("ShowAllItemsBtn");
        QCOMPARE(form->pickedRecord(), nullptr);
        ui->RichEdit2->setFocus();
        ui->RichEdit2->moveCursor(QTextCursor::End);
        QTest::keyClicks(ui->RichEdit2, " lost");
        ui->ListBox->setFocus();
        const NoteRef beta = (ui->TreeView1->outline().topLevelNode(0)->child(0))->record();
        QVERIFY(!beta->Notes.join().contains("lost"));
        pick(1);
        QCOMPARE(ui->RichEdit2->toPlainText(), QStringLiteral("beta text"));
    }

    void clickOnListStoresViewerIntoPreviousEntry()
    {
        pick(1);
        ui->RichEdit2->setFocus();
        ui->RichEdit2->moveCursor(QTextCursor::End);
        QTest::keyClicks(ui->RichEdit2, " kept");
        pick(3);
        QCOMPARE(ui->RichEdit2->toPlainText(), QStringLiteral("delta text"));
        QVERIFY((ui->TreeView1->outline().topLevelNode(0)->child(0))->record()->Notes.join().contains("beta text kept"));
    }
};

QTEST_MAIN(GroupsPageTest)
#include "groupspage_test.moc"
