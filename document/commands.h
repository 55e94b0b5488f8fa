// The outline's history: one undoable command per kind of change, done and undone on the model.
#pragma once

#include "document/outline.h"
#include "document/outlinemodel.h"
#include "document/tvclasses.h"

#include <QUndoCommand>

#include <memory>
#include <vector>

namespace commands {

// How many steps the history keeps at least.
constexpr int HistoryLimit = 1000;

// Where a node stands: the list it is in (a node, or the tree's root) and its row there.
struct Place
{
    OutlineNode *container = nullptr;
    int row = -1;
};
Place placeOf(const OutlineNode *node);

// A step of the outline's history. It knows no widget: it changes the model and says which leaf the
// window shows once it has been undone or done again.
class OutlineCommand : public QUndoCommand
{
public:
    OutlineNode *shownAfterUndo() const { return shownAfterUndo_; }
    OutlineNode *shownAfterRedo() const { return shownAfterRedo_; }

protected:
    OutlineCommand(OutlineModel &tree, const QString &name);

    OutlineModel &tree_;
    OutlineNode *shownAfterUndo_ = nullptr;
    OutlineNode *shownAfterRedo_ = nullptr;
};

// New leaves put in at one place, side by side: Add Leaf, Add Leaf Above, Add Leaf Below, Paste,
// Duplicate. The command owns them while they are out of the tree.
class InsertLeaves : public OutlineCommand
{
public:
    // The nodes are in no tree; they go to the list of at.container, the first at at.row. shownBefore
    // is the leaf shown again when the step is undone.
    InsertLeaves(OutlineModel &tree, const QString &name, std::vector<OutlineNode *> nodes, Place at,
                 OutlineNode *shownBefore);
    ~InsertLeaves() override;
    void redo() override;
    void undo() override;

private:
    std::vector<OutlineNode *> nodes_;
    Place at_;
    bool inTree_ = false;
};

// A leaf with its subtree taken out: Prune, Cut. The subtree is kept alive by the command, never copied.
class RemoveLeaf : public OutlineCommand
{
public:
    // shownAfter is the leaf shown once the leaf is out (null: none).
    RemoveLeaf(OutlineModel &tree, const QString &name, OutlineNode *leaf, OutlineNode *shownAfter);
    void redo() override;
    void undo() override;

private:
    OutlineNode *leaf_;
    Place place_;
    std::unique_ptr<OutlineNode> held_;
};

// A leaf with its subtree moved: Move Left, Move Right, Move Up, Move Down, Drag. It records where from
// and where to.
class MoveLeaf : public OutlineCommand
{
public:
    // Only for a move that moves (outline::plannedMove gives Moved).
    MoveLeaf(OutlineModel &tree, const QString &name, OutlineNode *leaf, outline::Placement placement,
             OutlineNode *target);
    void redo() override;
    void undo() override;

private:
    OutlineNode *leaf_;
    outline::Placement placement_;
    OutlineNode *target_;
    Place from_;
    Place to_;
    bool done_ = false;
};

// A caption renamed.
class Rename : public OutlineCommand
{
public:
    Rename(OutlineModel &tree, OutlineNode *leaf, const QString &caption);
    void redo() override;
    void undo() override;

private:
    OutlineNode *leaf_;
    QString before_;
    QString after_;
};

// A leaf's category changed. Changes of one record that follow each other (typing in the category box)
// are one step.
class SetCategory : public OutlineCommand
{
public:
    SetCategory(OutlineModel &tree, OutlineNode *leaf, const QByteArray &category);
    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

private:
    OutlineNode *leaf_;
    NoteRef record_;
    QByteArray before_;
    QByteArray after_;
};

// A leaf's text stored: Text (the editor's text when the leaf is left), Import Doc.
class SetText : public OutlineCommand
{
public:
    SetText(OutlineModel &tree, const QString &name, OutlineNode *leaf, LineList text);
    void redo() override;
    void undo() override;

private:
    NoteRef record_;
    LineList before_;
    LineList after_;
};

} // namespace commands
