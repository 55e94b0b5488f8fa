// The outline's history in the window: the Edit menu's Undo and Redo, the keys of the outline commands,
// and the question asked before unsaved changes are closed or replaced.
#include "app/Main.h"

#include "app/asker.h"
#include "app/completingcombo.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/clipboard.h"
#include "document/commands.h"
#include "document/copylines.h"
#include "text/errors.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QMimeData>
#include <QGuiApplication>
#include <QMenu>
#include <QSessionManager>
#include <QTextDocument>
#include <QUndoStack>

namespace {

// A key of the window's own (the menus show none) for an action, where context says.
void addKey(QWidget *owner, QAction *action, const char *name, const QList<QKeySequence> &keys,
            Qt::ShortcutContext context)
{
    auto *key = new QAction(owner);
    key->setObjectName(QLatin1String(name));
    key->setShortcuts(keys);
    key->setShortcutContext(context);
    owner->addAction(key);
    QObject::connect(key, &QAction::triggered, action, &QAction::trigger);
}

} // namespace

void TForm1::buildEditMenu()
{
    history_ = new QUndoStack(this);
    history_->setObjectName(QStringLiteral("History"));
    history_->setUndoLimit(commands::HistoryLimit);
    TreeView1->outline().setHistory(history_);

    // The items name the step they undo or redo; with none they read "Undo" and "Redo" and are off.
    const auto update = [this] {
        Undo1->setEnabled(history_->canUndo());
        Undo1->setText(history_->canUndo() ? QStringLiteral("&Undo %1").arg(history_->undoText())
                                           : QStringLiteral("&Undo"));
        Redo1->setEnabled(history_->canRedo());
        Redo1->setText(history_->canRedo() ? QStringLiteral("&Redo %1").arg(history_->redoText())
                                           : QStringLiteral("&Redo"));
    };
    connect(history_, &QUndoStack::indexChanged, this, update);
    // A new leaf renamed in place right after it was added is still fresh.
    connect(history_, &QUndoStack::indexChanged, this, [this](int index) {
        if (freshLeaf_ != nullptr && index == freshIndex_ + 1) {
            const auto *step = static_cast<const commands::OutlineCommand *>(history_->command(index - 1));
            if (dynamic_cast<const commands::Rename *>(step) != nullptr && step->shownAfterRedo() == freshLeaf_) {
                freshIndex_ = index;
            }
        }
    });
    connect(history_, &QUndoStack::cleanChanged, this, update);
    update();
    bindCommand(Undo1, nullptr, &TForm1::UndoClick);
    bindCommand(Redo1, nullptr, &TForm1::RedoClick);
    bindCommand(CutLeaf1, nullptr, &TForm1::CutLeafClick);
    bindCommand(CopyLeaf1, nullptr, &TForm1::CopyLeafClick);
    bindCommand(PasteLeaf1, nullptr, &TForm1::PasteLeafClick);
    bindCommand(DuplicateLeaf1, nullptr, &TForm1::DuplicateLeafClick);
    // Leaves are cut, copied and pasted by key while the outline has the keyboard; in an editor the
    // keys stay its own.
    addKey(TreeView1, CutLeaf1, "CutLeafKey", {QKeySequence::Cut}, Qt::WidgetShortcut);
    addKey(TreeView1, CopyLeaf1, "CopyLeafKey", {QKeySequence::Copy}, Qt::WidgetShortcut);
    addKey(TreeView1, PasteLeaf1, "PasteLeafKey", {QKeySequence::Paste}, Qt::WidgetShortcut);
    addKey(TreeView1, DuplicateLeaf1, "DuplicateLeafKey", {QKeySequence(Qt::CTRL | Qt::Key_D)}, Qt::WidgetShortcut);

    // An editor or a caption being edited takes these keys for its own undo of typing first.
    addKey(this, Undo1, "UndoKey", {QKeySequence::Undo}, Qt::WindowShortcut);
    addKey(this, Redo1, "RedoKey", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
           Qt::WindowShortcut);
    // The moves anywhere on the Tree page: Alt and Shift with an arrow select no text in the editor.
    addKey(TreeViewPage, MoveUp1, "MoveUpKey", {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Up)},
           Qt::WidgetWithChildrenShortcut);
    addKey(TreeViewPage, MoveDown1, "MoveDownKey", {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Down)},
           Qt::WidgetWithChildrenShortcut);
    addKey(TreeViewPage, MoveLeft1, "MoveLeftKey", {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Left)},
           Qt::WidgetWithChildrenShortcut);
    addKey(TreeViewPage, MoveRight1, "MoveRightKey", {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Right)},
           Qt::WidgetWithChildrenShortcut);

    // The end of the desktop session asks as closing the window does.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        if (!manager.allowsInteraction()) {
            return;
        }
        if (maySetOutlineAside()) {
            closeConfirmed_ = true;
        } else {
            manager.cancel();
        }
        manager.release();
    });
}

