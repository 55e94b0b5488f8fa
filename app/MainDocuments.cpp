// The document commands: New, Open, Save, Save As, Import Doc, Export Doc and Help > Contents, with
// OpenDocument and SaveTree, the four file dialogs and the window caption rules.
#include "app/Main.h"

#include "app/asker.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/commands.h"
#include "document/copylines.h"
#include "text/errors.h"
#include "text/fileaccess.h"
#include "document/helpdoc.h"
#include "document/outlinefile.h"
#include "document/treefile.h"
#include "text/richtext.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QScopeGuard>
#include <QTextDocument>
#include <QUndoStack>
#include <QToolButton>

#include <algorithm>

#ifndef QUILLAX_DATADIR
#define QUILLAX_DATADIR ""
#endif

namespace {

const QString TreeFilter = QStringLiteral(
    "All Files (*.*)|*.*|Quillax (*.TRE)|*.TRE|Text Files (*.TXT)|*.TXT|Rich Text Files (*.RTF)|*.RTF");
const QString SaveTreeFilter = QStringLiteral("Quillax (*.TRE)|*.TRE");
const QString DocumentFilter =
    QStringLiteral("All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Rich Text Files (*.RTF)|*.RTF");
const QString InitialDialogName = QStringLiteral("*.*");

// Whether the last three characters of the name are these, in any case. A name of fewer than three
// characters has no such ending, so it never counts as a tree file or an RTF document.
bool endsWithThree(const QString &path, QLatin1String ending)
{
    return path.size() >= 3 && path.right(3).compare(ending, Qt::CaseInsensitive) == 0;
}

// A file counts as existing only when it is a file, not a folder.
bool fileExists(const QString &path)
{
    return QFileInfo(path).isFile();
}

} // namespace

QString fileNamePart(const QString &path)
{
    const qsizetype cut = std::max({path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char(':')),
                                    path.lastIndexOf(QLatin1Char('/'))});
    return path.mid(cut + 1);
}

// The name stays relative for the current directory, so the caption and the remembered name show it so.
QStringList TForm1::helpDocumentCandidates()
{
    // The current folder, beside the program, the data folders, and the folder this build installs into.
    QStringList candidates = helpdoc::candidatePaths();
    const QString dataDir = QStringLiteral(QUILLAX_DATADIR);
    if (!dataDir.isEmpty()) {
        const QString installed = QDir::cleanPath(dataDir + QLatin1Char('/') + helpdoc::FileName);
        if (!candidates.contains(installed)) {
            candidates.append(installed);
        }
    }
    return candidates;
}

void TForm1::bindDocumentHandlers()
{
    bindCommand(New1, NewTreeButton, &TForm1::New1Click);
    bindCommand(Open1, OpenButton, &TForm1::Open1Click);
    bindCommand(Save1, nullptr, &TForm1::Save1Click);
    bindCommand(SaveAs1, SaveButton, &TForm1::SaveAs1Click);
    bindCommand(ImportText1, ImportTextButton, &TForm1::ImportText1Click);
    bindCommand(ExportText1, ExportTextButton, &TForm1::ExportText1Click);
    bindCommand(Contents1, nullptr, &TForm1::Contents1Click);
}

void TForm1::New1Click()
{
    guarded([&] {
        if (!maySetOutlineAside()) {
            return;
        }
        TreeView1->setEnabled(false);
        ClearTree();
        TreeView1->setEnabled(true);
        AddBtnClick();
        // The first leaf of a new outline is no step: it takes the editor and the box as they show it,
        // and the outline starts unchanged.
        storeShownLeaf();
        startHistory();
    });
}

void TForm1::Open1Click()
{
    guarded([&] {
        if (!maySetOutlineAside()) {
            return;
        }
        const QString name =
            asker().askFileName(this, {FileDialogSpec::Kind::Open, QStringLiteral("OpenDialog1"), TreeFilter,
                                       QStringLiteral("*"), openDialog1Name_});
        if (name.isNull()) {
            return;
        }
        // Remembered only once the file has been read: a name that does not exist or a file that cannot be
        // read changes nothing, so Save still writes to the file the caption shows.
        if (fileExists(name)) {
            OpenDocument(name);
            openDialog1Name_ = name;
        }
    });
}

