// What assistive technology sees of the long item views (the outline tree, the Groups list): the rows on screen.
#include "app/shownrows.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeView>
#include <QWindow>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Marks a view whose accessible object lists only the rows shown.
constexpr const char *LimitedProperty = "quillaxShownRowsOnly";
// More rows than any screen shows; a list of visited rows longer than this drops the ones gone from view.
constexpr int MaxRowsShown = 500;
constexpr std::size_t RowObjectsKept = 200;

// One row of a view as assistive technology sees it: its caption, its place on screen and its states.
class RowAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    RowAccessible(QAbstractItemView *view, const QModelIndex &index) : view_(view), index_(index) {}

    const QPersistentModelIndex &index() const { return index_; }

    bool isValid() const override { return !view_.isNull() && index_.isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid()) {
            return QString();
        }
        switch (t) {
        case QAccessible::Name: {
            const QVariant spoken = index_.data(Qt::AccessibleTextRole);
            return spoken.isValid() ? spoken.toString() : index_.data(Qt::DisplayRole).toString();
        }
        case QAccessible::Description: {
            const QVariant described = index_.data(Qt::AccessibleDescriptionRole);
            return described.isValid() ? described.toString() : index_.data(Qt::ToolTipRole).toString();
        }
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid()) {
            return QRect();
        }
        QRect r = view_->visualRect(index_);
        if (r.isValid()) {
            r.moveTopLeft(view_->viewport()->mapToGlobal(r.topLeft()));
        }
        return r;
    }

    QAccessible::Role role() const override
    {
        return qobject_cast<const QTreeView *>(view_.data()) != nullptr ? QAccessible::TreeItem : QAccessible::ListItem;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        s.focused = view_->currentIndex() == index_;
        s.selected = view_->selectionModel() != nullptr && view_->selectionModel()->isSelected(index_);
        if (index_.flags() & Qt::ItemIsEditable) {
            s.editable = true;
        }
        if (!view_->isVisible()) {
            s.invisible = true;
        } else if (!view_->viewport()->rect().intersects(view_->visualRect(index_))) {
            s.offscreen = true;
        }
        if (const auto *tree = qobject_cast<const QTreeView *>(view_.data());
            tree != nullptr && index_.model()->hasChildren(index_)) {
            s.expandable = true;
            s.expanded = tree->isExpanded(index_);
            s.collapsed = !s.expanded;
        }
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    // "Press" makes the row the current one, as a click on it does.
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isValid()) {
            view_->setCurrentIndex(index_);
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QAbstractItemView> view_;
    QPersistentModelIndex index_;
};

// A view whose children are the rows in its viewport. Each row object keeps its id while its row lives,
// so a reader sees the same object for the same row; the ones kept are few, whatever the view holds.
class ShownRowsAccessible : public QAccessibleWidget
{
public:
    explicit ShownRowsAccessible(QAbstractItemView *view)
        : QAccessibleWidget(view, qobject_cast<QTreeView *>(view) != nullptr ? QAccessible::Tree : QAccessible::List)
    {
    }

    ~ShownRowsAccessible() override
    {
        for (const auto &row : rows_) {
            QAccessible::deleteAccessibleInterface(row.second);
        }
    }

    int childCount() const override { return int(shownrows::rowsShown(*view()).size()); }

    QAccessibleInterface *child(int index) const override
    {
        const QModelIndexList rows = shownrows::rowsShown(*view());
        return index >= 0 && index < rows.size() ? rowObject(rows.at(index)) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (const auto &row : rows_) {
            if (QAccessible::accessibleInterface(row.second) == child) {
                return int(shownrows::rowsShown(*view()).indexOf(QModelIndex(row.first)));
            }
        }
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint point = view()->viewport()->mapFromGlobal(QPoint(x, y));
        if (!view()->viewport()->rect().contains(point)) {
            return nullptr;
        }
        const QModelIndex index = view()->indexAt(point);
        return index.isValid() ? rowObject(index) : nullptr;
    }

