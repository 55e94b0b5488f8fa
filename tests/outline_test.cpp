// Tests of the outline rules on a bare model (indices, placements, removing and moving leaves), and of the
// tree view where they meet it: insertions under open nodes and drop points.
#include "app/droppoint.h"
#include "app/outlinewidget.h"
#include "document/outlinemodel.h"
#include "document/outline.h"
#include "document/outlinemodel.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace outline;

namespace {

// Outlines are written as captions separated by blanks, children in brackets: "A[B[C] D] E".
void buildOutline(OutlineModel &tree, const QString &text)
{
    OutlineNode *container = tree.root();
    OutlineNode *last = nullptr;
    QString name;
    auto flush = [&] {
        if (!name.isEmpty()) {
            last = new OutlineNode(name, std::make_shared<noteob>());
            container->addChild(last);
            name.clear();
        }
    };
    for (const QChar c : text) {
        if (c == QLatin1Char('[')) {
            flush();
            container = last;
        } else if (c == QLatin1Char(']')) {
            flush();
            last = container;
            container = container->parent() != nullptr ? container->parent() : tree.root();
        } else if (c == QLatin1Char(' ')) {
            flush();
        } else {
            name += c;
        }
    }
    flush();
}

QString describe(const OutlineNode *container)
{
    QStringList parts;
    for (int i = 0; i < container->childCount(); ++i) {
        const OutlineNode *child = container->child(i);
        QString part = child->caption();
        if (child->childCount() > 0) {
            part += QLatin1Char('[') + describe(child) + QLatin1Char(']');
        }
        parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

QString describe(const OutlineModel &tree)
{
    return describe(tree.root());
}

OutlineNode *find(const OutlineModel &tree, const QString &caption)
{
    if (caption.isEmpty()) {
        return nullptr;
    }
    for (OutlineItemIterator it(&tree); *it; ++it) {
        if ((*it)->caption() == caption) {
            return *it;
        }
    }
    return nullptr;
}

void expandAll(OutlineModel &tree)
{
    for (OutlineNode *item : displayOrder(tree)) {
        if (item->childCount() > 0) {
            item->setExpanded(true);
        }
    }
}

}  // namespace

class OutlineTest : public QObject
{
    Q_OBJECT

private slots:
    void indicesAndLevelsFollowDisplayOrderWhetherExpandedOrNot();
    void placementsPutTheNewLeafAsLastChildLastSiblingOrBefore_data();
    void placementsPutTheNewLeafAsLastChildLastSiblingOrBefore();
    void insertingUnderAnOpenBranchKeepsExpansionSelectionAndScrollQuietly_data();
    void insertingUnderAnOpenBranchKeepsExpansionSelectionAndScrollQuietly();
    void insertingLeavesAnOpenCaptionEditAlone();
    void removingTheCurrentSubtreeReportsTheChangeWhileEverythingIsAlive_data();
    void removingTheCurrentSubtreeReportsTheChangeWhileEverythingIsAlive();
    void removedRecordsLiveExactlyAsLongAsSomethingRefersToThem();
    void movesRefuseOwnSubtreeStayInPlaceOrCarryTheSubtree_data();
    void movesRefuseOwnSubtreeStayInPlaceOrCarryTheSubtree();
    void movedSubtreeComesOutCollapsedSelectedAndWithItsRecords();
    void formerParentWithoutChildrenCollapsesAndLosesItsButton();
    void leafDroppedWhereItWasStillComesOutCollapsed();
    void dropPointsFallIntoTheRegionsOfTheRow();
};

void OutlineTest::indicesAndLevelsFollowDisplayOrderWhetherExpandedOrNot()
{
    OutlineModel tree;
    buildOutline(tree, QStringLiteral("A[B[C D[E]] F] G H[I[J[K]]]"));
    QCOMPARE(describe(tree), QStringLiteral("A[B[C D[E]] F] G H[I[J[K]]]"));
    const QStringList expected = QStringLiteral("A B C D E F G H I J K").split(QLatin1Char(' '));
    const QList<int> levels = {0, 1, 2, 2, 3, 1, 0, 0, 1, 2, 3};

    for (int pass = 0; pass < 2; ++pass) {
        const QList<OutlineNode *> order = displayOrder(tree);
        QCOMPARE(order.size(), expected.size());
        for (int i = 0; i < order.size(); ++i) {
            QCOMPARE(order[i]->caption(), expected[i]);
            QCOMPARE(absoluteIndexOf(order[i]), i);
            QCOMPARE(itemAtAbsoluteIndex(tree, i), order[i]);
            QCOMPARE(levelOf(order[i]), levels[i]);
            QCOMPARE(displayPredecessor(order[i]), i > 0 ? order[i - 1] : nullptr);
        }
        // The second pass sees the same indices with every subtree expanded.
        expandAll(tree);
    }
    QCOMPARE(itemAtAbsoluteIndex(tree, -1), nullptr);
    QCOMPARE(itemAtAbsoluteIndex(tree, expected.size()), nullptr);
    QCOMPARE(absoluteIndexOf(nullptr), -1);
    QCOMPARE(displayPredecessor(nullptr), nullptr);
    QCOMPARE(subtreeSize(find(tree, QStringLiteral("B"))), 4);
    QCOMPARE(subtreeSize(find(tree, QStringLiteral("G"))), 1);
    QVERIFY(isDescendantOf(find(tree, QStringLiteral("E")), find(tree, QStringLiteral("A"))));
    QVERIFY(!isDescendantOf(find(tree, QStringLiteral("A")), find(tree, QStringLiteral("A"))));
    QVERIFY(!isDescendantOf(find(tree, QStringLiteral("G")), find(tree, QStringLiteral("A"))));

    OutlineModel empty;
    QVERIFY(displayOrder(empty).isEmpty());
    QCOMPARE(itemAtAbsoluteIndex(empty, 0), nullptr);
}

void OutlineTest::placementsPutTheNewLeafAsLastChildLastSiblingOrBefore_data()
{
    QTest::addColumn<QString>("outline");
    QTest::addColumn<int>("placement");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expected");

    const int lastChild = int(Placement::LastChild);
    const int lastSibling = int(Placement::LastSibling);
    const int before = int(Placement::Before);
    QTest::newRow("last sibling on an empty tree") << "" << lastSibling << "" << "N";
    QTest::newRow("last sibling without target") << "A[B] C" << lastSibling << "" << "A[B] C N";
    QTest::newRow("last sibling goes to the end of the list") << "A B C" << lastSibling << "A" << "A B C N";
    QTest::newRow("last sibling of a child") << "A[B C] D" << lastSibling << "B" << "A[B C N] D";
    QTest::newRow("last child after existing children") << "A[B C] D" << lastChild << "A" << "A[B C N] D";
    QTest::newRow("last child of a childless leaf") << "A B" << lastChild << "B" << "A B[N]";
    QTest::newRow("before a top-level leaf") << "A B C" << before << "B" << "A N B C";
    QTest::newRow("before the first child") << "A[B C]" << before << "B" << "A[N B C]";
    QTest::newRow("before the first top-level leaf") << "A B" << before << "A" << "N A B";
    QTest::newRow("before a deep leaf") << "A[B[C D]]" << before << "D" << "A[B[C N D]]";
}

void OutlineTest::placementsPutTheNewLeafAsLastChildLastSiblingOrBefore()
{
    QFETCH(QString, outline);
    QFETCH(int, placement);
    QFETCH(QString, target);
    QFETCH(QString, expected);

    OutlineModel tree;
    buildOutline(tree, outline);
    auto *item = new OutlineNode(QStringLiteral("N"), std::make_shared<noteob>());
    insertItem(tree, item, Placement(placement), find(tree, target));
    QCOMPARE(describe(tree), expected);
    QCOMPARE(item->model(), &tree);
}

void OutlineTest::insertingUnderAnOpenBranchKeepsExpansionSelectionAndScrollQuietly_data()
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

void OutlineTest::insertingUnderAnOpenBranchKeepsExpansionSelectionAndScrollQuietly()
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
    expandAll(tree);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    tree.setCurrentItem(find(tree, QStringLiteral("c38")));
    view.scrollToBottom();
    QCoreApplication::processEvents();
    QScrollBar *bar = view.verticalScrollBar();
    QVERIFY(bar->value() > 0);
    const int top = bar->value();
    QList<OutlineNode *> open;
    for (OutlineNode *node : displayOrder(tree)) {
        if (node->childCount() > 0) {
            QVERIFY(node->isExpanded());
            open << node;
        }
    }
    QSignalSpy expanded(&view, &QTreeView::expanded);
    QSignalSpy collapsed(&view, &QTreeView::collapsed);
    QSignalSpy currentChanged(&view, &OutlineWidget::currentItemChanged);

    auto *item = new OutlineNode(QStringLiteral("N"), std::make_shared<noteob>());
    insertItem(tree, item, Placement(placement), find(tree, target));

    QCOMPARE(item->parent(), find(tree, parent));
    for (OutlineNode *node : open) {
        QVERIFY2(node->isExpanded(), qPrintable(node->caption()));
    }
    QCOMPARE(expanded.count(), 0);
    QCOMPARE(collapsed.count(), 0);
    QCOMPARE(currentChanged.count(), 0);
    QCOMPARE(tree.currentItem(), find(tree, QStringLiteral("c38")));
    QCOMPARE(bar->value(), top);
    // Every row, the new one included, is laid out where display order puts it.
    QCoreApplication::processEvents();
    const QList<OutlineNode *> order = displayOrder(tree);
    const bool newRowShown = item->parent() == nullptr || item->parent()->isExpanded();
    int previousY = -1;
    for (OutlineNode *node : order) {
        if (node->parent() != nullptr && !node->parent()->isExpanded()) {
            continue;
        }
        const QModelIndex index = tree.indexFromItem(node);
        view.scrollTo(index);
        const int y = view.visualRect(index).top() + bar->value() * view.visualRect(index).height();
        QVERIFY2(y > previousY, qPrintable(node->caption()));
        previousY = y;
    }
    QCOMPARE(view.visualItemRect(item).isValid(), newRowShown);
}

void OutlineTest::insertingLeavesAnOpenCaptionEditAlone()
{
    OutlineWidget view;
    OutlineModel &tree = view.outline();
    buildOutline(tree, QStringLiteral("A[B C] D"));
    expandAll(tree);
    for (OutlineNode *node : displayOrder(tree)) {
        node->setFlags(node->flags() | Qt::ItemIsEditable);
    }
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.editItem(find(tree, QStringLiteral("B")));
    auto *edit = view.viewport()->findChild<QLineEdit *>();
    QVERIFY(edit != nullptr);
    QVERIFY(edit->isVisible());
    edit->setText(QStringLiteral("typed"));

    insertItem(tree, new OutlineNode(QStringLiteral("N"), std::make_shared<noteob>()), Placement::LastSibling,
               find(tree, QStringLiteral("C")));

    QCOMPARE(describe(tree), QStringLiteral("A[B C N] D"));
    // The edit box is still open with what was typed; nothing was confirmed yet.
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->text(), QStringLiteral("typed"));
    QCOMPARE(find(tree, QStringLiteral("typed")), nullptr);
    QVERIFY(find(tree, QStringLiteral("B"))->parent()->isExpanded());
}