void TForm1::Save1Click()
{
    guarded([&] {
        // A document, a new outline or nothing opened yet: the remembered name may be a text file or
        // another outline, so the user names the file.
        if (!showsRememberedFile_ || openDialog1Name_.isEmpty() || openDialog1Name_ == InitialDialogName) {
            SaveAs1Click();
            return;
        }
        SaveTree(openDialog1Name_);
    });
}

void TForm1::SaveAs1Click()
{
    guarded([&] {
        const QString name = asker().askFileName(this, {FileDialogSpec::Kind::Save, QStringLiteral("SaveDialog1"),
                                                        SaveTreeFilter, QStringLiteral("tre"), saveDialog1Name_});
        if (name.isNull()) {
            return;
        }
        saveDialog1Name_ = name;
        if (fileExists(name) && !asker().confirmOverwrite(this, name)) {
            return;
        }
        // A failed write throws here, so the caption and the remembered name keep the old document.
        SaveTree(name);
        openDialog1Name_ = name;
        setWindowTitle(fileNamePart(name));
        showsRememberedFile_ = true;
    });
}

void TForm1::ImportText1Click()
{
    guarded([&] {
        const QString name =
            asker().askFileName(this, {FileDialogSpec::Kind::Open, QStringLiteral("OpenDialog2"), DocumentFilter,
                                       QStringLiteral("*"), openDialog2Name_});
        if (name.isNull()) {
            return;
        }
        openDialog2Name_ = name;
        if (!fileExists(name)) {
            return;
        }
        // Read first: a file that cannot be read leaves the editor and the leaf as they were.
        const QByteArray bytes = fileaccess::readRegularFile(name);
        if (TreeView1->currentItem() == nullptr) {
            // No leaf to take the text: the document gets a top-level leaf of its own, captioned with its path.
            NewLeafCaption = name;
            const auto restoreCaption = qScopeGuard([this] { NewLeafCaption = QStringLiteral("O"); });
            AddBtnClick();
        }
        const OutlineNode *target = TreeView1->currentItem();
        if (target == nullptr) {
            return;
        }
        richtext::loadBytes(*RichEdit1->document(), bytes);
        LineList text;
        CopyLines(*RichEdit1->document(), text);
        shownRevision_ = RichEdit1->document()->revision();
        history_->push(new commands::SetText(TreeView1->outline(), QStringLiteral("Import Doc"),
                                             const_cast<OutlineNode *>(target), std::move(text)));
    });
}

void TForm1::ExportText1Click()
{
    guarded([&] {
        const QString name = asker().askFileName(this, {FileDialogSpec::Kind::Save, QStringLiteral("SaveDialog2"),
                                                        DocumentFilter, QStringLiteral("rtf"), saveDialog2Name_});
        if (name.isNull()) {
            return;
        }
        saveDialog2Name_ = name;
        if (fileExists(name) && !asker().confirmOverwrite(this, name)) {
            return;
        }
        // RTF markup whatever the extension, a text-file one included.
        fileaccess::saveAtomically(name, richtext::saveBytes(*RichEdit1->document()));
    });
}

void TForm1::Contents1Click()
{
    guarded([&] {
        if (!maySetOutlineAside()) {
            return;
        }
        QString found;
        for (const QString &candidate : helpDocumentCandidates()) {
            QFile probe;
            try {
                fileaccess::openRegularFile(probe, candidate);
                found = candidate;
                break;
            } catch (const FileError &) {
                // Not there or not readable: try the next place.
            }
        }
        if (found.isEmpty()) {
            // The outline stays as it was.
            throw FileError(QStringLiteral("Cannot open file %1").arg(helpdoc::FileName));
        }
        // OpenDocument clears the outline itself, and only once the help document has been read.
        OpenDocument(found);
    });
}

void TForm1::OpenDocument(const QString &path)
{
    if (endsWithThree(path, QLatin1String("tre"))) {
        openTreeFile(path);
    } else {
        openTextDocument(path);
    }
}

