// Tests of the outline's tree control: nodes that keep their place, the model the view sees, signals,
// leaves that are never expanded, chains deeper than the view can open, and what the view shows of the
// outline's rules: the current leaf through removals and moves, open branches through insertions, drop points.
#include "app/droppoint.h"
#include "app/outlinewidget.h"
#include "document/outline.h"
#include "support.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

#include <memory>
#include <vector>

using namespace outline;
using support::buildOutline;
using support::describe;
using support::findNode;
using support::nodesOf;

namespace {

OutlineNode *node(const QString &caption)
{
    return new OutlineNode(caption);
}

int walkedCount(const OutlineModel &tree)
{
    int walked = 0;
    walk(tree, [&](OutlineNode *, int) { ++walked; });
    return walked;
}

// Every node of the tree, checked against the model the view sees: rows, parents, indices and owner.
void checkConsistent(const OutlineWidget &tree)
{
    const QAbstractItemModel *model = tree.model();
    const OutlineNode *root = tree.outline().root();
    std::vector<const OutlineNode *> stack{root};
    int seen = 0;
    while (!stack.empty()) {
        const OutlineNode *container = stack.back();
        stack.pop_back();
        const QModelIndex parentIndex = container == root ? QModelIndex() : tree.indexFromItem(container);
        QCOMPARE(model->rowCount(parentIndex), container->childCount());
        for (int row = 0; row < container->childCount(); ++row) {
            const OutlineNode *child = container->child(row);
            ++seen;
            QCOMPARE(container->indexOfChild(child), row);
            QCOMPARE(child->model(), &tree.outline());
            QCOMPARE(child->parent(), container == root ? nullptr : container);
            const QModelIndex index = tree.indexFromItem(child);
            QCOMPARE(index.row(), row);
            QCOMPARE(model->index(row, 0, parentIndex), index);
            QCOMPARE(index.parent(), parentIndex);
            QCOMPARE(tree.itemFromIndex(index), child);
            QCOMPARE(index.data().toString(), child->caption());
            stack.push_back(child);
        }
    }
    QCOMPARE(walkedCount(tree.outline()), seen);
}

}  // namespace

class OutlineWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void nodesKeepTheirPlaceThroughRandomEdits();
    void takenNodesLeaveWholeAndPlacedNodesStayPut();
    void aChainOfAnyDepthIsDeletedAndWalked();
    void leavesAreNeverExpanded();
    void signalsReportChangesWhileNodesAreWhole();
    void openingStopsAtTheDepthLimit();
    void assistiveTechnologyReadsTheRowsOnScreenAndTheCurrentRow();
    void clickIntoTheTreeAnnouncesTheTreeThenTheCurrentRow_data();
    void clickIntoTheTreeAnnouncesTheTreeThenTheCurrentRow();
    void insertingUnderAnOpenBranchKeepsExpansionSelectionAndScrollQuietly_data();
    void insertingUnderAnOpenBranchKeepsExpansionSelectionAndScrollQuietly();
    void insertingLeavesAnOpenCaptionEditAlone();
    void removingTheCurrentSubtreeReportsTheChangeWhileEverythingIsAlive_data();
    void removingTheCurrentSubtreeReportsTheChangeWhileEverythingIsAlive();
    void movedSubtreeComesOutCollapsedAndCurrentUnderAnOpenParent();
    void formerParentWithoutChildrenCollapsesAndLosesItsButton();
    void leafDroppedWhereItWasStillComesOutCollapsed();
    void dropPointsFallIntoTheRegionsOfTheRow();
};