void OutlineTest::removingTheCurrentSubtreeReportsTheChangeWhileEverythingIsAlive_data()
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

void OutlineTest::removingTheCurrentSubtreeReportsTheChangeWhileEverythingIsAlive()
{
    QFETCH(QString, outline);
    QFETCH(QString, current);
    QFETCH(QString, removed);
    QFETCH(QString, expected);
    QFETCH(QString, newCurrent);

    OutlineModel tree;
    buildOutline(tree, outline);
    expandAll(tree);
    OutlineNode *currentItem = find(tree, current);
    tree.setCurrentItem(currentItem);
    const NoteRef leavingRecord = currentItem->record();

    // What a selection handler can see at the moment of the change.
    QStringList seen;
    connect(tree.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [&](const QModelIndex &nowIndex, const QModelIndex &previousIndex) {
                OutlineNode *now = tree.itemFromIndex(nowIndex);
                OutlineNode *previous = tree.itemFromIndex(previousIndex);
                QVERIFY(previous != nullptr);
                // The leaving node is still whole: a leaf in this tree that hands out its record.
                QCOMPARE(previous->model(), &tree);
                QCOMPARE(previous->record(), leavingRecord);
                seen << previous->caption() + QLatin1String("->") + (now != nullptr ? now->caption() : QString());
            });

    removeItem(tree, find(tree, removed));
    QCOMPARE(describe(tree), expected);
    if (newCurrent == QLatin1String("-")) {
        QVERIFY(seen.isEmpty());
        QCOMPARE(tree.currentItem(), currentItem);
    } else {
        QCOMPARE(seen, QStringList{current + QLatin1String("->") + newCurrent});
        QCOMPARE(tree.currentItem(), find(tree, newCurrent));
    }
}

