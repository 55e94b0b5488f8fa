// Tests of the outline rules on a bare model: levels and display order, placements, taking out and moving
// leaves with their subtrees and records.
#include "document/outline.h"
#include "document/outlinemodel.h"
#include "support.h"

#include <QTest>

#include <map>
#include <memory>
#include <utility>
#include <vector>

using namespace outline;
using support::buildOutline;
using support::describe;
using support::findNode;
using support::nodesOf;

class OutlineTest : public QObject
{
    Q_OBJECT

private slots:
    void walkGivesDisplayOrderLevelsAndPredecessors();
    void placementsPutTheNewLeafAsLastChildLastSiblingOrBefore_data();
    void placementsPutTheNewLeafAsLastChildLastSiblingOrBefore();
    void takenRecordsLiveExactlyAsLongAsSomethingRefersToThem();
    void movesRefuseOwnSubtreeStayInPlaceOrCarryTheSubtree_data();
    void movesRefuseOwnSubtreeStayInPlaceOrCarryTheSubtree();
};

void OutlineTest::walkGivesDisplayOrderLevelsAndPredecessors()
{
    OutlineModel tree;
    buildOutline(tree, QStringLiteral("A[B[C D[E]] F] G H[I[J[K]]]"));
    QCOMPARE(describe(tree), QStringLiteral("A[B[C D[E]] F] G H[I[J[K]]]"));
    const QStringList expected = QStringLiteral("A B C D E F G H I J K").split(QLatin1Char(' '));
    const QList<int> levels = {0, 1, 2, 2, 3, 1, 0, 0, 1, 2, 3};

    std::vector<std::pair<OutlineNode *, int>> order;
    walk(tree, [&](OutlineNode *node, int level) { order.emplace_back(node, level); });
    QCOMPARE(int(order.size()), int(expected.size()));
    for (int i = 0; i < int(order.size()); ++i) {
        OutlineNode *node = order[std::size_t(i)].first;
        QCOMPARE(node->caption(), expected[i]);
        QCOMPARE(order[std::size_t(i)].second, levels[i]);
        QCOMPARE(levelOf(node), levels[i]);
        QCOMPARE(displayPredecessor(node), i > 0 ? order[std::size_t(i) - 1].first : nullptr);
    }
    QCOMPARE(displayPredecessor(nullptr), nullptr);
    QCOMPARE(subtreeSize(findNode(tree, QStringLiteral("B"))), 4);
    QCOMPARE(subtreeSize(findNode(tree, QStringLiteral("G"))), 1);
    QVERIFY(isDescendantOf(findNode(tree, QStringLiteral("E")), findNode(tree, QStringLiteral("A"))));
    QVERIFY(!isDescendantOf(findNode(tree, QStringLiteral("A")), findNode(tree, QStringLiteral("A"))));
    QVERIFY(!isDescendantOf(findNode(tree, QStringLiteral("G")), findNode(tree, QStringLiteral("A"))));

    OutlineModel empty;
    QVERIFY(nodesOf(empty).empty());
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
    auto *node = new OutlineNode(QStringLiteral("N"));
    insertNode(tree, node, Placement(placement), findNode(tree, target));
    QCOMPARE(describe(tree), expected);
    QCOMPARE(node->model(), &tree);
}

void OutlineTest::takenRecordsLiveExactlyAsLongAsSomethingRefersToThem()
{
    OutlineModel tree;
    buildOutline(tree, QStringLiteral("A[B[C]] D"));
    NoteRef kept = findNode(tree, QStringLiteral("C"))->record();
    kept->Notes = {QByteArray("kept text")};
    kept->setCategory(QStringLiteral("Memo"));
    const std::weak_ptr<noteob> released = findNode(tree, QStringLiteral("B"))->record();
    QVERIFY(!released.expired());

    std::unique_ptr<OutlineNode> taken = takeNode(tree, findNode(tree, QStringLiteral("A")));
    QVERIFY(taken);
    QCOMPARE(describe(tree), QStringLiteral("D"));
    // The taken subtree is whole and out of the tree; whoever holds it keeps its records alive.
    QCOMPARE(describe(taken.get()), QStringLiteral("B[C]"));
    QCOMPARE(taken->model(), nullptr);
    QVERIFY(!released.expired());
    QVERIFY(!takeNode(tree, taken.get()));

    // Nothing else referred to B's record: it went with its node. C's record is still held here.
    taken.reset();
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
    OutlineNode *leaf = findNode(tree, moved);
    std::map<OutlineNode *, NoteRef> recordsBefore;
    for (OutlineNode *node : nodesOf(tree)) {
        recordsBefore[node] = node->record();
    }

    // Asked before moving: a move into the leaf's own subtree would make it its own ancestor.
    QCOMPARE(isMoveRefused(leaf, Placement(placement), findNode(tree, target)), result == int(MoveResult::Refused));
    QCOMPARE(int(moveNode(tree, leaf, Placement(placement), findNode(tree, target))), result);
    QCOMPARE(describe(tree), expected);
    // No node was lost or added, and every node still carries its own record.
    const std::vector<OutlineNode *> nodesAfter = nodesOf(tree);
    QCOMPARE(nodesAfter.size(), recordsBefore.size());
    for (OutlineNode *node : nodesAfter) {
        QVERIFY(recordsBefore.count(node) == 1);
        QCOMPARE(node->record(), recordsBefore[node]);
    }
}

QTEST_GUILESS_MAIN(OutlineTest)
#include "outline_test.moc"