void OutlineWidgetTest::nodesKeepTheirPlaceThroughRandomEdits()
{
    OutlineWidget tree;
    QAbstractItemModelTester tester(tree.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    tree.resize(300, 400);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));

    QRandomGenerator rng(20261208);
    std::vector<OutlineNode *> nodes;  // every node in the tree
    auto pick = [&]() -> OutlineNode * {
        return nodes.empty() ? tree.outline().root() : nodes[rng.bounded(int(nodes.size()))];
    };
    auto forget = [&](OutlineNode *gone) {
        // Drops gone and its subtree from the list.
        std::vector<OutlineNode *> subtree{gone};
        for (std::size_t i = 0; i < subtree.size(); ++i) {
            for (int c = 0; c < subtree[i]->childCount(); ++c) {
                subtree.push_back(subtree[i]->child(c));
            }
        }
        for (OutlineNode *n : subtree) {
            nodes.erase(std::find(nodes.begin(), nodes.end(), n));
        }
        return subtree.size();
    };
    for (int step = 0; step < 600; ++step) {
        const int what = int(rng.bounded(10));
        OutlineNode *target = rng.bounded(4) == 0 ? tree.outline().root() : pick();
        if (what < 5 || nodes.size() < 3) {
            // A new node, or a few at once, anywhere in a list.
            QList<OutlineNode *> fresh;
            for (int i = int(rng.bounded(3)); i >= 0; --i) {
                fresh << node(QStringLiteral("n%1-%2").arg(step).arg(i));
            }
            target->insertChildren(int(rng.bounded(target->childCount() + 1)), fresh);
            nodes.insert(nodes.end(), fresh.begin(), fresh.end());
            if (target != tree.outline().root() && rng.bounded(2) == 0) {
                tree.setExpanded(target, true);
            }
        } else if (what < 7) {
            // A subtree moved elsewhere, never into itself.
            OutlineNode *moving = pick();
            OutlineNode *container = moving->parent() != nullptr ? moving->parent() : tree.outline().root();
            OutlineNode *taken = container->takeChild(container->indexOfChild(moving));
            QCOMPARE(taken, moving);
            const std::size_t size = forget(moving);
            OutlineNode *into = nodes.empty() ? tree.outline().root() : pick();
            into->insertChild(int(rng.bounded(into->childCount() + 1)), moving);
            std::vector<OutlineNode *> back{moving};
            for (std::size_t i = 0; i < back.size(); ++i) {
                for (int c = 0; c < back[i]->childCount(); ++c) {
                    back.push_back(back[i]->child(c));
                }
            }
            QCOMPARE(back.size(), size);
            nodes.insert(nodes.end(), back.begin(), back.end());
        } else if (what < 9) {
            // A subtree deleted where it stands, sometimes the current one.
            OutlineNode *doomed = pick();
            if (rng.bounded(2) == 0) {
                tree.setCurrentItem(doomed);
            }
            forget(doomed);
            delete doomed;
        } else {
            OutlineNode *renamed = pick();
            if (renamed != tree.outline().root()) {
                renamed->setCaption(QStringLiteral("r%1").arg(step));
            }
        }
        if (step % 50 == 0) {
            QCoreApplication::processEvents();
        }
        checkConsistent(tree);
        if (QTest::currentTestFailed()) {
            QFAIL(qPrintable(QStringLiteral("inconsistent after step %1").arg(step)));
        }
    }
    QCOMPARE(int(nodes.size()), walkedCount(tree.outline()));
    tree.clear();
    QCOMPARE(tree.outline().topLevelCount(), 0);
    QCOMPARE(tree.model()->rowCount(), 0);
    QCOMPARE(tree.currentItem(), nullptr);
}

void OutlineWidgetTest::takenNodesLeaveWholeAndPlacedNodesStayPut()
{
    OutlineWidget tree;
    OutlineNode *a = node(QStringLiteral("A"));
    OutlineNode *b = node(QStringLiteral("B"));
    OutlineNode *c = node(QStringLiteral("C"));
    b->addChild(c);
    tree.outline().root()->addChildren({a, b});
    QCOMPARE(c->model(), &tree.outline());
    QCOMPARE(a->parent(), nullptr);
    QCOMPARE(c->parent(), b);

    // A node already in a tree, listed twice, or the root itself is not placed again.
    a->addChild(c);
    QCOMPARE(a->childCount(), 0);
    OutlineNode *d = node(QStringLiteral("D"));
    a->addChildren({d, d, tree.outline().root(), nullptr});
    QCOMPARE(a->childCount(), 1);
    QCOMPARE(tree.outline().root()->indexOfChild(b), 1);
    QCOMPARE(tree.outline().root()->indexOfChild(c), -1);
    QCOMPARE(a->indexOfChild(nullptr), -1);
    QCOMPARE(a->child(5), nullptr);
    QCOMPARE(a->takeChild(-1), nullptr);

    // Taken out: no parent, no tree, for the whole subtree; the rows after it move up.
    tree.outline().root()->insertChild(0, node(QStringLiteral("Z")));
    OutlineNode *taken = tree.outline().root()->takeChild(2);
    QCOMPARE(taken, b);
    QCOMPARE(b->parent(), nullptr);
    QCOMPARE(b->model(), nullptr);
    QCOMPARE(c->model(), nullptr);
    QCOMPARE(c->parent(), b);
    QCOMPARE(tree.indexFromItem(c), QModelIndex());
    QCOMPARE(tree.outline().topLevelCount(), 2);
    QCOMPARE(tree.outline().root()->indexOfChild(a), 1);
    checkConsistent(tree);

    // Put back under another node, then deleted where it stands: it leaves its parent's list first.
    d->addChild(b);
    QCOMPARE(c->model(), &tree.outline());
    QCOMPARE(levelOf(c), 3);
    delete b;
    QCOMPARE(d->childCount(), 0);
    checkConsistent(tree);
}