void OutlineTest::removedRecordsLiveExactlyAsLongAsSomethingRefersToThem()
{
    OutlineModel tree;
    buildOutline(tree, QStringLiteral("A[B[C]] D"));
    NoteRef kept = (find(tree, QStringLiteral("C")))->record();
    kept->Notes = {QByteArray("kept text")};
    kept->setCategory(QStringLiteral("Memo"));
    const std::weak_ptr<noteob> released = (find(tree, QStringLiteral("B")))->record();
    QVERIFY(!released.expired());

    removeItem(tree, find(tree, QStringLiteral("A")));
    QCOMPARE(describe(tree), QStringLiteral("D"));
    // Nothing else referred to B's record: it went with its node. C's record is still held here.
    QVERIFY(released.expired());
    QCOMPARE(kept.use_count(), 1L);
    QCOMPARE(kept->Notes, LineList{QByteArray("kept text")});
    QCOMPARE(kept->categoryText(), QStringLiteral("Memo"));

    const std::weak_ptr<noteob> last = kept;
    kept.reset();
    QVERIFY(last.expired());
}

void OutlineTest::movesRefuseOwnSubtreeStayInPlaceOrCarryTheSubtree_data()
{
    QTest::addColumn<QString>("outline");
    QTest::addColumn<QString>("moved");
    QTest::addColumn<int>("placement");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("result");

    const int lastChild = int(Placement::LastChild);
    const int lastSibling = int(Placement::LastSibling);
    const int before = int(Placement::Before);
    const int refused = int(MoveResult::Refused);
    const int stayed = int(MoveResult::Stayed);
    const int moved = int(MoveResult::Moved);
    const QString tree = QStringLiteral("A[B[C D] E] F G");

    // A target inside the moved subtree.
    QTest::newRow("into own child") << tree << "A" << lastChild << "B" << tree << refused;
    QTest::newRow("into own grandchild") << tree << "A" << lastChild << "D" << tree << refused;
    QTest::newRow("before own child") << tree << "B" << before << "D" << tree << refused;
    QTest::newRow("after own child") << tree << "A" << lastSibling << "C" << tree << refused;
    // The leaf stays.
    QTest::newRow("last child of itself") << tree << "B" << lastChild << "B" << tree << stayed;
    QTest::newRow("last sibling of itself") << tree << "F" << lastSibling << "F" << tree << stayed;
    QTest::newRow("before its next sibling") << tree << "B" << before << "E" << tree << stayed;
    QTest::newRow("before the next top-level leaf") << tree << "F" << before << "G" << tree << stayed;
    // Moved, in order, with its subtree.
    QTest::newRow("move right under previous sibling") << tree << "F" << lastChild << "A" << "A[B[C D] E F] G"
                                                       << moved;
    QTest::newRow("move left after all of the parent's siblings")
        << tree << "C" << lastSibling << "B" << "A[B[D] E C] F G" << moved;
    QTest::newRow("move left of a top-level child") << tree << "B" << lastSibling << "A" << "A[E] F G B[C D]" << moved;
    QTest::newRow("drop on own parent goes to the end") << tree << "C" << lastChild << "B" << "A[B[D C] E] F G"
                                                        << moved;
    QTest::newRow("before a leaf elsewhere") << tree << "G" << before << "D" << "A[B[C G D] E] F" << moved;
    QTest::newRow("before the first top-level leaf") << tree << "G" << before << "A" << "G A[B[C D] E] F" << moved;
    QTest::newRow("before itself stays in place") << tree << "E" << before << "E" << tree << moved;
    QTest::newRow("before itself as first child") << tree << "B" << before << "B" << tree << moved;
    QTest::newRow("last top-level leaf") << tree << "D" << lastSibling << "" << "A[B[C] E] F G D" << moved;
    QTest::newRow("whole subtree to the end") << tree << "A" << lastSibling << "" << "F G A[B[C D] E]" << moved;
    QTest::newRow("last sibling already last") << tree << "G" << lastSibling << "F" << tree << moved;
    QTest::newRow("deep subtree under a later leaf") << tree << "B" << lastChild << "G" << "A[E] F G[B[C D]]"
                                                     << moved;
}