    QAccessibleInterface *focusChild() const override
    {
        const QModelIndex current = view()->currentIndex();
        return view()->hasFocus() && current.isValid() ? rowObject(current) : nullptr;
    }

    // The row's object, made on first use.
    QAccessibleInterface *rowObject(const QModelIndex &index) const
    {
        for (const auto &row : rows_) {
            if (row.first == index) {
                return QAccessible::accessibleInterface(row.second);
            }
        }
        if (rows_.size() >= RowObjectsKept) {
            dropRowsOutOfSight();
        }
        auto *row = new RowAccessible(view(), index);
        rows_.emplace_back(row->index(), QAccessible::registerAccessibleInterface(row));
        return row;
    }

private:
    QAbstractItemView *view() const { return static_cast<QAbstractItemView *>(object()); }

    // Forgets the objects of rows that are gone or out of the viewport, except the current row's.
    void dropRowsOutOfSight() const
    {
        const QModelIndexList shown = shownrows::rowsShown(*view());
        const QModelIndex current = view()->currentIndex();
        const auto gone = std::stable_partition(rows_.begin(), rows_.end(), [&](const auto &row) {
            return row.first.isValid() && (row.first == current || shown.contains(QModelIndex(row.first)));
        });
        for (auto it = gone; it != rows_.end(); ++it) {
            QAccessible::deleteAccessibleInterface(it->second);
        }
        rows_.erase(gone, rows_.end());
    }

    mutable std::vector<std::pair<QPersistentModelIndex, QAccessible::Id>> rows_;
};

QAccessibleInterface *shownRowsFactory(const QString &, QObject *object)
{
    auto *view = qobject_cast<QAbstractItemView *>(object);
    if (view != nullptr && view->property(LimitedProperty).toBool()) {
        return new ShownRowsAccessible(view);
    }
    return nullptr;
}

ShownRowsAccessible *accessibleOf(QAbstractItemView *view)
{
    if (!QAccessible::isActive() || view == nullptr) {
        return nullptr;
    }
    return dynamic_cast<ShownRowsAccessible *>(QAccessible::queryAccessibleInterface(view));
}

void send(QAccessibleInterface *row, QAccessible::Event type)
{
    if (row != nullptr) {
        QAccessibleEvent event(row, type);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace

namespace shownrows {

void limitTo(QAbstractItemView *view)
{
    static const bool installed = [] {
        QAccessible::installFactory(shownRowsFactory);
        return true;
    }();
    Q_UNUSED(installed);
    view->setProperty(LimitedProperty, true);
}

QModelIndexList rowsShown(const QAbstractItemView &view)
{
    QModelIndexList rows;
    const QRect area = view.viewport()->rect();
    const auto *tree = qobject_cast<const QTreeView *>(&view);
    // Rows span the viewport's width in both views; the first column starts at its left edge.
    QModelIndex index = view.indexAt(QPoint(area.left() + 1, area.top()));
    while (index.isValid() && rows.size() < MaxRowsShown) {
        const QRect r = view.visualRect(index);
        if (!r.isValid() || r.top() > area.bottom()) {
            break;
        }
        rows.append(index);
        index = tree != nullptr ? tree->indexBelow(index) : index.sibling(index.row() + 1, index.column());
    }
    return rows;
}

void reportCurrent(QAbstractItemView *view, const QModelIndex &current)
{
    ShownRowsAccessible *accessible = accessibleOf(view);
    if (accessible != nullptr && current.isValid() && view->hasFocus()) {
        send(accessible->rowObject(current), QAccessible::Focus);
    }
}

void reportSelection(QAbstractItemView *view, const QModelIndex &selected, const QModelIndex &deselected)
{
    ShownRowsAccessible *accessible = accessibleOf(view);
    if (accessible == nullptr) {
        return;
    }
    if (selected.isValid()) {
        send(accessible->rowObject(selected), QAccessible::SelectionAdd);
    }
    if (deselected.isValid()) {
        send(accessible->rowObject(deselected), QAccessible::SelectionRemove);
    }
}

} // namespace shownrows