void OutlineWidgetTest::aChainOfAnyDepthIsDeletedAndWalked()
{
    // Far deeper than a recursive walk could go on the stack.
    constexpr int Depth = 300000;
    auto chain = [] {
        OutlineNode *top = node(QStringLiteral("top"));
        OutlineNode *last = top;
        for (int i = 1; i < Depth; ++i) {
            OutlineNode *next = node(QString());
            last->addChild(next);
            last = next;
        }
        return std::make_pair(top, last);
    };
    {
        auto [top, deepest] = chain();
        OutlineWidget tree;
        tree.outline().root()->addChild(top);
        QCOMPARE(deepest->model(), &tree.outline());
        QCOMPARE(walkedCount(tree.outline()), Depth);
        OutlineNode *after = node(QStringLiteral("after"));
        tree.outline().root()->addChild(after);
        // Past the end of the chain the walk climbs all the way back up to the next top-level node.
        int visited = 0;
        OutlineNode *next = nullptr;
        int nextLevel = -1;
        walk(tree.outline(), [&](OutlineNode *node, int level) {
            if (visited++ == Depth) {
                next = node;
                nextLevel = level;
            }
        });
        QCOMPARE(visited, Depth + 1);
        QCOMPARE(next, after);
        QCOMPARE(nextLevel, 0);
        tree.clear();
        QCOMPARE(tree.outline().topLevelCount(), 0);
    }
    auto [top, deepest] = chain();
    Q_UNUSED(deepest);
    delete top;
}

void OutlineWidgetTest::leavesAreNeverExpanded()
{
    OutlineWidget tree;
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    OutlineNode *parent = node(QStringLiteral("P"));
    OutlineNode *leaf = node(QStringLiteral("L"));
    tree.outline().root()->addChildren({parent, leaf});

    const QModelIndex leafIndex = tree.indexFromItem(leaf);
    QVERIFY(tree.model()->flags(leafIndex) & Qt::ItemNeverHasChildren);
    tree.setExpanded(leaf, true);
    QVERIFY(!tree.isExpanded(leaf));
    QVERIFY(!tree.model()->hasChildren(leafIndex));

    // With a child it is a parent like any other, and the leaf's earlier opening was never kept; without
    // children again, a leaf.
    leaf->addChild(node(QStringLiteral("X")));
    QVERIFY(!(tree.model()->flags(leafIndex) & Qt::ItemNeverHasChildren));
    QVERIFY(tree.model()->hasChildren(leafIndex));
    QVERIFY(!tree.isExpanded(leaf));
    tree.setExpanded(leaf, true);
    QVERIFY(tree.isExpanded(leaf));
    delete leaf->takeChild(0);
    QVERIFY(tree.model()->flags(leafIndex) & Qt::ItemNeverHasChildren);
    QVERIFY(!tree.isExpanded(leaf));
    // Its next child comes in folded, and unfolding shows it.
    QSignalSpy expanded(&tree, &QTreeView::expanded);
    OutlineNode *again = node(QStringLiteral("again"));
    leaf->addChild(again);
    QVERIFY(!tree.isExpanded(leaf));
    tree.setExpanded(leaf, true);
    QCOMPARE(expanded.count(), 1);
    QCoreApplication::processEvents();
    QVERIFY(tree.visualItemRect(again).isValid());
    delete again;
    QVERIFY(!tree.isExpanded(leaf));

    // A node in no tree is neither expanded nor selected, and asking changes nothing.
    OutlineNode loose(QStringLiteral("loose"));
    loose.addChild(node(QStringLiteral("loose child")));
    tree.setExpanded(&loose, true);
    QVERIFY(!tree.isExpanded(&loose));
    QVERIFY(!tree.isSelected(&loose));
    QCOMPARE(expanded.count(), 1);
}