void OutlineTest::movesRefuseOwnSubtreeStayInPlaceOrCarryTheSubtree()
{
    QFETCH(QString, outline);
    QFETCH(QString, moved);
    QFETCH(int, placement);
    QFETCH(QString, target);
    QFETCH(QString, expected);
    QFETCH(int, result);

    OutlineModel tree;
    buildOutline(tree, outline);
    OutlineNode *leaf = find(tree, moved);
    tree.setCurrentItem(leaf);
    const QList<OutlineNode *> itemsBefore = displayOrder(tree);

    // Asked before moving: a move into the leaf's own subtree would make it its own ancestor.
    QCOMPARE(isMoveRefused(leaf, Placement(placement), find(tree, target)), result == int(MoveResult::Refused));
    QCOMPARE(int(moveItem(tree, leaf, Placement(placement), find(tree, target))), result);
    QCOMPARE(describe(tree), expected);
    // In every case the leaf stays current.
    QCOMPARE(tree.currentItem(), leaf);
    // No node was lost or added, and every node still carries a record.
    const QList<OutlineNode *> itemsAfter = displayOrder(tree);
    QCOMPARE(itemsAfter.size(), itemsBefore.size());
    for (OutlineNode *item : itemsAfter) {
        QVERIFY(itemsBefore.contains(item));
        QVERIFY(item->record() != nullptr);
    }
    // A new parent is expanded; a refused move leaves everything as it was.
    if (result != int(MoveResult::Refused) && leaf->parent() != nullptr) {
        QVERIFY(leaf->parent()->isExpanded());
    }
}

