// Tests of the outline's tree control: nodes that keep their place, the model the view sees, signals,
// leaves that are never expanded, and chains deeper than the view can open.
#include "app/outlinewidget.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

namespace {

OutlineNode *node(const QString &caption)
{
    return new OutlineNode(QStringList{caption});
}

// Every node of the tree, checked against the model the view sees: rows, parents, indices and owner.
void checkConsistent(const OutlineWidget &tree)
{
    const QAbstractItemModel *model = tree.model();
    std::vector<const OutlineNode *> stack{tree.root()};
    int seen = 0;
    while (!stack.empty()) {
        const OutlineNode *container = stack.back();
        stack.pop_back();
        const QModelIndex parentIndex = container == tree.root() ? QModelIndex()
                                                                              : tree.indexFromItem(container);
        QCOMPARE(model->rowCount(parentIndex), container->childCount());
        for (int row = 0; row < container->childCount(); ++row) {
            const OutlineNode *child = container->child(row);
            ++seen;
            QCOMPARE(container->indexOfChild(child), row);
            QCOMPARE(child->model(), &tree.outline());
            QCOMPARE(child->parent(), container == tree.root() ? nullptr : container);
            const QModelIndex index = tree.indexFromItem(child);
            QCOMPARE(index.row(), row);
            QCOMPARE(model->index(row, 0, parentIndex), index);
            QCOMPARE(index.parent(), parentIndex);
            QCOMPARE(tree.itemFromIndex(index), child);
            QCOMPARE(index.data().toString(), child->caption());
            stack.push_back(child);
        }
    }
    int walked = 0;
    for (OutlineItemIterator it(&tree.outline()); *it; ++it) {
        ++walked;
    }
    QCOMPARE(walked, seen);
}

int levelOf(const OutlineNode *item)
{
    int level = 0;
    for (const OutlineNode *p = item->parent(); p != nullptr; p = p->parent()) {
        ++level;
    }
    return level;
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
    void asteriskOpensTheSubtreeDownToTheDepthLimit();
    void assistiveTechnologyReadsTheRowsOnScreenAndTheCurrentRow();
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
        return nodes.empty() ? tree.root() : nodes[rng.bounded(int(nodes.size()))];
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
        OutlineNode *target = rng.bounded(4) == 0 ? tree.root() : pick();
        if (what < 5 || nodes.size() < 3) {
            // A new node, or a few at once, anywhere in a list.
            QList<OutlineNode *> fresh;
            for (int i = int(rng.bounded(3)); i >= 0; --i) {
                fresh << node(QStringLiteral("n%1-%2").arg(step).arg(i));
            }
            target->insertChildren(int(rng.bounded(target->childCount() + 1)), fresh);
            nodes.insert(nodes.end(), fresh.begin(), fresh.end());
            if (target != tree.root() && rng.bounded(2) == 0) {
                target->setExpanded(true);
            }
        } else if (what < 7) {
            // A subtree moved elsewhere, never into itself.
            OutlineNode *moving = pick();
            OutlineNode *container = moving->parent() != nullptr ? moving->parent() : tree.root();
            OutlineNode *taken = container->takeChild(container->indexOfChild(moving));
            QCOMPARE(taken, moving);
            const std::size_t size = forget(moving);
            OutlineNode *into = nodes.empty() ? tree.root() : pick();
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
            if (renamed != tree.root()) {
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
    QCOMPARE(int(nodes.size()), [&] {
        int n = 0;
        for (OutlineItemIterator it(&tree.outline()); *it; ++it) {
            ++n;
        }
        return n;
    }());
    tree.clear();
    QCOMPARE(tree.topLevelCount(), 0);
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
    tree.root()->addChildren({a, b});
    QCOMPARE(c->model(), &tree.outline());
    QCOMPARE(a->parent(), nullptr);
    QCOMPARE(c->parent(), b);

    // A node already in a tree, listed twice, or the root itself is not placed again.
    a->addChild(c);
    QCOMPARE(a->childCount(), 0);
    OutlineNode *d = node(QStringLiteral("D"));
    a->addChildren({d, d, tree.root(), nullptr});
    QCOMPARE(a->childCount(), 1);
    QCOMPARE(tree.root()->indexOfChild(b), 1);
    QCOMPARE(tree.root()->indexOfChild(c), -1);
    QCOMPARE(a->indexOfChild(nullptr), -1);
    QCOMPARE(a->child(5), nullptr);
    QCOMPARE(a->takeChild(-1), nullptr);

    // Taken out: no parent, no tree, for the whole subtree; the rows after it move up.
    tree.root()->insertChild(0, node(QStringLiteral("Z")));
    OutlineNode *taken = tree.root()->takeChild(2);
    QCOMPARE(taken, b);
    QCOMPARE(b->parent(), nullptr);
    QCOMPARE(b->model(), nullptr);
    QCOMPARE(c->model(), nullptr);
    QCOMPARE(c->parent(), b);
    QCOMPARE(tree.indexFromItem(c), QModelIndex());
    QCOMPARE(tree.topLevelCount(), 2);
    QCOMPARE(tree.root()->indexOfChild(a), 1);
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
        tree.root()->addChild(top);
        QCOMPARE(deepest->model(), &tree.outline());
        int walked = 0;
        for (OutlineItemIterator it(&tree.outline()); *it; ++it) {
            ++walked;
        }
        QCOMPARE(walked, Depth);
        OutlineNode *after = node(QStringLiteral("after"));
        tree.root()->addChild(after);
        // Past the end of the chain the walk climbs all the way back up to the next top-level node.
        OutlineItemIterator it(&tree.outline());
        for (int i = 0; i < Depth; ++i) {
            ++it;
        }
        QCOMPARE(*it, after);
        tree.clear();
        QCOMPARE(tree.topLevelCount(), 0);
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
    tree.root()->addChildren({parent, leaf});

    const QModelIndex leafIndex = tree.indexFromItem(leaf);
    QVERIFY(tree.model()->flags(leafIndex) & Qt::ItemNeverHasChildren);
    QVERIFY(!(leaf->flags() & Qt::ItemNeverHasChildren));
    leaf->setExpanded(true);
    QVERIFY(!leaf->isExpanded());
    QVERIFY(!tree.model()->hasChildren(leafIndex));

    // With a child it is a parent like any other; without children again, a leaf.
    leaf->addChild(node(QStringLiteral("X")));
    QVERIFY(!(tree.model()->flags(leafIndex) & Qt::ItemNeverHasChildren));
    leaf->setExpanded(true);
    QVERIFY(leaf->isExpanded());
    delete leaf->takeChild(0);
    QVERIFY(tree.model()->flags(leafIndex) & Qt::ItemNeverHasChildren);
    QVERIFY(!leaf->isExpanded());
    // Its next child comes in folded, and unfolding shows it.
    QSignalSpy expanded(&tree, &QTreeView::expanded);
    OutlineNode *again = node(QStringLiteral("again"));
    leaf->addChild(again);
    QVERIFY(!leaf->isExpanded());
    leaf->setExpanded(true);
    QCOMPARE(expanded.count(), 1);
    QCoreApplication::processEvents();
    QVERIFY(tree.visualItemRect(again).isValid());
    delete again;
    QVERIFY(!leaf->isExpanded());

    // A node told to show its button counts as one with children.
    parent->setChildIndicatorPolicy(OutlineNode::ShowIndicator);
    const QModelIndex parentIndex = tree.indexFromItem(parent);
    QVERIFY(tree.model()->hasChildren(parentIndex));
    QVERIFY(!(tree.model()->flags(parentIndex) & Qt::ItemNeverHasChildren));
    parent->setChildIndicatorPolicy(OutlineNode::DontShowIndicator);
    parent->addChild(node(QStringLiteral("Y")));
    QVERIFY(!tree.model()->hasChildren(parentIndex));

    // A node in no tree is neither expanded nor selected, and asking changes nothing.
    OutlineNode loose(QStringList{QStringLiteral("loose")});
    loose.setExpanded(true);
    loose.setSelected(true);
    QVERIFY(!loose.isExpanded());
    QVERIFY(!loose.isSelected());
}

void OutlineWidgetTest::signalsReportChangesWhileNodesAreWhole()
{
    OutlineWidget tree;
    OutlineNode *a = node(QStringLiteral("A"));
    OutlineNode *b = node(QStringLiteral("B"));
    OutlineNode *c = node(QStringLiteral("C"));
    tree.root()->addChildren({a, b, c});

    QStringList heard;
    connect(&tree, &OutlineWidget::currentItemChanged, this, [&](OutlineNode *current, OutlineNode *previous) {
        heard << (current != nullptr ? current->caption() : QStringLiteral("-")) + QLatin1Char('<') +
                     (previous != nullptr ? previous->caption() : QStringLiteral("-"));
    });
    tree.setCurrentItem(b);
    QCOMPARE(heard, QStringList{QStringLiteral("B<-")});
    QVERIFY(b->isSelected());
    QCOMPARE(tree.selectedItems(), QList<OutlineNode *>{b});

    // The current node taken out: the next one becomes current while the taken one is still whole.
    heard.clear();
    OutlineNode *taken = tree.root()->takeChild(1);
    QCOMPARE(heard, QStringList{QStringLiteral("C<B")});
    QCOMPARE(tree.currentItem(), c);
    delete taken;

    // Renaming in the tree is reported; a node in no tree reports nothing.
    QSignalSpy changed(&tree, &OutlineWidget::itemChanged);
    c->setCaption(QStringLiteral("C2"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<OutlineNode *>(), c);
    c->setCaption(QStringLiteral("C2"));
    QCOMPARE(changed.count(), 1);
    OutlineNode loose(QStringList{QStringLiteral("loose")});
    loose.setText(0, QStringLiteral("other"));
    QCOMPARE(changed.count(), 1);
    // An edit through the model, as the caption editor makes it, lands in the node.
    QVERIFY(tree.model()->setData(tree.indexFromItem(a), QStringLiteral("A2"), Qt::EditRole));
    QCOMPARE(a->caption(), QStringLiteral("A2"));
    QCOMPARE(changed.count(), 2);

    QSignalSpy expanded(&tree, &QTreeView::expanded);
    QSignalSpy collapsed(&tree, &QTreeView::collapsed);
    a->addChild(node(QStringLiteral("A-child")));
    a->setExpanded(true);
    a->setExpanded(false);
    QCOMPARE(expanded.count(), 1);
    QCOMPARE(collapsed.count(), 1);
    QCOMPARE(expanded.at(0).at(0).value<OutlineNode *>(), a);

    // Clearing: one report, nothing current, while the old current is whole.
    heard.clear();
    tree.clear();
    QCOMPARE(heard, QStringList{QStringLiteral("-<C2")});
    QCOMPARE(tree.currentItem(), nullptr);
}

void OutlineWidgetTest::asteriskOpensTheSubtreeDownToTheDepthLimit()
{
    OutlineWidget tree;
    tree.resize(300, 300);
    std::vector<OutlineNode *> chain{node(QStringLiteral("0"))};
    for (int level = 1; level < OutlineWidget::MaxOpenDepth + 5; ++level) {
        chain.push_back(node(QString::number(level)));
        chain[chain.size() - 2]->addChild(chain.back());
    }
    tree.root()->addChild(chain.front());
    tree.show();
    tree.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&tree));
    tree.setCurrentItem(chain[3]);
    QTest::keyClick(&tree, Qt::Key_Asterisk);
    QCoreApplication::processEvents();
    QVERIFY(chain[3]->isExpanded());
    QVERIFY(chain[OutlineWidget::MaxOpenDepth - 1]->isExpanded());
    QVERIFY(!chain[OutlineWidget::MaxOpenDepth]->isExpanded());
    tree.collapseItem(chain[0]);

    // Selecting a node below the limit opens its ancestors down to the limit only, and "*" opens nothing
    // there: the tree never lays out a chain of open nodes deeper than the limit.
    OutlineNode *deep = chain[OutlineWidget::MaxOpenDepth + 1];
    tree.setCurrentItem(deep);
    QCoreApplication::processEvents();
    QCOMPARE(tree.currentItem(), deep);
    QVERIFY(chain[0]->isExpanded());
    QVERIFY(chain[OutlineWidget::MaxOpenDepth - 1]->isExpanded());
    QVERIFY(!chain[OutlineWidget::MaxOpenDepth]->isExpanded());
    QTest::keyClick(&tree, Qt::Key_Asterisk);
    QVERIFY(!deep->isExpanded());
}

void OutlineWidgetTest::assistiveTechnologyReadsTheRowsOnScreenAndTheCurrentRow()
{
    OutlineWidget tree;
    tree.setAccessibleName(QStringLiteral("The Tree"));
    tree.resize(200, 200);
    std::vector<OutlineNode *> rows;
    for (int i = 0; i < 3000; ++i) {
        rows.push_back(node(QStringLiteral("r%1").arg(i)));
        tree.root()->addChild(rows.back());
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
    delete tree.root()->takeChild(10);
    QVERIFY(!focused->isValid());
}

QTEST_MAIN(OutlineWidgetTest)
#include "outlinewidget_test.moc"