void OutlineWidgetTest::signalsReportChangesWhileNodesAreWhole()
{
    OutlineWidget tree;
    OutlineNode *a = node(QStringLiteral("A"));
    OutlineNode *b = node(QStringLiteral("B"));
    OutlineNode *c = node(QStringLiteral("C"));
    tree.outline().root()->addChildren({a, b, c});

    QStringList heard;
    connect(&tree, &OutlineWidget::currentItemChanged, this, [&](OutlineNode *current, OutlineNode *previous) {
        heard << (current != nullptr ? current->caption() : QStringLiteral("-")) + QLatin1Char('<') +
                     (previous != nullptr ? previous->caption() : QStringLiteral("-"));
    });
    tree.setCurrentItem(b);
    QCOMPARE(heard, QStringList{QStringLiteral("B<-")});
    QVERIFY(tree.isSelected(b));
    QCOMPARE(tree.selectionModel()->selectedIndexes(), QModelIndexList{tree.indexFromItem(b)});

    // The current node taken out: the next one becomes current while the taken one is still whole.
    heard.clear();
    OutlineNode *taken = tree.outline().root()->takeChild(1);
    QCOMPARE(heard, QStringList{QStringLiteral("C<B")});
    QCOMPARE(tree.currentItem(), c);
    delete taken;

    // Renaming in the tree is reported; a node in no tree reports nothing.
    QSignalSpy changed(&tree.outline(), &OutlineModel::captionChanged);
    c->setCaption(QStringLiteral("C2"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<OutlineNode *>(), c);
    c->setCaption(QStringLiteral("C2"));
    QCOMPARE(changed.count(), 1);
    OutlineNode loose(QStringLiteral("loose"));
    loose.setCaption(QStringLiteral("other"));
    QCOMPARE(changed.count(), 1);
    // An edit through the model, as the caption editor makes it, lands in the node.
    QVERIFY(tree.model()->setData(tree.indexFromItem(a), QStringLiteral("A2"), Qt::EditRole));
    QCOMPARE(a->caption(), QStringLiteral("A2"));
    QCOMPARE(changed.count(), 2);

    QSignalSpy expanded(&tree, &QTreeView::expanded);
    QSignalSpy collapsed(&tree, &QTreeView::collapsed);
    a->addChild(node(QStringLiteral("A-child")));
    tree.setExpanded(a, true);
    tree.setExpanded(a, false);
    QCOMPARE(expanded.count(), 1);
    QCOMPARE(collapsed.count(), 1);
    QCOMPARE(tree.itemFromIndex(expanded.at(0).at(0).toModelIndex()), a);

    // Clearing: one report, nothing current, while the old current is whole.
    heard.clear();
    tree.clear();
    QCOMPARE(heard, QStringList{QStringLiteral("-<C2")});
    QCOMPARE(tree.currentItem(), nullptr);
}

void OutlineWidgetTest::openingStopsAtTheDepthLimit()
{
    OutlineWidget tree;
    tree.resize(300, 300);
    std::vector<OutlineNode *> chain{node(QStringLiteral("0"))};
    for (int level = 1; level < OutlineWidget::MaxOpenDepth + 5; ++level) {
        chain.push_back(node(QString::number(level)));
        chain[chain.size() - 2]->addChild(chain.back());
    }
    tree.outline().root()->addChild(chain.front());
    tree.show();
    tree.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&tree));
    tree.setCurrentItem(chain[3]);
    QTest::keyClick(&tree, Qt::Key_Asterisk);
    QCoreApplication::processEvents();
    QVERIFY(tree.isExpanded(chain[3]));
    QVERIFY(tree.isExpanded(chain[OutlineWidget::MaxOpenDepth - 1]));
    QVERIFY(!tree.isExpanded(chain[OutlineWidget::MaxOpenDepth]));
    tree.setExpanded(chain[0], false);

    // Selecting a node below the limit opens its ancestors down to the limit only, and "*" opens nothing
    // there: the tree never lays out a chain of open nodes deeper than the limit.
    OutlineNode *deep = chain[OutlineWidget::MaxOpenDepth + 1];
    tree.setCurrentItem(deep);
    QCoreApplication::processEvents();
    QCOMPARE(tree.currentItem(), deep);
    QVERIFY(tree.isExpanded(chain[0]));
    QVERIFY(tree.isExpanded(chain[OutlineWidget::MaxOpenDepth - 1]));
    QVERIFY(!tree.isExpanded(chain[OutlineWidget::MaxOpenDepth]));
    QTest::keyClick(&tree, Qt::Key_Asterisk);
    QVERIFY(!tree.isExpanded(deep));

    // Opening everything, as a load does, stops at the limit as well; a shallow outline opens completely.
    tree.setExpanded(chain[0], false);
    tree.expandAll();
    QVERIFY(tree.isExpanded(chain[0]));
    QVERIFY(tree.isExpanded(chain[OutlineWidget::MaxOpenDepth - 1]));
    QVERIFY(!tree.isExpanded(chain[OutlineWidget::MaxOpenDepth]));
    OutlineWidget shallow;
    support::buildOutline(shallow.outline(), QStringLiteral("A[B[C] D] E[F]"));
    shallow.expandAll();
    for (const OutlineNode *n : support::nodesOf(shallow.outline())) {
        QCOMPARE(shallow.isExpanded(n), n->childCount() > 0);
    }
}