void OutlineTest::movedSubtreeComesOutCollapsedSelectedAndWithItsRecords()
{
    OutlineModel tree;
    buildOutline(tree, QStringLiteral("A[B[C[D]] E] F"));
    expandAll(tree);
    OutlineNode *b = find(tree, QStringLiteral("B"));
    OutlineNode *c = find(tree, QStringLiteral("C"));
    OutlineNode *f = find(tree, QStringLiteral("F"));
    const NoteRef recordB = b->record();
    const NoteRef recordC = c->record();
    const NoteRef recordD = (find(tree, QStringLiteral("D")))->record();
    tree.setCurrentItem(b);
    QVERIFY(!f->isExpanded());

    QCOMPARE(moveItem(tree, b, Placement::LastChild, f), MoveResult::Moved);
    QCOMPARE(describe(tree), QStringLiteral("A[E] F[B[C[D]]]"));
    QVERIFY(!b->isExpanded());
    QVERIFY(!c->isExpanded());
    QVERIFY(f->isExpanded());
    QVERIFY(find(tree, QStringLiteral("A"))->isExpanded());  // still has E
    QCOMPARE(tree.currentItem(), b);
    QVERIFY(b->isSelected());
    QCOMPARE(b->record(), recordB);
    QCOMPARE(c->record(), recordC);
    QCOMPARE((find(tree, QStringLiteral("D")))->record(), recordD);
    QCOMPARE(b->caption(), QStringLiteral("B"));
}

