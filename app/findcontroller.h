// Finding in the window: the find field, the menu command and the index of the shown outline.
#pragma once

#include "document/findindex.h"

#include <QFutureWatcher>
#include <QObject>

#include <memory>

class FindBar;
class LeafEditor;
class OutlineTree;
class QAction;
class QMenu;
class QTabWidget;
class QWidget;

// Owns the index of the window's outline and keeps it current: built in the background after a load,
// brought up to date with stored texts before each search. Binds the find field to the window's
// tree and editor; every leaf switch goes through the tree's normal selection path.
class FindController : public QObject
{
    Q_OBJECT

public:
    // Outlines that gain more leaves than this at once are indexed again in the background.
    static constexpr int BackgroundThreshold = 1000;

    // The field goes onto treePage, the command into menu before its "N1" separator, the keys onto window.
    FindController(QWidget &window, OutlineTree &tree, LeafEditor &editor, QTabWidget &pages, QWidget &treePage,
                   QMenu &menu);
    ~FindController() override;

    FindBar *bar() const { return bar_; }
    QAction *action() const { return action_; }
    // The index, or null while it is being built.
    FindIndex *index() { return building_ ? nullptr : index_.get(); }
    // True while the index is being built in the background.
    bool isBuilding() const { return building_; }

signals:
    // Text typed in the editor since the leaf was shown is due to be stored into the selected leaf.
    void storeRequested();

private:
    FindIndex::Leaves leaves() const;
    FindIndex::Key selected() const;
    void goTo(FindIndex::Key key, const QString &query);
    void storeEdits();
    // After leaves were added in bulk (a load), indexes the outline again off the window's thread.
    void outlineGrew();
    void build();
    void built();

    OutlineTree &tree_;
    LeafEditor &editor_;
    FindBar *bar_ = nullptr;
    QAction *action_ = nullptr;
    std::unique_ptr<FindIndex> index_;
    QFutureWatcher<FindIndex> watcher_;
    bool building_ = false;
    bool checkPending_ = false;
    bool grewWhileBuilding_ = false;
};