void OutlineWidgetTest::assistiveTechnologyReadsTheRowsOnScreenAndTheCurrentRow()
{
    OutlineWidget tree;
    tree.setAccessibleName(QStringLiteral("The Tree"));
    tree.resize(200, 200);
    std::vector<OutlineNode *> rows;
    for (int i = 0; i < 3000; ++i) {
        rows.push_back(node(QStringLiteral("r%1").arg(i)));
        tree.outline().root()->addChild(rows.back());
    }
    tree.show();
    tree.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&tree));

    // A reader walking the window meets the rows on screen, not all 3,000.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&tree);
    QVERIFY(iface != nullptr);
    QCOMPARE(iface->role(), QAccessible::Tree);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("The Tree"));
    const int shown = iface->childCount();
    QVERIFY(shown > 0 && shown < 50);
    QCOMPARE(iface->child(0)->text(QAccessible::Name), QStringLiteral("r0"));
    QCOMPARE(iface->indexOfChild(iface->child(shown - 1)), shown - 1);
    tree.scrollToItem(rows[2000], QAbstractItemView::PositionAtTop);
    QCOMPARE(iface->child(0)->text(QAccessible::Name), QStringLiteral("r2000"));
    QCOMPARE(iface->child(0)->parent(), iface);
    const QRect first = iface->child(0)->rect();
    QCOMPARE(iface->childAt(first.center().x(), first.center().y()), iface->child(0));

    // The row the user is on is read wherever it is, as focused and selected.
    tree.setFocus();
    tree.setCurrentItem(rows[10]);
    tree.scrollToItem(rows[2500], QAbstractItemView::PositionAtTop);
    QAccessibleInterface *focused = iface->focusChild();
    QVERIFY(focused != nullptr);
    QCOMPARE(focused->text(QAccessible::Name), QStringLiteral("r10"));
    QVERIFY(focused->state().focused);
    QVERIFY(focused->state().selected);

    // A pruned row's object goes invalid instead of reading another row.
    delete tree.outline().root()->takeChild(10);
    QVERIFY(!focused->isValid());
}

namespace {

// The focus events assistive technology hears, by the name of the object focused.
QStringList heardFocus;

void recordFocus(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::Focus && event->accessibleInterface() != nullptr) {
        heardFocus.append(event->accessibleInterface()->text(QAccessible::Name));
    }
}

}  // namespace

void OutlineWidgetTest::clickIntoTheTreeAnnouncesTheTreeThenTheCurrentRow_data()
{
    QTest::addColumn<int>("clicked");
    QTest::newRow("on the current row") << 1;
    QTest::newRow("on another row") << 2;
}

void OutlineWidgetTest::clickIntoTheTreeAnnouncesTheTreeThenTheCurrentRow()
{
    QFETCH(int, clicked);
    QWidget window;
    auto *before = new QLineEdit(&window);
    auto *tree = new OutlineWidget(&window);
    tree->setAccessibleName(QStringLiteral("The Tree"));
    tree->setGeometry(0, 30, 200, 200);
    std::vector<OutlineNode *> rows;
    for (int i = 0; i < 5; ++i) {
        rows.push_back(node(QStringLiteral("r%1").arg(i)));
        tree->outline().root()->addChild(rows.back());
    }
    tree->setCurrentItem(rows[1]);
    window.resize(200, 240);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    QVERIFY(before->hasFocus());

    heardFocus.clear();
    // Offscreen there is no bridge to switch accessibility on; the platform's own switch stands in for it.
    QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
    QVERIFY(platform != nullptr);
    platform->setActive(true);
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordFocus);
    const QPoint point = tree->visualItemRect(rows[size_t(clicked)]).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, point);
    QCoreApplication::processEvents();
    QAccessible::installUpdateHandler(previous);
    platform->setActive(false);

    // A screen reader reads the last focus it hears: the tree comes first, the row the user is on last.
    QVERIFY(tree->hasFocus());
    const QString row = rows[size_t(clicked)]->caption();
    QVERIFY2(heardFocus.size() >= 2, qPrintable(heardFocus.join(u',')));
    QCOMPARE(heardFocus.first(), QStringLiteral("The Tree"));
    QCOMPARE(heardFocus.last(), row);
    QCOMPARE(heardFocus.lastIndexOf(QStringLiteral("The Tree")), 0);
}

void OutlineWidgetTest::insertingUnderAnOpenBranchKeepsExpansionSelectionAndScrollQuietly_data()
{
    QTest::addColumn<int>("placement");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("parent");
    const int lastChild = int(Placement::LastChild);
    const int lastSibling = int(Placement::LastSibling);
    const int before = int(Placement::Before);
    QTest::newRow("last child of an open branch") << lastChild << "B" << "B";
    QTest::newRow("after the last sibling, deep") << lastSibling << "b7" << "B";
    QTest::newRow("before a deep leaf") << before << "b3" << "B";
    QTest::newRow("before a second-level leaf") << before << "Z" << "A";
    QTest::newRow("top level") << lastSibling << "A" << "";
    QTest::newRow("last child of a deep branch") << lastChild << "b5" << "b5";
}

