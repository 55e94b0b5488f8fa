// Finding in the window: the find field bound to the tree, the editor and the index.
#include "app/findcontroller.h"

#include "app/findbar.h"
#include "app/guard.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/groups.h"
#include "text/finding.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QBoxLayout>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>

FindController::FindController(QWidget &window, OutlineTree &tree, LeafEditor &editor, QTabWidget &pages,
                               QWidget &treePage, QMenu &menu)
    : QObject(&window), tree_(tree), editor_(editor)
{
    setObjectName(QStringLiteral("Finder"));
    FindHost host;
    host.index = [this] { return index(); };
    host.leaves = [this] { return leaves(); };
    host.selected = [this] { return selected(); };
    host.storeEdits = [this] { guarded([this] { storeEdits(); }); };
    host.goTo = [this](FindIndex::Key key, const QString &query) { guarded([&] { goTo(key, query); }); };
    host.leave = [this] { editor_.setFocus(Qt::OtherFocusReason); };

    bar_ = new FindBar(std::move(host), &treePage);
    if (auto *layout = qobject_cast<QBoxLayout *>(treePage.layout())) {
        // Between the tree and editor above and the bottom panel.
        layout->insertWidget(layout->count() - 1, bar_);
    }

    action_ = new QAction(tr("&Find..."), &window);
    action_->setObjectName(QStringLiteral("Find1"));
    // The menus show no shortcuts; Ctrl+F is the window's own key for the same command.
    auto *key = new QAction(&window);
    key->setObjectName(QStringLiteral("FindKey"));
    key->setShortcut(QKeySequence::Find);
    key->setShortcutContext(Qt::WindowShortcut);
    window.addAction(key);
    connect(key, &QAction::triggered, action_, &QAction::trigger);
    // F3 and Shift+F3 go to the next and the previous matching leaf, with the find field open or closed.
    for (const bool forward : {true, false}) {
        auto *again = new QAction(&window);
        again->setObjectName(forward ? QStringLiteral("FindNextKey") : QStringLiteral("FindPreviousKey"));
        again->setShortcut(forward ? QKeySequence(Qt::Key_F3) : QKeySequence(Qt::SHIFT | Qt::Key_F3));
        again->setShortcutContext(Qt::WindowShortcut);
        window.addAction(again);
        connect(again, &QAction::triggered, this, [this, forward] {
            if (!bar_->isVisible()) {
                action_->trigger();
            }
            guarded([this, forward] { bar_->step(forward); });
        });
    }
    // In the Tree menu, before the separator above Exit.
    QAction *before = nullptr;
    const QList<QAction *> items = menu.actions();
    for (QAction *a : items) {
        if (a->isSeparator() && a->objectName() == QLatin1String("N1")) {
            before = a;
        }
    }
    menu.insertAction(before, action_);
    connect(action_, &QAction::triggered, this, [this, &pages, &treePage] {
        guarded([&] {
            pages.setCurrentWidget(&treePage);
            if (!index_ && !building_) {
                build();
            }
            bar_->open();
        });
    });

    connect(&watcher_, &QFutureWatcher<FindIndex>::finished, this, &FindController::built);
    QAbstractItemModel *model = tree_.model();
    const auto grew = [this] {
        if (!checkPending_) {
            checkPending_ = true;
            QTimer::singleShot(0, this, &FindController::outlineGrew);
        }
    };
    connect(model, &QAbstractItemModel::rowsInserted, this, grew);
    connect(model, &QAbstractItemModel::modelReset, this, grew);
}

FindController::~FindController()
{
    watcher_.waitForFinished();
}

FindIndex::Leaves FindController::leaves() const
{
    return groups::allLeaves(tree_.outline());
}

FindIndex::Key FindController::selected() const
{
    return FindIndex::keyOf(tree_.currentItem());
}

void FindController::storeEdits()
{
    // Text typed in the editor since the leaf was shown counts: it is stored as a leaf switch stores it.
    QTextDocument *document = editor_.document();
    if (document->isModified() && tree_.currentItem() != nullptr) {
        emit storeRequested();
        document->setModified(false);
    }
}

void FindController::goTo(FindIndex::Key key, const QString &query)
{
    OutlineNode *target = nullptr;
    outline::walk(tree_.outline(), [&](OutlineNode *node, int) {
        if (target == nullptr && FindIndex::keyOf(node) == key) {
            target = node;
        }
    });
    if (target == nullptr) {
        return;
    }
    // The normal selection path: the leaf being left is stored, the new one loaded.
    tree_.setCurrentItem(target);
    tree_.scrollToItem(target);
    const QTextCursor found = finding::find(*editor_.document(), query);
    if (!found.isNull()) {
        editor_.setTextCursor(found);
        editor_.ensureCursorVisible();
    }
    editor_.document()->setModified(false);
}

void FindController::outlineGrew()
{
    checkPending_ = false;
    if (building_) {
        grewWhileBuilding_ = true;
        return;
    }
    if (!index_) {
        build();
        return;
    }
    const FindIndex::Leaves list = leaves();
    if (list.size() > index_->size() + BackgroundThreshold) {
        build();
    }
}

void FindController::build()
{
    building_ = true;
    watcher_.setFuture(FindIndex::buildInBackground(FindIndex::sourcesOf(leaves())));
}

void FindController::built()
{
    index_ = std::make_unique<FindIndex>(watcher_.result());
    building_ = false;
    if (grewWhileBuilding_) {
        // Another outline came in meanwhile: this index is of the one before.
        grewWhileBuilding_ = false;
        outlineGrew();
        if (building_) {
            return;
        }
    }
    bar_->indexReady();
}