void OutlineTest::formerParentWithoutChildrenCollapsesAndLosesItsButton()
{
    OutlineWidget view;
    OutlineModel &tree = view.outline();
    buildOutline(tree, QStringLiteral("A[B] C"));
    OutlineNode *a = find(tree, QStringLiteral("A"));
    OutlineNode *b = find(tree, QStringLiteral("B"));
    a->setExpanded(true);
    tree.setCurrentItem(b);

    QCOMPARE(moveItem(tree, b, Placement::LastSibling, a), MoveResult::Moved);
    QCOMPARE(describe(tree), QStringLiteral("A C B"));
    QCOMPARE(a->childCount(), 0);
    QVERIFY(!a->isExpanded());
    QVERIFY(a->childIndicatorPolicy() != OutlineNode::ShowIndicator);
    // The drop classifier finds no button there any more: its branch cell is indentation now.
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QRect row = view.visualItemRect(a);
    const QPoint inBranchCell(row.left() - view.indentation() / 2, row.center().y());
    QCOMPARE(classifyDropPoint(view, inBranchCell).action, DropPlan::Before);

    // Adding a child back later does not bring the former expansion back.
    a->addChild(new OutlineNode(QStringLiteral("X"), std::make_shared<noteob>()));
    QVERIFY(!a->isExpanded());
}

void OutlineTest::leafDroppedWhereItWasStillComesOutCollapsed()
{
    OutlineModel tree;
    buildOutline(tree, QStringLiteral("A[B[C]] D[E]"));
    expandAll(tree);
    OutlineNode *a = find(tree, QStringLiteral("A"));
    OutlineNode *d = find(tree, QStringLiteral("D"));
    tree.setCurrentItem(d);

    // Before itself: directly after its previous sibling A, which is where it is.
    QCOMPARE(moveItem(tree, d, Placement::Before, d), MoveResult::Moved);
    QCOMPARE(describe(tree), QStringLiteral("A[B[C]] D[E]"));
    QVERIFY(!d->isExpanded());
    QVERIFY(a->isExpanded());  // untouched

    // Staying does not collapse anything.
    tree.setCurrentItem(a);
    QCOMPARE(moveItem(tree, a, Placement::LastChild, a), MoveResult::Stayed);
    QVERIFY(a->isExpanded());
    QVERIFY(find(tree, QStringLiteral("B"))->isExpanded());
}

void OutlineTest::dropPointsFallIntoTheRegionsOfTheRow()
{
    OutlineWidget view;
    OutlineModel &tree = view.outline();
    view.setHeaderHidden(true);
    view.resize(400, 300);
    buildOutline(tree, QStringLiteral("Alpha[Beta[Gamma] Delta] Epsilon"));
    find(tree, QStringLiteral("Epsilon"))->setIcon(0, view.style()->standardIcon(QStyle::SP_FileIcon));
    expandAll(tree);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    OutlineNode *beta = find(tree, QStringLiteral("Beta"));
    OutlineNode *gamma = find(tree, QStringLiteral("Gamma"));
    OutlineNode *delta = find(tree, QStringLiteral("Delta"));
    OutlineNode *epsilon = find(tree, QStringLiteral("Epsilon"));
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
        {"icon", QPoint(epsilonRow.left() + 3, epsilonRow.center().y()), DropPlan::LastChild, epsilon},
        {"caption behind the icon",
         QPoint(epsilonRow.left() + view.style()->pixelMetric(QStyle::PM_SmallIconSize) + 12, epsilonRow.center().y()),
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

QTEST_MAIN(OutlineTest)
#include "outline_test.moc"
