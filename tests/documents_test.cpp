// Tests of the document commands on the main window: New, Open, Save, Save As, Import Doc, Export Doc,
// Help > Contents, the caption and remembered-name rules, and the file dialogs' settings.
#include "app/Main.h"
#include "app/asker.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/outline.h"
#include "document/outlinemodel.h"
#include "document/treefile.h"
#include "support.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Answers the file dialogs with preset names (a null string cancels) and records what was asked.
class ScriptedAsker : public FileAsker
{
public:
    QStringList answers;
    QList<FileDialogSpec> dialogs;
    QStringList overwriteQuestions;
    bool overwriteAnswer = true;
    QStringList warnings;

    QString askFileName(QWidget *, const FileDialogSpec &request) override
    {
        dialogs.append(request);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    bool confirmOverwrite(QWidget *, const QString &name) override
    {
        overwriteQuestions.append(name);
        return overwriteAnswer;
    }
    void warn(QWidget *, const QString &, const QString &text) override { warnings.append(text); }
    QStringList saveQuestions;
    SaveChanges saveAnswer = SaveChanges::Discard;
    SaveChanges askSaveChanges(QWidget *, const QString &title, const QString &name) override
    {
        saveQuestions.append(title + QLatin1String(": ") + name);
        return saveAnswer;
    }
};

// One record of a tree file as the test writes it, independent of the program's writer.
struct Rec
{
    QByteArray caption;
    qint32 level = 0;
    QByteArray category = "Default";
    QByteArray text;
};

QByteArray treeBytes(const QList<Rec> &records, qint32 count = -1)
{
    QList<QByteArray> bytes;
    for (const Rec &r : records) {
        bytes.append(support::recordBytes(r.caption, r.level, r.category, r.text));
    }
    return support::treeFileBytes(bytes, count);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "caption@level" for every node in display order.
QStringList outlineOf(const OutlineWidget &tree)
{
    QStringList lines;
    outline::walk(tree.outline(), [&](const OutlineNode *node, int level) {
        lines.append(QStringLiteral("%1@%2").arg(node->caption()).arg(level));
    });
    return lines;
}

const QByteArray BoldRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 plain {\\b bold} end\\par}";

} // namespace

class DocumentsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TForm1> form;
    std::unique_ptr<FormParts> ui;
    ScriptedAsker *asker = nullptr;
    QStringList errors;
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

    // A started window, shown and active, with the scripted asker.
    bool start()
    {
        form = std::make_unique<TForm1>();
        ui = std::make_unique<FormParts>(*form);
        auto scripted = std::make_unique<ScriptedAsker>();
        asker = scripted.get();
        form->setAsker(std::move(scripted));
        form->FormCreate({});
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }

    // A three-leaf tree file: First (text "first text") with child Second, then Third.
    QString sampleTree(const QString &name)
    {
        const QString file = path(name);
        writeFile(file, treeBytes({{"First", 0, "Memo", "first text"},
                                   {"Second", 1, "ToDo", "second text"},
                                   {"Third", 0, "Memo", "third text"}}));
        return file;
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
        QVERIFY(start());
    }
    void cleanup()
    {
        ui.reset();
        form.reset();
        asker = nullptr;
    }
    void cleanupTestCase() { setErrorReporter({}); }

    void startsWithNewTreeCaptionAndInitialName()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Quillax - NewTree"));
        QCOMPARE(form->rememberedName(), QStringLiteral("*.*"));
        QCOMPARE(outlineOf(*ui->TreeView1), QStringList{"O@0"});
    }

    void saveRightAfterStartAsksForAName()
    {
        const QString target = path("first.tre");
        asker->answers = {target};
        form->Save1Click();
        QCOMPARE(asker->dialogs.size(), 1);
        const FileDialogSpec request = asker->dialogs.first();
        QCOMPARE(request.objectName, QStringLiteral("SaveDialog1"));
        QCOMPARE(request.kind, FileDialogSpec::Kind::Save);
        QCOMPARE(request.filter, QStringLiteral("Quillax (*.TRE)|*.TRE"));
        QCOMPARE(request.defaultExtension, QStringLiteral("tre"));
        QCOMPARE(request.fileName, QString());
        QVERIFY(errors.isEmpty());
        QCOMPARE(readTreeFile(target).recordsRead(), 1);
        QCOMPARE(form->windowTitle(), QStringLiteral("first.tre"));
        QCOMPARE(form->rememberedName(), target);
    }

    void saveStoresTextPutInWithoutTheKeyboard()
    {
        ui->TreeView1->setFocus();
        QAccessibleInterface *editor = QAccessible::queryAccessibleInterface(ui->RichEdit1);
        QVERIFY(editor && editor->editableTextInterface());
        editor->editableTextInterface()->insertText(0, QStringLiteral("spoken words"));
        QVERIFY(!ui->RichEdit1->hasFocus());
        const QString target = path("unfocused.tre");
        asker->answers = {target};
        form->Save1Click();
        QVERIFY(readFile(target).contains("spoken words"));
    }

    void saveWritesToRememberedNameWithoutDialog()
    {
        const QString target = path("second.tre");
        asker->answers = {target};
        form->SaveAs1Click();
        QCOMPARE(readTreeFile(target).recordsRead(), 1);

        form->AddBtnClick();
        asker->dialogs.clear();
        form->Save1Click();
        QVERIFY(asker->dialogs.isEmpty());
        QCOMPARE(readTreeFile(target).recordsRead(), 2);

        // New keeps the remembered name, but the caption no longer shows that file: Save asks, and a
        // cancelled question leaves the file as it was.
        form->New1Click();
        QCOMPARE(form->windowTitle(), QStringLiteral("Quillax - NewTree"));
        QCOMPARE(form->rememberedName(), target);
        asker->answers = {QString()};
        form->Save1Click();
        QCOMPARE(asker->dialogs.size(), 1);
        QCOMPARE(asker->dialogs.first().objectName, QStringLiteral("SaveDialog1"));
        QCOMPARE(readTreeFile(target).recordsRead(), 2);
        QVERIFY(errors.isEmpty());
    }

    void saveNeverWritesOverAnOpenedDocument()
    {
        // An opened text document is not an outline file: Save asks for a name instead of
        // replacing the document with tree-file bytes.
        const QString notes = path("notes.txt");
        QVERIFY(writeFile(notes, "my own words\r\n"));
        asker->answers = {notes};
        form->Open1Click();
        QCOMPARE(form->windowTitle(), QStringLiteral("Quillax - NewTree"));
        ui->RichEdit1->setFocus();
        QTest::keyClicks(ui->RichEdit1, "more");
        asker->dialogs.clear();
        asker->answers = {QString()};
        form->Save1Click();
        QCOMPARE(asker->dialogs.size(), 1);
        QCOMPARE(readFile(notes), QByteArray("my own words\r\n"));

        // Opened again as an outline file, Save writes straight back.
        const QString tree = sampleTree("direct.tre");
        form->OpenDocument(tree);
        asker->dialogs.clear();
        form->Save1Click();
        QVERIFY(asker->dialogs.isEmpty());
        QCOMPARE(readTreeFile(tree).recordsRead(), 3);
        QVERIFY(errors.isEmpty());
    }

    void openAndSaveKeepTheFileAsItIs()
    {
        // Texts ending in CR LF, as the program writes every text, come back byte for byte however often.
        const QString file = path("same.tre");
        const QByteArray original =
            treeBytes({{"Rich", 0, "Memo", BoldRtf + "\r\n"}, {"Plain", 1, "ToDo", "words\r\n"}});
        QVERIFY(writeFile(file, original));
        for (int round = 0; round < 3; ++round) {
            form->OpenDocument(file);
            form->Save1Click();
            QCOMPARE(readFile(file), original);
        }
    }

    void onlyRegularFilesAreOpened()
    {
        form->OpenDocument(sampleTree("kept.tre"));
        const QStringList before = outlineOf(*ui->TreeView1);
        const QString pipe = path("pipe.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const QString treePipe = path("pipe.tre");
        QCOMPARE(::mkfifo(QFile::encodeName(treePipe).constData(), 0600), 0);
        const QString folder = path("folder.tre");
        QVERIFY(QDir().mkpath(folder));
        // A pipe would block, /dev/zero would fill memory: each fails at once and the outline stays.
        for (const QString &bad : {pipe, treePipe, folder, QStringLiteral("/dev/zero")}) {
            errors.clear();
            guarded([&] { form->OpenDocument(bad); });
            QCOMPARE(errors, QStringList{QStringLiteral("Cannot open file %1.").arg(bad)});
            QCOMPARE(outlineOf(*ui->TreeView1), before);
        }
    }

    void startingWithAFileLeavesTheKeyboardInTheOutline()
    {
        // Typing right after the program opened a file must not rename the first leaf's category.
        ui.reset();
        form.reset();
        form = std::make_unique<TForm1>();
        ui = std::make_unique<FormParts>(*form);
        form->FormCreate({sampleTree("start.tre")});
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui->TreeView1));
        QTest::keyClicks(QApplication::focusWidget(), "zz");
        QCOMPARE((ui->TreeView1->outline().topLevelNode(0))->record()->Category(), QByteArray("Memo"));
    }

    void saveAsAsksBeforeWritingOverAnExistingFile()
    {
        const QString target = path("existing.tre");
        QVERIFY(writeFile(target, "old bytes"));
        asker->answers = {target};
        asker->overwriteAnswer = false;
        form->SaveAs1Click();
        QCOMPARE(asker->overwriteQuestions, QStringList{target});
        QCOMPARE(readFile(target), QByteArray("old bytes"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Quillax - NewTree"));
        QCOMPARE(form->rememberedName(), QStringLiteral("*.*"));

        asker->answers = {target};
        asker->overwriteAnswer = true;
        form->SaveAs1Click();
        QCOMPARE(readTreeFile(target).recordsRead(), 1);
        QCOMPARE(form->windowTitle(), QStringLiteral("existing.tre"));
        // The save dialog opens with its last confirmed name.
        QCOMPARE(asker->dialogs.last().fileName, target);
    }

    void failedSaveAsKeepsOldFileCaptionAndName()
    {
        const QString good = path("good.tre");
        asker->answers = {good};
        form->SaveAs1Click();
        const QByteArray saved = readFile(good);
        QVERIFY(!saved.isEmpty());

        form->AddBtnClick();
        const QString missingFolder = path("no/such/folder/x.tre");
        asker->answers = {missingFolder};
        form->SaveAs1Click();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QStringLiteral("Cannot create file %1").arg(missingFolder)),
                 qPrintable(errors.first()));
        QVERIFY(!QFileInfo::exists(missingFolder));
        QCOMPARE(form->windowTitle(), QStringLiteral("good.tre"));
        QCOMPARE(form->rememberedName(), good);
        QCOMPARE(readFile(good), saved);

        // A folder of the chosen name is not a file that can be written.
        errors.clear();
        QVERIFY(QDir(dir.path()).mkpath("folder.tre"));
        asker->answers = {path("folder.tre")};
        form->SaveAs1Click();
        QCOMPARE(errors.size(), 1);
        QVERIFY(asker->overwriteQuestions.isEmpty());
        QCOMPARE(form->rememberedName(), good);
    }

    void failedSaveLeavesAnImmutableFileIntact()
    {
        if (geteuid() != 0) {
            QSKIP("chattr +i needs root");
        }
        const QString target = path("locked.tre");
        asker->answers = {target};
        form->SaveAs1Click();
        const QByteArray saved = readFile(target);
        QVERIFY(!saved.isEmpty());
        if (QProcess::execute("chattr", {"+i", target}) != 0) {
            QSKIP("this file system does not support chattr +i");
        }
        const auto unlock = qScopeGuard([&] { QProcess::execute("chattr", {"-i", target}); });
        form->AddBtnClick();
        form->Save1Click();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(target), qPrintable(errors.first()));
        QCOMPARE(readFile(target), saved);
        QCOMPARE(form->windowTitle(), QStringLiteral("locked.tre"));
    }

    void openReadsATreeFileAndRemembersItsName()
    {
        const QString file = sampleTree("README.TRE");
        asker->answers = {file};
        form->Open1Click();
        const FileDialogSpec request = asker->dialogs.first();
        QCOMPARE(request.objectName, QStringLiteral("OpenDialog1"));
        QCOMPARE(request.kind, FileDialogSpec::Kind::Open);
        QCOMPARE(request.filter, QStringLiteral("All Files (*.*)|*.*|Quillax (*.TRE)|*.TRE|Text Files (*.TXT)|*.TXT|"
                                             "Rich Text Files (*.RTF)|*.RTF"));
        QCOMPARE(request.defaultExtension, QStringLiteral("*"));
        QCOMPARE(request.fileName, QStringLiteral("*.*"));
        QVERIFY(errors.isEmpty());
        QCOMPARE(outlineOf(*ui->TreeView1), (QStringList{"First@0", "Second@1", "Third@0"}));
        QVERIFY(ui->TreeView1->isExpanded(ui->TreeView1->outline().topLevelNode(0)));
        QCOMPARE(form->windowTitle(), QStringLiteral("README.TRE"));
        QCOMPARE(form->rememberedName(), file);
        QCOMPARE(ui->ListBox->count(), 3);
        QVERIFY(asker->warnings.isEmpty());

        // The next Open starts from the remembered name; one that does not exist changes nothing, so
        // Save still writes to the file the caption shows.
        const QString nowhere = path("nowhere.tre");
        asker->answers = {nowhere};
        form->Open1Click();
        QCOMPARE(asker->dialogs.last().fileName, file);
        QCOMPARE(form->rememberedName(), file);
        form->Save1Click();
        QVERIFY(!QFileInfo::exists(nowhere));
        QCOMPARE(outlineOf(*ui->TreeView1), (QStringList{"First@0", "Second@1", "Third@0"}));
        QCOMPARE(form->windowTitle(), QStringLiteral("README.TRE"));
        QVERIFY(errors.isEmpty());
    }

    void firstLeafIsSelectedAfterLoadAndTypingIsKept()
    {
        form->OpenDocument(sampleTree("select.tre"));
        OutlineNode *first = ui->TreeView1->outline().topLevelNode(0);
        QCOMPARE(ui->TreeView1->currentItem(), first);
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("first text"));

        ui->RichEdit1->setFocus();
        ui->RichEdit1->moveCursor(QTextCursor::End);
        QTest::keyClicks(ui->RichEdit1, " typed");
        ui->TreeView1->setFocus();
        ui->TreeView1->setCurrentItem(ui->TreeView1->outline().topLevelNode(1));
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("third text"));

        ui->TreeView1->setCurrentItem(first);
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("first text typed"));
        QVERIFY(first->record()->Notes.join().startsWith("{\\rtf"));
    }

    void saveStoresTheLatestEdits()
    {
        const QString target = path("edits.tre");
        form->OpenDocument(sampleTree("edits-source.tre"));
        ui->RichEdit1->setFocus();
        QVERIFY(ui->RichEdit1->hasFocus());
        ui->RichEdit1->moveCursor(QTextCursor::End);
        QTest::keyClicks(ui->RichEdit1, " latest");
        // No focus change before the save: the writer must take the focus away itself.
        form->SaveTree(target);
        const TreeFileContents contents = readTreeFile(target);
        QCOMPARE(contents.recordsRead(), 3);
        QVERIFY(contents.records[0].text.contains("first text latest"));
        QVERIFY(!ui->RichEdit1->hasFocus());

        // After an add the keyboard sits in the caption edit box while the window counts the editor as
        // focused: the text typed before the add is stored and the caption being typed is committed.
        ui->TreeView1->setCurrentItem(ui->TreeView1->outline().topLevelNode(1));
        ui->RichEdit1->setFocus();
        QTest::keyClicks(ui->RichEdit1, "new words");
        form->AddBtnClick();
        QTest::keyClicks(QApplication::focusWidget(), "Named");
        form->SaveTree(target);
        const TreeFileContents after = readTreeFile(target);
        QCOMPARE(after.recordsRead(), 4);
        QVERIFY(after.records[2].text.contains("new words"));
        QCOMPARE(after.records[3].caption, QByteArray("Named"));
    }

    void damagedTreeFileLoadsWhatWasReadAndWarns()
    {
        const QByteArray whole = treeBytes({{"One", 0, "Memo", "1\r\n"},
                                            {"Two", 0, "Memo", "2\r\n"},
                                            {"Three", 0, "Memo", "the third text"}});
        const QString file = path("damaged.tre");
        QVERIFY(writeFile(file, whole.left(whole.size() - 5)));
        form->OpenDocument(file);
        QVERIFY(errors.isEmpty());
        QCOMPARE(outlineOf(*ui->TreeView1), (QStringList{"One@0", "Two@0"}));
        QCOMPARE(asker->warnings.size(), 1);
        QVERIFY2(asker->warnings.first().contains(file), qPrintable(asker->warnings.first()));
        QVERIFY2(asker->warnings.first().contains("2 of 3"), qPrintable(asker->warnings.first()));
        QCOMPARE(form->windowTitle(), QStringLiteral("damaged.tre"));
        QCOMPARE(ui->ListBox->count(), 2);
        // Saving the two leaves over the file would lose the third: Save asks, and the file stays.
        QVERIFY(asker->warnings.first().endsWith(". Save will ask for a name, so that the file stays as it is."));
        form->Save1Click();
        QCOMPARE(asker->dialogs.size(), 1);
        QCOMPARE(readFile(file), whole.left(whole.size() - 5));

        // A count of records none of which can be read: an empty outline and the warning, no error.
        const QString none = path("none.tre");
        QVERIFY(writeFile(none, treeBytes({}, 4) + QByteArray(100, 'x')));
        form->OpenDocument(none);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QCOMPARE(ui->TreeView1->outline().topLevelCount(), 0);
        QCOMPARE(asker->warnings.size(), 2);
        QVERIFY(asker->warnings.last().contains("0 of 4"));
        QCOMPARE(form->windowTitle(), QStringLiteral("none.tre"));
    }

    void emptyTreeFileOpensSilently()
    {
        const QString file = path("empty.tre");
        QVERIFY(writeFile(file, treeBytes({})));
        QCOMPARE(readFile(file).size(), 4);
        form->OpenDocument(file);
        QVERIFY(errors.isEmpty());
        QVERIFY(asker->warnings.isEmpty());
        QCOMPARE(ui->TreeView1->outline().topLevelCount(), 0);
        QCOMPARE(ui->ListBox->count(), 0);
        QCOMPARE(form->windowTitle(), QStringLiteral("empty.tre"));
        QCOMPARE(form->rememberedName(), file);
        QVERIFY(ui->RichEdit1->document()->isEmpty());
    }

    void treeFileThatCannotBeOpenedLeavesTheOutline()
    {
        form->OpenDocument(sampleTree("keep.tre"));
        const QStringList before = outlineOf(*ui->TreeView1);
        const QString missing = path("missing.tre");
        guarded([&] { form->OpenDocument(missing); });
        QCOMPARE(errors, QStringList{QStringLiteral("Cannot open file %1.").arg(missing)});
        QCOMPARE(outlineOf(*ui->TreeView1), before);
        QCOMPARE(form->windowTitle(), QStringLiteral("keep.tre"));
    }

    void documentNamesDecideBranchAndFont_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("courier");
        QTest::addColumn<bool>("bold");
        QTest::newRow("plan.RtF") << "plan.RtF" << BoldRtf << false << true;
        QTest::newRow("list.txt plain") << "list.txt" << QByteArray("line one\r\nline two\r\n") << true << false;
        QTest::newRow("list.txt holding RTF") << "list.txt" << BoldRtf << true << true;
        QTest::newRow("no extension") << "notes" << QByteArray("just notes") << true << false;
        QTest::newRow("ends in rtf without dot") << "myrtf" << QByteArray("plain words") << false << false;
    }

    void documentNamesDecideBranchAndFont()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, courier);
        QFETCH(bool, bold);
        const QString file = path(name);
        QVERIFY(writeFile(file, content));
        form->OpenDocument(sampleTree("before.tre"));
        const QString nameBefore = form->rememberedName();
        const QFont defaultBefore = ui->RichEdit1->document()->defaultFont();

        form->OpenDocument(file);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QCOMPARE(outlineOf(*ui->TreeView1), QStringList{file + "@0"});
        QCOMPARE(form->NewLeafCaption, QStringLiteral("O"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Quillax - NewTree"));
        QCOMPARE(form->rememberedName(), nameBefore);
        QCOMPARE(ui->ListBox->count(), 0);
        const QFont font = ui->RichEdit1->document()->defaultFont();
        if (courier) {
            QCOMPARE(font.family(), QStringLiteral("Courier New"));
            QCOMPARE(font.pointSize(), 9);
        } else {
            QCOMPARE(font, defaultBefore);
        }
        // The content decides: RTF markup is shown formatted, anything else as its text.
        QTextCursor cursor(ui->RichEdit1->document());
        const QString shown = ui->RichEdit1->toPlainText();
        if (bold) {
            QCOMPARE(shown, QStringLiteral("plain bold end"));
            cursor.setPosition(shown.indexOf("bold") + 1);
            QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
        } else {
            QCOMPARE(shown, QString::fromLatin1(content).replace("\r\n", "\n").trimmed());
        }
        // The leaf's record holds the editor's content as RTF.
        const NoteRef record = (ui->TreeView1->outline().topLevelNode(0))->record();
        QVERIFY(record->Notes.join().startsWith("{\\rtf"));
    }

    void readmeTreIsReadAsTreeFile()
    {
        // The last three letters decide, in any case and without a dot.
        const QString upper = path("README.TRE");
        const QString dotless = path("mytre");
        QVERIFY(writeFile(upper, treeBytes({{"Upper", 0, "Memo", "u\r\n"}})));
        QVERIFY(writeFile(dotless, treeBytes({{"Dotless", 0, "Memo", "d\r\n"}})));
        form->OpenDocument(upper);
        QCOMPARE(outlineOf(*ui->TreeView1), QStringList{"Upper@0"});
        form->OpenDocument(dotless);
        QCOMPARE(outlineOf(*ui->TreeView1), QStringList{"Dotless@0"});
        QCOMPARE(form->windowTitle(), QStringLiteral("mytre"));
        // A name of fewer than three characters is a document.
        QDir::setCurrent(dir.path());
        QVERIFY(writeFile("ab", "short name"));
        form->OpenDocument("ab");
        QCOMPARE(outlineOf(*ui->TreeView1), QStringList{"ab@0"});
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("short name"));
    }

    void documentThatCannotBeReadLeavesTheOutline()
    {
        form->OpenDocument(sampleTree("stay.tre"));
        const QStringList before = outlineOf(*ui->TreeView1);
        const QString missing = path("gone.txt");
        guarded([&] { form->OpenDocument(missing); });
        QCOMPARE(errors, QStringList{QStringLiteral("Cannot open file %1.").arg(missing)});
        QCOMPARE(outlineOf(*ui->TreeView1), before);
        QCOMPARE(form->NewLeafCaption, QStringLiteral("O"));
        QCOMPARE(ui->RichEdit1->document()->defaultFont().family() == QStringLiteral("Courier New"), false);
    }

    void exportWritesRtfWhateverTheExtension()
    {
        ui->RichEdit1->setFocus();
        QTest::keyClicks(ui->RichEdit1, "normal ");
        QTextCharFormat boldFormat;
        boldFormat.setFontWeight(QFont::Bold);
        ui->RichEdit1->textCursor().insertText("strong", boldFormat);
        const QString target = path("leaf.txt");
        asker->answers = {target};
        form->ExportText1Click();
        const FileDialogSpec request = asker->dialogs.first();
        QCOMPARE(request.objectName, QStringLiteral("SaveDialog2"));
        QCOMPARE(request.kind, FileDialogSpec::Kind::Save);
        QCOMPARE(request.filter,
                 QStringLiteral("All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Rich Text Files (*.RTF)|*.RTF"));
        QCOMPARE(request.defaultExtension, QStringLiteral("rtf"));
        QVERIFY(errors.isEmpty());
        const QByteArray written = readFile(target);
        QVERIFY2(written.startsWith("{\\rtf"), written.left(40).constData());

        // Read back, the text and its bold word are there.
        form->New1Click();
        asker->answers = {target};
        form->ImportText1Click();
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("normal strong"));
        QTextCursor cursor(ui->RichEdit1->document());
        cursor.setPosition(9);
        QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));

        // An existing file is written over only when the question says yes.
        asker->answers = {target};
        asker->overwriteAnswer = false;
        ui->RichEdit1->setPlainText("other");
        form->ExportText1Click();
        QCOMPARE(asker->overwriteQuestions, QStringList{target});
        QCOMPARE(readFile(target), written);

        // Nothing else changed: caption and remembered name.
        QCOMPARE(form->windowTitle(), QStringLiteral("Quillax - NewTree"));
        QCOMPARE(form->rememberedName(), QStringLiteral("*.*"));

        asker->answers = {path("no/folder/leaf.rtf")};
        form->ExportText1Click();
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.first().startsWith("Cannot create file"));
    }

    void cancellingAnyDialogChangesNothing()
    {
        form->OpenDocument(sampleTree("cancel.tre"));
        const QStringList outline = outlineOf(*ui->TreeView1);
        const QString title = form->windowTitle();
        const QString remembered = form->rememberedName();
        const QString text = ui->RichEdit1->toPlainText();
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);

        form->Open1Click();
        form->SaveAs1Click();
        form->ImportText1Click();
        form->ExportText1Click();
        QCOMPARE(asker->dialogs.size(), 4);
        QVERIFY(errors.isEmpty());
        QCOMPARE(outlineOf(*ui->TreeView1), outline);
        QCOMPARE(form->windowTitle(), title);
        QCOMPARE(form->rememberedName(), remembered);
        QCOMPARE(ui->RichEdit1->toPlainText(), text);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
    }

    void importStoresIntoTheSelectedLeaf()
    {
        const QString doc = path("import.txt");
        QVERIFY(writeFile(doc, "imported words"));
        form->OpenDocument(sampleTree("import.tre"));
        OutlineNode *second = ui->TreeView1->outline().topLevelNode(0)->child(0);
        ui->TreeView1->setCurrentItem(second);
        const QFont fontBefore = ui->RichEdit1->document()->defaultFont();
        asker->answers = {doc};
        form->ImportText1Click();
        QCOMPARE(asker->dialogs.first().objectName, QStringLiteral("OpenDialog2"));
        QCOMPARE(asker->dialogs.first().fileName, QStringLiteral("*.*"));
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("imported words"));
        QCOMPARE(ui->RichEdit1->document()->defaultFont(), fontBefore);
        QCOMPARE(outlineOf(*ui->TreeView1), (QStringList{"First@0", "Second@1", "Third@0"}));
        QVERIFY(second->record()->Notes.join().startsWith("{\\rtf"));
        QCOMPARE(form->windowTitle(), QStringLiteral("import.tre"));

        // A name that does not exist imports nothing.
        asker->answers = {path("absent.txt")};
        form->ImportText1Click();
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("imported words"));
        QVERIFY(errors.isEmpty());
    }

    void importWithNoLeafSelectedMakesALeaf()
    {
        const QString doc = path("orphan.rtf");
        QVERIFY(writeFile(doc, BoldRtf));
        form->ClearTree();
        QCOMPARE(ui->TreeView1->outline().topLevelCount(), 0);
        asker->answers = {doc};
        form->ImportText1Click();
        QVERIFY(errors.isEmpty());
        QCOMPARE(outlineOf(*ui->TreeView1), QStringList{doc + "@0"});
        QCOMPARE(form->NewLeafCaption, QStringLiteral("O"));
        OutlineNode *made = ui->TreeView1->outline().topLevelNode(0);
        QCOMPARE(ui->TreeView1->currentItem(), made);
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("plain bold end"));
        QVERIFY(made->record()->Notes.join().contains("bold"));
    }

    void helpContentsMissingLeavesTheOutline()
    {
        const QStringList places = TForm1::helpDocumentCandidates();
        QCOMPARE(places.first(), QStringLiteral("Quillax.tre"));
        QCOMPARE(places.value(1), QDir(QCoreApplication::applicationDirPath()).filePath("Quillax.tre"));
        for (const QString &place : places.mid(1)) {
            if (QFileInfo::exists(place)) {
                QSKIP("a help document is installed where the program looks for it");
            }
        }
        QTemporaryDir empty;
        QVERIFY(QDir::setCurrent(empty.path()));
        form->OpenDocument(sampleTree("help-keep.tre"));
        const QStringList before = outlineOf(*ui->TreeView1);
        form->Contents1Click();
        QCOMPARE(errors, QStringList{"Cannot open file Quillax.tre."});
        QCOMPARE(outlineOf(*ui->TreeView1), before);
        QCOMPARE(form->windowTitle(), QStringLiteral("help-keep.tre"));
        QVERIFY(QDir::setCurrent(dir.path()));
    }

    void helpContentsOpensTheDocumentInTheCurrentFolder()
    {
        QTemporaryDir helpDir;
        QVERIFY(writeFile(helpDir.filePath("Quillax.tre"), treeBytes({{"Help", 0, "Memo", "how to"},
                                                                      {"Commands", 1, "Memo", "all"}})));
        QVERIFY(QDir::setCurrent(helpDir.path()));
        form->Contents1Click();
        QVERIFY(errors.isEmpty());
        QCOMPARE(outlineOf(*ui->TreeView1), (QStringList{"Help@0", "Commands@1"}));
        QCOMPARE(form->windowTitle(), QStringLiteral("Quillax.tre"));
        QCOMPARE(form->rememberedName(), QStringLiteral("Quillax.tre"));
        QCOMPARE(ui->RichEdit1->toPlainText(), QStringLiteral("how to"));
        QVERIFY(QDir::setCurrent(dir.path()));
    }

    void fourDialogsAreSetUpAsTheCommandsAsk()
    {
        const QString doc = path("dialogs.txt");
        QVERIFY(writeFile(doc, "x"));
        // Each dialog is asked once, confirmed, and asked again: it opens with its last confirmed name.
        asker->answers = {path("nothing.tre"), path("d1.tre"), doc, path("d2.rtf")};
        form->Open1Click();
        form->SaveAs1Click();
        form->ImportText1Click();
        form->ExportText1Click();
        asker->answers.clear();
        form->Open1Click();
        form->SaveAs1Click();
        form->ImportText1Click();
        form->ExportText1Click();
        QCOMPARE(asker->dialogs.size(), 8);
        // Save As wrote d1.tre, which became the remembered name that OpenDialog1 opens with.
        QCOMPARE(asker->dialogs[4].fileName, path("d1.tre"));
        QCOMPARE(asker->dialogs[5].fileName, path("d1.tre"));
        QCOMPARE(asker->dialogs[6].fileName, doc);
        QCOMPARE(asker->dialogs[7].fileName, path("d2.rtf"));
        QCOMPARE(asker->dialogs[2].fileName, QStringLiteral("*.*"));
        QCOMPARE(asker->dialogs[3].fileName, QString());

        struct Expected
        {
            QString name;
            QFileDialog::AcceptMode mode;
            QString suffix;
            int filterCount;
        };
        const QList<Expected> expected{{"OpenDialog1", QFileDialog::AcceptOpen, "", 4},
                                       {"SaveDialog1", QFileDialog::AcceptSave, "tre", 1},
                                       {"OpenDialog2", QFileDialog::AcceptOpen, "", 3},
                                       {"SaveDialog2", QFileDialog::AcceptSave, "rtf", 3}};
        for (int i = 0; i < 4; ++i) {
            QFileDialog dialog;
            configureFileDialog(dialog, asker->dialogs[i]);
            QCOMPARE(dialog.objectName(), expected[i].name);
            QCOMPARE(dialog.acceptMode(), expected[i].mode);
            QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
            QCOMPARE(dialog.defaultSuffix(), expected[i].suffix);
            QCOMPARE(dialog.nameFilters().size(), expected[i].filterCount);
            QCOMPARE(dialog.selectedNameFilter(), dialog.nameFilters().first());
            QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
            QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
            QVERIFY(dialog.isSizeGripEnabled());
        }
    }

    void nameFiltersFollowTheBarPairs_data()
    {
        QTest::addColumn<QString>("bars");
        QTest::addColumn<QStringList>("filters");
        QTest::newRow("tree") << "All Files (*.*)|*.*|Quillax (*.TRE)|*.TRE|Text Files (*.TXT)|*.TXT"
                              << QStringList{"All Files (*.*)", "Quillax (*.TRE)", "Text Files (*.TXT)"};
        QTest::newRow("one pair") << "Quillax (*.TRE)|*.TRE" << QStringList{"Quillax (*.TRE)"};
        QTest::newRow("description without patterns") << "Pictures|*.png;*.jpg"
                                                       << QStringList{"Pictures (*.png *.jpg)"};
        QTest::newRow("unpaired description dropped") << "Text (*.txt)|*.txt|Lonely" << QStringList{"Text (*.txt)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void nameFiltersFollowTheBarPairs()
    {
        QFETCH(QString, bars);
        QFETCH(QStringList, filters);
        QCOMPARE(qtNameFilters(bars), filters);
    }

    // Closing, New, Open and Help > Contents ask before unsaved changes go; nothing changed, nothing asked.
    void unsavedChangesAreAskedAboutBeforeTheyGo()
    {
        const QString file = sampleTree(QStringLiteral("plan.tre"));
        const QByteArray saved = readFile(file);
        form->OpenDocument(file);
        const QString outline = outlineOf(*ui->TreeView1).join(QLatin1Char(' '));
        const auto pruneFirst = [&] {
            ui->TreeView1->setCurrentItem(ui->TreeView1->outline().topLevelNode(0));
            form->DelBtnClick();
        };
        const QString asked = applicationTitle() + QLatin1String(": plan.tre");
        asker->saveAnswer = FileAsker::SaveChanges::Cancel;

        // Cancel leaves everything as it was, whichever command asked.
        pruneFirst();
        QVERIFY(form->isOutlineModified());
        const QString pruned = outlineOf(*ui->TreeView1).join(QLatin1Char(' '));
        QVERIFY(!form->close());
        form->New1Click();
        form->Open1Click();
        form->Contents1Click();
        QCOMPARE(asker->saveQuestions, QStringList(4, asked));
        QVERIFY(asker->dialogs.isEmpty());
        QVERIFY(form->isVisible());
        QCOMPARE(outlineOf(*ui->TreeView1).join(QLatin1Char(' ')), pruned);

        // Undoing back to what was read counts as unchanged: nothing is asked.
        form->UndoClick();
        QVERIFY(!form->isOutlineModified());
        asker->saveQuestions.clear();
        form->New1Click();
        QVERIFY(asker->saveQuestions.isEmpty());
        QCOMPARE(outlineOf(*ui->TreeView1), QStringList{QStringLiteral("O@0")});
        QVERIFY(!form->isOutlineModified());

        // Discard goes on; Save writes the file first.
        form->OpenDocument(file);
        QCOMPARE(outlineOf(*ui->TreeView1).join(QLatin1Char(' ')), outline);
        pruneFirst();
        asker->saveAnswer = FileAsker::SaveChanges::Discard;
        form->New1Click();
        QCOMPARE(asker->saveQuestions, QStringList{asked});
        QCOMPARE(readFile(file), saved);
        form->OpenDocument(file);
        pruneFirst();
        asker->saveAnswer = FileAsker::SaveChanges::Save;
        QVERIFY(form->close());
        QVERIFY(readFile(file) != saved);

        // Text typed and not yet stored counts too; a new outline is named as the caption names it.
        QVERIFY(start());
        QTest::keyClicks(ui->RichEdit1, QStringLiteral("typed"));
        QVERIFY(form->isOutlineModified());
        asker->saveAnswer = FileAsker::SaveChanges::Cancel;
        QVERIFY(!form->close());
        QCOMPARE(asker->saveQuestions, QStringList{applicationTitle() + QLatin1String(": NewTree")});
    }
};

QTEST_MAIN(DocumentsTest)
#include "documents_test.moc"