void OutlineWidgetTest::insertingUnderAnOpenBranchKeepsExpansionSelectionAndScrollQuietly()
{
    QFETCH(int, placement);
    QFETCH(QString, target);
    QFETCH(QString, parent);

    // A long open branch in a short window, scrolled to its end: collapsing B would pull the view up.
    QString text = QStringLiteral("A[B[");
    for (int i = 0; i < 40; ++i) {
        text += QStringLiteral("b%1[c%1] ").arg(i);
    }
    text += QStringLiteral("] Z] Y");
    OutlineWidget view;
    OutlineModel &tree = view.outline();
    view.resize(200, 150);
    buildOutline(tree, text);
    view.expandAll();
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setCurrentItem(findNode(tree, QStringLiteral("c38")));
    view.scrollToBottom();
    QCoreApplication::processEvents();
    QScrollBar *bar = view.verticalScrollBar();
    QVERIFY(bar->value() > 0);
    const int top = bar->value();
    std::vector<OutlineNode *> open;
    for (OutlineNode *node : nodesOf(tree)) {
        if (node->childCount() > 0) {
            QVERIFY(view.isExpanded(node));
            open.push_back(node);
        }
    }
    QSignalSpy expanded(&view, &QTreeView::expanded);
    QSignalSpy collapsed(&view, &QTreeView::collapsed);
    QSignalSpy currentChanged(&view, &OutlineWidget::currentItemChanged);

    auto *item = new OutlineNode(QStringLiteral("N"));
    insertNode(tree, item, Placement(placement), findNode(tree, target));

    QCOMPARE(item->parent(), findNode(tree, parent));
    for (OutlineNode *node : open) {
        QVERIFY2(view.isExpanded(node), qPrintable(node->caption()));
    }
    QCOMPARE(expanded.count(), 0);
    QCOMPARE(collapsed.count(), 0);
    QCOMPARE(currentChanged.count(), 0);
    QCOMPARE(view.currentItem(), findNode(tree, QStringLiteral("c38")));
    QCOMPARE(bar->value(), top);
    // Every row, the new one included, is laid out where display order puts it.
    QCoreApplication::processEvents();
    const bool newRowShown = item->parent() == nullptr || view.isExpanded(item->parent());
    int previousY = -1;
    for (OutlineNode *node : nodesOf(tree)) {
        if (node->parent() != nullptr && !view.isExpanded(node->parent())) {
            continue;
        }
        const QModelIndex index = view.indexFromItem(node);
        view.scrollTo(index);
        const int y = view.visualRect(index).top() + bar->value() * view.visualRect(index).height();
        QVERIFY2(y > previousY, qPrintable(node->caption()));
        previousY = y;
    }
    QCOMPARE(view.visualItemRect(item).isValid(), newRowShown);
}

void OutlineWidgetTest::insertingLeavesAnOpenCaptionEditAlone()
{
    OutlineWidget view;
    OutlineModel &tree = view.outline();
    buildOutline(tree, QStringLiteral("A[B C] D"));
    view.expandAll();
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.editItem(findNode(tree, QStringLiteral("B")));
    auto *edit = view.viewport()->findChild<QLineEdit *>();
    QVERIFY(edit != nullptr);
    QVERIFY(edit->isVisible());
    edit->setText(QStringLiteral("typed"));

    insertNode(tree, new OutlineNode(QStringLiteral("N")), Placement::LastSibling, findNode(tree, QStringLiteral("C")));

    QCOMPARE(describe(tree), QStringLiteral("A[B C N] D"));
    // The edit box is still open with what was typed; nothing was confirmed yet.
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->text(), QStringLiteral("typed"));
    QCOMPARE(findNode(tree, QStringLiteral("typed")), nullptr);
    QVERIFY(view.isExpanded(findNode(tree, QStringLiteral("B"))->parent()));
}

void OutlineWidgetTest::removingTheCurrentSubtreeReportsTheChangeWhileEverythingIsAlive_data()
{
    QTest::addColumn<QString>("outline");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("newCurrent");  // "-" when no change may be reported

    QTest::newRow("next sibling takes over") << "A B C" << "B" << "B" << "A C" << "C";
    QTest::newRow("previous sibling when last") << "A B C" << "C" << "C" << "A B" << "B";
    QTest::newRow("parent when only child") << "A[B] C" << "B" << "B" << "A C" << "A";
    QTest::newRow("none when the tree empties") << "A" << "A" << "A" << "" << "";
    QTest::newRow("subtree with its children") << "A[B[C]] D" << "A" << "A" << "D" << "D";
    QTest::newRow("current deep inside the removed subtree") << "A[B[C]] D" << "C" << "A" << "D" << "D";
    QTest::newRow("current elsewhere stays") << "A[B] C" << "C" << "A" << "C" << "-";
}