void TForm1::openTreeFile(const QString &path)
{
    // Nothing changes before the file has been opened and its records read: a file that cannot be opened
    // leaves the outline as it was. The old outline then goes before the new texts take their memory.
    TreeFileReading reading(path);
    ClearTree();
    const TreeFileContents contents = reading.readTexts();
    showReadOutline(contents);
    setWindowTitle(fileNamePart(path));
    openDialog1Name_ = path;
    // Saving a part of the file over it would destroy the rest: after a damaged or short file, Save asks.
    showsRememberedFile_ = contents.complete;
    if (!contents.complete) {
        asker().warn(this, applicationTitle(),
                     treeFileWarning(path, contents) +
                         QStringLiteral(". Save will ask for a name, so that the file stays as it is."));
    }
}

void TForm1::showReadOutline(const TreeFileContents &contents)
{
    {
        // Building the tree selects nothing, and no text may move while it is built.
        const SelectionHandlersOff handlersOff(*this);
        populateTree(TreeView1->outline(), contents);
        TreeView1->expandAll();
    }
    ListAllLeaves();
    // The first leaf is selected, so the editor shows a leaf's text and what the user types there is
    // kept. After ClearTree nothing was selected, so nothing is stored by the selection handlers.
    if (OutlineNode *first = TreeView1->outline().topLevelNode(0)) {
        TreeView1->setCurrentItem(first);
    }
    // The keyboard goes to the outline, however the file came in (Open, Help, the command line):
    // left in the category box, the first key typed would rename the first leaf's category.
    TreeView1->setFocus();
}

void TForm1::openTextDocument(const QString &path)
{
    // Read first: a document that cannot be read leaves the current outline as it was.
    QByteArray bytes = fileaccess::readRegularFile(path);
    NewLeafCaption = path;
    const auto restoreCaption = qScopeGuard([this] { NewLeafCaption = QStringLiteral("O"); });
    TreeView1->setEnabled(false);
    ClearTree();
    TreeView1->setEnabled(true);
    AddBtnClick();
    if (!endsWithThree(path, QLatin1String("rtf"))) {
        // Stays for the rest of the run.
        RichEdit1->document()->setDefaultFont(QFont(QStringLiteral("Courier New"), 9));
    }
    // RTF or plain text by the content alone.
    richtext::loadBytes(*RichEdit1->document(), bytes);
    RichEdit1->moveCursor(QTextCursor::Start);
    // The editor holds the text now; the leaf's copy below would otherwise be the third in memory.
    bytes = QByteArray();
    if (const OutlineNode *leaf = TreeView1->currentItem()) {
        CopyLines(*RichEdit1->document(), leaf->record()->Notes);
        shownRevision_ = RichEdit1->document()->revision();
    }
    storeShownLeaf();
    startHistory();
}

void TForm1::SaveTree(const QString &path)
{
    storePendingEdits();
    // Text put into the editor without the keyboard (by a screen reader, say) has no focus to leave.
    storeShownLeaf();
    saveTreeFile(path, TreeView1->outline());
    history_->setClean();
}

void TForm1::storePendingEdits()
{
    QWidget *keyboard = QApplication::focusWidget();
    const bool keyboardInWindow = keyboard != nullptr && (keyboard == this || isAncestorOf(keyboard));
    QWidget *active = activeControl();
    if (active == nullptr) {
        active = keyboardInWindow ? keyboard : focusWidget();
    }
    // The focus-out runs the exit handler of the control that has the keyboard (a caption being
    // edited is committed the same way).
    if (keyboardInWindow) {
        keyboard->clearFocus();
    }
    // The window counts an editor as focused while the keyboard is elsewhere (in the caption edit box
    // after an add, or in a dialog): its exit handling runs now.
    if (active != keyboard || !keyboardInWindow) {
        if (active == RichEdit1) {
            RichEdit1Exit();
        } else if (active == RichEdit2) {
            RichEdit2Exit();
        }
    }
    setActiveControl(nullptr);
}
