// The Groups list control: the picked entry and the record behind each entry.
#pragma once

#include "document/groups.h"
#include "document/tvclasses.h"

#include <QListWidget>
#include <QObject>

#include <vector>

class QListWidgetItem;

namespace groups {

// The picked entry: the list's selected entry, or null when none is selected.
QListWidgetItem *pickedItem(const QListWidget &list);

} // namespace groups

// The Groups list box. Its entries can be every leaf of the outline: assistive technology sees the
// entries on screen only (see shownrows.h).
class GroupListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit GroupListBox(QWidget *parent = nullptr);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void focusInEvent(QFocusEvent *event) override;
};

// The records behind a list's entries, row by row. They are kept beside the list rather than in each
// item: a list of 100,000 leaves fills in one insertion, and attaching data item by item would cost
// more than the listing itself. The list's entries keep their records alive, not the tree, so the
// entry of a pruned leaf still works. Emptying the list (clear()) releases them with it.
class GroupListRecords : public QObject
{
    Q_OBJECT

public:
    // Becomes a child of the list and follows its rows from now on.
    explicit GroupListRecords(QListWidget &list);

    // Replaces the list's entries by these, with the list's own signals blocked; afterwards no entry
    // is picked.
    void fill(const groups::Leaves &leaves);

    // The record of the entry at row, or null.
    NoteRef recordAt(int row) const;
    // The record of the picked entry, or null when none is picked.
    NoteRef picked() const;

    // The records object of a list, or null when it has none.
    static GroupListRecords *of(const QListWidget &list);

private:
    QListWidget &list_;
    std::vector<NoteRef> records_;
    bool filling_ = false;
};