void OutlineWidgetTest::removingTheCurrentSubtreeReportsTheChangeWhileEverythingIsAlive()
{
    QFETCH(QString, outline);
    QFETCH(QString, current);
    QFETCH(QString, removed);
    QFETCH(QString, expected);
    QFETCH(QString, newCurrent);

    OutlineWidget view;
    OutlineModel &tree = view.outline();
    buildOutline(tree, outline);
    view.expandAll();
    OutlineNode *currentItem = findNode(tree, current);
    view.setCurrentItem(currentItem);
    const NoteRef leavingRecord = currentItem->record();

    // What a selection handler can see at the moment of the change.
    QStringList seen;
    const QMetaObject::Connection listening =
        connect(view.selectionModel(), &QItemSelectionModel::currentChanged, this,
                [&](const QModelIndex &nowIndex, const QModelIndex &previousIndex) {
                    OutlineNode *now = view.itemFromIndex(nowIndex);
                    OutlineNode *previous = view.itemFromIndex(previousIndex);
                    QVERIFY(previous != nullptr);
                    // The leaving node is still whole: a leaf in this tree that hands out its record.
                    QCOMPARE(previous->model(), &tree);
                    QCOMPARE(previous->record(), leavingRecord);
                    seen << previous->caption() + QLatin1String("->") + (now != nullptr ? now->caption() : QString());
                });

    view.removeNode(findNode(tree, removed));
    disconnect(listening);
    QCOMPARE(describe(tree), expected);
    if (newCurrent == QLatin1String("-")) {
        QVERIFY(seen.isEmpty());
        QCOMPARE(view.currentItem(), currentItem);
    } else {
        QCOMPARE(seen, QStringList{current + QLatin1String("->") + newCurrent});
        QCOMPARE(view.currentItem(), findNode(tree, newCurrent));
    }
}

void OutlineWidgetTest::movedSubtreeComesOutCollapsedAndCurrentUnderAnOpenParent()
{
    OutlineWidget view;
    OutlineModel &tree = view.outline();
    buildOutline(tree, QStringLiteral("A[B[C[D]] E] F"));
    view.expandAll();
    OutlineNode *b = findNode(tree, QStringLiteral("B"));
    OutlineNode *c = findNode(tree, QStringLiteral("C"));
    OutlineNode *f = findNode(tree, QStringLiteral("F"));
    view.setCurrentItem(b);
    QVERIFY(!view.isExpanded(f));

    // A refused move shows nothing: what was open stays open and the leaf stays current.
    QCOMPARE(view.moveNode(b, Placement::LastChild, c), MoveResult::Refused);
    QCOMPARE(describe(tree), QStringLiteral("A[B[C[D]] E] F"));
    QVERIFY(view.isExpanded(b));
    QVERIFY(view.isExpanded(c));
    QCOMPARE(view.currentItem(), b);

    QCOMPARE(view.moveNode(b, Placement::LastChild, f), MoveResult::Moved);
    QCOMPARE(describe(tree), QStringLiteral("A[E] F[B[C[D]]]"));
    QVERIFY(!view.isExpanded(b));
    QVERIFY(!view.isExpanded(c));
    QVERIFY(view.isExpanded(f));
    QVERIFY(view.isExpanded(findNode(tree, QStringLiteral("A"))));  // still has E
    QCOMPARE(view.currentItem(), b);
    QVERIFY(view.isSelected(b));
}

void OutlineWidgetTest::formerParentWithoutChildrenCollapsesAndLosesItsButton()
{
    OutlineWidget view;
    OutlineModel &tree = view.outline();
    buildOutline(tree, QStringLiteral("A[B] C"));
    OutlineNode *a = findNode(tree, QStringLiteral("A"));
    OutlineNode *b = findNode(tree, QStringLiteral("B"));
    view.setExpanded(a, true);
    QVERIFY(view.isExpanded(a));
    view.setCurrentItem(b);

    QCOMPARE(view.moveNode(b, Placement::LastSibling, a), MoveResult::Moved);
    QCOMPARE(describe(tree), QStringLiteral("A C B"));
    QCOMPARE(a->childCount(), 0);
    QVERIFY(!view.isExpanded(a));
    QVERIFY(!tree.hasChildren(view.indexFromItem(a)));
    QVERIFY(tree.flags(view.indexFromItem(a)) & Qt::ItemNeverHasChildren);
    // The drop classifier finds no button there any more: its branch cell is indentation now.
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QRect row = view.visualItemRect(a);
    const QPoint inBranchCell(row.left() - view.indentation() / 2, row.center().y());
    QCOMPARE(classifyDropPoint(view, inBranchCell).action, DropPlan::Before);

    // Adding a child back later does not bring the former expansion back.
    a->addChild(new OutlineNode(QStringLiteral("X")));
    QVERIFY(!view.isExpanded(a));
}

