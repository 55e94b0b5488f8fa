// What assistive technology sees of the long item views (the outline tree, the Groups list): the rows on screen.
#pragma once

#include <QModelIndexList>

class QAbstractItemView;
class QModelIndex;

// A screen reader reads a view through its accessible children. Qt's own accessible object for an item view
// lists every row of the model, so a reader walking the window (or refreshing its picture after a command)
// asks for tens of thousands of rows over D-Bus: half a minute for a 20,000-leaf outline. Here a view's
// children are the rows in its viewport, each made when first asked for; the current row is reported by
// its own focus and selection events, so the row the user is on is read wherever it is.
namespace shownrows {

// From now on the view's accessible object lists only the rows in its viewport. Call in the view's
// constructor, before anything asks for its accessible object.
void limitTo(QAbstractItemView *view);

// The rows in the view's viewport, top to bottom.
QModelIndexList rowsShown(const QAbstractItemView &view);

// Tells assistive technology that current became the view's current row; it takes the focus when the
// view has it.
void reportCurrent(QAbstractItemView *view, const QModelIndex &current);
// Tells assistive technology that a row was selected or deselected.
void reportSelection(QAbstractItemView *view, const QModelIndex &selected, const QModelIndex &deselected);

} // namespace shownrows
