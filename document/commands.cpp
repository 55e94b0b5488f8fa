// The outline's history: one undoable command per kind of change, done and undone on the model.
#include "document/commands.h"

#include <utility>

namespace commands {

Place placeOf(const OutlineNode *node)
{
    return {outline::containerOf(node), node != nullptr ? node->row() : -1};
}

OutlineCommand::OutlineCommand(OutlineModel &tree, const QString &name) : QUndoCommand(name), tree_(tree) {}

InsertLeaves::InsertLeaves(OutlineModel &tree, const QString &name, std::vector<OutlineNode *> nodes, Place at,
                           OutlineNode *shownBefore)
    : OutlineCommand(tree, name), nodes_(std::move(nodes)), at_(at)
{
    shownAfterUndo_ = shownBefore;
    shownAfterRedo_ = nodes_.empty() ? nullptr : nodes_.front();
}

InsertLeaves::~InsertLeaves()
{
    if (!inTree_) {
        for (OutlineNode *node : nodes_) {
            delete node;
        }
    }
}

void InsertLeaves::redo()
{
    at_.container->insertChildren(at_.row, QList<OutlineNode *>(nodes_.begin(), nodes_.end()));
    inTree_ = true;
}

void InsertLeaves::undo()
{
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        at_.container->takeChild(at_.row);
    }
    inTree_ = false;
}

RemoveLeaf::RemoveLeaf(OutlineModel &tree, const QString &name, OutlineNode *leaf, OutlineNode *shownAfter)
    : OutlineCommand(tree, name), leaf_(leaf)
{
    shownAfterUndo_ = leaf;
    shownAfterRedo_ = shownAfter;
}

void RemoveLeaf::redo()
{
    place_ = placeOf(leaf_);
    held_ = outline::takeNode(tree_, leaf_);
}

void RemoveLeaf::undo()
{
    place_.container->insertChild(place_.row, held_.release());
}

MoveLeaf::MoveLeaf(OutlineModel &tree, const QString &name, OutlineNode *leaf, outline::Placement placement,
                   OutlineNode *target)
    : OutlineCommand(tree, name), leaf_(leaf), placement_(placement), target_(target)
{
    shownAfterUndo_ = leaf;
    shownAfterRedo_ = leaf;
}

void MoveLeaf::redo()
{
    if (!done_) {
        // The first time by the move rules; afterwards between the two places they gave.
        from_ = placeOf(leaf_);
        outline::moveNode(tree_, leaf_, placement_, target_);
        to_ = placeOf(leaf_);
        done_ = true;
        return;
    }
    std::unique_ptr<OutlineNode> taken = outline::takeNode(tree_, leaf_);
    to_.container->insertChild(to_.row, taken.release());
}

void MoveLeaf::undo()
{
    std::unique_ptr<OutlineNode> taken = outline::takeNode(tree_, leaf_);
    from_.container->insertChild(from_.row, taken.release());
}

Rename::Rename(OutlineModel &tree, OutlineNode *leaf, const QString &caption)
    : OutlineCommand(tree, QStringLiteral("Rename")), leaf_(leaf), before_(leaf->caption()), after_(caption)
{
    shownAfterUndo_ = leaf;
    shownAfterRedo_ = leaf;
}

void Rename::redo()
{
    leaf_->setCaption(after_);
}

void Rename::undo()
{
    leaf_->setCaption(before_);
}

SetCategory::SetCategory(OutlineModel &tree, OutlineNode *leaf, const QByteArray &category)
    : OutlineCommand(tree, QStringLiteral("Category")), leaf_(leaf), record_(leaf->record()),
      before_(record_->Category()), after_(category.left(MaxCategoryBytes))
{
    shownAfterUndo_ = leaf;
    shownAfterRedo_ = leaf;
}

void SetCategory::redo()
{
    record_->setCategory(after_);
}

void SetCategory::undo()
{
    record_->setCategory(before_);
}

int SetCategory::id() const
{
    return 1;
}

bool SetCategory::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const SetCategory *>(other);
    if (next->record_ != record_) {
        return false;
    }
    after_ = next->after_;
    // A change typed back to what the record held is no step at all.
    setObsolete(after_ == before_);
    return true;
}

SetText::SetText(OutlineModel &tree, const QString &name, OutlineNode *leaf, LineList text)
    : OutlineCommand(tree, name), record_(leaf->record()), before_(record_->Notes), after_(std::move(text))
{
    shownAfterUndo_ = leaf;
    shownAfterRedo_ = leaf;
}

void SetText::redo()
{
    record_->Notes = after_;
}

void SetText::undo()
{
    record_->Notes = before_;
}

} // namespace commands