void OutlineWidgetTest::leafDroppedWhereItWasStillComesOutCollapsed()
{
    OutlineWidget view;
    OutlineModel &tree = view.outline();
    buildOutline(tree, QStringLiteral("A[B[C]] D[E]"));
    view.expandAll();
    OutlineNode *a = findNode(tree, QStringLiteral("A"));
    OutlineNode *b = findNode(tree, QStringLiteral("B"));
    OutlineNode *c = findNode(tree, QStringLiteral("C"));
    OutlineNode *d = findNode(tree, QStringLiteral("D"));
    view.setCurrentItem(a);

    // Before itself: directly after its previous sibling A, which is where it is.
    QCOMPARE(view.moveNode(d, Placement::Before, d), MoveResult::Moved);
    QCOMPARE(describe(tree), QStringLiteral("A[B[C]] D[E]"));
    QVERIFY(!view.isExpanded(d));
    QVERIFY(view.isExpanded(a));  // untouched
    QCOMPARE(view.currentItem(), d);

    // Staying does not collapse anything.
    view.setCurrentItem(a);
    QCOMPARE(view.moveNode(a, Placement::LastChild, a), MoveResult::Stayed);
    QVERIFY(view.isExpanded(a));
    QVERIFY(view.isExpanded(b));
    // A leaf that stays gets its parent opened and becomes current.
    view.setExpanded(b, false);
    QCOMPARE(view.moveNode(c, Placement::LastChild, c), MoveResult::Stayed);
    QVERIFY(view.isExpanded(b));
    QCOMPARE(view.currentItem(), c);
}

void OutlineWidgetTest::dropPointsFallIntoTheRegionsOfTheRow()
{
    OutlineWidget view;
    OutlineModel &tree = view.outline();
    view.setHeaderHidden(true);
    view.resize(400, 300);
    buildOutline(tree, QStringLiteral("Alpha[Beta[Gamma] Delta] Epsilon"));
    view.expandAll();
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    OutlineNode *beta = findNode(tree, QStringLiteral("Beta"));
    OutlineNode *gamma = findNode(tree, QStringLiteral("Gamma"));
    OutlineNode *delta = findNode(tree, QStringLiteral("Delta"));
    OutlineNode *epsilon = findNode(tree, QStringLiteral("Epsilon"));
    const int indent = view.indentation();
    const QFontMetrics fm(view.font());

    struct Case {
        const char *name;
        QPoint point;
        DropPlan::Action action;
        OutlineNode *target;
    };
    const QRect betaRow = view.visualItemRect(beta);
    const QRect gammaRow = view.visualItemRect(gamma);
    const QRect deltaRow = view.visualItemRect(delta);
    const QRect epsilonRow = view.visualItemRect(epsilon);
    const int y = betaRow.center().y();
    const Case cases[] = {
        {"caption start", QPoint(betaRow.left() + 2, y), DropPlan::LastChild, beta},
        {"caption middle", QPoint(betaRow.left() + fm.horizontalAdvance(QStringLiteral("Be")), y),
         DropPlan::LastChild, beta},
        {"right of the caption", QPoint(betaRow.left() + fm.horizontalAdvance(QStringLiteral("Beta")) + 40, y),
         DropPlan::Nothing, beta},
        {"far right of the row", QPoint(betaRow.right() - 2, y), DropPlan::Nothing, beta},
        {"expand button", QPoint(betaRow.left() - indent / 2, y), DropPlan::Nothing, beta},
        {"indentation left of the button", QPoint(betaRow.left() - indent - indent / 2, y), DropPlan::Before, beta},
        {"indentation at the left edge", QPoint(1, gammaRow.center().y()), DropPlan::Before, gamma},
        {"branch cell of a leaf without children", QPoint(deltaRow.left() - indent / 2, deltaRow.center().y()),
         DropPlan::Before, delta},
        {"top-level caption start", QPoint(epsilonRow.left() + 3, epsilonRow.center().y()), DropPlan::LastChild,
         epsilon},
        {"top-level caption middle",
         QPoint(epsilonRow.left() + fm.horizontalAdvance(QStringLiteral("Epsi")), epsilonRow.center().y()),
         DropPlan::LastChild, epsilon},
        {"below the last row", QPoint(50, epsilonRow.bottom() + 30), DropPlan::LastTopLevel, nullptr},
        {"outside the viewport", QPoint(50, view.viewport()->height() + 5), DropPlan::Nothing, nullptr},
        {"left of the viewport", QPoint(-3, y), DropPlan::Nothing, nullptr},
    };
    for (const Case &c : cases) {
        const DropPlan plan = classifyDropPoint(view, c.point);
        QVERIFY2(plan.action == c.action, c.name);
        QVERIFY2(plan.target == c.target, c.name);
    }
    // The caption's end depends on its own text: a longer caption reaches further.
    const int xAfterBeta = betaRow.left() + fm.horizontalAdvance(QStringLiteral("Beta")) + 12;
    QCOMPARE(classifyDropPoint(view, QPoint(xAfterBeta, y)).action, DropPlan::Nothing);
    beta->setCaption(QStringLiteral("Beta with a much longer caption"));
    QCOMPARE(classifyDropPoint(view, QPoint(xAfterBeta, y)).action, DropPlan::LastChild);
}

QTEST_MAIN(OutlineWidgetTest)
#include "outlinewidget_test.moc"