void TForm1::UndoClick()
{
    stepHistory(true);
}

void TForm1::RedoClick()
{
    stepHistory(false);
}

void TForm1::CopyLeafClick()
{
    if (!HasSelectedLeaf()) {
        return;
    }
    // What was typed in the leaf goes with it.
    storeShownLeaf();
    QGuiApplication::clipboard()->setMimeData(leavesToMime(*TreeView1->currentItem()).release());
}

void TForm1::CutLeafClick()
{
    if (!HasSelectedLeaf()) {
        return;
    }
    CopyLeafClick();
    removeSelectedLeaf(QStringLiteral("Cut"));
    focusTree();
}

void TForm1::PasteLeafClick()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (mime == nullptr) {
        return;
    }
    insertAfterSelected(QStringLiteral("Paste"), leavesFromMime(*mime));
}

void TForm1::DuplicateLeafClick()
{
    if (HasSelectedLeaf()) {
        insertAfterSelected(QStringLiteral("Duplicate"), copyOfSubtree(*TreeView1->currentItem()));
    }
}

void TForm1::insertAfterSelected(const QString &step, const QList<OutlineNode *> &leaves)
{
    if (leaves.isEmpty()) {
        return;
    }
    storeShownLeaf();
    OutlineModel &tree = TreeView1->outline();
    OutlineNode *selected = HasSelectedLeaf() ? TreeView1->currentItem() : nullptr;
    const commands::Place at = selected != nullptr ? commands::Place{outline::containerOf(selected), selected->row() + 1}
                                                   : commands::Place{tree.root(), tree.topLevelCount()};
    history_->push(new commands::InsertLeaves(tree, step, std::vector<OutlineNode *>(leaves.begin(), leaves.end()),
                                              at, selected));
    // The selection handlers store the leaf being left and load the first new one.
    TreeView1->setCurrentItem(leaves.first());
    TreeView1->scrollToItem(leaves.first());
    focusTree();
}

void TForm1::stepHistory(bool undo)
{
    // Text typed in the shown leaf is the latest change: it becomes a step first.
    storeShownLeaf();
    freshLeaf_ = nullptr;
    if (undo ? !history_->canUndo() : !history_->canRedo()) {
        return;
    }
    const auto *step = static_cast<const commands::OutlineCommand *>(
        history_->command(undo ? history_->index() - 1 : history_->index()));
    OutlineNode *shown = undo ? step->shownAfterUndo() : step->shownAfterRedo();
    {
        // The step changes the records itself: the editor neither stores into them nor loads from them
        // until the step is done.
        const SelectionHandlersOff handlersOff(*this);
        if (undo) {
            history_->undo();
        } else {
            history_->redo();
        }
        if (shown != nullptr && shown->model() == &TreeView1->outline()) {
            TreeView1->setCurrentItem(shown);
            // What came back shows open: a pruned subtree back from its step, say.
            TreeView1->setExpanded(shown, shown->childCount() > 0 && outline::levelOf(shown) < OutlineModel::MaxOpenDepth);
        }
        if (TreeView1->currentItem() != nullptr) {
            // Opens the leaf's ancestors.
            TreeView1->scrollToItem(TreeView1->currentItem());
        }
    }
    // The editor and the box show the current leaf as the step left it.
    shownRecord_.reset();
    shownNode_ = nullptr;
    if (OutlineNode *current = TreeView1->currentItem()) {
        TreeView1Change(current);
    } else {
        RichEdit1->clear();
    }
}

void TForm1::startHistory()
{
    history_->clear();
    freshLeaf_ = nullptr;
}

bool TForm1::isOutlineModified() const
{
    if (!history_->isClean()) {
        return true;
    }
    if (shownRecord_ == nullptr) {
        return false;
    }
    if (categoryBytes(TreeViewComboBox->currentText()) != shownRecord_->Category()) {
        return true;
    }
    if (RichEdit1->document()->revision() == shownRevision_) {
        return false;
    }
    LineList text;
    CopyLines(*RichEdit1->document(), text);
    return text != shownRecord_->Notes;
}

bool TForm1::maySetOutlineAside()
{
    if (!isOutlineModified()) {
        return true;
    }
    const QString title = windowTitle();
    const QString name = title == QLatin1String("Quillax - NewTree") ? QStringLiteral("NewTree") : title;
    switch (asker().askSaveChanges(this, applicationTitle(), name)) {
    case FileAsker::SaveChanges::Discard:
        return true;
    case FileAsker::SaveChanges::Cancel:
        return false;
    case FileAsker::SaveChanges::Save:
        break;
    }
    // Save shows its own errors; a save that failed or was cancelled leaves the outline modified.
    Save1Click();
    return !isOutlineModified();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    bool mayClose = false;
    guarded([&] { mayClose = closeConfirmed_ || maySetOutlineAside(); });
    if (mayClose) {
        event->accept();
    } else {
        event->ignore();
    }
}
